// The HTTP layer side by side with nginx on the same folder and machine:
// the server binary and nginx (its own process and configuration, no
// daemon, a free port) serve one program folder, and the load comes from
// loopback addresses 127.0.0.2 and up while a display polls from
// 127.0.0.1. Prints the figures and their ratios:
//   - a 50 KB picture, 50 keep-alive clients (wrk): requests/s (target at
//     least 0.9 of nginx) and CPU per 1000 requests (at most 1.2 times);
//   - 300 idle keep-alive connections, one request every 4 s each: CPU-s
//     a minute (target under 1);
//   - opening a new connection while 1000 keep-alive connections are open:
//     connect to first answer (target under 5 ms);
//   - a display's poll round trip while 400 slow sockets trickle header
//     lines (target p99 under 10 ms).
//
//   http_nginx_bench [seconds per throughput run, default 10]
//
// Needs nginx and wrk on PATH (bench/http_nginx_bench.sh installs them).
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

const char* kPicture = "/Containers/Bilder/bench.jpg";
const char* kSmall = "/files/small.txt";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

int FreePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  socklen_t len = sizeof a;
  int port = -1;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

// A blocking socket to 127.0.0.1:port from `from`; -1 on failure.
int ConnectFrom(const std::string& from, int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  // The port is chosen at connect(), so thousands of sockets from a few
  // addresses do not run out of ports at bind().
  ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string LoadAddress(int i) { return "127.0.0." + std::to_string(2 + i % 8); }

// Sends `request` and reads one answer (header and Content-Length body);
// the body, or false when the connection failed or stalled for 10 s.
bool Exchange(int fd, const std::string& request, std::string* body = nullptr) {
  if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) return false;
  std::string in;
  char buf[65536];
  std::size_t want = std::string::npos;
  while (want == std::string::npos || in.size() < want) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0) return false;
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return false;
    in.append(buf, static_cast<std::size_t>(n));
    if (want == std::string::npos) {
      const std::size_t end = in.find("\r\n\r\n");
      if (end == std::string::npos) continue;
      std::string head = in.substr(0, end);
      for (auto& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const std::size_t at = head.find("content-length:");
      want = end + 4 + (at == std::string::npos ? 0 : std::strtoull(head.c_str() + at + 15, nullptr, 10));
    }
  }
  if (body) *body = in.substr(in.find("\r\n\r\n") + 4);
  return true;
}

std::string Get(const std::string& path) { return "GET " + path + " HTTP/1.1\r\nHost: bench\r\n\r\n"; }

// CPU seconds (user and system) of a process and, with `children`, of
// every process whose parent it is (nginx's workers).
double CpuSeconds(pid_t pid, bool children) {
  const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
  auto one = [&](const std::string& statPath, pid_t* parent) -> double {
    // A process may end while it is read.
    std::string text;
    int fd = ::open(statPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char buf[1024];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n <= 0) return -1;
    text.assign(buf, static_cast<std::size_t>(n));
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    std::vector<std::string> f;
    while (rest >> field) f.push_back(field);
    if (f.size() < 13) return -1;
    if (parent) *parent = static_cast<pid_t>(std::atol(f[1].c_str()));
    return (std::atof(f[11].c_str()) + std::atof(f[12].c_str())) / tick;
  };
  double total = one("/proc/" + std::to_string(pid) + "/stat", nullptr);
  if (!children) return total;
  for (const auto& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    pid_t parent = 0;
    const double cpu = one(e.path().string() + "/stat", &parent);
    if (cpu >= 0 && parent == pid) total += cpu;
  }
  return total;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& log, const std::vector<std::string>& env = {}) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    for (const auto& e : env) ::putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

bool WaitForPort(int port) {
  for (int i = 0; i < 200; ++i) {
    int fd = ConnectFrom("127.0.0.1", port);
    if (fd >= 0) {
      const bool ok = Exchange(fd, Get(kSmall));
      ::close(fd);
      if (ok) return true;
    }
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

struct Server {
  std::string name;
  pid_t pid = -1;
  int port = 0;
  bool children = false;  // its CPU includes its worker processes
};

struct Throughput {
  double rps = 0;
  double cpuPer1000 = 0;  // CPU-s per 1000 requests
};

Throughput RunWrk(const Server& s, const std::string& shim, int seconds) {
  const std::string out = "/tmp/tess-wrk-" + std::to_string(::getpid()) + ".txt";
  ::unlink(out.c_str());
  const double cpu0 = CpuSeconds(s.pid, s.children);
  pid_t wrk = Spawn({"wrk", "-t4", "-c50", "-d" + std::to_string(seconds) + "s",
                     "http://127.0.0.1:" + std::to_string(s.port) + kPicture},
                    out, {"LD_PRELOAD=" + shim, "TESS_BIND_FROM=127.0.0.2-127.0.0.9"});
  int status = 0;
  ::waitpid(wrk, &status, 0);
  const double cpu = CpuSeconds(s.pid, s.children) - cpu0;
  std::ifstream in(out);
  std::string line;
  Throughput t;
  double requests = 0;
  while (std::getline(in, line)) {
    if (line.find("requests in") != std::string::npos) requests = std::atof(line.c_str());
    if (line.rfind("Requests/sec:", 0) == 0) t.rps = std::atof(line.c_str() + 13);
    if (line.find("Socket errors") != std::string::npos || line.find("Non-2xx") != std::string::npos)
      std::printf("  %s: wrk: %s\n", s.name.c_str(), line.c_str());
  }
  if (requests > 0) t.cpuPer1000 = cpu / (requests / 1000.0);
  ::unlink(out.c_str());
  return t;
}

// 300 keep-alive connections, each sending one small request every 4 s.
double IdleCpuPerMinute(const Server& s, int seconds) {
  constexpr int kConnections = 300;
  std::vector<int> fds;
  for (int i = 0; i < kConnections; ++i) fds.push_back(ConnectFrom(LoadAddress(i), s.port));
  const double cpu0 = CpuSeconds(s.pid, s.children);
  const auto start = Clock::now();
  const auto step = std::chrono::duration_cast<Clock::duration>(4s) / kConnections;
  int failed = 0;
  for (long n = 0; Clock::now() - start < std::chrono::seconds(seconds); ++n) {
    int& fd = fds[static_cast<std::size_t>(n % kConnections)];
    if (fd < 0 || !Exchange(fd, Get(kSmall))) {
      ++failed;
      if (fd >= 0) ::close(fd);
      fd = ConnectFrom(LoadAddress(static_cast<int>(n)), s.port);
    }
    std::this_thread::sleep_until(start + step * (n + 1));
  }
  const double cpu = CpuSeconds(s.pid, s.children) - cpu0;
  for (int fd : fds)
    if (fd >= 0) ::close(fd);
  if (failed) std::printf("  %s: %d idle requests failed (reconnected)\n", s.name.c_str(), failed);
  return cpu * 60.0 / seconds;
}

// Connect and first answer of a new connection while 1000 are held open.
std::vector<double> NewConnectionMs(const Server& s) {
  std::vector<int> held;
  for (int i = 0; i < 1000; ++i) {
    int fd = ConnectFrom(LoadAddress(i), s.port);
    if (fd >= 0 && Exchange(fd, Get(kSmall))) held.push_back(fd);
    else if (fd >= 0) ::close(fd);
  }
  if (held.size() < 1000) std::printf("  %s: only %zu of 1000 connections open\n", s.name.c_str(), held.size());
  std::vector<double> ms;
  for (int i = 0; i < 300; ++i) {
    const auto t0 = Clock::now();
    int fd = ConnectFrom("127.0.0.1", s.port);
    const bool ok = fd >= 0 && Exchange(fd, Get(kSmall));
    ms.push_back(ok ? Ms(Clock::now() - t0) : 10000.0);
    if (fd >= 0) ::close(fd);
  }
  for (int fd : held) ::close(fd);
  return ms;
}

// Display sessions polling as the command timer does while 400 sockets
// trickle header lines (one every 10 s), reopened when the server closes
// them.
std::vector<double> PollWithSlowSockets(const Server& s, int seconds) {
  constexpr int kSlow = 400;
  std::atomic<bool> stop{false};
  std::atomic<int> open{0};
  std::thread slow([&] {
    std::vector<int> fds(kSlow, -1);
    std::vector<Clock::time_point> due(kSlow, Clock::now());
    while (!stop) {
      int n = 0;
      for (int i = 0; i < kSlow; ++i) {
        int& fd = fds[static_cast<std::size_t>(i)];
        if (fd >= 0) {
          char c;
          if (::recv(fd, &c, 1, MSG_DONTWAIT | MSG_PEEK) == 0) {  // closed by the server
            ::close(fd);
            fd = -1;
          }
        }
        if (fd < 0) {
          fd = ConnectFrom("127.0.1." + std::to_string(1 + i % 4), s.port);
          if (fd >= 0) ::send(fd, "GET / HTTP/1.1\r\nHost: x\r\n", 25, MSG_NOSIGNAL);
          due[static_cast<std::size_t>(i)] = Clock::now() + 10s;
        } else if (Clock::now() >= due[static_cast<std::size_t>(i)]) {
          ::send(fd, "X-Slow: 1\r\n", 11, MSG_NOSIGNAL);
          due[static_cast<std::size_t>(i)] = Clock::now() + 10s;
        }
        if (fd >= 0) ++n;
      }
      open = n;
      std::this_thread::sleep_for(100ms);
    }
    for (int fd : fds)
      if (fd >= 0) ::close(fd);
  });
  while (open < kSlow) std::this_thread::sleep_for(50ms);

  constexpr int kDisplays = 5;
  std::vector<std::vector<double>> rtts(kDisplays);
  std::vector<std::thread> displays;
  for (int d = 0; d < kDisplays; ++d) {
    displays.emplace_back([&, d] {
      int fd = ConnectFrom("127.0.0.1", s.port);
      std::string page;
      if (fd < 0 || !Exchange(fd, Get("/?standort=Bench" + std::to_string(d)), &page)) return;
      const std::size_t at = page.find("Tess.boot(");
      const std::size_t end = page.rfind(");</script>");
      if (at == std::string::npos || end == std::string::npos) return;
      nlohmann::json boot = nlohmann::json::parse(page.substr(at + 10, end - at - 10), nullptr, false);
      int timer = -1;
      std::vector<const nlohmann::json*> todo;
      for (const auto& f : boot["forms"]) todo.push_back(&f);
      while (!todo.empty()) {
        const nlohmann::json* c = todo.back();
        todo.pop_back();
        if (c->value("name", "") == "timerCMD") timer = c->value("id", -1);
        if (c->contains("ch"))
          for (const auto& ch : (*c)["ch"]) todo.push_back(&ch);
      }
      const std::string sid = boot.value("sid", "");
      const auto start = Clock::now();
      for (long seq = 1; Clock::now() - start < std::chrono::seconds(seconds); ++seq) {
        const std::string body = nlohmann::json{{"sid", sid}, {"seq", seq},
                                                {"events", {{{"t", "timer"}, {"c", timer}}}}}.dump();
        const std::string req = "POST /ajax HTTP/1.1\r\nHost: bench\r\nContent-Type: application/json\r\n"
                                "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        const auto t0 = Clock::now();
        if (!Exchange(fd, req)) break;
        if (seq > 1) rtts[static_cast<std::size_t>(d)].push_back(Ms(Clock::now() - t0));
        std::this_thread::sleep_until(start + 200ms * seq);
      }
      ::close(fd);
    });
  }
  for (auto& t : displays) t.join();
  stop = true;
  slow.join();
  std::vector<double> all;
  for (auto& v : rtts) all.insert(all.end(), v.begin(), v.end());
  return all;
}

void Stop(Server& s) {
  if (s.pid <= 0) return;
  ::kill(s.pid, SIGTERM);
  int status = 0;
  ::waitpid(s.pid, &status, 0);
  s.pid = -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
  ::signal(SIGPIPE, SIG_IGN);
  const unsigned ioThreads = std::max(2u, std::thread::hardware_concurrency() / 2);

  char tmpl[] = "/tmp/tess-nginx-bench-XXXXXX";
  const fs::path dir = ::mkdtemp(tmpl);
  ::chmod(dir.c_str(), 0755);  // nginx's workers read it as another user
  const fs::path folder = dir / "program";
  fs::create_directories(folder / "Config");
  fs::create_directories(folder / "Containers/Bilder");
  fs::create_directories(folder / "files");
  {
    std::mt19937 rng(50);
    std::string picture(50 * 1024, '\0');
    for (auto& c : picture) c = static_cast<char>(rng());
    std::ofstream(folder / "Containers/Bilder/bench.jpg", std::ios::binary) << picture;
    std::ofstream(folder / "files/small.txt") << "small";
  }
  for (const auto& e : fs::recursive_directory_iterator(dir))
    ::chmod(e.path().c_str(), e.is_directory() ? 0755 : 0644);

  Server ours{"ours", -1, FreePort(), false};
  std::ofstream(folder / "Config/tessarine.ini") << "[Settings]\r\nport=" << ours.port << "\r\n";
  ours.pid = Spawn({TESSARINE_BINARY, folder.string()}, (dir / "tessarine.log").string());

  Server nginx{"nginx", -1, FreePort(), true};
  {
    std::ofstream conf(dir / "nginx.conf");
    conf << "daemon off;\nmaster_process on;\nworker_processes " << ioThreads << ";\n"
         << "pid " << (dir / "nginx.pid").string() << ";\nerror_log " << (dir / "nginx-error.log").string() << ";\n"
         << "events { worker_connections 8192; }\n"
         << "http {\n  access_log off;\n  sendfile on;\n  tcp_nopush on;\n  tcp_nodelay on;\n"
         << "  keepalive_timeout 75s;\n  keepalive_requests 100000000;\n"
         << "  client_body_temp_path " << (dir / "body").string() << ";\n"
         << "  types { image/jpeg jpg; text/plain txt; }\n"
         << "  server {\n    listen " << nginx.port << ";\n    root " << folder.string() << ";\n  }\n}\n";
  }
  nginx.pid = Spawn({"nginx", "-p", dir.string(), "-c", (dir / "nginx.conf").string()},
                    (dir / "nginx-out.log").string());

  int rc = 0;
  if (!WaitForPort(ours.port) || !WaitForPort(nginx.port)) {
    std::printf("a server did not start; logs in %s\n", dir.c_str());
    rc = 1;
  } else {
    std::printf("both serve %s; nginx with %u worker processes, ours with %u I/O threads\n", folder.c_str(),
                ioThreads, ioThreads);
    const std::string shim = BIND_SOURCE_LIBRARY;
    RunWrk(ours, shim, 2);  // warm-up of the page cache and both servers
    RunWrk(nginx, shim, 2);
    // Other work on the machine comes and goes: the two servers take turns,
    // and the median of the rounds counts.
    constexpr int kRounds = 3;
    std::vector<double> rpsOurs, rpsNginx, cpuOurs, cpuNginx;
    for (int r = 0; r < kRounds; ++r) {
      const Throughput a = RunWrk(ours, shim, seconds);
      const Throughput b = RunWrk(nginx, shim, seconds);
      rpsOurs.push_back(a.rps);
      cpuOurs.push_back(a.cpuPer1000);
      rpsNginx.push_back(b.rps);
      cpuNginx.push_back(b.cpuPer1000);
      std::printf("  round %d: ours %.0f req/s %.4f CPU-s/1000, nginx %.0f req/s %.4f CPU-s/1000\n", r + 1, a.rps,
                  a.cpuPer1000, b.rps, b.cpuPer1000);
    }
    const double ro = Percentile(rpsOurs, 0.5), rn = Percentile(rpsNginx, 0.5);
    const double po = Percentile(cpuOurs, 0.5), pn = Percentile(cpuNginx, 0.5);
    std::printf("50 KB picture, 50 keep-alive clients: ours %.0f req/s, nginx %.0f req/s: ratio %.2f (target >= 0.9)\n",
                ro, rn, rn > 0 ? ro / rn : 0);
    std::printf("CPU per 1000 requests: ours %.4f s, nginx %.4f s: ratio %.2f (target <= 1.2)\n", po, pn,
                pn > 0 ? po / pn : 0);

    const int idleSeconds = std::max(10, seconds * 2);
    std::vector<double> idleOurs, idleNginx;
    for (int r = 0; r < 2; ++r) {
      idleOurs.push_back(IdleCpuPerMinute(ours, idleSeconds));
      idleNginx.push_back(IdleCpuPerMinute(nginx, idleSeconds));
    }
    const double io = (idleOurs[0] + idleOurs[1]) / 2, in = (idleNginx[0] + idleNginx[1]) / 2;
    std::printf("300 idle keep-alive connections (a request every 4 s each): ours %.2f CPU-s/min, nginx %.2f: "
                "ratio %.2f (target ours < 1)\n", io, in, in > 0 ? io / in : 0);

    const std::vector<double> co = NewConnectionMs(ours);
    const std::vector<double> cn = NewConnectionMs(nginx);
    std::printf("new connection to first answer with 1000 keep-alive open: ours median %.2f ms p99 %.2f ms, "
                "nginx median %.2f ms p99 %.2f ms: p99 ratio %.2f (target ours < 5 ms)\n",
                Percentile(co, 0.5), Percentile(co, 0.99), Percentile(cn, 0.5), Percentile(cn, 0.99),
                Percentile(cn, 0.99) > 0 ? Percentile(co, 0.99) / Percentile(cn, 0.99) : 0);

    const std::vector<double> poll = PollWithSlowSockets(ours, std::max(10, seconds * 2));
    std::printf("display poll round trip with 400 slow sockets open: %zu polls, median %.2f ms, p99 %.2f ms, "
                "max %.2f ms (target p99 < 10 ms)\n", poll.size(), Percentile(poll, 0.5), Percentile(poll, 0.99),
                Percentile(poll, 1.0));
    if (poll.empty()) rc = 1;
  }
  Stop(ours);
  Stop(nginx);
  if (rc == 0) {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  return rc;
}
