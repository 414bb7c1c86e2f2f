#pragma once
// The dialog TfrmMedium: one instance per session at a time, created by its
// accessor and freed when it is closed.
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TfrmMedium : public plat::ui::Form {
 public:
  // Builds the dialog from its definition "Unit3.yaml".
  explicit TfrmMedium(plat::session::Session* session);
  const char* ClassName() const override { return "TfrmMedium"; }
};

// The session's open TfrmMedium, or a new one.
TfrmMedium* frmMedium();
