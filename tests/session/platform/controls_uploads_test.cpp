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
