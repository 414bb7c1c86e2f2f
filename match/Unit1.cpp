// The team action dialog: line-up, player presentation, cards, goals with
// scorer and score, national and international substitutions.
#include "match/Unit1.h"

#include "common/MainForm.h"
#include "match/MatchState.h"
#include "match/TeamAction.h"
#include "platform/io/file_lock.h"
#include "platform/ui/escape.h"
#include "server/MainModule.h"
#include "server/ServerModule.h"

using plat::io::XmlDocument;

TfrmHeim::TfrmHeim(plat::session::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmHeim* frmHeim() { return UniMainModule()->Dialog<TfrmHeim>(); }

bool TfrmHeim::ForHome() const { return panTeam->Caption() == "Heim"; }

void TfrmHeim::ShowRow(int row) {
  if (row < 0 || row >= Grid1->RowCount()) return;
  lblNum->SetCaption(Grid1->Cells(0, row));
  lblVor->SetCaption(Grid1->Cells(1, row));
  lblNach->SetCaption(Grid1->Cells(2, row));
  const std::string& picture = Grid1->Cells(5, row);
  lblBild->SetHint(picture);
  // Team and file names are path segments of the address, encoded so that
  // no name can end the attribute or stand for markup.
  lblBild->SetCaption(picture.empty() ? std::string()
                                      : "<img src=\"Containers/Teams/" + plat::ui::PercentEncode(Caption()) +
                                            "/Spieler/" + plat::ui::PercentEncode(picture) +
                                            "\" alt=\"\" width=\"76\" height=\"92\">");
}

void TfrmHeim::Grid1SelectCell(plat::ui::Component*, int, int ARow, bool&) {
  if (ARow < 0 || ARow >= Grid1->RowCount()) return;
  ShowRow(ARow);
  numRow = ARow;
}

bool TfrmHeim::NextRow() {
  const int next = Grid1->Row() + 1;
  if (next >= Grid1->RowCount()) return false;
  Grid1->SetRow(next);
  ShowRow(next);
  return true;
}

TfrmHeim::Record TfrmHeim::PlayerRecord(const std::string& type) const {
  return {{"vorname", lblVor->Caption()},   {"nachname", lblNach->Caption()}, {"spielerbild", lblBild->Hint()},
          {"spielernr", lblNum->Caption()}, {"teamname", Caption()},          {"type", type},
          {"team", panTeam->Caption()}};
}

void TfrmHeim::SaveRecord(XmlDocument& doc, const std::string& file, const std::string& group, const Record& record) {
  TMainForm* main = MainForm();
  std::vector<MatchChange> changes;
  for (const auto& [element, text] : record) changes.push_back({{group, element}, text});
  const std::string path = main->MatchFilesFolder() + file;
  if (&doc == &main->xmlSpieler && file != "spieler.xml") {
    // The presentation file is the same document saved under a second
    // name: what the document holds goes there as it is.
    if (!doc.Active()) throw plat::io::XmlError(file + " is not loaded");
    plat::io::FileLock lock(path);
    for (const MatchChange& change : changes) MatchElement(doc, {change.path[0], change.path[1]}).SetText(change.text);
    doc.SaveToFile(path);
    return;
  }
  ChangeMatchDocument(doc, path, changes);
}

void TfrmHeim::IssueSidePlaylist(const std::string& what) {
  UniServerModule().IssueCommand("Playlist",
                                 std::string(ForHome() ? "System\\Spielerheim_" : "System\\Spielergast_") + what + ".pyl");
}

void TfrmHeim::BackToScore() {
  UniServerModule().IssueCommand("Playlist", "System\\Spielstand.pyl");
  Close();
}

// ---- line-up and presentation ------------------------------------------------

void TfrmHeim::btnVorstPlayClick(plat::ui::Component*) {
  SaveRecord(MainForm()->xmlSpieler, "spieler.xml", "settings", PlayerRecord("Vorstellung"));
  IssueSidePlaylist("Vorstellung");
}

void TfrmHeim::btnVorstNextClick(plat::ui::Component* Sender) {
  if (NextRow()) btnVorstPlayClick(Sender);
}

void TfrmHeim::btnSpielerPlayClick(plat::ui::Component*) {
  SaveRecord(MainForm()->xmlSpieler, "spielerPr\xC3\xA4sentation.xml", "settings", PlayerRecord("Spieler"));
  IssueSidePlaylist("Pr\xC3\xA4sentation");
}

void TfrmHeim::btnSpielerNextClick(plat::ui::Component* Sender) {
  if (NextRow()) btnSpielerPlayClick(Sender);
}

void TfrmHeim::btnVorstStopClick(plat::ui::Component*) { BackToScore(); }
void TfrmHeim::btnSpielerStopClick(plat::ui::Component*) { BackToScore(); }

// ---- cards ---------------------------------------------------------------------

void TfrmHeim::btnKertaAnzeigenClick(plat::ui::Component*) {
  std::string type;
  if (radKarteGelb->Checked()) type = "Gelb";
  else if (radKarteGelbRot->Checked()) type = "GelbRot";
  else if (radKarteRot->Checked()) type = "Rot";
  Record record = PlayerRecord(type);
  record.insert(record.begin(), {"spielername", lblVor->Caption() + " " + lblNach->Caption()});
  SaveRecord(MainForm()->xmlSpieler, "spieler.xml", "settings", record);
  IssueSidePlaylist("Karte");
}

void TfrmHeim::btnKertaAusClick(plat::ui::Component*) { BackToScore(); }

// ---- goal and score --------------------------------------------------------------

void TfrmHeim::btnTorPlayClick(plat::ui::Component*) {
  TMainForm* main = MainForm();
  Record record = PlayerRecord(panTorTop->Caption());
  record.push_back({"eigentor", chkEigentor->Checked() ? "ja" : "nein"});
  SaveRecord(main->xmlSpieler, "spieler.xml", "settings", record);
  const std::string line = FormatGameTime(main->nSpieltime) + "  " + lblVor->Caption() + " " + lblNach->Caption() +
                           " " + lblAStand->Caption();
  if (ForHome()) main->DebugLog(line);
  else main->DebugLogGast(line);
  IssueSidePlaylist("Tor");
}

void TfrmHeim::ShowScore() {
  TMainForm* main = MainForm();
  main->ShowScore();
  lblAStand->SetCaption(main->lblAStand->Caption());
}

void TfrmHeim::TorHPClick(plat::ui::Component*) {
  ++MainForm()->nTorHeim;
  ShowScore();
}

void TfrmHeim::TorHMClick(plat::ui::Component*) {
  if (MainForm()->nTorHeim == 0) return;
  --MainForm()->nTorHeim;
  ShowScore();
}

void TfrmHeim::TorGPClick(plat::ui::Component*) {
  ++MainForm()->nTorGast;
  ShowScore();
}

void TfrmHeim::TorGMClick(plat::ui::Component*) {
  if (MainForm()->nTorGast == 0) return;
  --MainForm()->nTorGast;
  ShowScore();
}

void TfrmHeim::btnTorApplyClick(plat::ui::Component*) {
  TMainForm* main = MainForm();
  main->btnAnzApply->OnClick(main->btnAnzApply);
  BackToScore();
}

// ---- substitutions ------------------------------------------------------------------

void TfrmHeim::frmWechselRausClick(plat::ui::Component*) {
  SaveRecord(MainForm()->xmlSpieler, "spieler.xml", "settings", PlayerRecord("Wechselraus"));
  IssueSidePlaylist("Wechsel");
}

void TfrmHeim::frmWechselReinClick(plat::ui::Component*) {
  SaveRecord(MainForm()->xmlSpieler, "spieler.xml", "settings", PlayerRecord("Wechselrein"));
  IssueSidePlaylist("Wechsel");
}

void TfrmHeim::frmWechselAusClick(plat::ui::Component*) { BackToScore(); }

void TfrmHeim::frmWechselRausIntClick(plat::ui::Component*) {
  ShowRow(numRow);
  lblWechselRausInt->SetCaption(lblNum->Caption() + " " + lblVor->Caption() + " " + lblNach->Caption());
  SaveRecord(MainForm()->xmlSpielerInt, "spielerint.xml", "raus", PlayerRecord("Wechselraus"));
}

void TfrmHeim::frmWechselReinIntClick(plat::ui::Component*) {
  ShowRow(numRow);
  lblWechselReinInt->SetCaption(lblNum->Caption() + " " + lblVor->Caption() + " " + lblNach->Caption());
  SaveRecord(MainForm()->xmlSpielerInt, "spielerint.xml", "rein", PlayerRecord("Wechselrein"));
}

void TfrmHeim::frmWechselIntApplyClick(plat::ui::Component*) {
  IssueSidePlaylist("WechselInt");
  Close();
}
