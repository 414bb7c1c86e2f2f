#include "platform/io/ini_file.h"

#include <filesystem>

#include "platform/io/file_lock.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"

namespace plat::io {
namespace {

// Longest value a profile read returns, as with a 2048-character buffer.
constexpr std::size_t kMaxValueChars = 2047;

std::string_view Trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// One line of the file: its text and the line break that ended it ("" for
// a last line without one), so unchanged lines are written back as read.
struct Line {
  std::string text;
  std::string eol;
};

std::vector<Line> SplitKeepingBreaks(std::string_view text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    std::size_t len = (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    lines.push_back({std::string(text.substr(start, i - start)), std::string(text.substr(i, len))});
    i += len;
    start = i;
  }
  if (start < text.size()) lines.push_back({std::string(text.substr(start)), ""});
  return lines;
}

// The section name of a "[name]" line.
bool SectionName(std::string_view line, std::string_view& name) {
  std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return false;
  t.remove_prefix(1);
  std::size_t close = t.find(']');
  name = Trim(close == std::string_view::npos ? t : t.substr(0, close));
  return true;
}

// The key of a "key=value" line (not a section line).
bool EntryKey(std::string_view line, std::string_view& key) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  return true;
}

std::string EntryValue(std::string_view line) {
  std::string_view v = Trim(line.substr(line.find('=') + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
    v = v.substr(1, v.size() - 2);
  }
  return utf8::Substr(v, 0, kMaxValueChars);
}

// Where a section sits in the lines: its header and the lines that follow
// up to the next section header.
struct SectionRange {
  bool found = false;
  std::size_t header = 0;
  std::size_t end = 0;  // one past the last line of the section
};

template <typename LineText>
SectionRange FindSection(std::size_t count, LineText lineText, std::string_view section) {
  SectionRange r;
  for (std::size_t i = 0; i < count; ++i) {
    std::string_view name;
    if (!SectionName(lineText(i), name)) continue;
    if (r.found) {
      r.end = i;
      return r;
    }
    if (utf8::EqualsNoCase(name, section)) {
      r.found = true;
      r.header = i;
    }
  }
  r.end = count;
  return r;
}

// A value on one line: each line break (CR LF, CR or LF) becomes a blank.
std::string OneLine(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') ++i;
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

// Names (trimmed) that a written line could not give back: a line break
// would add lines, "]" ends a section name early, "=" ends a key early and
// a key beginning with "[" makes its line a section header.
bool WritableNames(std::string_view section, std::string_view key) {
  if (section.find_first_of("\r\n]") != std::string_view::npos) return false;
  if (key.find_first_of("\r\n=") != std::string_view::npos) return false;
  return !key.starts_with('[');
}

std::optional<std::vector<std::string>> ReadIniLines(std::string_view systemPath) {
  try {
    return SplitLines(ReadTextFile(systemPath).text);
  } catch (const IoError&) {
    return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> IniRead(std::string_view systemPath, std::string_view section,
                                   std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  auto lines = ReadIniLines(systemPath);
  if (!lines) return std::nullopt;
  auto text = [&](std::size_t i) -> std::string_view { return (*lines)[i]; };
  SectionRange r = FindSection(lines->size(), text, section);
  if (!r.found) return std::nullopt;
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    std::string_view k;
    if (EntryKey(text(i), k) && utf8::EqualsNoCase(k, key)) return EntryValue(text(i));
  }
  return std::nullopt;
}

std::vector<std::string> IniKeys(std::string_view systemPath, std::string_view section) {
  section = Trim(section);
  std::vector<std::string> keys;
  auto lines = ReadIniLines(systemPath);
  if (!lines) return keys;
  auto text = [&](std::size_t i) -> std::string_view { return (*lines)[i]; };
  SectionRange r = FindSection(lines->size(), text, section);
  if (!r.found) return keys;
  for (std::size_t i = r.header + 1; i < r.end; ++i) {
    std::string_view k;
    if (!EntryKey(text(i), k)) continue;
    // A repeated key reads as its first occurrence, so it is listed once.
    bool seen = false;
    for (const std::string& have : keys) seen = seen || utf8::EqualsNoCase(have, k);
    if (!seen) keys.emplace_back(k);
  }
  return keys;
}

bool IniWrite(std::string_view systemPath, std::string_view section, std::string_view key,
              std::string_view value) {
  // Malformed UTF-8 written into a UTF-8 file would make the whole file
  // read as Windows-1252; it is replaced as a read replaces it.
  const std::string sectionText = utf8::ReplaceInvalid(Trim(section));
  const std::string keyText = utf8::ReplaceInvalid(Trim(key));
  section = sectionText;
  key = keyText;
  if (!WritableNames(section, key)) return false;
  try {
    // The whole read-change-replace runs under the file's lock: a change
    // another thread made meanwhile would otherwise be lost.
    FileLock lock(systemPath);
    TextContent content;
    bool existing = false;
    std::error_code ec;
    if (std::filesystem::exists(Resolve(systemPath), ec)) {
      // An unreadable file is not replaced by one holding only this value.
      content = ReadTextFile(systemPath);
      existing = true;
    }
    std::vector<Line> lines = SplitKeepingBreaks(content.text);
    // New lines follow the file's own line breaks; a new file gets CR LF.
    std::string eol = "\r\n";
    for (const Line& l : lines) {
      if (!l.eol.empty()) {
        eol = l.eol;
        break;
      }
    }
    const std::string entry = std::string(key) + "=" + OneLine(utf8::ReplaceInvalid(value));

    auto text = [&](std::size_t i) -> std::string_view { return lines[i].text; };
    SectionRange r = FindSection(lines.size(), text, section);
    if (r.found) {
      std::size_t lastEntry = r.header;
      bool replaced = false;
      for (std::size_t i = r.header + 1; i < r.end; ++i) {
        std::string_view k;
        if (!EntryKey(text(i), k)) continue;
        if (utf8::EqualsNoCase(k, key)) {
          lines[i].text = entry;
          replaced = true;
          break;
        }
        lastEntry = i;
      }
      if (!replaced) {
        if (lines[lastEntry].eol.empty()) lines[lastEntry].eol = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastEntry) + 1, Line{entry, eol});
      }
    } else {
      if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = eol;
      lines.push_back({"[" + std::string(section) + "]", eol});
      lines.push_back({entry, eol});
    }

    std::string out;
    for (const Line& l : lines) {
      out += l.text;
      out += l.eol;
    }
    Encoding encoding = existing ? content.encoding : EncodingForNewText(out);
    // An ANSI file turns UTF-8 rather than losing a character it cannot hold.
    if (encoding == Encoding::Cp1252 && !utf8::FitsCp1252(out)) encoding = Encoding::Utf8Bom;
    WriteTextFile(systemPath, out, encoding);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace plat::io
