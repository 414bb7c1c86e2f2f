// INI files: every key a section lists reads back; a write changes at most
// the lines it concerns and adds at most a section line and an entry line,
// whatever the file and the value hold; the value written reads back.
#include <fstream>

#include "fuzz/fuzz.h"
#include "platform/io/ini_file.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"

namespace {

namespace io = plat::io;
namespace utf8 = plat::io::utf8;

std::string Path() { return fuzz::WorkFolder() + "Setup.ini"; }

void Put(std::string_view bytes) {
  std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::size_t LineCount() { return io::SplitLines(io::ReadTextFile(Path()).text).size(); }

// The section names of "[name]" lines, as the reader finds them.
std::vector<std::string> Sections(std::string_view text) {
  std::vector<std::string> names;
  for (const std::string& line : io::SplitLines(text)) {
    std::size_t b = line.find_first_not_of(" \t");
    if (b == std::string::npos || line[b] != '[') continue;
    std::size_t e = line.find(']', b);
    std::string name = line.substr(b + 1, e == std::string::npos ? std::string::npos : e - b - 1);
    name.erase(0, name.find_first_not_of(" \t"));
    name.erase(name.find_last_not_of(" \t") + 1);
    names.push_back(name);
    if (names.size() == 6) break;
  }
  return names;
}

// What a read gives back of a written value: line breaks as blanks, blanks
// around dropped, one pair of enclosing quotes removed, 2047 characters.
std::string Expected(std::string_view value) {
  std::string v;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') continue;
    v += value[i] == '\r' || value[i] == '\n' ? ' ' : value[i];
  }
  std::size_t b = v.find_first_not_of(" \t");
  v = b == std::string::npos ? std::string() : v.substr(b, v.find_last_not_of(" \t") - b + 1);
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return utf8::Substr(v, 0, 2047);
}

bool Run(std::string_view input) {
  // The input is the file; its last line also gives the key and value written.
  Put(input);
  const io::TextContent content = io::ReadTextFile(Path());
  fuzz::Check(utf8::IsValid(content.text), "decoded text is not UTF-8");

  std::vector<std::string> sections = Sections(content.text);
  for (const std::string& section : sections) {
    for (const std::string& key : io::IniKeys(Path(), section)) {
      const auto value = io::IniRead(Path(), section, key);
      fuzz::Check(value.has_value(), "listed key \"" + key + "\" does not read");
      fuzz::Check(utf8::IsValid(*value) && utf8::Length(*value) <= 2047, "value of \"" + key + "\" malformed");
    }
  }

  const std::vector<std::string> lines = io::SplitLines(content.text);
  const std::string last = lines.empty() ? std::string() : lines.back();
  const std::size_t cut = last.size() / 3;
  const std::string section = sections.empty() || last.size() % 3 == 0 ? last.substr(0, cut) : sections.back();
  const std::vector<std::string> keys = io::IniKeys(Path(), section);
  const std::string key = keys.empty() || last.size() % 2 ? last.substr(cut, cut) : keys.front();
  // The value may hold line breaks and anything else; internally it is UTF-8.
  const std::string value = utf8::ReplaceInvalid(std::string(input.substr(input.size() / 2, 300)));

  const std::size_t before = lines.size();
  if (!io::IniWrite(Path(), section, key, value)) return !sections.empty();  // a name that cannot be written
  const std::size_t after = LineCount();
  fuzz::Check(after >= before && after <= before + 2,
              "a write changed the line count from " + std::to_string(before) + " to " + std::to_string(after));
  const auto back = io::IniRead(Path(), section, key);
  fuzz::Check(back == Expected(value), "written value does not read back: \"" + back.value_or("(none)") + "\"");
  return !sections.empty();
}

const bool kRegistered = fuzz::Register({
    "ini",
    {"[", "]", "=", "\r\n", "\n", "\r", "[Settings]\r\n", "key=value\r\n", "\"", "'", "\xEF\xBB\xBF", "\xFF\xFE",
     "\xFE\xFF", " \t ", "[]", "=\r\n", "\xC3\xA4", "\xE4", "\xC3", "\0"},
    nullptr,
    Run,
});

}  // namespace
