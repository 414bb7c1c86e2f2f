// TMainForm: the match-day tab and Matchday.xml (match/Matchday.cpp). Read
// inside the class by common/MainForm.h.
void btnMLastClick(Component* Sender);
void btnMatchSaveClick(Component* Sender);
void btnMatchStartClick(Component* Sender);

// "Containers\System\files\Matchday.xml" of the program folder.
std::string MatchdayFile() const;
