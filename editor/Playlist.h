#pragma once
// Routines of the playlist editor that hold no session state: the texts a
// cell may hold, the icons of a row, the rows of a grid in the playlist line
// form, the playlist listing and tree, and the names "Save As" takes.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/grid_model.h"
#include "platform/ui/string_list.h"

namespace plat::ui {
class TUniTreeView;
}

// Columns of a playlist grid: 0 the icon, k (1 to 19) field k of the line.
constexpr int kPlaylistGridCols = 20;

// A typed text as a cell may hold it: blanks around it trimmed, commas, CR
// and LF removed (a playlist line has no quoting).
std::string PlaylistCellText(std::string_view typed);
// True for an optional sign followed by decimal digits that fit an int.
bool IsWholeNumber(std::string_view text);
// True when a library file of this name can stand in a playlist line.
bool FitsPlaylistLine(std::string_view fileName);

// The type code and icon of a row added from the library, by the text after
// the first "." of the file name (the whole name without one), in lower
// case; both empty for an extension the editor does not know.
struct AddedKind {
  std::string type;
  std::string icon;
};
AddedKind KindOfLibraryFile(std::string_view fileName);
// The icon of a new web-address row.
extern const char* const kWebAddressIcon;
// The icon a loaded row gets by its type; `missing` colours it red (never
// for a web address or an unknown type).
std::string LoadedRowIcon(std::string_view type, bool missing);
// The icon a row gets when the grid is rebuilt by a move to the top or the
// bottom: by its type, the clock for a row with a weekday mask.
std::string RebuiltRowIcon(std::string_view type, std::string_view weekdays);

// Columns 1 to 19 of a row in the playlist line form; `time` replaces
// column 3 when given.
std::string GridRowLine(const plat::ui::GridModel& grid, int row, const std::string* time = nullptr);
// Swaps all cells of two rows.
void SwapGridRows(plat::ui::GridModel& grid, int a, int b);
// Column 1 of every row := its position, 1 to n.
void RenumberGridRows(plat::ui::GridModel& grid);

// Adds the path of every playlist (extension `extension`, compared in lower
// case) below `folder`, relative to `root` (both system folders ending with
// "\"), each folder's entries by name; links are not followed and the
// process's current directory is not changed. Raises plat::io::IoError when
// `folder` cannot be listed.
void ListFilesRecursive(const std::string& folder, plat::ui::StringList& list, std::string_view extension,
                        const std::string& root);
// The playlist tree of the relative paths in `paths`: a folder node (image
// `folderImage`) per folder, under its parent folder; a playlist node
// (image 0) under its folder. A playlist name stands once in the whole tree
// (letter case ignored), at the first path that brings it. The tree's Hint
// := folder.
void FillTreeFromList(const std::string& folder, plat::ui::TUniTreeView& tree, int folderImage,
                      std::string_view extension, const plat::ui::StringList& paths);

// The playlist file "Save As" writes for the typed name: a relative path of
// plain parts below `progs` (a "\"-ended system folder) whose folders exist
// and are no links; ".pyl" is added unless the name ends with it. False
// with the reason for the operator otherwise.
bool SaveAsTarget(const std::string& progs, std::string_view typed, std::string& relative, std::string& why);
