// TMainForm: display command execution (display/CommandExecution.cpp).
// Read inside the class by common/MainForm.h.
void timerCMDTimer(Component* Sender);
// Stops frame n's rotation and makes its next step start from the first
// queue line 100 ms after the timer is switched on again.
void RestartFrame(int frame);
// The file `name` in `folder` (e.g. "Config\Progs\") below the display
// base folder; false when it does not exist or the name would leave the
// folder.
bool FindDisplayFile(const std::string& folder, const std::string& name, std::string& file) const;
// A failure of a display step: a line in the display log and one in the
// server log ("display <location>, " + serverLine). A display has nobody
// to dismiss an error box.
void LogDisplayError(const std::string& logLine, const std::string& serverLine);
