// TMainForm: medium rendering (display/MediumRendering.cpp).
// Read inside the class by common/MainForm.h.
enum class MediumVariant { Frame1, Frame2, Frame3, Single };
std::string MediumHtml(const std::string& address, const std::string& code, TUniPanel* panel,
                       MediumVariant variant);
// Flips frame n's buffer, puts the HTML into the incoming label and starts
// the fade timer with the effect (none without an effect).
void ShowInFrame(int frame, const std::string& html, std::optional<int> effect);
void FadeLabel(TUniLabel* label, bool fadeOut, int durationMs);
void btnPlayMediumClick(Component* Sender);
void timerF1BTimer(Component* Sender);
void timerF2BTimer(Component* Sender);
void timerF3BTimer(Component* Sender);
void timerStopSoundTimer(Component* Sender);

// the double buffer of frames 1 to 3: which label takes the next item,
// and the outgoing and incoming label of each frame
bool f1Preload = false, f2Preload = false, f3Preload = false;
TUniLabel* sL1 = nullptr;
TUniLabel* sL2 = nullptr;
TUniLabel* sL3 = nullptr;
TUniLabel* sL4 = nullptr;
TUniLabel* sL5 = nullptr;
TUniLabel* sL6 = nullptr;
