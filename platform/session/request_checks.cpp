#include "platform/session/request_checks.h"

#include <string>

#include "platform/http/message.h"

namespace plat::session {

bool JsonNestingWithin(std::string_view text, int maxDepth) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (inString) {
      if (ch == '\\') ++i;
      else if (ch == '"') inString = false;
      continue;
    }
    if (ch == '"') {
      inString = true;
    } else if (ch == '[' || ch == '{') {
      if (++depth > maxDepth) return false;
    } else if (ch == ']' || ch == '}') {
      if (depth > 0) --depth;
    }
  }
  return true;
}

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// "host:port" with the scheme's own port left out, in lower case.
std::string Authority(std::string_view hostPort, std::string_view scheme) {
  std::string a = Lower(hostPort);
  const std::string defaultPort = scheme == "https" ? ":443" : ":80";
  if (a.size() > defaultPort.size() && a.compare(a.size() - defaultPort.size(), defaultPort.size(), defaultPort) == 0)
    a.resize(a.size() - defaultPort.size());
  return a;
}

}  // namespace

bool SameOriginRequest(const http::HttpRequest& req) {
  if (!req.HasHeader("Origin")) return true;
  const std::string origin = req.Header("Origin");
  const std::size_t sep = origin.find("://");
  if (sep == std::string::npos || sep == 0) return false;  // "null" and anything not an origin
  const std::string scheme = Lower(std::string_view(origin).substr(0, sep));
  if (scheme != "http" && scheme != "https") return false;
  const std::string_view rest = std::string_view(origin).substr(sep + 3);
  if (rest.empty() || rest.find_first_of("/?#@ ") != std::string_view::npos) return false;
  const std::string host = req.Header("Host");
  return !host.empty() && Authority(rest, scheme) == Authority(host, scheme);
}

}  // namespace plat::session
