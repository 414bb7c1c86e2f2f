#pragma once
// The dialog TfrmUhr: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit2.yaml; its handlers are declared here.
#include <optional>
#include <string>
#include <string_view>

#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

class TfrmUhr : public plat::ui::Form {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmUhr(plat::session::Session* session);

  // Period scheme, lengths, added time and extra time from section
  // "spielbetrieb": a missing key empties its edit, a scheme other than
  // "2", "3" or "4" leaves the radio buttons as they are.
  void FillFromSettings();

  void btnAUhrClick(plat::ui::Component* Sender);
  void UniButton3Click(plat::ui::Component* Sender);
  void btnApplyClick(plat::ui::Component* Sender);
  void btnCancelClick(plat::ui::Component* Sender);

#include "forms/Unit2.h"  // the components, generated from forms/Unit2.yaml
};

// The session's open TfrmUhr, or a new one.
TfrmUhr* frmUhr();

// The start of the running period for a correction typed as "mm:ss" (or a
// bare number of minutes): `nowSeconds` (seconds since midnight) less the
// typed time, as a time of day "hh:nn:ss" (before midnight it is the time
// of the day before). Nothing when the text is no such time.
std::optional<std::string> CorrectedPeriodStart(std::string_view typed, int nowSeconds);
