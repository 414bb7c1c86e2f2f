#include "platform/ui/escape.h"

#include <cstdio>
#include <cstring>

namespace plat::ui {

std::string EscapeHtml(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeHtml(std::string_view s) {
  static const std::pair<std::string_view, char> kEscapes[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    bool replaced = false;
    if (s[i] == '&') {
      for (const auto& [escape, ch] : kEscapes) {
        if (s.substr(i, escape.size()) == escape) {
          out += ch;
          i += escape.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += s[i++];
  }
  return out;
}

std::string ScriptJson(const nlohmann::json& value) {
  std::string s = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (c == '<') out += "\\u003c";
    else if (c == '>') out += "\\u003e";
    else if (c == '&') out += "\\u0026";
    else out += c;
  }
  return out;
}

std::string ScriptStringText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    switch (c) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\n': out += "\\n"; continue;
      case '\r': out += "\\r"; continue;
      case '\t': out += "\\t"; continue;
      case '<': out += "\\x3C"; continue;
      default: break;
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
      out += buf;
    } else if (text.substr(i, 3) == "\xE2\x80\xA8" || text.substr(i, 3) == "\xE2\x80\xA9") {
      out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::string StyleElementText(std::string_view css) {
  std::string out;
  out.reserve(css.size());
  for (std::size_t i = 0; i < css.size(); ++i) {
    if (css.compare(i, 2, "</") == 0) {
      out += "<\\/";
      ++i;
    } else {
      out += css[i];
    }
  }
  return out;
}

std::string PercentEncode(std::string_view text, std::string_view keep) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       std::strchr("-._~", ch) != nullptr || (ch != '\0' && keep.find(ch) != std::string_view::npos);
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace plat::ui
