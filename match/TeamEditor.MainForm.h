// TMainForm: the team editor of the console (match/TeamEditor.cpp). Read
// inside the class by common/MainForm.h.
// The working document of every load and save of a team's roster.
plat::io::XmlDocument xmlTeam;
// The team whose roster the roster grid holds (empty until one is loaded):
// only that team's file is written by a save.
std::string sTeamInEditor;

void comboMHeimChange(Component* Sender);
void comboMGastChange(Component* Sender);
void btnMHeimRefreshClick(Component* Sender);
void btnMGastRefreshClick(Component* Sender);
void edtApplyTeamsClick(Component* Sender);
void edtNewTeamClick(Component* Sender);
void btnNewTeamOKClick(Component* Sender);
void btnLoadTeamClick(Component* Sender);
void cmbTeamSortChange(Component* Sender);
void gridTeamSelectCell(Component* Sender, int ACol, int ARow, bool& CanSelect);
void cmbPlayerPictChange(Component* Sender);
void btnSetPlayerClick(Component* Sender);
void btnNewPlayerClick(Component* Sender);
void btnDelPlayerClick(Component* Sender);
void btnTeamSaveClick(Component* Sender);

// "Containers\Teams\<team>\" of the program folder.
std::string TeamFolder(std::string_view team) const;
// Fills comboMHeim with the team folders and gives comboMGast the same items.
void FillTeamCombos();
// The players of a team that are on its match report into columns 0 to 8 of
// a grid (rows in file order); the editor's logo shows that team. A missing
// roster shows its toast and leaves the grid as it is.
void LoadTeamIntoHeimDialog(const std::string& team, plat::ui::GridModel& grid);
// Makes the combo box's text the team of the editor and loads its match
// report (sorted by slot) and its roster.
void ChooseEditorTeam(TUniComboBox* combo, bool evenEmpty);
// True when the roster file of the team exists; else shows the toast of a
// missing roster.
bool TeamFileFound(const std::string& team);
