#pragma once
// The dialog TfrmHeim: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit1.yaml (the generated base TfrmHeimComponents); its
// handlers are declared here.
#include "forms/Unit1.h"  // generated from forms/Unit1.yaml
#include "platform/session/session.h"

class TfrmHeim : public TfrmHeimComponents {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmHeim(plat::ui::Session* session);
};

// The session's open TfrmHeim, or a new one.
TfrmHeim* frmHeim();
