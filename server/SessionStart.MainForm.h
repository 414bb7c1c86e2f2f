// TMainForm: session start, login and exit (server/SessionStart.cpp).
// Read inside the class by common/MainForm.h.
void UniFormShow(Component* Sender);
void UniFormScreenResize(Component* Sender, int AWidth, int AHeight);
void btnLoginOKClick(Component* Sender);
void UniButton1Click(Component* Sender);
void timerGoTimer(Component* Sender);
