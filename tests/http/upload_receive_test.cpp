// Streamed uploads through the HTTP server on a loopback port.
#include "platform/session/upload.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/http/http_server.h"
#include "platform/io/path.h"
#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_loader.h"
#include "support/test_support.h"

using namespace plat::session;
using namespace plat::ui;
using testing_support::TempDir;

namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Bytes that also hold what a multipart parser must not be fooled by.
std::string Payload(std::size_t size) {
  std::string s;
  std::uint32_t x = 12345;
  while (s.size() < size) {
    x = x * 1664525u + 1013904223u;
    s += static_cast<char>(x >> 24);
    if (s.size() % 10007 == 0) s += "\r\n--boundary\r\n";
  }
  s.resize(size);
  return s;
}

class UploadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = (dir_.path() / "temp").string();  // made by the upload
    server_.PostStream(
        "/upload",
        [this](const plat::http::HttpRequest& req, plat::http::BodyReader& reader, plat::http::HttpResponse& res) {
          Route(req, res, reader);
        },
        std::uint64_t{1} << 30);
    ASSERT_TRUE(server_.Bind("127.0.0.1", 0));
    port_ = server_.Port();
    server_.Start();
  }
  void TearDown() override { server_.Stop(); }

  // As the session host's route does: receive, then hand the files to the
  // upload control under the session's lock (when a session is given).
  void Route(const plat::http::HttpRequest& req, plat::http::HttpResponse& res, plat::http::BodyReader& reader) {
    std::string error;
    std::vector<UploadedFile> files = ReceiveUpload(req, reader, folder_, &error);
    Json answer = Json::array();
    if (error.empty() && session_) {
      std::lock_guard<std::mutex> lock(session_->Mutex());
      TUniCustomFileUpload* target = TUniCustomFileUpload::UploadTarget(*session_, targetId_);
      if (target) answer = target->AcceptReceivedFiles(files);
    } else {
      for (const auto& f : files) answer.push_back({{"name", f.name}, {"cache", f.cache}});
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_.push_back({files, error});
    }
    done_.notify_all();
    if (!error.empty()) {
      res.status = 400;
      res.SetContent(error, "text/plain");
      return;
    }
    res.SetContent(Json{{"files", answer}}.dump(), "application/json");
  }

  struct Result {
    std::vector<UploadedFile> files;
    std::string error;
  };
  // The outcome of the next upload the route finished.
  Result Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    // A generous bound only so a broken test cannot hang the suite.
    if (!done_.wait_for(lock, std::chrono::seconds(60), [this] { return !results_.empty(); })) {
      ADD_FAILURE() << "the upload route never finished";
      return {};
    }
    Result r = results_.front();
    results_.erase(results_.begin());
    return r;
  }

  // Sends raw bytes and closes the sending side, as a browser that goes
  // away in the middle of an upload.
  void SendRaw(const std::string& bytes) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port_));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    char buf[4096];
    while (::recv(fd, buf, sizeof buf, 0) > 0) {
    }
    ::close(fd);
  }

  std::vector<std::filesystem::path> CacheFiles() const {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder_, ec)) out.push_back(e.path());
    return out;
  }

  TempDir dir_;
  std::string folder_;
  plat::http::HttpServer server_;
  int port_ = 0;
  std::mutex mutex_;
  std::condition_variable done_;
  std::vector<Result> results_;
  Session* session_ = nullptr;
  int targetId_ = 0;
};

}  // namespace

TEST_F(UploadTest, FilePartsStreamToCacheFilesInOrder) {
  const std::string big = Payload(300 * 1024 + 17);  // several buffers' worth
  httplib::MultipartFormDataItems items = {
      {"file", big, "clip.mp4", "video/mp4"},
      {"note", "not a file", "", ""},
      {"file", "Grüße", "Grüße.txt", "text/plain"},
      {"file", "", "empty.png", "image/png"},
  };
  httplib::Client client("127.0.0.1", port_);
  auto res = client.Post("/upload", items);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200) << res->body;
  Result r = Next();
  EXPECT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 3u);
  const std::string names[] = {"clip.mp4", "Grüße.txt", "empty.png"};
  const std::string contents[] = {big, "Grüße", ""};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(r.files[i].name, names[i]);
    const std::filesystem::path cache = plat::io::Resolve(r.files[i].cache);
    EXPECT_EQ(cache.parent_path(), std::filesystem::path(folder_));
    EXPECT_EQ(cache.filename().string().find(names[i]), std::string::npos) << "the browser's name is not used on disk";
    EXPECT_TRUE(ReadAll(cache) == contents[i]) << names[i];
  }
  EXPECT_EQ(CacheFiles().size(), 3u);
}

TEST_F(UploadTest, BrokenOrMalformedUploadsLeaveNoFiles) {
  const std::string head = "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.mp4\"\r\n\r\n";
  const std::string second = "\r\n--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"b.mp4\"\r\n\r\n";
  const std::string body = head + Payload(200 * 1024) + second + Payload(100 * 1024);
  auto request = [](const std::string& content, std::size_t length) {
    return "POST /upload HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: multipart/form-data; boundary=XyZ\r\n"
           "Content-Length: " +
           std::to_string(length) + "\r\n\r\n" + content;
  };
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      // The browser goes away after two files were begun.
      {"broken off", request(body, body.size() + 100000)},
      // Complete as far as the length goes, but the closing boundary is missing.
      {"no closing boundary", request(body, body.size())},
  };
  for (const Case& c : cases) {
    SendRaw(c.bytes);
    Result r = Next();
    EXPECT_NE(r.error, "") << c.what;
    EXPECT_TRUE(r.files.empty()) << c.what;
    EXPECT_TRUE(CacheFiles().empty()) << c.what;
  }
}

TEST_F(UploadTest, OnlyMultipartRequests) {
  httplib::Client client("127.0.0.1", port_);
  auto res = client.Post("/upload", "just text", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  Result r = Next();
  EXPECT_NE(r.error.find("multipart"), std::string::npos) << r.error;
}

TEST_F(UploadTest, ThroughTheUploadControlToItsHandler) {
  RegisterStandardControls();
  Session session("ffeeddccbbaa99887766554433221100", {});
  auto form = std::make_unique<Form>(&session);
  std::vector<std::string> seen;
  form->RegisterHandler<Component*, const std::vector<UploadedFile>&>(
      "completed", std::function<void(Component*, const std::vector<UploadedFile>&)>(
                       [&](Component*, const std::vector<UploadedFile>& files) {
                         for (const auto& f : files) seen.push_back(f.name + ":" + ReadAll(plat::io::Resolve(f.cache)));
                       }));
  {
    Session::Scope scope(session);
    form->Build(ParseFormDefinition(R"(
class: TForm
name: F
children: [{class: TUniFileUpload, name: Upload1, title: Upload, events: {OnMultiCompleted: completed}}]
)"));
  }
  Form* f = form.get();
  session.SetMainForm(std::move(form));
  session.ShowMainForm();
  session.RenderBoot(Json::object());
  session_ = &session;
  targetId_ = f->Get<Component>("Upload1")->Id();
  {
    Session::Scope scope(session);
    f->Get<TUniFileUpload>("Upload1")->Execute();
  }

  httplib::Client client("127.0.0.1", port_);
  auto res = client.Post("/upload", httplib::MultipartFormDataItems{{"file", "one", "1.jpg", "image/jpeg"},
                                                                    {"file", "two", "2.jpg", "image/jpeg"}});
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 200);
  Next();
  Json answer = Json::parse(res->body);
  ASSERT_EQ(answer["files"].size(), 2u);
  {
    std::lock_guard<std::mutex> lock(session.Mutex());
    session.HandleRequest(1, Json::array({{{"t", "upload"}, {"c", targetId_}, {"files", answer["files"]}}}));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1.jpg:one", "2.jpg:two"}));
  EXPECT_TRUE(CacheFiles().empty());
  session_ = nullptr;
}
