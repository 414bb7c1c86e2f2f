#include "platform/http/static_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "platform/http/mime_types.h"

namespace plat::http {
namespace {

// One read per call of the content provider: large enough for media
// throughput, small enough that many parallel downloads stay cheap.
constexpr std::size_t kChunkSize = 64 * 1024;

constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(s[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

enum class Number { Ok, Overflow, Invalid };

Number ParseNumber(std::string_view s, std::uint64_t& value) {
  if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return Number::Invalid;
  }
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec == std::errc::result_out_of_range) return Number::Overflow;
  return (ec == std::errc() && ptr == s.data() + s.size()) ? Number::Ok : Number::Invalid;
}

bool HasDotDotComponent(std::string_view s) {
  std::size_t i = 0;
  while (i <= s.size()) {
    std::size_t end = i;
    while (end < s.size() && s[end] != '/' && s[end] != '\\') ++end;
    if (s.substr(i, end - i) == "..") return true;
    i = end + 1;
  }
  return false;
}

// The raw text with the escapes that matter for leaving the folder undone:
// dots, slashes and backslashes. Anything else stays encoded.
std::string DecodeTraversalEscapes(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '%' && i + 2 < raw.size()) {
      const char a = raw[i + 1];
      const char b = LowerAscii(raw[i + 2]);
      if (a == '2' && b == 'e') { out += '.'; i += 2; continue; }
      if (a == '2' && b == 'f') { out += '/'; i += 2; continue; }
      if (a == '5' && b == 'c') { out += '\\'; i += 2; continue; }
      if (a == '0' && b == '0') { out += '\0'; i += 2; continue; }
    }
    out += raw[i];
  }
  return out;
}

struct OpenFile {
  int fd = -1;
  std::vector<char> buffer;
  explicit OpenFile(int f) : fd(f) {}
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
};

}  // namespace

RangeKind ParseRange(std::string_view header, std::uint64_t size, ByteRange& range) {
  std::string_view spec = Trim(header);
  if (!StartsWithNoCase(spec, "bytes")) return RangeKind::Whole;
  spec = Trim(spec.substr(5));
  if (spec.empty() || spec.front() != '=') return RangeKind::Whole;
  spec = Trim(spec.substr(1));
  if (spec.find(',') != std::string_view::npos) return RangeKind::Whole;  // several ranges
  const std::size_t dash = spec.find('-');
  if (dash == std::string_view::npos) return RangeKind::Whole;
  const std::string_view a = Trim(spec.substr(0, dash));
  const std::string_view b = Trim(spec.substr(dash + 1));

  if (a.empty()) {  // the last n bytes
    std::uint64_t n = 0;
    Number parsed = ParseNumber(b, n);
    if (parsed == Number::Invalid) return RangeKind::Whole;
    if (parsed == Number::Overflow) n = size;
    if (n == 0 || size == 0) return RangeKind::Unsatisfiable;
    n = std::min(n, size);
    range = {size - n, size - 1};
    return RangeKind::Partial;
  }

  std::uint64_t first = 0;
  Number parsedFirst = ParseNumber(a, first);
  if (parsedFirst == Number::Invalid) return RangeKind::Whole;
  std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
  if (!b.empty()) {
    Number parsedLast = ParseNumber(b, last);
    if (parsedLast == Number::Invalid) return RangeKind::Whole;
    if (parsedLast == Number::Overflow) last = std::numeric_limits<std::uint64_t>::max();
    if (parsedFirst == Number::Ok && last < first) return RangeKind::Whole;  // not a valid range at all
  }
  if (parsedFirst == Number::Overflow || first >= size) return RangeKind::Unsatisfiable;
  range = {first, std::min(last, size - 1)};
  return RangeKind::Partial;
}

std::string FormatHttpDate(std::time_t t) {
  std::tm tm{};
  ::gmtime_r(&t, &tm);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[static_cast<std::size_t>(tm.tm_wday)],
                tm.tm_mday, kMonths[static_cast<std::size_t>(tm.tm_mon)], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return buf;
}

bool ParseHttpDate(std::string_view text, std::time_t& t) {
  std::string_view s = Trim(text);
  // The weekday is redundant; skip it when present.
  if (std::size_t comma = s.find(','); comma != std::string_view::npos) s = Trim(s.substr(comma + 1));
  char month[4] = {};
  int day = 0, year = 0, hour = 0, minute = 0, second = 0;
  char zone[4] = {};
  std::string copy(s);
  if (std::sscanf(copy.c_str(), "%2d %3s %4d %2d:%2d:%2d %3s", &day, month, &year, &hour, &minute, &second, zone) !=
      7) {
    return false;
  }
  if (std::string_view(zone) != "GMT") return false;
  int mon = -1;
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (std::string_view(month) == kMonths[i]) mon = static_cast<int>(i);
  }
  if (mon < 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60 || year < 1970) return false;
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = mon;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  t = ::timegm(&tm);
  return true;
}

bool IsSafeRelativeUrl(std::string_view decoded, std::string_view raw) {
  if (decoded.find('\\') != std::string_view::npos) return false;
  if (decoded.find('\0') != std::string_view::npos) return false;
  if (!decoded.empty() && decoded.front() == '/') return false;
  if (HasDotDotComponent(decoded)) return false;
  // The decoded path alone would do today; the raw text is checked too so
  // that an escape the decoder handles differently cannot sneak a ".." past.
  const std::string undone = DecodeTraversalEscapes(raw);
  if (undone.find('\0') != std::string::npos) return false;
  return !HasDotDotComponent(undone);
}

void ServeFile(const httplib::Request& req, httplib::Response& res, const std::filesystem::path& file) {
  // stat before open: opening a FIFO someone put there would block the worker.
  struct stat st;
  if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    res.status = 404;
    return;
  }
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    res.status = 404;
    return;
  }
  auto handle = std::make_shared<OpenFile>(fd);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    res.status = 404;
    return;
  }
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  const std::string lastModified = FormatHttpDate(st.st_mtime);
  const std::string contentType = MimeTypeForPath(file.filename().string());

  res.set_header("Accept-Ranges", "bytes");
  res.set_header("Last-Modified", lastModified);

  if (req.has_header("If-Modified-Since")) {
    std::time_t since = 0;
    if (ParseHttpDate(req.get_header_value("If-Modified-Since"), since) && st.st_mtime <= since) {
      res.status = 304;
      return;
    }
  }

  ByteRange range;
  RangeKind kind = RangeKind::Whole;
  if (req.has_header("Range")) {
    kind = ParseRange(req.get_header_value("Range"), size, range);
    // A range is only valid for the version the browser already holds part
    // of; we give no entity tags, so only our own date matches.
    if (req.has_header("If-Range") && Trim(req.get_header_value("If-Range")) != lastModified) {
      kind = RangeKind::Whole;
    }
  }

  if (kind == RangeKind::Unsatisfiable) {
    res.status = 416;
    res.set_header("Content-Range", "bytes */" + std::to_string(size));
    return;
  }

  std::uint64_t first = 0;
  std::uint64_t count = size;
  if (kind == RangeKind::Partial) {
    first = range.first;
    count = range.last - range.first + 1;
    res.status = 206;
    res.set_header("Content-Range",
                   "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" +
                       std::to_string(size));
  } else {
    res.status = 200;
  }

  if (count == 0) {  // an empty file: a provider of length 0 is not sent correctly
    res.set_content(std::string(), contentType);
    return;
  }
  ::posix_fadvise(fd, static_cast<off_t>(first), static_cast<off_t>(count), POSIX_FADV_SEQUENTIAL);
  res.set_content_provider(
      static_cast<std::size_t>(count), contentType,
      [handle, first](std::size_t offset, std::size_t length, httplib::DataSink& sink) -> bool {
        try {
          if (handle->buffer.empty()) handle->buffer.resize(kChunkSize);
          const std::size_t want = std::min(length, kChunkSize);
          ssize_t got;
          do {
            got = ::pread(handle->fd, handle->buffer.data(), want, static_cast<off_t>(first + offset));
          } while (got < 0 && errno == EINTR);
          // A file that shrank while being sent cannot be completed: end the connection.
          if (got <= 0) return false;
          return sink.write(handle->buffer.data(), static_cast<std::size_t>(got));
        } catch (...) {
          return false;
        }
      });
}

}  // namespace plat::http
