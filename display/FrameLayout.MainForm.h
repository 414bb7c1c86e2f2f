// TMainForm: frame layout (display/FrameLayout.cpp).
// Read inside the class by common/MainForm.h.
void btnFrameClick(Component* Sender);
