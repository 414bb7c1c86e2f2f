#include "platform/http/server_core.h"

#include <ctime>

#include "platform/http/static_files.h"
#include "platform/io/utf8.h"

namespace plat::http {
namespace {

// Header names the layer writes itself; a handler cannot set them.
bool Reserved(std::string_view name) {
  return io::utf8::EqualsNoCase(name, "Content-Length") || io::utf8::EqualsNoCase(name, "Transfer-Encoding") ||
         io::utf8::EqualsNoCase(name, "Connection") || io::utf8::EqualsNoCase(name, "Date") ||
         io::utf8::EqualsNoCase(name, "Content-Type");
}

// A value with line breaks would start a header of the sender's choosing.
void AppendField(std::string& out, std::string_view name, std::string_view value) {
  out += name;
  out += ": ";
  for (char c : value) out += (c == '\r' || c == '\n') ? ' ' : c;
  out += "\r\n";
}

const std::string& DateNow() {
  thread_local std::time_t last = 0;
  thread_local std::string text;
  const std::time_t now = std::time(nullptr);
  if (now != last) {
    last = now;
    text = FormatHttpDate(now);
  }
  return text;
}

}  // namespace

const Route* ServerCore::FindRoute(std::string_view method, std::string_view path) const {
  const std::string_view m = method == "HEAD" ? std::string_view("GET") : method;
  for (const Route& r : routes)
    if (r.method == m && r.path == path) return &r;
  return nullptr;
}

const StaticFolder* ServerCore::FindFolder(std::string_view path, std::string_view& rest) const {
  for (const StaticFolder& f : folders) {
    if (path.size() < f.urlBase.size() || !io::utf8::EqualsNoCase(path.substr(0, f.urlBase.size()), f.urlBase)) continue;
    if (path.size() != f.urlBase.size() && path[f.urlBase.size()] != '/') continue;
    rest = path.substr(f.urlBase.size());
    if (!rest.empty()) rest.remove_prefix(1);
    return &f;
  }
  return nullptr;
}

bool ServerCore::Admit(const std::string& client) {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  if (open_ >= options.maxConnections) return false;
  std::size_t& n = clients_[client];
  if (n >= options.connectionsPerClient) return false;
  ++n;
  ++open_;
  return true;
}

void ServerCore::Release(const std::string& client) {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  auto it = clients_.find(client);
  if (it == clients_.end()) return;
  if (--it->second == 0) clients_.erase(it);
  --open_;
}

std::size_t ServerCore::OpenConnections() const {
  std::lock_guard<std::mutex> lock(clientsMutex_);
  return open_;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 410: return "Gone";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 416: return "Range Not Satisfiable";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return status < 400 ? "OK" : status < 500 ? "Bad Request" : "Internal Server Error";
  }
}

std::string FormatHead(const ServerCore& core, int status, const HeaderList& headers, std::string_view contentType,
                       std::optional<std::uint64_t> length, bool keepAlive, unsigned version) {
  if (status < 100 || status > 999) status = 500;
  std::string out;
  out.reserve(256);
  out += "HTTP/1.1 ";
  out += std::to_string(status);
  out += ' ';
  out += ReasonPhrase(status);
  out += "\r\n";
  AppendField(out, "Date", DateNow());
  for (const auto& d : core.defaultHeaders) {
    bool named = false;
    for (const auto& h : headers)
      if (io::utf8::EqualsNoCase(h.first, d.first)) named = true;
    if (!named) AppendField(out, d.first, d.second);
  }
  for (const auto& h : headers)
    if (!Reserved(h.first)) AppendField(out, h.first, h.second);
  const bool bodyless = status < 200 || status == 204 || status == 304;
  if (!contentType.empty() && !bodyless) AppendField(out, "Content-Type", contentType);
  if (length && !bodyless) AppendField(out, "Content-Length", std::to_string(*length));
  if (!keepAlive) {
    out += "Connection: close\r\n";
  } else if (version < 11) {
    out += "Connection: keep-alive\r\n";
  }
  out += "\r\n";
  return out;
}

}  // namespace plat::http
