#pragma once
// System paths. Application code writes paths as the configuration does: a
// folder ending with a backslash followed by a relative path with
// backslashes. Resolve() maps such a text to the real file system: backslashes
// become slashes and each component that does not exist exactly is matched
// without regard to letter case. Components that do not exist at all are kept
// as given, so a file being created keeps the new name.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plat::io {

std::filesystem::path Resolve(std::string_view systemPath);

bool FileExists(std::string_view systemPath);       // a regular file (or a link to one)
bool DirectoryExists(std::string_view systemPath);

// Creates a folder and every missing folder above it. Folders that exist in
// another letter case are taken as they are (as Resolve() finds them); the
// missing ones get the names as given. True when the folder exists
// afterwards, also when it existed before; false when a component is a file
// or a folder cannot be created.
bool CreateDirectories(std::string_view systemPath);

// Joins a relative path below a root folder and refuses, with false, any
// relative path that would leave it ("..", an absolute path, a drive letter).
// Both separators count in `relative`. On success `out` is root + relative.
bool JoinBelow(std::string_view root, std::string_view relative, std::string& out);

// True for a name that can only stand for one entry of a folder: not empty,
// not "." or "..", no separator ("/" or "\\"), no control character.
bool IsPlainName(std::string_view name);

struct DirEntry {
  std::string name;   // UTF-8 name as the file system holds it
  bool isDirectory = false;
  bool isHidden = false;  // name begins with '.'
};

// The entries of a folder in the order the file system enumerates them
// (nothing sorted), hidden entries included, "." and ".." excluded. An
// absent or unreadable folder gives an empty list.
std::vector<DirEntry> ListDirectory(std::string_view systemPath);

// Matches a file name against a wildcard pattern with '*' and '?' without
// regard to letter case; "*.*" matches every name, also one without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// The folder part of a system path including its trailing separator
// ("C:\a\b.txt" -> "C:\a\"; slashes count too); empty when there is none.
std::string ExtractFilePath(std::string_view systemPath);
// The name part after the last separator.
std::string ExtractFileName(std::string_view systemPath);
// The extension including its dot ("a.b.Frm" -> ".Frm"), empty when none.
std::string ExtractFileExt(std::string_view systemPath);

// A short text that changes whenever the file is saved (modification time
// in nanoseconds and size), for addresses a browser may cache; empty when
// the file is missing.
std::string FileVersion(const std::filesystem::path& file);

// Makes a native folder path into the system form: slashes become
// backslashes and a trailing backslash is added.
std::string ToSystemFolder(const std::filesystem::path& folder);

}  // namespace plat::io
