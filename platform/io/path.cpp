#include "platform/io/path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "platform/io/utf8.h"

namespace plat::io {
namespace {

bool IsSep(char c) { return c == '/' || c == '\\'; }

// The non-empty components of a path, with "." dropped and ".." applied to
// the component before it. A ".." that has nothing to remove is kept for a
// relative path (it means the parent of the current folder) and dropped for
// an absolute one (the parent of the root is the root).
std::vector<std::string> NormalizedComponents(std::string_view text, bool absolute) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSep(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsSep(text[i])) ++i;
    if (i == start) break;
    std::string_view part = text.substr(start, i - start);
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        parts.emplace_back(part);
      }
      continue;
    }
    parts.emplace_back(part);
  }
  return parts;
}

bool Exists(const std::string& native) {
  struct stat st;
  return ::lstat(native.c_str(), &st) == 0;
}

// The entry of `folder` that equals `name` without regard to letter case.
// Several candidates ("a.txt" and "A.TXT") can only exist on a file system
// that tells case apart; the smallest name wins so the choice does not
// depend on the enumeration order.
bool FindNoCase(const std::string& folder, const std::string& name, std::string& found) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return false;
  bool any = false;
  while (dirent* e = ::readdir(dir)) {
    std::string_view entry = e->d_name;
    if (entry == "." || entry == "..") continue;
    if (!utf8::EqualsNoCase(entry, name)) continue;
    if (!any || entry < found) found = std::string(entry);
    any = true;
  }
  ::closedir(dir);
  return any;
}

// Lower-cased code points, for the wildcard comparison.
std::u32string LowerCodePoints(std::string_view s) {
  std::string lower = utf8::ToLower(s);
  std::u32string out;
  std::size_t pos = 0;
  while (pos < lower.size()) out.push_back(utf8::Next(lower, pos));
  return out;
}

bool MatchCodePoints(const std::u32string& p, const std::u32string& n) {
  // Greedy matching that backtracks only to the last '*': linear for the
  // usual patterns and never recursive.
  std::size_t pi = 0, ni = 0;
  std::size_t starP = std::u32string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || (p[pi] != U'*' && p[pi] == n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == U'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::u32string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

std::size_t LastSep(std::string_view s) {
  for (std::size_t i = s.size(); i > 0; --i) {
    if (IsSep(s[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::filesystem::path Resolve(std::string_view systemPath) {
  if (systemPath.empty()) return {};
  const bool absolute = IsSep(systemPath.front());
  std::vector<std::string> parts = NormalizedComponents(systemPath, absolute);

  std::string out = absolute ? "/" : "";
  bool matching = true;  // false once a component does not exist at all
  for (const std::string& part : parts) {
    std::string folder = out;
    if (!out.empty() && out.back() != '/') out += '/';
    if (matching && part != "..") {
      if (Exists(out + part)) {
        out += part;
        continue;
      }
      std::string found;
      if (FindNoCase(folder, part, found)) {
        out += found;
        continue;
      }
      matching = false;
    }
    out += part;
  }
  if (out.empty()) out = ".";
  return std::filesystem::path(out);
}

bool FileExists(std::string_view systemPath) {
  struct stat st;
  return ::stat(Resolve(systemPath).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view systemPath) {
  struct stat st;
  return ::stat(Resolve(systemPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(std::string_view systemPath) {
  const std::filesystem::path folder = Resolve(systemPath);
  if (folder.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  struct stat st;
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char ch : name)
    if (IsSep(ch) || static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) return false;
  return true;
}

bool JoinBelow(std::string_view root, std::string_view relative, std::string& out) {
  if (relative.find('\0') != std::string_view::npos) return false;
  if (!relative.empty() && IsSep(relative.front())) return false;
  // "C:" and "C:\x" name another drive, whatever follows.
  if (relative.size() >= 2 && relative[1] == ':' &&
      ((relative[0] >= 'A' && relative[0] <= 'Z') || (relative[0] >= 'a' && relative[0] <= 'z'))) {
    return false;
  }
  std::size_t i = 0;
  while (i <= relative.size()) {
    std::size_t end = i;
    while (end < relative.size() && !IsSep(relative[end])) ++end;
    if (relative.substr(i, end - i) == "..") return false;
    i = end + 1;
  }
  out.assign(root);
  if (!out.empty() && !IsSep(out.back()) && !relative.empty()) {
    out += out.find('\\') != std::string::npos ? '\\' : '/';
  }
  out.append(relative);
  return true;
}

std::vector<DirEntry> ListDirectory(std::string_view systemPath) {
  std::vector<DirEntry> entries;
  const std::string folder = Resolve(systemPath).string();
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return entries;
  while (dirent* e = ::readdir(dir)) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    DirEntry entry;
    entry.name = std::string(name);
    entry.isHidden = name.front() == '.';
    if (e->d_type == DT_DIR) {
      entry.isDirectory = true;
    } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      // A link to a folder counts as a folder; some file systems report no type.
      struct stat st;
      std::string full = folder + "/" + entry.name;
      entry.isDirectory = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return entries;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::u32string p = LowerCodePoints(pattern);
  std::u32string n = LowerCodePoints(name);
  if (MatchCodePoints(p, n)) return true;
  // As on Windows, a trailing ".*" also accepts a name without extension,
  // which makes "*.*" match every name.
  if (p.size() >= 2 && p.compare(p.size() - 2, 2, U".*") == 0 && n.find(U'.') == std::u32string::npos) {
    return MatchCodePoints(p.substr(0, p.size() - 2), n);
  }
  return false;
}

std::string ExtractFilePath(std::string_view systemPath) {
  std::size_t sep = LastSep(systemPath);
  if (sep == std::string_view::npos) return {};
  return std::string(systemPath.substr(0, sep + 1));
}

std::string ExtractFileName(std::string_view systemPath) {
  std::size_t sep = LastSep(systemPath);
  return std::string(sep == std::string_view::npos ? systemPath : systemPath.substr(sep + 1));
}

std::string ExtractFileExt(std::string_view systemPath) {
  std::size_t sep = LastSep(systemPath);
  std::string_view name = sep == std::string_view::npos ? systemPath : systemPath.substr(sep + 1);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  return std::string(name.substr(dot));
}

std::string FileVersion(const std::filesystem::path& file) {
  struct stat st;
  if (::stat(file.c_str(), &st) != 0) return {};
  const unsigned long long ns = static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ull +
                                static_cast<unsigned long long>(st.st_mtim.tv_nsec);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%llx%llx", ns, static_cast<unsigned long long>(st.st_size));
  return buf;
}

std::string ToSystemFolder(const std::filesystem::path& folder) {
  std::string s = folder.string();
  if (s.empty()) return s;
  std::replace(s.begin(), s.end(), '/', '\\');
  if (s.back() != '\\') s += '\\';
  return s;
}

}  // namespace plat::io
