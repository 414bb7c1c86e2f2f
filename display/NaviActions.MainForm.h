// TMainForm: navigation actions (display/NaviActions.cpp).
// Read inside the class by common/MainForm.h.
void lblNaviBtnMouseDown(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
void lblNaviBtnMouseUp(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
void lblNaviBtnClick(Component* Sender);
void btnNaviAktionClick(Component* Sender);
void btnDelSlaveClick(Component* Sender);
void btnControlsClick(Component* Sender);
