// TMainForm: the media library panel of the console (editor/MediaLibrary.cpp).
// Read inside the class by common/MainForm.h.
void treeContClick(Component* Sender);
void treeContMouseDown(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
void listContChange(Component* Sender);
void listContClick(Component* Sender);
void listContMouseDown(Component* Sender, MouseButton Button, ShiftState Shift, int X, int Y);
void btnPlayContMediumClick(Component* Sender);
void CreateDirectoryClick(Component* Sender);
void CreateDirectoryDone(Component* Sender, int AResult, const std::string& AText);
void DeleteDirectory1Click(Component* Sender);
void DeleteDirectoryDone(Component* Sender, int AResult, const std::string& AText);

// Fills items with one entry per media file of the folder (a full path with
// a trailing backslash): the icon of its kind and its name (escaped for
// the list's HTML). Hides the three preview areas.
void ListMediaWithIcons(const std::string& folder, ObservedStrings& items);
// Adds a node per sub-folder of folder, at any depth, below parent (nullptr:
// at the top level). Folders whose name begins with "." and links are left
// out.
void FillFolderTree(TUniTreeView* tree, const std::string& folder, TTreeNode* parent);
// The library tree anew: every folder below "Containers\".
void FillLibraryTree();
