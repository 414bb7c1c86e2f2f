// The console's start-up 1500 ms after its page was shown: what it fills,
// and how each step that fails leaves the others running.
#include <gtest/gtest.h>

#include <filesystem>

#include "match/Unit2.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

class ConsoleStart : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini",
               "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n[amateur]\r\npw=ffifpna\r\ntype=amateur\r\n");
    dir_.Write("Config/tessarine.ini",
               "[spielbetrieb]\r\nHeim=FC <Nord>\r\nGast=SV Lindenau\r\nTorHeim=3\r\nTorGast=1\r\n"
               "Spielabschnitt=3\r\nHalbzeitDauer2=45\r\nHalbzeitDauer3=20\r\nHalbzeitDauer4=15\r\n"
               "Nachspielzeit=2\r\nVerl\xe4ngerung=10\r\n");
    dir_.Write("Config/Ticks/Ticker.tck", "[Ticker]\r\nText=Hallo\r\nOben=960\r\nLinks=0\r\nBreite=1920\r\nH\xf6he=120\r\n");
    dir_.Write("Config/Frames/Arena.frm", "Display,0,0,1920,1080,,-,,0,00000000,00\r\n");
    dir_.Write("Config/quickstart.ini", "[q1]\r\nTitle=Profi\r\n");
    dir_.Write("Config/quickstartamateur.ini", "[q1]\r\nTitle=Amateur\r\n");
    std::filesystem::create_directories(dir_.path() / "Containers/Teams/SV Lindenau");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    console_.reset();
    SetUniServerModule(nullptr);
  }
  // Opens the console page and lets its start-up run.
  void Start() {
    console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
    console_->Advance(1600);
  }
  TMainForm& f() { return console_->Form(); }
  std::vector<std::string> Toasts() {
    std::vector<std::string> out;
    for (const Json& op : console_->Ops())
      if (op.value("op", "") == "toast") out.push_back(op.dump());
    return out;
  }
  TfrmUhr* OpenClock() { return console_->GetSession().FindDialog<TfrmUhr>(); }
  std::vector<std::string> PeriodButtons() {
    return {f().btnAUhr45->Caption(), f().btnAUhr90->Caption(), f().btnAUhr3->Caption(), f().btnAUhr4->Caption()};
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> console_;
};

}  // namespace

TEST_F(ConsoleStart, FillsTheListsTheScoreAndTheClock) {
  Start();
  EXPECT_TRUE(console_->Messages().empty());
  EXPECT_TRUE(Toasts().empty());
  EXPECT_EQ(f().cmbFrame->Items().Count(), 1);
  EXPECT_EQ(f().edtTickPos3->Value(), 1920);
  EXPECT_EQ(f().edtTckText->Text(), "Hallo");
  EXPECT_EQ(f().listQS->Items()[0], "Profi");
  EXPECT_EQ(f().comboMHeim->Items().Count(), 1);
  EXPECT_EQ(f().panH1->Title(), "FC <Nord>");
  EXPECT_EQ(f().comboMGast->Text(), "SV Lindenau");
  // The team name is text in the logo's address.
  EXPECT_EQ(f().logoHeim->Caption(), "<img src=\"Containers\\Teams\\FC &lt;Nord&gt;\\logo.png \" alt=\"\" width=\"115\" >");
  EXPECT_EQ(f().lblAStand->Caption(), "3:1");
  EXPECT_NE(f().lblTime->Caption().find("SpielUhrPreview.html\" scrolling=\"no\" style=\"border:0px\"  height=\""),
            std::string::npos);
  EXPECT_EQ(PeriodButtons(), (std::vector<std::string>{"20", "40", "60", "80"}));
  EXPECT_TRUE(f().xmlSpielstand.Active());
  // The dialog did its work unseen and is gone.
  console_->Send(Json::array());
  EXPECT_EQ(OpenClock(), nullptr);

  // It runs once: a tick the browser still sends changes nothing.
  dir_.Write("Config/quickstart.ini", "[q1]\r\nTitle=Neu\r\n");
  EXPECT_FALSE(f().timerGo->Enabled());
  console_->Send(Json::array({{{"t", "timer"}, {"c", f().timerGo->Id()}}}));
  console_->Advance(5000);
  EXPECT_EQ(f().listQS->Items()[0], "Profi");
}

TEST_F(ConsoleStart, AStepThatFailsLeavesTheOthersRunning) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> spoil;
    std::function<void(TMainForm&)> check;
  } cases[] = {
      {"a ticker position that is no number",
       [](const TempDir& d) { d.Write("Config/Ticks/Ticker.tck", "[Ticker]\r\nText=Hallo\r\nOben=oben\r\nLinks=5\r\n"); },
       [](TMainForm& f) {
         EXPECT_EQ(f.edtTickPos2->Value(), 0);
         EXPECT_EQ(f.edtTckText->Text(), "");
         EXPECT_EQ(f.lblAStand->Caption(), "3:1");
       }},
      {"a guest score that is missing",
       [](const TempDir& d) {
         d.Write("Config/tessarine.ini", "[spielbetrieb]\r\nTorHeim=3\r\nSpielabschnitt=2\r\nHalbzeitDauer2=45\r\n");
       },
       [](TMainForm& f) {
         EXPECT_EQ(f.lblAStand->Caption(), "0:0");
         EXPECT_EQ(f.nTorHeim, 0);
       }},
      {"no playlist folder",
       [](const TempDir& d) { std::filesystem::remove_all(d.path() / "Config/Progs"); },
       [](TMainForm& f) {
         EXPECT_EQ(f.lblAStand->Caption(), "3:1");
         EXPECT_EQ(f.cmbFrame->Items().Count(), 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    c.spoil(dir_);
    Start();
    c.check(f());
  }
}

TEST_F(ConsoleStart, EachMissingDocumentShowsItsOwnToast) {
  struct Case {
    const char* file;
    const char* toast;
  } cases[] = {{"spielstand.xml", "Error Load spielstand.xml!"},
               {"spieler.xml", "Error Load spieler.xml!"},
               {"spielerInt.xml", "Error Load spielerInt.xml!"},
               {"Matchday.xml", "Error Load xmlMatchday.xml!"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TearDown();
    SetUp();
    std::filesystem::remove(dir_.path() / "Containers/System/files" / c.file);
    Start();
    const auto toasts = Toasts();
    ASSERT_EQ(toasts.size(), 1u);
    EXPECT_NE(toasts[0].find(c.toast), std::string::npos) << toasts[0];
    EXPECT_EQ(f().lblAStand->Caption(), "3:1");
    // Without spielstand.xml the clock apply cannot save: its error is
    // shown once, and the dialog is freed all the same.
    const bool noScore = std::string(c.file) == "spielstand.xml";
    EXPECT_EQ(console_->Messages().size(), noScore ? 1u : 0u);
    console_->Send(Json::array());
    EXPECT_EQ(OpenClock(), nullptr);
  }
}

TEST_F(ConsoleStart, AnEmptyPeriodSchemeKeepsTheDialogsDefault) {
  dir_.Write("Config/tessarine.ini", "[spielbetrieb]\r\nHeim=A\r\nGast=B\r\nTorHeim=0\r\nTorGast=0\r\n"
                                     "Spielabschnitt=\r\nHalbzeitDauer2=40\r\n");
  Start();
  EXPECT_TRUE(console_->Messages().empty());
  EXPECT_EQ(f().btnAUhr45->Caption(), "40");
  EXPECT_EQ(f().btnAUhr90->Caption(), "80");
  EXPECT_FALSE(f().btnAUhr3->Enabled());
}

TEST_F(ConsoleStart, AnAmateurWhoLogsInFirstKeepsTheAmateurTitles) {
  console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
  console_->Type("edtLoginUser", "amateur");
  console_->Type("edtLoginPW", "anpfiff");
  console_->Click("btnLoginOK");
  EXPECT_EQ(f().listQS->Items()[0], "Amateur");
  console_->Advance(1600);
  EXPECT_EQ(f().listQS->Items()[0], "Amateur");
  EXPECT_EQ(f().lblAStand->Caption(), "3:1");
}
