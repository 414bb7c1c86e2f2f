// Program start: the program folder (holding Config\, Containers\ and
// files\) is the one argument, the current directory when none is given.
// SIGTERM and SIGINT stop the server; the log says so.
#include <netinet/in.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/log.h"
#include "server/ServerModule.h"

namespace {

// Why the port could not be bound, in words an operator can act on: a bind
// of our own tells a port in use from one that needs privileges.
std::string WhyNotListening(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return std::strerror(errno);
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const int result = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  const int error = errno;
  ::close(fd);
  if (result == 0) return "the port could not be opened";
  if (error == EADDRINUSE)
    return "the port is in use: another program (or another Tessarine) listens on it; stop that program or "
           "choose another port in Config\\tessarine.ini, [Settings] port";
  if (error == EACCES) return "ports below 1024 need the rights of the system's administrator";
  return std::strerror(error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) {
    std::fprintf(stderr, "usage: %s [program folder]\n", argv[0]);
    return 2;
  }
  std::string folder = argc == 2 ? argv[1] : std::filesystem::current_path().string();
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    std::fprintf(stderr, "%s: program folder %s does not exist\n", argv[0], folder.c_str());
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  // The stop signals are taken by one thread of our own; every other thread
  // (they inherit this mask) leaves them alone.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);

  std::unique_ptr<TUniServerModule> server;
  try {
    server = std::make_unique<TUniServerModule>(folder);
  } catch (const std::exception& e) {
    // Most often the server's own files are missing beside the binary.
    std::fprintf(stderr, "%s: cannot start: %s\n", argv[0], e.what());
    return 1;
  }
  SetUniServerModule(server.get());
  bool listening = false;
  try {
    listening = server->Listen();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: cannot start: %s\n", argv[0], e.what());
    SetUniServerModule(nullptr);
    return 1;
  }
  if (!listening) {
    plat::LogLine("Cannot listen on port " + std::to_string(server->Port) + ": " + WhyNotListening(server->Port));
    SetUniServerModule(nullptr);
    return 1;
  }
  // The stopper waits for a stop signal, or for the server to end by
  // itself (then it is woken with SIGTERM of its own and says nothing).
  std::atomic<bool> served{false};
  std::thread stopper([&server, &stops, &served] {
    int signal = 0;
    sigwait(&stops, &signal);
    if (served) return;
    plat::LogLine(std::string("Shutting down (") + (signal == SIGINT ? "SIGINT" : "SIGTERM") + ")");
    server->Stop();
  });
  server->Serve();
  served = true;
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  SetUniServerModule(nullptr);
  plat::LogLine("Stopped");
  return 0;
}
