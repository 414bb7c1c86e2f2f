// Playlist queues and frame rotation: a playlist is split into one queue
// per frame, and frames 1 to 3 each step through their queue on their own
// timer, skipping items outside their time window.
#include <algorithm>
#include <climits>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "editor/FileFormats.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/io/text_file.h"

void TMainForm::btnPlaylistClick(Component*) {
  // A path that would leave the playlist folder counts as missing.
  std::string file;
  if (!FindDisplayFile(*this, "Config\\Progs\\", lblPlaylist->Caption(), file)) return;
  // A file that cannot be read leaves the queues and the screen as they
  // are, like a missing one.
  std::vector<std::string> playlist;
  try {
    playlist = plat::io::ReadLines(file);
  } catch (const plat::io::IoError& e) {
    return LogDisplayError(*this, "[error] cannot read " + file + ": " + e.what(), "cannot read " + file + ": " + e.what());
  }
  memoPF1->Lines().Clear();
  memoPF2->Lines().Clear();
  memoPF3->Lines().Clear();
  memoPLS->Lines().Assign(playlist);

  TUniMemo* queues[] = {memoPF1, memoPF2, memoPF3};
  for (TUniMemo* q : queues) q->Lines().BeginUpdate();
  for (const std::string& line : memoPLS->Lines()) {
    const plat::ui::StringList pieces = SplitPlaylistLine(line);
    if (!HasPlaylistFields(pieces, plFrame)) continue;
    const std::string& frame = pieces[plFrame];
    if (frame == "1" || frame == "2" || frame == "3") queues[frame[0] - '1']->Lines().Add(line);
  }
  for (TUniMemo* q : queues) q->Lines().EndUpdate();

  UniPageControl1->SetActivePageIndex(0);
  timerF1->SetEnabled(true);
  if (!memoPF2->Lines().Empty()) timerF2->SetEnabled(true);
  if (!memoPF3->Lines().Empty()) timerF3->SetEnabled(true);
}

bool TMainForm::IsActiveNow(const std::string& begin, const std::string& end, const std::string& mask) const {
  const plat::DateTime now = plat::Now();

  const auto from = plat::ParseTimeOfDay(LeftText(begin, 5) + ":00");
  const auto to = plat::ParseTimeOfDay(LeftText(end, 5) + ":00");
  const int current = now.hour * 3600 + now.minute * 60 + now.second;
  const bool timeOk = from && to && *from <= current && current <= *to;

  const auto firstDay = plat::ParseDate(begin.size() > 6 ? begin.substr(6, 10) : std::string());
  const auto lastDay = plat::ParseDate(end.size() > 6 ? end.substr(6, 10) : std::string());
  const int today = plat::DayNumber(now);
  const bool dateOk = firstDay && lastDay && plat::DayNumber(*firstDay) <= today && today <= plat::DayNumber(*lastDay);

  bool weekdayOk = false;
  if (mask.find_first_not_of(" \t") != std::string::npos) {
    const std::size_t pos = static_cast<std::size_t>(plat::IsoWeekday(now)) - 1;
    weekdayOk = pos < mask.size() && mask[pos] == '1';
  }
  return timeOk && dateOk && weekdayOk;
}

void TMainForm::timerF1Timer(Component*) { RotateFrame(1); }
void TMainForm::timerF2Timer(Component*) { RotateFrame(2); }
void TMainForm::timerF3Timer(Component*) { RotateFrame(3); }

void TMainForm::RotateFrame(int n) {
  struct Rotation {
    TUniMemo* queue;
    int* play;
    TUniTimer* timer;
    TUniPanel* panel;
    MediumVariant variant;
  };
  const Rotation rotations[] = {{memoPF1, &Play_1, timerF1, panF1, MediumVariant::Frame1},
                                {memoPF2, &Play_2, timerF2, panF2, MediumVariant::Frame2},
                                {memoPF3, &Play_3, timerF3, panF3, MediumVariant::Frame3}};
  const Rotation& r = rotations[n - 1];
  const std::string frameName = "Frame" + std::to_string(n);

  // An empty queue leaves the frame showing what it shows. Its timer stays
  // on, so a playlist loaded later resumes, but it looks only once a second
  // instead of at the 100 ms of a restart.
  const int count = r.queue->Lines().Count();
  if (count == 0) {
    r.timer->SetInterval(1000);
    return;
  }
  int& play = *r.play;
  play = play + 1 >= count ? 0 : play + 1;

  // A line that cannot be read is skipped: the index has advanced and the
  // next step comes after the unchanged interval. A display has nobody to
  // dismiss an error box, so the failure goes to the display log.
  const std::string line = r.queue->Lines()[play];
  auto unreadable = [&](const std::string& why) {
    LogDisplayError(*this, "[error], --> " + frameName + " " + why + ": " + line, frameName + ": " + why + ": " + line);
  };
  const plat::ui::StringList f = SplitLine(line, ',', false, false);
  if (!HasPlaylistFields(f, plWeekdays)) return unreadable("item has too few fields");

  const std::string& T = f[plTime];
  const auto minutes = plat::TryStrToInt(TextBefore(T, ":"));
  const auto seconds = plat::TryStrToInt(RightText(T, 2));
  if (!minutes || !seconds) return unreadable("duration is not mm:ss");

  std::string P = f[plPath];
  std::replace(P.begin(), P.end(), '\\', '/');
  const std::string& code = f[plType];
  const std::string begin = LeftText(f[plBegin], 16);
  const std::string end = LeftText(f[plEnd], 16);
  const std::string& mask = f[plWeekdays];

  if (!mask.empty() && !IsActiveNow(begin, end, mask)) {
    DisplayLog(*this, "[info], --> " + frameName + " Medium inaktiv BeginEndWeek " + P + " " + begin + " " + end +
                         " " + mask);
    r.timer->SetInterval(500);
    return;
  }

  if (n == 1) FormSession()->UserString = lblStandort->Caption() + "-" + lblDayplan->Caption() + " " + f[plFile];

  // An item not longer than the preload time still shows for a second, so a
  // bad item cannot make the frame spin.
  const long long shown = (static_cast<long long>(*minutes) * 60 + *seconds) * 1000 - nPreloadTime;
  r.timer->SetInterval(shown <= 0 ? 1000 : static_cast<int>(std::min<long long>(shown, INT_MAX)));

  if (n == 1) lblPlay->SetCaption(T + " " + P + " Typ:" + code);
  const std::string html = MediumHtml(P, code, r.panel, r.variant);
  const auto effect = plat::TryStrToInt(f[plEff]);
  ShowInFrame(n, html, effect);
  if (!effect) unreadable("effect is not a number");
}
