#pragma once
// The dialog TfrmUhr: one instance per session at a time, created by its
// accessor and freed when it is closed.
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

class TfrmUhr : public plat::ui::Form {
 public:
  // Builds the dialog from its definition "Unit2.yaml".
  explicit TfrmUhr(plat::session::Session* session);
  const char* ClassName() const override { return "TfrmUhr"; }
};

// The session's open TfrmUhr, or a new one.
TfrmUhr* frmUhr();
