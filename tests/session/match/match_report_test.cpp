// The match report on the team editor tab, driven as a browser would: its
// three states (nothing loaded, loaded with a team, a new report being
// entered) and what each action does in them, the check of typed numbers
// with the delayed copy of the names, saving into the roster, and the
// reports of the demo teams.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "match/MatchReport.h"
#include "match/TeamEditor.h"
#include "session/match/team_tab.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using team_tab::kHeader;
using team_tab::Player;
using team_tab::RowsOf;
using testing_support::SessionDriver;
namespace fs = std::filesystem;

namespace {

const std::string kNew = "Spielbericht l\xC3\xB6schen ?";
const std::string kNordFile = "7:2:Ja 10:0:Nein 1:1:Ja";  // Nord's roster as written: Nr:SpBerNr:Aktiv

class MatchReport : public team_tab::TeamTab {
 protected:
  // "Spielbericht Neu", answered as given ("yes", "no", "" for Esc).
  std::vector<std::string> NewReport(const std::string& answer) {
    answer_ = answer;
    std::vector<std::string> said = Click("btnSBNeu");
    answer_ = "ok";
    return said;
  }
  std::vector<std::string> Slot(int row, const std::string& number) { return Edit(1, row, number, "gridTeamAktiv"); }
  // The report grid as stored, all rows or the first n.
  std::vector<std::string> Report() { return RowsOf(*f().gridTeamAktiv, 4); }
  std::string First(std::size_t n) {
    std::vector<std::string> rows = Report();
    std::string out;
    for (std::size_t i = 0; i < std::min(n, rows.size()); ++i) out += (i ? " / " : "") + rows[i];
    return out;
  }
  // One row of the report grid as the browser is shown it.
  std::string Shown(int row) {
    const Json cells = f().gridTeamAktiv->RenderProp("cells");
    std::string out;
    for (std::size_t c = 0; c < 4; ++c) out += (c ? "|" : "") + cells.at(row).at(c).get<std::string>();
    return out;
  }
  // Nr:SpBerNr:Aktiv of every roster row, of the grid or of a file.
  static std::string Slots(const plat::ui::GridModel& g) {
    std::string out;
    for (int r = 0; r < g.RowCount(); ++r)
      out += (r ? " " : "") + g.Cell(0, r) + ":" + g.Cell(7, r) + ":" + g.Cell(8, r);
    return out;
  }
  std::string RosterSlots() { return Slots(*f().gridTeam); }
  std::string FileSlots(const std::string& team) {
    plat::io::XmlDocument doc;
    doc.LoadFromFile(dir_.sys() + "Containers/Teams/" + team + "/Team.xml");
    plat::ui::GridModel g(10, 0);
    RosterToGrid(doc, g, false);
    return Slots(g);
  }
};

}  // namespace

TEST_F(MatchReport, EachStateAndWhatTheActionsDoInIt) {
  const std::vector<std::pair<std::string, std::function<void()>>> states = {
      {"initial", [] {}},
      {"loaded", [&] { Choose("Nord"); }},
      {"entry",
       [&] {
         Choose("Nord");
         NewReport("yes");
         Slot(1, "7");
         console_->Advance(300);
       }},
  };
  const std::vector<std::pair<std::string, std::function<std::vector<std::string>()>>> actions = {
      {"known number", [&] { return Slot(0, "10"); }},
      {"unknown number", [&] { return Slot(0, "99"); }},
      {"Neu, No", [&] { return NewReport("no"); }},
      {"Neu, Esc", [&] { return NewReport(""); }},
      {"Neu, Yes", [&] { return NewReport("yes"); }},
      {"choose", [&] { return Type("comboMGast", "Nord"); }},
      {"choose missing", [&] { return Choose("Ohne"); }},
      {"save", [&] { return Click("btnSBSave"); }},
  };
  struct Outcome {
    std::vector<std::string> said;
    int rows;
    std::string first;  // rows 0 and 1 as stored
    std::string shown;  // row 0 as shown
    bool save;          // "Spielbericht Speichern" shown
    std::string roster, file;
  };
  const std::string nordRoster = kNordFile, off = "7:0:Nein 10:0:Nein 1:0:Nein";
  const std::string nord = "1|1|Tom|Berg / 2|7|Ole|Brandt", fresh = "1||| / 2|||", entered = "1||| / 2|7|Ole|Brandt";
  const std::string missing = "Team Ohne Team.xml nicht gefunden!";
  const std::map<std::pair<std::string, std::string>, Outcome> expected = {
      // Nothing loaded: typed numbers are not checked; save is hidden.
      {{"initial", "known number"}, {{}, 1, "|10||", "|10||", false, "::", kNordFile}},
      {{"initial", "unknown number"}, {{}, 1, "|99||", "|99||", false, "::", kNordFile}},
      {{"initial", "Neu, No"}, {{kNew}, 1, "|||", "|||", false, "::", kNordFile}},
      {{"initial", "Neu, Esc"}, {{kNew}, 1, "|||", "|||", false, "::", kNordFile}},
      {{"initial", "Neu, Yes"}, {{kNew}, 26, fresh, "1|||", true, ":0:Nein", kNordFile}},
      {{"initial", "choose"}, {{}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      {{"initial", "choose missing"}, {{missing, missing}, 1, "|||", "|||", false, "::", kNordFile}},
      {{"initial", "save"}, {{}, 1, "|||", "|||", false, "::", kNordFile}},
      // Loaded from the file: not checked either.
      {{"loaded", "known number"}, {{}, 2, "1|10|Tom|Berg / 2|7|Ole|Brandt", "1|10|Tom|Berg", false, nordRoster, kNordFile}},
      {{"loaded", "unknown number"}, {{}, 2, "1|99|Tom|Berg / 2|7|Ole|Brandt", "1|99|Tom|Berg", false, nordRoster, kNordFile}},
      {{"loaded", "Neu, No"}, {{kNew}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      {{"loaded", "Neu, Esc"}, {{kNew}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      {{"loaded", "Neu, Yes"}, {{kNew}, 26, fresh, "1|||", true, off, kNordFile}},
      {{"loaded", "choose"}, {{}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      {{"loaded", "choose missing"}, {{missing, missing}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      {{"loaded", "save"}, {{}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      // A new report: numbers are checked, names follow, the file only on save.
      {{"entry", "known number"}, {{}, 26, "1|10|Jan|Kahl / 2|7|Ole|Brandt", "1|10|Jan|Kahl", true, off, kNordFile}},
      {{"entry", "unknown number"}, {{}, 26, "1|99|| / 2|7|Ole|Brandt", "?|?|?|?", true, off, kNordFile}},
      {{"entry", "Neu, No"}, {{kNew}, 26, entered, "1|||", true, off, kNordFile}},
      {{"entry", "Neu, Esc"}, {{kNew}, 26, entered, "1|||", true, off, kNordFile}},
      {{"entry", "Neu, Yes"}, {{kNew}, 26, fresh, "1|||", true, off, kNordFile}},
      {{"entry", "choose"}, {{}, 2, nord, "1|1|Tom|Berg", false, nordRoster, kNordFile}},
      {{"entry", "choose missing"}, {{missing, missing}, 26, entered, "1|||", false, off, kNordFile}},
      {{"entry", "save"}, {{}, 26, entered, "1|||", true, "7:2:Ja 10:0:Nein 1:0:Nein", "7:2:Ja 10:0:Nein 1:0:Nein"}},
  };
  for (const auto& [state, enter] : states)
    for (const auto& [action, act] : actions) {
      SCOPED_TRACE(state + ", " + action);
      TearDown();
      SetUp();
      enter();
      const std::vector<std::string> said = act();
      console_->Advance(300);
      const Outcome& want = expected.at({state, action});
      EXPECT_EQ(said, want.said);
      EXPECT_EQ(f().gridTeamAktiv->RowCount(), want.rows);
      EXPECT_EQ(First(2), want.first);
      EXPECT_EQ(Shown(0), want.shown);
      EXPECT_EQ(f().btnSBSave->Visible(), want.save);
      EXPECT_EQ(RosterSlots(), want.roster);
      EXPECT_EQ(FileSlots("Nord"), want.file);
    }
}

TEST_F(MatchReport, TypedNumbersAreCheckedAgainstTheRosterAndTheOtherSlots) {
  const struct Case {
    const char* what;
    std::vector<std::tuple<int, int, const char*>> typed;  // col, row, text
    std::vector<std::string> said, stored, shown;          // slots 1 and 2
  } cases[] = {
      {"a player's number", {{1, 0, "7"}}, {}, {"1|7|Ole|Brandt", "2|||"}, {"1|7|Ole|Brandt", "2|||"}},
      {"typed names give way", {{2, 0, "Xaver"}, {3, 0, "Y"}, {1, 0, "7"}}, {}, {"1|7|Ole|Brandt", "2|||"},
       {"1|7|Ole|Brandt", "2|||"}},
      {"another player's number", {{1, 0, "7"}, {1, 0, "1"}}, {}, {"1|1|Tom|Berg", "2|||"}, {"1|1|Tom|Berg", "2|||"}},
      {"duplicate", {{1, 0, "7"}, {1, 1, "7"}}, {"Spieler existiert bereits! Nr: 7"}, {"1|7|Ole|Brandt", "2|7||"},
       {"1|7|Ole|Brandt", "2|7||"}},
      {"unknown number", {{1, 0, "99"}}, {}, {"1|99||", "2|||"}, {"?|?|?|?", "2|||"}},
      {"leading zero", {{1, 0, "07"}}, {}, {"1|07||", "2|||"}, {"?|?|?|?", "2|||"}},
      {"surrounding blank", {{1, 0, " 7"}}, {}, {"1| 7||", "2|||"}, {"?|?|?|?", "2|||"}},
      {"question mark", {{1, 0, "?"}, {2, 0, "Gast"}}, {}, {"1|?|Gast|", "2|||"}, {"1|?|Gast|", "2|||"}},
      {"a slot number typed over", {{0, 0, "12"}, {1, 0, "10"}}, {}, {"12|10|Jan|Kahl", "2|||"},
       {"12|10|Jan|Kahl", "2|||"}},
  };
  Choose("Nord");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NewReport("yes");
    std::vector<std::string> said;
    for (const auto& [col, row, text] : c.typed)
      for (const std::string& s : Edit(col, row, text, "gridTeamAktiv")) said.push_back(s);
    console_->Advance(300);
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(Report().at(0) + " " + Report().at(1), c.stored[0] + " " + c.stored[1]);
    EXPECT_EQ(Shown(0) + " " + Shown(1), c.shown[0] + " " + c.shown[1]);
  }
}

TEST_F(MatchReport, DrawingTheGridChangesNothing) {
  Choose("Nord");
  NewReport("yes");
  EXPECT_EQ(Slot(0, "7"), std::vector<std::string>{});
  console_->Advance(300);
  EXPECT_EQ(Slot(1, "7"), std::vector<std::string>{"Spieler existiert bereits! Nr: 7"});
  EXPECT_EQ(Slot(2, "99"), std::vector<std::string>{});
  // Every later answer draws the grid again: no toast, no copy started.
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(testing_support::OpsOf(console_->Send(Json::array()), "toast").empty());
    EXPECT_EQ(Shown(2), "?|?|?|?");
    EXPECT_FALSE(f().timerSB->Enabled());
  }
  EXPECT_EQ(First(3), "1|7|Ole|Brandt / 2|7|| / 3|99||");
}

TEST_F(MatchReport, TheNamesFollow300MsAfterTheNumberForEverySlotTyped) {
  Choose("Nord");
  NewReport("yes");
  Slot(0, "7");
  EXPECT_EQ(First(1), "1|7||");
  console_->Advance(299);
  EXPECT_EQ(First(1), "1|7||");
  console_->Advance(1);
  EXPECT_EQ(First(1), "1|7|Ole|Brandt");
  EXPECT_FALSE(f().timerSB->Enabled()) << "fires once per start";
  // Two slots typed before the copy: both get their names.
  Do(Json::array({{{"t", "cell"}, {"c", Id("gridTeamAktiv")}, {"col", 1}, {"row", 1}, {"v", "1"}},
                  {{"t", "cell"}, {"c", Id("gridTeamAktiv")}, {"col", 1}, {"row", 2}, {"v", "10"}}}));
  console_->Advance(300);
  EXPECT_EQ(First(3), "1|7|Ole|Brandt / 2|1|Tom|Berg / 3|10|Jan|Kahl");
  // A team chosen before the copy: the loaded report is left as it is.
  NewReport("yes");
  Slot(0, "7");
  Click("btnMHeimRefresh");
  console_->Advance(300);
  EXPECT_EQ(Report(), (std::vector<std::string>{"1|1|Tom|Berg", "2|7|Ole|Brandt"}));
}

TEST_F(MatchReport, AnEmptyNumberNeverNamesAPlayer) {
  Choose("Nord");
  Click("btnNewPlayer");  // a roster row without a number
  NewReport("yes");
  EXPECT_EQ(Edit(2, 0, "Gast", "gridTeamAktiv"), std::vector<std::string>{});
  console_->Advance(300);
  EXPECT_EQ(First(2), "1||Gast| / 2|||");
  EXPECT_EQ(Shown(0), "1||Gast|");
  Slot(1, "7");
  console_->Advance(300);
  Click("btnSBSave");
  EXPECT_EQ(FileSlots("Nord"), "7:2:Ja 10:0:Nein 1:0:Nein :0:Nein") << "the new player stays off the report";
  plat::ui::GridModel dialog(10, 0);
  f().LoadTeamIntoHeimDialog("Nord", dialog);
  EXPECT_EQ(RowsOf(dialog, 3), std::vector<std::string>{"7|Ole|Brandt"});
}

TEST_F(MatchReport, SavingPutsThePlayersOfTheSlotsOnTheReport) {
  Choose("Nord");
  NewReport("yes");
  Slot(0, "1");
  Slot(1, "7");
  Slot(2, "99");  // nobody's
  Edit(0, 1, "12", "gridTeamAktiv");
  console_->Advance(300);
  EXPECT_TRUE(Click("btnSBSave").empty());
  EXPECT_EQ(FileSlots("Nord"), "7:12:Ja 10:0:Nein 1:1:Ja");
  EXPECT_EQ(Saved("Nord"), Rows()) << "the whole roster grid is written";
  // Still entering: corrected and saved again. Slot 1 now holds Jan's
  // number; two slots with Ole's, the later wins.
  EXPECT_TRUE(f().btnSBSave->Visible());
  Slot(0, "10");
  Slot(5, "7");
  console_->Advance(300);
  Click("btnSBSave");
  EXPECT_EQ(FileSlots("Nord"), "7:6:Ja 10:1:Ja 1:0:Nein");
  // Chosen again, the report comes from the file in slot order.
  Click("btnMHeimRefresh");
  EXPECT_EQ(Report(), (std::vector<std::string>{"1|10|Jan|Kahl", "6|7|Ole|Brandt"}));
  // Saving a report of another team than the roster's writes nothing.
  NewReport("yes");
  Slot(0, "7");
  Choose("Ohne");
  EXPECT_FALSE(f().btnSBSave->Visible());
  f().btnSBSaveClick(f().btnSBSave);
  EXPECT_EQ(FileSlots("Nord"), "7:6:Ja 10:1:Ja 1:0:Nein");
  EXPECT_FALSE(fs::exists(dir_.path() / "Containers/Teams/Ohne/Team.xml"));
}

TEST_F(MatchReport, ALoadedReportHoldsThePlayersOfNonZeroSlotsInSlotOrderUnchecked) {
  dir_.Write("Containers/Teams/Bericht/Team.xml",
             "<?xml version=\"1.0\"?><team>" + kHeader + Player("5", "A", "Drei", "", "3") + Player("6", "B", "Null", "", "0") +
                 Player("8", "C", "Leer", "", "") + Player("9", "D", "Zehn", "", "10") + Player("5", "E", "Zwei", "", "2") +
                 "<player><Nr>4</Nr><Vorname>F</Vorname><Nachname>Ohne</Nachname></player>" +
                 Player("77", "G", "Eins", "", "1") + "</team>");
  EXPECT_TRUE(Choose("Bericht").empty());
  EXPECT_EQ(Report(), (std::vector<std::string>{"|8|C|Leer", "|4|F|Ohne", "1|77|G|Eins", "2|5|E|Zwei", "3|5|A|Drei",
                                                "10|9|D|Zehn"}));
  // Duplicate and unknown numbers of a loaded report go unremarked.
  EXPECT_TRUE(Slot(0, "5").empty());
  EXPECT_TRUE(Slot(1, "99").empty());
  console_->Advance(300);
  EXPECT_EQ(Shown(0), "|5|C|Leer");
  EXPECT_EQ(Shown(1), "|99|F|Ohne");
  EXPECT_EQ(f().lblTeamlogo->Caption(), "<img src=\"Containers\\Teams\\Bericht\\logo.png \" alt=\"\" width=\"188\" >");
}

// The demo teams come with their match reports: every slot's number names
// one player of the roster, under his names, and no number or slot twice.
TEST(MatchReportDemo, TheDemoTeamsHaveTheirMatchReports) {
  team_tab::WithDemoConsole([](SessionDriver& console, const fs::path&) {
    TMainForm& f = console.Form();
    for (const std::string team : {"FC Nordhafen", "SV Lindenau"}) {
      SCOPED_TRACE(team);
      f.lblTeamname->SetCaption(team);
      f.LoadTeamIntoReport(team, *f.gridTeamAktiv);
      f.btnLoadTeamClick(f.btnLoadTeam);
      EXPECT_TRUE(testing_support::OpsOf(console.Send(Json::array()), "toast").empty());
      const plat::ui::GridModel& report = *f.gridTeamAktiv;
      EXPECT_GE(report.RowCount(), 11);
      EXPECT_LE(report.RowCount(), kReportSlots);
      std::set<std::string> slots, numbers;
      for (int r = 0; r < report.RowCount(); ++r) {
        slots.insert(report.Cell(0, r));
        numbers.insert(report.Cell(1, r));
        const int player = FindPlayerByNumber(*f.gridTeam, report.Cell(1, r));
        ASSERT_GE(player, 0) << report.Cell(1, r);
        EXPECT_EQ(f.gridTeam->Cells(1, player) + " " + f.gridTeam->Cells(2, player),
                  report.Cell(2, r) + " " + report.Cell(3, r));
        EXPECT_EQ(f.gridTeam->Cells(8, player), "Ja");
      }
      EXPECT_EQ(static_cast<int>(slots.size()), report.RowCount());
      EXPECT_EQ(static_cast<int>(numbers.size()), report.RowCount());
      plat::ui::GridModel dialog(10, 0);
      f.LoadTeamIntoHeimDialog(team, dialog);
      EXPECT_EQ(dialog.RowCount(), report.RowCount());
    }
  });
}
