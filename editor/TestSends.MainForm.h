// TMainForm: the hidden test page of the console (editor/TestSends.cpp).
// Read inside the class by common/MainForm.h.
void btnStart1Click(Component* Sender);
void btnStart2Click(Component* Sender);
void btnStart3Click(Component* Sender);
void btnStart4Click(Component* Sender);
void btnStart5Click(Component* Sender);
void btnStart6Click(Component* Sender);
void btnStart7Click(Component* Sender);

// A test send of the day plan or medium named in an edit; the fade effect
// as chkEffect says.
void SendTestDayplan(const TUniEdit& name);
void SendTestMedium(const TUniEdit& address);
