#include "platform/http/message.h"

#include "platform/io/utf8.h"

namespace plat::http {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DecodeUrl(std::string_view text, bool plusIsBlank) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      const int hi = HexValue(text[i + 1]);
      const int lo = HexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += (plusIsBlank && c == '+') ? ' ' : c;
  }
  return out;
}

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [k, v] : headers)
    if (io::utf8::EqualsNoCase(k, name)) return v;
  return {};
}

bool HttpRequest::HasHeader(std::string_view name) const {
  for (const auto& h : headers)
    if (io::utf8::EqualsNoCase(h.first, name)) return true;
  return false;
}

std::vector<std::pair<std::string, std::string>> HttpRequest::Params() const {
  std::vector<std::pair<std::string, std::string>> out;
  std::string_view rest = query;
  while (!rest.empty()) {
    const std::size_t amp = rest.find('&');
    const std::string_view item = rest.substr(0, amp);
    rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
    if (item.empty()) continue;
    const std::size_t eq = item.find('=');
    out.emplace_back(DecodeUrl(item.substr(0, eq), true),
                     eq == std::string_view::npos ? std::string() : DecodeUrl(item.substr(eq + 1), true));
  }
  return out;
}

std::string HttpRequest::Param(std::string_view name) const {
  for (auto& [k, v] : Params())
    if (k == name) return v;
  return {};
}

void HttpResponse::SetHeader(std::string name, std::string value) {
  std::erase_if(headers, [&](const auto& h) { return io::utf8::EqualsNoCase(h.first, name); });
  headers.emplace_back(std::move(name), std::move(value));
}

}  // namespace plat::http
