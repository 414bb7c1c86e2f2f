#pragma once
// The dialog TfrmMedium: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit3.yaml; its handlers are declared here.
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

class TfrmMedium : public plat::ui::Form {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmMedium(plat::session::Session* session);

#include "forms/Unit3.h"  // the components, generated from forms/Unit3.yaml
};

// The session's open TfrmMedium, or a new one.
TfrmMedium* frmMedium();
