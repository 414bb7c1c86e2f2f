#pragma once
// Static files below a folder: validators, conditional requests, byte
// ranges and the choice of what to send. Internal to the HTTP layer; the
// application registers folders through HttpServer::AddStaticFolder. The
// connection sends the answer's file with sendfile.
#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/http/http_server.h"
#include "platform/http/message.h"

namespace plat::http {

struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;  // inclusive
};

enum class RangeKind {
  Whole,          // no usable Range header: send everything (200)
  Partial,        // send `range` (206)
  Unsatisfiable,  // 416 with "Content-Range: bytes */size"
};

// Parses a Range header value against a file of `size` bytes (RFC 9110):
// one byte range of unit "bytes" (any letter case) is honoured, an end
// past the size is clamped, numbers of any length are safe. Anything else
// (another unit, a malformed or empty set, several ranges, an end before
// the start) is ignored and the whole file is sent.
RangeKind ParseRange(std::string_view header, std::uint64_t size, ByteRange& range);

// RFC 9110 IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT").
std::string FormatHttpDate(std::time_t t);
bool ParseHttpDate(std::string_view text, std::time_t& t);

// The strong entity tag of a file: its modification time in nanoseconds
// and its size, so that every save changes it.
std::string EntityTag(const struct stat& st);
// True when an If-None-Match value names `etag` (weak comparison) or is "*".
bool IfNoneMatchMatches(std::string_view header, std::string_view etag);

// True when the part of a URL below a static prefix stays inside the folder:
// no ".." component (also percent-encoded in the raw text), no backslash,
// no NUL, not absolute. `decoded` is the decoded remainder, `raw` the
// remainder as it was sent.
bool IsSafeRelativeUrl(std::string_view decoded, std::string_view raw);

// An open file descriptor that closes itself.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& o) noexcept;
  int Get() const { return fd_; }

 private:
  int fd_ = -1;
};

// What to send for a static file.
struct FileAnswer {
  int status = 404;
  HeaderList headers;
  std::string contentType;
  UniqueFd file;                 // the bytes [offset, offset + length) of it, unless `memory`
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::shared_ptr<const std::string> memory;  // a compressed copy sent instead of the file
};

struct FileRequest {
  const HttpRequest* request = nullptr;
  const StaticFolderOptions* options = nullptr;
  bool noCache = false;  // below one of the folder's no-cache sub-folders
};

// Answers a GET or HEAD for a file that has passed the checks above: 404 for
// anything but a regular file, else 304, 206, 416 or 200 from the open file.
FileAnswer ServeFile(const FileRequest& request, const std::filesystem::path& file);

}  // namespace plat::http
