// TMainForm: the frame-layout editor of the console (editor/FrameEditor.cpp).
// Read inside the class by common/MainForm.h.
void cmbFrameChange(Component* Sender);
void nrFramesChange(Component* Sender);
void btnFrameSaveClick(Component* Sender);
void btnFRMPlayClick(Component* Sender);
void btnFrmSetClick(Component* Sender);
void GridFrame2DrawCell(Component* Sender, int ACol, int ARow, CellText& Cell);
void GridFrame2SetCellValue(Component* Sender, int ACol, int ARow, const std::string& Value);

// The layout names of "Config\Frames\" into cmbFrame, the folder into its
// hint.
void FillFrameList();
// Shows the active rows of GridFrame2 at half scale on the preview panel.
void ShowFramePreview();
