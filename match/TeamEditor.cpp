// The team editor tab of the console: the teams of the match, new teams,
// the roster of one team in a grid with the player pictures, and saving it.
#include "match/TeamEditor.h"

#include <filesystem>
#include <system_error>

#include "common/Main.h"
#include "common/MainForm.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/ui/escape.h"

using plat::io::XmlError;

namespace {

// The roster column of the player picture.
constexpr int kPictureColumn = 5;

std::string TrimBlanks(std::string_view s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(' ') - b + 1));
}

}  // namespace

std::string TMainForm::TeamFolder(std::string_view team) const {
  return apppath + "Containers\\Teams\\" + std::string(team) + "\\";
}

bool TMainForm::TeamFileFound(const std::string& team) {
  // A name that is no plain folder name names no team below "Teams\".
  if (plat::io::IsPlainName(team) && plat::io::FileExists(TeamFolder(team) + "Team.xml")) return true;
  FormSession()->ShowToast("Team " + team + " Team.xml nicht gefunden!");
  return false;
}

void TMainForm::FillTeamCombos() {
  plat::ui::StringList teams;
  ListFoldersToCombo(apppath + "Containers\\teams\\*.*", teams);
  comboMHeim->Items().Assign(teams);
  comboMGast->Items().Assign(teams);
}

// ---- the teams of the match ----------------------------------------------------

void TMainForm::ChooseEditorTeam(TUniComboBox* combo, bool evenEmpty) {
  lblTeamname->SetCaption(combo->Text());
  if (!evenEmpty && lblTeamname->Caption().empty()) return;
  // The match report and the roster of the team; an unsaved report is
  // discarded. A roster that is no XML stops here.
  LoadTeamIntoReport(lblTeamname->Caption(), *gridTeamAktiv);
  btnLoadTeam->OnClick(btnLoadTeam);
  SortGridByNumber(*gridTeamAktiv, 0);
  btnSBSave->SetVisible(false);
}

void TMainForm::comboMHeimChange(Component*) { ChooseEditorTeam(comboMHeim, false); }
void TMainForm::comboMGastChange(Component*) { ChooseEditorTeam(comboMGast, false); }
void TMainForm::btnMHeimRefreshClick(Component*) { ChooseEditorTeam(comboMHeim, true); }
void TMainForm::btnMGastRefreshClick(Component*) { ChooseEditorTeam(comboMGast, true); }

void TMainForm::edtApplyTeamsClick(Component*) {
  const std::string home = comboMHeim->Text(), guest = comboMGast->Text();
  WriteMatchSetting("Heim", home);
  WriteMatchSetting("Gast", guest);
  panH1->SetTitle(home);
  panG1->SetTitle(guest);
  // The logos of the score panels.
  for (const auto& [name, team] : {std::pair{"logoHeim", home}, std::pair{"logoGast", guest}})
    if (auto* logo = dynamic_cast<TUniLabel*>(FindComponent(name))) logo->SetCaption(TeamLogoHtml(team, 115));
}

// ---- new team --------------------------------------------------------------------

void TMainForm::edtNewTeamClick(Component*) {
  edtTeamname->SetVisible(true);
  btnNewTeamOK->SetVisible(true);
}

void TMainForm::btnNewTeamOKClick(Component*) {
  const std::string name = TrimBlanks(edtTeamname->Text());
  if (!IsNewTeamName(name)) {
    FormSession()->ShowMessage("Kein g\xC3\xBCltiger Teamname: \"" + edtTeamname->Text() + "\"");
    return;
  }
  const std::string teams = apppath + "Containers\\Teams\\";
  if (!plat::io::CreateDirectories(teams)) throw plat::io::IoError("cannot create the folder " + teams);
  // Creating the folder is the test: another console may create the same
  // team at the same moment. A folder of another letter case is the same
  // team.
  std::error_code ec;
  const bool created = std::filesystem::create_directory(plat::io::Resolve(teams + name), ec);
  if (ec) throw plat::io::IoError("cannot create the folder " + teams + name + ": " + ec.message());
  if (!created) {
    FormSession()->ShowMessage("Das Team " + name + " gibt es bereits.");
    return;
  }
  const std::string folder = TeamFolder(name);
  if (!plat::io::CreateDirectories(folder + "Spieler")) throw plat::io::IoError("cannot create " + folder + "Spieler");
  std::string text;
  for (const std::string& line : memoTeam->Lines().Items()) text += line + "\r\n";
  plat::io::WriteFileAtomic(folder + "team.xml", plat::io::EncodeText(text, plat::io::Encoding::Cp1252));
  edtTeamname->SetVisible(false);
  btnNewTeamOK->SetVisible(false);
  comboMHeim->Items().Clear();
  comboMGast->Items().Clear();
  FillTeamCombos();
}

// ---- the roster --------------------------------------------------------------------

void TMainForm::btnLoadTeamClick(Component*) {
  const std::string team = lblTeamname->Caption();
  if (!TeamFileFound(team)) return;
  lblTeamlogo->SetCaption(TeamLogoHtml(team, 188));
  // A file that is no XML goes to the operator as an error; the grid keeps
  // its rows then.
  xmlTeam.LoadFromFile(TeamFolder(team) + "Team.xml");
  RosterToGrid(xmlTeam, *gridTeam, false);
  sTeamInEditor = team;
  plat::ui::StringList pictures;
  ListPictures(TeamFolder(team) + "Spieler\\", pictures);
  cmbPlayerPict->Items().Assign(pictures);
}

void TMainForm::LoadTeamIntoHeimDialog(const std::string& team, plat::ui::GridModel& grid) {
  if (!TeamFileFound(team)) return;
  lblTeamlogo->SetCaption(TeamLogoHtml(team, 188));
  xmlTeam.LoadFromFile(TeamFolder(team) + "Team.xml");
  RosterToGrid(xmlTeam, grid, true);
}

void TMainForm::btnTeamSaveClick(Component*) {
  const std::string team = lblTeamname->Caption();
  // Only the team the grid was loaded from: after a choice whose roster
  // could not be loaded, the grid still holds the former team.
  if (sTeamInEditor.empty() || team != sTeamInEditor) {
    FormSession()->ShowMessage("Kein Team geladen: nichts gespeichert.");
    return;
  }
  const std::string file = TeamFolder(team) + "Team.xml";
  // Loaded once more only for the encoding the file is written in.
  try {
    xmlTeam.LoadFromFile(file);
  } catch (const XmlError&) {
    xmlTeam.Clear();
  }
  GridToRoster(*gridTeam, xmlTeam);
  xmlTeam.SaveToFile(file);
}

void TMainForm::cmbTeamSortChange(Component*) {
  const std::string by = cmbTeamSort->Text();
  gridTeam->BeginUpdate();
  if (by == "Nr") SortGridByNumber(*gridTeam, 0);
  else if (by == "SpBerNr") SortGridByNumber(*gridTeam, 7);
  else if (by == "Vorname") SortGridByText(*gridTeam, 1);
  else if (by == "Nachname") SortGridByText(*gridTeam, 2);
  gridTeam->EndUpdate();
}

void TMainForm::gridTeamSelectCell(Component*, int, int ARow, bool&) {
  gridTeam->SetTag(ARow);
  cmbPlayerPict->SetText(gridTeam->Cells(kPictureColumn, ARow));
  cmbPlayerPictChange(cmbPlayerPict);
}

void TMainForm::cmbPlayerPictChange(Component*) {
  const std::string picture = cmbPlayerPict->Text(), team = lblTeamname->Caption();
  // A player without a picture shows none (the roster writes " " for it);
  // so does a name that would reach outside the team's picture folder.
  if (TrimBlanks(picture).empty() || !plat::io::IsPlainName(picture) || !plat::io::IsPlainName(team)) {
    lblPlayerPict->SetCaption("");
    return;
  }
  lblPlayerPict->SetCaption("<img src=\"Containers/Teams/" + plat::ui::EscapeHtml(team) +
                            "/Spieler/" + plat::ui::EscapeHtml(picture) + "\" alt=\"\" width=\"140\" height=\"200\">");
}

void TMainForm::btnSetPlayerClick(Component*) {
  const int row = gridTeam->Tag();
  // The remembered row may lie past a smaller team loaded since.
  if (row >= 0 && row < gridTeam->RowCount()) gridTeam->SetCells(kPictureColumn, row, cmbPlayerPict->Text());
}

void TMainForm::btnNewPlayerClick(Component*) {
  const int row = gridTeam->AppendRow();
  gridTeam->SetCells(1, row, "Vorname");
  gridTeam->SetCells(2, row, "Nachname");
}

void TMainForm::btnDelPlayerClick(Component*) { DeleteGridRow(gridTeam->Tag(), *gridTeam); }
