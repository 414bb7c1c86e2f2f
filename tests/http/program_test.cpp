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

}  // namespace

TEST(Program, ServesTheFolderOnTheConfiguredPortAndLogsBoth) {
  TempDir dir;
  dir.Write("files/hello.txt", "hello");

  // A port free a moment ago may be taken by another program's connection
  // before the server binds it (a busy machine): then another port is tried.
  int port = -1;
  pid_t pid = -1;
  FILE* err = nullptr;
  std::string log;
  for (int attempt = 0; attempt < 5; ++attempt) {
    port = FreePort();
    ASSERT_GT(port, 0);
    dir.Write("Config/tessarine.ini", "[Settings]\r\nport=" + std::to_string(port) + "\r\n");
    int errPipe[2];
    ASSERT_EQ(pipe(errPipe), 0);
    pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      dup2(errPipe[1], 2);
      close(errPipe[0]);
      std::string folder = dir.path().string();
      execl(TESSARINE_BINARY, TESSARINE_BINARY, folder.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(errPipe[1]);

    // The start-up line names the folder and the port.
    log.clear();
    err = fdopen(errPipe[0], "r");
    char line[4096];
    while (log.find("on port " + std::to_string(port)) == std::string::npos &&
           log.find("Cannot listen") == std::string::npos && std::fgets(line, sizeof line, err))
      log += line;
    if (log.find("Cannot listen") == std::string::npos) break;
    int status = 0;
    waitpid(pid, &status, 0);
    std::fclose(err);
    err = nullptr;
  }
  ASSERT_NE(err, nullptr) << log;
  EXPECT_NE(log.find(dir.path().string()), std::string::npos) << log;
  EXPECT_NE(log.find("port " + std::to_string(port)), std::string::npos) << log;

  httplib::Client client("127.0.0.1", port);
  auto r = client.Get("/files/HELLO.txt");
  for (int attempt = 0; attempt < 50 && !r; ++attempt) {
    usleep(100 * 1000);
    r = client.Get("/files/HELLO.txt");
  }
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "hello");

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  std::fclose(err);
}
