#pragma once
// The server's log: one line per event on standard error, with the time of day.
#include <cstddef>
#include <string>
#include <string_view>

namespace plat {

void LogLine(std::string_view text);

// A text that came from outside (a request, a file) made fit for one log
// line: invalid UTF-8 replaced, control characters shown as "\x1F", and cut
// after maxBytes with the whole length noted.
std::string LogExcerpt(std::string_view text, std::size_t maxBytes = 200);

// Tests silence the log or capture it.
using LogSink = void (*)(std::string_view line);
void SetLogSink(LogSink sink);  // nullptr restores standard error

}  // namespace plat
