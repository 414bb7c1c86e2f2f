// TMainForm: day plan (display/Dayplan.cpp).
// Read inside the class by common/MainForm.h.
void btnDayplanClick(Component* Sender);
void timerDayplanTimer(Component* Sender);
// The minute of the previous day-plan tick (counted from the clock's first
// day; -1 before the first), and whether a plan was ever loaded.
long long lastDayplanMinute = -1;
bool dayplanLoaded = false;
static long long DayplanMinute(const plat::DateTime& t);
