// The match's state documents of a console: loading with its toasts,
// element access that creates what is missing, saves in the file's own
// encoding, and changes of two consoles that both survive.
#include <gtest/gtest.h>

#include <thread>

#include "match/MatchState.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::io::XmlDocument;
using plat::io::XmlError;
using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

const char* kSpielstand =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<spielstand>\r\n  <settings>\r\n    <standHeim>0</standHeim>\r\n"
    "    <standGast>0</standGast>\r\n  </settings>\r\n</spielstand>\r\n";

class MatchState : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Containers/System/files/spielstand.xml", kSpielstand);
    dir_.Write("Containers/System/files/spielerint.xml", "<?xml version=\"1.0\"?><int><raus/><rein/></int>");
    dir_.Write("Containers/System/files/Matchday.xml", "<?xml version=\"1.0\"?><matchday/>");
    dir_.Write("Config/tessarine.ini", "[Settings]\r\nport=8077\r\n");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    consoles_.clear();
    SetUniServerModule(nullptr);
  }
  TMainForm& Console() {
    consoles_.push_back(std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}}));
    TMainForm& f = consoles_.back()->Form();
    f.LoadMatchDocuments();
    return f;
  }
  // The system path of a state document.
  std::string File(const std::string& name) { return dir_.sys() + "Containers/System/files/" + name; }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::vector<std::unique_ptr<SessionDriver>> consoles_;
};

}  // namespace

TEST_F(MatchState, EachDocumentLoadsOnItsOwnAndAFailedOneIsNeverWritten) {
  TMainForm& f = Console();
  const Json ops = consoles_.back()->Send(Json::array());
  std::vector<std::string> toasts;
  for (const Json& op : OpsOf(ops, "toast")) toasts.push_back(op.value("text", ""));
  EXPECT_EQ(toasts, std::vector<std::string>{"Error Load spieler.xml!"}) << "spieler.xml is missing";
  EXPECT_TRUE(f.xmlSpielstand.Active());
  EXPECT_TRUE(f.xmlSpielerInt.Active()) << "spielerint.xml is spielerInt.xml";
  EXPECT_TRUE(f.xmlMatchday.Active());
  EXPECT_FALSE(f.xmlSpieler.Active());
  EXPECT_THROW(ChangeMatchDocument(f.xmlSpieler, File("spieler.xml"), {{{"settings", "type"}, "Gelb"}}), XmlError);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Containers/System/files/spieler.xml"));
}

TEST_F(MatchState, AMissingSettingsElementIsCreatedOnTheFirstSave) {
  dir_.Write("Containers/System/files/spielstand.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<spielstand><info/></spielstand>\r\n");
  TMainForm& f = Console();
  EXPECT_EQ(ReadMatchElement(f.xmlSpielstand, {"settings", "gameTimeStatus"}), "") << "a read adds it, empty";
  ChangeMatchDocument(f.xmlSpielstand, File("spielstand.xml"), {{{"settings", "standHeim"}, "2"}});
  XmlDocument saved;
  saved.LoadFromFile(File("spielstand.xml"));
  const auto children = saved.DocumentElement().ChildElements();
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[1].Name(), "settings") << "appended as the last child of the root";
  EXPECT_EQ(ReadMatchElement(saved, {"settings", "standHeim"}), "2");
}

TEST_F(MatchState, ADocumentIsSavedInTheEncodingItsFileDeclares) {
  dir_.Write("Containers/System/files/spielstand.xml",
             "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<spielstand><settings><teamHeim>M\xFCller</teamHeim>"
             "</settings></spielstand>\r\n");
  TMainForm& f = Console();
  EXPECT_EQ(ReadMatchElement(f.xmlSpielstand, {"settings", "teamHeim"}), "M\xC3\xBCller");
  ChangeMatchDocument(f.xmlSpielstand, File("spielstand.xml"), {{{"settings", "teamGast"}, "J\xC3\xA4ger"}});
  const std::string bytes = dir_.Read("Containers/System/files/spielstand.xml");
  EXPECT_NE(bytes.find("encoding=\"ISO-8859-1\""), std::string::npos);
  EXPECT_NE(bytes.find("M\xFCller"), std::string::npos);
  EXPECT_NE(bytes.find("J\xE4ger"), std::string::npos);
  EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << "no UTF-8 in a Latin-1 file";
}

TEST_F(MatchState, TwoConsolesKeepEachOthersChanges) {
  TMainForm& a = Console();
  TMainForm& b = Console();  // loaded before a's change
  ChangeMatchDocument(a.xmlSpielstand, File("spielstand.xml"), {{{"settings", "standHeim"}, "1"}});
  ChangeMatchDocument(b.xmlSpielstand, File("spielstand.xml"), {{{"settings", "gameTime"}, "15:04:05"}});
  XmlDocument saved;
  saved.LoadFromFile(File("spielstand.xml"));
  EXPECT_EQ(ReadMatchElement(saved, {"settings", "standHeim"}), "1") << "b's save wrote its old score over a's";
  EXPECT_EQ(ReadMatchElement(saved, {"settings", "gameTime"}), "15:04:05");

  // At the same moment from many threads, each its own element.
  std::vector<std::unique_ptr<XmlDocument>> docs;
  for (int i = 0; i < 8; ++i) {
    docs.push_back(std::make_unique<XmlDocument>());
    docs.back()->LoadFromFile(File("spielstand.xml"));
  }
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      for (int round = 0; round < 10; ++round)
        ChangeMatchDocument(*docs[static_cast<std::size_t>(i)], File("spielstand.xml"),
                            {{{"settings", "t" + std::to_string(i)}, std::to_string(round)}});
    });
  for (auto& t : threads) t.join();
  saved.LoadFromFile(File("spielstand.xml"));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ReadMatchElement(saved, {"settings", "t" + std::to_string(i)}), "9") << i;
  EXPECT_EQ(ReadMatchElement(saved, {"settings", "standHeim"}), "1");
}

TEST_F(MatchState, TheMatchSectionReadsEmptyWhenMissingAndKeepsOtherKeys) {
  TMainForm& f = Console();
  EXPECT_EQ(f.ReadMatchSetting("TorHeim"), "");
  f.WriteMatchSetting("TorHeim", "3");
  f.WriteMatchSetting("Verl\xC3\xA4ngerung", "15");
  TMainForm& g = Console();
  g.WriteMatchSetting("TorGast", "1");
  EXPECT_EQ(f.ReadMatchSetting("TorHeim"), "3");
  EXPECT_EQ(f.ReadMatchSetting("TorGast"), "1");
  EXPECT_EQ(g.ReadMatchSetting("Verl\xC3\xA4ngerung"), "15");
}

// The demo installation's documents are what a console finds at its start.
TEST(MatchStateDemo, TheDemoDocumentsAllLoad) {
  TempDir dir;
  std::filesystem::copy(TESS_SOURCE_DIR "/demo", dir.path(), std::filesystem::copy_options::recursive);
  TUniServerModule server(dir.path().string());
  SetUniServerModule(&server);
  {
    SessionDriver console(server, {{"start", "tessarine"}});
    TMainForm& f = console.Form();
    f.LoadMatchDocuments();
    EXPECT_TRUE(OpsOf(console.Send(Json::array()), "toast").empty());
    for (XmlDocument* d : {&f.xmlSpielstand, &f.xmlSpieler, &f.xmlSpielerInt, &f.xmlMatchday}) EXPECT_TRUE(d->Active());
    EXPECT_EQ(ReadMatchElement(f.xmlSpielstand, {"settings", "teamHeim"}), f.ReadMatchSetting("Heim"));
    EXPECT_EQ(f.ReadMatchSetting("Verl\xC3\xA4ngerung"), "15");
  }
  SetUniServerModule(nullptr);
}
