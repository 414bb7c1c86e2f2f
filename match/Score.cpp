// The score panel of the console: goal counters, the score apply, the
// period and extra-time starts, the clock's run flag and the clock dialog.
#include "common/Main.h"
#include "common/MainForm.h"
#include "match/MatchState.h"
#include "match/Unit2.h"
#include "server/ServerModule.h"

using plat::io::XmlDocument;

namespace {

// The questions of the four period starts, blanks as the operators know them.
const char* const kStartPeriodQuestion[] = {
    "Spielabschnitt auf 1 setzen und Spieluhr starten  ?",
    "Spielabschnitt auf 2 setzen und Spieluhr starten ?",
    "Spielabschnitt auf 3 setzen  und Spieluhr starten ?",
    "Spielabschnitt auf 4 setzen und Spieluhr starten  ?",
};

}  // namespace

std::string TMainForm::SpielstandFile() const { return MatchFilesFolder() + "spielstand.xml"; }

void TMainForm::ShowScore() { lblAStand->SetCaption(std::to_string(nTorHeim) + ":" + std::to_string(nTorGast)); }

void TMainForm::TorHPClick(Component*) {
  ++nTorHeim;
  ShowScore();
}

void TMainForm::TorHMClick(Component*) {
  if (nTorHeim == 0) return;
  --nTorHeim;
  ShowScore();
}

void TMainForm::TorGPClick(Component*) {
  ++nTorGast;
  ShowScore();
}

void TMainForm::TorGMClick(Component*) {
  if (nTorGast == 0) return;
  --nTorGast;
  ShowScore();
}

void TMainForm::btnAnzApplyClick(Component*) {
  ShowScore();
  const std::string heim = std::to_string(nTorHeim), gast = std::to_string(nTorGast);
  WriteMatchSetting("TorHeim", heim);
  WriteMatchSetting("TorGast", gast);
  ChangeMatchDocument(xmlSpielstand, SpielstandFile(),
                      {{{"settings", "teamHeim"}, panH1->Title()},
                       {{"settings", "teamGast"}, panG1->Title()},
                       {{"settings", "standHeim"}, heim},
                       {{"settings", "standGast"}, gast}});
}

void TMainForm::btnASpielstandClick(Component*) { UniServerModule().IssueCommand("Playlist", "System\\Spielstand.pyl"); }

void TMainForm::StartPeriod(int period) {
  ChangeMatchDocument(xmlSpielstand, SpielstandFile(),
                      {{{"settings", "gameTime"}, plat::FormatTime(plat::Now())},
                       {{"settings", "Spielabschnitt"}, std::to_string(period)}});
}

void TMainForm::AskPeriodStart(int period, Component* Sender) {
  using Confirmed = void (TMainForm::*)(Component*, int);
  static const Confirmed kConfirmed[] = {&TMainForm::StartPeriod1Confirmed, &TMainForm::StartPeriod2Confirmed,
                                         &TMainForm::StartPeriod3Confirmed, &TMainForm::StartPeriod4Confirmed};
  const Confirmed confirmed = kConfirmed[period - 1];
  FormSession()->MessageDlg(kStartPeriodQuestion[period - 1], BoxIcon::Confirmation,
                            [this, Sender, confirmed](ModalResult r) { (this->*confirmed)(Sender, r); });
}

void TMainForm::btnAUhr45Click(Component* Sender) { AskPeriodStart(1, Sender); }
void TMainForm::btnAUhr90Click(Component* Sender) { AskPeriodStart(2, Sender); }
void TMainForm::btnAUhr3Click(Component* Sender) { AskPeriodStart(3, Sender); }
void TMainForm::btnAUhr4Click(Component* Sender) { AskPeriodStart(4, Sender); }

// Only Yes starts a period: No, Esc and closing the box leave the clock.
void TMainForm::StartPeriod1Confirmed(Component*, int AResult) {
  if (AResult == mrYes) StartPeriod(1);
}

void TMainForm::StartPeriod2Confirmed(Component*, int AResult) {
  if (AResult == mrYes) StartPeriod(2);
}

void TMainForm::StartPeriod3Confirmed(Component*, int AResult) {
  if (AResult == mrYes) StartPeriod(3);
}

void TMainForm::StartPeriod4Confirmed(Component*, int AResult) {
  if (AResult == mrYes) StartPeriod(4);
}

void TMainForm::btnAUhrVerlClick(Component* Sender) {
  FormSession()->MessageDlg("Verl\xC3\xA4ngerung auf " + edtVerl->Text() + " setzen und Spieluhr starten  ?",
                            BoxIcon::Confirmation, [this, Sender](ModalResult r) { StartExtraTimeConfirmed(Sender, r); });
}

void TMainForm::StartExtraTimeConfirmed(Component*, int AResult) {
  if (AResult != mrYes) return;
  const std::string length = ReadMatchSetting("Verl\xC3\xA4ngerung");
  ChangeMatchDocument(xmlSpielstand, SpielstandFile(),
                      {{{"settings", "VerlaengerungDauer"}, length},
                       {{"settings", "gameTime"}, plat::FormatTime(plat::Now())},
                       {{"settings", "Verlaengerung"}, edtVerl->Text()}});
}

void TMainForm::btnAUhrStopClick(Component*) {
  // Decided on the file as it is now: another console may have switched it.
  ChangeMatchDocument(xmlSpielstand, SpielstandFile(), [](XmlDocument& doc) -> std::vector<MatchChange> {
    const std::string status = ReadMatchElement(doc, {"settings", "gameTimeStatus"});
    if (status == "Stop") return {{{"settings", "gameTimeStatus"}, "Start"}};
    if (status == "Start") return {{{"settings", "gameTimeStatus"}, "Stop"}};
    return {};
  });
}

void TMainForm::btnEditUhrClick(Component*) {
  TfrmUhr* dialog = frmUhr();
  dialog->ShowModal();
  dialog->FillFromSettings();
  dialog->btnApply->OnClick(dialog->btnApply);
}

void TMainForm::btnAUhrStartClick(Component*) {}
