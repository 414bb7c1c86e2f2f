#pragma once
// Routines of the media library that the playlist editor shares.
#include <string>
#include <string_view>

namespace plat::ui {
class TTreeNode;
}

// The text without the HTML tags at its start ("<i ...></i>  a.jpg" ->
// "  a.jpg"); a text that begins with "<" but holds no ">" is returned as
// it is.
std::string StripTags(std::string_view text);

// The file name a list item of the library stands for: its text without
// the icon, trimmed, with the HTML escapes of the name undone.
std::string LibraryItemFileName(std::string_view item);

// The texts of the node's ancestors from the top level down and of the node
// itself, joined with "\".
std::string GetNodePath(const plat::ui::TTreeNode* node);

// Deletes the folder with everything in it; links inside it are removed,
// never followed. True when the folder is gone.
bool DeleteFolder(std::string_view systemPath);

// The icon HTML of a file's kind by its extension (any letter case), or ""
// for a file the library does not list.
std::string MediaIconHtml(std::string_view fileName);
