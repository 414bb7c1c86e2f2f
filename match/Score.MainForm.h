// TMainForm: the score and the game clock of the score panel "Anzeige"
// (match/Score.cpp). Read inside the class by common/MainForm.h.
// Home and guest goals of this console; saved only by the score apply.
int nTorHeim = 0;
int nTorGast = 0;

void TorHPClick(Component* Sender);
void TorHMClick(Component* Sender);
void TorGPClick(Component* Sender);
void TorGMClick(Component* Sender);
void btnAnzApplyClick(Component* Sender);
void btnASpielstandClick(Component* Sender);
void btnAUhr45Click(Component* Sender);
void btnAUhr90Click(Component* Sender);
void btnAUhr3Click(Component* Sender);
void btnAUhr4Click(Component* Sender);
void StartPeriod1Confirmed(Component* Sender, int AResult);
void StartPeriod2Confirmed(Component* Sender, int AResult);
void StartPeriod3Confirmed(Component* Sender, int AResult);
void StartPeriod4Confirmed(Component* Sender, int AResult);
void btnAUhrVerlClick(Component* Sender);
void StartExtraTimeConfirmed(Component* Sender, int AResult);
void btnAUhrStopClick(Component* Sender);
void btnEditUhrClick(Component* Sender);
void btnAUhrStartClick(Component* Sender);

// "Containers\System\files\spielstand.xml" of the program folder.
std::string SpielstandFile() const;
// Shows the score counters in the score label.
void ShowScore();
// Asks whether period `period` (1 to 4) is to start; the answer goes to
// its StartPeriod<period>Confirmed.
void AskPeriodStart(int period, Component* Sender);
// Stores the current time of day as the start of period `period`.
void StartPeriod(int period);
