// Display command latency: 45 display sessions poll over loopback HTTP as
// their browsers do (the command timer ticks every 800 ms, each display at
// its own phase) while a console issues a single-medium command every few
// seconds. Measures, per command, the time from the issue until each
// display's tick response carries the medium, and until every display has
// shown it (target: p99 under 900 ms, one poll interval plus a round trip).
//
//   command_latency_bench [program folder] [commands]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/MainForm.h"
#include "platform/log.h"
#include "platform/session/session_manager.h"
#include "server/ServerModule.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : std::string(TESS_SOURCE_DIR) + "/demo";
  const int kCommands = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
  constexpr int kDisplays = 45;
  plat::SetLogSink([](std::string_view) {});
  TUniServerModule server(folder);
  SetUniServerModule(&server);
  auto& sessions = server.Sessions();
  if (!server.Start(0)) return 1;
  const int port = server.BoundPort();

  std::vector<std::string> sids;
  std::vector<int> timers;
  for (int i = 0; i < kDisplays; ++i) {
    auto s = sessions.Open({{"standort", "Bench" + std::to_string(i)}});
    sessions.RenderPage(*s);  // as the page load does: from now on changes go out
    sids.push_back(s->Id());
    timers.push_back(dynamic_cast<TMainForm*>(s->MainForm())->timerCMD->Id());
  }
  // The console's session exists and polls too (it ignores commands).
  auto console = sessions.Open({{"start", "tessarine"}});

  std::mutex mutex;
  std::vector<Clock::time_point> issued(static_cast<std::size_t>(kCommands));
  std::vector<std::vector<double>> seen(static_cast<std::size_t>(kCommands));  // per command, per display
  std::atomic<int> lastIssued{-1};
  std::atomic<bool> stop{false}, failed{false};

  std::vector<std::thread> threads;
  for (int i = 0; i < kDisplays; ++i) {
    threads.emplace_back([&, i] {
      httplib::Client client("127.0.0.1", port);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true);
      std::mt19937 rng(static_cast<unsigned>(i));
      std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 799)(rng)));
      auto next = Clock::now();
      int executed = -1;
      for (long long seq = 1; !stop; ++seq) {
        plat::ui::Json body = {{"sid", sids[i]}, {"seq", seq},
                               {"events", plat::ui::Json::array({{{"t", "timer"}, {"c", timers[i]}}})}};
        auto res = client.Post("/ajax", body.dump(), "application/json");
        const auto at = Clock::now();
        if (!res || res->status != 200) {
          failed = true;
          return;
        }
        const int n = lastIssued.load();
        if (n > executed) {
          const std::string medium = "Containers/Bilder/bench-" + std::to_string(n) + ".jpg";
          if (res->body.find(medium) != std::string::npos) {
            std::lock_guard<std::mutex> lock(mutex);
            seen[static_cast<std::size_t>(n)].push_back(Ms(at - issued[static_cast<std::size_t>(n)]));
            executed = n;
          }
        }
        next += std::chrono::milliseconds(800);
        std::this_thread::sleep_until(next);
      }
    });
  }

  std::mt19937 rng(2026);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  for (int n = 0; n < kCommands; ++n) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      issued[static_cast<std::size_t>(n)] = Clock::now();
      server.IssueMedium("Medium", "Containers/Bilder/bench-" + std::to_string(n) + ".jpg", "false");
      lastIssued = n;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2000 + std::uniform_int_distribution<int>(0, 999)(rng)));
  }
  stop = true;
  for (auto& t : threads) t.join();
  server.Stop();

  std::vector<double> each, all;
  int missing = 0;
  for (const auto& v : seen) {
    each.insert(each.end(), v.begin(), v.end());
    missing += kDisplays - static_cast<int>(v.size());
    if (!v.empty()) all.push_back(*std::max_element(v.begin(), v.end()));
  }
  std::printf("%d displays, %d commands: per display median %.0f ms, p99 %.0f ms, max %.0f ms\n", kDisplays,
              kCommands, Percentile(each, 0.5), Percentile(each, 0.99), Percentile(each, 1.0));
  std::printf("until every display has executed it: median %.0f ms, p99 %.0f ms, max %.0f ms (target p99 < 900 ms)\n",
              Percentile(all, 0.5), Percentile(all, 0.99), Percentile(all, 1.0));
  if (missing) std::printf("missed: %d display executions\n", missing);
  sessions.Close(console->Id());
  SetUniServerModule(nullptr);
  return failed || missing ? 1 : 0;
}
