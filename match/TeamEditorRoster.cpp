// The roster file of a team, the grid sorts, the picture list and the
// checks of team names.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "match/TeamEditor.h"
#include "platform/convert.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/ui/escape.h"

using plat::io::XmlDocument;
using plat::io::XmlError;
using plat::io::XmlNode;
using plat::ui::GridModel;

namespace utf8 = plat::io::utf8;

void PlayersToGrid(const XmlDocument& doc, GridModel& grid, bool reportOnly, std::span<const char* const> fields) {
  const std::vector<XmlNode> players = doc.DocumentElement().ChildElements();
  grid.BeginUpdate();
  grid.SetRowCount(0);
  for (std::size_t i = 1; i < players.size(); ++i) {
    auto field = [&](const char* name) {
      const XmlNode n = players[i].FindChild(name);
      return n.IsNull() ? std::string() : n.Text();
    };
    if (reportOnly && field("SpBerNr") == "0") continue;
    const int row = grid.AppendRow();
    for (std::size_t c = 0; c < fields.size(); ++c) grid.SetCell(static_cast<int>(c), row, field(fields[c]));
  }
  grid.EndUpdate();
}

void RosterToGrid(const XmlDocument& doc, GridModel& grid, bool reportOnly) {
  PlayersToGrid(doc, grid, reportOnly, std::span(kPlayerFields).first(kRosterColumns));
}

void GridToRoster(const GridModel& grid, XmlDocument& doc) {
  XmlNode root;
  try {
    root = doc.DocumentElement();
    if (root.Name() == "team") root.RemoveChildren(); else root = XmlNode();
  } catch (const XmlError&) {
    root = XmlNode();  // inactive or without a root
  }
  if (root.IsNull()) {
    doc.Clear();
    doc.SetActive(true);
    root = doc.CreateDocumentElement("team");
  }
  XmlNode header = root.AddChild("player");
  for (const char* name : kPlayerFields) header.AddChild(name).SetText(std::string_view(name) == "Reserve" ? "-" : name);
  for (int r = 0; r < grid.RowCount(); ++r) {
    XmlNode player = root.AddChild("player");
    for (int c = 0; c < kRosterColumns; ++c) player.AddChild(kPlayerFields[c]).SetText(grid.Cell(c, r));
    player.AddChild("Reserve").SetText("-");
  }
}

namespace {

// Writes the rows back in the order of `order` (indexes of the old rows).
void ReorderRows(GridModel& grid, const std::vector<int>& order) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(order.size());
  for (int r : order) {
    std::vector<std::string> cells;
    for (int c = 0; c < grid.ColCount(); ++c) cells.push_back(grid.Cell(c, r));
    rows.push_back(std::move(cells));
  }
  grid.BeginUpdate();
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < grid.ColCount(); ++c)
      grid.SetCell(c, static_cast<int>(r), rows[r][static_cast<std::size_t>(c)]);
  grid.EndUpdate();
}

template <typename Less>
void SortRowsBy(GridModel& grid, int col, Less less) {
  if (col < 0 || col >= grid.ColCount()) return;
  std::vector<int> order(static_cast<std::size_t>(grid.RowCount()));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), less);
  ReorderRows(grid, order);
}

double KeyValue(const std::string& key) {
  return plat::TryStrToFloat(key, plat::kGermanDecimal).value_or(0.0);
}

int CompareNumbers(double a, double b) {
  const double tolerance = std::max(1e-12, 1e-12 * std::min(std::fabs(a), std::fabs(b)));
  if (std::fabs(a - b) <= tolerance) return 0;
  return a < b ? -1 : 1;
}

}  // namespace

void SortGridByText(GridModel& grid, int col) {
  SortRowsBy(grid, col, [&](int a, int b) { return utf8::Collate(grid.Cell(col, a), grid.Cell(col, b)) < 0; });
}

void SortGridByNumber(GridModel& grid, int col) {
  if (col < 0 || col >= grid.ColCount()) return;
  std::vector<double> keys;
  for (int r = 0; r < grid.RowCount(); ++r) keys.push_back(KeyValue(grid.Cell(col, r)));
  SortRowsBy(grid, col, [&](int a, int b) {
    return CompareNumbers(keys[static_cast<std::size_t>(a)], keys[static_cast<std::size_t>(b)]) < 0;
  });
}

int CompareAsFloat(const plat::ui::StringList& keys, int first, int second) {
  return CompareNumbers(KeyValue(keys[first]), KeyValue(keys[second]));
}

void ListPictures(std::string_view folder, plat::ui::StringList& list) {
  list.Clear();
  for (const auto& e : plat::io::ListDirectory(folder)) {
    if (e.isDirectory) continue;
    const std::string ext = utf8::ToLower(plat::io::ExtractFileExt(e.name));
    if (ext == ".png" || ext == ".jpg") list.Add(e.name);
  }
}

std::string TeamLogoHtml(std::string_view team, int width) {
  return "<img src=\"Containers\\Teams\\" + plat::ui::EscapeHtml(team) + "\\logo.png \" alt=\"\" width=\"" +
         std::to_string(width) + "\" >";
}

bool IsNewTeamName(std::string_view name) {
  if (!plat::io::IsPlainName(name)) return false;
  if (name.find_first_of(":*?\"<>|") != std::string_view::npos) return false;
  return name.front() != ' ' && name.back() != ' ' && name.back() != '.';
}
