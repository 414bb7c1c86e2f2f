#pragma once
// The dialog TfrmHeim: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit1.yaml; its handlers are declared here.
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

class TfrmHeim : public plat::ui::Form {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmHeim(plat::session::Session* session);

#include "forms/Unit1.h"  // the components, generated from forms/Unit1.yaml
};

// The session's open TfrmHeim, or a new one.
TfrmHeim* frmHeim();
