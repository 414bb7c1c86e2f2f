// The team action dialog and its openers on the score tab, driven as a
// browser would: which playlist each side's opener and action issues, the
// player records written before their command, the goal's game time in
// the history line, the score page, the substitutions and the next
// buttons, and a dialog that always starts from its definition.
#include <filesystem>

#include "match/TeamAction.h"
#include "match_console_fixture.h"

using namespace match_console;

namespace {

class TeamAction : public MatchConsole {};

}  // namespace

TEST_F(TeamAction, TheGoalTimeCountsEarlierPeriodsInWholeMinutes) {
  const struct {
    const char* what;
    const char* gameTime;
    const char* period;
    const char* length;
    int h, m, s;  // now
    const char* shown;
  } cases[] = {
      {"period 2 of 45", "15:00:00", "2", "45", 15, 10, 5, "55:05"},
      {"period 4 of 12", "15:00:00", "4", "12", 15, 3, 0, "39:00"},
      {"period 1", "15:00:00", "1", "45", 15, 10, 5, "10:05"},
      {"an hour or more", "15:00:00", "2", "45", 15, 30, 30, "75:30"},
      {"across midnight", "23:50:00", "1", "45", 0, 2, 30, "12:30"},
      {"period 0: no period runs", "15:00:00", "0", "45", 15, 10, 5, "00:00"},
      {"empty game time: before the first period", "", "1", "45", 15, 10, 5, "00:00"},
      {"a game time that is no time", "kurz", "2", "45", 15, 10, 5, "00:00"},
      {"no period length", "15:00:00", "2", "", 15, 10, 5, "10:05"},
      {"a period length of 60", "15:00:00", "3", "60", 15, 0, 30, "120:30"},
  };
  Console();
  int goals = 0;
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    MatchElement(f().xmlSpielstand, {"settings", "gameTime"}).SetText(k.gameTime);
    MatchElement(f().xmlSpielstand, {"settings", "Spielabschnitt"}).SetText(k.period);
    MatchElement(f().xmlSpielstand, {"settings", "HalbzeitDauer"}).SetText(k.length);
    now_.hour = k.h;
    now_.minute = k.m;
    now_.second = k.s;
    EXPECT_FALSE(Failed(c().Click("btnHTor")));
    ++goals;
    ASSERT_NE(Heim(), nullptr) << "the goal opens the dialog";
    EXPECT_TRUE(Heim()->IsShown());
    EXPECT_EQ(f().nTorHeim, goals) << "the goal counts";
    SelectRow(0);
    EXPECT_FALSE(Failed(HeimClick("btnTorPlay")));
    ASSERT_FALSE(f().memoSLog->Lines().Empty());
    EXPECT_EQ(f().memoSLog->Lines().Items().back(),
              std::string(k.shown) + "  Jonas Kr\xC3\xBC" "ger " + std::to_string(goals) + ":0");
    HeimClick("btnTorApply");
    EXPECT_EQ(Heim(), nullptr);
  }
  EXPECT_EQ(FormatGameTime(5), "00:05");
  EXPECT_EQ(FormatGameTime(6000), "100:00");
}

TEST_F(TeamAction, EachSideAndActionIssueTheirOwnPlaylists) {
  const std::string pres = "spielerPr\xC3\xA4sentation.xml";
  const struct {
    const char* opener;
    const char* opened;  // the playlist issued on opening, or nullptr
    int page;
    const char* team;
    const char* side;
    const char* first;  // the first row's first name after the opener's sort
    const char* action;
    std::string file;
    const char* group;
    const char* type;
    const char* issued;  // the action's playlist, or nullptr
    const char* closer;
  } cases[] = {
      {"btnHAufst", "System\\VorstellungHeim.pyl", 1, "Nordhafen", "Heim", "Malte", "btnVorstPlay", "spieler.xml",
       "settings", "Vorstellung", "System\\Spielerheim_Vorstellung.pyl", "btnVorstStop"},
      {"btnGAufst", "System\\VorstellungGast.pyl", 1, "Lindenau", "Gast", "Emil", "btnVorstPlay", "spieler.xml",
       "settings", "Vorstellung", "System\\Spielergast_Vorstellung.pyl", "btnVorstStop"},
      {"btnHSpieler", nullptr, 4, "Nordhafen", "Heim", "Jonas", "btnSpielerPlay", pres, "settings", "Spieler",
       "System\\Spielerheim_Pr\xC3\xA4sentation.pyl", "btnSpielerStop"},
      {"btnGSpieler", nullptr, 4, "Lindenau", "Gast", "Emil", "btnSpielerPlay", pres, "settings", "Spieler",
       "System\\Spielergast_Pr\xC3\xA4sentation.pyl", "btnSpielerStop"},
      {"btnHKarte", "System\\KarteHeim.pyl", 3, "Nordhafen", "Heim", "Jonas", "btnKertaAnzeigen", "spieler.xml",
       "settings", "Gelb", "System\\Spielerheim_Karte.pyl", "btnKertaAus"},
      {"btnGKarte", "System\\KarteGast.pyl", 3, "Lindenau", "Gast", "Paul", "btnKertaAnzeigen", "spieler.xml",
       "settings", "Gelb", "System\\Spielergast_Karte.pyl", "btnKertaAus"},
      {"btnHTor", "System\\TorHeim.pyl", 2, "Nordhafen", "Heim", "Jonas", "btnTorPlay", "spieler.xml", "settings",
       "Tor Heim", "System\\Spielerheim_Tor.pyl", "btnTorApply"},
      {"btnGTor", "System\\TorGast.pyl", 2, "Lindenau", "Gast", "Paul", "btnTorPlay", "spieler.xml", "settings",
       "Tor Gast", "System\\Spielergast_Tor.pyl", "btnTorApply"},
      {"btnHW", "System\\WechselHeim.pyl", 0, "Nordhafen", "Heim", "Jonas", "frmWechselRaus", "spieler.xml",
       "settings", "Wechselraus", "System\\Spielerheim_Wechsel.pyl", "frmWechselAus"},
      {"btnGW", "System\\WechselGast.pyl", 0, "Lindenau", "Gast", "Paul", "frmWechselRein", "spieler.xml",
       "settings", "Wechselrein", "System\\Spielergast_Wechsel.pyl", "frmWechselAus"},
      {"btnHW", "System\\WechselHeim.pyl", 0, "Nordhafen", "Heim", "Jonas", "frmWechselRausInt", "spielerint.xml",
       "raus", "Wechselraus", nullptr, "frmWechselAus"},
      {"btnGW", "System\\WechselGast.pyl", 0, "Lindenau", "Gast", "Paul", "frmWechselReinInt", "spielerint.xml",
       "rein", "Wechselrein", nullptr, "frmWechselAus"},
  };
  Console();
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.opener) + " " + k.action);
    int nr = CmdNr();
    EXPECT_FALSE(Failed(c().Click(k.opener)));
    EXPECT_EQ(CmdNr(), nr + (k.opened ? 1 : 0));
    if (k.opened) {
      EXPECT_EQ(Target(), k.opened);
    }
    ASSERT_NE(Heim(), nullptr);
    EXPECT_TRUE(Heim()->Modal());
    EXPECT_EQ(Heim()->Caption(), k.team);
    EXPECT_EQ(Heim()->panTeam->Caption(), k.side);
    EXPECT_EQ(Heim()->pageAction->ActivePageIndex(), k.page);
    EXPECT_EQ(Heim()->Grid1->Cells(1, 0), k.first);

    SelectRow(0);
    nr = CmdNr();
    EXPECT_FALSE(Failed(HeimClick(k.action)));
    EXPECT_EQ(Saved(k.file, {k.group, "vorname"}), k.first);
    EXPECT_EQ(Saved(k.file, {k.group, "nachname"}), Heim()->Grid1->Cells(2, 0));
    EXPECT_EQ(Saved(k.file, {k.group, "spielernr"}), Heim()->Grid1->Cells(0, 0));
    EXPECT_EQ(Saved(k.file, {k.group, "spielerbild"}), Heim()->Grid1->Cells(5, 0));
    EXPECT_EQ(Saved(k.file, {k.group, "teamname"}), k.team);
    EXPECT_EQ(Saved(k.file, {k.group, "type"}), k.type);
    EXPECT_EQ(Saved(k.file, {k.group, "team"}), k.side);
    EXPECT_EQ(CmdNr(), nr + (k.issued ? 1 : 0));
    if (k.issued) {
      EXPECT_EQ(Target(), k.issued);
    }
    EXPECT_NE(Heim(), nullptr) << "an action keeps the dialog open";

    EXPECT_FALSE(Failed(HeimClick(k.closer)));
    EXPECT_EQ(Target(), "System\\Spielstand.pyl");
    EXPECT_EQ(Heim(), nullptr);
  }
  EXPECT_EQ(f().memoSLog->Lines().Count(), 1);
  EXPECT_EQ(f().memoSLogGast->Lines().Count(), 1) << "a guest goal goes to the guest history";
}

TEST_F(TeamAction, TheRecordIsSavedBeforeItsCommand) {
  Console();
  c().Click("btnHTor");
  SelectRow(0);
  // spieler.xml cannot be replaced: a folder stands in its place.
  std::filesystem::remove(FilesPath("spieler.xml"));
  std::filesystem::create_directory(FilesPath("spieler.xml"));
  const int nr = CmdNr();
  EXPECT_TRUE(Failed(HeimClick("btnTorPlay")));
  EXPECT_EQ(CmdNr(), nr) << "no command for a record that was not saved";
  EXPECT_TRUE(f().memoSLog->Lines().Empty()) << "nor a history line";
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "debug.txt"));
  EXPECT_EQ(Heim()->lblVor->Caption(), "Jonas") << "the labels keep the player";

  std::filesystem::remove(FilesPath("spieler.xml"));
  EXPECT_FALSE(Failed(HeimClick("btnTorPlay")));
  EXPECT_EQ(CmdNr(), nr + 1);
  EXPECT_EQ(Saved("spieler.xml", {"settings", "vorname"}), "Jonas");

  // A document that could not be loaded at the start is never written.
  consoles_.clear();
  std::filesystem::remove(FilesPath("spielerint.xml"));
  Console();
  c().Click("btnHW");
  EXPECT_TRUE(Failed(HeimClick("frmWechselRausInt")));
  EXPECT_FALSE(FileExists("spielerint.xml"));
}

TEST_F(TeamAction, ADoubleClickedGoalCountsOnce) {
  Console();
  const int nr = CmdNr();
  const Json click = {{"t", "click"}, {"c", f().btnHTor->Id()}};
  {
    testing_support::LogCapture log;
    c().Send(Json::array({click, click}));
    EXPECT_NE(log.All().find("beneath a modal window"), std::string::npos) << log.All();
  }
  c().Send(Json::array({click}));  // the second click of a double click, in its own request
  EXPECT_EQ(f().nTorHeim, 1);
  EXPECT_EQ(f().lblAStand->Caption(), "1:0");
  EXPECT_EQ(CmdNr(), nr + 1);
  ASSERT_NE(Heim(), nullptr);
  EXPECT_EQ(Heim()->lblAStand->Caption(), "1:0");
  EXPECT_EQ(Heim()->panTorTop->Caption(), "Tor Heim");
}

TEST_F(TeamAction, RecordsKeepWhatTheyDoNotSet) {
  Console();
  c().Click("btnHKarte");
  SelectRow(2);  // 9 Ole Brandt
  HeimCheck("radKarteGelbRot");
  HeimClick("btnKertaAnzeigen");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "type"}), "GelbRot");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "spielername"}), "Ole Brandt");
  HeimClick("btnKertaAus");

  c().Click("btnGTor");
  SelectRow(1);  // 7 Emil Richter
  HeimCheck("chkEigentor");
  HeimClick("btnTorPlay");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "eigentor"}), "ja");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "spielername"}), "Ole Brandt") << "the card's name stays";
  HeimClick("btnTorApply");

  c().Click("btnHSpieler");
  SelectRow(0);
  const std::string spieler = dir_.Read("Containers/System/files/spieler.xml");
  HeimClick("btnSpielerPlay");
  const std::string pres = "spielerPr\xC3\xA4sentation.xml";
  EXPECT_EQ(Saved(pres, {"settings", "type"}), "Spieler");
  EXPECT_EQ(Saved(pres, {"settings", "eigentor"}), "ja") << "the goal's own-goal flag stays";
  EXPECT_EQ(Saved(pres, {"settings", "vorname"}), "Jonas");
  EXPECT_EQ(dir_.Read("Containers/System/files/spieler.xml"), spieler) << "the presentation leaves spieler.xml";
  HeimClick("btnSpielerStop");

  c().Click("btnHTor");
  SelectRow(0);
  HeimClick("btnTorPlay");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "eigentor"}), "nein") << "a new dialog: the box unchecked";
}

TEST_F(TeamAction, PlayerNamesAndPictureAreText) {
  dir_.Write("Containers/Teams/A&B <i>/Team.xml",
             Roster(Player("5", "&lt;b&gt;Max", "M\xC3\xBCller \"Maxe\"", "a&quot;b c.png", "1") +
                    Player("6", "Kai", "Ohne", "", "2")));
  Console();
  f().panH1->SetTitle("A&B <i>");
  c().Click("btnHAufst");
  ASSERT_NE(Heim(), nullptr);
  EXPECT_FALSE(Heim()->Grid1->Html());
  SelectRow(0);
  EXPECT_EQ(Heim()->lblVor->Caption(), "<b>Max");
  EXPECT_FALSE(Heim()->lblVor->Html());
  EXPECT_FALSE(Heim()->lblNach->Html());
  EXPECT_EQ(Heim()->lblBild->Hint(), "a\"b c.png");
  EXPECT_EQ(Heim()->lblBild->Caption(),
            "<img src=\"Containers/Teams/A%26B%20%3Ci%3E/Spieler/a%22b%20c.png\" alt=\"\" width=\"76\" height=\"92\">");
  SelectRow(1);
  EXPECT_EQ(Heim()->lblBild->Caption(), "") << "no picture, no broken image";
  EXPECT_EQ(Heim()->lblBild->Hint(), "");
}

TEST_F(TeamAction, InternationalSubstitutionTakesTheSelectedRows) {
  Console();
  c().Click("btnHW");
  const int nr = CmdNr();
  HeimClick("frmWechselRausInt");  // nothing selected yet: the first row
  EXPECT_EQ(Heim()->lblWechselRausInt->Caption(), "1 Jonas Kr\xC3\xBCger");
  SelectRow(2);
  HeimClick("frmWechselReinInt");
  EXPECT_EQ(Heim()->lblWechselReinInt->Caption(), "9 Ole Brandt");
  EXPECT_EQ(Saved("spielerint.xml", {"raus", "vorname"}), "Jonas");
  EXPECT_EQ(Saved("spielerint.xml", {"rein", "vorname"}), "Ole");
  EXPECT_EQ(Saved("spielerint.xml", {"rein", "type"}), "Wechselrein");
  EXPECT_EQ(CmdNr(), nr) << "nothing shown before the apply";
  HeimClick("frmWechselIntApply");
  EXPECT_EQ(CmdNr(), nr + 1);
  EXPECT_EQ(Target(), "System\\Spielerheim_WechselInt.pyl");
  EXPECT_EQ(Heim(), nullptr);
}

TEST_F(TeamAction, TheNextButtonsWalkTheRowsAndStopAtTheLast) {
  Console();
  c().Click("btnHAufst");  // by match-report number: Malte, Ole, Jonas
  SelectRow(0);
  HeimClick("btnVorstPlay");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "vorname"}), "Malte");
  HeimClick("btnVorstNext");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "vorname"}), "Ole");
  HeimClick("btnVorstNext");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "vorname"}), "Jonas");
  const int nr = CmdNr();
  const std::string file = dir_.Read("Containers/System/files/spieler.xml");
  EXPECT_FALSE(Failed(HeimClick("btnVorstNext")));
  EXPECT_EQ(CmdNr(), nr) << "past the last row nothing is shown";
  EXPECT_EQ(dir_.Read("Containers/System/files/spieler.xml"), file);
  EXPECT_EQ(Heim()->lblVor->Caption(), "Jonas");

  HeimClick("btnVorstStop");
  c().Click("btnGSpieler");  // by match-report number: Emil, Paul
  SelectRow(0);
  HeimClick("btnSpielerNext");
  EXPECT_EQ(Saved("spielerPr\xC3\xA4sentation.xml", {"settings", "vorname"}), "Paul");
  EXPECT_EQ(Target(), "System\\Spielergast_Pr\xC3\xA4sentation.pyl");
}

TEST_F(TeamAction, TheScorePageCorrectsAndAppliesTheScore) {
  Console();
  c().Click("btnHTor");
  HeimClick("TorGM");  // at 0: nothing
  EXPECT_EQ(Heim()->lblAStand->Caption(), "1:0");
  HeimClick("TorHP");
  HeimClick("TorGP");
  HeimClick("TorGP");
  HeimClick("TorGM");
  EXPECT_EQ(Heim()->lblAStand->Caption(), "2:1");
  EXPECT_EQ(f().lblAStand->Caption(), "2:1");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "standHeim"}), "0") << "nothing saved before the apply";
  HeimClick("btnTorApply");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "standHeim"}), "2");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "standGast"}), "1");
  EXPECT_EQ(f().ReadMatchSetting("TorHeim"), "2");
  EXPECT_EQ(Target(), "System\\Spielstand.pyl");
  EXPECT_EQ(Heim(), nullptr);
}

TEST_F(TeamAction, EveryOpeningStartsFromTheDefinition) {
  dir_.Write("Containers/Teams/Kaputt/Team.xml", "<team><player>");
  Console();
  // The home scorer is chosen, then the apply and a guest goal arrive in
  // one request: the guest dialog knows nothing of the home scorer.
  c().Click("btnHTor");
  SelectRow(0);
  c().Send(Json::array({ClickOf("btnTorApply"), {{"t", "click"}, {"c", f().btnGTor->Id()}}}));
  ASSERT_NE(Heim(), nullptr);
  EXPECT_EQ(Heim()->panTeam->Caption(), "Gast");
  EXPECT_EQ(Heim()->lblVor->Caption(), "----");
  EXPECT_EQ(Heim()->lblBild->Hint(), "");
  HeimClick("btnTorPlay");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "vorname"}), "----");
  EXPECT_EQ(Saved("spieler.xml", {"settings", "team"}), "Gast");
  EXPECT_EQ(f().memoSLogGast->Lines().Items().back(), "10:05  ---- ---- 1:1");
  HeimClick("btnTorApply");

  // A roster that cannot be read: the opening fails and leaves no dialog
  // behind for the next one.
  f().panH1->SetTitle("Kaputt");
  EXPECT_TRUE(Failed(c().Click("btnHKarte")));
  EXPECT_EQ(Heim(), nullptr);
  f().panH1->SetTitle("Nordhafen");
  c().Click("btnHKarte");
  ASSERT_NE(Heim(), nullptr);
  EXPECT_TRUE(Heim()->IsShown());
  EXPECT_EQ(Heim()->Grid1->RowCount(), 3);
  HeimClick("btnKertaAus");

  // A team without a roster: its toast, and a dialog without players.
  f().panG1->SetTitle("Ohne");
  const Json ops = c().Click("btnGKarte");
  EXPECT_FALSE(OpsOf(ops, "toast").empty());
  ASSERT_NE(Heim(), nullptr);
  EXPECT_EQ(Heim()->Grid1->RowCount(), 0);
}
