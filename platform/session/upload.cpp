#include "platform/session/upload.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/http/multipart.h"
#include "platform/io/path.h"
#include "platform/session/random_hex.h"

namespace plat::session {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

// One cache file being written: a buffer in front of a file descriptor.
class CacheWriter {
 public:
  CacheWriter() : buffer_(kBufferBytes) {}
  ~CacheWriter() {
    if (fd_ >= 0) ::close(fd_);
  }
  CacheWriter(const CacheWriter&) = delete;
  CacheWriter& operator=(const CacheWriter&) = delete;

  // Creates a new file with a name nobody else can have chosen.
  bool Open(const std::filesystem::path& folder, std::filesystem::path& created, std::string& why) {
    for (int attempt = 0; attempt < 8; ++attempt) {
      std::filesystem::path p = folder / ("upload-" + RandomHex(16) + ".tmp");
      int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      if (fd >= 0) {
        fd_ = fd;
        used_ = 0;
        created = p;
        return true;
      }
      if (errno != EEXIST) {
        why = "cannot create a cache file in " + folder.string() + ": " + std::strerror(errno);
        return false;
      }
    }
    why = "cannot find a free cache file name in " + folder.string();
    return false;
  }

  bool IsOpen() const { return fd_ >= 0; }

  bool Write(const char* data, std::size_t n, std::string& why) {
    while (n > 0) {
      std::size_t take = std::min(n, buffer_.size() - used_);
      std::memcpy(buffer_.data() + used_, data, take);
      used_ += take;
      data += take;
      n -= take;
      if (used_ == buffer_.size() && !Flush(why)) return false;
    }
    return true;
  }

  bool Close(std::string& why) {
    if (fd_ < 0) return true;
    bool ok = Flush(why);
    if (::close(fd_) != 0 && ok) {
      why = std::string("cannot close a cache file: ") + std::strerror(errno);
      ok = false;
    }
    fd_ = -1;
    return ok;
  }

 private:
  bool Flush(std::string& why) {
    std::size_t done = 0;
    while (done < used_) {
      ssize_t w = ::write(fd_, buffer_.data() + done, used_ - done);
      if (w < 0) {
        if (errno == EINTR) continue;
        why = std::string("cannot write a cache file: ") + std::strerror(errno);
        return false;
      }
      done += static_cast<std::size_t>(w);
    }
    used_ = 0;
    return true;
  }

  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

}  // namespace

std::vector<ui::UploadedFile> ReceiveUpload(const http::HttpRequest& request, http::BodyReader& body,
                                            const std::string& tempFolderNative, std::string* error) {
  std::string why;
  std::vector<ui::UploadedFile> files;
  std::vector<std::filesystem::path> written;
  auto failed = [&](std::string reason) {
    std::error_code ec;
    for (const auto& p : written) std::filesystem::remove(p, ec);
    if (error) *error = std::move(reason);
    return std::vector<ui::UploadedFile>{};
  };
  if (error) error->clear();
  const std::string boundary = http::MultipartBoundary(request.Header("Content-Type"));
  if (boundary.empty()) return failed("not a multipart/form-data request");

  const std::filesystem::path folder(tempFolderNative);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) return failed("cannot create the temp folder " + tempFolderNative);
  const std::string systemFolder = io::ToSystemFolder(folder);

  CacheWriter writer;
  bool skipping = false;  // inside a part that is not a file
  http::MultipartParser parser(
      boundary,
      [&](const http::MultipartPart& part) {
        if (!writer.Close(why)) return false;
        skipping = part.fileName.empty();
        if (skipping) return true;
        std::filesystem::path created;
        if (!writer.Open(folder, created, why)) return false;
        written.push_back(created);
        files.push_back({part.fileName, systemFolder + created.filename().string()});
        return true;
      },
      [&](const char* data, std::size_t n) { return skipping || !writer.IsOpen() || writer.Write(data, n, why); });
  bool ok = body.Read([&](const char* data, std::size_t n) { return parser.Feed(data, n); }) && parser.Complete();
  if (!writer.Close(why)) ok = false;
  if (!ok) return failed(why.empty() ? "the upload was broken off or malformed" : why);
  return files;
}

}  // namespace plat::session
