// TMainForm: the ticker editor of the console (editor/TickerEditor.cpp).
// Read inside the class by common/MainForm.h.
void btnTCKStartClick(Component* Sender);
void btnTCKStopClick(Component* Sender);
