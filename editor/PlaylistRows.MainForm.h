// TMainForm: the playlist editor's rows: the chosen grid and row, rows from
// the library and web addresses, moves, the frame count
// (editor/PlaylistRows.cpp). Read inside the class by common/MainForm.h.
void Grid1Click(Component* Sender);
void Grid2Click(Component* Sender);
void Grid1MouseDown(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
void Grid2MouseDown(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
void Grid1SelectCell(Component* Sender, int ACol, int ARow, bool& CanSelect);
void Grid2SelectCell(Component* Sender, int ACol, int ARow, bool& CanSelect);
void GridPlsValidateCell(Component* Sender, int ACol, int ARow, std::string& Value, bool& Accept);
void panFrame1ToolClick(Component* Sender, const std::string& ButtonId);
void panFrame2ToolClick(Component* Sender, const std::string& ButtonId);
void btnF1DownClick(Component* Sender);
void btnF1UpClick(Component* Sender);
void op1Click(Component* Sender);
void Bottom1Click(Component* Sender);
void btnPLSUrlClick(Component* Sender);
void MenuCont1Click(Component* Sender);
void MenuCont2Click(Component* Sender);
void nrPlsFramesChange(Component* Sender);

// The grid whose panel arrow was pressed last, and its panel (its Tag is
// the row a one-place move moves).
TUniStringGrid* nSelGrid = nullptr;
TUniPanel* nSelPan = nullptr;

// The grid the row menu acts on (the Tag of popupPLS: 1 or 2) and its panel,
// whose Tag is the grid's selected row; null while no grid was chosen.
TUniStringGrid* ChosenPlsGrid();
TUniPanel* ChosenPlsPanel();
// A row index of the grid, or nothing for a remembered row that is gone.
std::optional<int> ExistingRow(TUniStringGrid* grid, int row);
// Appends one row per selected library file to the grid of that frame.
void AddLibraryFiles(TUniStringGrid* grid, const std::string& frame);
// Moves the selected row of the chosen grid to the first or the last place
// and rebuilds the grid through the line form.
void MoveRowToEnd(bool top);
// Moves row s of nSelGrid one place by `step` (+1 down, -1 up).
void MoveRowOnePlace(int step);
