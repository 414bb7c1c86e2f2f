// The frame-layout editor of the console, driven as a browser would: open a
// layout, change the frame count and cells, set a colour, save, send.
#include <gtest/gtest.h>

#include "editor/FileFormats.h"
#include "editor/FrameEditor.h"
#include "common/Main.h"
#include "platform/io/text_file.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

// A layout line as the editor writes it: frame, top, left, width, height,
// aktiv, -, name, nr, colour, then the row index.
std::string Line(int row, const std::string& geometry, const std::string& aktiv,
                 const std::string& color = "00000000") {
  std::vector<std::string> cells = {row == 0 ? "Display" : "Frame" + std::to_string(row)};
  const plat::ui::StringList parts = SplitLine(geometry, ' ', false, false);
  for (const std::string& g : parts) cells.push_back(g);
  cells.push_back(aktiv);
  cells.push_back("-");
  cells.push_back(row == 0 ? "Halle" : "");
  cells.push_back(std::to_string(row));
  cells.push_back(color);
  return FormatFrameLayoutLine(cells, row);
}

std::string File(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// Six lines: the display, frames 1 and 2 active, 3 to 5 not.
std::string SixLines(const char* aktiv = "11000") {
  std::vector<std::string> lines = {Line(0, "0 0 1920 1080", "", "00201010")};
  const char* geometry[] = {"0 0 1081 960", "0 1280 640 480", "480 1280 640 480", "0 0 10 10", "0 0 10 10"};
  for (int i = 1; i <= 5; ++i) lines.push_back(Line(i, geometry[i - 1], std::string(1, aktiv[i - 1])));
  return File(lines);
}

class FrameEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    dir_.Write("Config/Frames/Halle.frm", SixLines());
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
    console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
    console_->Advance(1600);  // the console's start-up
    console_->Type("edtLoginUser", "profi");
    console_->Type("edtLoginPW", "sticke2022");
    console_->Click("btnLoginOK");
    Change("UniPageControl3", "activePage", Id("tabEnt"));
    Change("pageEnt", "activePage", Id("UniTabSheet13"));
  }
  void TearDown() override {
    console_.reset();
    SetUniServerModule(nullptr);
  }
  TMainForm& f() { return console_->Form(); }
  int Id(const std::string& name) { return f().Get<plat::ui::Component>(name)->Id(); }
  Json Change(const std::string& name, const std::string& prop, const Json& value) {
    return console_->Send(Json::array({{{"t", "change"}, {"c", Id(name)}, {"p", prop}, {"v", value}}}));
  }
  // Sends the events; answers a message box they show and returns its text
  // ("" for none).
  std::string Answered(const Json& ops) {
    auto boxes = OpsOf(ops, "box");
    if (boxes.empty()) return "";
    console_->Send(Json::array({{{"t", "answer"}, {"box", boxes[0]["box"]}, {"r", "ok"}}}));
    return boxes[0].value("text", "");
  }
  // Chooses a layout; the same name once more opens it again.
  std::string Open(const std::string& name) {
    if (f().cmbFrame->Text() == name) Change("cmbFrame", "text", "");
    return Answered(Change("cmbFrame", "text", name));
  }
  std::string Save() { return Answered(console_->Click("btnFrameSave")); }
  std::string Edit(int col, int row, const std::string& text) {
    return Answered(console_->Send(
        Json::array({{{"t", "cell"}, {"c", Id("GridFrame2")}, {"col", col}, {"row", row}, {"v", text}}})));
  }
  // The frame count as the operator sets it.
  void Frames(int n) { Change("nrFrames", "value", n); }
  std::vector<std::string> ShownColumn(int col) {
    std::vector<std::string> out;
    for (int r = 0; r < f().GridFrame2->RowCount(); ++r) out.push_back(f().GridFrame2->Cells(col, r));
    return out;
  }
  // The "Aktiv" cells and row indices of a saved file.
  std::vector<std::string> Saved(int field, const std::string& name = "Halle.frm") {
    std::vector<std::string> out;
    for (const std::string& line : plat::io::SplitLines(dir_.Read("Config/Frames/" + name)))
      out.push_back(SplitLine(line, ',', false, false)[field]);
    return out;
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> console_;
};

}  // namespace

TEST(FrameEditorColours, ConvertBetweenHtmlAndLayoutColours) {
  EXPECT_EQ(HtmlColorToInt("#FF0000"), 0x0000FF);
  EXPECT_EQ(HtmlColorToInt("#0e3b82"), 8534798);
  EXPECT_EQ(ColorToHtml(0x0000FF), "#FF0000");
  EXPECT_EQ(ColorToHtml(8534798), "#0E3B82");
  EXPECT_EQ(ColorToHtml(HtmlColorToInt("#12AB9C")), "#12AB9C");
  // A system colour is shown as the console draws it.
  EXPECT_EQ(ColorToHtml(static_cast<int>(0xFF000008u)), "#FFFFFF");
  for (const char* bad : {"", "#", "#FF00", "#FF00000", "#GG0000", "#12 456", "FF0000"})
    EXPECT_THROW(HtmlColorToInt(bad), std::invalid_argument) << bad;
}

TEST(FrameEditorNames, OnlyOneLayoutFileOfTheFolder) {
  for (const char* good : {"Halle.frm", "x.FRM", "Zwei Frames.frm"}) EXPECT_TRUE(IsLayoutFileName(good)) << good;
  for (const char* bad : {"", ".frm", "Halle", "Halle.txt", "..\\Halle.frm", "../x.frm", "Sub\\x.frm",
                          "/etc/x.frm", "..", "a\nb.frm"})
    EXPECT_FALSE(IsLayoutFileName(bad)) << bad;
}

TEST(FrameEditorCells, PositionsAreWholeNumbersAndColoursHexDigits) {
  struct Case {
    int col;
    const char* text;
    bool valid;
  } cases[] = {{flTop, "0", true},       {flTop, "-20", true},   {flWidth, "1920", true},  {flLeft, "", false},
               {flHeight, "12a", false}, {flTop, "1.5", false},  {flTop, "$10", false},    {flWidth, "0x10", false},
               {flColor, "00FF00FF", true}, {flColor, "f", true}, {flColor, "", false},  {flColor, "123456789", false},
               {flColor, "GG", false},   {flColor, "#FF0000", false}, {flName, "any, text", true}};
  for (const Case& c : cases) EXPECT_EQ(LayoutCellValid(c.col, c.text), c.valid) << c.col << " " << c.text;
}

TEST_F(FrameEditor, TheStartUpListsTheLayoutsOfTheFolder) {
  ASSERT_EQ(f().cmbFrame->Items().Count(), 1);
  EXPECT_EQ(f().cmbFrame->Items()[0], "Halle.frm");
  EXPECT_EQ(f().cmbFrame->Hint(), f().apppath + "Config\\Frames\\");
}

TEST_F(FrameEditor, OpeningShowsTheActiveFramesAndSavingKeepsEveryRow) {
  const bool frame1 = f().panF1->Visible();
  EXPECT_EQ(Open("Halle.frm"), "");
  EXPECT_EQ(f().nrFrames->Value(), 2);
  EXPECT_EQ(f().GridFrame2->RowCount(), 3);
  EXPECT_EQ(f().btnFrameSave->Tag(), 6);
  EXPECT_EQ(f().edtFramesDWidth->Value(), 1920);
  EXPECT_EQ(f().edtFbColor->Text(), "#101020");
  // The preview at half scale, odd sizes halved toward zero; the console's
  // own frame panels stay as they are.
  EXPECT_TRUE(f().panPrev1->Visible());
  EXPECT_EQ(f().panPrev1->Width(), 540);
  EXPECT_EQ(f().panPrev2->Left(), 640);
  EXPECT_EQ(f().panPrev2->Top(), 0);
  EXPECT_FALSE(f().panPrev3->Visible());
  EXPECT_EQ(f().panF1->Visible(), frame1);

  EXPECT_EQ(Save(), "");
  EXPECT_EQ(Saved(flAktiv), (std::vector<std::string>{"", "1", "1", "0", "0", "0"}));
  EXPECT_EQ(Saved(flIndex), (std::vector<std::string>{"00", "01", "02", "03", "04", "05"}));
  EXPECT_EQ(dir_.Read("Config/Frames/Halle.frm"), SixLines());
  EXPECT_EQ(f().GridFrame2->RowCount(), 3);
}

TEST_F(FrameEditor, AFileWhoseOnlyActiveFrameIsThreeShowsOneFrame) {
  dir_.Write("Config/Frames/Drei.frm", SixLines("00100"));
  Open("Drei.frm");
  EXPECT_EQ(f().nrFrames->Value(), 1);
  EXPECT_EQ(f().GridFrame2->RowCount(), 2);
  Save();
  EXPECT_EQ(Saved(flAktiv, "Drei.frm"), (std::vector<std::string>{"", "1", "0", "0", "0", "0"}));
}

TEST_F(FrameEditor, TheLastTwoLinesAreNeverCounted) {
  dir_.Write("Config/Frames/Ende.frm", SixLines("10011"));
  Open("Ende.frm");
  EXPECT_EQ(f().nrFrames->Value(), 1);  // frames 4 and 5 are on the last two lines
  EXPECT_FALSE(f().panPrev4->Visible());
}

TEST_F(FrameEditor, LoweringAndRaisingTheCountKeepsTheHiddenRows) {
  Open("Halle.frm");
  Frames(1);
  EXPECT_EQ(ShownColumn(flAktiv), (std::vector<std::string>{"", "1"}));
  Frames(2);
  EXPECT_EQ(ShownColumn(flAktiv), (std::vector<std::string>{"", "0", "0"}));
  EXPECT_EQ(f().GridFrame2->Cells(flLeft, 2), "1280");
  Save();
  EXPECT_EQ(Saved(flAktiv), (std::vector<std::string>{"", "1", "1", "0", "0", "0"}));
}

TEST_F(FrameEditor, TheCountGoesUpToFiveAndAThreeFrameLayoutSurvives) {
  dir_.Write("Config/Frames/Drei.frm", SixLines("11100"));
  Open("Drei.frm");
  EXPECT_EQ(f().nrFrames->Value(), 3);
  Save();
  EXPECT_EQ(dir_.Read("Config/Frames/Drei.frm"), SixLines("11100"));
  Frames(5);
  EXPECT_EQ(f().nrFrames->Value(), 5);
  EXPECT_EQ(f().GridFrame2->RowCount(), 6);
}

TEST_F(FrameEditor, TheColourOfAllShownRows) {
  Open("Halle.frm");
  f().edtFbColor->SetText("#FF0000");
  EXPECT_EQ(Answered(console_->Click("btnFrmSet")), "");
  EXPECT_EQ(f().panFBColor->Color(), 0x0000FF);
  EXPECT_EQ(ShownColumn(flColor), (std::vector<std::string>{"000000FF", "000000FF", "000000FF"}));
  Save();
  EXPECT_EQ(Saved(flColor), (std::vector<std::string>{"000000FF", "000000FF", "000000FF", "00000000",
                                                          "00000000", "00000000"}));
  // Opened again, the colour edit reads what was set.
  Open("Halle.frm");
  EXPECT_EQ(f().edtFbColor->Text(), "#FF0000");

  f().edtFbColor->SetText("rot");
  EXPECT_NE(Answered(console_->Click("btnFrmSet")), "");
  EXPECT_EQ(f().panFBColor->Color(), 0x0000FF);
}

TEST_F(FrameEditor, ABadCellIsNotSaved) {
  Open("Halle.frm");
  const std::string before = dir_.Read("Config/Frames/Halle.frm");
  struct Case {
    int col, row;
    const char* text;
  } cases[] = {{flWidth, 1, "12a"}, {flTop, 2, ""}, {flColor, 0, "GG"}, {flColor, 1, "123456789"}};
  for (const Case& c : cases) {
    Open("Halle.frm");
    Edit(c.col, c.row, c.text);
    EXPECT_NE(Save(), "") << c.text;
    EXPECT_EQ(dir_.Read("Config/Frames/Halle.frm"), before) << c.text;
  }
  // A comma or a line break typed into a cell would split the line.
  Open("Halle.frm");
  Edit(flName, 1, "Haupt,\r\nbild");
  EXPECT_EQ(f().GridFrame2->Cells(flName, 1), "Hauptbild");
  EXPECT_EQ(Save(), "");
  EXPECT_EQ(Saved(flName)[1], "Hauptbild");
  EXPECT_EQ(Saved(flIndex)[1], "01");
}

TEST_F(FrameEditor, NamesOutsideTheFolderAreRefused) {
  dir_.Write("Config/keep.frm", SixLines("10000"));
  Open("Halle.frm");
  const std::string users = dir_.Read("Config/tsUsers.ini");
  for (const char* name : {"..\\keep.frm", "../keep.frm", "..\\tsUsers.ini", "tsUsers.ini", "", "Sub\\x.frm"}) {
    // Opening reads nothing...
    Open(name);
    EXPECT_EQ(f().nrFrames->Value(), 2) << name;
    // ...and saving writes nothing.
    EXPECT_NE(Save(), "") << name;
  }
  EXPECT_EQ(dir_.Read("Config/tsUsers.ini"), users);
  EXPECT_EQ(dir_.Read("Config/keep.frm"), SixLines("10000"));
}

TEST_F(FrameEditor, SavingUnderANewNameAndBeforeAnyLayoutWasOpened) {
  EXPECT_NE(Save(), "");  // nothing open
  Change("cmbFrame", "text", "Neu.frm");
  EXPECT_NE(Save(), "");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Config/Frames/Neu.frm"));
  Open("Halle.frm");
  Open("Neu.frm");  // no such file: the grid keeps the open layout
  EXPECT_EQ(Save(), "");
  EXPECT_EQ(dir_.Read("Config/Frames/Neu.frm"), SixLines());
}

TEST_F(FrameEditor, ElevenLinesAndMoreHaveIndicesWithoutALeadingZero) {
  std::vector<std::string> lines = {Line(0, "0 0 1920 1080", "")};
  for (int i = 1; i < 12; ++i) lines.push_back(Line(i, "0 0 10 10", i == 1 ? "1" : "0"));
  dir_.Write("Config/Frames/Lang.frm", File(lines));
  Open("Lang.frm");
  Save();
  const auto index = Saved(flIndex, "Lang.frm");
  ASSERT_EQ(index.size(), 12u);
  EXPECT_EQ(index[9], "09");
  EXPECT_EQ(index[10], "10");
  EXPECT_EQ(index[11], "11");
}

TEST_F(FrameEditor, AnEmptyOrBrokenLayoutOpensWithAMessage) {
  dir_.Write("Config/Frames/Leer.frm", "");
  Open("Halle.frm");
  EXPECT_NE(Open("Leer.frm"), "");
  EXPECT_EQ(f().GridFrame2->RowCount(), 3);
  // Cells that are no numbers are shown, not applied to the preview.
  dir_.Write("Config/Frames/Kaputt.frm", File({Line(0, "a b c d", "", "zz"), Line(1, "x 0 10 10", "1"),
                                               Line(2, "0 0 10 10", "0"), Line(3, "0 0 10 10", "0")}));
  EXPECT_EQ(Open("Kaputt.frm"), "");
  EXPECT_EQ(f().nrFrames->Value(), 1);
  EXPECT_FALSE(f().panPrev1->Visible());
}

TEST_F(FrameEditor, SetSendsTheLayoutByName) {
  Open("Halle.frm");
  const int before = server_->DisplayCommand().sCMDNr;
  console_->Click("btnFRMPlay");
  const TDisplayCommand cmd = server_->DisplayCommand();
  EXPECT_EQ(cmd.sTyp, "Frame");
  EXPECT_EQ(cmd.sStandort, "Halle.frm");
  EXPECT_EQ(cmd.sCMDNr, before + 1);
}
