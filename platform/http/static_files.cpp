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
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/http/compression.h"
#include "platform/http/mime_types.h"

namespace plat::http {
namespace {

// Compressed copies are kept for text files up to this size (the browser
// runtime, style sheets), at most this many of them.
constexpr std::uint64_t kCompressMaxFile = 8u << 20;
constexpr std::size_t kCompressedCopies = 64;
// Media this large are read ahead as they are sent.
constexpr std::uint64_t kReadAheadFrom = 1u << 20;

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

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

UniqueFd& UniqueFd::operator=(UniqueFd&& o) noexcept {
  if (this != &o) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = o.fd_;
    o.fd_ = -1;
  }
  return *this;
}

std::string EntityTag(const struct stat& st) {
  const std::uint64_t ns = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                           static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
  char buf[64];
  std::snprintf(buf, sizeof buf, "\"%llx-%llx\"", static_cast<unsigned long long>(ns),
                static_cast<unsigned long long>(st.st_size));
  return buf;
}

bool IfNoneMatchMatches(std::string_view header, std::string_view etag) {
  std::string_view want = etag;
  if (want.substr(0, 2) == "W/") want.remove_prefix(2);
  std::string_view rest = header;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    std::string_view tag = Trim(rest.substr(0, comma));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (tag == "*") return true;
    if (tag.substr(0, 2) == "W/") tag.remove_prefix(2);
    if (!tag.empty() && tag == want) return true;
  }
  return false;
}

namespace {

// gzip copies of text files, keyed by path and entity tag, so a file is
// compressed once per version.
class CompressedCopies {
 public:
  std::shared_ptr<const std::string> Get(const std::string& path, const std::string& etag, int fd,
                                         std::uint64_t size) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = copies_.find(path);
      if (it != copies_.end() && it->second.etag == etag) return it->second.data;
    }
    std::string plain(size, '\0');
    std::uint64_t done = 0;
    while (done < size) {
      const ssize_t got = ::pread(fd, plain.data() + done, size - done, static_cast<off_t>(done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return nullptr;
      done += static_cast<std::uint64_t>(got);
    }
    auto packed = std::make_shared<std::string>();
    if (!Gzip(plain, *packed)) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    if (copies_.size() >= kCompressedCopies && copies_.find(path) == copies_.end()) copies_.clear();
    copies_[path] = {etag, packed};
    return packed;
  }

 private:
  struct Copy {
    std::string etag;
    std::shared_ptr<const std::string> data;
  };
  std::mutex mutex_;
  std::map<std::string, Copy> copies_;
};

CompressedCopies& Copies() {
  static CompressedCopies copies;
  return copies;
}

bool HasVersion(std::string_view query) {
  std::string_view rest = query;
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    if (rest.substr(0, amp).rfind("v=", 0) == 0) return true;
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
  }
  return false;
}

}  // namespace

FileAnswer ServeFile(const FileRequest& fr, const std::filesystem::path& file) {
  const HttpRequest& req = *fr.request;
  FileAnswer a;
  // Non-blocking: opening a FIFO someone put there must not wait for a
  // writer; anything but a regular file is then refused.
  struct stat st;
  UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return a;

  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  const std::string lastModified = FormatHttpDate(st.st_mtime);
  a.contentType = MimeTypeForPath(file.filename().string());
  std::string etag = EntityTag(st);

  // A compressed copy goes out for whole answers of text files only.
  const bool compressible = fr.options->compressText && IsCompressibleType(a.contentType) &&
                            size >= kCompressMinBytes && size <= kCompressMaxFile;
  const bool gzip = compressible && !req.HasHeader("Range") && AcceptsGzip(req.Header("Accept-Encoding"));
  if (gzip) etag.insert(etag.size() - 1, "-gz");

  a.headers.emplace_back("Accept-Ranges", "bytes");
  a.headers.emplace_back("Last-Modified", lastModified);
  a.headers.emplace_back("ETag", etag);
  if (compressible) a.headers.emplace_back("Vary", "Accept-Encoding");
  if (fr.noCache) {
    a.headers.emplace_back("Cache-Control", "no-cache");
  } else if (fr.options->versionedCaching && HasVersion(req.query)) {
    a.headers.emplace_back("Cache-Control", "public, max-age=31536000, immutable");
  }

  // If-None-Match decides when present; If-Modified-Since only without it.
  bool notModified = false;
  if (req.HasHeader("If-None-Match")) {
    notModified = IfNoneMatchMatches(req.Header("If-None-Match"), etag);
  } else if (req.HasHeader("If-Modified-Since")) {
    std::time_t since = 0;
    notModified = ParseHttpDate(req.Header("If-Modified-Since"), since) && st.st_mtime <= since;
  }
  if (notModified) {
    a.status = 304;
    return a;
  }

  ByteRange range;
  RangeKind kind = RangeKind::Whole;
  if (req.HasHeader("Range")) {
    kind = ParseRange(req.Header("Range"), size, range);
    // A range is only valid for the version the browser already holds part
    // of: If-Range names it by entity tag or by date.
    if (req.HasHeader("If-Range")) {
      const std::string ifRange(Trim(req.Header("If-Range")));
      if (ifRange != etag && ifRange != lastModified) kind = RangeKind::Whole;
    }
  }

  if (kind == RangeKind::Unsatisfiable) {
    a.status = 416;
    a.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
    return a;
  }
  if (kind == RangeKind::Partial) {
    a.status = 206;
    a.offset = range.first;
    a.length = range.last - range.first + 1;
    a.headers.emplace_back("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                std::to_string(range.last) + "/" + std::to_string(size));
  } else {
    a.status = 200;
    a.length = size;
  }
  if (gzip) {
    a.memory = Copies().Get(file.string(), etag, fd.Get(), size);
    if (a.memory) {
      a.headers.emplace_back("Content-Encoding", "gzip");
    } else {  // not smaller: the plain file with its own tag
      for (auto& h : a.headers)
        if (h.first == "ETag") h.second = EntityTag(st);
    }
  }
  if (!a.memory && a.length >= kReadAheadFrom && req.method != "HEAD") {
    ::posix_fadvise(fd.Get(), static_cast<off_t>(a.offset), static_cast<off_t>(a.length), POSIX_FADV_SEQUENTIAL);
  }
  a.file = std::move(fd);
  return a;
}

}  // namespace plat::http
