// TMainForm: the playlist row menu's settings: play, delete, preview, the
// item dialog, time and effect of all rows (editor/PlaylistRowSettings.cpp).
// Read inside the class by common/MainForm.h.
void Play1Click(Component* Sender);
void UniMenuPLSDelClick(Component* Sender);
void UniMenuPLSPreviewClick(Component* Sender);
void UniMenuPLSSettClick(Component* Sender);
void ZeitEinstellen1Click(Component* Sender);
void SetTimeAllDone(Component* Sender, int AResult, const std::string& AText);
void Effekteinstellen1Click(Component* Sender);
void SetEffectAllDone(Component* Sender, int AResult, const std::string& AText);

// Writes the text into one column of every row of the chosen grid.
void SetColumnOfAllRows(int col, const std::string& text);
