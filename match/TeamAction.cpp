// The ten openers of the team action dialog in the two team panels of the
// score tab, and the game time of a goal.
#include "match/TeamAction.h"

#include <cstdio>

#include "common/Main.h"
#include "common/MainForm.h"
#include "match/MatchState.h"
#include "match/TeamEditor.h"
#include "match/Unit1.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/log.h"
#include "server/ServerModule.h"

int GoalGameSeconds(std::string_view gameTime, std::string_view period, std::string_view length, int nowSeconds) {
  if (period.size() != 1 || period[0] < '1' || period[0] > '4') return 0;
  const std::optional<int> start = plat::ParseTimeOfDay(gameTime);
  if (!start) return 0;
  constexpr int kDay = 24 * 60 * 60;
  const int sincePeriodStart = ((nowSeconds - *start) % kDay + kDay) % kDay;
  const std::optional<std::int32_t> minutes = plat::TryStrToInt(length);
  const int periodSeconds = minutes && *minutes >= 0 && *minutes <= 999 ? *minutes * 60 : 0;
  return sincePeriodStart + (period[0] - '1') * periodSeconds;
}

std::string FormatGameTime(int seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d", seconds / 60, seconds % 60);
  return text;
}

namespace {

// A dialog that starts from its definition: one left over from an opening
// that failed before it showed keeps nothing for this one.
TfrmHeim* NewHeimDialog() {
  TfrmHeim* dialog = frmHeim();
  if (dialog->IsShown()) return dialog;
  dialog->Close();
  return frmHeim();
}

// The dialog filled for one side, not shown yet; a dialog whose filling
// fails is closed.
TfrmHeim* FillTeamDialog(TMainForm& f, const std::string& side, int page, int sortCol) {
  const std::string team = (side == "Heim" ? f.panH1 : f.panG1)->Title();
  TfrmHeim* dialog = NewHeimDialog();
  try {
    f.LoadTeamIntoHeimDialog(team, *dialog->Grid1);
    dialog->SetCaption(team);
    dialog->panTeam->SetCaption(side);
    dialog->pageAction->SetActivePageIndex(page);
    SortGridByNumber(*dialog->Grid1, sortCol);
  } catch (...) {
    dialog->Close();
    throw;
  }
  return dialog;
}

}  // namespace

void TMainForm::OpenTeamDialog(const std::string& side, const char* playlist, int page, int sortCol) {
  if (playlist) UniServerModule().IssueCommand("Playlist", playlist);
  FillTeamDialog(*this, side, page, sortCol)->ShowModal();
}

void TMainForm::GoalOpened(const std::string& side) {
  const bool home = side == "Heim";
  ++(home ? nTorHeim : nTorGast);
  ShowScore();
  UniServerModule().IssueCommand("Playlist", home ? "System\\TorHeim.pyl" : "System\\TorGast.pyl");
  TfrmHeim* dialog = FillTeamDialog(*this, side, 2, 0);
  dialog->panTorTop->SetCaption(home ? "Tor Heim" : "Tor Gast");
  dialog->lblAStand->SetCaption(lblAStand->Caption());
  // The game time from the score document as this console holds it; a
  // document that could not be loaded gives no running period.
  std::string gameTime, period, length;
  try {
    gameTime = ReadMatchElement(xmlSpielstand, {"settings", "gameTime"});
    period = ReadMatchElement(xmlSpielstand, {"settings", "Spielabschnitt"});
    length = ReadMatchElement(xmlSpielstand, {"settings", "HalbzeitDauer"});
  } catch (const plat::io::XmlError& e) {
    plat::LogLine(FormSession()->LogName() + ": goal without game time: " + e.what());
  }
  const plat::DateTime now = plat::Now();
  nSpieltime = GoalGameSeconds(gameTime, period, length, now.hour * 3600 + now.minute * 60 + now.second);
  dialog->ShowModal();
}

void TMainForm::btnHAufstClick(Component*) { OpenTeamDialog("Heim", "System\\VorstellungHeim.pyl", 1, 7); }
void TMainForm::btnGAufstClick(Component*) { OpenTeamDialog("Gast", "System\\VorstellungGast.pyl", 1, 7); }
void TMainForm::btnHWClick(Component*) { OpenTeamDialog("Heim", "System\\WechselHeim.pyl", 0, 0); }
void TMainForm::btnGWClick(Component*) { OpenTeamDialog("Gast", "System\\WechselGast.pyl", 0, 0); }
void TMainForm::btnHKarteClick(Component*) { OpenTeamDialog("Heim", "System\\KarteHeim.pyl", 3, 0); }
void TMainForm::btnGKarteClick(Component*) { OpenTeamDialog("Gast", "System\\KarteGast.pyl", 3, 0); }
void TMainForm::btnHTorClick(Component*) { GoalOpened("Heim"); }
void TMainForm::btnGTorClick(Component*) { GoalOpened("Gast"); }
void TMainForm::btnHSpielerClick(Component*) { OpenTeamDialog("Heim", nullptr, 4, 0); }
void TMainForm::btnGSpielerClick(Component*) { OpenTeamDialog("Gast", nullptr, 4, 7); }
