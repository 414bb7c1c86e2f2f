// Display command execution: every 800 ms a display looks at the display
// command record and, for a command it has not executed yet, puts the
// target into a register label and fires the matching step.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/MainForm.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "server/ServerModule.h"

void TMainForm::RegisterCommandHandlers() { RegisterMethod("timerCMDTimer", &TMainForm::timerCMDTimer); }

bool TMainForm::FindDisplayFile(const std::string& folder, const std::string& name, std::string& file,
                                bool* unreadable) {
  if (unreadable) *unreadable = false;
  // An empty name, or one ending with a separator, names the folder itself,
  // which is no file.
  if (name.empty() || name.back() == '\\' || name.back() == '/') return false;
  if (!plat::io::JoinBelow(lblPath->Caption() + folder, name, file)) return false;
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
  LogDisplayError("[error] cannot read " + file + ": " + why, "cannot read " + file + ": " + why);
  return false;
}

void TMainForm::DisplayLog(const std::string& line) {
  // A display runs for days: its log keeps its last lines only, and an
  // unchanged repeat of the last line is counted on it.
  constexpr int kLines = 2000;
  auto& log = memoLog->Lines();
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

void TMainForm::LogDisplayError(const std::string& logLine, const std::string& serverLine) {
  DisplayLog(logLine);
  plat::LogLine("display " + lblStandort->Caption() + ", " + serverLine);
}

void TMainForm::RestartFrame(int frame) {
  TUniTimer* timers[] = {timerF1, timerF2, timerF3};
  int* indexes[] = {&Play_1, &Play_2, &Play_3};
  TUniTimer* t = timers[frame - 1];
  t->SetEnabled(false);
  *indexes[frame - 1] = -1;
  t->SetInterval(100);
}

void TMainForm::timerCMDTimer(Component*) {
  if (FormSession()->UrlParam("start") == "tessarine") return;

  TUniServerModule& server = UniServerModule();
  // Unknown kinds, and a day plan for this display's own location, are left
  // alone, the number included.
  auto ignored = [&](const TDisplayCommand& c) {
    static const char* kinds[] = {"Playlist", "Frame", "Ticker", "TickerStop", "Medium", "TestMedium", "Dayplan"};
    bool known = false;
    for (const char* k : kinds) known = known || c.sTyp == k;
    return !known || (c.sTyp == "Dayplan" &&
                      plat::utf8::ToLower(c.sStandort) == plat::utf8::ToLower(lblStandort->Caption()));
  };
  // The poll sets the number back to 1 once it passed 1000 and reads the
  // record under the same lock.
  const TDisplayCommand cmd = server.PollDisplayCommand([&](const TDisplayCommand& c) { return !ignored(c); });
  if (ignored(cmd)) return;
  const bool isNew = cmd.sCMDNr != timerCMD->Tag();
  const std::string& kind = cmd.sTyp;

  // A day plan for another location makes it this display's location at
  // once; everything else happens only for a command not executed yet (a
  // command already executed is left alone, so the poll does no file work).
  if (kind == "Dayplan") {
    lblStandort->SetCaption(cmd.sStandort);
    lblDayplan->SetCaption(cmd.sStandort);
  }
  if (!isNew) return;

  if (kind == "Playlist") {
    // A missing playlist, or a path that would leave the playlist folder,
    // consumes the command and changes nothing.
    std::string file;
    if (FindDisplayFile("Config\\Progs\\", cmd.sStandort, file)) {
      RestartFrame(1);
      timerF1->SetEnabled(true);
      RestartFrame(2);
      lblPlaylist->SetCaption(cmd.sStandort);
      btnPlaylist->OnClick(btnPlaylist);
    }
  } else if (kind == "Frame") {
    lblFrame->SetCaption(cmd.sStandort);
    btnFrame->OnClick(btnFrame);
  } else if (kind == "Ticker") {
    lblTicker->SetCaption(cmd.sStandort);
    btnTicker->OnClick(btnTicker);
  } else if (kind == "TickerStop") {
    lblTicker->SetCaption("");
    btnTicker->OnClick(btnTicker);
  } else if (kind == "Medium" || kind == "TestMedium") {
    RestartFrame(1);
    btnPlayMedium->OnClick(btnPlayMedium);
  } else if (kind == "Dayplan") {
    RestartFrame(1);
    timerF1->SetEnabled(true);
    RestartFrame(2);
    RestartFrame(3);
    btnDayplan->OnClick(btnDayplan);
  }
  timerCMD->SetTag(cmd.sCMDNr);  // done
}
