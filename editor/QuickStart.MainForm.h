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

// The ten titles of a quick-start file into listQS.
void LoadQuickStartTitles(const std::string& file);
// Sends the playlist or medium of the quick-start entry at list position
// `index` (0-based); an entry of another type sends nothing.
void SendQuickStartEntry(int index);
