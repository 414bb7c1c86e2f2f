// The day plan: the playlist, layout, ticker and menus of a display location
// by time of day.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "platform/clock.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "platform/log.h"

namespace {

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
  return out;
}

// Characters `index` (from 1) to index + count - 1 of a line; an index
// before the first character counts from the first.
std::string Copy(const std::string& s, long index, long count) {
  if (index < 1) index = 1;
  if (count <= 0 || index > static_cast<long>(plat::io::utf8::Length(s))) return {};
  return plat::io::utf8::Substr(s, static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
}

// A display base folder from the configuration: a relative one (an empty
// one included) lies below the program folder.
std::string BaseFolder(const std::string& configured, const std::string& programFolder) {
  const bool absolute = !configured.empty() &&
                        (configured[0] == '/' || configured[0] == '\\' ||
                         (configured.size() > 1 && configured[1] == ':'));
  return absolute ? configured : programFolder + configured;
}

}  // namespace

void TMainForm::btnDayplanClick(Component*) {
  const plat::DateTime now = plat::Now();
  urlTCK->SetURL("about:blank?" + plat::FormatDateTime(now));
  urlTCK->SetVisible(false);

  lblPath->SetCaption(BaseFolder(ReadIniString(apppath + "Config\\tessarine.ini", "Settings", "jjjPath", ""), apppath));
  const std::string relative = "Config\\Dayplan\\" + lblDayplan->Caption();
  // A location name that would leave the day-plan folder counts as missing.
  // A plan that cannot be read ends the run like a missing one, with its
  // own log line.
  std::string file;
  bool unreadable = false;
  if (!FindDisplayFile(*this, "Config\\Dayplan\\", lblDayplan->Caption(), file, &unreadable)) {
    if (!unreadable)
      LogDisplayError(*this, "[error] Dayplan not found: " + lblPath->Caption() + relative,
                      "day plan " + lblPath->Caption() + relative + " not found");
    return;
  }
  std::vector<std::string> plan;
  try {
    plan = plat::io::ReadLines(file);
  } catch (const plat::io::IoError& e) {
    return LogDisplayError(*this, "[error] cannot read " + file + ": " + e.what(), "cannot read " + file + ": " + e.what());
  }
  memoDP->Lines().Assign(plan);
  dayplanLoaded = true;

  lblPlaylist->SetCaption("");
  lblFrame->SetCaption("");
  lblTicker->SetCaption("");
  lblNavi->SetCaption("");
  memoMasterNavi->Lines().Clear();
  memoSlaveNavi->Lines().Clear();
  nrSlave = 0;

  // The server log gets one line per run, naming the files of active lines
  // that are not there.
  std::vector<std::string> missing;
  auto note = [&](const char* folder, const std::string& name) {
    std::string named;
    if (name.empty() || (plat::io::JoinBelow(lblPath->Caption() + folder, name, named) && plat::io::FileExists(named)))
      return;
    const std::string what = folder + name;
    if (std::find(missing.begin(), missing.end(), what) == missing.end()) missing.push_back(what);
  };
  auto logRun = [&](const std::string& how) {
    plat::LogLine("display " + lblStandort->Caption() + ": day plan " + file + " run at " + plat::FormatTime(now) +
                  how + (missing.empty() ? std::string(", every file found") : ", not found: " + Join(missing)));
  };

  // The steps act on the captions as they stand after each line. A step
  // whose caption has not changed since it last ran in this run would do
  // the same again (read its file and, for the ticker, rewrite the page):
  // it is left out, so a long plan costs its length rather than its length
  // times its files. A menu panel built in between lies over the frames
  // until the layout brings them to the front, so the layout runs again.
  std::optional<std::string> frameDone, playlistDone, tickerDone;
  auto step = [](TUniButton* button, const TUniLabel* label, std::optional<std::string>& done) {
    if (done && *done == label->Caption()) return;
    done = label->Caption();
    button->OnClick(button);
  };

  const int current = now.hour * 3600 + now.minute * 60 + now.second;
  const int count = memoDP->Lines().Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = memoDP->Lines()[i];
    const long L = static_cast<long>(plat::io::utf8::Length(line));
    const std::string kind = Copy(line, 14, 1);
    const std::string name = Copy(line, 22, L - 34);
    const auto from = plat::ParseTimeOfDay(Copy(line, 1, 5) + ":00");
    const auto to = plat::ParseTimeOfDay(Copy(line, L - 7, 5) + ":00");
    // A line without readable times ends the run; the lines before it stay
    // applied. A display has nobody to dismiss an error box: the display
    // log gets the line instead.
    if (!from || !to) {
      const std::string at = " line " + std::to_string(i + 1) + ": no time of day";
      DisplayLog(*this, "[error] Dayplan " + relative + at + ": " + line);
      return logRun(", ended at line " + std::to_string(i + 1) + " (no time of day)");
    }
    if (*from <= current && current <= *to) {
      if (kind == "0") {
        lblPlaylist->SetCaption(name);
        note("Config\\Progs\\", name);
      } else if (kind == "1") {
        lblFrame->SetCaption(name);
        note("Config\\Frames\\", name);
      } else if (kind == "2") {
        lblTicker->SetCaption(name);
        note("Config\\Ticks\\", name);
      } else if (kind == "3") {
        memoMasterNavi->Lines().Add(name);
        lblNavi->SetCaption(name);
        note("Config\\Menus\\", name);
        btnNavi->OnClick(btnNavi);
        frameDone.reset();
      }
    }
    step(btnFrame, lblFrame, frameDone);
    step(btnPlaylist, lblPlaylist, playlistDone);
    step(btnTicker, lblTicker, tickerDone);
  }
  logRun(", " + std::to_string(count) + (count == 1 ? " line" : " lines"));
}

long long TMainForm::DayplanMinute(const plat::DateTime& t) {
  return static_cast<long long>(plat::DayNumber(t)) * 24 * 60 + t.hour * 60 + t.minute;
}

void TMainForm::timerDayplanTimer(Component*) {
  // A browser timer drifts: a tick may come late and step over a minute.
  // Every minute since the previous tick is scanned once, up to a gap of a
  // few minutes; after a longer one (a suspended page, a clock set forward
  // or back) the plan is run once, as at the start.
  constexpr long long kLongestCatchUp = 5;
  const long long now = DayplanMinute(plat::Now());
  const long long previous = lastDayplanMinute < 0 ? now - 1 : lastDayplanMinute;
  lastDayplanMinute = now;
  if (now == previous) return;
  if (now < previous || now - previous > kLongestCatchUp) {
    if (dayplanLoaded) btnDayplan->OnClick(btnDayplan);
    return;
  }
  for (long long m = previous + 1; m <= now; ++m) {
    char minute[8];
    std::snprintf(minute, sizeof minute, "%02d:%02d", static_cast<int>(m % (24 * 60) / 60),
                  static_cast<int>(m % 60));
    const int count = memoDP->Lines().Count();
    // A run reloads the plan; the scan goes on with the reloaded lines and
    // stops at their end when the plan became shorter.
    for (int i = 0; i < count && i < memoDP->Lines().Count(); ++i)
      if (LeftText(memoDP->Lines()[i], 5) == minute) btnDayplan->OnClick(btnDayplan);
  }
}
