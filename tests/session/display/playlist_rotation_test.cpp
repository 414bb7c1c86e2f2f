// Playlist queues and the rotation of frames 1 to 3, driven through the
// browser timers on a virtual clock with a fixed "now".
#include <gtest/gtest.h>

#include "display/DisplayFiles.h"
#include "editor/FileFormats.h"
#include "support/display_fixture.h"

using plat::ui::Json;
using testing_support::LogCapture;

namespace {

// A playlist item for a frame; fields not given stay empty.
std::string Item(const std::string& file, const std::string& time, const std::string& frame,
                 const std::string& code = "0", const std::string& begin = "", const std::string& end = "",
                 const std::string& mask = "", const std::string& effect = "0") {
  std::vector<std::string> f(kPlaylistFields);
  f[plNr - 1] = "1";
  f[plFile - 1] = file;
  f[plTime - 1] = time;
  f[plVol - 1] = "0";
  f[plEff - 1] = effect;
  f[plPath - 1] = "Containers\\Bilder\\" + file;
  f[plFrame - 1] = frame;
  f[plType - 1] = code;
  f[plBegin - 1] = begin;
  f[plEnd - 1] = end;
  f[plWeekdays - 1] = mask;
  return FormatPlaylistLine(f);
}

class PlaylistRotation : public testing_support::DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    Open();
  }
  void WritePlaylist(const std::string& name, const std::vector<std::string>& lines) {
    WriteLines("Config\\Progs\\" + name, lines);
  }
  // Plays a playlist as the display command does.
  void Play(const std::string& name) {
    server_->IssueCommand("Playlist", name);
    d_->Advance(800);
  }
  // What frame 1 shows after its last step (its incoming label).
  std::string Frame1() { return (f().f1Preload ? f().lblF1A : f().lblF1B)->Caption(); }
};

}  // namespace

TEST_F(PlaylistRotation, LinesGoToTheQueuesOfTheirFrames) {
  WritePlaylist("Sport\\Mix.pyl", {Item("a.png", "00:10", "1"), Item("b.png", "00:10", "3"),
                                   Item("c.png", "00:10", "4"), ",1,short,00:10,0,0,x,1",
                                   Item("d.png", "00:10", "1"), ",1,seven,00:10,0,0,x,"});
  f().UniPageControl1->SetActivePageIndex(1);
  Play("Sport\\Mix.pyl");
  EXPECT_EQ(f().memoPLS->Lines().Count(), 6);
  ASSERT_EQ(f().memoPF1->Lines().Count(), 3) << "a line that reaches the frame field counts";
  EXPECT_EQ(f().memoPF1->Lines()[0], Item("a.png", "00:10", "1"));
  EXPECT_EQ(f().memoPF1->Lines()[2], Item("d.png", "00:10", "1"));
  EXPECT_TRUE(f().memoPF2->Lines().Empty());
  EXPECT_EQ(f().memoPF3->Lines().Count(), 1);
  EXPECT_EQ(f().lblPlaylist->Caption(), "Sport\\Mix.pyl");
  EXPECT_EQ(f().UniPageControl1->ActivePageIndex(), 0) << "the display surface is shown";
  EXPECT_TRUE(f().timerF1->Enabled());
  EXPECT_FALSE(f().timerF2->Enabled()) << "no frame-2 items";
  EXPECT_TRUE(f().timerF3->Enabled());
  EXPECT_EQ(f().timerCMD->Tag(), 1);
}

TEST_F(PlaylistRotation, MissingPlaylistChangesNothing) {
  WritePlaylist("a.pyl", {Item("a.png", "00:10", "1")});
  Play("a.pyl");
  f().lblPlaylist->SetCaption("gone.pyl");
  f().btnPlaylist->OnClick(f().btnPlaylist);
  EXPECT_EQ(f().memoPF1->Lines().Count(), 1);
  f().lblPlaylist->SetCaption("..\\..\\a.pyl");
  f().btnPlaylist->OnClick(f().btnPlaylist);
  EXPECT_EQ(f().memoPLS->Lines().Count(), 1);
}

TEST_F(PlaylistRotation, StepsGoRoundTheQueueWithIntervalsFromTheDurations) {
  WritePlaylist("three.pyl", {Item("a.png", "00:10", "1"), Item("b.png", "01:30", "1"),
                              Item("c.png", "00:01", "1")});
  Play("three.pyl");
  d_->Advance(100);  // first step 100 ms after the command
  EXPECT_EQ(f().Play_1, 0);
  EXPECT_EQ(f().lblPlay->Caption(), "00:10 Containers/Bilder/a.png Typ:0");
  EXPECT_NE(Frame1().find("src=\"Containers/Bilder/a.png\""), std::string::npos);
  EXPECT_EQ(f().timerF1->Interval(), 8800);
  EXPECT_EQ(d_->GetSession().UserString, "Halle-lblDayplan a.png");

  d_->Advance(8800);
  EXPECT_EQ(f().Play_1, 1);
  EXPECT_EQ(f().timerF1->Interval(), 88800);
  d_->Advance(88800);
  EXPECT_EQ(f().Play_1, 2);
  EXPECT_EQ(f().timerF1->Interval(), 1000) << "not longer than the preload time";
  const int expected[] = {0, 1, 2, 0};
  const int waits[] = {1000, 8800, 88800, 1000};
  for (int i = 0; i < 4; ++i) {
    d_->Advance(waits[i]);
    EXPECT_EQ(f().Play_1, expected[i]) << "step " << i;
  }
}

TEST_F(PlaylistRotation, ReloadedShorterQueueStartsAgainAtItsFirstLine) {
  WritePlaylist("long.pyl", {Item("a.png", "00:02", "1"), Item("b.png", "00:02", "1"), Item("c.png", "00:02", "1"),
                             Item("d.png", "00:02", "1"), Item("e.png", "00:02", "1")});
  WritePlaylist("short.pyl", {Item("x.png", "00:02", "1"), Item("y.png", "00:02", "1")});
  Play("long.pyl");
  d_->Advance(100 + 4 * 800);
  ASSERT_EQ(f().Play_1, 4);
  // A day-plan re-run loads a playlist without restarting the rotation.
  f().lblPlaylist->SetCaption("short.pyl");
  f().btnPlaylist->OnClick(f().btnPlaylist);
  d_->Advance(800);
  EXPECT_EQ(f().Play_1, 0);
  EXPECT_NE(Frame1().find("x.png"), std::string::npos);
}

TEST_F(PlaylistRotation, ActiveNowByTimeDateAndWeekday) {
  struct Case {
    const char* begin;
    const char* end;
    const char* mask;
    bool active;
  };
  // Now is Wednesday 11.06.2025 10:15:30.
  const Case cases[] = {
      {"08:00 01.01.2025", "18:00 31.12.2025", "1111100", true},
      {"08:00 01.01.2025", "18:00 31.12.2025", "0000011", false},
      {"08:00 01.01.2025", "18:00 31.12.2025", "0010000", true},
      {"10:15 11.06.2025", "10:16 11.06.2025", "1111111", true},
      {"08:00 01.01.2025", "10:15 31.12.2025", "1111111", false},  // over one instant after 10:15:00
      {"11:00 01.01.2025", "18:00 31.12.2025", "1111111", false},
      {"20:00 01.01.2025", "06:00 31.12.2025", "1111111", false},  // no wrap past midnight
      {"08:00 12.06.2025", "18:00 31.12.2025", "1111111", false},
      {"08:00 01.01.2025", "18:00 10.06.2025", "1111111", false},
      {"08:00 01.01.2025", "18:00 32.12.2025", "1111111", false},
      {"8:00  01.01.2025", "18:00 31.12.2025", "1111111", false},
      {"08:00", "18:00", "1111111", false},
      {"08:00 01.01.2025", "18:00 31.12.2025", "   ", false},
      {"08:00 01.01.2025", "18:00 31.12.2025", "11", false},     // no character for Wednesday
      {"08:00 01.01.2025", "18:00 31.12.2025", " 11", true},     // counted on the untrimmed mask
      {"08:00 29.02.2024", "18:00 31.12.2025", "1111111", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(f().IsActiveNow(c.begin, c.end, c.mask), c.active) << c.begin << " / " << c.end << " / " << c.mask;
}

TEST_F(PlaylistRotation, InactiveItemIsSkippedWithItsLogLine) {
  WritePlaylist("windows.pyl",
                {Item("main.png", "00:10", "1"),
                 Item("a.png", "00:10", "2", "0", "08:00 01.01.2025", "18:00 31.12.2025", "0000011"),
                 Item("b.png", "00:05", "2", "0", "01:00 01.01.2020", "02:00 01.01.2020", "")});
  Play("windows.pyl");
  f().timerF2->SetEnabled(true);
  d_->Advance(100);
  EXPECT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_EQ(f().memoLog->Lines()[0],
            "[info], --> Frame2 Medium inaktiv BeginEndWeek Containers/Bilder/a.png 08:00 01.01.2025 "
            "18:00 31.12.2025 0000011");
  EXPECT_EQ(f().timerF2->Interval(), 500);
  EXPECT_EQ(f().lblF2A->Caption(), "");
  EXPECT_EQ(f().lblF2B->Caption(), "");
  d_->Advance(500);
  EXPECT_EQ(f().Play_2, 1);
  EXPECT_NE(f().lblF2A->Caption().find("b.png"), std::string::npos) << "an empty mask ignores the past window";
  EXPECT_EQ(f().timerF2->Interval(), 3800);
  EXPECT_EQ(f().memoLog->Lines().Count(), 1);
}

TEST_F(PlaylistRotation, TheDisplayLogKeepsItsLastLinesAndSendsOnlyTheEdit) {
  // Two items outside their window: a line every 500 ms, for hours.
  const std::string never = "0000000";
  WritePlaylist("aus.pyl", {Item("a.png", "00:10", "1", "0", "08:00 01.01.2025", "18:00 31.12.2025", never),
                            Item("b.png", "00:10", "1", "0", "08:00 01.01.2025", "18:00 31.12.2025", never)});
  Play("aus.pyl");
  d_->Advance(100 + 500 * 2999);  // 3000 steps
  const auto& log = f().memoLog->Lines();
  ASSERT_EQ(log.Count(), 2000);
  EXPECT_NE(log[1999].find("Containers/Bilder/b.png"), std::string::npos);
  EXPECT_NE(log[1998].find("Containers/Bilder/a.png"), std::string::npos);

  // Out of sight (the display surface shown) the log is not sent at all;
  // the engine page (F3) gets it once, whole, and from then on each edit.
  auto sentLog = [&](const Json& ops) {
    std::vector<Json> sent;
    for (const Json& op : ops)
      if (op.value("op", "") == "set" && op.value("c", 0) == f().memoLog->Id()) sent.push_back(op["v"]);
    return sent;
  };
  const Json tick = Json::array({{{"t", "timer"}, {"c", f().timerF1->Id()}}});
  EXPECT_TRUE(sentLog(d_->Send(tick)).empty());
  auto sent = sentLog(d_->Key(114));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].size(), 2000u);
  sent = sentLog(d_->Send(tick));
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["append"].size(), 1u);
  EXPECT_EQ(sent[0]["drop"], 1);
  EXPECT_FALSE(sent[0].contains("keep"));
  EXPECT_EQ(f().memoLog->Lines().Count(), 2000);

  // A double-click on the engine page still empties it.
  d_->Send(Json::array({{{"t", "dblclick"}, {"c", f().memoLog->Id()}}}));
  EXPECT_TRUE(f().memoLog->Lines().Empty());
}

TEST_F(PlaylistRotation, AnUnchangedRepeatOfTheLastLineIsCounted) {
  WritePlaylist("eins.pyl", {Item("a.png", "00:10", "1", "0", "08:00 01.01.2025", "18:00 31.12.2025", "0000000")});
  Play("eins.pyl");
  d_->Advance(100 + 500 * 119);
  ASSERT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_EQ(f().memoLog->Lines()[0],
            "[info], --> Frame1 Medium inaktiv BeginEndWeek Containers/Bilder/a.png 08:00 01.01.2025 18:00 31.12.2025 "
            "0000000 (x 120)");
  DisplayLog(f(), "[info] other");
  DisplayLog(f(), "[info] other");
  DisplayLog(f(), "[info] next");
  EXPECT_EQ(f().memoLog->Lines().Items(),
            (std::vector<std::string>{f().memoLog->Lines()[0], "[info] other (x 2)", "[info] next"}));
}

TEST_F(PlaylistRotation, UnreadableItemsAreSkippedWithoutAnErrorBox) {
  LogCapture log;
  std::string shortLine = ",1,short.png,00:10,0,0,Containers\\short.png,1,0,,,,,,,";  // 15 fields
  WritePlaylist("bad.pyl", {Item("a.png", "00:10", "1"), Item("b.png", "0:5", "1"), shortLine,
                            Item("c.png", "00:04", "1", "0", "", "", "", "x")});
  Play("bad.pyl");
  d_->Advance(100);
  ASSERT_EQ(f().Play_1, 0);
  const std::string shown = Frame1();
  d_->Advance(8800);
  EXPECT_EQ(f().Play_1, 1);
  EXPECT_EQ(Frame1(), shown) << "nothing shown for an unreadable duration";
  EXPECT_EQ(f().timerF1->Interval(), 8800) << "interval unchanged";
  d_->Advance(8800);
  EXPECT_EQ(f().Play_1, 2);
  EXPECT_EQ(Frame1(), shown) << "nothing read past the short line";
  const bool flag = f().f1Preload;
  d_->Advance(8800);
  EXPECT_EQ(f().Play_1, 3);
  EXPECT_NE(f().f1Preload, flag);
  EXPECT_NE(Frame1().find("c.png"), std::string::npos) << "the label gets the HTML";
  EXPECT_EQ(f().timerF1->Interval(), 2800) << "and the interval is set";
  EXPECT_FALSE(f().timerF1B->Enabled()) << "but no fade starts";
  ASSERT_EQ(f().memoLog->Lines().Count(), 3);
  EXPECT_EQ(f().memoLog->Lines()[0].rfind("[error], --> Frame1 duration is not mm:ss: ", 0), 0u);
  EXPECT_EQ(f().memoLog->Lines()[1], "[error], --> Frame1 item has too few fields: " + shortLine);
  EXPECT_TRUE(d_->Messages().empty()) << "a display shows no error box";
  EXPECT_NE(log.All().find("Frame1: effect is not a number"), std::string::npos);
}

TEST_F(PlaylistRotation, EmptyQueueKeepsTheFrameAndItsTimer) {
  WritePlaylist("frame1.pyl", {Item("a.png", "00:03", "1")});
  WritePlaylist("frame2.pyl", {Item("b.png", "00:03", "2")});
  Play("frame1.pyl");
  d_->Advance(100);
  const std::string shown = Frame1();
  f().lblPlaylist->SetCaption("frame2.pyl");
  f().btnPlaylist->OnClick(f().btnPlaylist);
  d_->Advance(1800 * 3);
  EXPECT_TRUE(f().timerF1->Enabled());
  EXPECT_EQ(f().timerF1->Interval(), 1000) << "an empty queue is looked at once a second";
  EXPECT_EQ(f().Play_1, 0);
  EXPECT_EQ(Frame1(), shown);
  EXPECT_TRUE(f().memoLog->Lines().Empty());

  // A playlist command restarts frame 1 at 100 ms; with no frame-1 items
  // the first step slows it down again.
  Play("frame2.pyl");
  d_->Advance(100);
  EXPECT_TRUE(f().timerF1->Enabled());
  EXPECT_EQ(f().timerF1->Interval(), 1000);
  d_->Advance(3000);
  EXPECT_EQ(f().timerF1->Interval(), 1000);

  // A playlist with frame-1 items loaded later is picked up.
  f().lblPlaylist->SetCaption("frame1.pyl");
  f().btnPlaylist->OnClick(f().btnPlaylist);
  d_->Advance(1000);
  EXPECT_NE(Frame1().find("a.png"), std::string::npos);
}

TEST_F(PlaylistRotation, FramesTwoAndThreeCrossFadeWithTheirOwnTimings) {
  WritePlaylist("three.pyl", {Item("a.png", "00:10", "1"), Item("b.png", "00:10", "2", "0", "", "", "", "1"),
                              Item("c.png", "00:10", "3", "9", "", "", "", "1")});
  Play("three.pyl");
  auto fadesOf = [&](TUniLabel* label) {
    std::vector<std::string> out;
    for (const std::string& s : Scripts())
      if (s.rfind(label->JSName() + ".el.fade", 0) == 0) out.push_back(s.substr(label->JSName().size()));
    return out;
  };
  // Frame 2 was restarted by the command (100 ms); frame 3 carries on with
  // its form interval (500 ms).
  d_->Advance(100);
  EXPECT_NE(f().lblF2A->Caption().find("b.png"), std::string::npos);
  EXPECT_TRUE(f().timerF2B->Enabled());
  EXPECT_EQ(f().timerF2B->Interval(), 600);
  d_->Advance(400);
  EXPECT_NE(f().lblF3A->Caption().find("<iframe src=\"Containers/Bilder/c.png \""), std::string::npos)
      << "frame 3's PDF suffix is empty without Medien.ini";
  EXPECT_TRUE(f().timerF3B->Enabled());
  EXPECT_EQ(f().timerF3B->Interval(), 500);
  EXPECT_EQ(d_->GetSession().UserString, "Halle-lblDayplan a.png") << "only frame 1 sets the user string";
  EXPECT_EQ(f().lblPlay->Caption(), "00:10 Containers/Bilder/a.png Typ:0");
  EXPECT_EQ(f().timerF2->Interval(), 8800);
  EXPECT_EQ(f().timerF3->Interval(), 8800);

  // Frame 2 fades 600 ms after its step, over 1000 ms.
  EXPECT_TRUE(fadesOf(f().lblF2A).empty());
  d_->Advance(200);
  EXPECT_FALSE(f().timerF2B->Enabled());
  EXPECT_EQ(fadesOf(f().lblF2B), std::vector<std::string>{".el.fadeOut({duration: 1000});"});
  EXPECT_EQ(fadesOf(f().lblF2A), std::vector<std::string>{".el.fadeIn({duration: 1000});"});
  // Frame 3 fades 500 ms after its step, over 1200 ms.
  EXPECT_TRUE(fadesOf(f().lblF3A).empty());
  d_->Advance(299);
  EXPECT_TRUE(fadesOf(f().lblF3A).empty()) << "not before 500 ms";
  d_->Advance(1);
  EXPECT_EQ(fadesOf(f().lblF3B), std::vector<std::string>{".el.fadeOut({duration: 1200});"});
  EXPECT_EQ(fadesOf(f().lblF3A), std::vector<std::string>{".el.fadeIn({duration: 1200});"});
}
