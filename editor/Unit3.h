#pragma once
// The dialog TfrmMedium: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit3.yaml (the generated base TfrmMediumComponents); its
// handlers are declared here.
#include "forms/Unit3.h"  // generated from forms/Unit3.yaml
#include "platform/session/session.h"

class TfrmMedium : public TfrmMediumComponents {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmMedium(plat::ui::Session* session);
};

// The session's open TfrmMedium, or a new one.
TfrmMedium* frmMedium();
