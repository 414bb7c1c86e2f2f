#include "platform/clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <vector>

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

namespace {

std::string_view TrimBlanks(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

// Splits `text` at `sep` into at most `maxParts` whole numbers of 1 to 4
// digits each.
std::optional<std::vector<int>> Numbers(std::string_view text, char sep, std::size_t maxParts) {
  std::vector<int> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = text.find(sep, start);
    std::string_view piece = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    if (piece.empty() || piece.size() > 4) return std::nullopt;
    int v = 0;
    for (char c : piece) {
      if (c < '0' || c > '9') return std::nullopt;
      v = v * 10 + (c - '0');
    }
    parts.push_back(v);
    if (parts.size() > maxParts) return std::nullopt;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

std::optional<int> ParseTimeOfDay(std::string_view text) {
  auto parts = Numbers(TrimBlanks(text), ':', 3);
  if (!parts || parts->size() < 2) return std::nullopt;
  const int h = (*parts)[0], n = (*parts)[1], s = parts->size() > 2 ? (*parts)[2] : 0;
  if (h > 23 || n > 59 || s > 59) return std::nullopt;
  return h * 3600 + n * 60 + s;
}

std::optional<DateTime> ParseDate(std::string_view text) {
  text = TrimBlanks(text);
  auto parts = Numbers(text, '.', 3);
  if (!parts || parts->size() != 3) return std::nullopt;
  const std::size_t yearDigits = text.size() - text.rfind('.') - 1;
  if (yearDigits != 2 && yearDigits != 4) return std::nullopt;
  DateTime d;
  d.day = (*parts)[0];
  d.month = (*parts)[1];
  d.year = yearDigits == 2 ? 2000 + (*parts)[2] : (*parts)[2];
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1) return std::nullopt;
  const int days = kDays[d.month - 1] + (d.month == 2 && LeapYear(d.year) ? 1 : 0);
  if (d.day > days) return std::nullopt;
  // Day 0 of the day numbers (1 March of year 0) was a Wednesday.
  d.dayOfWeek = (DayNumber(d) % 7 + 3) % 7;
  return d;
}

int IsoWeekday(const DateTime& t) { return t.dayOfWeek == 0 ? 7 : t.dayOfWeek; }

int DayNumber(const DateTime& t) {
  // Days from 1 March of year 0 (civil calendar), so leap days fall last.
  const int y = t.month <= 2 ? t.year - 1 : t.year;
  const int m = t.month <= 2 ? t.month + 9 : t.month - 3;
  return 365 * y + y / 4 - y / 100 + y / 400 + (153 * m + 2) / 5 + t.day - 1;
}

std::string FormatDateTime(const DateTime& t) { return FormatDate(t) + " " + FormatTime(t); }

std::int64_t MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace plat
