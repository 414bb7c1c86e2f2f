// The server's bounds on a real loopback server: header size and deadline,
// body limits refused before reading, connections per client address, and
// handlers bounded while static files go on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/http/http_server.h"
#include "support/raw_socket.h"
#include "support/test_support.h"

using plat::http::BodyReader;
using plat::http::HttpRequest;
using plat::http::HttpResponse;
using plat::http::HttpServer;
using testing_support::HeaderOf;
using testing_support::LogCapture;
using testing_support::RawSocket;
using testing_support::StatusOf;
using testing_support::TempDir;
using namespace std::chrono_literals;

namespace {

const char kSmallGet[] = "GET /files/a.txt HTTP/1.1\r\nHost: x\r\n\r\n";

class Bounds : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("files/a.txt", "static");
    plat::http::ServerOptions o;
    o.ioThreads = 2;
    o.handlerThreads = 2;
    o.headerDeadline = 1500ms;
    o.connectionsPerClient = 8;
    server_ = std::make_unique<HttpServer>(o);
    server_->AddDefaultHeader("Access-Control-Allow-Origin", "*");
    server_->AddStaticFolder("files", dir_.path() / "files");
    server_->Post("/ajax", [this](const HttpRequest& req, HttpResponse& res) {
      ++handled_;
      res.SetContent(std::to_string(req.body.size()), "text/plain");
    });
    server_->PostStream(
        "/upload",
        [this](const HttpRequest&, BodyReader& body, HttpResponse& res) {
          ++handled_;
          std::size_t total = 0;
          const bool ok = body.Read([&](const char*, std::size_t n) {
            total += n;
            return true;
          });
          res.SetContent((ok ? "received " : "broken ") + std::to_string(total), "text/plain");
        },
        10u << 20);
    server_->Get("/slow", [this](const HttpRequest&, HttpResponse& res) {
      const int now = ++running_;
      int seen = maxRunning_.load();
      while (now > seen && !maxRunning_.compare_exchange_weak(seen, now)) {
      }
      {
        std::unique_lock<std::mutex> lock(gateMutex_);
        gateCv_.wait(lock, [this] { return gateOpen_; });
      }
      --running_;
      res.SetContent("slow", "text/plain");
    });
    ASSERT_TRUE(server_->Bind("0.0.0.0", 0));
    server_->Start();
  }
  void TearDown() override {
    OpenGate();
    server_.reset();
  }
  void OpenGate() {
    std::lock_guard<std::mutex> lock(gateMutex_);
    gateOpen_ = true;
    gateCv_.notify_all();
  }
  int Port() const { return server_->Port(); }

  LogCapture log_;
  TempDir dir_;
  std::unique_ptr<HttpServer> server_;
  std::atomic<int> handled_{0};
  std::atomic<int> running_{0};
  std::atomic<int> maxRunning_{0};
  std::mutex gateMutex_;
  std::condition_variable gateCv_;
  bool gateOpen_ = false;
};

// Sends header lines of almost 8 KB without end, reading as it goes; the
// answer the server gives, or empty when the connection ended without one.
std::string EndlessHeader(int port, const std::string& from) {
  RawSocket raw(port, from.c_str());
  if (!raw.Connected() || !raw.Send("GET /files/a.txt HTTP/1.1\r\nHost: x\r\n")) return {};
  const std::string line = "X-Fill: " + std::string(8000, 'f') + "\r\n";
  for (int i = 0; i < 8 * 1024; ++i) {  // at most 64 MiB
    std::string answer = raw.ReadResponse(0ms);
    if (!answer.empty()) return answer;
    if (!raw.Send(line)) break;
  }
  return raw.ReadResponse(5s);
}

}  // namespace

TEST_F(Bounds, EndlessHeaderIsRefusedWith431AndMemoryStaysFlat) {
  const double before = testing_support::ResidentMiB();
  std::vector<std::thread> clients;
  std::vector<std::string> answers(20);
  for (std::size_t i = 0; i < answers.size(); ++i)
    clients.emplace_back([&, i] { answers[i] = EndlessHeader(Port(), "127.0.1." + std::to_string(i + 1)); });
  for (auto& t : clients) t.join();
  for (const std::string& a : answers) {
    EXPECT_EQ(StatusOf(a), 431) << a.substr(0, 100);
    EXPECT_EQ(HeaderOf(a, "Access-Control-Allow-Origin"), "*");
  }
  EXPECT_LT(testing_support::ResidentMiB() - before, 32.0) << "20 endless headers must not grow the server";

  // The server goes on.
  RawSocket raw(Port());
  ASSERT_TRUE(raw.Send(kSmallGet));
  EXPECT_EQ(StatusOf(raw.ReadResponse()), 200);
}

TEST_F(Bounds, AHeaderTricklingInIsCutOffByItsDeadline) {
  RawSocket raw(Port());
  ASSERT_TRUE(raw.Send("GET /files/a.txt HTTP/1.1\r\nHost: x\r\n"));
  const auto start = std::chrono::steady_clock::now();
  bool closed = false;
  // One line every 300 ms: each read is quick, the whole header is not.
  for (int i = 0; i < 100 && !closed; ++i) {
    if (!raw.Send("X-Slow: 1\r\n")) closed = true;
    if (!closed) closed = raw.ClosedWithin(300ms);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(closed) << "still open after " << seconds << " s";
  EXPECT_GE(seconds, 1.0) << "closed before the deadline";

  // An idle keep-alive connection is not held to the header's deadline.
  RawSocket idle(Port());
  ASSERT_TRUE(idle.Send(kSmallGet));
  EXPECT_EQ(StatusOf(idle.ReadResponse()), 200);
  std::this_thread::sleep_for(2500ms);
  ASSERT_TRUE(idle.Send(kSmallGet));
  EXPECT_EQ(StatusOf(idle.ReadResponse()), 200);
}

TEST_F(Bounds, BodiesAboveTheLimitAreRefusedBeforeTheyAreRead) {
  struct Case {
    const char* what;
    const char* head;  // no body is ever sent
  };
  const Case cases[] = {
      {"1 GiB to /ajax", "POST /ajax HTTP/1.1\r\nHost: x\r\nContent-Length: 1073741824\r\n\r\n"},
      {"just above 1 MiB", "POST /ajax HTTP/1.1\r\nHost: x\r\nContent-Length: 1048577\r\n\r\n"},
      {"to a page route", "POST /anything HTTP/1.1\r\nHost: x\r\nContent-Length: 5000000\r\n\r\n"},
      {"upload above its own limit", "POST /upload HTTP/1.1\r\nHost: x\r\nContent-Length: 10485761\r\n\r\n"},
      {"a length no number holds",
       "POST /ajax HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999999999999999999\r\n\r\n"},
  };
  for (const Case& c : cases) {
    RawSocket raw(Port());
    ASSERT_TRUE(raw.Send(c.head)) << c.what;
    const std::string r = raw.ReadResponse(10s);
    const int status = StatusOf(r);
    EXPECT_TRUE(status == 413 || (status == 400 && std::string(c.what).find("number") != std::string::npos))
        << c.what << ": " << r.substr(0, 100);
    EXPECT_EQ(HeaderOf(r, "Access-Control-Allow-Origin"), "*") << c.what;
    EXPECT_EQ(HeaderOf(r, "Connection"), "close") << c.what;
  }
  EXPECT_EQ(handled_.load(), 0) << "no handler saw a refused body";

  // A chunked body is cut off where it passes the limit.
  RawSocket chunked(Port());
  ASSERT_TRUE(chunked.Send("POST /ajax HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n"));
  std::string answer;
  const std::string chunk = "10000\r\n" + std::string(0x10000, 'c') + "\r\n";
  for (int i = 0; i < 64 && answer.empty(); ++i) {
    if (!chunked.Send(chunk)) break;
    answer = chunked.ReadResponse(0ms);
  }
  if (answer.empty()) answer = chunked.ReadResponse(10s);
  EXPECT_EQ(StatusOf(answer), 413);

  // Within their limits both kinds of route take their bodies.
  httplib::Client client("127.0.0.1", Port());
  auto ajax = client.Post("/ajax", std::string(1u << 20, 'a'), "application/json");
  ASSERT_TRUE(ajax);
  EXPECT_EQ(ajax->body, std::to_string(1u << 20));
  auto upload = client.Post("/upload", std::string(3u << 20, 'u'), "application/octet-stream");
  ASSERT_TRUE(upload);
  EXPECT_EQ(upload->body, "received " + std::to_string(3u << 20)) << "uploads are not held to 1 MiB";
}

TEST_F(Bounds, ConnectionsPerClientAddressAreCapped) {
  std::vector<std::unique_ptr<RawSocket>> held;
  for (int i = 0; i < 8; ++i) {
    held.push_back(std::make_unique<RawSocket>(Port(), "127.0.0.2"));
    ASSERT_TRUE(held.back()->Send(kSmallGet));
    ASSERT_EQ(StatusOf(held.back()->ReadResponse()), 200) << "connection " << i;
  }
  RawSocket extra(Port(), "127.0.0.2");
  if (extra.Send(kSmallGet)) {
    EXPECT_TRUE(extra.ClosedWithin(10s)) << "the ninth connection of one address";
  }

  RawSocket other(Port(), "127.0.0.3");
  ASSERT_TRUE(other.Send(kSmallGet));
  EXPECT_EQ(StatusOf(other.ReadResponse()), 200) << "another address is not affected";

  // A closed connection frees its place.
  held.pop_back();
  bool admitted = false;
  for (int attempt = 0; attempt < 100 && !admitted; ++attempt) {
    RawSocket again(Port(), "127.0.0.2");
    admitted = again.Send(kSmallGet) && StatusOf(again.ReadResponse(2s)) == 200;
    if (!admitted) std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(admitted);
}

TEST_F(Bounds, HandlersAreBoundedWhileStaticFilesGoOn) {
  std::vector<std::thread> slow;
  std::vector<int> status(4, 0);
  for (int i = 0; i < 4; ++i)
    slow.emplace_back([&, i] {
      httplib::Client c("127.0.0.1", Port());
      c.set_read_timeout(60, 0);
      auto r = c.Get("/slow");
      status[static_cast<std::size_t>(i)] = r ? r->status : -1;
    });
  while (running_.load() < 2) std::this_thread::sleep_for(10ms);

  // Every handler thread is busy: files are still served.
  httplib::Client client("127.0.0.1", Port());
  auto file = client.Get("/files/a.txt");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->body, "static");
  EXPECT_EQ(running_.load(), 2) << "two handler threads, two handlers at once";

  OpenGate();
  for (auto& t : slow) t.join();
  EXPECT_EQ(maxRunning_.load(), 2);
  for (int s : status) EXPECT_EQ(s, 200);
}
