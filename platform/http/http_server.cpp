#include "platform/http/http_server.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <set>
#include <thread>

#include "platform/http/static_files.h"
#include "platform/http/worker_pool.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"

namespace plat::http {
namespace {

using HandlerResponse = httplib::Server::HandlerResponse;

// Browsers open up to six connections per host and cpp-httplib keeps one
// worker per open keep-alive connection; with 50 sessions that is 300
// workers busy just holding connections, plus room for outside requests.
constexpr int kSessions = 50;
constexpr int kConnectionsPerBrowser = 6;
constexpr int kSpareWorkers = 64;

// Uploads arrive through streaming content readers; the cap only guards
// against nonsense lengths.
constexpr std::size_t kPayloadMax = std::size_t{4} << 30;

// A stalled upload or a paused video holds a worker at most this long.
constexpr int kReadTimeoutSeconds = 30;
constexpr int kWriteTimeoutSeconds = 30;

// Reaches the listening socket, which httplib keeps to itself.
class ListeningServer : public httplib::Server {
 public:
  // httplib listens with a backlog of 5, too few when a hall of screens
  // reconnects at once after a restart; listen() again only widens it.
  void WidenBacklog() {
    socket_t sock = svr_sock_;
    if (sock != INVALID_SOCKET) ::listen(sock, SOMAXCONN);
  }
  // Closes a socket that was bound but never served.
  void CloseUnservedSocket() {
    socket_t sock = svr_sock_.exchange(INVALID_SOCKET);
    if (sock != INVALID_SOCKET) ::close(sock);
  }
};

// Keeps a log line on one line whatever the client sent.
std::string Printable(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      static const char* hex = "0123456789ABCDEF";
      out += '%';
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string_view TargetPath(const std::string& target) {
  std::string_view t = target;
  return t.substr(0, t.find('?'));
}

// httplib answers with brotli whenever the browser accepts it; we want zlib
// (gzip) only, so "br" is taken out of Accept-Encoding.
void RemoveBrotli(httplib::Request& req) {
  auto it = req.headers.find("Accept-Encoding");
  if (it == req.headers.end()) return;
  std::string kept;
  std::string_view value = it->second;
  while (!value.empty()) {
    std::size_t comma = value.find(',');
    std::string_view token = value.substr(0, comma);
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    std::string_view name = token.substr(0, token.find(';'));
    while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    if (name.empty() || io::utf8::EqualsNoCase(name, "br")) continue;
    while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
    if (!kept.empty()) kept += ", ";
    kept += token;
  }
  req.headers.erase("Accept-Encoding");
  if (!kept.empty()) req.headers.emplace("Accept-Encoding", kept);
}

// Custom headers replace headers of the same name already on the response
// (a default header the hook wants to say differently), but several custom
// headers of one name (Set-Cookie) all go out.
void AddCustomHeaders(httplib::Response& res, const std::vector<std::pair<std::string, std::string>>& headers) {
  std::set<std::string, httplib::detail::ci> names;
  for (const auto& h : headers) names.insert(h.first);
  for (const auto& name : names) res.headers.erase(name);
  for (const auto& h : headers) res.headers.emplace(h.first, h.second);
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
  if (raw == nullptr) return {};
  return raw->get_header_value(std::string(name));
}

struct HttpServer::Impl {
  struct StaticFolder {
    std::string urlBase;  // "/files"
    std::string folder;   // native path of the folder
  };

  ServerOptions options;
  ListeningServer server;
  CommandHook hook;
  std::function<void(const httplib::Request&, httplib::Response&)> application;
  std::vector<StaticFolder> folders;
  httplib::Headers defaultHeaders;

  std::atomic<int> port{-1};
  std::atomic<bool> stopRequested{false};
  std::atomic<bool> runFinished{false};
  bool routesInstalled = false;
  std::thread thread;
  std::mutex lifeMutex;  // Start/Stop from different threads

  explicit Impl(ServerOptions o) : options(o) {
    server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      return PreRouting(req, res);
    });
    server.set_exception_handler([this](const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
      OnException(req, res, ep);
    });
    server.set_post_routing_handler([](const httplib::Request& req, httplib::Response& res) { GuardProvider(req, res); });
  }

  // httplib calls content providers while writing the response, outside
  // the handlers' exception boundary; a provider that throws would end the
  // process. Wrapped, it ends only its connection.
  static void GuardProvider(const httplib::Request& req, httplib::Response& res) {
    if (!res.content_provider_) return;
    res.content_provider_ = [inner = std::move(res.content_provider_), what = req.method + " " + Printable(req.target)](
                                std::size_t offset, std::size_t length, httplib::DataSink& sink) {
      try {
        return inner(offset, length, sink);
      } catch (const std::exception& e) {
        LogLine("error while sending " + what + ": " + Printable(e.what()));
      } catch (...) {
        LogLine("error while sending " + what);
      }
      return false;
    };
  }

  HandlerResponse PreRouting(const httplib::Request& constReq, httplib::Response& res) {
    // httplib hands the pre-routing handler its own non-const local Request,
    // so writing to it is well-defined. We take over Range handling (httplib
    // neither clamps ranges nor answers 416 for them) and the choice of
    // compression, both of which httplib reads from the request later.
    auto& req = const_cast<httplib::Request&>(constReq);
    req.ranges.clear();
    RemoveBrotli(req);

    if (hook) {
      HttpRequest hr;
      hr.method = req.method;
      hr.uri = std::string(TargetPath(req.target));
      if (std::size_t q = req.target.find('?'); q != std::string::npos) hr.query = req.target.substr(q + 1);
      hr.path = req.path;
      hr.remoteAddr = req.remote_addr;
      hr.raw = &req;
      HttpResponse answer;
      const bool handled = hook(hr, answer);
      AddCustomHeaders(res, answer.headers);
      if (handled) {
        res.status = answer.status;
        if (!answer.body.empty() || !answer.contentType.empty()) {
          res.set_content(answer.body, answer.contentType.empty() ? "text/plain" : answer.contentType);
        }
        return HandlerResponse::Handled;
      }
    }

    if (req.method == "GET" || req.method == "HEAD") {
      for (const StaticFolder& f : folders) {
        if (req.path.compare(0, f.urlBase.size(), f.urlBase) != 0) continue;
        if (req.path.size() != f.urlBase.size() && req.path[f.urlBase.size()] != '/') continue;
        ServeStatic(req, res, f);
        return HandlerResponse::Handled;
      }
    }
    return HandlerResponse::Unhandled;
  }

  void ServeStatic(const httplib::Request& req, httplib::Response& res, const StaticFolder& f) {
    std::string_view rest = std::string_view(req.path).substr(f.urlBase.size());
    if (!rest.empty()) rest.remove_prefix(1);  // the '/' after the prefix
    if (!IsSafeRelativeUrl(rest, TargetPath(req.target))) {
      LogLine("refused request from " + req.remote_addr + ": " + Printable(req.target));
      res.status = 404;
      return;
    }
    std::string joined;
    if (rest.empty() || !io::JoinBelow(f.folder, rest, joined)) {
      if (!rest.empty()) LogLine("refused request from " + req.remote_addr + ": " + Printable(req.target));
      res.status = 404;  // folders are never listed
      return;
    }
    ServeFile(req, res, io::Resolve(joined));
  }

  void OnException(const httplib::Request& req, httplib::Response& res, std::exception_ptr ep) {
    std::string what = "unknown exception";
    try {
      if (ep) std::rethrow_exception(ep);
    } catch (const std::exception& e) {
      what = e.what();
    } catch (...) {
    }
    LogLine("error in " + req.method + " " + Printable(req.target) + " from " + req.remote_addr + ": " +
            Printable(what));
    // Whatever the handler had started is dropped; the headers of the hook
    // and the default headers stay.
    for (const char* name : {"Content-Type", "Content-Length", "Content-Range", "Content-Encoding",
                             "Transfer-Encoding", "Last-Modified", "Accept-Ranges", "Location"}) {
      res.headers.erase(name);
    }
    for (const auto& h : defaultHeaders) {
      if (!res.has_header(h.first)) res.headers.emplace(h.first, h.second);
    }
    res.body.clear();
    res.content_length_ = 0;
    res.content_provider_ = nullptr;
    res.is_chunked_content_provider_ = false;
    res.status = 500;
    res.set_content("Internal Server Error", "text/plain");
  }

  void InstallRoutes() {
    if (routesInstalled) return;
    routesInstalled = true;
    auto app = [this](const httplib::Request& req, httplib::Response& res) {
      if (application) {
        application(req, res);
      } else {
        res.status = 404;
      }
    };
    // Registered last so that routes added through Raw() are matched first.
    server.Get(".*", app);
    server.Post(".*", app);
  }
};

HttpServer::HttpServer(ServerOptions options) : impl_(std::make_unique<Impl>(options)) {}

HttpServer::~HttpServer() { Stop(); }

void HttpServer::SetCommandHook(CommandHook hook) { impl_->hook = std::move(hook); }

void HttpServer::AddStaticFolder(std::string urlPrefix, std::filesystem::path folder) {
  while (!urlPrefix.empty() && urlPrefix.front() == '/') urlPrefix.erase(0, 1);
  while (!urlPrefix.empty() && urlPrefix.back() == '/') urlPrefix.pop_back();
  impl_->folders.push_back({"/" + urlPrefix, folder.string()});
}

void HttpServer::SetApplicationHandler(std::function<void(const httplib::Request&, httplib::Response&)> handler) {
  impl_->application = std::move(handler);
}

void HttpServer::AddDefaultHeader(std::string name, std::string value) {
  impl_->defaultHeaders.emplace(std::move(name), std::move(value));
  impl_->server.set_default_headers(impl_->defaultHeaders);
}

httplib::Server& HttpServer::Raw() { return impl_->server; }

int HttpServer::DefaultThreadCount() { return kSessions * kConnectionsPerBrowser + kSpareWorkers; }

bool HttpServer::Bind(const std::string& host, int port) {
  Impl& d = *impl_;
  d.InstallRoutes();
  const int threads = d.options.threads > 0 ? d.options.threads : DefaultThreadCount();
  d.server.new_task_queue = [threads] { return new WorkerPool(static_cast<std::size_t>(threads)); };
  d.server.set_keep_alive_timeout(d.options.keepAliveSeconds);
  d.server.set_keep_alive_max_count(d.options.keepAliveMaxRequests);
  d.server.set_read_timeout(kReadTimeoutSeconds);
  d.server.set_write_timeout(kWriteTimeoutSeconds);
  d.server.set_payload_max_length(kPayloadMax);
  // Small AJAX answers go out as header and body writes; without this,
  // Nagle's algorithm and delayed ACKs add tens of milliseconds.
  d.server.set_tcp_nodelay(true);
  // httplib's default adds SO_REUSEPORT, which lets a second server bind
  // the same port and silently take half of the connections.
  d.server.set_socket_options([](socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });

  int bound = -1;
  if (port == 0) {
    bound = d.server.bind_to_any_port(host);
  } else if (d.server.bind_to_port(host, port)) {
    bound = port;
  }
  if (bound <= 0) {
    LogLine("cannot listen on " + host + ":" + std::to_string(port));
    return false;
  }
  d.server.WidenBacklog();
  d.port = bound;
  return true;
}

int HttpServer::Port() const { return impl_->port; }

void HttpServer::Run() {
  Impl& d = *impl_;
  if (d.port <= 0) {
    LogLine("HTTP server run without a bound port");
  } else if (!d.stopRequested) {
    d.server.listen_after_bind();
  }
  d.runFinished = true;
}

void HttpServer::Start() {
  Impl& d = *impl_;
  std::lock_guard<std::mutex> lock(d.lifeMutex);
  if (d.thread.joinable()) return;
  d.runFinished = false;
  d.thread = std::thread([this] { Run(); });
  while (!d.server.is_running() && !d.runFinished) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void HttpServer::Stop() {
  Impl& d = *impl_;
  std::lock_guard<std::mutex> lock(d.lifeMutex);
  d.stopRequested = true;
  if (d.server.is_running()) {
    d.server.stop();
  } else {
    d.server.CloseUnservedSocket();
  }
  if (d.thread.joinable()) d.thread.join();
}

}  // namespace plat::http
