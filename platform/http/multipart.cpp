#include "platform/http/multipart.h"

#include "platform/io/utf8.h"

namespace plat::http {
namespace {

// A part's header block may not grow beyond this.
constexpr std::size_t kMaxPartHeader = 16 * 1024;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The value of parameter `name` in "type; a=b; c="d"" (quoted strings with
// backslash escapes); `found` tells an empty value from a missing one.
std::string Parameter(std::string_view header, std::string_view name, bool* found = nullptr) {
  if (found) *found = false;
  std::size_t i = header.find(';');
  while (i != std::string_view::npos && i < header.size()) {
    ++i;
    while (i < header.size() && (header[i] == ' ' || header[i] == '\t')) ++i;
    const std::size_t eq = header.find('=', i);
    if (eq == std::string_view::npos) return {};
    const std::string_view key = Trim(header.substr(i, eq - i));
    std::size_t j = eq + 1;
    while (j < header.size() && (header[j] == ' ' || header[j] == '\t')) ++j;
    std::string value;
    if (j < header.size() && header[j] == '"') {
      ++j;
      while (j < header.size() && header[j] != '"') {
        if (header[j] == '\\' && j + 1 < header.size()) ++j;
        value += header[j++];
      }
      if (j < header.size()) ++j;  // the closing quote
      i = header.find(';', j);
    } else {
      const std::size_t end = header.find(';', j);
      value = std::string(Trim(header.substr(j, end == std::string_view::npos ? std::string_view::npos : end - j)));
      i = end;
    }
    if (io::utf8::EqualsNoCase(key, name)) {
      if (found) *found = true;
      return value;
    }
  }
  return {};
}

}  // namespace

std::string MultipartBoundary(std::string_view contentType) {
  const std::string_view type = Trim(contentType.substr(0, contentType.find(';')));
  if (!io::utf8::EqualsNoCase(type, "multipart/form-data")) return {};
  std::string b = Parameter(contentType, "boundary");
  // RFC 2046: 1 to 70 characters.
  if (b.empty() || b.size() > 70) return {};
  return b;
}

MultipartParser::MultipartParser(std::string boundary, PartStart onPart, PartData onData)
    : delimiter_("\r\n--" + boundary), onPart_(std::move(onPart)), onData_(std::move(onData)) {
  // The first boundary has no line break before it; pretend it had.
  pending_ = "\r\n";
}

bool MultipartParser::Feed(const char* data, std::size_t size) {
  if (state_ == State::Failed) return false;
  if (state_ == State::Done) return true;  // the epilogue is ignored
  pending_.append(data, size);
  while (Step()) {
  }
  return state_ != State::Failed;
}

// One step on `pending_`; false when it needs more bytes or is finished.
bool MultipartParser::Step() {
  switch (state_) {
    case State::Preamble: {
      const std::size_t at = pending_.find(delimiter_);
      if (at == std::string::npos) {
        // Keep what could be the start of the delimiter.
        if (pending_.size() >= delimiter_.size()) pending_.erase(0, pending_.size() - delimiter_.size() + 1);
        return false;
      }
      pending_.erase(0, at + delimiter_.size());
      state_ = State::AfterBoundary;
      return true;
    }
    case State::AfterBoundary: {
      // "--" ends the body; otherwise optional blanks and a line break.
      if (pending_.size() < 2) return false;
      if (pending_.compare(0, 2, "--") == 0) {
        state_ = State::Done;
        pending_.clear();
        return false;
      }
      std::size_t i = 0;
      while (i < pending_.size() && (pending_[i] == ' ' || pending_[i] == '\t')) ++i;
      if (pending_.size() - i < 2) {
        if (i > 256) state_ = State::Failed;
        return false;
      }
      if (pending_.compare(i, 2, "\r\n") != 0) {
        state_ = State::Failed;
        return false;
      }
      pending_.erase(0, i + 2);
      state_ = State::Headers;
      return true;
    }
    case State::Headers: {
      const std::size_t end = pending_.find("\r\n\r\n");
      if (end == std::string::npos) {
        if (pending_.size() > kMaxPartHeader) state_ = State::Failed;
        return false;
      }
      // A part without header lines: the block is empty.
      if (!ParseHeaders(std::string_view(pending_).substr(0, end))) {
        state_ = State::Failed;
        return false;
      }
      pending_.erase(0, end + 4);
      state_ = State::Content;
      return true;
    }
    case State::Content: {
      const std::size_t at = pending_.find(delimiter_);
      if (at == std::string::npos) {
        const std::size_t keep = delimiter_.size() - 1;
        if (pending_.size() > keep) {
          const std::size_t give = pending_.size() - keep;
          if (!onData_(pending_.data(), give)) {
            state_ = State::Failed;
            return false;
          }
          pending_.erase(0, give);
        }
        return false;
      }
      if (at > 0 && !onData_(pending_.data(), at)) {
        state_ = State::Failed;
        return false;
      }
      pending_.erase(0, at + delimiter_.size());
      state_ = State::AfterBoundary;
      return true;
    }
    case State::Done:
    case State::Failed:
      return false;
  }
  return false;
}

bool MultipartParser::ParseHeaders(std::string_view block) {
  // The header block begins right after the boundary line; an empty part
  // header ("\r\n\r\n" at once) leaves the block empty.
  MultipartPart part;
  bool disposition = false;
  while (!block.empty()) {
    const std::size_t eol = block.find("\r\n");
    const std::string_view line = block.substr(0, eol);
    block = eol == std::string_view::npos ? std::string_view() : block.substr(eol + 2);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view name = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (io::utf8::EqualsNoCase(name, "Content-Disposition")) {
      if (!io::utf8::EqualsNoCase(Trim(value.substr(0, value.find(';'))), "form-data")) return false;
      disposition = true;
      part.name = Parameter(value, "name");
      part.fileName = Parameter(value, "filename");
    } else if (io::utf8::EqualsNoCase(name, "Content-Type")) {
      part.contentType = std::string(value);
    }
  }
  return disposition && onPart_(part);
}

}  // namespace plat::http
