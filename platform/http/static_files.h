#pragma once
// Static files below a folder, streamed from disk with Range and
// If-Modified-Since support. Internal to the HTTP layer; the application
// registers folders through HttpServer::AddStaticFolder.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include <httplib.h>

namespace plat::http {

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // inclusive
};

enum class RangeKind {
  Whole,          // no Range header, or one we answer with the whole file
  Partial,        // one satisfiable range, clamped to the file
  Unsatisfiable,  // 416
};

// Reads a Range header against a file of `size` bytes. Only a single
// "bytes=a-b", "bytes=a-" or "bytes=-n" is answered partially; several ranges
// or a malformed header give the whole file, which is always allowed.
RangeKind ParseRange(std::string_view header, std::uint64_t size, ByteRange& range);

// RFC 1123 dates ("Sun, 06 Nov 1994 08:49:37 GMT").
std::string FormatHttpDate(std::time_t t);
bool ParseHttpDate(std::string_view text, std::time_t& t);

// True when the part of a URL below a static prefix stays inside the folder:
// no ".." component (also percent-encoded in the raw text), no backslash,
// no NUL, not absolute. `decoded` is the decoded remainder, `raw` the
// remainder as it was sent.
bool IsSafeRelativeUrl(std::string_view decoded, std::string_view raw);

// Answers a GET or HEAD for a file that has passed the checks above: 404 for
// anything but a regular file, 304, 206, 416 or 200 with the file streamed in
// chunks. Nothing is read before the response is written.
void ServeFile(const httplib::Request& req, httplib::Response& res, const std::filesystem::path& file);

}  // namespace plat::http
