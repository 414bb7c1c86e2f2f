// TMainForm: the playlist editor's files: the playlist tree, open, save,
// save as, delete, and the two play commands (editor/PlaylistFiles.cpp).
// Read inside the class by common/MainForm.h.
void btnPLSLoadF1Click(Component* Sender);
void treePlsClick(Component* Sender);
void btnLoadPLSClick(Component* Sender);
void btnPLSSaveClick(Component* Sender);
void btnPLSSaveAsClick(Component* Sender);
void SavePlaylistAsDone(Component* Sender, int AResult, const std::string& AText);
void btnPLSDelClick(Component* Sender);
void DeletePlaylistDone(Component* Sender, int AResult, const std::string& AText);
void btnPlsPlayClick(Component* Sender);
void btnPlsStopClick(Component* Sender);

// The lines of both grids as a playlist file holds them (times normalised).
std::vector<std::string> PlaylistLines();
// Writes the grids to the playlist file of that path relative to
// "Config\Progs\"; raises when it cannot be written.
void WritePlaylist(const std::string& relative);
// Sends the browser the suspend call of a grid, or the resume and refresh
// calls.
void SuspendGrid(TUniStringGrid* grid);
void ResumeGrid(TUniStringGrid* grid);
