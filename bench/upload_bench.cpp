// A large upload over loopback HTTP into the media library: the console's
// upload window takes one file of the given size (2 GiB by default),
// streamed by the client from a generator, stored by the server in the
// chosen library folder. Reports the throughput and the process's resident
// memory before, at its peak and after (client and server share the
// process, and neither holds the file in memory: the peak stays flat).
//
//   upload_bench [MiB]
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/MainForm.h"
#include "platform/log.h"
#include "platform/session/session_manager.h"
#include "server/ServerModule.h"
#include "support/test_support.h"

namespace {

// VmRSS or VmHWM of this process in MiB.
double StatusMiB(const char* key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::string(key).size())) / 1024.0;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t mib = argc > 1 ? std::stoull(argv[1]) : 2048;
  const std::uint64_t size = mib << 20;
  plat::SetLogSink([](std::string_view) {});
  testing_support::TempDir dir;
  std::filesystem::create_directories(dir.path() / "Containers/Bench");
  std::filesystem::create_directories(dir.path() / "Config");
  TUniServerModule server(dir.path().string());
  SetUniServerModule(&server);
  if (!server.Start(0)) return 1;

  auto console = server.Sessions().Open({{"start", "tessarine"}});
  int window = 0;
  {
    std::lock_guard<std::mutex> lock(console->Mutex());
    plat::session::Session::Scope scope(*console);
    auto* form = dynamic_cast<TMainForm*>(console->MainForm());
    form->lblContFile->SetCaption("Bench");
    form->Upload1->Execute();
    window = form->Upload1->Id();
  }

  const std::string boundary = "----tessarinebench";
  const std::string head = "--" + boundary +
                           "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"Gross.mp4\"\r\n"
                           "Content-Type: video/mp4\r\n\r\n";
  const std::string tail = "\r\n--" + boundary + "--\r\n";
  const std::uint64_t total = head.size() + size + tail.size();
  std::string chunk(1 << 20, '\0');
  for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>('a' + i % 26);

  const double before = StatusMiB("VmRSS:");
  httplib::Client client("127.0.0.1", server.BoundPort());
  client.set_write_timeout(600);
  client.set_read_timeout(600);
  const auto start = std::chrono::steady_clock::now();
  auto res = client.Post(
      "/upload?sid=" + console->Id() + "&c=" + std::to_string(window), static_cast<std::size_t>(total),
      [&](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        std::size_t sent = 0;
        while (sent < length) {
          const std::uint64_t at = offset + sent;
          if (at < head.size()) {
            sink.write(head.data() + at, head.size() - at);
            sent += head.size() - at;
          } else if (at < head.size() + size) {
            const std::uint64_t left = head.size() + size - at;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
            sink.write(chunk.data(), n);
            sent += n;
          } else {
            const std::size_t t = static_cast<std::size_t>(at - head.size() - size);
            sink.write(tail.data() + t, tail.size() - t);
            sent += tail.size() - t;
          }
        }
        return true;
      },
      "multipart/form-data; boundary=" + boundary);
  const auto received = std::chrono::steady_clock::now();
  if (!res || res->status != 200) {
    std::fprintf(stderr, "upload failed: %s\n", res ? res->body.c_str() : httplib::to_string(res.error()).c_str());
    return 1;
  }
  const plat::ui::Json files = plat::ui::Json::parse(res->body)["files"];
  server.Sessions().Request(console->Id(), 1,
                            plat::ui::Json::array({{{"t", "upload"}, {"c", window}, {"files", files}}}));
  const auto stored = std::chrono::steady_clock::now();
  const std::uint64_t kept = std::filesystem::file_size(dir.path() / "Containers/Bench/Gross.mp4");

  const double secs = std::chrono::duration<double>(received - start).count();
  std::printf("upload of %llu MiB: received in %.2f s (%.0f MiB/s), stored in %.2f s more; %s\n",
              static_cast<unsigned long long>(mib), secs, static_cast<double>(mib) / secs,
              std::chrono::duration<double>(stored - received).count(),
              kept == size ? "the stored file is whole" : "THE STORED FILE IS NOT WHOLE");
  std::printf("resident memory: %.1f MiB before, %.1f MiB at the peak, %.1f MiB after\n", before,
              StatusMiB("VmHWM:"), StatusMiB("VmRSS:"));
  server.Sessions().Close(console->Id());
  SetUniServerModule(nullptr);
  return kept == size ? 0 : 1;
}
