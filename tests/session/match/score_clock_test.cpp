// The score panel and the clock dialog of a console, driven as a browser
// would: goal counters and the score apply, period and extra-time starts
// with their confirmations, the clock's run flag, the clock dialog's apply,
// added time and clock correction under a fixed "now".
#include <gtest/gtest.h>

#include "match/MatchState.h"
#include "match/Unit2.h"
#include "platform/io/text_file.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::io::XmlDocument;
using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

const char* kSpielstand =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<spielstand>\r\n  <settings>\r\n"
    "    <gameTime>15:30:00</gameTime>\r\n    <Spielabschnitt>1</Spielabschnitt>\r\n"
    "    <gameTimeStatus>Stop</gameTimeStatus>\r\n    <HalbzeitDauer>45</HalbzeitDauer>\r\n"
    "    <NachspielZeit>0</NachspielZeit>\r\n    <Verlaengerung>0</Verlaengerung>\r\n"
    "    <teamHeim>FC Nordhafen</teamHeim>\r\n    <teamGast>SV Lindenau</teamGast>\r\n"
    "    <standHeim>0</standHeim>\r\n    <standGast>0</standGast>\r\n  </settings>\r\n</spielstand>\r\n";

// The section as a venue keeps it, in the configuration file's code page.
const char* kSettings =
    "[Settings]\r\nport=8077\r\n\r\n[spielbetrieb]\r\nHeim=FC Nordhafen\r\nGast=SV Lindenau\r\nTorHeim=2\r\nTorGast=1\r\n"
    "Spielabschnitt=3\r\nHalbzeitDauer2=45\r\nHalbzeitDauer3=20\r\nHalbzeitDauer4=15\r\nNachspielzeit=3\r\n"
    "Verl\xE4ngerung=10\r\n";

const plat::DateTime kNow{2026, 12, 11, 15, 4, 5, 0, 5};

class ScoreAndClock : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetNowFunction([this] { return now_; });
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    dir_.Write("Config/tessarine.ini", kSettings);
    dir_.Write("Containers/System/files/spielstand.xml", kSpielstand);
    dir_.Write("Containers/System/files/spieler.xml", "<?xml version=\"1.0\"?><spieler><settings/></spieler>");
    dir_.Write("Containers/System/files/spielerint.xml", "<?xml version=\"1.0\"?><int><raus/><rein/></int>");
    dir_.Write("Containers/System/files/Matchday.xml", "<?xml version=\"1.0\"?><matchday/>");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    consoles_.clear();
    SetUniServerModule(nullptr);
    plat::SetNowFunction(nullptr);
  }

  // A console whose operator has logged in and whose documents are loaded.
  SessionDriver& Console() {
    consoles_.push_back(std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}}));
    SessionDriver& c = *consoles_.back();
    c.Type("edtLoginUser", "profi");
    c.Type("edtLoginPW", "sticke2022");
    c.Click("btnLoginOK");
    const std::size_t seen = c.Ops().size();
    c.Advance(1500);  // the deferred start-up loads the documents
    // An error of the start-up (its clock apply, with no lengths stored or no
    // score document) is acknowledged as an operator would.
    std::vector<Json> boxes;
    for (std::size_t i = seen; i < c.Ops().size(); ++i)
      if (c.Ops()[i].value("op", "") == "box") boxes.push_back(c.Ops()[i]);
    for (const Json& box : boxes) c.Send(Json::array({{{"t", "answer"}, {"box", box["box"]}, {"r", "ok"}}}));
    return c;
  }
  TMainForm& f(std::size_t i = 0) { return consoles_.at(i)->Form(); }

  // The console's clock dialog while it is open.
  TfrmUhr* Uhr(std::size_t i = 0) { return consoles_.at(i)->GetSession().FindDialog<TfrmUhr>(); }
  Json UhrEvent(Json ev, std::size_t i = 0) { return consoles_.at(i)->Send(Json::array({std::move(ev)})); }
  Json UhrClick(const std::string& name) {
    return UhrEvent({{"t", "click"}, {"c", Uhr()->Get<plat::ui::Component>(name)->Id()}});
  }
  Json UhrType(const std::string& name, const std::string& text) {
    return UhrEvent({{"t", "change"}, {"c", Uhr()->Get<plat::ui::Component>(name)->Id()}, {"p", "text"}, {"v", text}});
  }
  Json UhrCheck(const std::string& name) {
    return UhrEvent({{"t", "change"}, {"c", Uhr()->Get<plat::ui::Component>(name)->Id()}, {"p", "checked"}, {"v", true}});
  }

  // The confirmations of an answer.
  static std::vector<Json> Boxes(const Json& ops) { return OpsOf(ops, "box"); }
  static bool Failed(const Json& ops) { return !OpsOf(ops, "error").empty(); }
  Json Answer(const Json& box, const char* r, std::size_t i = 0) {
    return consoles_.at(i)->Send(Json::array({{{"t", "answer"}, {"box", box["box"]}, {"r", r}}}));
  }

  std::string Saved(const std::string& element) {
    XmlDocument doc;
    doc.LoadFromFile(dir_.sys() + "Containers/System/files/spielstand.xml");
    return ReadMatchElement(doc, {"settings", element});
  }
  std::string File() { return dir_.Read("Containers/System/files/spielstand.xml"); }
  std::vector<std::string> PeriodButtons() {
    return {f().btnAUhr45->Caption(), f().btnAUhr90->Caption(), f().btnAUhr3->Caption(), f().btnAUhr4->Caption()};
  }

  TempDir dir_;
  plat::DateTime now_ = kNow;
  std::unique_ptr<TUniServerModule> server_;
  std::vector<std::unique_ptr<SessionDriver>> consoles_;
};

}  // namespace

TEST_F(ScoreAndClock, GoalButtonsCountAndOnlyTheApplySavesTheScore) {
  SessionDriver& c = Console();
  const std::string before = File();
  c.Click("TorHP");
  c.Click("TorHP");
  c.Click("TorGP");
  c.Click("TorHM");
  // The start-up showed the stored 2:1.
  EXPECT_EQ(f().lblAStand->Caption(), "3:2");
  EXPECT_EQ(File(), before) << "nothing is saved before the apply";
  EXPECT_EQ(f().ReadMatchSetting("TorHeim"), "2");

  // Minus at 0 leaves the counter and the label.
  for (int i = 0; i < 3; ++i) c.Click("TorGM");
  for (int i = 0; i < 4; ++i) c.Click("TorHM");
  EXPECT_EQ(f().nTorHeim, 0);
  EXPECT_EQ(f().nTorGast, 0);
  EXPECT_EQ(f().lblAStand->Caption(), "0:0");

  c.Click("TorHP");
  c.Click("TorHP");
  c.Click("TorHP");
  c.Click("TorGP");
  f().panH1->SetTitle("Bl\xC3\xA4ue & <Wei\xC3\x9F>");
  const int issued = server_->DisplayCommand().sCMDNr;
  EXPECT_FALSE(Failed(c.Click("btnAnzApply")));
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, issued) << "the apply shows nothing on the displays";
  EXPECT_EQ(f().ReadMatchSetting("TorHeim"), "3");
  EXPECT_EQ(f().ReadMatchSetting("TorGast"), "1");
  EXPECT_EQ(Saved("standHeim"), "3");
  EXPECT_EQ(Saved("standGast"), "1");
  EXPECT_EQ(Saved("teamHeim"), "Bl\xC3\xA4ue & <Wei\xC3\x9F>");
  EXPECT_EQ(Saved("teamGast"), "SV Lindenau") << "the panel's title, as the start-up set it";
  EXPECT_EQ(Saved("gameTimeStatus"), "Stop") << "the rest of the document stays";

  c.Click("btnASpielstand");
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, issued + 1);
  EXPECT_EQ(server_->DisplayCommand().sTyp, "Playlist");
  EXPECT_EQ(server_->DisplayCommand().sStandort, "System\\Spielstand.pyl");
}

TEST_F(ScoreAndClock, AnUnloadedScoreDocumentIsNeverWritten) {
  std::filesystem::remove(dir_.path() / "Containers/System/files/spielstand.xml");
  SessionDriver& c = Console();
  c.Click("TorGP");
  EXPECT_TRUE(Failed(c.Click("btnAnzApply")));
  EXPECT_EQ(f().ReadMatchSetting("TorGast"), "2") << "the keys come before the document";
  EXPECT_TRUE(Failed(c.Click("btnAUhrStop")));
  const auto boxes = Boxes(c.Click("btnAUhr45"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(Failed(Answer(boxes[0], "yes")));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Containers/System/files/spielstand.xml"));
}

TEST_F(ScoreAndClock, OnlyYesStartsAPeriod) {
  SessionDriver& c = Console();
  const struct {
    const char* button;
    const char* question;
    const char* period;
  } buttons[] = {{"btnAUhr45", "Spielabschnitt auf 1 setzen und Spieluhr starten  ?", "1"},
                 {"btnAUhr90", "Spielabschnitt auf 2 setzen und Spieluhr starten ?", "2"},
                 {"btnAUhr3", "Spielabschnitt auf 3 setzen  und Spieluhr starten ?", "3"},
                 {"btnAUhr4", "Spielabschnitt auf 4 setzen und Spieluhr starten  ?", "4"}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.button);
    f().btnAUhr3->SetEnabled(true);
    f().btnAUhr4->SetEnabled(true);
    const std::string before = File();
    for (const char* answer : {"no", ""}) {  // "" is Esc or the box closed
      const auto boxes = Boxes(c.Click(b.button));
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0]["text"], b.question);
      Answer(boxes[0], answer);
      EXPECT_EQ(File(), before) << "answer \"" << answer << "\"";
    }
    now_.minute += 1;
    const auto boxes = Boxes(c.Click(b.button));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(Failed(Answer(boxes[0], "yes")));
    EXPECT_EQ(Saved("gameTime"), plat::FormatTime(now_));
    EXPECT_EQ(Saved("Spielabschnitt"), b.period);
    EXPECT_EQ(Saved("gameTimeStatus"), "Stop");
  }
}

TEST_F(ScoreAndClock, ExtraTimeStartsWithTheLengthOfTheSettings) {
  SessionDriver& c = Console();
  c.Type("edtVerl", "1");
  auto boxes = Boxes(c.Click("btnAUhrVerl"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"], "Verl\xC3\xA4ngerung auf 1 setzen und Spieluhr starten  ?");
  const std::string before = File();
  Answer(boxes[0], "no");
  EXPECT_EQ(File(), before);

  c.Type("edtVerl", "2");
  boxes = Boxes(c.Click("btnAUhrVerl"));
  now_.hour = 17;
  Answer(boxes[0], "yes");
  EXPECT_EQ(Saved("VerlaengerungDauer"), "10");
  EXPECT_EQ(Saved("gameTime"), "17:04:05");
  EXPECT_EQ(Saved("Verlaengerung"), "2");
  EXPECT_EQ(Saved("Spielabschnitt"), "1");
  EXPECT_EQ(Saved("gameTimeStatus"), "Stop");
}

TEST_F(ScoreAndClock, TheRunFlagTogglesOnlyBetweenStartAndStop) {
  const struct {
    const char* what;
    const char* element;  // the settings' status element as installed
    const char* after;    // nullptr: the file stays as it is
  } cases[] = {{"stopped", "<gameTimeStatus>Stop</gameTimeStatus>", "Start"},
               {"running", "<gameTimeStatus>Start</gameTimeStatus>", "Stop"},
               {"empty", "<gameTimeStatus/>", nullptr},
               {"other letter case", "<gameTimeStatus>stop</gameTimeStatus>", nullptr},
               {"missing", "", nullptr}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    consoles_.clear();
    dir_.Write("Containers/System/files/spielstand.xml",
               std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<spielstand><settings><gameTime>15:00:00</gameTime>") +
                   k.element + "</settings></spielstand>\r\n");
    SessionDriver& c = Console();
    const std::string before = File();
    EXPECT_FALSE(Failed(c.Click("btnAUhrStop")));
    if (k.after) EXPECT_EQ(Saved("gameTimeStatus"), k.after);
    else EXPECT_EQ(File(), before);
  }

  // Decided on the file as it is: another console's switch counts.
  consoles_.clear();
  dir_.Write("Containers/System/files/spielstand.xml", kSpielstand);
  SessionDriver& a = Console();
  SessionDriver& b = Console();
  a.Click("btnAUhrStop");
  b.Click("btnAUhrStop");
  EXPECT_EQ(Saved("gameTimeStatus"), "Stop") << "b switched a's Start back";
}

TEST_F(ScoreAndClock, TheClockDialogOpensWithTheSettingsAndApplies) {
  SessionDriver& c = Console();
  // A double click opens one dialog: the second click finds it modal.
  const Json click = {{"t", "click"}, {"c", f().btnEditUhr->Id()}};
  {
    testing_support::LogCapture log;
    c.Send(Json::array({click, click}));
    EXPECT_NE(log.All().find("beneath a modal window"), std::string::npos) << log.All();
  }
  ASSERT_NE(Uhr(), nullptr);
  EXPECT_TRUE(Uhr()->IsShown());
  EXPECT_TRUE(Uhr()->Modal());
  EXPECT_TRUE(Uhr()->rad3h->Checked());
  EXPECT_FALSE(Uhr()->rad2h->Checked());
  EXPECT_EQ(Uhr()->edt4h->Text(), "15");
  EXPECT_EQ(Uhr()->edtNach->Text(), "3");
  EXPECT_EQ(Uhr()->edtVerl->Text(), "10");
  EXPECT_EQ(PeriodButtons(), (std::vector<std::string>{"20", "40", "60", "80"})) << "applied at once";
  EXPECT_EQ(Saved("HalbzeitDauer"), "20");
  EXPECT_EQ(Saved("NachspielZeit"), "3");

  // Added time: the document only.
  UhrType("edtNach", "4");
  UhrClick("UniButton3");
  EXPECT_EQ(Saved("NachspielZeit"), "4");
  EXPECT_EQ(f().ReadMatchSetting("Nachspielzeit"), "3");

  // Closing frees the dialog: the next one starts from the form's own texts.
  UhrType("edtUhrKorr", "12:00");
  UhrClick("btnCancel");
  EXPECT_EQ(Uhr(), nullptr);
  dir_.Write("Config/tessarine.ini", "[spielbetrieb]\r\nSpielabschnitt=5\r\n");
  const Json ops = c.Click("btnEditUhr");
  ASSERT_NE(Uhr(), nullptr);
  EXPECT_EQ(Uhr()->edtUhrKorr->Text(), "00:00");
  EXPECT_TRUE(Uhr()->rad2h->Checked()) << "an unknown scheme leaves the form's choice";
  EXPECT_EQ(Uhr()->edt2h->Text(), "") << "a missing key empties its edit";
  EXPECT_TRUE(Failed(ops)) << "an empty length is no number";
  EXPECT_EQ(f().ReadMatchSetting("HalbzeitDauer2"), "");
  EXPECT_EQ(f().ReadMatchSetting("Spielabschnitt"), "5");
}

// The console's start applies the stored settings through the dialog
// without showing it.
TEST_F(ScoreAndClock, TheStoredClockSettingsApplyWithoutTheDialogShowing) {
  SessionDriver& c = Console();
  {
    plat::session::Session::Scope scope(c.GetSession());
    TfrmUhr* dialog = frmUhr();
    EXPECT_EQ(frmUhr(), dialog) << "one per session";
    dialog->FillFromSettings();
    dialog->btnApply->OnClick(dialog->btnApply);
    EXPECT_FALSE(dialog->IsShown());
    dialog->Close();
  }
  c.Send(Json::array());
  EXPECT_EQ(Uhr(), nullptr);
  EXPECT_EQ(PeriodButtons(), (std::vector<std::string>{"20", "40", "60", "80"}));
  EXPECT_EQ(Saved("HalbzeitDauer"), "20");
  EXPECT_EQ(f().ReadMatchSetting("Verl\xC3\xA4ngerung"), "10");
}

TEST_F(ScoreAndClock, TheClockDialogApplySetsThePeriodButtons) {
  const struct {
    const char* what;
    std::vector<std::pair<const char*, const char*>> applies;  // scheme radio, length; the last one is checked
    std::vector<std::string> captions;
    bool third, fourth;  // enabled
    const char* scheme;  // key Spielabschnitt afterwards
    const char* length;  // HalbzeitDauer afterwards
    bool fails;
  } cases[] = {
      {"2 periods", {{"rad2h", "45"}}, {"45", "90", "3", "4"}, false, false, "2", "45", false},
      {"3 periods", {{"rad3h", "20"}}, {"20", "40", "60", "80"}, true, false, "3", "20", false},
      {"4 periods", {{"rad4h", "12"}}, {"12", "24", "36", "48"}, true, true, "4", "12", false},
      {"an empty length", {{"rad4h", ""}}, {"", "90", "3", "4"}, true, true, "1", "30", true},
      {"4 then 2", {{"rad4h", "12"}, {"rad2h", "40"}}, {"40", "80", "36", "48"}, false, false, "2", "40", false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    consoles_.clear();
    dir_.Write("Config/tessarine.ini", "[spielbetrieb]\r\nSpielabschnitt=1\r\n");
    dir_.Write("Containers/System/files/spielstand.xml",
               "<?xml version=\"1.0\"?><spielstand><settings><HalbzeitDauer>30</HalbzeitDauer></settings></spielstand>");
    SessionDriver& c = Console();
    c.Click("btnEditUhr");  // with an empty section the first apply fails
    ASSERT_NE(Uhr(), nullptr);
    UhrType("edtNach", "2");
    UhrType("edtVerl", "15");
    Json ops;
    for (const auto& [radio, length] : k.applies) {
      UhrCheck(radio);
      const std::string edit = std::string("edt") + radio[3] + "h";
      UhrType(edit, length);
      ops = UhrClick("btnApply");
    }
    EXPECT_EQ(Failed(ops), k.fails);
    EXPECT_EQ(PeriodButtons(), k.captions);
    EXPECT_EQ(f().btnAUhr3->Enabled(), k.third);
    EXPECT_EQ(f().btnAUhr4->Enabled(), k.fourth);
    EXPECT_EQ(f().ReadMatchSetting("Spielabschnitt"), k.scheme);
    EXPECT_EQ(Saved("HalbzeitDauer"), k.length);
    EXPECT_EQ(f().ReadMatchSetting("Nachspielzeit"), "2") << "written before the length is read";
    EXPECT_EQ(f().ReadMatchSetting("Verl\xC3\xA4ngerung"), "15");
    EXPECT_NE(Uhr(), nullptr) << "the dialog stays open";
  }
  EXPECT_EQ(f().ReadMatchSetting("HalbzeitDauer4"), "12");
  EXPECT_EQ(f().ReadMatchSetting("HalbzeitDauer2"), "40");
}

TEST_F(ScoreAndClock, TheClockCorrectionSetsTheStartOfTheRunningPeriod) {
  const struct {
    const char* typed;
    plat::DateTime now;
    const char* gameTime;  // nullptr: nothing is written
    const char* period;
    const char* status;
  } cases[] = {
      {"00:00", kNow, "15:04:05", "0", "Stop"},
      {"5", kNow, "14:59:05", "1", "Start"},
      {"12:34", kNow, "14:51:31", "1", "Start"},
      {"75:00", kNow, nullptr, nullptr, nullptr},
      {"1:2:3", kNow, nullptr, nullptr, nullptr},
      {"ab", kNow, nullptr, nullptr, nullptr},
      {"5", {2026, 12, 12, 0, 3, 0, 0, 6}, "23:58:00", "1", "Start"},
  };
  SessionDriver& c = Console();
  c.Click("btnEditUhr");
  ASSERT_NE(Uhr(), nullptr);
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.typed) + " at " + plat::FormatTime(k.now));
    dir_.Write("Containers/System/files/spielstand.xml", kSpielstand);
    now_ = k.now;
    const std::string before = File();
    UhrType("edtUhrKorr", k.typed);
    const Json ops = UhrClick("btnAUhr");
    EXPECT_EQ(Failed(ops), k.gameTime == nullptr);
    if (!k.gameTime) {
      EXPECT_EQ(File(), before);
      continue;
    }
    EXPECT_EQ(Saved("gameTime"), k.gameTime);
    EXPECT_EQ(Saved("Spielabschnitt"), k.period);
    EXPECT_EQ(Saved("gameTimeStatus"), k.status);
  }
}

TEST_F(ScoreAndClock, TwoConsolesKeepEachOthersScoreAndClock) {
  SessionDriver& a = Console();
  SessionDriver& b = Console();
  a.Click("TorGP");
  a.Click("btnAnzApply");
  auto boxes = Boxes(b.Click("btnAUhr90"));
  ASSERT_EQ(boxes.size(), 1u);
  Answer(boxes[0], "yes", 1);
  EXPECT_EQ(Saved("standGast"), "2") << "b's period start wrote its old score";
  EXPECT_EQ(Saved("Spielabschnitt"), "2");
}

// What the score display sends is in the demo installation: its playlist
// and the pages the playlist names.
TEST(ScoreDisplayDemo, ThePlaylistNamesPagesThatExist) {
  const std::filesystem::path demo = TESS_SOURCE_DIR "/demo";
  const auto lines = plat::io::ReadLines((demo / "Config/Progs/System/Spielstand.pyl").string());
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    std::vector<std::string> fields(1);
    for (char ch : line) {
      if (ch == ',') fields.emplace_back();
      else fields.back() += ch == '\\' ? '/' : ch;
    }
    ASSERT_EQ(fields.size(), 21u) << line;
    EXPECT_TRUE(std::filesystem::is_regular_file(demo / fields[6])) << fields[6];
    EXPECT_EQ(fields[8], "4") << "an HTML page";
  }
}
