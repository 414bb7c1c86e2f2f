#pragma once
// The server's log: one line per event on standard error, with the time of day.
#include <string_view>

namespace plat {

void LogLine(std::string_view text);

// Tests silence the log or capture it.
using LogSink = void (*)(std::string_view line);
void SetLogSink(LogSink sink);  // nullptr restores standard error

}  // namespace plat
