// The game histories: one memo per side on the score tab, the home entries
// also in the program folder's "debug.txt", the history documents the
// display pages read, and the new game.
#include "common/Main.h"
#include "common/MainForm.h"
#include "match/MatchState.h"
#include "platform/io/file_lock.h"
#include "platform/io/text_file.h"
#include "platform/log.h"

void TMainForm::DebugLog(const std::string& Msg) {
  // The memo is the history: it keeps the entry whatever happens to the log.
  memoSLog->Lines().Add(Msg);
  const std::string file = apppath + "debug.txt";
  try {
    plat::io::AppendTextFile(file, plat::FormatTime(plat::Now()) + "," + Msg + "\r\n");
  } catch (const std::exception& e) {
    plat::LogLine(FormSession()->LogName() + ": " + file + ": " + e.what());
  }
}

void TMainForm::DebugLogGast(const std::string& Msg) { memoSLogGast->Lines().Add(Msg); }

void TMainForm::SaveHistory(const TUniMemo& memo, const char* file) {
  // Built anew from the memo: nothing of an earlier save remains. A history
  // without lines is still a document (its root alone), so pages reading it
  // see an empty history rather than a broken file.
  xmlVerlauf.Clear();
  xmlVerlauf.SetActive(true);
  plat::io::XmlNode root = xmlVerlauf.CreateDocumentElement("verlauf");
  for (const std::string& line : memo.Lines().Items()) root.AddChild("item").SetText(line);
  const std::string path = MatchFilesFolder() + file;
  plat::io::FileLock lock(path);
  xmlVerlauf.SaveToFile(path);
}

void TMainForm::btnSaveVerlaufClick(Component*) { SaveHistory(*memoSLog, "spielverlaufHeim.xml"); }
void TMainForm::btnSaveVerlaufGastClick(Component*) { SaveHistory(*memoSLogGast, "spielverlaufGast.xml"); }

void TMainForm::btnSpielNewClick(Component* Sender) {
  FormSession()->MessageDlg("Neues Spiel starten ?", BoxIcon::Confirmation,
                            [this, Sender](ModalResult r) { NewGameConfirmed(Sender, r); });
}

// Only Yes starts a new game: No, Esc and closing the box keep the game.
void TMainForm::NewGameConfirmed(Component*, int AResult) {
  if (AResult != mrYes) return;
  nTorHeim = 0;
  nTorGast = 0;
  memoSLog->Lines().Clear();
  memoSLogGast->Lines().Clear();
  ShowScore();
  WriteMatchSetting("TorHeim", "0");
  WriteMatchSetting("TorGast", "0");
  ChangeMatchDocument(xmlSpielstand, SpielstandFile(),
                      {{{"settings", "teamHeim"}, panH1->Title()},
                       {{"settings", "teamGast"}, panG1->Title()},
                       {{"settings", "standHeim"}, "0"},
                       {{"settings", "standGast"}, "0"},
                       {{"settings", "Spielabschnitt"}, "0"}});
  // Both histories, so that no display shows the last game's goals.
  btnSaveVerlauf->OnClick(btnSaveVerlauf);
  btnSaveVerlaufGast->OnClick(btnSaveVerlaufGast);
  comboMHeim->SetText("Heim");
  comboMGast->SetText("Gast");
  edtApplyTeams->OnClick(edtApplyTeams);
}
