#pragma once
// The dialog TfrmUhr: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit2.yaml; its handlers are declared here.
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

class TfrmUhr : public plat::ui::Form {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmUhr(plat::session::Session* session);

#include "forms/Unit2.h"  // the components, generated from forms/Unit2.yaml
};

// The session's open TfrmUhr, or a new one.
TfrmUhr* frmUhr();
