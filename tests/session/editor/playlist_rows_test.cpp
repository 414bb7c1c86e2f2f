// The playlist editor's rows and row menu, driven as the operator does:
// rows from the library and web addresses, moves, play, delete, preview,
// the settings of all rows, cell edits and the item dialog.
#include "editor/FileFormats.h"
#include "editor/Unit3.h"
#include "playlist_fixture.h"

using namespace playlist_testing;

namespace {

// Rows A to E: name and path differ, the rest is alike.
std::string Row(const std::string& name, const std::string& weekdays = "") {
  return Line({"1", name, "00:10", "0", "0", "Containers\\Bilder\\" + name, "1", "0", "", "", "", "", "", "", "",
               weekdays});
}

std::string Names(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += SplitPlaylistLine(l)[plFile];
  return out;
}

}  // namespace

TEST_F(PlaylistEditor, RowsMoveOnePlaceOrToAnEndAndAreNumberedAgain) {
  const struct {
    const char* what;
    int row;
    const char* move;   // a panel tool ("0" down, "1" up) or a menu entry
    const char* after;  // the names in order
    int selected;       // the remembered row afterwards
    bool rebuilt;       // the grid was suspended, changed, resumed and refreshed
  } cases[] = {
      {"down", 2, "0", "ABDCE", 3, true},
      {"up", 2, "1", "ACBDE", 1, true},
      {"down on the last", 4, "0", "ABCDE", 4, false},
      {"up on the first", 0, "1", "ABCDE", 0, false},
      {"top", 2, "op1", "CABDE", 2, true},
      {"bottom", 0, "Bottom1", "BCDEA", 0, true},
      {"top of the top", 0, "op1", "ABCDE", 0, true},
  };
  for (const auto& c : cases) {
    Open("Move.pyl", Row("A") + "\r\n" + Row("B") + "\r\n" + Row("C", "0000011") + "\r\n" + Row("D") + "\r\n" +
                         Row("E") + "\r\n");
    SelectRow(1, c.row);
    Json ops;
    if (std::string(c.move).size() == 1)
      ops = Send(Json::array({{{"t", "tool"}, {"c", Id("panFrame1")}, {"tool", c.move}}}));
    else
      ops = RowMenu(1, c.move);
    EXPECT_EQ(Names(Rows(1)), c.after) << c.what;
    EXPECT_EQ(f().panFrame1->Tag(), c.selected) << c.what;
    EXPECT_EQ(f().Grid1->Row(), c.selected) << c.what;
    const auto scripts = ScriptsOf(ops);
    if (c.rebuilt) {
      const std::string js = f().Grid1->JSName();
      EXPECT_EQ(scripts, (std::vector<std::string>{js + ".store.suspendEvents();", js + ".store.resumeEvents()",
                                                   js + ".view.refresh()"}))
          << c.what;
      EXPECT_EQ(Column(1, plNr), (std::vector<std::string>{"1", "2", "3", "4", "5"})) << c.what;
    } else {
      EXPECT_TRUE(scripts.empty()) << c.what;
    }
  }
  // A rebuilt grid shows the icons by type; a weekday mask shows the clock.
  EXPECT_EQ(f().Grid1->Cell(0, 0), "<i class=\"far fa-image\" style=\"font-size: 22px;\"></i>");
  EXPECT_EQ(f().Grid1->Cell(0, 2), "<i class=\"fas fa-clock fa-fw\" style=\"font-size: 22px;\"></i>");

  // A remembered row past the end moves nothing and leaves the grid live.
  SelectRow(1, 4);
  RowMenu(1, "UniMenuPLSDel");
  for (const char* tool : {"0", "1"}) {
    Json ops = Send(Json::array({{{"t", "tool"}, {"c", Id("panFrame1")}, {"tool", tool}}}));
    EXPECT_TRUE(ScriptsOf(ops).empty());
  }
  EXPECT_TRUE(ScriptsOf(RowMenu(1, "op1")).empty());
  EXPECT_EQ(Names(Rows(1)), "ABCD");
}

TEST_F(PlaylistEditor, RowsAddedAfterADeletedRowStartEmpty) {
  const std::string masked = Line({"9", "m.jpg", "00:10", "0", "0", "Containers\\Bilder\\m.jpg", "1", "0", "08:00 01.01.2025",
                                   "22:00 31.12.2030", "r11", "r12", "r13", "r14", "r15", "1111100", "r17", "K", "K"});
  Open("Maske.pyl", Row("A") + "\r\n" + masked + "\r\n");
  SelectRow(1, 1);
  RowMenu(1, "UniMenuPLSDel");
  ASSERT_EQ(Names(Rows(1)), "A");

  SelectLibraryFiles("Bilder", {"a.jpg", "b.mp4"});
  Json ops = AddToFrame(1);
  EXPECT_EQ(ScriptsOf(ops).size(), 6u) << "one suspend, resume and refresh per file";
  SelectRow(1, 0);
  console_->Click("btnPLSUrl");
  ASSERT_EQ(f().Grid1->RowCount(), 4);
  for (int r = 1; r < 4; ++r)
    for (int c = 9; c <= 19; ++c) EXPECT_EQ(f().Grid1->Cell(c, r), "") << "row " << r << " column " << c;
  EXPECT_EQ(Rows(1)[1], Line({"2", "a.jpg", "00:10", "0", "0", "Containers\\Bilder\\a.jpg", "1", "0"}));
  EXPECT_EQ(Rows(1)[2], Line({"3", "b.mp4", "00:10", "0", "0", "Containers\\Bilder\\b.mp4", "1", "2"}));
  EXPECT_EQ(Rows(1)[3], Line({"4", "select url", "00:10", "0", "0", "https://www.example.com/", "1", "5"}));
  EXPECT_EQ(f().Grid1->Cell(0, 2), "<i class=\"fas fa-film fa-fw\" style=\"font-size: 22px;\"></i>");
  EXPECT_EQ(f().Grid1->Cell(0, 3), "<i class=\"fab fa-html5 fa-fw\" style=\"font-size: 22px;\"></i>");
}

TEST_F(PlaylistEditor, LibraryFilesGetTheirTypeByTheTextAfterTheFirstDot) {
  const struct {
    const char* name;
    const char* type;
  } cases[] = {{"clip.MP4", "2"}, {"a.b.jpg", ""}, {"live.str", "16"},
               {"seite.htm", "4"}, {"folien.pptx", "4"}, {"plan.pdf", "9"}, {"show.sls", "12"}};
  for (const auto& c : cases) dir_.Write(std::string("Containers/Alle/") + c.name, "x");
  dir_.Write("Containers/Alle/Komma, Bild.jpg", "x");
  console_->Click("btnPLSLoadF1");
  // Nothing selected: the hint, nothing added.
  EXPECT_EQ(ScriptsOf(AddToFrame(2)),
            std::vector<std::string>{"Ext.toast({html: \"Info: Please select medium ...\", header: false, autoCloseDelay: 3000});"});
  EXPECT_EQ(f().Grid2->RowCount(), 1);

  for (const auto& c : cases) {
    SelectLibraryFiles("Alle", {c.name});
    AddToFrame(2);
    ASSERT_GT(f().Grid2->RowCount(), 1);
    const int r = f().Grid2->RowCount() - 1;
    EXPECT_EQ(f().Grid2->Cell(plType, r), c.type) << c.name;
    EXPECT_EQ(f().Grid2->Cell(plFrame, r), "2") << c.name;
    EXPECT_EQ(f().Grid2->Cell(plPath, r), std::string("Containers\\Alle\\") + c.name) << c.name;
  }
  const int rows = f().Grid2->RowCount();
  SelectLibraryFiles("Alle", {"Komma, Bild.jpg"});
  Json ops = AddToFrame(2);
  EXPECT_NE(FirstBoxText(ops).find("Komma, Bild.jpg"), std::string::npos) << "refused with a message";
  EXPECT_EQ(f().Grid2->RowCount(), rows);
}

TEST_F(PlaylistEditor, RowOperationsActOnlyOnARowThatExists) {
  Open("Drei.pyl", Row("A") + "\r\n" + Row("B") + "\r\n" + Row("C") + "\r\n");
  // Before any grid was chosen "URL" adds nothing.
  console_->Click("btnPLSUrl");
  EXPECT_EQ(Names(Rows(1)), "ABC");
  const int first = server_->DisplayCommand().sCMDNr;

  SelectRow(1, 1);
  RowMenu(1, "UniMenuPLSDel");
  EXPECT_EQ(Names(Rows(1)), "AC");
  RowMenu(1, "UniMenuPLSDel");
  EXPECT_EQ(Names(Rows(1)), "A") << "row 1 again: now C";
  RowMenu(1, "UniMenuPLSDel");
  EXPECT_EQ(Names(Rows(1)), "A") << "the remembered row is gone: nothing";
  RowMenu(1, "Play1");
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, first) << "no play past the end";
  EXPECT_TRUE(OpsOf(RowMenu(1, "UniMenuPLSPreview"), "window").empty());
  EXPECT_TRUE(OpsOf(RowMenu(1, "UniMenuPLSSett"), "create").empty()) << "no dialog for a row that is gone";

  // Play on a row that is there: its medium, cut only for effect "0".
  const struct {
    const char* eff;
    const char* flag;
  } effects[] = {{"0", "false"}, {"1", "true"}, {"00", "true"}, {"", "true"}};
  for (const auto& e : effects) {
    f().Grid1->SetCell(plEff, 0, e.eff);
    SelectRow(1, 0);
    RowMenu(1, "Play1");
    const auto cmd = server_->DisplayCommand();
    EXPECT_EQ(cmd.sTyp, "Medium");
    EXPECT_EQ(cmd.sMedium, "Containers\\Bilder\\A");
    EXPECT_EQ(cmd.sEffect, e.flag) << e.eff;
  }
}

TEST_F(PlaylistEditor, PreviewOpensWebAndLibraryAddressesAndShowsAStreamsAddress) {
  dir_.Write("Containers/Streams/Kamera.str", "[Settings]\r\nstart=https://stream.example.org/live\r\n");
  const std::string rows =
      Line({"1", "A", "00:10", "0", "0", "Containers\\Bilder\\a b.jpg", "1", "0"}) + "\r\n" +
      Line({"2", "W", "00:10", "0", "0", "https://example.org/page", "1", "5"}) + "\r\n" +
      Line({"3", "S", "00:10", "0", "0", "Containers\\Streams\\Kamera.str", "1", "16"}) + "\r\n" +
      Line({"4", "J", "00:10", "0", "0", "javascript:alert(1)", "1", "5"}) + "\r\n" +
      Line({"5", "X", "00:10", "0", "0", "..\\Config\\tsUsers.ini", "1", "16"}) + "\r\n";
  Open("Vorschau.pyl", rows);
  const struct {
    int row;
    const char* window;   // address opened, "" for none
    const char* message;  // message box, "" for none
  } cases[] = {{0, "Containers/Bilder/a%20b.jpg", ""},
               {1, "https://example.org/page", ""},
               {2, "", "Stream URL: https://stream.example.org/live"},
               {3, "", ""},
               {4, "", "Stream URL: "}};
  for (const auto& c : cases) {
    SelectRow(1, c.row);
    Json ops = RowMenu(1, "UniMenuPLSPreview");
    auto windows = OpsOf(ops, "window");
    if (*c.window) {
      ASSERT_EQ(windows.size(), 1u) << c.row;
      EXPECT_EQ(windows[0].value("url", ""), c.window);
      EXPECT_EQ(windows[0].value("target", ""), "_blank");
    } else {
      EXPECT_TRUE(windows.empty()) << c.row;
    }
    EXPECT_EQ(FirstBoxText(ops), c.message) << c.row;
    if (!FirstBoxText(ops).empty()) {
      Answer(ops, "ok");
    }
  }
}

TEST_F(PlaylistEditor, TimeAndEffectOfAllRowsAndCellEditsKeepTheLineWhole) {
  Open("Alle.pyl", Row("A") + "\r\n" + Row("B") + "\r\n" + Line({"1", "Z", "00:10", "0", "0", "z", "2", "0"}) + "\r\n");
  SelectRow(1, 0);
  Answer(RowMenu(1, "ZeitEinstellen1"), "ok", " 1:5 ");
  EXPECT_EQ(Column(1, plTime), (std::vector<std::string>{"1:5", "1:5"}));
  Answer(RowMenu(1, "ZeitEinstellen1"), "cancel", "2:00");
  EXPECT_EQ(Column(1, plTime), (std::vector<std::string>{"1:5", "1:5"}));

  Json refused = Answer(RowMenu(1, "Effekteinstellen1"), "ok", "weich");
  EXPECT_NE(FirstBoxText(refused).find("whole number"), std::string::npos);
  Answer(refused, "ok");
  EXPECT_EQ(Column(1, plEff), (std::vector<std::string>{"0", "0"}));
  Answer(RowMenu(1, "Effekteinstellen1"), "ok", "1,0");
  EXPECT_EQ(Column(1, plEff), (std::vector<std::string>{"10", "10"}));

  const struct {
    int col;
    const char* typed;
    const char* stored;
  } edits[] = {{plEff, "x", "10"},         {plEff, "2", "2"},        {plFile, " Neu,er\r\nName ", "NeuerName"},
               {plVol, "5", "5"},          {plPath, "C:\\x", "Containers\\Bilder\\A"},
               {plWeekdays, "1", ""},      {0, "<b>", "<i class=\"far fa-image\" style=\"color: #ed1d1d;font-size: 22px;\"></i>"}};
  for (const auto& e : edits) {
    Send(Json::array({{{"t", "cell"}, {"c", Id("Grid1")}, {"col", e.col}, {"row", 0}, {"v", e.typed}}}));
    EXPECT_EQ(f().Grid1->Cell(e.col, 0), e.stored) << e.col << " " << e.typed;
  }
  // Frame 2's name column is not edited in place.
  Send(Json::array({{{"t", "cell"}, {"c", Id("Grid2")}, {"col", plFile}, {"row", 0}, {"v", "x"}}}));
  EXPECT_EQ(f().Grid2->Cell(plFile, 0), "Z");
  Send(Json::array({{{"t", "cell"}, {"c", Id("Grid2")}, {"col", plTime}, {"row", 0}, {"v", "99"}}}));
  EXPECT_EQ(f().Grid2->Cell(plTime, 0), "99");
  EXPECT_EQ(Column(1, plTime), (std::vector<std::string>{"1:5", "1:5"})) << "the chosen grid only";
}

TEST_F(PlaylistEditor, TheItemDialogWritesBackOnlyIntoAWebAddressRowThatIsStillThere) {
  Open("Web.pyl", Row("A") + "\r\n");
  SelectRow(1, 0);
  console_->Click("btnPLSUrl");
  SelectRow(1, 1);
  RowMenu(1, "UniMenuPLSSett");
  TfrmMedium* dialog = console_->GetSession().FindDialog<TfrmMedium>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->edtName->Text(), "select url");
  EXPECT_EQ(dialog->edtOrt->Hint(), "5");
  EXPECT_EQ(dialog->lblFrame->Caption(), "1");
  EXPECT_EQ(dialog->Caption(), "Settings - select url");
  console_->Send(Json::array({{{"t", "change"}, {"c", dialog->edtName->Id()}, {"p", "text"}, {"v", "Stadt, Info"}},
                              {{"t", "change"}, {"c", dialog->edtOrt->Id()}, {"p", "text"},
                               {"v", " https://example.org/info\r\n"}}}));
  console_->Send(Json::array({{{"t", "click"}, {"c", dialog->btnApply->Id()}}}));
  EXPECT_EQ(console_->GetSession().FindDialog<TfrmMedium>(), nullptr) << "closed";
  EXPECT_EQ(Rows(1)[1], Line({"2", "Stadt Info", "00:10", "0", "0", "https://example.org/info", "1", "5"}));
  EXPECT_EQ(f().Grid1->Cell(0, 1), "<i class=\"fab fa-html5 fa-fw\" style=\"font-size: 22px;\"></i>");

  // A picture row takes nothing.
  SelectRow(1, 0);
  RowMenu(1, "UniMenuPLSSett");
  dialog = console_->GetSession().FindDialog<TfrmMedium>();
  ASSERT_NE(dialog, nullptr);
  console_->Send(Json::array({{{"t", "change"}, {"c", dialog->edtName->Id()}, {"p", "text"}, {"v", "x"}}}));
  console_->Send(Json::array({{{"t", "click"}, {"c", dialog->btnApply->Id()}}}));
  EXPECT_EQ(Rows(1)[0], Row("A"));

  // The web-address row deleted while the dialog is open: nothing written.
  SelectRow(1, 1);
  RowMenu(1, "UniMenuPLSSett");
  dialog = console_->GetSession().FindDialog<TfrmMedium>();
  ASSERT_NE(dialog, nullptr);
  f().Grid1->SetRowCount(1);
  console_->Send(Json::array({{{"t", "click"}, {"c", dialog->btnApply->Id()}}}));
  EXPECT_EQ(Rows(1), std::vector<std::string>{Row("A")});
  EXPECT_EQ(console_->GetSession().FindDialog<TfrmMedium>(), nullptr);
}

TEST_F(PlaylistEditor, TheFrameCountShowsOrHidesFrameTwoAndKeepsItsRows) {
  Open("Zwei.pyl", Row("A") + "\r\n" + Line({"1", "B", "00:10", "0", "0", "x", "2", "0"}) + "\r\n");
  const struct {
    int value;
    bool shown;
  } cases[] = {{1, false}, {2, true}, {1, false}, {3, false}, {5, false}, {2, true}, {4, true}};
  for (const auto& c : cases) {
    Send(Json::array({{{"t", "change"}, {"c", Id("nrPlsFrames")}, {"p", "value"}, {"v", c.value}}}));
    EXPECT_EQ(f().panFrame2->Visible(), c.shown) << c.value;
  }
  EXPECT_EQ(f().Grid2->RowCount(), 1);
}
