// Uploads through the session manager's route on a real server: the files
// reach the upload control's handler in order and their cache files go.
#include <gtest/gtest.h>

#include <httplib.h>

#include "platform/http/http_server.h"
#include "platform/io/path.h"
#include "platform/session/session_manager.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_loader.h"
#include "support/test_support.h"

using namespace plat::session;
using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::TempDir;

namespace {

const char* kForm = R"(
class: TUploadForm
name: F
children:
  - {class: TUniFileUpload, name: Upload1, title: Upload, events: {OnMultiCompleted: completed}}
)";

std::size_t FilesIn(const std::filesystem::path& folder) {
  std::size_t n = 0;
  if (std::filesystem::exists(folder))
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

}  // namespace

TEST(UploadRoute, FilesReachTheControlInOrderAndTheirCacheFilesGo) {
  RegisterStandardControls();
  LogCapture log;
  TempDir dir;
  std::vector<std::string> seen;
  SessionHostConfig config;
  config.tempFolder = (dir.path() / "temp").string();
  config.createSession = [&](Session& s) {
    auto form = std::make_unique<Form>(&s);
    form->RegisterHandler<Component*, const std::vector<UploadedFile>&>(
        "completed", std::function<void(Component*, const std::vector<UploadedFile>&)>(
                         [&](Component*, const std::vector<UploadedFile>& files) {
                           for (const auto& f : files)
                             seen.push_back(f.name + "=" + plat::io::ReadFileBytes(f.cache));
                         }));
    form->Build(ParseFormDefinition(kForm));
    s.SetMainForm(std::move(form));
  };
  SessionManager sessions(config);
  plat::http::HttpServer http;
  sessions.Install(http);
  ASSERT_TRUE(http.Bind("127.0.0.1", 0));
  http.Start();

  auto session = sessions.Open({});
  ASSERT_NE(session, nullptr);
  sessions.RenderPage(*session);
  int upload = session->MainForm()->Get<TUniFileUpload>("Upload1")->Id();
  httplib::Client client("127.0.0.1", http.Port());
  const std::string path = "/upload?sid=" + session->Id() + "&c=" + std::to_string(upload);

  // The upload window takes files only while Execute has it open.
  auto early = client.Post(path.c_str(), httplib::MultipartFormDataItems{{"file", "x", "x.jpg", "image/jpeg"}});
  ASSERT_TRUE(early);
  EXPECT_EQ(early->status, 403) << "the window was never opened";
  EXPECT_EQ(FilesIn(dir.path() / "temp"), 0u);
  auto* window = session->MainForm()->Get<TUniFileUpload>("Upload1");
  {
    std::lock_guard<std::mutex> lock(session->Mutex());
    Session::Scope scope(*session);
    window->Execute();
  }

  auto res = client.Post(path.c_str(), httplib::MultipartFormDataItems{
                                           {"file", std::string(200000, 'v'), "Intro.mp4", "video/mp4"},
                                           {"file", "logo", "logo.png", "image/png"}});
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200) << res->body;
  Json files = Json::parse(res->body)["files"];
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(FilesIn(dir.path() / "temp"), 2u);

  Json answer = sessions.Request(session->Id(), 1, Json::array({{{"t", "upload"}, {"c", upload}, {"files", files}}}));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], "Intro.mp4=" + std::string(200000, 'v'));
  EXPECT_EQ(seen[1], "logo.png=logo");
  EXPECT_EQ(FilesIn(dir.path() / "temp"), 0u) << "cache files are erased after the handler";

  // No session, a component that takes no upload, or the window closed
  // since its upload finished: refused, nothing kept.
  for (const std::string& bad : {std::string("/upload?sid=nope&c=1"), path,
                                 "/upload?sid=" + session->Id() + "&c=" + std::to_string(session->MainForm()->Id())}) {
    auto r = client.Post(bad.c_str(), httplib::MultipartFormDataItems{{"file", "x", "x.jpg", "image/jpeg"}});
    ASSERT_TRUE(r);
    EXPECT_GE(r->status, 400) << bad;
  }
  EXPECT_EQ(FilesIn(dir.path() / "temp"), 0u);
  http.Stop();
}
