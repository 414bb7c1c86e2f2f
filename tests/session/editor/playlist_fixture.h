#pragma once
// A console logged in, on the Entertainment tab, over a program folder with
// playlists and a small media library; helpers that act as the operator
// does on the playlist editor.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/MediaLibrary.h"
#include "editor/Playlist.h"
#include "support/session_driver.h"
#include "support/test_support.h"

namespace playlist_testing {

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;

// A playlist line of fields 1 to 19 (missing ones empty).
inline std::string Line(std::vector<std::string> fields) {
  std::string line = ",";
  fields.resize(19);
  for (const std::string& f : fields) line += f + ",";
  return line;
}

class PlaylistEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    dir_.Write("Containers/Bilder/a.jpg", "x");
    dir_.Write("Containers/Bilder/b.mp4", "x");
    dir_.Write("Config/Progs/System/Stop.pyl", Line({"1", "a.jpg", "00:10", "0", "0", "Containers\\Bilder\\a.jpg", "1", "0"}) + "\r\n");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
    console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
    // The operator logs in and opens the Entertainment tab.
    console_->LogInAndOpen("profi", "sticke2022", "tabEnt");
    // The start-up fills the trees.
    console_->Advance(1600);
  }
  void TearDown() override {
    console_.reset();
    SetUniServerModule(nullptr);
  }
  TMainForm& f() { return console_->Form(); }
  int Id(const std::string& name) { return f().Get<plat::ui::Component>(name)->Id(); }
  Json Send(Json events) { return console_->Send(std::move(events)); }

  // Writes a playlist, refreshes the tree and opens it.
  Json Open(const std::string& relative, const std::string& text) {
    std::string path = "Config/Progs/" + relative;
    for (char& c : path)
      if (c == '\\') c = '/';
    dir_.Write(path, text);
    console_->Click("btnPLSLoadF1");
    return ClickPlaylist(relative);
  }
  Json ClickPlaylist(const std::string& relative) {
    for (int i = 0; i < f().treePls->Items().Count(); ++i) {
      plat::ui::TTreeNode* node = f().treePls->Items()[i];
      if (GetNodePath(node) == relative)
        return Send(Json::array({{{"t", "node"}, {"c", Id("treePls")}, {"node", node->Id()}}}));
    }
    ADD_FAILURE() << "no playlist node " << relative;
    return {};
  }
  std::vector<std::string> TreePaths() {
    std::vector<std::string> out;
    for (int i = 0; i < f().treePls->Items().Count(); ++i) out.push_back(GetNodePath(f().treePls->Items()[i]));
    return out;
  }
  plat::ui::TUniStringGrid* Grid(int n) { return n == 1 ? f().Grid1 : f().Grid2; }
  // Columns 1 to 19 of every row, as lines.
  std::vector<std::string> Rows(int n) {
    std::vector<std::string> out;
    for (int r = 0; r < Grid(n)->RowCount(); ++r) out.push_back(GridRowLine(*Grid(n), r));
    return out;
  }
  std::vector<std::string> Column(int n, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < Grid(n)->RowCount(); ++r) out.push_back(Grid(n)->Cell(col, r));
    return out;
  }
  // A click on a row of a grid, as the browser sends it.
  void SelectRow(int n, int row) {
    const std::string g = n == 1 ? "Grid1" : "Grid2";
    Send(Json::array({{{"t", "mouse"}, {"c", Id(g)}, {"k", "down"}, {"b", 0}, {"x", 5}, {"y", 5}},
                      {{"t", "select"}, {"c", Id(g)}, {"col", 1}, {"row", row}},
                      {{"t", "click"}, {"c", Id(g)}}}));
  }
  // The row menu of a grid: a right click on it, then the entry.
  Json RowMenu(int n, const std::string& entry) {
    const std::string g = n == 1 ? "Grid1" : "Grid2";
    Send(Json::array({{{"t", "mouse"}, {"c", Id(g)}, {"k", "down"}, {"b", 2}, {"x", 5}, {"y", 5}}}));
    return Send(Json::array({{{"t", "menu"}, {"c", Id(entry)}}}));
  }
  // Answers the first box of the ops; returns the answer's ops.
  Json Answer(const Json& ops, const std::string& result, const std::string& text = "") {
    auto boxes = OpsOf(ops, "box");
    if (boxes.empty()) {
      ADD_FAILURE() << "no box in " << ops.dump();
      return {};
    }
    return Send(Json::array({{{"t", "answer"}, {"box", boxes[0]["box"]}, {"r", result}, {"text", text}}}));
  }
  std::string FirstBoxText(const Json& ops) {
    auto boxes = OpsOf(ops, "box");
    return boxes.empty() ? "" : boxes[0].value("text", "");
  }
  std::vector<std::string> Toasts(const Json& ops) {
    std::vector<std::string> out;
    for (const Json& op : OpsOf(ops, "toast")) out.push_back(op.value("text", ""));
    return out;
  }
  std::vector<std::string> ScriptsOf(const Json& ops) {
    std::vector<std::string> out;
    for (const Json& op : OpsOf(ops, "js")) out.push_back(op.value("code", ""));
    return out;
  }
  // Chooses a library folder and selects files of its list.
  void SelectLibraryFiles(const std::string& folder, const std::vector<std::string>& names) {
    for (int i = 0; i < f().treeCont->Items().Count(); ++i)
      if (GetNodePath(f().treeCont->Items()[i]) == folder)
        Send(Json::array({{{"t", "node"}, {"c", Id("treeCont")}, {"node", f().treeCont->Items()[i]->Id()}}}));
    Json selected = Json::array();
    const auto& items = f().listCont->Items();
    for (int i = 0; i < items.Count(); ++i)
      for (const std::string& n : names)
        if (LibraryItemFileName(items[i]) == n) selected.push_back(i);
    Send(Json::array({{{"t", "change"}, {"c", Id("listCont")}, {"p", "selected"}, {"v", selected}}}));
  }
  Json AddToFrame(int n) {
    Send(Json::array({{{"t", "mouse"}, {"c", Id("listCont")}, {"k", "down"}, {"b", 2}, {"x", 5}, {"y", 5}}}));
    return Send(Json::array({{{"t", "menu"}, {"c", Id(n == 1 ? "MenuCont1" : "MenuCont2")}}}));
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> console_;
};

}  // namespace playlist_testing
