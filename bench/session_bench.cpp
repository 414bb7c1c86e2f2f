// Sessions of the full main form: creation time, memory per session, and the
// round trip of the command timer's tick while 50 display sessions each tick
// every 800 ms over loopback HTTP.
//
//   session_bench [program folder]   (default: the demo installation)
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "common/MainForm.h"
#include "platform/log.h"
#include "platform/session/session_manager.h"
#include "server/ServerModule.h"
#include "support/test_support.h"

namespace {

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : std::string(TESS_SOURCE_DIR) + "/demo";
  plat::SetLogSink([](std::string_view) {});
  TUniServerModule server(folder);
  SetUniServerModule(&server);
  auto& sessions = server.Sessions();
  constexpr int kSessions = 50;

  // The form definitions are parsed once per process, by the first session.
  sessions.Close(sessions.Open({{"standort", "Bench"}})->Id());

  // Creation: open, show and render the page, as a page load does.
  std::vector<double> createMs;
  double rssBefore = testing_support::ResidentMiB();
  std::vector<std::shared_ptr<plat::session::Session>> open;
  for (int i = 0; i < kSessions; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    auto s = sessions.Open({{"standort", "Bench"}});
    std::string page = sessions.RenderPage(*s);
    auto t1 = std::chrono::steady_clock::now();
    createMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    open.push_back(s);
  }
  double rssAfter = testing_support::ResidentMiB();
  std::printf("session creation: median %.2f ms, p99 %.2f ms (target < 5 ms)\n",
              Percentile(createMs, 0.5), Percentile(createMs, 0.99));
  std::printf("memory per session: %.2f MiB (target < 2 MiB)\n", (rssAfter - rssBefore) / kSessions);
  for (auto& s : open) sessions.Close(s->Id());
  open.clear();

  // Round trips: 50 display sessions, each sending a request every 800 ms.
  if (!server.Start(0)) return 1;
  int port = server.BoundPort();
  std::vector<std::string> sids;
  std::vector<int> timers;
  for (int i = 0; i < kSessions; ++i) {
    auto s = sessions.Open({{"standort", "Bench"}});
    sids.push_back(s->Id());
    timers.push_back(dynamic_cast<TMainForm*>(s->MainForm())->timerCMD->Id());
  }
  std::atomic<bool> failed{false};
  std::vector<std::vector<double>> rtts(kSessions);
  const int kRounds = 25;  // 20 s
  std::vector<std::thread> threads;
  for (int i = 0; i < kSessions; ++i) {
    threads.emplace_back([&, i] {
      httplib::Client client("127.0.0.1", port);
      client.set_keep_alive(true);
      client.set_tcp_nodelay(true);  // as browsers do
      std::this_thread::sleep_for(std::chrono::milliseconds(i * 16));  // spread the phases
      auto next = std::chrono::steady_clock::now();
      for (int seq = 1; seq <= kRounds; ++seq) {
        plat::ui::Json body = {{"sid", sids[i]}, {"seq", seq},
                               {"events", plat::ui::Json::array({{{"t", "timer"}, {"c", timers[i]}}})}};
        auto t0 = std::chrono::steady_clock::now();
        auto res = client.Post("/ajax", body.dump(), "application/json");
        auto t1 = std::chrono::steady_clock::now();
        if (!res || res->status != 200) failed = true;
        // The first round opens the connection; the steady state counts.
        if (seq > 1) rtts[i].push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        next += std::chrono::milliseconds(800);
        std::this_thread::sleep_until(next);
      }
    });
  }
  for (auto& t : threads) t.join();
  std::vector<double> all;
  for (auto& v : rtts) all.insert(all.end(), v.begin(), v.end());
  std::printf("timerCMD tick round trip, %d sessions every 800 ms: median %.2f ms, p99 %.2f ms, max %.2f ms "
              "(target p99 < 5 ms)\n",
              kSessions, Percentile(all, 0.5), Percentile(all, 0.99), Percentile(all, 1.0));
  server.Stop();
  SetUniServerModule(nullptr);
  return failed ? 1 : 0;
}
