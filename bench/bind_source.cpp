// Preloaded into a load generator that cannot choose its source address
// (wrk): every IPv4 connect() to a loopback address is made from the next
// of the loopback addresses named by TESS_BIND_FROM ("127.0.0.2-127.0.0.9"),
// in turn, so the load comes from other client addresses than a display.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

using ConnectFn = int (*)(int, const sockaddr*, socklen_t);

std::atomic<unsigned> next{0};

bool Range(std::uint32_t& first, std::uint32_t& count) {
  const char* spec = std::getenv("TESS_BIND_FROM");
  if (!spec) return false;
  char buf[64];
  std::strncpy(buf, spec, sizeof buf - 1);
  buf[sizeof buf - 1] = '\0';
  char* dash = std::strchr(buf, '-');
  in_addr a{}, b{};
  if (dash) *dash = '\0';
  if (inet_pton(AF_INET, buf, &a) != 1) return false;
  b = a;
  if (dash && inet_pton(AF_INET, dash + 1, &b) != 1) return false;
  first = ntohl(a.s_addr);
  const std::uint32_t last = ntohl(b.s_addr);
  if (last < first) return false;
  count = last - first + 1;
  return true;
}

}  // namespace

extern "C" int connect(int fd, const sockaddr* addr, socklen_t len) {
  static ConnectFn real = reinterpret_cast<ConnectFn>(dlsym(RTLD_NEXT, "connect"));
  std::uint32_t first = 0, count = 0;
  if (addr && addr->sa_family == AF_INET && len >= sizeof(sockaddr_in) && Range(first, count)) {
    const auto* to = reinterpret_cast<const sockaddr_in*>(addr);
    if ((ntohl(to->sin_addr.s_addr) >> 24) == 127) {
      sockaddr_in from{};
      from.sin_family = AF_INET;
      from.sin_addr.s_addr = htonl(first + next.fetch_add(1) % count);
      int one = 1;
      ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
      ::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
    }
  }
  return real(fd, addr, len);
}
