#include "platform/clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace plat {
namespace {
std::mutex gClockMutex;
NowFunction gNow;
}  // namespace

DateTime SystemNow() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t secs = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&secs, &tm);
  DateTime t;
  t.year = tm.tm_year + 1900;
  t.month = tm.tm_mon + 1;
  t.day = tm.tm_mday;
  t.hour = tm.tm_hour;
  t.minute = tm.tm_min;
  t.second = tm.tm_sec;
  t.millisecond = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  t.dayOfWeek = tm.tm_wday;
  return t;
}

DateTime Now() {
  NowFunction now;
  {
    std::lock_guard<std::mutex> lock(gClockMutex);
    now = gNow;
  }
  return now ? now() : SystemNow();
}

void SetNowFunction(NowFunction now) {
  std::lock_guard<std::mutex> lock(gClockMutex);
  gNow = std::move(now);
}

std::string FormatTime(const DateTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100);
  return buf;
}

std::string FormatDate(const DateTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", t.day % 100, t.month % 100, t.year % 10000);
  return buf;
}

std::int64_t MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace plat
