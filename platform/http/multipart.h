#pragma once
// multipart/form-data bodies parsed as they stream in: each part's header
// is handed over once, its content in pieces, so parts of any size pass
// through a small window.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace plat::http {

struct MultipartPart {
  std::string name;         // the form field's name
  std::string fileName;     // empty for a part that is not a file
  std::string contentType;  // as sent, may be empty
};

// The boundary of a "multipart/form-data; boundary=..." content type;
// empty when the type is another or names no usable boundary.
std::string MultipartBoundary(std::string_view contentType);

class MultipartParser {
 public:
  using PartStart = std::function<bool(const MultipartPart&)>;
  using PartData = std::function<bool(const char* data, std::size_t size)>;

  MultipartParser(std::string boundary, PartStart onPart, PartData onData);

  // False once the body is malformed or a callback returned false; the
  // parser then takes nothing more.
  bool Feed(const char* data, std::size_t size);
  // True when the closing boundary was seen.
  bool Complete() const { return state_ == State::Done; }

 private:
  enum class State { Preamble, AfterBoundary, Headers, Content, Done, Failed };
  bool Step();
  bool ParseHeaders(std::string_view block);

  std::string delimiter_;  // "\r\n--" + boundary
  PartStart onPart_;
  PartData onData_;
  State state_ = State::Preamble;
  std::string pending_;  // bytes not yet consumed
};

}  // namespace plat::http
