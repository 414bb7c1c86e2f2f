#pragma once
// A console logged in as "profi" on the team editor tab, over a program
// folder with a few teams: "Nord" (three players, two on the match report),
// "Leer" (only the header), "Ohne" (no roster) and "Kaputt" (no XML).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "match/TeamEditor.h"
#include "support/session_driver.h"
#include "support/test_support.h"

namespace team_tab {

using plat::ui::Json;
using testing_support::SessionDriver;
using testing_support::TempDir;

// One player of a roster file; "Aktiv" follows the slot.
inline std::string Player(const std::string& nr, const std::string& first, const std::string& last,
                          const std::string& picture, const std::string& slot) {
  return "<player><Nr>" + nr + "</Nr><Vorname>" + first + "</Vorname><Nachname>" + last +
         "</Nachname><Gr\xC3\xB6sse>180</Gr\xC3\xB6sse><GebDatum>01.01.2000</GebDatum><Bild>" + picture +
         "</Bild><SpNr>1</SpNr><SpBerNr>" + slot + "</SpBerNr><Aktiv>" + (slot == "0" ? "Nein" : "Ja") +
         "</Aktiv><Reserve>-</Reserve></player>";
}

inline const std::string kHeader =
    "<player><Nr>Nr</Nr><Vorname>Vorname</Vorname><Nachname>Nachname</Nachname></player>";

// The rows of a grid, columns 0 to cols-1 joined by "|".
inline std::vector<std::string> RowsOf(const plat::ui::GridModel& g, int cols = kRosterColumns) {
  std::vector<std::string> rows;
  for (int r = 0; r < g.RowCount(); ++r) {
    std::string row;
    for (int c = 0; c < cols; ++c) row += (c ? "|" : "") + g.Cell(c, r);
    rows.push_back(row);
  }
  return rows;
}

// Runs `use` with a console session (not logged in) over a copy of the
// demo installation, whose folder it is given too.
inline void WithDemoConsole(const std::function<void(SessionDriver&, const std::filesystem::path&)>& use) {
  TempDir dir;
  std::filesystem::copy(TESS_SOURCE_DIR "/demo", dir.path(), std::filesystem::copy_options::recursive);
  TUniServerModule server(dir.path().string());
  SetUniServerModule(&server);
  {
    SessionDriver console(server, {{"start", "tessarine"}});
    use(console, dir.path());
  }
  SetUniServerModule(nullptr);
}

class TeamTab : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    dir_.Write("Config/tessarine.ini",
               "[Settings]\r\nport=8077\r\n\r\n[spielbetrieb]\r\nHeim=Alt\r\nTorHeim=2\r\nSpielabschnitt=2\r\nHalbzeitDauer2=45\r\n");
    dir_.Write("Containers/Teams/Nord/Team.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<team>" + kHeader + Player("7", "Ole", "Brandt", "ole.png", "2") +
                   Player("10", "Jan", "Kahl", "jan.jpg", "0") + Player("1", "Tom", "Berg", " ", "1") + "</team>\r\n");
    for (const char* f : {"ole.png", "jan.jpg", "Tom.JPG", "old.jpeg", "x.gif"}) dir_.Write(std::string("Containers/Teams/Nord/Spieler/") + f, "x");
    dir_.Write("Containers/Teams/Nord/Spieler/sub.png/inner.png", "x");
    dir_.Write("Containers/Teams/Leer/Team.xml", "<?xml version=\"1.0\"?><team>" + kHeader + "</team>");
    dir_.Write("Containers/Teams/Ohne/readme.txt", "no roster");
    dir_.Write("Containers/Teams/Kaputt/Team.xml", "<team><player>");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
    console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
    console_->Type("edtLoginUser", "profi");
    console_->Type("edtLoginPW", "sticke2022");
    console_->Click("btnLoginOK");
    console_->Advance(1500);  // the console's start-up
    console_->Send(
        Json::array({{{"t", "change"}, {"c", Id("UniPageControl3")}, {"p", "activePage"}, {"v", Id("tabTeamEdit")}}}));
  }
  void TearDown() override {
    console_.reset();
    SetUniServerModule(nullptr);
  }
  TMainForm& f() { return console_->Form(); }
  int Id(const std::string& name) { return f().Get<plat::ui::Component>(name)->Id(); }

  // Sends the events, answers every box they opened with `answer_` and
  // returns the texts of the boxes, toasts and error reports, in order.
  std::vector<std::string> Do(Json events) {
    const Json ops = console_->Send(std::move(events));
    std::vector<std::string> said;
    for (const Json& op : ops) {
      if (op.value("op", "") == "toast" || op.value("op", "") == "error") said.push_back(op.value("text", ""));
      if (op.value("op", "") == "box") {
        said.push_back(op.value("text", ""));
        for (const std::string& more : Do(Json::array({{{"t", "answer"}, {"box", op["box"]}, {"r", answer_}}})))
          said.push_back(more);
      }
    }
    return said;
  }
  std::vector<std::string> Click(const std::string& name) { return Do(Json::array({{{"t", "click"}, {"c", Id(name)}}})); }
  std::vector<std::string> Type(const std::string& name, const std::string& text) {
    return Do(Json::array({{{"t", "change"}, {"c", Id(name)}, {"p", "text"}, {"v", text}}}));
  }
  std::vector<std::string> Choose(const std::string& team) { return Type("comboMHeim", team); }
  // A cell typed in the browser.
  std::vector<std::string> Edit(int col, int row, const std::string& text, const std::string& grid = "gridTeam") {
    return Do(Json::array({{{"t", "cell"}, {"c", Id(grid)}, {"col", col}, {"row", row}, {"v", text}}}));
  }
  // The roster grid's rows: columns 0 to 8 joined by "|".
  std::vector<std::string> Rows() { return RowsOf(*f().gridTeam); }
  // The roster file of a team as the editor reads it back.
  std::vector<std::string> Saved(const std::string& team) {
    plat::io::XmlDocument doc;
    doc.LoadFromFile(dir_.sys() + "Containers/Teams/" + team + "/Team.xml");
    plat::ui::GridModel g(10, 0);
    RosterToGrid(doc, g, false);
    return RowsOf(g);
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> console_;
  std::string answer_ = "ok";  // how Do answers the boxes
};

}  // namespace team_tab
