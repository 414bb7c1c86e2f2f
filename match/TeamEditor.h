#pragma once
// The team folders below "Containers\Teams\": one folder per team with its
// roster "Team.xml", its "logo.png" and the player pictures in "Spieler\".
// The roster format, the grid sorts the rosters and the match report use,
// the picture list and the checks of the names that become folders.
#include <span>
#include <string>
#include <string_view>

#include "platform/io/xml_document.h"
#include "platform/ui/grid_model.h"
#include "platform/ui/string_list.h"

// The child elements of a roster's player, in the order they are written;
// the first nine are the roster grid's columns 0 to 8.
inline constexpr const char* kPlayerFields[] = {"Nr",   "Vorname", "Nachname", "Gr\xC3\xB6sse", "GebDatum",
                                                "Bild", "SpNr",    "SpBerNr",  "Aktiv",         "Reserve"};
inline constexpr int kRosterColumns = 9;

// Fills the grid with the players of a loaded roster: its row count becomes
// the number of players taken, and each row gets columns 0 to 8 from the
// player's child elements (a missing one reads empty). The root's first
// child is a header and always skipped; the players are taken by position,
// whatever their element name. With reportOnly, a player whose "SpBerNr" is
// exactly "0" is left out. The grid is changed inside one update.
void RosterToGrid(const plat::io::XmlDocument& doc, plat::ui::GridModel& grid, bool reportOnly);
// The same with the named child elements as the grid's columns 0 onward.
void PlayersToGrid(const plat::io::XmlDocument& doc, plat::ui::GridModel& grid, bool reportOnly,
                   std::span<const char* const> fields);

// Rebuilds the document from the grid: root "team", the header player (each
// element holding its own name, "Reserve" "-"), then one player per grid
// row, empty rows included, with "Reserve" "-". A document whose root is
// "team" keeps its encoding; any other content is dropped.
void GridToRoster(const plat::ui::GridModel& grid, plat::io::XmlDocument& doc);

// Orders all rows of a grid (no title rows) by one column, ascending: as text
// without regard to letter case, or by number (CompareAsFloat). A column
// outside the grid changes nothing. Rows with equal keys keep their order.
void SortGridByText(plat::ui::GridModel& grid, int col);
void SortGridByNumber(plat::ui::GridModel& grid, int col);

// Compares two keys of the list as decimal numbers (a decimal comma, as the
// venues' servers write them); a key that is no number counts as 0. Two
// numbers within max(1E-12, 1E-12 * the smaller magnitude) are equal.
// Returns -1, 0 or 1.
int CompareAsFloat(const plat::ui::StringList& keys, int first, int second);

// Replaces the list with the names of the ".png" and ".jpg" files (any letter
// case) of a folder, in file-system order; folders are left out. A missing
// folder gives an empty list.
void ListPictures(std::string_view folder, plat::ui::StringList& list);

// The logo of a team as the console shows it, scaled to a width:
// <img src="Containers\Teams\<team>\logo.png " alt="" width="<width>" >
// with the team's name HTML-escaped.
std::string TeamLogoHtml(std::string_view team, int width);

// A name an operator may give a new team folder: one plain name (no
// separator, not "." or "..", no control character), none of the characters
// a Windows folder name cannot hold (: * ? " < > |), not ending in a dot or
// a blank, not beginning with a blank.
bool IsNewTeamName(std::string_view name);
