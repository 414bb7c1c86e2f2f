#pragma once
// One clock for "now". Production reads the system's local time; tests
// install a fixed or stepping clock.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// A local date and time, broken down.
struct DateTime {
  int year = 2000, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 6;  // 0 = Sunday ... 6 = Saturday
};

using NowFunction = std::function<DateTime()>;

// The current local time through the installed clock.
DateTime Now();
// The real local time, whatever clock is installed.
DateTime SystemNow();
// Installs a clock; an empty function restores the system clock.
void SetNowFunction(NowFunction now);

// "hh:nn:ss", 24 hours, as times of day are written everywhere.
std::string FormatTime(const DateTime& t);
// "dd.mm.yyyy".
std::string FormatDate(const DateTime& t);
// "dd.mm.yyyy hh:nn:ss", a date and time as text.
std::string FormatDateTime(const DateTime& t);

// A time of day written "hh:nn:ss" or "hh:nn" (one-digit parts allowed,
// blanks around the whole ignored), as seconds since midnight.
std::optional<int> ParseTimeOfDay(std::string_view text);
// A date in the short date format "dd.mm.yyyy" (day and month may have one
// digit, a two-digit year is in this century); the date must exist.
std::optional<DateTime> ParseDate(std::string_view text);
// Monday 1 ... Sunday 7.
int IsoWeekday(const DateTime& t);
// Comparable day number of a date (year, month and day only).
int DayNumber(const DateTime& t);

// Milliseconds since an arbitrary start, never going back (for time-outs).
std::int64_t MonotonicMs();

}  // namespace plat
