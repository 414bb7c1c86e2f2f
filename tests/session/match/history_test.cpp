// The game histories of a console: entries of goals in the two memos and
// the home ones in "debug.txt", the history documents the display pages
// read, and the new game with its confirmation.
#include <filesystem>

#include "match_console_fixture.h"
#include "platform/io/text_file.h"

using namespace match_console;

namespace {

class History : public MatchConsole {
 protected:
  // The items of a saved history document; it must be readable.
  std::vector<std::string> Items(const std::string& file) {
    plat::io::XmlDocument doc;
    doc.LoadFromFile(FilesPath(file));
    EXPECT_EQ(doc.DocumentElement().Name(), "verlauf");
    std::vector<std::string> items;
    for (const plat::io::XmlNode& n : doc.DocumentElement().ChildElements()) {
      EXPECT_EQ(n.Name(), "item");
      items.push_back(n.Text());
    }
    return items;
  }
  // The operator types the memo's lines.
  void TypeLines(const std::string& memo, std::vector<std::string> lines) {
    c().Send(Json::array({{{"t", "change"}, {"c", f().Get<plat::ui::Component>(memo)->Id()}, {"p", "lines"}, {"v", lines}}}));
  }
  // A goal of one side, scored by the dialog's first row.
  void Goal(const char* opener) {
    c().Click(opener);
    SelectRow(0);
    HeimClick("btnTorPlay");
    HeimClick("btnTorApply");
  }
  // The log as text (a new log is in the code page when every character fits).
  std::string Debug() const { return plat::io::ReadTextFile(dir_.sys() + "debug.txt").text; }
  bool DebugExists() const { return std::filesystem::exists(dir_.path() / "debug.txt"); }
};

}  // namespace

TEST_F(History, HomeEntriesGoToTheMemoAndTheLogGuestEntriesToTheMemo) {
  Console();
  TypeLines("memoSLog", {"Anpfiff 15:00"});
  ASSERT_FALSE(DebugExists());
  Goal("btnHTor");
  EXPECT_EQ(f().memoSLog->Lines().Items(), (std::vector<std::string>{"Anpfiff 15:00", "10:05  Jonas Kr\xC3\xBCger 1:0"}))
      << "creating the log keeps the memo";
  EXPECT_EQ(Debug(), "15:10:05,10:05  Jonas Kr\xC3\xBCger 1:0\r\n");

  now_.minute = 20;
  Goal("btnGTor");
  EXPECT_EQ(f().memoSLogGast->Lines().Items(), (std::vector<std::string>{"20:05  Paul Wagner 1:1"}));
  now_.minute = 31;
  Goal("btnHTor");
  EXPECT_EQ(plat::io::ReadLines(dir_.sys() + "debug.txt"),
            (std::vector<std::string>{"15:10:05,10:05  Jonas Kr\xC3\xBCger 1:0", "15:31:05,31:05  Jonas Kr\xC3\xBCger 2:1"}))
      << "guest entries and typed lines stay out of the log";

  // A log that cannot be written: the memo still has the entry.
  std::filesystem::remove(dir_.path() / "debug.txt");
  std::filesystem::create_directory(dir_.path() / "debug.txt");
  c().Click("btnHTor");
  SelectRow(1);
  EXPECT_FALSE(Failed(HeimClick("btnTorPlay")));
  EXPECT_EQ(f().memoSLog->Lines().Items().back(), "31:05  Malte Jensen 3:1");
}

TEST_F(History, ASaveWritesTheMemoAsItIsOnce) {
  Console();
  c().Click("btnSaveVerlauf");
  EXPECT_TRUE(Items("spielverlaufHeim.xml").empty()) << "an empty history is a document too";

  Goal("btnHTor");
  TypeLines("memoSLog", {f().memoSLog->Lines()[0], "Halbzeit"});
  c().Click("btnSaveVerlauf");
  Goal("btnHTor");
  c().Click("btnSaveVerlauf");
  EXPECT_EQ(Items("spielverlaufHeim.xml"),
            (std::vector<std::string>{"10:05  Jonas Kr\xC3\xBCger 1:0", "Halbzeit", "10:05  Jonas Kr\xC3\xBCger 2:0"}));
  EXPECT_FALSE(FileExists("spielverlaufGast.xml"));

  TypeLines("memoSLogGast", {"Gelb <Wagner> & Co"});
  c().Click("btnSaveVerlaufGast");
  EXPECT_EQ(Items("spielverlaufGast.xml"), (std::vector<std::string>{"Gelb <Wagner> & Co"}));
  EXPECT_EQ(Items("spielverlaufHeim.xml").size(), 3u);
}

TEST_F(History, OnlyYesStartsANewGame) {
  Console();
  Goal("btnHTor");
  Goal("btnGTor");
  c().Click("btnSaveVerlauf");
  c().Click("btnSaveVerlaufGast");
  const std::string spielstand = dir_.Read("Containers/System/files/spielstand.xml");
  const std::string ini = dir_.Read("Config/tessarine.ini");
  for (const char* answer : {"no", ""}) {  // "" is Esc or the box closed
    const auto boxes = OpsOf(c().Click("btnSpielNew"), "box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["text"], "Neues Spiel starten ?");
    Answer(boxes[0], answer);
    EXPECT_EQ(f().nTorHeim, 1) << "answer \"" << answer << "\"";
    EXPECT_EQ(f().memoSLogGast->Lines().Count(), 1);
    EXPECT_EQ(dir_.Read("Containers/System/files/spielstand.xml"), spielstand);
    EXPECT_EQ(dir_.Read("Config/tessarine.ini"), ini);
  }

  const std::string debug = Debug();
  const auto boxes = OpsOf(c().Click("btnSpielNew"), "box");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_FALSE(Failed(Answer(boxes[0], "yes")));
  EXPECT_EQ(f().nTorHeim, 0);
  EXPECT_EQ(f().nTorGast, 0);
  EXPECT_EQ(f().lblAStand->Caption(), "0:0");
  EXPECT_TRUE(f().memoSLog->Lines().Empty());
  EXPECT_TRUE(f().memoSLogGast->Lines().Empty());
  EXPECT_EQ(f().ReadMatchSetting("TorHeim"), "0");
  EXPECT_EQ(f().ReadMatchSetting("TorGast"), "0");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "standHeim"}), "0");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "standGast"}), "0");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "Spielabschnitt"}), "0");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "teamHeim"}), "Nordhafen") << "the names shown before";
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "teamGast"}), "Lindenau");
  EXPECT_EQ(Saved("spielstand.xml", {"settings", "gameTime"}), "15:00:00") << "the clock stays";
  EXPECT_TRUE(Items("spielverlaufHeim.xml").empty());
  EXPECT_TRUE(Items("spielverlaufGast.xml").empty()) << "no display shows the last game's guest goals";
  EXPECT_EQ(f().panH1->Title(), "Heim");
  EXPECT_EQ(f().panG1->Title(), "Gast");
  EXPECT_EQ(f().ReadMatchSetting("Heim"), "Heim");
  EXPECT_EQ(f().ReadMatchSetting("Gast"), "Gast");
  EXPECT_EQ(Debug(), debug) << "the log keeps every game";
}
