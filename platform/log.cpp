#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace plat {
namespace {
std::atomic<LogSink> gSink{nullptr};
std::mutex gLogMutex;
}  // namespace

void LogLine(std::string_view text) {
  if (LogSink sink = gSink.load()) {
    sink(text);
    return;
  }
  std::string line = FormatTime(SystemNow()) + " " + std::string(text) + "\n";
  std::lock_guard<std::mutex> lock(gLogMutex);
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void SetLogSink(LogSink sink) { gSink.store(sink); }

}  // namespace plat
