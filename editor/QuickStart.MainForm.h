// TMainForm: the quick-start list of the console (editor/QuickStart.cpp).
// Read inside the class by common/MainForm.h.
void btnQSLoadClick(Component* Sender);
void btnQSALoadClick(Component* Sender);
void btnQSPlayClick(Component* Sender);
void timerQSTimer(Component* Sender);
void btnQSEditClick(Component* Sender);
void btnQSSaveClick(Component* Sender);
// "Background" of the score panel.
void btnStopClick(Component* Sender);

// The Tag of listQS while it shows the titles of the amateur accounts.
static constexpr int kAmateurQuickStartTitles = 1;
// The ten titles of a quick-start file into listQS; the list's Tag says
// whose titles they are.
void LoadQuickStartTitles(const std::string& file, int tag);
// Sends the playlist or medium of the quick-start entry at list position
// `index` (0-based); an entry of another type sends nothing.
void SendQuickStartEntry(int index);
