#include "common/Main.h"

#include <algorithm>

#include "platform/io/ini_file.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"

namespace utf8 = plat::io::utf8;
namespace io = plat::io;

std::string ReadIniString(std::string_view fileName, std::string_view section,
                          std::string_view key, std::string_view def) {
  auto value = io::IniRead(fileName, section, key);
  if (!value || value->empty()) return std::string(def);
  return *value;
}

bool WriteIniString(std::string_view fileName, std::string_view section, std::string_view key,
                    std::string_view value) {
  try {
    return io::IniWrite(fileName, section, key, value);
  } catch (...) {
    return false;
  }
}

std::string LeftText(std::string_view text, int count) {
  if (count <= 0) return {};
  return utf8::Substr(text, 0, static_cast<std::size_t>(count));
}

std::string RightText(std::string_view text, int count) {
  if (count <= 0) return {};
  std::size_t len = utf8::Length(text);
  std::size_t n = static_cast<std::size_t>(count);
  return n >= len ? std::string(text) : utf8::Substr(text, len - n);
}

std::string TextBefore(std::string_view text, std::string_view separator) {
  if (separator.empty()) return {};
  auto pos = text.find(separator);
  return pos == std::string_view::npos ? std::string() : std::string(text.substr(0, pos));
}

std::string TextAfter(std::string_view text, std::string_view separator) {
  auto pos = separator.empty() ? std::string_view::npos : text.find(separator);
  if (pos == std::string_view::npos) return std::string(text);
  // Skip the whole first code point of the separator.
  std::size_t after = pos;
  utf8::Next(text, after);
  return std::string(text.substr(after));
}

namespace {

std::string TrimBlanksAndControls(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

plat::ui::StringList SplitLine(std::string_view text, char delimiter, bool trimItems,
                           bool honourQuotes) {
  plat::ui::StringList list;
  std::string item;
  bool inQuotes = false;
  for (char c : text) {
    if (c == delimiter && !(honourQuotes && inQuotes)) {
      list.Add(trimItems ? TrimBlanksAndControls(item) : item);
      item.clear();
    } else if (honourQuotes && c == '"') {
      inQuotes = !inQuotes;
    } else {
      item += c;
    }
  }
  if (!item.empty()) list.Add(trimItems ? TrimBlanksAndControls(item) : item);
  return list;
}

void LoadCsvIntoGrid(std::string_view fileName, plat::ui::GridModel& grid) {
  std::vector<std::string> lines = io::ReadLines(fileName);
  if (lines.empty()) throw io::IoError("empty file: " + std::string(fileName));

  int fields = 1;
  for (char c : lines[0])
    if (c == ',') ++fields;

  grid.BeginUpdate();
  grid.SetColCount(11);
  grid.SetRowCount(static_cast<int>(lines.size()));
  grid.SetFixedCols(0);
  // Fields past the grid's columns would be dropped: they are not looked
  // at, so a first line of many commas costs nothing on every other line.
  fields = std::min(fields, grid.ColCount());
  for (std::size_t j = 0; j < lines.size(); ++j) {
    std::string line = lines[j];
    if (line.empty() || line.back() != ',') line += ',';
    std::string stripped;
    stripped.reserve(line.size());
    for (char c : line)
      if (c != '"') stripped += c;
    std::string_view rest = stripped;
    for (int k = 0; k < fields; ++k) {
      auto comma = rest.find(',');
      if (comma == std::string_view::npos) {
        grid.SetCell(k, static_cast<int>(j), "");
        continue;
      }
      grid.SetCell(k, static_cast<int>(j), rest.substr(0, comma));
      rest.remove_prefix(comma + 1);
    }
  }
  grid.EndUpdate();
}

void DeleteGridRow(int row, plat::ui::GridModel& grid) {
  if (row < 0 || grid.RowCount() == 0) return;
  grid.BeginUpdate();
  if (row != grid.RowCount()) {
    for (int r = row + 1; r < grid.RowCount(); ++r)
      for (int c = 0; c < grid.ColCount(); ++c) grid.SetCell(c, r - 1, grid.Cell(c, r));
  }
  grid.SetRowCount(grid.RowCount() - 1);
  grid.EndUpdate();
}

void ListFoldersToCombo(std::string_view searchMask, plat::ui::StringList& items) {
  std::string folder = io::ExtractFilePath(searchMask);
  std::string pattern = io::ExtractFileName(searchMask);
  for (const auto& e : io::ListDirectory(folder))
    if (e.isDirectory && io::WildcardMatch(pattern, e.name)) items.Add(e.name);
}

void ListFilesByExt(std::string_view folder, plat::ui::StringList& list, std::string_view extension) {
  list.Clear();
  for (const auto& e : io::ListDirectory(folder))
    if (!e.isDirectory && utf8::ToLower(io::ExtractFileExt(e.name)) == extension) list.Add(e.name);
}
