// The fuzzing driver: fuzz_tests TARGET [--seconds S] [--runs N] [--seed N]
// [--corpus PATH]... [--input FILE]. Seeds are the corpus files and the
// files of the corpus folders. Each run mutates one of them (bit flips, byte
// changes, inserted and removed ranges, tokens of the format, splices of two
// inputs, numbers at their limits) and hands the result to the target, for
// S seconds or, when given, N runs. The same seed gives the same inputs in
// the same order. A crash, an escaping exception or a broken property
// prints the input (escaped) and writes it to fuzz-TARGET-failure.bin in
// the current folder; --input runs that file alone.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "fuzz/fuzz.h"
#include "platform/log.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define TESS_FUZZ_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/common_interface_defs.h>
#define TESS_FUZZ_SANITIZED 1
#endif
#endif

namespace fuzz {
namespace {

std::map<std::string, Target>& Targets() {
  static std::map<std::string, Target> targets;
  return targets;
}

// The input being run, for the crash report (written from a signal handler).
std::string gInput;
char gFailureFile[512];

void WriteFailureFile() {
  int fd = ::open(gFailureFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::size_t done = 0;
  while (done < gInput.size()) {
    ssize_t n = ::write(fd, gInput.data() + done, gInput.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

void OnDeath() {
  static const char kNote[] = "\nfuzz: the input that crashed is in ";
  WriteFailureFile();
  (void)!::write(2, kNote, sizeof kNote - 1);
  (void)!::write(2, gFailureFile, std::strlen(gFailureFile));
  (void)!::write(2, "\n", 1);
}

void OnSignal(int sig) {
  OnDeath();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

std::string Escaped(std::string_view s) {
  std::string out;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : s.substr(0, 2000)) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (s.size() > 2000) out += "... (" + std::to_string(s.size()) + " bytes)";
  return out;
}

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The seed files (given, or in the folders given), in name order so that
// the order does not depend on the file system.
std::vector<std::string> LoadSeeds(const std::vector<std::string>& folders) {
  std::vector<std::filesystem::path> files;
  for (const std::string& folder : folders) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(folder, ec)) {
      files.emplace_back(folder);
      continue;
    }
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file()) files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<std::string> seeds;
  for (const auto& f : files) seeds.push_back(ReadAll(f));
  if (seeds.empty()) seeds.emplace_back();
  return seeds;
}

class Mutator {
 public:
  Mutator(std::uint64_t seed, const std::vector<std::string>& dictionary, std::size_t maxSize)
      : rng_(seed), dictionary_(dictionary), maxSize_(maxSize) {}

  std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

  std::string Mutate(std::string s, const std::vector<std::string>& pool) {
    const std::size_t steps = 1 + Below(4);
    for (std::size_t i = 0; i < steps; ++i) Step(s, pool);
    if (s.size() > maxSize_) s.resize(maxSize_);
    return s;
  }

 private:
  void Step(std::string& s, const std::vector<std::string>& pool) {
    static const char kBytes[] = {'\0', '\r', '\n', '\t', ' ', ',', ';', ':', '=', '[', ']', '<', '>', '/', '"', '\'',
                                  '&', '#', '$', '-', '.', '\\', '\x7F', '\x80', '\x9D', '\xC3', '\xE4', '\xEF',
                                  '\xFF', '\x01', '\x1F'};
    static const char* const kNumbers[] = {"0",          "-1",         "1",          "9",          "10",
                                           "59",         "60",         "99",         "255",        "2147483647",
                                           "2147483648", "-2147483648", "4294967296", "99999999999", "$FFFFFFFF",
                                           "0x7FFFFFFF", "1e400",      "00",         "23:59",      "24:00",
                                           "99:99",      "-0",         "1,5",        "1.5"};
    const std::size_t pos = Below(s.size() + 1);
    switch (Below(12)) {
      case 0:  // flip a bit
        if (!s.empty()) s[Below(s.size())] ^= static_cast<char>(1u << Below(8));
        break;
      case 1:  // set a byte
        if (!s.empty()) s[Below(s.size())] = Below(2) ? kBytes[Below(sizeof kBytes)] : static_cast<char>(Below(256));
        break;
      case 2: {  // insert bytes
        std::string bytes;
        for (std::size_t n = 1 + Below(8); n > 0; --n) bytes += Below(2) ? kBytes[Below(sizeof kBytes)] : static_cast<char>(Below(256));
        s.insert(pos, bytes);
        break;
      }
      case 3:  // remove a range
        if (!s.empty()) s.erase(Below(s.size()), 1 + Below(std::min<std::size_t>(s.size(), 64)));
        break;
      case 4: {  // repeat a range
        if (s.empty()) break;
        const std::size_t from = Below(s.size());
        const std::string part = s.substr(from, 1 + Below(std::min<std::size_t>(s.size() - from, 256)));
        for (std::size_t n = 1 + Below(Below(8) == 0 ? 200 : 3); n > 0; --n) s.insert(pos, part);
        break;
      }
      case 5:
      case 6:  // a token of the format
        if (!dictionary_.empty()) s.insert(pos, dictionary_[Below(dictionary_.size())]);
        break;
      case 7: {  // a number at a limit in place of a run of digits
        const std::size_t start = s.find_first_of("0123456789", Below(s.size() + 1));
        const std::string number = kNumbers[Below(sizeof kNumbers / sizeof *kNumbers)];
        if (start == std::string::npos) {
          s.insert(pos, number);
        } else {
          std::size_t end = s.find_first_not_of("0123456789", start);
          s.replace(start, (end == std::string::npos ? s.size() : end) - start, number);
        }
        break;
      }
      case 8: {  // splice with another input
        const std::string& other = pool[Below(pool.size())];
        s = s.substr(0, pos) + other.substr(Below(other.size() + 1));
        break;
      }
      case 9:
      case 10: {  // another word: a name, a number or a value between the markup
        auto inWord = [&](std::size_t i) {
          const unsigned char c = static_cast<unsigned char>(s[i]);
          return std::isalnum(c) || c == '#' || c == '.' || c == ':' || c == '_' || c >= 0x80;
        };
        std::size_t b = pos, e = pos;
        while (b > 0 && inWord(b - 1)) --b;
        while (e < s.size() && inWord(e)) ++e;
        std::string word;
        switch (Below(5)) {
          case 0: word = kNumbers[Below(sizeof kNumbers / sizeof *kNumbers)]; break;
          case 1: if (!dictionary_.empty()) word = dictionary_[Below(dictionary_.size())]; break;
          case 2: for (std::size_t n = Below(6); n > 0; --n) word += kBytes[Below(sizeof kBytes)]; break;
          case 3: word = std::string(1 + Below(Below(4) == 0 ? 5000 : 40), static_cast<char>('A' + Below(26))); break;
          default: break;  // empty
        }
        s.replace(b, e - b, word);
        break;
      }
      default:  // cut
        s.resize(pos);
        break;
    }
  }

  std::mt19937_64 rng_;
  const std::vector<std::string>& dictionary_;
  std::size_t maxSize_;
};

int Usage() {
  std::cerr << "usage: fuzz_tests TARGET [--seconds S] [--runs N] [--seed N] [--corpus PATH]... [--input FILE]\n"
               "targets:";
  for (const auto& [name, t] : Targets()) std::cerr << ' ' << name;
  std::cerr << '\n';
  return 2;
}

void DiscardLog(std::string_view) {}

}  // namespace

bool Register(Target target) {
  std::string name = target.name;
  Targets().emplace(std::move(name), std::move(target));
  return true;
}

const std::string& WorkFolder() {
  static const std::string folder = [] {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (::access("/dev/shm", W_OK) == 0) base = "/dev/shm";
    std::random_device rd;
    std::filesystem::path p = base / ("tess-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(p);
    static const std::string remove = p.string();
    std::atexit([] {
      std::error_code e;
      std::filesystem::remove_all(remove, e);
    });
    return p.string() + "/";
  }();
  return folder;
}

}  // namespace fuzz

int main(int argc, char** argv) {
  using namespace fuzz;
  if (argc < 2) return Usage();
  auto it = Targets().find(argv[1]);
  if (it == Targets().end()) return Usage();
  const Target& target = it->second;

  double seconds = 2;
  long long maxRuns = -1;
  std::uint64_t seed = 1;
  std::vector<std::string> corpus;
  std::string single;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string opt = argv[i];
    const char* val = argv[i + 1];
    if (opt == "--seconds") seconds = std::atof(val);
    else if (opt == "--runs") maxRuns = std::atoll(val);
    else if (opt == "--seed") seed = std::strtoull(val, nullptr, 10);
    else if (opt == "--corpus") corpus.emplace_back(val);
    else if (opt == "--input") single = val;
    else return Usage();
  }

  std::snprintf(gFailureFile, sizeof gFailureFile, "fuzz-%s-failure.bin", target.name.c_str());
#ifdef TESS_FUZZ_SANITIZED
  __sanitizer_set_death_callback(OnDeath);
#endif
  for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) std::signal(sig, OnSignal);
  plat::SetLogSink(DiscardLog);  // a reader that logs every fault would flood the test output

  if (target.setUp) target.setUp();
  bool accepted = false;
  auto runOne = [&](const std::string& input) -> bool {
    gInput = input;
    try {
      accepted = target.run(input);
      return true;
    } catch (const Failure& f) {
      std::cerr << "fuzz " << target.name << ": " << f.what();
    } catch (const std::exception& e) {
      std::cerr << "fuzz " << target.name << ": exception escaped the reader: " << e.what();
    } catch (...) {
      std::cerr << "fuzz " << target.name << ": unknown exception escaped the reader";
    }
    WriteFailureFile();
    std::cerr << "\ninput: \"" << Escaped(input) << "\"\nwritten to " << gFailureFile << '\n';
    return false;
  };

  if (!single.empty()) return runOne(ReadAll(single)) ? 0 : 1;

  std::vector<std::string> pool = LoadSeeds(corpus);
  const std::size_t seeds = pool.size();
  Mutator mutator(seed, target.dictionary, target.maxSize);
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(seconds));
  long long runs = 0;
  // The seeds as they are first, then mutations.
  for (const std::string& s : pool) {
    if (!runOne(s)) return 1;
    ++runs;
  }
  while ((maxRuns < 0 || runs < maxRuns) && (maxRuns >= 0 || std::chrono::steady_clock::now() < deadline)) {
    std::string input = mutator.Mutate(pool[mutator.Below(pool.size())], pool);
    if (!runOne(input)) {
      std::cerr << "run " << runs << " of seed " << seed << '\n';
      return 1;
    }
    ++runs;
    // Some mutations become seeds themselves, so that changes pile up;
    // mostly those that the reader took in, so that the pool does not fill
    // with inputs refused at the first byte.
    if (mutator.Below(accepted ? 2 : 32) == 0) {
      if (pool.size() < seeds + 256) {
        pool.push_back(std::move(input));
      } else {
        pool[seeds + mutator.Below(256)] = std::move(input);
      }
    }
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "fuzz " << target.name << ": " << runs << " runs from " << seeds << " seeds in " << took
            << " s (seed " << seed << "), nothing found\n";
  return 0;
}
