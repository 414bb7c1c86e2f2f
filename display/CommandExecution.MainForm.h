// TMainForm: display command execution (display/CommandExecution.cpp).
// Read inside the class by common/MainForm.h.
void timerCMDTimer(Component* Sender);
// Stops frame n's rotation and makes its next step start from the first
// queue line 100 ms after the timer is switched on again.
void RestartFrame(int frame);
