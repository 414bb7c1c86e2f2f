#pragma once
// The playlist item dialog TfrmMedium: it edits the name and the address
// of one web-address row of the playlist editor's grids; the row is named
// by its lblFrame (the grid in the Tag, the row in the Caption) and the
// row's type travels in the Hint of edtOrt.
//
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

  // "Übernehmen": a web-address row takes the name and the address; the
  // dialog closes.
  void btnApplyClick(plat::ui::Component* Sender);
  // "Schließen": closes the dialog.
  void btnCancelClick(plat::ui::Component* Sender);
};

// The session's open TfrmMedium, or a new one.
TfrmMedium* frmMedium();
