#pragma once
// A plain TCP client for HTTP tests that need what no HTTP client library
// sends: endless or trickling headers, a body announced but never sent,
// a chosen source address.
#include <chrono>
#include <string>
#include <string_view>

namespace testing_support {

class RawSocket {
 public:
  // Connects to 127.0.0.1:port from `from` (any loopback address).
  explicit RawSocket(int port, const char* from = "127.0.0.1");
  ~RawSocket();
  RawSocket(const RawSocket&) = delete;
  RawSocket& operator=(const RawSocket&) = delete;

  bool Connected() const { return fd_ >= 0; }
  // Sends everything; false when the server closed or reset the connection.
  bool Send(std::string_view bytes);
  // Reads one response: the header and as many body bytes as its
  // Content-Length says. Empty when the connection ended first or nothing
  // came within `wait`.
  std::string ReadResponse(std::chrono::milliseconds wait = std::chrono::seconds(30));
  // True when the server closes (or resets) the connection within `wait`;
  // what it sends before is read and dropped.
  bool ClosedWithin(std::chrono::milliseconds wait);
  void Close();

 private:
  int fd_ = -1;
  std::string pending_;
};

// The status code of a response text; 0 when it has none.
int StatusOf(const std::string& response);
// A header's value in a response text (name in any case); empty if absent.
std::string HeaderOf(const std::string& response, std::string_view name);

}  // namespace testing_support
