// The console's one-click sends: the ticker editor, the quick-start list
// with its two-step send, and the test page.
#include <gtest/gtest.h>

#include "platform/io/text_file.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

// Windows-1252 bytes of the ticker file, the "ö" of "Höhe" included.
const std::string kTicker =
    "[Ticker]\r\nText=Alt\r\nOben=960\r\nLinks=0\r\nBreite=1920\r\nH\xf6he=120\r\nBackColor=8396800\r\n\r\n"
    "[Font]\r\nName=Arial\r\nColor=16777215\r\nSize=54\r\n";

const std::string kQuickStart =
    "[q1]\r\nTitle=Demo\r\nType=Playlist\r\nStart=Demo.pyl\r\n"
    "[q2]\r\nTitle=Bild\r\nType=Medium\r\nStart=Containers/Bilder/a.jpg\r\nFrame=  \r\n"
    "[q3]\r\nTitle=Arena\r\nType=Playlist\r\nStart=Sub\\Arena.pyl\r\nFrame=Arena.frm\r\n"
    "[q4]\r\nTitle=Falsch\r\nType=playlist\r\nStart=Demo.pyl\r\n"
    "[q5]\r\nTitle=Nur Layout\r\nType=Medium\r\nStart=Containers/x.jpg\r\nFrame=Foyer.frm\r\n";

class QuickSends : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini",
               "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n[amateur]\r\npw=ffifpna\r\ntype=amateur\r\n");
    dir_.Write("Config/Ticks/Ticker.tck", kTicker);
    dir_.Write("Config/quickstart.ini", kQuickStart);
    dir_.Write("Config/quickstartamateur.ini", "[q1]\r\nTitle=Eins\r\n[q3]\r\nTitle=Drei\r\n");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    console_.reset();
    SetUniServerModule(nullptr);
  }
  // A console after its start-up, logged in.
  void Login(const std::string& user = "profi", const std::string& password = "sticke2022") {
    console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
    console_->Advance(1600);
    console_->Type("edtLoginUser", user);
    console_->Type("edtLoginPW", password);
    console_->Click("btnLoginOK");
  }
  TMainForm& f() { return console_->Form(); }
  int Id(const std::string& name) { return f().Get<plat::ui::Component>(name)->Id(); }
  void Select(int index) {
    console_->Send(Json::array({{{"t", "change"}, {"c", Id("listQS")}, {"p", "itemIndex"}, {"v", index}},
                                {{"t", "change"}, {"c", Id("listQS")}, {"p", "selected"}, {"v", {index}}}}));
  }
  void OpenTickerPage() {
    console_->Send(Json::array({{{"t", "change"}, {"c", Id("UniPageControl3")}, {"p", "activePage"}, {"v", Id("tabEnt")}},
                                {{"t", "change"}, {"c", Id("pageEnt")}, {"p", "activePage"}, {"v", Id("UniTabSheet14")}}}));
  }
  // What the displays were told, as "kind target-or-medium effect".
  std::string Last() {
    const TDisplayCommand c = server_->DisplayCommand();
    return c.sTyp + " " + (c.sTyp == "TestMedium" ? c.sMedium : c.sStandort) + " " + c.sEffect;
  }
  int Number() { return server_->DisplayCommand().sCMDNr; }
  std::vector<std::string> Titles() { return f().listQS->Items().Items(); }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> console_;
};

}  // namespace

TEST_F(QuickSends, TheStartUpFillsTheTickerEditorAndTheList) {
  Login();
  EXPECT_EQ(f().edtTickPos1->Value(), 960);
  EXPECT_EQ(f().edtTickPos3->Value(), 1920);
  EXPECT_EQ(f().edtTickPos4->Value(), 120);
  EXPECT_EQ(f().edtTckText->Text(), "Alt");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Demo", "Bild", "Arena", "Falsch", "Nur Layout", "", "", "", "", ""}));
}

TEST_F(QuickSends, ATickerPositionThatIsNoNumberLeavesTheTextUnloaded) {
  dir_.Write("Config/Ticks/Ticker.tck", "[Ticker]\r\nText=Neu\r\nOben=10\r\nLinks=x\r\nBreite=5\r\nH\xf6he=5\r\n");
  Login();
  EXPECT_EQ(f().edtTickPos1->Value(), 10);
  EXPECT_EQ(f().edtTickPos3->Value(), 0);
  EXPECT_EQ(f().edtTckText->Text(), "");
}

TEST_F(QuickSends, TickerStartWritesItsKeysAndKeepsTheRestOfTheFile) {
  Login();
  OpenTickerPage();
  console_->Type("edtTckText", "Tor f\xc3\xbcr Nordhafen,\r\n\"1:0\"\nnach 12 Minuten");
  f().edtTickPos1->SetValue(900);
  f().edtTickPos4->SetValue(180);
  const int before = Number();
  console_->Click("btnTCKStart");
  EXPECT_EQ(Last(), "Ticker Ticker.tck ");
  EXPECT_EQ(Number(), before + 1);
  const std::string bytes = dir_.Read("Config/Ticks/Ticker.tck");
  // Still Windows-1252: one "ö" byte, the key replaced in place, the font kept.
  EXPECT_NE(bytes.find("Text=Tor f\xfcr Nordhafen, \"1:0\" nach 12 Minuten\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("Oben=900\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("H\xf6he=180\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("H\xc3\xb6he"), std::string::npos);
  EXPECT_NE(bytes.find("BackColor=8396800\r\n\r\n[Font]\r\nName=Arial"), std::string::npos);
  EXPECT_EQ(plat::io::SplitLines(plat::io::DecodeText(bytes).text).size(), 12u);

  console_->Click("btnTCKStop");
  EXPECT_EQ(Last(), "TickerStop   ");
  EXPECT_EQ(Number(), before + 2);
}

TEST_F(QuickSends, AnUnwritableTickerFileSendsNothing) {
  Login();
  OpenTickerPage();
  std::filesystem::remove(dir_.path() / "Config/Ticks/Ticker.tck");
  std::filesystem::create_directory(dir_.path() / "Config/Ticks/Ticker.tck");
  const int before = Number();
  console_->Click("btnTCKStart");
  EXPECT_EQ(Number(), before);
  ASSERT_EQ(console_->Messages().size(), 1u);
  EXPECT_NE(console_->Messages()[0].find("not started"), std::string::npos);
}

TEST_F(QuickSends, EachEntrySendsWhatItsTypeSays) {
  Login();
  struct Case {
    int index;
    const char* sent;
  } cases[] = {{0, "Playlist Demo.pyl "}, {1, "TestMedium Containers/Bilder/a.jpg true"}};
  for (const Case& c : cases) {
    Select(c.index);
    console_->Click("btnQSPlay");
    EXPECT_EQ(Last(), c.sent);
  }
  // A type in other letter case, an empty entry and no selection send nothing.
  const int before = Number();
  for (int index : {3, 7}) {
    Select(index);
    console_->Click("btnQSPlay");
  }
  EXPECT_EQ(Number(), before);
}

TEST_F(QuickSends, AnEntryWithALayoutSendsItFirstAndTheRestAfterwards) {
  Login();
  Select(2);
  const int before = Number();
  console_->Click("btnQSPlay");
  EXPECT_EQ(Last(), "Frame Arena.frm ");
  console_->Advance(1100);
  EXPECT_EQ(Number(), before + 1);
  console_->Advance(200);
  EXPECT_EQ(Last(), "Playlist Sub\\Arena.pyl ");
  EXPECT_EQ(Number(), before + 2);
  console_->Advance(5000);
  EXPECT_EQ(Number(), before + 2);  // one step only

  // Chosen again before the second step: the layout of the first entry,
  // then what the entry selected by then sends.
  Select(4);
  console_->Click("btnQSPlay");
  EXPECT_EQ(Last(), "Frame Foyer.frm ");
  Select(0);
  console_->Advance(1300);
  EXPECT_EQ(Last(), "Playlist Demo.pyl ");
  EXPECT_EQ(Number(), before + 4);
}

TEST_F(QuickSends, AnAmateurSeesItsTitlesButPlaysTheSameEntries) {
  Login("amateur", "anpfiff");
  EXPECT_EQ(Titles(), (std::vector<std::string>{"Eins", "", "Drei", "", "", "", "", "", "", ""}));
  Select(0);
  console_->Click("btnQSPlay");
  EXPECT_EQ(Last(), "Playlist Demo.pyl ");
  Select(2);
  console_->Click("btnQSPlay");
  EXPECT_EQ(Last(), "Frame Arena.frm ");
}

TEST_F(QuickSends, RawEditingShowsOneViewAndSavingReloadsTheTitles) {
  Login();
  auto view = [&] {
    return std::string(f().listQS->Visible() ? "list " : "") + (f().btnQSPlay->Visible() ? "play " : "") +
           (f().memoQS->Visible() ? "memo " : "") + (f().btnQSSave->Visible() ? "save" : "");
  };
  EXPECT_EQ(view(), "list play ");
  console_->Click("btnQSEdit");
  EXPECT_EQ(view(), "memo save");
  EXPECT_EQ(f().memoQS->Lines().Count(), 23);
  console_->Click("btnQSEdit");
  EXPECT_EQ(view(), "list play ");
  console_->Click("btnQSEdit");
  f().memoQS->SetText("[q1]\r\nTitle=Neu\r\nType=Playlist\r\nStart=Neu.pyl\r\n");
  console_->Click("btnQSSave");
  EXPECT_EQ(view(), "list play ");
  EXPECT_EQ(Titles()[0], "Neu");
  EXPECT_EQ(Titles()[1], "");
  EXPECT_EQ(dir_.Read("Config/quickstart.ini"), "[q1]\r\nTitle=Neu\r\nType=Playlist\r\nStart=Neu.pyl\r\n");
}

TEST_F(QuickSends, AMissingListIsEmptyAndEditingItStartsEmpty) {
  std::filesystem::remove(dir_.path() / "Config/quickstart.ini");
  Login();
  EXPECT_EQ(Titles(), std::vector<std::string>(10, ""));
  Select(0);
  const int before = Number();
  console_->Click("btnQSPlay");
  EXPECT_EQ(Number(), before);
  console_->Click("btnQSEdit");
  EXPECT_TRUE(console_->Messages().empty());
  EXPECT_TRUE(f().memoQS->Visible());
  EXPECT_FALSE(f().listQS->Visible());
  EXPECT_EQ(f().memoQS->Lines().Count(), 0);
  f().memoQS->SetText("[q1]\r\nTitle=Erster\r\n");
  console_->Click("btnQSSave");
  EXPECT_EQ(Titles()[0], "Erster");
}

TEST_F(QuickSends, TheTestPageSendsDayPlansAndMediaWithTheChosenEffect) {
  Login();
  struct Case {
    const char* button;
    bool effect;
    const char* sent;
  } cases[] = {{"btnStart1", false, "Dayplan Standard.dpl false"},
               {"btnStart4", true, "Dayplan Arena.dpl true"},
               {"btnStart5", false, "TestMedium Containers/TestMedien/sample1.jpg false"},
               {"btnStart7", true, "TestMedium Containers/Web/Info.html true"}};
  for (const Case& c : cases) {
    f().chkEffect->SetChecked(c.effect);
    // The page is never shown to an operator; the handlers are called as code would.
    TUniButton* button = f().Get<TUniButton>(c.button);
    button->OnClick(button);
    EXPECT_EQ(Last(), c.sent);
  }
}

TEST_F(QuickSends, BackgroundSendsTheFixedBackgroundPlaylist) {
  Login();
  console_->Click("btnStop");
  EXPECT_EQ(Last(), "Playlist System\\Background.pyl ");
}
