#include "editor/FileFormats.h"

#include "common/Main.h"
#include "platform/convert.h"
#include "platform/io/utf8.h"

namespace utf8 = plat::io::utf8;

plat::ui::StringList SplitPlaylistLine(std::string_view line) { return SplitLine(line, ',', true, false); }

bool HasPlaylistFields(const plat::ui::StringList& pieces, int field) { return pieces.Count() > field; }

std::string FormatPlaylistLine(const std::vector<std::string>& fields) {
  std::string line = ",";
  for (int k = 0; k < kPlaylistFields; ++k) {
    if (static_cast<std::size_t>(k) < fields.size()) line += fields[static_cast<std::size_t>(k)];
    line += ',';
  }
  return line;
}

std::string MediaTypeCodeForFile(std::string_view fileName) {
  if (fileName.find('.') == std::string_view::npos) return {};
  std::string ext = utf8::ToLower(TextAfter(fileName, "."));
  if (ext == "jpg" || ext == "jpeg" || ext == "bmp" || ext == "png") return "0";
  if (ext == "gif") return "7";
  if (ext == "mpg" || ext == "mp4" || ext == "mp3" || ext == "mov") return "2";
  if (ext == "ppt" || ext == "pptx" || ext == "web" || ext == "html" || ext == "htm") return "4";
  if (ext == "pdf") return "9";
  if (ext == "sls") return "12";
  if (ext == "str") return "16";
  return {};
}

std::string NormalizeTime(std::string_view text) {
  std::string d;
  for (char c : text)
    if (c != ':') d += c;
  const std::size_t n = utf8::Length(d);
  auto part = [&](std::size_t from, std::size_t count) { return utf8::Substr(d, from, count); };
  std::string result;
  if (n == 0) {
    result = "00:10";
  } else if (n == 1) {
    result = "00:0" + d;
  } else if (n == 2) {
    result = "00:" + d;
  } else if (n == 3) {
    result = "0" + part(0, 1) + ":" + part(1, 2);
  } else if (n == 4) {
    result = part(0, 2) + ":" + part(2, 2);
  } else {
    std::string last = part(n - 5, 5);
    result = utf8::Substr(last, 0, 3) + ":" + utf8::Substr(last, 3, 2);
    if (!result.empty() && result[0] == '0') result.erase(0, 1);
  }
  if (utf8::Length(result) == 5) {
    auto seconds = plat::TryStrToInt(utf8::Substr(result, 3, 2));
    if (!seconds) return "00:59";
    if (*seconds >= 60) return utf8::Substr(result, 0, 2) + ":59";
  }
  return result;
}

std::string FrameLayoutRowIndex(int row) {
  return row >= 0 && row < 10 ? "0" + std::to_string(row) : std::to_string(row);
}

std::string FormatFrameLayoutLine(const std::vector<std::string>& cells, int row) {
  std::string line;
  for (std::size_t k = 0; k < 10; ++k) {
    if (k < cells.size()) line += cells[k];
    line += ',';
  }
  return line + FrameLayoutRowIndex(row);
}

int AppliedFrameLayoutRows(int lineCount) { return lineCount > 2 ? lineCount - 2 : 0; }

TickerSettings ReadTickerSettings(const std::string& fileName) {
  TickerSettings t;
  t.text = ReadIniString(fileName, "Ticker", "Text", "");
  t.oben = ReadIniString(fileName, "Ticker", "Oben", "");
  t.links = ReadIniString(fileName, "Ticker", "Links", "");
  t.breite = ReadIniString(fileName, "Ticker", "Breite", "");
  t.hoehe = ReadIniString(fileName, "Ticker", "Höhe", "");
  t.backColor = ReadIniString(fileName, "Ticker", "BackColor", "");
  t.fontName = ReadIniString(fileName, "Font", "Name", "");
  t.fontColor = ReadIniString(fileName, "Font", "Color", "");
  t.fontSize = ReadIniString(fileName, "Font", "Size", "");
  return t;
}

bool WriteTickerPosition(const std::string& fileName, const std::string& text, int oben, int links,
                         int breite, int hoehe) {
  bool written = WriteIniString(fileName, "Ticker", "Text", text);
  written = WriteIniString(fileName, "Ticker", "Oben", std::to_string(oben)) && written;
  written = WriteIniString(fileName, "Ticker", "Links", std::to_string(links)) && written;
  written = WriteIniString(fileName, "Ticker", "Breite", std::to_string(breite)) && written;
  written = WriteIniString(fileName, "Ticker", "Höhe", std::to_string(hoehe)) && written;
  return written;
}
