#pragma once
// A program folder with the two teams of a match, their match reports and
// the state documents, and logged-in consoles on it, under a fixed "now".
// Events for the team action dialog go through the session as a browser
// sends them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "match/MatchState.h"
#include "match/Unit1.h"
#include "support/session_driver.h"
#include "support/test_support.h"
#include "session/match/team_tab.h"

namespace match_console {

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

using team_tab::Player;

inline std::string Roster(const std::string& players) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<team>" + team_tab::kHeader + players + "</team>\r\n";
}

inline const char* const kSpielstand =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<spielstand>\r\n  <settings>\r\n"
    "    <gameTime>15:00:00</gameTime>\r\n    <Spielabschnitt>1</Spielabschnitt>\r\n"
    "    <gameTimeStatus>Start</gameTimeStatus>\r\n    <HalbzeitDauer>45</HalbzeitDauer>\r\n"
    "    <teamHeim>Nordhafen</teamHeim>\r\n    <teamGast>Lindenau</teamGast>\r\n"
    "    <standHeim>0</standHeim>\r\n    <standGast>0</standGast>\r\n  </settings>\r\n</spielstand>\r\n";

class MatchConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::SetNowFunction([this] { return now_; });
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    dir_.Write("Config/Progs/System/Spielstand.pyl", ",1,Spielstand.html,05:00,0,1,Containers\\System\\files\\Spielstand.html,1,4\r\n");
    dir_.Write("Config/tessarine.ini",
               "[Settings]\r\nport=8077\r\n\r\n[spielbetrieb]\r\nHeim=Nordhafen\r\nGast=Lindenau\r\nTorHeim=0\r\n"
               "TorGast=0\r\nSpielabschnitt=2\r\nHalbzeitDauer2=45\r\n");
    // Rows in file order; the sorts order them. Slot "0" is not on the report.
    dir_.Write("Containers/Teams/Nordhafen/Team.xml",
               Roster(Player("9", "Ole", "Brandt", "ole.png", "2") + Player("10", "Jan", "Kahl", "jan.jpg", "0") +
                      Player("1", "Jonas", "Kr\xC3\xBCger", "jonas.jpg", "3") + Player("4", "Malte", "Jensen", "", "1")));
    dir_.Write("Containers/Teams/Lindenau/Team.xml",
               Roster(Player("7", "Emil", "Richter", "emil.png", "1") + Player("3", "Paul", "Wagner", "paul.png", "2")));
    dir_.Write("Containers/System/files/spielstand.xml", kSpielstand);
    dir_.Write("Containers/System/files/spieler.xml", "<?xml version=\"1.0\"?><spieler><settings/></spieler>");
    dir_.Write("Containers/System/files/spielerint.xml", "<?xml version=\"1.0\"?><spielerint><raus/><rein/></spielerint>");
    dir_.Write("Containers/System/files/Matchday.xml", "<?xml version=\"1.0\"?><matchday/>");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    consoles_.clear();
    SetUniServerModule(nullptr);
    plat::SetNowFunction(nullptr);
  }

  // A console whose operator has logged in, with the match's teams applied.
  SessionDriver& Console() {
    consoles_.push_back(std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}}));
    SessionDriver& c = *consoles_.back();
    c.Type("edtLoginUser", "profi");
    c.Type("edtLoginPW", "sticke2022");
    c.Click("btnLoginOK");
    c.Advance(1500);  // the deferred start-up loads the documents
    c.Form().panH1->SetTitle("Nordhafen");
    c.Form().panG1->SetTitle("Lindenau");
    return c;
  }
  SessionDriver& c(std::size_t i = 0) { return *consoles_.at(i); }
  TMainForm& f(std::size_t i = 0) { return consoles_.at(i)->Form(); }

  // The console's team action dialog while it is open.
  TfrmHeim* Heim(std::size_t i = 0) { return consoles_.at(i)->GetSession().FindDialog<TfrmHeim>(); }
  Json HeimClick(const std::string& name, std::size_t i = 0) { return c(i).Send(Json::array({ClickOf(name, i)})); }
  Json ClickOf(const std::string& name, std::size_t i = 0) {
    return {{"t", "click"}, {"c", Heim(i)->Get<plat::ui::Component>(name)->Id()}};
  }
  // The operator clicks a player's row.
  Json SelectRow(int row, std::size_t i = 0) {
    return c(i).Send(Json::array({{{"t", "select"}, {"c", Heim(i)->Grid1->Id()}, {"col", 0}, {"row", row}}}));
  }
  Json HeimCheck(const std::string& name, std::size_t i = 0) {
    return c(i).Send(Json::array(
        {{{"t", "change"}, {"c", Heim(i)->Get<plat::ui::Component>(name)->Id()}, {"p", "checked"}, {"v", true}}}));
  }

  static bool Failed(const Json& ops) { return !OpsOf(ops, "error").empty(); }
  Json Answer(const Json& box, const char* r, std::size_t i = 0) {
    return consoles_.at(i)->Send(Json::array({{{"t", "answer"}, {"box", box["box"]}, {"r", r}}}));
  }

  std::string FilesPath(const std::string& file) const { return dir_.sys() + "Containers/System/files/" + file; }
  bool FileExists(const std::string& file) const { return std::filesystem::exists(FilesPath(file)); }
  // One element of a saved state document, as a display page reads it.
  std::string Saved(const std::string& file, std::initializer_list<std::string_view> path) const {
    plat::io::XmlDocument doc;
    doc.LoadFromFile(FilesPath(file));
    return ReadMatchElement(doc, path);
  }
  int CmdNr() const { return server_->DisplayCommand().sCMDNr; }
  std::string Target() const { return server_->DisplayCommand().sStandort; }

  TempDir dir_;
  plat::DateTime now_{2026, 12, 11, 15, 10, 5, 0, 5};
  std::unique_ptr<TUniServerModule> server_;
  std::vector<std::unique_ptr<SessionDriver>> consoles_;
};

}  // namespace match_console
