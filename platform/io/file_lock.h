#pragma once
// Writes to one file are serialised within the process: a writer holds the
// file's lock while it reads, changes and replaces (or appends to) the file,
// so that two sessions changing one file at once never lose each other's
// change. Files are told apart by their resolved path (letter case as
// Resolve() finds it, links followed), and names that differ only in letter
// case share one lock, as they name one file wherever the names are
// resolved. One thread may hold the lock of a file several times (a writer
// calls the atomic replace, which takes it too). Readers take no lock:
// every replace is atomic.
#include <string>
#include <string_view>

namespace plat::io {

class FileLock {
 public:
  explicit FileLock(std::string_view systemPath);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  std::string key_;
};

}  // namespace plat::io
