// TMainForm: playlist queues and frame rotation (display/PlaylistRotation.cpp).
// Read inside the class by common/MainForm.h.
void btnPlaylistClick(Component* Sender);
void timerF1Timer(Component* Sender);
void timerF2Timer(Component* Sender);
void timerF3Timer(Component* Sender);
// Whether an item with this time window and weekday mask plays now.
bool IsActiveNow(const std::string& begin, const std::string& end, const std::string& mask) const;
// One rotation step of frame n (1 to 3).
void RotateFrame(int n);
