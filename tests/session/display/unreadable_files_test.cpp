// Files a display cannot read (a folder in the place of a playlist or day
// plan, a file without read permission): each step that meets one writes a
// line to the display log and the server log and ends as for a missing file;
// no error box reaches the screen and the screen keeps what it shows.
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "support/display_fixture.h"

using testing_support::LogCapture;

namespace {

std::string Item(const std::string& file) {
  return ",1," + file + ",00:10,0,0,Containers\\" + file + ",1,0,,,,,,,,,,,,";
}

std::string Entry(const std::string& kind, const std::string& name) {
  return "00:00        " + kind + "       " + name + "     23:59   ";
}

enum class Unreadable { Folder, NoPermission };

class UnreadableFiles : public testing_support::DisplayFixture, public ::testing::WithParamInterface<Unreadable> {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    WriteLines("Config\\Progs\\Gut.pyl", {Item("gut.png")});
    // The superuser reads every file whatever its permissions: this thread
    // reaches the files as an ordinary user instead.
    if (GetParam() == Unreadable::NoPermission && ::geteuid() == 0) {
      std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all |
                                                    std::filesystem::perms::group_read |
                                                    std::filesystem::perms::group_exec |
                                                    std::filesystem::perms::others_read |
                                                    std::filesystem::perms::others_exec);
      ::setfsuid(65534);
      asUser_ = true;
    }
  }
  void TearDown() override {
    if (asUser_) ::setfsuid(0);
    asUser_ = false;
    for (const auto& p : locked_) std::filesystem::permissions(p, std::filesystem::perms::owner_all);
    DisplayFixture::TearDown();
  }
  // Writes the fixture's files with the test's own rights.
  void Prepare(const std::function<void()>& write) {
    if (asUser_) ::setfsuid(0);
    write();
    if (asUser_) ::setfsuid(65534);
  }
  void WritePlan(const std::string& standort, const std::string& kind, const std::string& name) {
    Prepare([&] { WriteLines("Config\\Dayplan\\" + standort, {Entry(kind, name)}); });
  }
  // Puts something unreadable at a path below the program folder.
  void MakeUnreadable(const std::string& relative, const std::string& content) {
    Prepare([&] { PlaceUnreadable(relative, content); });
  }
  void PlaceUnreadable(const std::string& relative, const std::string& content) {
    const auto path = dir_.path() / relative;
    std::filesystem::remove_all(path);
    if (GetParam() == Unreadable::Folder) {
      std::filesystem::create_directories(path / "inside");
    } else {
      dir_.Write(relative, content);
      std::filesystem::permissions(path, std::filesystem::perms::none);
      locked_.push_back(path);
    }
  }
  // The path a step names: the display base folder and the relative path.
  std::string Path(const std::string& relative) { return f().lblPath->Caption() + relative; }
  int Boxes() const {
    int n = 0;
    for (const auto& op : d_->Ops()) n += op.value("op", "") == "error" || op.value("op", "") == "box";
    return n;
  }
  std::string Frame1() { return (f().f1Preload ? f().lblF1A : f().lblF1B)->Caption(); }
  std::vector<std::filesystem::path> locked_;
  bool asUser_ = false;
};

// One line that names the file, in both logs.
void ExpectOneLine(const TMainForm& f, const LogCapture& log, const std::string& file) {
  ASSERT_EQ(f.memoLog->Lines().Count(), 1) << f.memoLog->Lines().Text();
  EXPECT_EQ(f.memoLog->Lines()[0].rfind("[error] cannot read " + file + ": ", 0), 0u) << f.memoLog->Lines()[0];
  EXPECT_NE(log.All().find("display Halle, cannot read " + file + ": "), std::string::npos) << log.All();
}

}  // namespace

TEST_P(UnreadableFiles, PlaylistAtTheStartOfTheDisplay) {
  LogCapture log;
  MakeUnreadable("Config/Progs/Kaputt.pyl", Item("x.png") + "\r\n");
  WritePlan("Halle", "0", "Kaputt.pyl");
  Open("Halle");  // the page opens: the step does not escape
  ExpectOneLine(f(), log, Path("Config\\Progs\\Kaputt.pyl"));
  EXPECT_TRUE(f().memoPF1->Lines().Empty());
  d_->Advance(5000);
  EXPECT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_EQ(Boxes(), 0);
}

TEST_P(UnreadableFiles, PlaylistByCommandKeepsWhatTheScreenShows) {
  Open("Halle");
  server_->IssueCommand("Playlist", "Gut.pyl");
  d_->Advance(800 + 100);
  const std::string shown = Frame1();
  ASSERT_NE(shown.find("gut.png"), std::string::npos);
  const int interval = f().timerF1->Interval();

  LogCapture log;
  MakeUnreadable("Config/Progs/Kaputt.pyl", Item("x.png") + "\r\n");
  server_->IssueCommand("Playlist", "Kaputt.pyl");
  d_->Advance(800);
  EXPECT_EQ(f().timerCMD->Tag(), server_->DisplayCommand().sCMDNr) << "the command is consumed";
  d_->Advance(4000);  // five more ticks: not tried again
  ExpectOneLine(f(), log, Path("Config\\Progs\\Kaputt.pyl"));
  EXPECT_EQ(Frame1(), shown);
  EXPECT_EQ(f().memoPF1->Lines().Count(), 1) << "the queues stay";
  EXPECT_EQ(f().timerF1->Interval(), interval) << "frame 1 was not restarted";
  EXPECT_EQ(f().lblPlaylist->Caption(), "Gut.pyl");
  EXPECT_EQ(Boxes(), 0);
}

TEST_P(UnreadableFiles, DayplanAtTheStartAndByCommand) {
  LogCapture log;
  MakeUnreadable("Config/Dayplan/Halle", Entry("0", "Gut.pyl") + "\r\n");
  WritePlan("Foyer", "0", "Gut.pyl");
  if (GetParam() == Unreadable::NoPermission) {
    // The plan exists for the start: it is run and cannot be read.
    Open("Halle");
    ExpectOneLine(f(), log, Path("Config\\Dayplan\\Halle"));
    EXPECT_EQ(f().memoDP->Lines().Count(), 1) << "the design text stays";
  } else {
    // A folder is no plan: the display starts with the logo.
    Open("Halle");
    EXPECT_NE(f().lblF1A->Caption().find("files/J8_TS.jpg"), std::string::npos);
  }
  server_->IssueCommand("Dayplan", "Foyer");
  d_->Advance(800 + 100);
  ASSERT_NE(Frame1().find("gut.png"), std::string::npos);
  f().memoLog->Lines().Clear();
  log.Clear();

  MakeUnreadable("Config/Dayplan/Foyer", Entry("0", "Gut.pyl") + "\r\n");
  server_->IssueCommand("Dayplan", "Halle");
  d_->Advance(800);
  EXPECT_EQ(f().lblStandort->Caption(), "Halle");
  EXPECT_EQ(f().timerCMD->Tag(), server_->DisplayCommand().sCMDNr);
  ExpectOneLine(f(), log, Path("Config\\Dayplan\\Halle"));
  EXPECT_EQ(f().memoPF1->Lines().Count(), 1) << "the frames keep their queues";
  EXPECT_EQ(Boxes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableFiles, ::testing::Values(Unreadable::Folder, Unreadable::NoPermission),
                         [](const auto& p) { return p.param == Unreadable::Folder ? "Folder" : "NoPermission"; });
