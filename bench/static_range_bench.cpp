// Streams a large media file through the HTTP server the way browsers do
// (consecutive Range requests from several connections, plus a few full
// downloads) and checks two things: the bytes arrive right, and the
// server's memory stays flat, i.e. no request reads a whole file.
//
//   static_range_bench [size] [threads]     size like 1G (default), 256M, 5000000
//
// Exits 1 when a transfer is wrong or the peak RSS grew by more than 64 MiB.
#include <httplib.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/http/http_server.h"

namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kRangeChunk = 8 * kMiB;
constexpr std::uint64_t kAllowedGrowth = 64 * kMiB;

// The byte at offset i: 64-bit words that differ everywhere, so a range
// delivered from the wrong offset cannot pass.
inline std::uint8_t PatternByte(std::uint64_t i) {
  const std::uint64_t word = (i >> 3) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::uint8_t>(word >> ((i & 7) * 8));
}

std::uint64_t ParseSize(const char* text) {
  char* end = nullptr;
  std::uint64_t n = std::strtoull(text, &end, 10);
  switch (end && *end ? *end : ' ') {
    case 'k': case 'K': return n << 10;
    case 'm': case 'M': return n << 20;
    case 'g': case 'G': return n << 30;
    default: return n;
  }
}

// VmHWM (peak) and VmRSS (current) of this process in bytes.
struct Memory {
  std::uint64_t peak = 0;
  std::uint64_t current = 0;
};

Memory ReadMemory() {
  Memory m;
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    std::uint64_t kb = 0;
    if (key == "VmHWM:") {
      in >> kb;
      m.peak = kb * 1024;
    } else if (key == "VmRSS:") {
      in >> kb;
      m.current = kb * 1024;
    }
    in.ignore(1 << 20, '\n');
  }
  return m;
}

void WritePattern(const std::filesystem::path& file, std::uint64_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  std::vector<char> block(kMiB);
  for (std::uint64_t off = 0; off < size; off += block.size()) {
    const std::uint64_t n = std::min<std::uint64_t>(block.size(), size - off);
    for (std::uint64_t i = 0; i < n; ++i) block[i] = static_cast<char>(PatternByte(off + i));
    out.write(block.data(), static_cast<std::streamsize>(n));
  }
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// Checks a received piece at `offset`: its edges and a sample every 4093
// bytes (checking every byte would measure the checker, not the server).
bool SampleOk(const char* data, std::size_t n, std::uint64_t offset) {
  auto ok = [&](std::size_t i) { return static_cast<std::uint8_t>(data[i]) == PatternByte(offset + i); };
  for (std::size_t i = 0; i < n && i < 64; ++i) {
    if (!ok(i) || !ok(n - 1 - i)) return false;
  }
  for (std::size_t i = 0; i < n; i += 4093) {
    if (!ok(i)) return false;
  }
  return true;
}

struct Totals {
  std::atomic<std::uint64_t> bytes{0};
  std::atomic<int> errors{0};
};

void Fail(Totals& t, const std::string& what) {
  if (t.errors++ < 10) std::fprintf(stderr, "error: %s\n", what.c_str());
}

// Fetches [first, last] and verifies status, headers and the bytes.
void FetchRange(httplib::Client& client, std::uint64_t first, std::uint64_t last, std::uint64_t size, Totals& t) {
  std::uint64_t at = first;
  bool good = true;
  const std::string range = "bytes=" + std::to_string(first) + "-" + std::to_string(last);
  auto res = client.Get("/Containers/big.mp4", {{"Range", range}}, [&](const char* data, std::size_t n) {
    if (!SampleOk(data, n, at)) good = false;
    at += n;
    return true;
  });
  if (!res) return Fail(t, range + ": " + httplib::to_string(res.error()));
  const std::string expect = "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + std::to_string(size);
  if (res->status != 206 || res->get_header_value("Content-Range") != expect) {
    return Fail(t, range + ": status " + std::to_string(res->status) + " " + res->get_header_value("Content-Range"));
  }
  if (!good || at != last + 1) return Fail(t, range + ": wrong bytes");
  t.bytes += at - first;
}

void FetchWhole(httplib::Client& client, std::uint64_t size, Totals& t) {
  std::uint64_t at = 0;
  bool good = true;
  auto res = client.Get("/Containers/big.mp4", [&](const char* data, std::size_t n) {
    if (!SampleOk(data, n, at)) good = false;
    at += n;
    return true;
  });
  if (!res) return Fail(t, "full GET: " + httplib::to_string(res.error()));
  if (res->status != 200 || !good || at != size) return Fail(t, "full GET: wrong answer");
  t.bytes += at;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t size = argc > 1 ? ParseSize(argv[1]) : (1ull << 30);
  const int threads = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
  if (size == 0) {
    std::fprintf(stderr, "usage: %s [size like 1G, 256M] [client threads]\n", argv[0]);
    return 2;
  }

  std::string tmpl = (std::filesystem::temp_directory_path() / "tess-bench-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) {
    std::perror("mkdtemp");
    return 2;
  }
  const std::filesystem::path dir = tmpl;
  int rc = 0;
  try {
    std::filesystem::create_directories(dir / "Containers");
    std::printf("writing %.0f MiB test file...\n", static_cast<double>(size) / kMiB);
    WritePattern(dir / "Containers" / "big.mp4", size);

    plat::http::HttpServer server;
    server.AddDefaultHeader("Access-Control-Allow-Origin", "*");
    server.AddStaticFolder("Containers", dir / "Containers");
    if (!server.Bind("127.0.0.1", 0)) throw std::runtime_error("cannot bind a loopback port");
    server.Start();

    const Memory before = ReadMemory();

    // Phase 1: the whole file in consecutive 8 MiB ranges, spread over the
    // client threads, each on its own keep-alive connection.
    Totals ranges;
    const std::uint64_t chunks = (size + kRangeChunk - 1) / kRangeChunk;
    auto start = std::chrono::steady_clock::now();
    {
      std::vector<std::thread> pool;
      for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
          httplib::Client client("127.0.0.1", server.Port());
          client.set_keep_alive(true);
          client.set_read_timeout(60);
          for (std::uint64_t c = static_cast<std::uint64_t>(t); c < chunks; c += static_cast<std::uint64_t>(threads)) {
            const std::uint64_t first = c * kRangeChunk;
            FetchRange(client, first, std::min(size, first + kRangeChunk) - 1, size, ranges);
          }
        });
      }
      for (auto& th : pool) th.join();
    }
    const double rangeSeconds = Seconds(start);

    // Phase 2: one full download per client thread at the same time.
    Totals whole;
    start = std::chrono::steady_clock::now();
    {
      std::vector<std::thread> pool;
      for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
          httplib::Client client("127.0.0.1", server.Port());
          client.set_read_timeout(60);
          FetchWhole(client, size, whole);
        });
      }
      for (auto& th : pool) th.join();
    }
    const double wholeSeconds = Seconds(start);

    const Memory after = ReadMemory();
    server.Stop();

    auto mib = [](std::uint64_t b) { return static_cast<double>(b) / kMiB; };
    std::printf("file %.0f MiB, %d client threads\n", mib(size), threads);
    std::printf("range requests: %llu x 8 MiB, %.0f MiB in %.2f s = %.0f MiB/s\n",
                static_cast<unsigned long long>(chunks), mib(ranges.bytes), rangeSeconds,
                mib(ranges.bytes) / rangeSeconds);
    std::printf("full GETs:      %d, %.0f MiB in %.2f s = %.0f MiB/s\n", threads, mib(whole.bytes), wholeSeconds,
                mib(whole.bytes) / wholeSeconds);
    std::printf("peak RSS (VmHWM): before %.1f MiB, after %.1f MiB, growth %.1f MiB\n", mib(before.peak),
                mib(after.peak), mib(after.peak - before.peak));
    std::printf("RSS (VmRSS):      before %.1f MiB, after %.1f MiB\n", mib(before.current), mib(after.current));

    if (ranges.errors || whole.errors) {
      std::printf("FAIL: %d transfer errors\n", ranges.errors + whole.errors);
      rc = 1;
    }
    if (after.peak > before.peak + kAllowedGrowth) {
      std::printf("FAIL: peak RSS grew by more than %.0f MiB\n", mib(kAllowedGrowth));
      rc = 1;
    }
    if (rc == 0) std::printf("OK\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "error: %s\n", e.what());
    rc = 2;
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return rc;
}
