#pragma once
// The three text formats that carry what the console prepares to the
// displays: playlist lines (".pyl"), frame layouts (".frm") and ticker
// settings (".tck"), with the media type codes and the duration text of a
// playlist item.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/string_list.h"

// --- playlists ---------------------------------------------------------------
// A playlist line: a comma, then fields 1 to 19, each followed by a comma.
constexpr int kPlaylistFields = 19;

// Field numbers of a playlist line.
enum PlaylistField {
  plNr = 1, plFile = 2, plTime = 3, plVol = 4, plEff = 5, plPath = 6, plFrame = 7, plType = 8,
  plBegin = 9, plEnd = 10, plWeekdays = 16, plKat1 = 18, plKat2 = 19
};

// The pieces of a line: piece 0 is the empty text before the leading comma,
// piece k is field k (blanks around each trimmed; the trailing comma adds
// nothing).
plat::ui::StringList SplitPlaylistLine(std::string_view line);
// True when the pieces hold every field up to `field`.
bool HasPlaylistFields(const plat::ui::StringList& pieces, int field);
// Writes fields 1 to 19 (`fields[0]` is field 1; missing ones are empty).
std::string FormatPlaylistLine(const std::vector<std::string>& fields);

// The media type code the editor gives a library file, by the text after
// the first "." of its name (lower case); empty for any other extension.
std::string MediaTypeCodeForFile(std::string_view fileName);
// The code of a web-address row.
inline constexpr const char* kWebAddressCode = "5";

// A typed duration as the "mm:ss" text stored in a playlist item.
std::string NormalizeTime(std::string_view text);

// --- frame layouts -----------------------------------------------------------
// Cells of a frame-layout line, in order; the row index follows them.
enum FrameLayoutCell {
  flFrame = 0, flTop = 1, flLeft = 2, flWidth = 3, flHeight = 4, flAktiv = 5, flDash = 6,
  flName = 7, flNr = 8, flColor = 9, flIndex = 10
};
// "00" to "09", then "10", "11", ...
std::string FrameLayoutRowIndex(int row);
// The ten cells of a row joined by commas and followed by the row index.
std::string FormatFrameLayoutLine(const std::vector<std::string>& cells, int row);
// How many lines of a layout of `lineCount` lines are applied: all but the
// last two.
int AppliedFrameLayoutRows(int lineCount);

// --- ticker settings ---------------------------------------------------------
struct TickerSettings {
  std::string text;
  std::string oben, links, breite, hoehe;  // position and size, as stored
  std::string backColor;                   // decimal colour value
  std::string fontName, fontColor, fontSize;
};
// Every key read on its own; a missing key is empty text.
TickerSettings ReadTickerSettings(const std::string& fileName);
// What the console writes: the text and the four position values. False
// when a key could not be written.
bool WriteTickerPosition(const std::string& fileName, const std::string& text, int oben, int links,
                         int breite, int hoehe);
