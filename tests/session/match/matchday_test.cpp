// The match-day tab of a console, driven as a browser would: the save
// writes the ten elements of Matchday.xml in their order (and nothing
// else), "Laden" puts the session's own document back into the edits, and
// a document that could not be loaded at the start is never written over.
#include <gtest/gtest.h>

#include "match/MatchState.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::io::XmlDocument;
using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

// The edits of the tab with the element each one goes to.
struct EditElement {
  const char* edit;
  const char* element;
};
const EditElement kEdits[] = {{"edtMStunde", "countdownstunde"}, {"edtMMin", "countdownminute"},
                              {"edtMZus", "zuseher"},            {"edtMHead", "info1"},
                              {"edtMBody", "info2"},             {"edtMSiri", "schiedsrichter"},
                              {"edtMAss", "assistenten"},        {"edtMZusatz", "var"}};

// What a venue types, markup, umlauts and out-of-range numbers included:
// nothing is checked.
const char* const kTyped[] = {"25",
                              "7x",
                              "12.480",
                              "Heute: Familientag & <Kinderfest>",
                              "Stadionwurst 3,50 \xE2\x82\xAC",
                              "J\xC3\xBCrgen Wei\xC3\x9F",
                              "M. Kaya, T. Brandt",
                              "S. Ehrlich"};

class Matchday : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    // An installed file in the venue's code page, with an element of its own.
    dir_.Write("Containers/System/files/Matchday.xml",
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<spieltag>\r\n  <sponsor>B\xE4"
               "ckerei</sponsor>\r\n  <zuseher>900</zuseher>\r\n  <info1>Willkommen</info1>\r\n</spieltag>\r\n");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    consoles_.clear();
    SetUniServerModule(nullptr);
  }

  // A console on its match-day tab, its documents loaded.
  SessionDriver& Console() {
    consoles_.push_back(std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}}));
    SessionDriver& c = *consoles_.back();
    c.LogInAndOpen("profi", "sticke2022", "tabMatchday");
    c.Advance(1500);  // the deferred start-up loads the documents
    return c;
  }
  TMainForm& f(std::size_t i = 0) { return consoles_.at(i)->Form(); }
  std::string Edit(const char* name, std::size_t i = 0) { return f(i).Get<TUniEdit>(name)->Text(); }

  static std::vector<std::string> Toasts(const Json& ops) {
    std::vector<std::string> t;
    for (const Json& op : OpsOf(ops, "toast")) t.push_back(op.value("text", ""));
    return t;
  }
  static bool Failed(const Json& ops) { return !OpsOf(ops, "error").empty(); }

  // The saved file's root name and its children as (name, text).
  std::pair<std::string, std::vector<std::pair<std::string, std::string>>> Saved() {
    XmlDocument doc;
    doc.LoadFromFile(File());
    std::vector<std::pair<std::string, std::string>> children;
    for (const auto& n : doc.DocumentElement().ChildElements()) children.emplace_back(n.Name(), n.Text());
    return {doc.DocumentElement().Name(), children};
  }
  std::string File() { return dir_.sys() + "Containers/System/files/Matchday.xml"; }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::vector<std::unique_ptr<SessionDriver>> consoles_;
};

}  // namespace

TEST_F(Matchday, SavingWritesTheTenElementsInOrderAndLadenRestoresEveryEdit) {
  SessionDriver& c = Console();
  f().panH1->SetTitle("FC Nordhafen");
  f().panG1->SetTitle("SV Lindenau & Co");
  for (std::size_t i = 0; i < std::size(kEdits); ++i) c.Type(kEdits[i].edit, kTyped[i]);
  const int issued = server_->DisplayCommand().sCMDNr;
  const Json ops = c.Click("btnMatchSave");
  EXPECT_FALSE(Failed(ops));
  EXPECT_TRUE(Toasts(ops).empty());
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, issued) << "a save shows nothing on the displays";

  const auto [root, children] = Saved();
  EXPECT_EQ(root, "spieltag") << "the installed root stays";
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"teamHeim", "FC Nordhafen"},  {"teamGast", "SV Lindenau & Co"}, {"countdownstunde", kTyped[0]},
      {"countdownminute", kTyped[1]}, {"zuseher", kTyped[2]},          {"info1", kTyped[3]},
      {"info2", kTyped[4]},           {"schiedsrichter", kTyped[5]},   {"assistenten", kTyped[6]},
      {"var", kTyped[7]}};
  EXPECT_EQ(children, expected) << "the installed sponsor element is gone";
  // Kept in the file's own code page; the euro sign has no place in it.
  const std::string bytes = dir_.Read("Containers/System/files/Matchday.xml");
  EXPECT_NE(bytes.find("encoding=\"ISO-8859-1\""), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("J\xFCrgen Wei\xDF"), std::string::npos) << bytes;

  // "Laden" after the edits were changed puts every saved value back.
  for (const EditElement& e : kEdits) c.Type(e.edit, "anders");
  f().panH1->SetTitle("Neu");
  c.Click("btnMLast");
  for (std::size_t i = 0; i < std::size(kEdits); ++i) EXPECT_EQ(Edit(kEdits[i].edit), kTyped[i]) << kEdits[i].edit;
  EXPECT_EQ(f().panH1->Title(), "Neu") << "the load never touches the team names";

  // Saving with every edit empty writes the ten elements, each empty.
  for (const EditElement& e : kEdits) c.Type(e.edit, "");
  c.Click("btnMatchSave");
  const auto emptied = Saved().second;
  ASSERT_EQ(emptied.size(), 10u);
  EXPECT_EQ(emptied[0], (std::pair<std::string, std::string>{"teamHeim", "Neu"}));
  for (std::size_t i = 2; i < emptied.size(); ++i) EXPECT_EQ(emptied[i].second, "") << emptied[i].first;
}

TEST_F(Matchday, LadenReadsTheSessionsOwnDocumentAndEmptiesWhatItLacks) {
  SessionDriver& c = Console();
  for (const EditElement& e : kEdits) c.Type(e.edit, "alt");
  const Json ops = c.Click("btnMLast");
  EXPECT_TRUE(Toasts(ops).empty());
  for (const EditElement& e : kEdits) {
    const std::string want = std::string(e.element) == "zuseher" ? "900" : std::string(e.element) == "info1" ? "Willkommen" : "";
    EXPECT_EQ(Edit(e.edit), want) << e.edit;
  }

  // Another console's save does not reach this console's "Laden".
  SessionDriver& other = Console();
  other.Type("edtMZus", "15000");
  other.Click("btnMatchSave");
  c.Click("btnMLast");
  EXPECT_EQ(Edit("edtMZus"), "900");

  // This console's next save replaces the other's, and writes all ten.
  c.Type("edtMSiri", "A. Berger");
  c.Click("btnMatchSave");
  const auto children = Saved().second;
  ASSERT_EQ(children.size(), 10u);
  EXPECT_EQ(children[4], (std::pair<std::string, std::string>{"zuseher", "900"}));
  EXPECT_EQ(children[7], (std::pair<std::string, std::string>{"schiedsrichter", "A. Berger"}));
}

TEST_F(Matchday, ADocumentThatFailedToLoadIsLoadedOnceMoreBeforeASave) {
  std::filesystem::remove(dir_.path() / "Containers/System/files/Matchday.xml");
  SessionDriver& c = Console();
  EXPECT_FALSE(f().xmlMatchday.Active());

  c.Type("edtMZus", "bleibt");
  const Json load = c.Click("btnMLast");
  EXPECT_EQ(Toasts(load), std::vector<std::string>{"errorr beim laden Matchday.xml! "});
  EXPECT_EQ(Edit("edtMZus"), "bleibt") << "no edit changes";

  // Still missing: the save ends with its error and creates no file.
  EXPECT_TRUE(Failed(c.Click("btnMatchSave")));
  EXPECT_FALSE(std::filesystem::exists(File()));

  // Installed meanwhile: the save takes it and writes the ten elements.
  dir_.Write("Containers/System/files/Matchday.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><matchday><alt/></matchday>");
  EXPECT_FALSE(Failed(c.Click("btnMatchSave")));
  const auto [root, children] = Saved();
  EXPECT_EQ(root, "matchday");
  ASSERT_EQ(children.size(), 10u);
  EXPECT_EQ(children[4], (std::pair<std::string, std::string>{"zuseher", "bleibt"}));
}

TEST_F(Matchday, TheStartButtonStaysHiddenAndSendsTheMatchdayPlaylist) {
  SessionDriver& c = Console();
  EXPECT_FALSE(f().btnMatchStart->Visible());
  const int issued = server_->DisplayCommand().sCMDNr;
  c.Click("btnMatchStart");
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, issued) << "a hidden button takes no click from the browser";
  f().btnMatchStartClick(f().btnMatchStart);
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, issued + 1);
  EXPECT_EQ(server_->DisplayCommand().sTyp, "Playlist");
  EXPECT_EQ(server_->DisplayCommand().sStandort, "System\\Matchday.pyl");
}
