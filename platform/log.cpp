#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/io/utf8.h"

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

std::string LogExcerpt(std::string_view text, std::size_t maxBytes) {
  const bool cut = text.size() > maxBytes;
  std::size_t end = cut ? maxBytes : text.size();
  // Cut before a character's continuation bytes, never inside it.
  while (cut && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  const std::string clean = io::utf8::ReplaceInvalid(text.substr(0, end));
  std::string out;
  out.reserve(clean.size() + 24);
  for (char ch : clean) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x20 || b == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += ch;
    }
  }
  if (cut) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

void SetLogSink(LogSink sink) { gSink.store(sink); }

}  // namespace plat
