// The display's file lookup and log.
#include "display/DisplayFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/MainForm.h"
#include "platform/io/path.h"
#include "platform/log.h"

bool FindDisplayFile(TMainForm& form, const std::string& folder, const std::string& name, std::string& file,
                     bool* unreadable) {
  if (unreadable) *unreadable = false;
  // An empty name, or one ending with a separator, names the folder itself,
  // which is no file.
  if (name.empty() || name.back() == '\\' || name.back() == '/') return false;
  if (!plat::io::JoinBelow(form.lblPath->Caption() + folder, name, file)) return false;
  const std::string path = plat::io::Resolve(file).string();
  struct stat st;
  std::string why;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    why = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    why = "a folder stands in its place";
  } else if (!S_ISREG(st.st_mode)) {
    why = "not a plain file";
  } else if (const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC); fd < 0) {
    why = std::strerror(errno);
  } else {
    ::close(fd);
    return true;
  }
  // Something is there that the server cannot read: the step ends as for a
  // missing file, but an operator can see why.
  if (unreadable) *unreadable = true;
  LogDisplayError(form, "[error] cannot read " + file + ": " + why, "cannot read " + file + ": " + why);
  return false;
}

void DisplayLog(TMainForm& form, const std::string& line) {
  // A display runs for days: its log keeps its last lines only, and an
  // unchanged repeat of the last line is counted on it.
  constexpr int kLines = 2000;
  auto& log = form.memoLog->Lines();
  if (!log.Empty()) {
    const std::string& last = log[log.Count() - 1];
    long long times = 0;
    if (last == line) {
      times = 1;
    } else if (last.size() > line.size() + 5 && last.compare(0, line.size(), line) == 0 &&
               last.compare(line.size(), 4, " (x ") == 0 && last.back() == ')') {
      const std::string digits = last.substr(line.size() + 4, last.size() - line.size() - 5);
      if (!digits.empty() && digits.size() < 18 && digits.find_first_not_of("0123456789") == std::string::npos)
        times = std::stoll(digits);
    }
    if (times > 0) {
      log.Set(log.Count() - 1, line + " (x " + std::to_string(times + 1) + ")");
      return;
    }
  }
  log.BeginUpdate();
  log.Add(line);
  while (log.Count() > kLines) log.Delete(0);
  log.EndUpdate();
}

void LogDisplayError(TMainForm& form, const std::string& logLine, const std::string& serverLine) {
  DisplayLog(form, logLine);
  plat::LogLine("display " + form.lblStandort->Caption() + ", " + serverLine);
}
