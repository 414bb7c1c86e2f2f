#pragma once
// The dialog TfrmHeim: one instance per session at a time, created by its
// accessor and freed when it is closed. Its components come from its
// definition forms/Unit1.yaml; its handlers are declared here.
//
// It puts one player of one team on the screens: the opener sets the team
// (the caption), the side "Heim" or "Gast" (the caption of panTeam) and the
// page; each action writes the current player (the labels) as a record
// into a player document, saves it and then issues the side's playlist.
#include <string>
#include <utility>
#include <vector>

#include "platform/io/xml_document.h"
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

class TfrmHeim : public plat::ui::Form {
 public:
  // Builds the dialog from its definition and sets the component fields.
  explicit TfrmHeim(plat::session::Session* session);

  void btnVorstPlayClick(plat::ui::Component* Sender);
  void btnVorstNextClick(plat::ui::Component* Sender);
  void btnVorstStopClick(plat::ui::Component* Sender);
  void btnSpielerPlayClick(plat::ui::Component* Sender);
  void btnSpielerNextClick(plat::ui::Component* Sender);
  void btnSpielerStopClick(plat::ui::Component* Sender);
  void btnKertaAnzeigenClick(plat::ui::Component* Sender);
  void btnKertaAusClick(plat::ui::Component* Sender);
  void btnTorPlayClick(plat::ui::Component* Sender);
  void btnTorApplyClick(plat::ui::Component* Sender);
  void TorHPClick(plat::ui::Component* Sender);
  void TorHMClick(plat::ui::Component* Sender);
  void TorGPClick(plat::ui::Component* Sender);
  void TorGMClick(plat::ui::Component* Sender);
  void frmWechselRausClick(plat::ui::Component* Sender);
  void frmWechselReinClick(plat::ui::Component* Sender);
  void frmWechselAusClick(plat::ui::Component* Sender);
  void frmWechselRausIntClick(plat::ui::Component* Sender);
  void frmWechselReinIntClick(plat::ui::Component* Sender);
  void frmWechselIntApplyClick(plat::ui::Component* Sender);
  void Grid1SelectCell(plat::ui::Component* Sender, int ACol, int ARow, bool& CanSelect);

  // True when the dialog serves the home team (panTeam reads exactly
  // "Heim"); any other side is the guest team.
  bool ForHome() const;
  // Makes grid row `row` the current player; a row outside the grid
  // leaves the labels as they are.
  void ShowRow(int row);

#include "forms/Unit1.h"  // the components, generated from forms/Unit1.yaml

 private:
  using Record = std::vector<std::pair<std::string, std::string>>;
  // The seven elements of the current player, `type` among them.
  Record PlayerRecord(const std::string& type) const;
  // Writes the record under `group` of the player document and saves it to
  // the file of that name in the state-document folder (raises when the
  // document is not loaded or the save fails).
  void SaveRecord(plat::io::XmlDocument& doc, const std::string& file, const std::string& group,
                  const Record& record);
  // The next buttons: the row below the grid's current one becomes the
  // current player; false on the last row (nothing to show).
  bool NextRow();
  // Issues the side's player playlist "System\Spielerheim_<what>.pyl" or
  // "System\Spielergast_<what>.pyl".
  void IssueSidePlaylist(const std::string& what);
  // Issues the score playlist and closes the dialog.
  void BackToScore();
  // The score counters of the console into both score labels.
  void ShowScore();

  int numRow = 0;  // the grid row the operator selected last
};

// The session's open TfrmHeim, or a new one.
TfrmHeim* frmHeim();
