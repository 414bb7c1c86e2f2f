#include "platform/session/random_hex.h"

#include <fcntl.h>
#include <unistd.h>

#include <random>

namespace plat::session {

std::string RandomHex(std::size_t bytes) {
  std::string raw(bytes, '\0');
  bool ok = false;
  int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ok = ::read(fd, raw.data(), raw.size()) == static_cast<ssize_t>(raw.size());
    ::close(fd);
  }
  if (!ok) {
    std::random_device rd;
    for (auto& c : raw) c = static_cast<char>(rd());
  }
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (unsigned char c : raw) {
    out += hex[c >> 4];
    out += hex[c & 15];
  }
  return out;
}

}  // namespace plat::session
