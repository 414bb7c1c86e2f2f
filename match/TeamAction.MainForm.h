// TMainForm: the openers of the team action dialog on the score tab
// (match/TeamAction.cpp). Read inside the class by common/MainForm.h.
// The game time of the last goal, in seconds of play.
int nSpieltime = 0;

void btnHAufstClick(Component* Sender);
void btnGAufstClick(Component* Sender);
void btnHWClick(Component* Sender);
void btnGWClick(Component* Sender);
void btnHKarteClick(Component* Sender);
void btnGKarteClick(Component* Sender);
void btnHTorClick(Component* Sender);
void btnGTorClick(Component* Sender);
void btnHSpielerClick(Component* Sender);
void btnGSpielerClick(Component* Sender);

// Issues the playlist when there is one, then fills a new team action
// dialog for one side ("Heim" or "Gast") with that team's match-report
// players, on its page, sorted by the column, and shows it modally.
void OpenTeamDialog(const std::string& side, const char* playlist, int page, int sortCol);
// A goal of one side: counts it, issues the side's goal playlist and opens
// the dialog on its score page with the goal's game time.
void GoalOpened(const std::string& side);
