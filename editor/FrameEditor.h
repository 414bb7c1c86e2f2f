#pragma once
// Colours of the frame-layout editor: layout files store a VCL colour
// ($00BBGGRR) as hexadecimal digits, the operator types "#RRGGBB".
#include <stdexcept>
#include <string>
#include <string_view>

// "#RRGGBB" of a colour; a system colour is first resolved to the RGB value
// the console shows for it.
std::string ColorToHtml(int color);

// "#RRGGBB" as a VCL colour $00BBGGRR. The first character is dropped
// whatever it is; the rest must be exactly six hexadecimal digits, else
// std::invalid_argument is raised with a message for the operator.
int HtmlColorToInt(std::string_view text);

// A layout name the editor may open or save: one plain file name of the
// layout folder ending in ".frm" (letter case ignored).
bool IsLayoutFileName(std::string_view name);

// Whether a cell text of a layout row is what a display can apply: whole
// numbers for the position and size columns, one to eight hexadecimal
// digits for the colour column; any text for the other columns.
bool LayoutCellValid(int col, std::string_view text);
