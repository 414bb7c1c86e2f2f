#include "support/raw_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <strings.h>

namespace testing_support {
namespace {

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

RawSocket::RawSocket(int port, const char* from) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  // Only the address is chosen here, the port at connect(); and the port
  // left in TIME_WAIT must not keep a server from binding it later.
  int one = 1;
  ::setsockopt(fd_, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
  ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from, &local.sin_addr);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    Close();
  }
}

RawSocket::~RawSocket() { Close(); }

void RawSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool RawSocket::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string RawSocket::ReadResponse(std::chrono::milliseconds wait) {
  const auto end = Clock::now() + wait;
  std::size_t headerEnd = std::string::npos;
  std::size_t want = std::string::npos;
  char buf[16384];
  while (true) {
    if (headerEnd == std::string::npos) {
      headerEnd = pending_.find("\r\n\r\n");
      if (headerEnd != std::string::npos) {
        const std::string length = HeaderOf(pending_.substr(0, headerEnd + 4), "Content-Length");
        want = headerEnd + 4 + (length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10));
      }
    }
    if (want != std::string::npos && pending_.size() >= want) {
      std::string out = pending_.substr(0, want);
      pending_.erase(0, want);
      return out;
    }
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, MsLeft(end)) <= 0) return {};
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

bool RawSocket::ClosedWithin(std::chrono::milliseconds wait) {
  const auto end = Clock::now() + wait;
  char buf[16384];
  while (true) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, MsLeft(end));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
  }
}

int StatusOf(const std::string& response) {
  if (response.rfind("HTTP/1.", 0) != 0 || response.size() < 12) return 0;
  return std::atoi(response.c_str() + 9);
}

std::string HeaderOf(const std::string& response, std::string_view name) {
  std::size_t at = response.find("\r\n");
  while (at != std::string::npos && at + 2 < response.size()) {
    const std::size_t start = at + 2;
    const std::size_t end = response.find("\r\n", start);
    if (end == std::string::npos || end == start) break;
    const std::string_view line(response.data() + start, end - start);
    const std::size_t colon = line.find(':');
    if (colon == name.size() && ::strncasecmp(line.data(), name.data(), name.size()) == 0) {
      std::string_view v = line.substr(colon + 1);
      while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
      return std::string(v);
    }
    at = end;
  }
  return {};
}

}  // namespace testing_support
