// The team editor tab of a console, driven as a browser would: choosing a
// team, the roster grid with its pictures, new and deleted players, the
// sort, saving, new teams and the teams of the match.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "match/TeamEditor.h"
#include "session/match/team_tab.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
namespace fs = std::filesystem;

namespace {

// The bytes of the roster file a new team gets.
const std::string kTemplate =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<team>\r\n  <player>\r\n    <Nr>Nr</Nr>\r\n"
    "    <Vorname>Vorname</Vorname>\r\n    <Nachname>Nachname</Nachname>\r\n    <Gr\xF6sse>Gr\xF6sse</Gr\xF6sse>\r\n"
    "    <GebDatum>GebDatum</GebDatum>\r\n    <Bild>Bild</Bild>\r\n    <SpNr>SpNr</SpNr>\r\n"
    "    <SpBerNr>SpBerNr</SpBerNr>\r\n    <Aktiv>Aktiv</Aktiv>\r\n  </player>\r\n  <player>\r\n    <Nr>1</Nr>\r\n"
    "    <Vorname>-</Vorname>\r\n    <Nachname>-</Nachname>\r\n    <Gr\xF6sse>180</Gr\xF6sse>\r\n"
    "    <GebDatum>31.08.1974</GebDatum>\r\n    <Bild> </Bild>\r\n    <SpNr>1</SpNr>\r\n    <SpBerNr>1</SpBerNr>\r\n"
    "    <Aktiv>Ja</Aktiv>\r\n  </player>\r\n\r\n</team>\r\n\r\n";

class TeamEditor : public team_tab::TeamTab {
 protected:
  void Select(int row, int col = 0) {
    Do(Json::array({{{"t", "select"}, {"c", Id("gridTeam")}, {"col", col}, {"row", row}},
                    {{"t", "click"}, {"c", Id("gridTeam")}}}));
  }
  std::vector<std::string> Column(int col) {
    std::vector<std::string> out;
    for (int r = 0; r < f().gridTeam->RowCount(); ++r) out.push_back(f().gridTeam->Cells(col, r));
    return out;
  }
  std::set<std::string> Entries() {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) names.insert(e.path().string());
    return names;
  }
};

const char* kOle = "7|Ole|Brandt|180|01.01.2000|ole.png|1|2|Ja";
const char* kJan = "10|Jan|Kahl|180|01.01.2000|jan.jpg|1|0|Nein";
const char* kTom = "1|Tom|Berg|180|01.01.2000| |1|1|Ja";

}  // namespace

TEST_F(TeamEditor, TheStartUpListsTheTeamsInBothCombos) {
  std::vector<std::string> home = f().comboMHeim->Items().Items(), guest = f().comboMGast->Items().Items();
  std::sort(home.begin(), home.end());
  EXPECT_EQ(home, (std::vector<std::string>{"Kaputt", "Leer", "Nord", "Ohne"}));
  EXPECT_EQ(f().comboMGast->Items().Items(), f().comboMHeim->Items().Items());
  EXPECT_EQ(f().lblTeamname->Caption(), "Teamname:");
}

TEST_F(TeamEditor, ChoosingATeamLoadsEveryPlayerTheLogoAndThePictures) {
  EXPECT_TRUE(Choose("Nord").empty());
  EXPECT_EQ(f().lblTeamname->Caption(), "Nord");
  EXPECT_EQ(Rows(), (std::vector<std::string>{kOle, kJan, kTom}));
  EXPECT_EQ(f().lblTeamlogo->Caption(), "<img src=\"Containers\\Teams\\Nord\\logo.png \" alt=\"\" width=\"188\" >");
  std::vector<std::string> pictures = f().cmbPlayerPict->Items().Items();
  std::sort(pictures.begin(), pictures.end());
  EXPECT_EQ(pictures, (std::vector<std::string>{"Tom.JPG", "jan.jpg", "ole.png"}));

  // A team without a roster file, or with a name that is no folder of a
  // team: a toast from the match report's load and one from the roster's,
  // and the grid, logo and pictures stay.
  for (const char* team : {"Ohne", "Fehlt", "..\\..\\Config", "../Teams/Nord"}) {
    const std::string missing = "Team " + std::string(team) + " Team.xml nicht gefunden!";
    EXPECT_EQ(Choose(team), (std::vector<std::string>{missing, missing}));
    EXPECT_EQ(Rows(), (std::vector<std::string>{kOle, kJan, kTom})) << team;
    EXPECT_EQ(f().cmbPlayerPict->Items().Count(), 3) << team;
    EXPECT_NE(f().lblTeamlogo->Caption().find("Nord"), std::string::npos) << team;
  }
  // An empty choice loads nothing; the ".." button looks for it all the same.
  EXPECT_TRUE(Choose("").empty());
  EXPECT_EQ(Click("btnMHeimRefresh"),
            (std::vector<std::string>{"Team  Team.xml nicht gefunden!", "Team  Team.xml nicht gefunden!"}));
  // The guest side loads the same way.
  EXPECT_TRUE(Type("comboMGast", "Leer").empty());
  EXPECT_EQ(f().lblTeamname->Caption(), "Leer");
  EXPECT_TRUE(Rows().empty()) << "a roster of only the header is an empty team";
  EXPECT_TRUE(f().cmbPlayerPict->Items().Empty());

  // A roster that is no XML goes to the operator as an error; the grid stays.
  Choose("Nord");
  const std::vector<std::string> said = Choose("Kaputt");
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("cannot load XML file"), std::string::npos);
  EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(TeamEditor, ASelectedRowShowsItsPictureAndOkSetsTheChosenOne) {
  Choose("Nord");
  Select(1, 2);
  EXPECT_EQ(f().gridTeam->Tag(), 1);
  EXPECT_EQ(f().cmbPlayerPict->Text(), "jan.jpg");
  EXPECT_EQ(f().lblPlayerPict->Caption(), "<img src=\"Containers/Teams/Nord/Spieler/jan.jpg\" alt=\"\" width=\"140\" height=\"200\">");
  Type("cmbPlayerPict", "Tom.JPG");
  EXPECT_NE(f().lblPlayerPict->Caption().find("/Spieler/Tom.JPG\""), std::string::npos);
  Click("btnSetPlayer");
  EXPECT_EQ(f().gridTeam->Cells(5, 1), "Tom.JPG");
  // A player without a picture shows none.
  Select(2);
  EXPECT_EQ(f().cmbPlayerPict->Text(), " ");
  EXPECT_EQ(f().lblPlayerPict->Caption(), "");
  // A picture name typed into the grid goes into the tag escaped.
  Edit(5, 0, "a\" onerror=\"alert(1)<b>.png");
  Select(0);
  EXPECT_EQ(f().lblPlayerPict->Caption(),
            "<img src=\"Containers/Teams/Nord/Spieler/a&quot; onerror=&quot;alert(1)&lt;b&gt;.png\" alt=\"\" width=\"140\" "
            "height=\"200\">");
  // A name that leads out of the team's picture folder shows nothing.
  for (const char* outside : {"../../../Bilder/Sponsor.jpg", "..", "a\\b.png"}) {
    Edit(5, 0, outside);
    Select(0);
    EXPECT_EQ(f().lblPlayerPict->Caption(), "") << outside;
  }
  // The remembered row past the end of a smaller team: OK sets nothing.
  Select(2);
  Type("comboMGast", "Leer");
  Click("btnNewPlayer");
  Type("cmbPlayerPict", "ole.png");
  Click("btnSetPlayer");
  EXPECT_EQ(Rows(), std::vector<std::string>{"|Vorname|Nachname||||||"});
}

TEST_F(TeamEditor, NewAndDeletedPlayers) {
  Choose("Nord");
  // Before any selection "Löschen" takes row 0.
  Click("btnDelPlayer");
  EXPECT_EQ(Rows(), (std::vector<std::string>{kJan, kTom}));
  // The remembered row is an index: twice removes neighbours.
  Click("btnMHeimRefresh");
  Select(0);
  Click("btnDelPlayer");
  Click("btnDelPlayer");
  EXPECT_EQ(Rows(), std::vector<std::string>{kTom});
  // A new row after deletions holds the two names and nothing of the rows
  // that stood there before.
  Click("btnNewPlayer");
  Click("btnNewPlayer");
  EXPECT_EQ(Rows(), (std::vector<std::string>{kTom, "|Vorname|Nachname||||||", "|Vorname|Nachname||||||"}));
  EXPECT_EQ(f().gridTeam->Cells(9, 1), "");
  // Saved with an empty number.
  Click("btnTeamSave");
  EXPECT_EQ(Saved("Nord"), Rows());
}

TEST_F(TeamEditor, TheSortOrdersTheGridAndReachesTheFileOnlyOnSave) {
  Choose("Nord");
  Edit(0, 2, "");  // Tom has no number now
  Click("btnNewPlayer");
  Edit(0, 3, "A");
  Edit(1, 3, "anna");
  const struct {
    const char* by;
    int col;
    std::vector<std::string> order;
  } cases[] = {
      {"Nr", 0, {"", "A", "7", "10"}},
      {"SpBerNr", 7, {"", "0", "1", "2"}},  // the new row's empty slot and Jan's "0" keep their order
      {"Vorname", 1, {"anna", "Jan", "Ole", "Tom"}},
      {"Nachname", 2, {"Berg", "Brandt", "Kahl", "Nachname"}},
  };
  for (const auto& c : cases) {
    Type("cmbTeamSort", c.by);
    EXPECT_EQ(Column(c.col), c.order) << c.by;
  }
  EXPECT_EQ(Saved("Nord"), (std::vector<std::string>{kOle, kJan, kTom}));
  // A text that is no item sorts nothing.
  const std::vector<std::string> before = Rows();
  Type("cmbTeamSort", "Bild");
  EXPECT_EQ(Rows(), before);
  Click("btnTeamSave");
  EXPECT_EQ(Saved("Nord"), before);
}

TEST_F(TeamEditor, SavingWritesTheGridInTheFilesEncodingAndOnlyForTheLoadedTeam) {
  // Nothing loaded: refused, and no folder for the caption appears.
  auto before = Entries();
  EXPECT_EQ(Click("btnTeamSave"), std::vector<std::string>{"Kein Team geladen: nichts gespeichert."});
  EXPECT_EQ(Entries(), before);

  dir_.Write("Containers/Teams/Latin/Team.xml",
             "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<team><player/><player><Nr>5</Nr><Vorname>J\xFCrgen</Vorname>"
             "<Gr\xF6sse>190</Gr\xF6sse></player></team>\r\n");
  Choose("Latin");
  EXPECT_EQ(Rows(), std::vector<std::string>{"5|J\xC3\xBCrgen||190|||||"});
  Edit(2, 0, "M\xC3\xBCller \xC5\x81ukasz");  // a letter beyond Latin-1
  Click("btnTeamSave");
  const std::string bytes = dir_.Read("Containers/Teams/Latin/Team.xml");
  EXPECT_NE(bytes.find("ISO-8859-1"), std::string::npos);
  EXPECT_NE(bytes.find("J\xFCrgen"), std::string::npos);
  EXPECT_NE(bytes.find("<Gr\xF6sse>190</Gr\xF6sse>"), std::string::npos);
  EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << "no UTF-8 in a Latin-1 file";
  EXPECT_EQ(Saved("Latin"), std::vector<std::string>{"5|J\xC3\xBCrgen|M\xC3\xBCller \xC5\x81ukasz|190|||||"});

  // An empty roster is saved as the header alone.
  Choose("Leer");
  Click("btnTeamSave");
  EXPECT_TRUE(Saved("Leer").empty());
  plat::io::XmlDocument doc;
  doc.LoadFromFile(dir_.sys() + "Containers/Teams/Leer/Team.xml");
  EXPECT_EQ(doc.DocumentElement().ChildElements().size(), 1u);

  // A choice whose roster is missing keeps the former grid: saving it under
  // the new name is refused.
  Choose("Nord");
  Choose("Ohne");
  EXPECT_EQ(Click("btnTeamSave"), std::vector<std::string>{"Kein Team geladen: nichts gespeichert."});
  EXPECT_FALSE(fs::exists(dir_.path() / "Containers/Teams/Ohne/Team.xml"));
}

TEST_F(TeamEditor, ANewTeamIsOnePlainFolderThatDoesNotExistYet) {
  const struct {
    const char* typed;
    const char* message;  // "" when created
  } cases[] = {
      {"", "Kein g\xC3\xBCltiger Teamname: \"\""},
      {"   ", "Kein g\xC3\xBCltiger Teamname: \"   \""},
      {".", "Kein g\xC3\xBCltiger Teamname: \".\""},
      {"..", "Kein g\xC3\xBCltiger Teamname: \"..\""},
      {"..\\..\\files", "Kein g\xC3\xBCltiger Teamname: \"..\\..\\files\""},
      {"../../files", "Kein g\xC3\xBCltiger Teamname: \"../../files\""},
      {"Team:2", "Kein g\xC3\xBCltiger Teamname: \"Team:2\""},
      {"Nord", "Das Team Nord gibt es bereits."},
      {"nORD", "Das Team nORD gibt es bereits."},  // the same folder to the system
      {"Ohne", "Das Team Ohne gibt es bereits."},  // a folder without roster is kept too
  };
  Click("edtNewTeam");
  EXPECT_TRUE(f().edtTeamname->Visible());
  EXPECT_TRUE(f().btnNewTeamOK->Visible());
  for (const auto& c : cases) {
    const auto before = Entries();
    Type("edtTeamname", c.typed);
    EXPECT_EQ(Click("btnNewTeamOK"), std::vector<std::string>{c.message}) << c.typed;
    EXPECT_EQ(Entries(), before) << c.typed;
    EXPECT_TRUE(f().btnNewTeamOK->Visible());
  }
  EXPECT_FALSE(fs::exists(dir_.path() / "Containers/Teams/Nord/team.xml")) << "Nord's roster is Team.xml";
  EXPECT_NE(dir_.Read("Containers/Teams/Nord/Team.xml").find("Ole"), std::string::npos);

  // Surrounding blanks are dropped; the roster is the template, byte for byte.
  Type("edtTeamname", "  Blau-Wei\xC3\x9F 07 ");
  EXPECT_TRUE(Click("btnNewTeamOK").empty());
  EXPECT_EQ(dir_.Read("Containers/Teams/Blau-Wei\xC3\x9F 07/team.xml"), kTemplate);
  EXPECT_TRUE(fs::is_directory(dir_.path() / "Containers/Teams/Blau-Wei\xC3\x9F 07/Spieler"));
  EXPECT_FALSE(f().edtTeamname->Visible());
  EXPECT_FALSE(f().btnNewTeamOK->Visible());
  EXPECT_EQ(f().edtTeamname->Text(), "  Blau-Wei\xC3\x9F 07 ");
  EXPECT_GE(f().comboMHeim->Items().IndexOf("Blau-Wei\xC3\x9F 07"), 0);
  EXPECT_EQ(f().comboMGast->Items().Items(), f().comboMHeim->Items().Items());
  EXPECT_EQ(f().comboMHeim->Items().Count(), 5);
  EXPECT_EQ(f().lblTeamname->Caption(), "Teamname:") << "the new team is not loaded";
  // Chosen, it holds the template's sample player.
  Choose("Blau-Wei\xC3\x9F 07");
  EXPECT_EQ(Rows(), std::vector<std::string>{"1|-|-|180|31.08.1974| |1|1|Ja"});
}

TEST_F(TeamEditor, TheTeamsOfTheMatchGoToTheConfigurationAndTheScorePanels) {
  Type("comboMHeim", "Nord");
  Type("comboMGast", "A\"<b>");
  Click("edtApplyTeams");
  EXPECT_EQ(f().ReadMatchSetting("Heim"), "Nord");
  EXPECT_EQ(f().ReadMatchSetting("Gast"), "A\"<b>");
  EXPECT_EQ(f().ReadMatchSetting("TorHeim"), "2");
  EXPECT_EQ(f().panH1->Title(), "Nord");
  EXPECT_EQ(f().panG1->Title(), "A\"<b>") << "a panel title is text";
  if (auto* logo = dynamic_cast<plat::ui::TUniLabel*>(f().FindComponent("logoGast"))) {
    EXPECT_EQ(logo->Caption(), "<img src=\"Containers\\Teams\\A&quot;&lt;b&gt;\\logo.png \" alt=\"\" width=\"115\" >");
  }
  // An empty home team is written and shown as it is.
  Type("comboMHeim", "");
  Click("edtApplyTeams");
  EXPECT_NE(dir_.Read("Config/tessarine.ini").find("Heim=\r\n"), std::string::npos);
  EXPECT_EQ(f().panH1->Title(), "");
}

TEST_F(TeamEditor, TheActionDialogGetsThePlayersOfTheMatchReport) {
  plat::ui::GridModel grid(10, 2);
  grid.SetCell(0, 0, "keep");
  f().LoadTeamIntoHeimDialog("Fehlt", grid);
  EXPECT_EQ(grid.Cell(0, 0), "keep");
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(OpsOf(console_->Send(Json::array()), "toast").at(0).value("text", ""), "Team Fehlt Team.xml nicht gefunden!");

  f().LoadTeamIntoHeimDialog("Nord", grid);
  std::vector<std::string> numbers;
  for (int r = 0; r < grid.RowCount(); ++r) numbers.push_back(grid.Cell(0, r) + " " + grid.Cell(5, r));
  EXPECT_EQ(numbers, (std::vector<std::string>{"7 ole.png", "1  "})) << "Jan's slot is 0";
  EXPECT_NE(f().lblTeamlogo->Caption().find("Teams\\Nord\\logo.png"), std::string::npos);
  EXPECT_EQ(Rows(), std::vector<std::string>{"||||||||"}) << "the editor's grid is not touched";
}

// The demo installation's two teams: each roster loads, every picture it
// names lies in the team's "Spieler" folder, and each team has its logo.
TEST(TeamEditorDemo, TheDemoTeamsLoadWithTheirPicturesAndLogos) {
  team_tab::WithDemoConsole([](SessionDriver& console, const fs::path& dir) {
    TMainForm& f = console.Form();
    f.FillTeamCombos();
    for (const std::string team : {"FC Nordhafen", "SV Lindenau"}) {
      EXPECT_GE(f.comboMHeim->Items().IndexOf(team), 0) << team;
      EXPECT_TRUE(fs::is_regular_file(dir / "Containers/Teams" / team / "logo.png")) << team;
      f.lblTeamname->SetCaption(team);
      f.btnLoadTeamClick(f.btnLoadTeam);
      EXPECT_TRUE(OpsOf(console.Send(Json::array()), "toast").empty()) << team;
      EXPECT_GE(f.gridTeam->RowCount(), 11) << team;
      int onReport = 0;
      for (int r = 0; r < f.gridTeam->RowCount(); ++r) {
        const std::string picture = f.gridTeam->Cells(5, r);
        EXPECT_GE(f.cmbPlayerPict->Items().IndexOf(picture), 0) << team << " " << picture;
        if (f.gridTeam->Cells(7, r) != "0") ++onReport;
      }
      EXPECT_GE(onReport, 11) << team;
    }
  });
}
