#pragma once
// Shared helpers of the test suites.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A fresh folder below the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing separator, ready to have a relative system
  // path appended (the io layer takes slashes and backslashes alike).
  std::string sys() const;
  // Writes raw bytes to a relative path (slashes), creating folders.
  std::filesystem::path Write(std::string_view relative, std::string_view bytes) const;
  std::string Read(std::string_view relative) const;

 private:
  std::filesystem::path path_;
};

// Captures the server log while it lives (one at a time).
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> Lines() const;
  std::string All() const;  // the lines, each followed by a line break
  void Clear();
};

// What a console's start-up reads, so that it runs without a message: the
// playlist folder, the match section of the configuration (home and guest
// team, two halves of 45 minutes, no score) and the four state documents.
void WriteConsoleFiles(const TempDir& dir);

// The resident memory of this process in MiB (VmRSS).
double ResidentMiB();

}  // namespace testing_support
