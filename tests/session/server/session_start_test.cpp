// Session start, login and exit, driven in-process as a browser would.
#include <gtest/gtest.h>

#include "platform/clock.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::LogCapture;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

const char* kLogo =
    "<div><img src=\"files/J8_TS.jpg\" alt=\"Logo\"  style=\"width:868px;height:868px\" "
    "class=\"contain\"/></div>";

class SessionStart : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Config/tessarine.ini", "[Settings]\r\nport=8077\r\npreloadTime=900\r\nInaktivTime=45000\r\n");
    // Passwords are stored reversed.
    dir_.Write("Config/tsUsers.ini",
               "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n"
               "[Chef]\r\npw=321\r\ntype=PROFI\r\n"
               "[amateur]\r\npw=ffifpna\r\ntype=amateur\r\n"
               "[nopw]\r\npw=\r\ntype=profi\r\n"
               "[odd]\r\npw=xx\r\ntype=gast\r\n");
    dir_.Write("Config/Dayplan/Halle", "00:00        0       Spielstand.pyl     23:59   \r\n");
    dir_.Write("files/J8_TS.jpg", "jpeg");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    SetUniServerModule(nullptr);
    server_.reset();
  }
  SessionDriver Console() { return SessionDriver(*server_, {{"start", "tessarine"}}); }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
};

bool HasScript(const std::vector<Json>& ops, const std::string& code) {
  for (const auto& op : ops)
    if (op.value("op", "") == "js" && op.value("code", "") == code) return true;
  return false;
}

}  // namespace

TEST_F(SessionStart, KindDependsOnStartExactly) {
  struct Case {
    std::map<std::string, std::string> params;
    bool console;
  };
  const Case cases[] = {
      {{{"start", "tessarine"}}, true},
      {{{"start", "Tessarine"}}, false},
      {{{"start", "TESSARINE"}}, false},
      {{{"start", ""}}, false},
      {{}, false},
      {{{"start", "tessarine "}}, false},
  };
  for (const auto& c : cases) {
    SessionDriver d(*server_, c.params);
    TMainForm& f = d.Form();
    std::string what = c.params.count("start") ? c.params.at("start") : "(none)";
    EXPECT_EQ(f.UniPageControl1->ActivePage() == f.UniTabSheet1, c.console) << what;
    EXPECT_EQ(f.UniPageControl1->ActivePage() == f.tabPlayer, !c.console) << what;
    EXPECT_EQ(f.timerGo->Enabled(), c.console) << what;
    EXPECT_FALSE(f.UniPageControl1->TabsVisible());
    EXPECT_EQ(f.apppath, server_->StartPath());
    if (c.console) {
      EXPECT_EQ(f.UniPageControl3->ActivePage(), f.tabLogin);
    }
  }
}

TEST_F(SessionStart, TimesFromTheConfigurationOrDefaults) {
  {
    SessionDriver d = Console();
    EXPECT_EQ(d.Form().nPreloadTime, 900);
    EXPECT_EQ(d.Form().edtPreload->Text(), "900");
    EXPECT_EQ(d.Form().nInaktivTime, 45000);
  }
  dir_.Write("Config/tessarine.ini", "[Settings]\r\npreloadTime=fast\r\n");
  SessionDriver d = Console();
  EXPECT_EQ(d.Form().nPreloadTime, 1200);
  EXPECT_EQ(d.Form().edtPreload->Text(), "") << "the edit keeps its text";
  EXPECT_EQ(d.Form().nInaktivTime, 300000);
  for (int i : {1, 2, 3, 4, 5}) EXPECT_EQ((&d.Form().Play_1)[i - 1], -1);
}

TEST_F(SessionStart, TimesOutsideTheirRangeAreRefusedWithALogLine) {
  struct Case {
    const char* preload;
    const char* inaktiv;
    int preloadTime, inaktivTime;
    int lines;
  };
  const Case cases[] = {
      {"-2147483648", "2147483647", 1200, 300000, 2},
      {"-1", "0", 1200, 300000, 2},
      {"600001", "99999999999", 1200, 300000, 2},
      {"0", "1", 0, 1, 0},
      {"600000", "86400000", 600000, 86400000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.preload) + " / " + c.inaktiv);
    LogCapture log;
    dir_.Write("Config/tessarine.ini",
               std::string("[Settings]\r\npreloadTime=") + c.preload + "\r\nInaktivTime=" + c.inaktiv + "\r\n");
    SessionDriver d(*server_, {{"standort", "Nowhere"}});
    TMainForm& f = d.Form();
    EXPECT_EQ(f.nPreloadTime, c.preloadTime);
    EXPECT_EQ(f.nInaktivTime, c.inaktivTime);
    ASSERT_EQ(f.memoLog->Lines().Count(), c.lines + 1);  // and "standort not found"
    if (c.lines) {
      EXPECT_EQ(f.memoLog->Lines()[0], std::string("[error] Config\\tessarine.ini: preloadTime=") + c.preload +
                                           " is not a time from 0 to 600000 ms; using 1200");
      EXPECT_NE(log.All().find(std::string("InaktivTime=") + c.inaktiv), std::string::npos);
    }
    // A single medium uses 600000 ms less the preload time: no overflow.
    server_->IssueMedium("Medium", "Containers/a.png", "false");
    d.Advance(800);
    EXPECT_EQ(f.timerF1->Interval(), 600000 - c.preloadTime);
  }
}

TEST_F(SessionStart, DisplayWithoutDayplanShowsTheLogo) {
  for (const char* standort : {"Nowhere", "", "../Config/tessarine.ini", "..\\Config\\tessarine.ini"}) {
    std::map<std::string, std::string> params;
    if (*standort) params["standort"] = standort;
    SessionDriver d(*server_, params);
    TMainForm& f = d.Form();
    EXPECT_EQ(f.UniPageControl1->ActivePage(), f.tabPlayer);
    EXPECT_EQ(f.panF1->Left(), 0);
    EXPECT_EQ(f.panF1->Top(), 0);
    EXPECT_EQ(f.panF1->Width(), 868);
    EXPECT_EQ(f.panF1->Height(), 868);
    EXPECT_EQ(f.lblF1A->Caption(), kLogo);
    ASSERT_EQ(f.memoLog->Lines().Count(), 1);
    EXPECT_EQ(f.memoLog->Lines()[0], std::string("standort not found:") + standort);
    EXPECT_EQ(f.lblStandort->Caption(), standort);
    EXPECT_FALSE(HasScript(d.Ops(), "window.oncontextmenu = function () {return false;}"));
  }
}

TEST_F(SessionStart, DisplayWithDayplanStartsIt) {
  SessionDriver d(*server_, {{"standort", "halle"}});  // file names match in any case
  TMainForm& f = d.Form();
  EXPECT_EQ(f.UniPageControl1->ActivePage(), f.tabPlayer);
  EXPECT_EQ(f.lblDayplan->Caption(), "halle");
  EXPECT_EQ(f.lblStandort->Caption(), "halle");
  EXPECT_EQ(f.lblF1A->Caption(), "");
  EXPECT_EQ(f.lblPlaylist->Caption(), "Spielstand.pyl") << "the plan ran";
  EXPECT_EQ(f.memoLog->Lines().Count(), 0);
  EXPECT_TRUE(HasScript(d.Ops(), "window.oncontextmenu = function () {return false;}"));
}

TEST_F(SessionStart, LoginOutcomes) {
  struct Case {
    const char* user;
    const char* password;
    const char* message;  // nullptr: none
    // visible tabs after the login: login, score, entertainment, team editor, match day
    bool tabs[5];
    int activePage;
    bool teamPanels;
    const char* logged;  // how the server log line says it went
  };
  const char* noAccount = "refused, no such account (or no password stored)";
  const Case cases[] = {
      {"administrator", "wolken482", nullptr, {false, true, true, true, false}, 1, true, "administrator"},
      {"AdMiNiStRaToR", "WOLKEN482", nullptr, {false, true, true, true, false}, 1, true, "administrator"},
      {"administrator", "wrong", "Wrong password!", {true, false, false, false, false}, 0, true, noAccount},
      {"", "wolken", "Wrong user!", {true, false, false, false, false}, 0, true, "refused, no user name"},
      {"", "", "Wrong user!", {true, false, false, false, false}, 0, true, "refused, no user name"},
      {"profi", "stické2022", nullptr, {false, true, true, true, true}, 1, true, "profi"},
      {"profi", "STICKÉ2022", "Wrong password!", {true, false, false, false, false}, 0, true, "refused, wrong password"},
      {"profi", "", "Wrong password!", {true, false, false, false, false}, 0, true, "refused, no password typed"},
      {"chef", "123", nullptr, {false, true, true, true, true}, 1, true, "profi"},
      {"nopw", "", "Wrong password!", {true, false, false, false, false}, 0, true, noAccount},
      {"nopw", "x", "Wrong password!", {true, false, false, false, false}, 0, true, noAccount},
      {"amateur", "anpfiff", nullptr, {false, true, false, false, false}, 1, false, "amateur"},
      {"odd", "xx", nullptr, {true, false, false, false, false}, 0, true, "refused, unknown account kind \"gast\""},
      {"nobody", "x", "Wrong password!", {true, false, false, false, false}, 0, true, noAccount},
  };
  dir_.Write("Config/tsUsers.ini",
             std::string("[profi]\r\npw=2202") + "\xc3\xa9" + "kcits\r\ntype=profi\r\n"
             "[Chef]\r\npw=321\r\ntype=PROFI\r\n"
             "[amateur]\r\npw=ffifpna\r\ntype=amateur\r\n"
             "[nopw]\r\npw=\r\ntype=profi\r\n"
             "[odd]\r\npw=xx\r\ntype=gast\r\n");
  for (const auto& c : cases) {
    SessionDriver d = Console();
    d.Type("edtLoginUser", c.user);
    d.Type("edtLoginPW", c.password);
    LogCapture log;
    d.Click("btnLoginOK");
    // One line per attempt: the account and the outcome, never the password.
    const std::string line = std::string(": login \"") + c.user + "\": " + c.logged + "\n";
    EXPECT_NE(log.All().find(line), std::string::npos) << log.All();
    TMainForm& f = d.Form();
    std::string what = std::string(c.user) + "/" + c.password;
    auto messages = d.Messages();
    if (c.message) {
      ASSERT_EQ(messages.size(), 1u) << what;
      EXPECT_EQ(messages[0], c.message) << what;
    } else {
      EXPECT_TRUE(messages.empty()) << what;
    }
    TUniTabSheet* sheets[] = {f.tabLogin, f.tabSpielstand, f.tabEnt, f.tabTeamEdit, f.tabMatchday};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(sheets[i]->TabVisible(), c.tabs[i]) << what << " tab " << i;
    EXPECT_FALSE(f.tabTest->TabVisible());
    EXPECT_EQ(f.UniPageControl3->ActivePageIndex(), c.activePage) << what;
    EXPECT_EQ(f.panH1->Visible(), c.teamPanels) << what;
    EXPECT_EQ(f.panG1->Visible(), c.teamPanels) << what;
    EXPECT_EQ(f.panVerlauf->Visible(), c.teamPanels) << what;
    if (c.message) {
      EXPECT_EQ(f.edtLoginUser->Text(), c.user) << "a failed login keeps the typed texts";
      EXPECT_EQ(f.edtLoginPW->Text(), c.password);
    }
  }
}

TEST_F(SessionStart, MissingUsersFileLeavesOnlyTheAdministrator) {
  std::filesystem::remove(dir_.path() / "Config/tsUsers.ini");
  SessionDriver d = Console();
  d.Type("edtLoginUser", "profi");
  d.Type("edtLoginPW", "stick2022");
  d.Click("btnLoginOK");
  EXPECT_EQ(d.Messages(), std::vector<std::string>{"Wrong password!"});
}

TEST_F(SessionStart, ResizeCentresTheLoginPanelOnlyOnTheLoginTab) {
  SessionDriver d = Console();
  TMainForm& f = d.Form();
  int top = f.panLogin->Top();
  struct Case {
    int width;
    int left;
  };
  for (const Case& c : {Case{1001, 500 - 179}, Case{1920, 960 - 179}, Case{100, 50 - 179}, Case{1, -179}}) {
    d.Resize(c.width, 700);
    EXPECT_EQ(f.panLogin->Left(), c.left) << c.width;
    EXPECT_EQ(f.panLogin->Top(), top);
  }
  d.Type("edtLoginUser", "administrator");
  d.Type("edtLoginPW", "wolken482");
  d.Click("btnLoginOK");
  d.Resize(1600, 700);
  EXPECT_EQ(f.panLogin->Left(), -179) << "not centred once the login tab is left";
}

TEST_F(SessionStart, ExitTerminatesTheSession) {
  SessionDriver d = Console();
  std::string sid = d.GetSession().Id();
  d.Click("UniButton1");
  EXPECT_TRUE(d.Terminated());
  EXPECT_NE(d.TerminateHtml().find("Tessarine session terminated."), std::string::npos);
  EXPECT_NE(d.TerminateHtml().find("href=\"/?start=tessarine\""), std::string::npos)
      << "a console starts again as a console: " << d.TerminateHtml();
  EXPECT_EQ(server_->Sessions().Find(sid), nullptr);
  EXPECT_EQ(server_->Sessions().Request(sid, 99, Json::array()), Json({{"gone", true}}));
}

TEST_F(SessionStart, KeysSwitchEnginePageOnlyOnDisplays) {
  SessionDriver display(*server_, {{"standort", "Nowhere"}});
  TMainForm& f = display.Form();
  display.Key(114);
  EXPECT_EQ(f.UniPageControl1->ActivePage(), f.tabSettings);
  display.Key(115);
  EXPECT_EQ(f.UniPageControl1->ActivePage(), f.tabPlayer);

  SessionDriver console = Console();
  console.Key(114);
  EXPECT_EQ(console.Form().UniPageControl1->ActivePage(), console.Form().UniTabSheet1);
}

TEST_F(SessionStart, EventsOnComponentsThatAreNotShowingAreRefused) {
  LogCapture log;
  SessionDriver display(*server_, {{"standort", "Nowhere"}});
  // The console page is not the active page of a display: no login there.
  display.Type("edtLoginUser", "administrator");
  display.Type("edtLoginPW", "wolken482");
  display.Click("btnLoginOK");
  EXPECT_FALSE(display.Form().tabSpielstand->TabVisible());
  EXPECT_EQ(display.Form().edtLoginUser->Text(), "");

  SessionDriver console = Console();
  TMainForm& f = console.Form();
  // A hidden button and a component on a tab that is not shown.
  console.Click("btnLoadAll");
  console.Click("btnQSALoad");
  // A disabled control.
  f.btnLoginOK->SetEnabled(false);
  console.Type("edtLoginUser", "administrator");
  console.Type("edtLoginPW", "wolken482");
  console.Click("btnLoginOK");
  EXPECT_FALSE(f.tabSpielstand->TabVisible());
  // Unknown components and malformed events.
  console.Send(Json::array({{{"t", "click"}, {"c", 999999}}, {{"t", "click"}}, "junk"}));
  int refused = 0;
  for (const auto& line : log.Lines())
    if (line.find("refused event") != std::string::npos) ++refused;
  EXPECT_GE(refused, 8) << log.All();
}

TEST_F(SessionStart, RepeatedRequestIsAnsweredFromTheRecord) {
  SessionDriver d = Console();
  plat::session::Session& s = d.GetSession();
  Json events = Json::array({{{"t", "click"}, {"c", d.Form().btnLoginOK->Id()}}});
  Json first = server_->Sessions().Request(s.Id(), 1, events);
  Json again = server_->Sessions().Request(s.Id(), 1, events);
  EXPECT_EQ(first, again);
  int boxes = 0;
  for (const auto& op : first["ops"])
    if (op.value("op", "") == "box") ++boxes;
  EXPECT_EQ(boxes, 1);
  // A request out of order makes the browser reload.
  Json skipped = server_->Sessions().Request(s.Id(), 5, events);
  EXPECT_EQ(skipped["ops"][0]["op"], "reload");
}

TEST_F(SessionStart, SessionsAreLimitedAndTimeOut) {
  std::vector<std::shared_ptr<plat::session::Session>> open;
  for (int i = 0; i < 50; ++i) {
    auto s = server_->Sessions().Open({{"standort", "x"}});
    ASSERT_NE(s, nullptr) << i;
    open.push_back(s);
  }
  EXPECT_EQ(server_->Sessions().Open({}), nullptr) << "the 51st is refused";
  server_->Sessions().Close(open.back()->Id());
  EXPECT_NE(server_->Sessions().Open({}), nullptr) << "a closed place is free again";
  server_->Sessions().Sweep(plat::MonotonicMs() + 11 * 60 * 1000);
  EXPECT_EQ(server_->Sessions().Count(), 0u);
}

TEST_F(SessionStart, ConsoleStartupTimerRunsOnceAfter1500ms) {
  SessionDriver d = Console();
  EXPECT_TRUE(d.Form().timerGo->Enabled());
  d.Advance(1499);
  EXPECT_TRUE(d.Form().timerGo->Enabled());
  d.Advance(1);
  EXPECT_FALSE(d.Form().timerGo->Enabled());
}

TEST(FormDefinitions, EveryFormBuildsFromItsDefinition) {
  TempDir dir;
  TUniServerModule server(dir.path().string());
  EXPECT_NO_THROW(TUniServerModule::CheckFormDefinitions());
}
