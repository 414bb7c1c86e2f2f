// Upload controls in a real session: the event side (the route that
// receives the files is tested with the HTTP tests).
#include "platform/ui/controls_uploads.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "support/control_screen.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::Refused;
using testing_support::Screen;
using testing_support::Sets;
using testing_support::TempDir;

// ---- uploads: the event side ----------------------------------------------------------------------

TEST(UploadControl, CompletedFilesGoToTheHandlerThenAway) {
  TempDir dir;
  Screen s;
  std::vector<std::string> seen;
  bool fail = false;
  s.Bind<Component*, const std::vector<UploadedFile>&>(
      "completed", [&](Component*, const std::vector<UploadedFile>& files) {
        for (const auto& f : files)
          seen.push_back(f.name + "=" + dir.Read(std::filesystem::path(f.cache).filename().string()));
        if (fail) throw std::runtime_error("handler failed");
      });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniFileUploadButton, name: drop, caption: "Please drop file(s) or click here", maxFiles: 30,
     events: {OnMultiCompleted: completed}}
)");
  auto* drop = s.Get<TUniFileUploadButton>("drop");
  auto received = [&](std::vector<std::pair<std::string, std::string>> files) {
    std::vector<UploadedFile> list;
    for (auto& [name, content] : files) {
      std::string cacheName = "upload-" + name + ".tmp";
      dir.Write(cacheName, content);
      list.push_back({name, (dir.path() / cacheName).string()});
    }
    return drop->AcceptReceivedFiles(list);
  };
  Json answer = received({{"a.jpg", "AAA"}, {"b.png", "BBB"}});
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(answer[0]["name"], "a.jpg");
  EXPECT_EQ(answer[0]["cache"].get<std::string>().find('/'), std::string::npos) << "no server path to the browser";

  // In the order the event names them.
  Json files = Json::array({answer[1], answer[0]});
  s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", files}});
  EXPECT_EQ(seen, (std::vector<std::string>{"b.png=BBB", "a.jpg=AAA"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  // Replayed or made-up files are not taken.
  LogCapture log;
  seen.clear();
  s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", files}});
  s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", Json::array({{{"name", "x"}, {"cache", "/etc/passwd"}}})}});
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(Refused(log));

  // A failing handler still leaves no cache file behind.
  fail = true;
  answer = received({{"c.mp4", "CCC"}});
  Json ops = s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", answer}});
  EXPECT_EQ(seen, std::vector<std::string>{"c.mp4=CCC"});
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back()["op"], "error");

  // Files that were never claimed go with the control.
  received({{"d.txt", "DDD"}});
  s.form().Release(drop);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(UploadControl, ExecuteShowsTheWindowEachTime) {
  Screen s;
  s.On("open", [&](Component*) { s.Get<TUniFileUpload>("Upload1")->Execute(); });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: open}}
  - {class: TUniFileUpload, name: Upload1, title: Upload, messages: {uploading: "Uploading..."}}
)");
  EXPECT_EQ(s.Get<TUniFileUpload>("Upload1")->Message("uploading"), "Uploading...");
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Sets(s.Click("btn"), s.Id("Upload1"), "show"), std::vector<Json>{true}) << i;
}

// Where files may arrive: the window while Execute has it open, the drop
// zone while it shows (its tab is the page's, the console's after login).
TEST(UploadControl, FilesArriveOnlyWhereAnUploadIsOffered) {
  Screen s;
  s.Bind<Component*, const std::vector<UploadedFile>&>(
      "completed", [&](Component* c, const std::vector<UploadedFile>&) { s.calls.push_back("completed:" + c->Name()); });
  s.Load(R"(
class: TForm
name: F
children:
  - class: TUniPageControl
    name: pages
    activePage: tabLogin
    children:
      - {class: TUniTabSheet, name: tabLogin}
      - class: TUniTabSheet
        name: tabEnt
        children: [{class: TUniFileUploadButton, name: drop, events: {OnMultiCompleted: completed}}]
  - {class: TUniFileUpload, name: Upload1, events: {OnMultiCompleted: completed}}
)");
  auto target = [&](const char* name) { return TUniCustomFileUpload::UploadTarget(s.session(), s.Id(name)) != nullptr; };
  EXPECT_FALSE(target("Upload1")) << "the window was never opened";
  EXPECT_FALSE(target("drop")) << "its tab is not shown";

  testing_support::Session::Scope scope(s.session());
  s.Get<TUniFileUpload>("Upload1")->Execute();
  s.Get<TUniPageControl>("pages")->SetActivePage(s.Get<TUniTabSheet>("tabEnt"));
  EXPECT_TRUE(target("Upload1"));
  EXPECT_TRUE(target("drop"));

  TempDir dir;
  dir.Write("c.tmp", "x");
  Json files = s.Get<TUniFileUpload>("Upload1")->AcceptReceivedFiles({{"a.jpg", (dir.path() / "c.tmp").string()}});
  s.Event({{"t", "upload"}, {"c", s.Id("Upload1")}, {"files", files}});
  EXPECT_EQ(s.calls, std::vector<std::string>{"completed:Upload1"});
  EXPECT_FALSE(target("Upload1")) << "the window closes with its upload";
  EXPECT_TRUE(target("drop")) << "the drop zone takes files at any time";
}

// A page that uploads and never claims its files keeps only so many.
TEST(UploadControl, UnclaimedFilesAreBounded) {
  TempDir dir;
  Screen s;
  s.Load("class: TForm\nname: F\nchildren: [{class: TUniFileUploadButton, name: drop}]\n");
  auto* drop = s.Get<TUniFileUploadButton>("drop");
  LogCapture log;
  const std::size_t batches = TUniCustomFileUpload::kMaxUnclaimedFiles / 10 + 2;
  for (std::size_t b = 0; b < batches; ++b) {
    std::vector<UploadedFile> batch;
    for (int i = 0; i < 10; ++i) {
      const std::string name = "u" + std::to_string(b) + "-" + std::to_string(i);
      batch.push_back({name + ".jpg", dir.Write(name, "x").string()});
    }
    drop->AcceptReceivedFiles(batch);
  }
  EXPECT_EQ(drop->UnclaimedFiles(), TUniCustomFileUpload::kMaxUnclaimedFiles);
  std::size_t left = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++left;
  EXPECT_EQ(left, TUniCustomFileUpload::kMaxUnclaimedFiles) << "the oldest are erased";
  EXPECT_TRUE(std::filesystem::exists(dir.path() / ("u" + std::to_string(batches - 1) + "-9"))) << "the newest stay";
  EXPECT_NE(log.All().find("never claimed, removed"), std::string::npos);
}
