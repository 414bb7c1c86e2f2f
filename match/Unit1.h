#pragma once
// The dialog TfrmHeim: one instance per session at a time, created by its
// accessor and freed when it is closed.
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TfrmHeim : public plat::ui::Form {
 public:
  // Builds the dialog from its definition "Unit1.yaml".
  explicit TfrmHeim(plat::session::Session* session);
  const char* ClassName() const override { return "TfrmHeim"; }
};

// The session's open TfrmHeim, or a new one.
TfrmHeim* frmHeim();
