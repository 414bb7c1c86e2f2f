// Program start: the program folder (holding Config\, Containers\ and
// files\) is the one argument, the current directory when none is given.
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/log.h"
#include "server/ServerModule.h"

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
  try {
    TUniServerModule server(folder);
    SetUniServerModule(&server);
    return server.Run();
  } catch (const std::exception& e) {
    // Most often the server's own files are missing beside the binary.
    std::fprintf(stderr, "%s: cannot start: %s\n", argv[0], e.what());
    return 1;
  }
}
