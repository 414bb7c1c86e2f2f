#pragma once
// A request as the server hands it to hooks and routes, the answer they fill
// in, and the reader of a body that is streamed instead of held in memory.
// None of these types knows the library underneath.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat::http {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string method;
  std::string uri;    // the request path exactly as sent, up to the first '?', not percent-decoded
  std::string path;   // decoded path
  std::string query;  // raw text after '?', empty if none
  std::string remoteAddr;
  HeaderList headers;  // as sent, in order
  std::string body;    // the whole body, for every route but streamed ones

  std::string Header(std::string_view name) const;  // case-insensitive, empty if absent
  bool HasHeader(std::string_view name) const;
  // The query's parameters, decoded ('+' is a blank), in order.
  std::vector<std::pair<std::string, std::string>> Params() const;
  std::string Param(std::string_view name) const;  // the first value, empty if absent
};

struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;
  HeaderList headers;  // custom response headers

  void SetContent(std::string content, std::string type) {
    body = std::move(content);
    contentType = std::move(type);
  }
  // Replaces every header of that name (any letter case).
  void SetHeader(std::string name, std::string value);
};

// The body of a streamed route, read on the handler's thread.
class BodyReader {
 public:
  virtual ~BodyReader() = default;
  // The body's length as announced by the client.
  virtual std::uint64_t Length() const = 0;
  // Hands the body to `sink` piece by piece until it ends. False when the
  // client broke off or stalled, or when `sink` returned false.
  virtual bool Read(const std::function<bool(const char* data, std::size_t size)>& sink) = 0;
};

// Percent-decoding of a URL part; `plusIsBlank` for query parameters.
std::string DecodeUrl(std::string_view text, bool plusIsBlank);

}  // namespace plat::http
