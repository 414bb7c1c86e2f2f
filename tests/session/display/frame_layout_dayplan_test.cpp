// Frame layouts and the day plan on a display session.
#include <gtest/gtest.h>

#include "editor/FileFormats.h"
#include "support/display_fixture.h"

using testing_support::DisplayFixture;
using testing_support::Wednesday;

namespace {

// A layout line: frame, top, left, width, height, aktiv, -, name, nr,
// colour, then the row index.
std::string LayoutLine(int row, const std::string& top, const std::string& left, const std::string& width,
                       const std::string& height, const std::string& aktiv, const std::string& color = "00000000") {
  return FormatFrameLayoutLine({"F" + std::to_string(row), top, left, width, height, aktiv, "-", "name", "1", color},
                               row);
}

// A day-plan line: start at 1-5, kind at 14, the name from 22, the end at
// L-7 to L-3.
std::string Entry(const std::string& start, const std::string& kind, const std::string& name,
                  const std::string& end) {
  return start + "        " + kind + "       " + name + "     " + end + "   ";
}

// A playlist of one frame-1 picture.
std::string Item(const std::string& file) {
  return ",1," + file + ",00:10,0,0,Containers\\" + file + ",1,0,,,,,,,,,,,,";
}

class LayoutStep : public DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    Open();
  }
  void Apply(const std::string& name) {
    server_->IssueCommand("Frame", name);
    d_->Advance(800);
  }
  std::vector<std::string> FrontOps() {
    std::vector<std::string> out;
    for (const auto& op : d_->Ops())
      if (op.value("op", "") == "front") out.push_back(NameOf(op.value("c", 0)));
    return out;
  }
  std::string NameOf(int id) {
    for (TUniPanel* p : {f().panF1, f().panF2, f().panF3, f().panF4, f().panF5})
      if (p->Id() == id) return p->Name();
    return "?";
  }
};

}  // namespace

TEST_F(LayoutStep, EightLineLayoutShowsTheActiveFramesInFrontOrder) {
  WriteLines("Config\\Frames\\Zwei.frm",
             {LayoutLine(0, "0", "0", "1920", "1080", "", "00FF0000"), LayoutLine(1, "10", "20", "800", "600", "1"),
              LayoutLine(2, "30", "900", "400", "300", "1"), LayoutLine(3, "0", "0", "10", "10", "0"),
              LayoutLine(4, "0", "0", "10", "10", "0"), LayoutLine(5, "0", "0", "10", "10", "0"),
              LayoutLine(6, "x", "0", "10", "10", "1"), LayoutLine(7, "x", "0", "10", "10", "1")});
  f().panF3->SetVisible(true);
  Apply("Zwei.frm");
  EXPECT_TRUE(f().panF1->Visible());
  EXPECT_TRUE(f().panF2->Visible());
  EXPECT_FALSE(f().panF3->Visible()) << "every step starts from all panels hidden";
  EXPECT_FALSE(f().panF4->Visible());
  EXPECT_FALSE(f().panF5->Visible());
  EXPECT_EQ(f().panF1->Left(), 20);
  EXPECT_EQ(f().panF1->Top(), 10);
  EXPECT_EQ(f().panF1->Width(), 800);
  EXPECT_EQ(f().panF1->Height(), 600);
  EXPECT_EQ(f().panF2->Left(), 900);
  EXPECT_EQ(f().panF2->Height(), 300);
  EXPECT_EQ(f().panBack->Color(), 0xFF0000) << "blue in $00BBGGRR order";
  EXPECT_EQ(f().GridFrame->RowCount(), 3);
  EXPECT_EQ(FrontOps(), (std::vector<std::string>{"panF2", "panF1"}));
  const auto scripts = Scripts();
  const std::string grid = f().GridFrame->JSName();
  ASSERT_GE(scripts.size(), 3u);
  EXPECT_EQ(scripts[scripts.size() - 3], grid + ".store.suspendEvents();");
  EXPECT_EQ(scripts[scripts.size() - 2], grid + ".store.resumeEvents()");
  EXPECT_EQ(scripts.back(), grid + ".view.refresh()");
  EXPECT_TRUE(f().memoLog->Lines().Empty());
}

TEST_F(LayoutStep, FrameOneHiddenKeepsRotatingAndBadColourKeepsTheBackground) {
  WriteLines("Config\\Frames\\Nur2.frm", {LayoutLine(0, "0", "0", "1", "1", "", "blau"),
                                          LayoutLine(1, "0", "0", "10", "10", "0"),
                                          LayoutLine(2, "0", "0", "640", "480", "1"), LayoutLine(3, "", "", "", "", ""),
                                          LayoutLine(4, "", "", "", "", "")});
  const int before = f().panBack->Color();
  f().timerF1->SetEnabled(true);
  Apply("Nur2.frm");
  EXPECT_FALSE(f().panF1->Visible());
  EXPECT_TRUE(f().panF2->Visible());
  EXPECT_TRUE(f().timerF1->Enabled()) << "only visibility changes";
  EXPECT_EQ(f().panBack->Color(), before);
}

TEST_F(LayoutStep, BadGeometryEndsTheStepAtItsRow) {
  WriteLines("Config\\Frames\\Kaputt.frm",
             {LayoutLine(0, "0", "0", "1", "1", ""), LayoutLine(1, "5", "6", "700", "500", "1"),
              LayoutLine(2, "5", "6", "breit", "500", "1"), LayoutLine(3, "5", "6", "100", "100", "1"),
              LayoutLine(4, "", "", "", "", ""), LayoutLine(5, "", "", "", "", "")});
  Apply("Kaputt.frm");
  EXPECT_TRUE(f().panF1->Visible());
  EXPECT_EQ(f().panF1->Width(), 700);
  EXPECT_FALSE(f().panF2->Visible());
  EXPECT_FALSE(f().panF3->Visible()) << "later rows are not applied";
  EXPECT_EQ(f().GridFrame->Cell(flWidth, 2), "breit") << "the grid holds the file";
  EXPECT_EQ(f().GridFrame->RowCount(), 6) << "the row count is not set";
  EXPECT_TRUE(FrontOps().empty()) << "no stacking";
  EXPECT_EQ(Scripts().back(), f().GridFrame->JSName() + ".view.refresh()") << "the grid is not left frozen";
  ASSERT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_EQ(f().memoLog->Lines()[0], "[error], --> Frame Kaputt.frm: row 2 has no whole-number geometry");
  EXPECT_EQ(f().timerCMD->Tag(), 1) << "the command counts as executed";
}

TEST_F(LayoutStep, FramesWithoutAreaAreAppliedAndLogged) {
  WriteLines("Config\\Frames\\Leer.frm",
             {LayoutLine(0, "0", "0", "1", "1", ""), LayoutLine(1, "0", "0", "800", "600", "1"),
              LayoutLine(2, "0", "0", "0", "300", "1"), LayoutLine(3, "0", "0", "400", "-5", "1"),
              LayoutLine(4, "0", "0", "-1", "0", "0"), LayoutLine(5, "", "", "", "", ""),
              LayoutLine(6, "", "", "", "", "")});
  Apply("Leer.frm");
  EXPECT_TRUE(f().panF2->Visible());
  EXPECT_EQ(f().panF2->Width(), 0);
  EXPECT_TRUE(f().panF3->Visible());
  EXPECT_EQ(f().panF3->Height(), -5);
  EXPECT_EQ(f().GridFrame->RowCount(), 4) << "the whole layout applied";
  EXPECT_EQ(f().memoLog->Lines().Items(),
            (std::vector<std::string>{"[info], --> Frame Leer.frm: panF2 is 0 x 300 pixels and cannot be seen",
                                      "[info], --> Frame Leer.frm: panF3 is 400 x -5 pixels and cannot be seen"}))
      << "a hidden row is not looked at";
}

TEST_F(LayoutStep, RowsThatNameNoPanelAreIgnored) {
  std::vector<std::string> lines = {LayoutLine(0, "0", "0", "1", "1", "1")};
  for (int i = 1; i <= 6; ++i) lines.push_back(LayoutLine(i, "0", "0", "50", "50", i == 3 || i == 6 ? "1" : "0"));
  lines.push_back(LayoutLine(7, "", "", "", "", ""));
  lines.push_back(LayoutLine(8, "", "", "", "", ""));
  WriteLines("Config\\Frames\\Sechs.frm", lines);
  Apply("Sechs.frm");
  EXPECT_TRUE(f().panF3->Visible());
  EXPECT_FALSE(f().panF1->Visible());
  EXPECT_EQ(f().GridFrame->RowCount(), 2);
  EXPECT_TRUE(f().memoLog->Lines().Empty());
}

TEST_F(LayoutStep, MissingOrEscapingLayoutChangesNothing) {
  dir_.Write("Config/secret.frm", LayoutLine(0, "0", "0", "1", "1", "") + "\r\n");
  for (const char* name : {"Fehlt.frm", "..\\secret.frm", "../secret.frm"}) {
    Apply(name);
    EXPECT_TRUE(f().panF1->Visible()) << name;
    EXPECT_TRUE(Scripts().empty()) << name;
  }
}

// ---- day plan -----------------------------------------------------------------

namespace {

class DayplanRun : public DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    WriteLines("Config\\Progs\\Sport\\Morgen.pyl", {Item("morgen.png")});
    WriteLines("Config\\Progs\\Abend.pyl", {Item("abend.png")});
  }
  // Opens the display of a location; with a plan it runs at the start.
  void Start(const std::vector<std::string>& plan, const std::string& standort = "Halle") {
    WriteLines("Config\\Dayplan\\" + standort, plan);
    Open(standort);
    runs_ = 0;
    f().btnDayplan->OnClick = [this](Component* c) {
      ++runs_;
      f().btnDayplanClick(c);
    };
  }
  // The minute timer ticks at this time of the fixture's Wednesday.
  void Tick(int hour, int minute, int second) {
    SetNow(Wednesday(hour, minute, second));
    f().timerDayplan->OnTimer(f().timerDayplan);
  }
  int runs_ = 0;
};

}  // namespace

TEST_F(DayplanRun, TheActiveLineStartsItsPlaylistAtTheStart) {
  Start({Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00")});
  EXPECT_EQ(f().lblPath->Caption(), f().apppath) << "no base folder configured: the program folder";
  EXPECT_EQ(f().lblPlaylist->Caption(), "Sport\\Morgen.pyl");
  EXPECT_EQ(f().memoDP->Lines().Count(), 1);
  ASSERT_EQ(f().memoPF1->Lines().Count(), 1);
  EXPECT_TRUE(f().timerF1->Enabled());
  d_->Advance(500);
  EXPECT_NE(f().lblF1A->Caption().find("Containers/morgen.png"), std::string::npos);
  EXPECT_FALSE(f().urlTCK->Visible());
}

TEST_F(DayplanRun, AfterTheWindowTheStepsFindEmptyNames) {
  Start({Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00")});
  SetNow(Wednesday(12, 0, 30));
  server_->IssueCommand("Dayplan", "Halle2");  // another name: executed
  WriteLines("Config\\Dayplan\\Halle2", {Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00")});
  d_->Advance(800);
  EXPECT_EQ(f().lblPlaylist->Caption(), "");
  EXPECT_EQ(f().memoPF1->Lines().Count(), 1) << "the frames keep the last queues";
  EXPECT_FALSE(f().urlTCK->Visible());
  EXPECT_EQ(f().urlTCK->URL(), "about:blank?11.06.2025 12:00:30");
}

TEST_F(DayplanRun, TheLastActiveLineOfAKindDecides) {
  Start({Entry("08:00", "0", "Sport\\Morgen.pyl", "18:00"), Entry("09:00", "0", "Abend.pyl", "23:59"),
         Entry("11:00", "0", "Sport\\Morgen.pyl", "12:00")});
  EXPECT_EQ(f().lblPlaylist->Caption(), "Abend.pyl");
  ASSERT_EQ(f().memoPF1->Lines().Count(), 1);
  EXPECT_NE(f().memoPF1->Lines()[0].find("abend.png"), std::string::npos);
}

TEST_F(DayplanRun, TwoLinesStartingThisMinuteRunThePlanTwice) {
  Start({Entry("14:00", "0", "Sport\\Morgen.pyl", "15:00"), Entry("09:00", "1", "x.frm", "10:00"),
         Entry("14:00", "0", "Abend.pyl", "15:00")});
  Tick(13, 59, 5);
  runs_ = 0;  // the run after the long gap since the start
  Tick(14, 0, 5);
  EXPECT_EQ(runs_, 2);
  EXPECT_EQ(f().lblPlaylist->Caption(), "Abend.pyl");
  Tick(14, 1, 5);
  EXPECT_EQ(runs_, 2) << "only start times trigger a run";
}

TEST_F(DayplanRun, TheMinuteScanStopsAtTheEndOfAShortenedPlan) {
  Start({Entry("14:00", "0", "Abend.pyl", "15:00"), Entry("14:00", "0", "Abend.pyl", "15:00"),
         Entry("14:00", "0", "Abend.pyl", "15:00")});
  Tick(13, 59, 59);
  runs_ = 0;
  WriteLines("Config\\Dayplan\\Halle", {Entry("14:00", "0", "Abend.pyl", "15:00")});
  Tick(14, 0, 0);
  EXPECT_EQ(runs_, 1);
  EXPECT_EQ(f().memoDP->Lines().Count(), 1);
}

TEST_F(DayplanRun, ATickThatStepsOverAMinuteRunsItsLinesOnce) {
  Start({Entry("14:00", "0", "Sport\\Morgen.pyl", "15:00"), Entry("14:00", "0", "Abend.pyl", "15:00"),
         Entry("14:01", "0", "Sport\\Morgen.pyl", "15:00"), Entry("14:03", "1", "x.frm", "15:00")});
  struct Step {
    int hour, minute, second;
    int runs;  // runs so far
  };
  const Step steps[] = {
      {10, 16, 10, 0},  // the minute after the start at 10:15
      {13, 59, 59, 1},  // a long gap: the plan runs once, as at the start
      {14, 1, 0, 4},    // 14:00 stepped over: its two lines, then 14:01's line
      {14, 1, 59, 4},   // the same minute again: nothing
      {14, 4, 0, 5},    // 14:02 to 14:04: the line of 14:03
      {13, 0, 0, 6},    // the clock went back: once
      {13, 0, 50, 6},
  };
  for (const Step& s : steps) {
    Tick(s.hour, s.minute, s.second);
    EXPECT_EQ(runs_, s.runs) << s.hour << ":" << s.minute << ":" << s.second;
  }
  EXPECT_EQ(f().lblPlaylist->Caption(), "") << "the run at 13:00 finds no active line";
}

TEST_F(DayplanRun, AroundMidnightAndWithoutAPlan) {
  Start({Entry("00:00", "0", "Abend.pyl", "23:59")});
  Tick(23, 59, 30);
  runs_ = 0;
  SetNow(testing_support::Wednesday(0, 0, 40));
  now_.day = 12;
  now_.dayOfWeek = 4;
  f().timerDayplan->OnTimer(f().timerDayplan);
  EXPECT_EQ(runs_, 1) << "00:00 of the next day";

  // A display that never loaded a plan runs nothing after a long gap.
  Open("Nirgends");
  runs_ = 0;
  f().btnDayplan->OnClick = [this](Component* c) {
    ++runs_;
    f().btnDayplanClick(c);
  };
  SetNow(testing_support::Wednesday(18, 0, 0));
  f().timerDayplan->OnTimer(f().timerDayplan);
  EXPECT_EQ(runs_, 0);
}

TEST_F(DayplanRun, ALongPlanRunsEachStepOnlyWhenItsNameChanged) {
  WriteLines("Config\\Frames\\x.frm", {LayoutLine(0, "0", "0", "1", "1", ""), LayoutLine(1, "0", "0", "10", "10", "1"),
                                         LayoutLine(2, "", "", "", "", ""), LayoutLine(3, "", "", "", "", "")});
  WriteLines("Config\\Menus\\M.xml", {"<Menu/>"});
  std::vector<std::string> plan = {Entry("08:00", "1", "x.frm", "12:00"), Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00")};
  for (int i = 0; i < 2000; ++i) plan.push_back(Entry("01:00", "0", "Abend.pyl", "02:00"));  // over
  plan.push_back(Entry("08:00", "0", "Abend.pyl", "12:00"));
  plan.push_back(Entry("08:00", "3", "M.xml", "12:00"));
  WriteLines("Config\\Dayplan\\Halle", plan);
  Open("Halle");
  std::map<std::string, std::vector<std::string>> runs;
  for (TUniButton* b : {f().btnFrame, f().btnPlaylist, f().btnTicker}) {
    auto original = b->OnClick.Handler();
    b->OnClick = [&runs, b, original, this](Component* c) {
      const TUniLabel* label = b == f().btnFrame ? f().lblFrame : b == f().btnPlaylist ? f().lblPlaylist : f().lblTicker;
      runs[b->Name()].push_back(label->Caption());
      original(c);
    };
  }
  f().btnDayplan->OnClick(f().btnDayplan);
  EXPECT_EQ(runs["btnFrame"], (std::vector<std::string>{"x.frm", "x.frm"})) << "again after the menu";
  EXPECT_EQ(runs["btnPlaylist"], (std::vector<std::string>{"", "Sport\\Morgen.pyl", "Abend.pyl"}));
  EXPECT_EQ(runs["btnTicker"], std::vector<std::string>{""});
  EXPECT_EQ(f().lblPlaylist->Caption(), "Abend.pyl");
  ASSERT_EQ(f().memoPF1->Lines().Count(), 1);
  EXPECT_NE(f().memoPF1->Lines()[0].find("abend.png"), std::string::npos);
}

TEST_F(DayplanRun, EveryRunLeavesALineInTheServerLogWithTheFilesNotFound) {
  testing_support::LogCapture log;
  Start({Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00"), Entry("08:00", "1", "Fehlt.frm", "12:00"),
         Entry("08:00", "0", "Fehlt.pyl", "12:00"), Entry("08:00", "1", "Fehlt.frm", "12:00"),
         Entry("01:00", "2", "Alt.tck", "02:00")});
  const std::string plan = f().lblPath->Caption() + "Config\\Dayplan\\Halle";
  EXPECT_NE(log.All().find("display Halle: day plan " + plan + " run at 10:15:30, 5 lines, not found: "
                           "Config\\Frames\\Fehlt.frm, Config\\Progs\\Fehlt.pyl\n"),
            std::string::npos)
      << log.All();
  log.Clear();
  WriteLines("Config\\Dayplan\\Halle", {Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00")});
  f().btnDayplan->OnClick(f().btnDayplan);
  EXPECT_NE(log.All().find("run at 10:15:30, 1 line, every file found"), std::string::npos) << log.All();
  server_->IssueCommand("Dayplan", "Fehlt");
  d_->Advance(800);
  EXPECT_NE(log.All().find("display Fehlt, day plan " + f().lblPath->Caption() + "Config\\Dayplan\\Fehlt not found"),
            std::string::npos)
      << log.All();
}

TEST_F(DayplanRun, MissingPlanIsLoggedWithItsFullPath) {
  Start({Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00")});
  server_->IssueCommand("Dayplan", "Foyer");
  d_->Advance(800);
  EXPECT_EQ(f().lblStandort->Caption(), "Foyer");
  ASSERT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_EQ(f().memoLog->Lines()[0], "[error] Dayplan not found: " + f().apppath + "Config\\Dayplan\\Foyer");
  EXPECT_EQ(f().memoDP->Lines().Count(), 1) << "the loaded plan stays";
}

TEST_F(DayplanRun, ALineWithoutTimesEndsTheRunAfterTheLinesBeforeIt) {
  Start({Entry("08:00", "0", "Sport\\Morgen.pyl", "12:00"), "kurz", Entry("08:00", "0", "Abend.pyl", "12:00")});
  EXPECT_EQ(f().lblPlaylist->Caption(), "Sport\\Morgen.pyl");
  ASSERT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_EQ(f().memoLog->Lines()[0].rfind("[error] Dayplan Config\\Dayplan\\Halle line 2: no time of day", 0), 0u);
  EXPECT_TRUE(d_->Messages().empty());
}

TEST_F(DayplanRun, NamesWithUmlautsAndTheConfiguredBaseFolder) {
  testing_support::TempDir other;
  other.Write("Config/Progs/Grün.pyl", Item("gruen.png") + "\r\n");
  dir_.Write("Config/tessarine.ini",
             "[Settings]\r\nport=8077\r\njjjPath=" + other.sys() + "\r\n");
  other.Write("Config/Dayplan/Halle", Entry("08:00", "0", "Gr\xFCn.pyl", "12:00") + "\r\n");
  WriteLines("Config\\Dayplan\\Halle", {"exists in the program folder"});
  Open("Halle");
  EXPECT_EQ(f().lblPath->Caption(), other.sys());
  EXPECT_EQ(f().lblPlaylist->Caption(), "Grün.pyl") << "positions count characters, not bytes";
  EXPECT_EQ(f().memoPF1->Lines().Count(), 1);
}
