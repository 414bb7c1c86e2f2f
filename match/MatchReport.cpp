// The match report of the team editor tab: loading it with the team, a new
// report of empty slots, the check of each typed shirt number against the
// roster with the delayed copy of the player's names, and saving it into
// the roster.
#include "match/MatchReport.h"

#include <vector>

#include "common/Main.h"
#include "common/MainForm.h"
#include "match/TeamEditor.h"

using plat::io::XmlDocument;
using plat::ui::GridModel;

namespace {

// Roster grid columns the report reads and sets.
constexpr int kRosterNumberCol = 0, kRosterFirstNameCol = 1, kRosterLastNameCol = 2, kRosterSlotCol = 7,
              kRosterActiveCol = 8;

void TakeEveryoneOff(GridModel& roster) {
  for (int r = 0; r < roster.RowCount(); ++r) {
    roster.SetCell(kRosterActiveCol, r, "Nein");
    roster.SetCell(kRosterSlotCol, r, "0");
  }
}

}  // namespace

void ReportFromRoster(const XmlDocument& doc, GridModel& report) {
  static constexpr const char* kReportFields[] = {"SpBerNr", "Nr", "Vorname", "Nachname"};
  PlayersToGrid(doc, report, true, kReportFields);
}

void StartNewReport(GridModel& report, GridModel& roster) {
  roster.BeginUpdate();
  TakeEveryoneOff(roster);
  roster.EndUpdate();
  report.BeginUpdate();
  report.SetRowCount(0);
  for (int slot = 1; slot <= kReportSlots; ++slot) report.SetCell(kReportSlotCol, report.AppendRow(), std::to_string(slot));
  report.EndUpdate();
}

int FindPlayerByNumber(const GridModel& roster, std::string_view number) {
  if (number.empty()) return -1;
  int found = -1;
  for (int r = 0; r < roster.RowCount(); ++r)
    if (roster.Cell(kRosterNumberCol, r) == number) found = r;
  return found;
}

SlotCheckResult CheckSlot(const GridModel& report, int row, const GridModel& roster) {
  if (row < 0 || row >= report.RowCount()) return {};
  const std::string& number = report.Cell(kReportNumberCol, row);
  if (number.empty() || number == "?") return {};
  for (int r = 0; r < report.RowCount(); ++r)
    if (r != row && report.Cell(kReportNumberCol, r) == number) return {SlotCheck::kDuplicate};
  const int player = FindPlayerByNumber(roster, number);
  if (player < 0) return {SlotCheck::kUnknown};
  return {SlotCheck::kPlayer, player};
}

void ReportToRoster(const GridModel& report, GridModel& roster) {
  roster.BeginUpdate();
  TakeEveryoneOff(roster);
  for (int slot = 0; slot < report.RowCount(); ++slot) {
    const std::string& number = report.Cell(kReportNumberCol, slot);
    if (number.empty()) continue;
    for (int r = 0; r < roster.RowCount(); ++r)
      if (roster.Cell(kRosterNumberCol, r) == number) {
        roster.SetCell(kRosterSlotCol, r, report.Cell(kReportSlotCol, slot));
        roster.SetCell(kRosterActiveCol, r, "Ja");
      }
  }
  roster.EndUpdate();
}

// ---- the console's report --------------------------------------------------------

void TMainForm::LoadTeamIntoReport(const std::string& team, GridModel& grid) {
  // Loaded, as far as the check goes, even when the file is missing.
  bSpielBericht = true;
  if (!TeamFileFound(team)) return;
  lblTeamlogo->SetCaption(TeamLogoHtml(team, 188));
  xmlTeam.LoadFromFile(TeamFolder(team) + "Team.xml");
  ReportFromRoster(xmlTeam, grid);
}

bool TMainForm::ReportCheckOn() const { return !bSpielBericht && btnSBNeu->Tag() != 0; }

void TMainForm::btnSBNeuClick(Component* Sender) {
  FormSession()->MessageDlg("Spielbericht l\xC3\xB6schen ?", BoxIcon::Confirmation,
                            [this, Sender](ModalResult r) { NewMatchReportConfirmed(Sender, r); });
}

// Only Yes clears the report: No, Esc and closing the box keep it.
void TMainForm::NewMatchReportConfirmed(Component*, int AResult) {
  if (AResult != mrYes) return;
  bSpielBericht = false;
  btnSBSave->SetVisible(true);
  btnSBNeu->SetTag(1);
  reportRowsToName.clear();
  StartNewReport(*gridTeamAktiv, *gridTeam);
}

// Drawing only shows: a slot whose number no roster player has is shown as
// "?" in every cell, while the stored texts stay.
void TMainForm::gridTeamAktivDrawCell(Component*, int, int ARow, CellText& Cell) {
  if (ReportCheckOn() && CheckSlot(*gridTeamAktiv, ARow, *gridTeam).kind == SlotCheck::kUnknown) Cell.text = "?";
}

// A cell of a slot typed in the browser: its number is checked against the
// other slots and the roster; the names of a recognised player follow
// 300 ms later.
void TMainForm::gridTeamAktivSetCellValue(Component*, int, int ARow, const std::string&) {
  if (!ReportCheckOn()) return;
  std::erase(reportRowsToName, ARow);
  const SlotCheckResult found = CheckSlot(*gridTeamAktiv, ARow, *gridTeam);
  if (found.kind == SlotCheck::kDuplicate) {
    FormSession()->ShowToast("Spieler existiert bereits! Nr: " + gridTeamAktiv->Cells(kReportNumberCol, ARow));
    return;
  }
  if (found.kind != SlotCheck::kPlayer) return;
  // A slot that already shows the player's names needs no copy.
  if (gridTeamAktiv->Cells(kReportFirstNameCol, ARow) == gridTeam->Cells(kRosterFirstNameCol, found.rosterRow) &&
      gridTeamAktiv->Cells(kReportLastNameCol, ARow) == gridTeam->Cells(kRosterLastNameCol, found.rosterRow))
    return;
  reportRowsToName.push_back(ARow);
  timerSB->SetEnabled(true);
}

void TMainForm::timerSBTimer(Component*) {
  timerSB->SetEnabled(false);
  const std::vector<int> rows = std::move(reportRowsToName);
  reportRowsToName.clear();
  // A team chosen since has replaced the report. Each slot gets the names
  // of the player its number names now.
  if (!ReportCheckOn()) return;
  for (int row : rows) {
    const int player = FindPlayerByNumber(*gridTeam, gridTeamAktiv->Cells(kReportNumberCol, row));
    if (player < 0) continue;
    gridTeamAktiv->SetCells(kReportFirstNameCol, row, gridTeam->Cells(kRosterFirstNameCol, player));
    gridTeamAktiv->SetCells(kReportLastNameCol, row, gridTeam->Cells(kRosterLastNameCol, player));
  }
}

void TMainForm::btnSBSaveClick(Component*) {
  ReportToRoster(*gridTeamAktiv, *gridTeam);
  btnTeamSave->OnClick(btnTeamSave);
}
