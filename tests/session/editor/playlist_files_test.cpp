// The playlist editor's files, driven as the operator does: the tree,
// opening, saving, "Save As", deleting and the commands to the screens.
#include <unistd.h>

#include <filesystem>

#include "editor/FileFormats.h"
#include "playlist_fixture.h"
#include "platform/io/text_file.h"

namespace fs = std::filesystem;
using namespace playlist_testing;

namespace {

const std::string kPic = Line({"1", "a.jpg", "00:10", "0", "0", "Containers\\Bilder\\a.jpg", "1", "0"});

std::string RepoFile(const std::string& relative) {
  return plat::io::ReadFileBytes(std::string(TESS_SOURCE_DIR) + "/" + relative);
}

}  // namespace

TEST_F(PlaylistEditor, TheTreeHoldsEveryPlaylistUnderItsFolderWithoutLinksOrAChangedFolder) {
  const fs::path before = fs::current_path();
  dir_.Write("Config/Progs/Heim.pyl", kPic + "\r\n");
  dir_.Write("Config/Progs/System/Tor.pyl", kPic + "\r\n");
  dir_.Write("Config/Progs/Events/Sommer/Fest.pyl", kPic + "\r\n");
  dir_.Write("Config/Progs/Events/Sommer/Heim.pyl", kPic + "\r\n");
  dir_.Write("Config/Progs/notes.txt", "x");
  dir_.Write("Elsewhere/Secret.pyl", kPic + "\r\n");
  fs::create_directory_symlink(dir_.path() / "Elsewhere", dir_.path() / "Config/Progs/Linked");
  fs::create_symlink(dir_.path() / "Elsewhere/Secret.pyl", dir_.path() / "Config/Progs/Link.pyl");
  console_->Click("btnPLSLoadF1");

  // Folders list before the files of their folder, so the deeper Heim.pyl
  // comes first and the name stands there only.
  EXPECT_EQ(TreePaths(), (std::vector<std::string>{"Events", "Events\\Sommer", "Events\\Sommer\\Fest.pyl",
                                                   "Events\\Sommer\\Heim.pyl", "System", "System\\Stop.pyl",
                                                   "System\\Tor.pyl"}));
  EXPECT_EQ(f().cmbPLS->Items().Items(),
            (std::vector<std::string>{"Events\\Sommer\\Fest.pyl", "Events\\Sommer\\Heim.pyl", "Heim.pyl",
                                      "System\\Stop.pyl", "System\\Tor.pyl"}));
  EXPECT_EQ(f().treePls->Items()[0]->ImageIndex(), 1) << "a folder";
  EXPECT_EQ(f().treePls->Items()[2]->ImageIndex(), 0) << "a playlist";
  EXPECT_EQ(f().treePls->Hint(), f().apppath + "Config\\Progs\\");
  EXPECT_EQ(fs::current_path(), before);

  // A playlist two folders deep opens.
  ClickPlaylist("Events\\Sommer\\Fest.pyl");
  EXPECT_EQ(f().lblPlaylist2->Caption(), "Events\\Sommer\\Fest.pyl");
  EXPECT_EQ(Rows(1), std::vector<std::string>{kPic});
}

TEST_F(PlaylistEditor, LoadingTakesEachLineAsFarAsItGoes) {
  const std::string full = Line({"1", "a.jpg", "1:5", "0", "2", "Containers\\Bilder\\a.jpg", "1", "0", "08:00 01.01.2025",
                                 "22:00 31.12.2030", "", "", "", "", "", "1111100", "r17", "K1", "K2"});
  const struct {
    const char* what;
    std::string line;
    bool toast;
    int rows;            // rows of Grid1 after this line alone
    std::string stored;  // columns 1 to 19 of the row
  } cases[] = {
      {"all fields", full, false, 1, full},
      {"ends after field 17",
       ",1,a.jpg,00:10,0,0,Containers\\Bilder\\a.jpg,1,0,,,,,,,,,r17,", false, 1,
       Line({"1", "a.jpg", "00:10", "0", "0", "Containers\\Bilder\\a.jpg", "1", "0", "", "", "", "", "", "", "", "", "r17"})},
      {"ends after field 9", ",1,a.jpg,00:10,0,0,Containers\\Bilder\\a.jpg,1,0,08:00 01.01.2025,", true, 1,
       Line({"1", "a.jpg", "00:10", "0", "0", "Containers\\Bilder\\a.jpg", "1", "0", "08:00 01.01.2025"})},
      {"ends before field 7", ",1,a.jpg,00:10,0,0,Containers\\Bilder\\a.jpg,", true, 0, ""},
      {"blanks around fields", ", 1 , a.jpg ,00:10,0,0, Containers\\Bilder\\a.jpg ,1,0,,,,,,,,,,,,", false, 1, kPic},
  };
  for (const auto& c : cases) {
    Json ops = Open("Case.pyl", "\xEF\xBB\xBF" + c.line + "\r\n");
    EXPECT_EQ(Toasts(ops), c.toast ? std::vector<std::string>{"Error Load PLS! 0"} : std::vector<std::string>{})
        << c.what;
    ASSERT_EQ(f().Grid1->RowCount(), c.rows) << c.what;
    if (c.rows) {
      EXPECT_EQ(Rows(1)[0], c.stored) << c.what;
    }
  }

  // The frames decide the grid; a line of frame 3 first goes to frame 1, a
  // later one to the grid of the line before, each keeping its frame.
  const std::string f1 = Line({"1", "a.jpg", "00:10", "0", "0", "Containers\\Bilder\\a.jpg", "1", "0"});
  const std::string f2 = Line({"1", "gone.jpg", "00:10", "0", "0", "Containers\\Bilder\\gone.jpg", "2", "0"});
  const std::string f3 = Line({"1", "http://x", "00:10", "0", "0", "https://example.org/", "3", "5"});
  Open("Frames.pyl", f3 + "\r\n" + f1 + "\r\n" + f2 + "\r\n" + f3 + "\r\n");
  EXPECT_EQ(Rows(1), (std::vector<std::string>{f3, f1}));
  EXPECT_EQ(Rows(2), (std::vector<std::string>{f2, f3}));
  EXPECT_TRUE(f().panFrame2->Visible());
  EXPECT_EQ(f().nrPlsFrames->Value(), 2);
  EXPECT_EQ(f().Grid1->Cell(0, 1), "<i class=\"far fa-image\" style=\"font-size: 22px;\"></i>");
  EXPECT_EQ(f().Grid2->Cell(0, 0), "<i class=\"far fa-image\" style=\"color: #ed1d1d;font-size: 22px;\"></i>")
      << "a missing file shows red";
  EXPECT_EQ(f().Grid2->Cell(0, 1), "<i class=\"fab fa-html5 fa-fw\" style=\"font-size: 22px;\"></i>")
      << "a web address is never red";

  Open("One.pyl", f1 + "\r\n");
  EXPECT_FALSE(f().panFrame2->Visible());
  EXPECT_EQ(f().nrPlsFrames->Value(), 1);
  EXPECT_EQ(f().Grid2->RowCount(), 0);
}

TEST_F(PlaylistEditor, AMissingPlaylistIsReportedAndLoadsNothing) {
  Open("Weg.pyl", kPic + "\r\n");
  fs::remove(dir_.path() / "Config/Progs/Weg.pyl");
  Json ops = ClickPlaylist("Weg.pyl");
  const auto scripts = ScriptsOf(ops);
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_EQ(scripts[0], "Ext.toast({html: \"Error:  Playlist not found:  Weg.pyl\" , header: false, autoCloseDelay: 3000});");
  EXPECT_EQ(f().lblPlaylist2->Caption(), "Weg.pyl");
  EXPECT_EQ(f().Grid1->RowCount(), 1) << "the grids keep their rows";
}

TEST_F(PlaylistEditor, TheDemoThreeFramePlaylistIsSavedByteForByte) {
  const std::string demo = RepoFile("demo/Config/Progs/Demo.pyl");
  Open("Demo.pyl", demo);
  EXPECT_EQ(f().Grid1->RowCount() + f().Grid2->RowCount(), 8);
  dir_.Write("Config/Progs/Demo.pyl", "");
  console_->Click("btnPLSSave");
  EXPECT_EQ(dir_.Read("Config/Progs/Demo.pyl"), demo);
}

TEST_F(PlaylistEditor, SavingNormalisesTheTimeInTheFileOnly) {
  Open("Zeit.pyl", kPic + "\r\n" + kPic + "\r\n");
  const struct {
    const char* typed;
    const char* inGrid;
    const char* inFile;
  } cases[] = {{"130", "130", "01:30"}, {"1,30", "130", "01:30"}, {"  45 \r\n", "45", "00:45"}, {"", "", "00:10"}};
  for (const auto& c : cases) {
    Send(Json::array({{{"t", "cell"}, {"c", Id("Grid1")}, {"col", plTime}, {"row", 1}, {"v", c.typed}}}));
    console_->Click("btnPLSSave");
    EXPECT_EQ(f().Grid1->Cell(plTime, 1), c.inGrid) << c.typed;
    const auto lines = plat::io::ReadLines(dir_.sys() + "Config/Progs/Zeit.pyl");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(SplitPlaylistLine(lines[1])[plTime], c.inFile) << c.typed;
    EXPECT_EQ(lines[0], kPic);
  }
}

TEST_F(PlaylistEditor, SaveAsTakesPlainNamesIntoExistingFolders) {
  Open("Quelle.pyl", kPic + "\r\n");
  const struct {
    const char* typed;
    const char* written;  // below Config/Progs, "" when refused
    const char* message;  // part of the message shown
  } cases[] = {
      {"Test.pyl", "Test.pyl", ""},
      {" Neu,\r\n", "Neu.pyl", ""},
      {"System\\Test", "System/Test.pyl", ""},
      {"..\\x", "", "is not a playlist name"},
      {"/etc/x", "", "is not a playlist name"},
      {"C:\\x", "", "is not a playlist name"},
      {"System\\\\x", "", "is not a playlist name"},
      {"", "", "is not a playlist name"},
      {"Nope\\x", "", "the folder Config\\Progs\\Nope\\ does not exist"},
  };
  for (const auto& c : cases) {
    Json ops = Answer(console_->Click("btnPLSSaveAs"), "ok", c.typed);
    if (*c.written) {
      EXPECT_EQ(FirstBoxText(ops), "") << c.typed;
      EXPECT_EQ(dir_.Read(std::string("Config/Progs/") + c.written), kPic + "\r\n") << c.typed;
    } else {
      EXPECT_NE(FirstBoxText(ops).find(c.message), std::string::npos) << c.typed << ": " << FirstBoxText(ops);
      Answer(ops, "ok");
    }
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "Config/x.pyl"));
  EXPECT_FALSE(fs::exists(dir_.path() / "Config/Progs/Test.pyl.pyl"));
  EXPECT_EQ(f().lblPlaylist2->Caption(), "Quelle.pyl") << "the editor stays on its playlist";
  const auto paths = TreePaths();
  EXPECT_NE(std::find(paths.begin(), paths.end(), "System\\Test.pyl"), paths.end()) << "the tree is refreshed";

  // An existing playlist is replaced only on Yes.
  dir_.Write("Config/Progs/Test.pyl", "old\r\n");
  for (const char* answer : {"no", "close"}) {
    Json ask = Answer(console_->Click("btnPLSSaveAs"), "ok", "Test");
    EXPECT_EQ(FirstBoxText(ask), "Playlist Test.pyl exists. Replace it?");
    Answer(ask, answer);
    EXPECT_EQ(dir_.Read("Config/Progs/Test.pyl"), "old\r\n") << answer;
  }
  Answer(Answer(console_->Click("btnPLSSaveAs"), "ok", "test.PYL"), "yes");
  EXPECT_EQ(dir_.Read("Config/Progs/Test.pyl"), kPic + "\r\n");
  // Cancel writes nothing.
  Answer(console_->Click("btnPLSSaveAs"), "cancel", "Abbruch");
  EXPECT_FALSE(fs::exists(dir_.path() / "Config/Progs/Abbruch.pyl"));
}

TEST_F(PlaylistEditor, DeleteRemovesTheOpenPlaylistOnOkOnly) {
  Open("Weg.pyl", kPic + "\r\n");
  Json prompt = console_->Click("btnPLSDel");
  EXPECT_EQ(OpsOf(prompt, "box")[0].value("def", ""), "Weg.pyl");
  Answer(prompt, "cancel", "Weg.pyl");
  EXPECT_TRUE(fs::exists(dir_.path() / "Config/Progs/Weg.pyl"));
  Answer(console_->Click("btnPLSDel"), "ok", "System\\Stop.pyl");  // the typed text is ignored
  EXPECT_FALSE(fs::exists(dir_.path() / "Config/Progs/Weg.pyl"));
  EXPECT_TRUE(fs::exists(dir_.path() / "Config/Progs/System/Stop.pyl"));
  EXPECT_EQ(TreePaths(), (std::vector<std::string>{"System", "System\\Stop.pyl"}));
  EXPECT_EQ(f().Grid1->RowCount(), 1) << "the grids stay";
}

TEST_F(PlaylistEditor, PlayLoopAndStopSendThePlaylistAsSaved) {
  console_->Click("btnPlsPlay");
  EXPECT_EQ(server_->DisplayCommand().sStandort, "Playlist") << "nothing opened yet";
  Open("Heim.pyl", kPic + "\r\n");
  const int before = server_->DisplayCommand().sCMDNr;
  console_->Click("btnPlsPlay");
  EXPECT_EQ(server_->DisplayCommand().sTyp, "Playlist");
  EXPECT_EQ(server_->DisplayCommand().sStandort, "Heim.pyl");
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, before + 1);
  console_->Click("btnPlsStop");
  EXPECT_EQ(server_->DisplayCommand().sStandort, "System\\Stop.pyl");
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, before + 2);
}
