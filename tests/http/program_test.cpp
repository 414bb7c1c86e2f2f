// The server binary as a venue engineer starts it.
#include <gtest/gtest.h>

#include <httplib.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/test_support.h"

using testing_support::TempDir;

namespace {

// A port that was free a moment ago: bind port 0, read it, close.
int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  int port = -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  close(fd);
  return port;
}

// The server binary started on a program folder from a working directory,
// on a port it picks and writes to the folder's INI file; up once it logged
// the port; ended with SIGTERM. A port free a moment ago may be taken by
// another program's connection before the server binds it (a busy
// machine): then another port is tried.
class RunningServer {
 public:
  RunningServer(const std::string& binary, const std::filesystem::path& folder, const std::string& cwd = ".") {
    for (int attempt = 0; attempt < 5; ++attempt) {
      port_ = FreePort();
      if (port_ <= 0) continue;
      std::filesystem::create_directories(folder / "Config");
      std::ofstream(folder / "Config" / "tessarine.ini", std::ios::trunc)
          << "[Settings]\r\nport=" << port_ << "\r\n";
      if (Start(binary, folder.string(), cwd)) return;
      Stop();
    }
  }
  ~RunningServer() { Stop(); }
  RunningServer(const RunningServer&) = delete;
  RunningServer& operator=(const RunningServer&) = delete;

  int Port() const { return port_; }
  const std::string& Log() const { return log_; }
  // Ends the server with SIGTERM; the whole log up to its last line.
  const std::string& StopAndReadLog() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    char line[4096];
    while (err_ && std::fgets(line, sizeof line, err_)) log_ += line;
    Stop();
    return log_;
  }

 private:
  // True once the server logged that it listens on the port.
  bool Start(const std::string& binary, const std::string& folder, const std::string& cwd) {
    log_.clear();
    int errPipe[2];
    if (pipe(errPipe) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(errPipe[1], 2);
      close(errPipe[0]);
      if (chdir(cwd.c_str()) != 0) _exit(126);
      execl(binary.c_str(), binary.c_str(), folder.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(errPipe[1]);
    err_ = fdopen(errPipe[0], "r");
    const std::string up = "on port " + std::to_string(port_);
    char line[4096];
    while (log_.find(up) == std::string::npos && log_.find("Cannot listen") == std::string::npos &&
           std::fgets(line, sizeof line, err_))
      log_ += line;
    return log_.find(up) != std::string::npos;
  }
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      waitpid(pid_, &status, 0);
      pid_ = -1;
    }
    if (err_) std::fclose(err_);
    err_ = nullptr;
  }

  int port_ = -1;
  pid_t pid_ = -1;
  FILE* err_ = nullptr;
  std::string log_;
};

// A GET that tries again while the server is still opening its port.
httplib::Result Get(httplib::Client& client, const std::string& path) {
  auto r = client.Get(path);
  for (int attempt = 0; attempt < 50 && !r; ++attempt) {
    usleep(100 * 1000);
    r = client.Get(path);
  }
  return r;
}

}  // namespace

TEST(Program, ServesTheFolderOnTheConfiguredPortAndLogsBoth) {
  TempDir dir;
  dir.Write("files/hello.txt", "hello");

  RunningServer server(TESSARINE_BINARY, dir.path());
  const int port = server.Port();
  // The start-up line names the folder and the port.
  ASSERT_NE(server.Log().find("on port " + std::to_string(port)), std::string::npos) << server.Log();
  EXPECT_NE(server.Log().find(dir.path().string()), std::string::npos) << server.Log();

  httplib::Client client("127.0.0.1", port);
  auto r = Get(client, "/files/HELLO.txt");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "hello");

  // A second server on the same port says why it cannot start.
  {
    TempDir other;
    other.Write("Config/tessarine.ini", "[Settings]\r\nport=" + std::to_string(port) + "\r\n");
    const std::string command = std::string("\"") + TESSARINE_BINARY + "\" \"" + other.path().string() + "\" 2>&1";
    FILE* out = popen(command.c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string log;
    char line[4096];
    while (std::fgets(line, sizeof line, out)) log += line;
    EXPECT_NE(pclose(out), 0);
    EXPECT_NE(log.find("Cannot listen on port " + std::to_string(port) + ": the port is in use"), std::string::npos)
        << log;
  }

  // A page names its kind, location and client in the session lines; a
  // stop signal ends the server with a line of its own.
  auto page = Get(client, "/?standort=Nirgendwo");
  ASSERT_TRUE(page);
  // A display keeps playing under a small notice while the server is away;
  // a console is masked.
  EXPECT_NE(page->body.find("\"retryNotice\":\"corner\""), std::string::npos);
  auto console = Get(client, "/?start=tessarine");
  ASSERT_TRUE(console);
  EXPECT_EQ(console->body.find("retryNotice"), std::string::npos);
  const std::string& log = server.StopAndReadLog();
  EXPECT_NE(log.find("(display \"Nirgendwo\" from 127.0.0.1) opened"), std::string::npos) << log;
  EXPECT_NE(log.find("Shutting down (SIGTERM)"), std::string::npos) << log;
  EXPECT_NE(log.find("Stopped"), std::string::npos) << log;
}

// Installed below a prefix that is then moved, and started from another
// working directory, the server still finds its forms, browser client,
// icon font and favicon, and serves a page on a program folder of its own.
TEST(Program, InstalledServerRunsFromAMovedPrefix) {
  TempDir dir;
  const std::string staged = (dir.path() / "staged").string();
  const std::string install = std::string("\"") + TESS_CMAKE + "\" --install \"" + TESS_BUILD_DIR +
                              "\" --prefix \"" + staged + "\" >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0) << install;
  const std::filesystem::path moved = dir.path() / "elsewhere" / "tessarine";
  std::filesystem::create_directories(moved.parent_path());
  std::filesystem::rename(staged, moved);
  ASSERT_TRUE(std::filesystem::exists(moved / "bin" / "tessarine"));
  // Marks in the installed copies show that the server reads these, not
  // the files of the source or build tree.
  const std::filesystem::path share = moved / "share" / "tessarine";
  {
    std::ofstream(share / "client" / "runtime.js", std::ios::app) << "\n// installed copy\n";
    std::ofstream(share / "icons" / "favicon.ico", std::ios::trunc) << "installed icon";
    std::ifstream in(share / "forms" / "ServerModule.yaml");
    std::string yaml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string title = "j8 | Tessarine 2025";
    ASSERT_NE(yaml.find(title), std::string::npos);
    yaml.replace(yaml.find(title), title.size(), "Installed Tessarine");
    std::ofstream(share / "forms" / "ServerModule.yaml", std::ios::trunc) << yaml;
  }

  dir.Write("program/files/J8_TS.jpg", "not a picture");
  RunningServer server((moved / "bin" / "tessarine").string(), dir.path() / "program", "/");
  const int port = server.Port();
  ASSERT_NE(server.Log().find("on port " + std::to_string(port)), std::string::npos) << server.Log();

  httplib::Client client("127.0.0.1", port);
  auto page = Get(client, "/?standort=Nirgendwo");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("Tess.boot("), std::string::npos);
  EXPECT_NE(page->body.find("lblF1A"), std::string::npos);
  EXPECT_NE(page->body.find("<title>Installed Tessarine</title>"), std::string::npos);
  for (const char* path : {"/client/runtime.js", "/client/tessarine.css", "/fontawesome/css/all.min.css",
                           "/favicon.ico"}) {
    auto r = client.Get(path);
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 200) << path;
    EXPECT_FALSE(r->body.empty()) << path;
  }
  // Every script the page loads is served: the runtime's core and each
  // control family.
  int scripts = 0;
  for (std::size_t at = page->body.find("<script src=\""); at != std::string::npos;
       at = page->body.find("<script src=\"", at + 1)) {
    const std::size_t from = at + 13;
    const std::string src = page->body.substr(from, page->body.find('"', from) - from);
    auto r = client.Get(src);
    ASSERT_TRUE(r) << src;
    EXPECT_EQ(r->status, 200) << src;
    ++scripts;
  }
  EXPECT_GT(scripts, 1);
  auto runtime = client.Get("/client/runtime.js");
  ASSERT_TRUE(runtime);
  EXPECT_NE(runtime->body.find("// installed copy"), std::string::npos);
  auto icon = client.Get("/favicon.ico");
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->body, "installed icon");
}
