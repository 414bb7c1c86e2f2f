#pragma once
// Shared routines of the main form's unit: one-call INI access, text slicing
// and splitting, grid loading and row deletion, folder and file listings.
// They hold no state; every INI call opens and closes its file.
#include <string>
#include <string_view>

#include "platform/ui/grid_model.h"
#include "platform/ui/string_list.h"

// The value of a key; `def` when the file, section or key is missing, and
// also when the stored value is empty.
std::string ReadIniString(std::string_view fileName, std::string_view section,
                          std::string_view key, std::string_view def);
// Writes one value, creating file, section and key as needed. Returns false
// when the write fails; raises nothing.
bool WriteIniString(std::string_view fileName, std::string_view section, std::string_view key,
                    std::string_view value);

// Characters are Unicode code points.
std::string LeftText(std::string_view text, int count);
std::string RightText(std::string_view text, int count);
// The text before the first occurrence of `separator`; empty when absent.
std::string TextBefore(std::string_view text, std::string_view separator);
// The text after the first character of the first occurrence of
// `separator`; the whole text when absent.
std::string TextAfter(std::string_view text, std::string_view separator);

// Splits at `delimiter`; optionally trims each item of blanks and control
// characters and honours double quotes (a delimiter inside quotes is kept,
// the quotes are dropped). A trailing delimiter adds no empty last item.
plat::ui::StringList SplitLine(std::string_view text, char delimiter, bool trimItems,
                           bool honourQuotes);

// Loads a comma-separated file into a grid of 11 columns and one row per
// line; raises when the file cannot be read or has no first line.
void LoadCsvIntoGrid(std::string_view fileName, plat::ui::GridModel& grid);
// Removes a row by moving the later rows up; an index at or past the row
// count removes the last row.
void DeleteGridRow(int row, plat::ui::GridModel& grid);

// Appends the names of the sub-folders matched by `searchMask` (a folder
// followed by a wildcard pattern), "." and ".." excepted, in file-system order.
void ListFoldersToCombo(std::string_view searchMask, plat::ui::StringList& items);
// Clears `list` and adds the names of the files in `folder` whose lowered
// extension equals `extension` exactly, in file-system order.
void ListFilesByExt(std::string_view folder, plat::ui::StringList& list, std::string_view extension);
