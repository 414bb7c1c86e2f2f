// TMainForm: the match report of the team editor tab (match/MatchReport.cpp).
// Read inside the class by common/MainForm.h.
// True once the report grid was loaded from a roster; the number check runs
// only while it is False and "Spielbericht Neu" was confirmed once (the Tag
// of btnSBNeu is then 1).
bool bSpielBericht = false;
// The report rows whose number named a player: timerSB copies the player's
// names into them.
std::vector<int> reportRowsToName;

void btnSBNeuClick(Component* Sender);
void NewMatchReportConfirmed(Component* Sender, int AResult);
void btnSBSaveClick(Component* Sender);
void gridTeamAktivDrawCell(Component* Sender, int ACol, int ARow, CellText& Cell);
void gridTeamAktivSetCellValue(Component* Sender, int ACol, int ARow, const std::string& Value);
void timerSBTimer(Component* Sender);

// Fills the report grid with the players of the team's roster that are on
// its report (rows in file order). A missing roster shows its toast and
// leaves the grid as it is; a roster that is no XML raises.
void LoadTeamIntoReport(const std::string& team, plat::ui::GridModel& grid);
// True while typed numbers are checked against the roster.
bool ReportCheckOn() const;
