#pragma once
// The dialog TfrmUhr: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit2.yaml (the generated base TfrmUhrComponents); its
// handlers are declared here.
#include "forms/Unit2.h"  // generated from forms/Unit2.yaml
#include "platform/session/session.h"

class TfrmUhr : public TfrmUhrComponents {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmUhr(plat::ui::Session* session);
};

// The session's open TfrmUhr, or a new one.
TfrmUhr* frmUhr();
