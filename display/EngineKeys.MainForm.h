// TMainForm: display engine keys (display/EngineKeys.cpp).
// Read inside the class by common/MainForm.h.
void UniFormKeyDown(Component* Sender, int& Key, ShiftState Shift);
void UniFormKeyPress(Component* Sender, char32_t& Key);
void memoLogDblClick(Component* Sender);
