#pragma once
// Windows profile (INI) files. Sections are lines "[name]", entries lines
// "key=value". Section and key names match without regard to letter case
// (also for umlauts, whether the file is Windows-1252 or UTF-8) and without
// the blanks around them, in the file and in a call; blanks around a value
// are dropped and one pair of single or double quotes enclosing the whole
// value is removed on read; at most 2047 characters of a value are
// returned. Writing creates the file and the section when missing and keeps
// every other line of the file as it was; a line break in a value is
// written as one blank (a value never adds lines), and the writes to one
// file are serialised within the process (FileLock), so that two writers of
// different keys both keep their key. Every call opens and closes the file;
// nothing is cached.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::io {

// The value, or nullopt when the file, the section or the key is missing.
std::optional<std::string> IniRead(std::string_view systemPath, std::string_view section,
                                   std::string_view key);

// Writes one value; returns false (and throws nothing) when the file cannot be
// written, for example when its folder is missing or it is read-only, and
// when a name could not be read back from the line: a section name holding
// a line break or "]", a key holding a line break or "=" or beginning with "[".
bool IniWrite(std::string_view systemPath, std::string_view section, std::string_view key,
              std::string_view value);

// Names of the keys of one section in file order (empty when missing).
std::vector<std::string> IniKeys(std::string_view systemPath, std::string_view section);

}  // namespace plat::io
