#include "support/test_support.h"

#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/log.h"

namespace testing_support {
namespace {
std::mutex gLogMutex;
std::vector<std::string> gLog;

void CaptureLine(std::string_view line) {
  std::lock_guard<std::mutex> lock(gLogMutex);
  gLog.emplace_back(line);
}
}  // namespace

LogCapture::LogCapture() {
  Clear();
  plat::SetLogSink(CaptureLine);
}

LogCapture::~LogCapture() { plat::SetLogSink(nullptr); }

std::vector<std::string> LogCapture::Lines() const {
  std::lock_guard<std::mutex> lock(gLogMutex);
  return gLog;
}

std::string LogCapture::All() const {
  std::string s;
  for (const auto& l : Lines()) s += l + "\n";
  return s;
}

void LogCapture::Clear() {
  std::lock_guard<std::mutex> lock(gLogMutex);
  gLog.clear();
}

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto p = std::filesystem::temp_directory_path() / ("tess-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::sys() const { return path_.string() + "/"; }

std::filesystem::path TempDir::Write(std::string_view relative, std::string_view bytes) const {
  auto p = path_ / std::filesystem::path(std::string(relative));
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + p.string());
  return p;
}

std::string TempDir::Read(std::string_view relative) const {
  std::ifstream in(path_ / std::filesystem::path(std::string(relative)), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

double ResidentMiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void WriteConsoleFiles(const TempDir& dir) {
  std::filesystem::create_directories(dir.path() / "Config/Progs");
  dir.Write("Config/tessarine.ini",
            "[spielbetrieb]\r\nHeim=Heim FC\r\nGast=Gast SV\r\nTorHeim=0\r\nTorGast=0\r\nSpielabschnitt=2\r\n"
            "HalbzeitDauer2=45\r\nHalbzeitDauer3=30\r\nHalbzeitDauer4=20\r\nNachspielzeit=0\r\nVerl\xe4ngerung=15\r\n");
  dir.Write("Containers/System/files/spielstand.xml", "<?xml version=\"1.0\"?>\r\n<spielstand><settings/></spielstand>\r\n");
  dir.Write("Containers/System/files/spieler.xml", "<?xml version=\"1.0\"?>\r\n<spieler><settings/></spieler>\r\n");
  dir.Write("Containers/System/files/spielerInt.xml", "<?xml version=\"1.0\"?>\r\n<spieler><settings/></spieler>\r\n");
  dir.Write("Containers/System/files/Matchday.xml", "<?xml version=\"1.0\"?>\r\n<matchday/>\r\n");
}

}  // namespace testing_support
