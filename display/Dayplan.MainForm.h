// TMainForm: day plan (display/Dayplan.cpp).
// Read inside the class by common/MainForm.h.
void btnDayplanClick(Component* Sender);
void timerDayplanTimer(Component* Sender);
