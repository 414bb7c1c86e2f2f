#pragma once
// The HTTP server: cpp-httplib underneath, with our own static file
// streaming (Range, If-Modified-Since), a command hook that sees every
// request first, default headers on every response and a thread pool sized
// for many browsers holding keep-alive connections.
//
// Configure everything (hook, folders, handler, headers, Raw() routes)
// before Bind(); the handlers are then called from many worker threads.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <httplib.h>

namespace plat::http {

struct HttpRequest {  // what the application's command hook sees
  std::string method;
  std::string uri;    // the request path exactly as sent, up to the first '?', not percent-decoded
  std::string path;   // decoded path
  std::string query;  // raw text after '?', empty if none
  std::string remoteAddr;
  std::string Header(std::string_view name) const;  // case-insensitive, empty if absent
  const httplib::Request* raw = nullptr;
};

struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // custom response headers
};

// Called first for every request (any method, any path). The hook may add
// custom headers to the response and return false to let the request go on;
// those headers are still sent on the final response, whoever answers it.
using CommandHook = std::function<bool(const HttpRequest&, HttpResponse&)>;

struct ServerOptions {
  int threads = 0;  // 0 = enough for 50 browsers with 6 connections each plus outside requests
  int keepAliveSeconds = 5;
  std::size_t keepAliveMaxRequests = 100;
};

class HttpServer {
 public:
  explicit HttpServer(ServerOptions options = {});
  ~HttpServer();  // stops
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  void SetCommandHook(CommandHook hook);
  // Serves the files below `folder` (native path) at URL paths
  // "/<urlPrefix>/..." (e.g. "Containers", "files"). The prefix is matched
  // exactly, the names below it without regard to letter case.
  void AddStaticFolder(std::string urlPrefix, std::filesystem::path folder);
  // Application handler for GET/POST requests nobody else answered (pages,
  // AJAX); unset -> 404. Routes added through Raw() before Bind() come first.
  void SetApplicationHandler(std::function<void(const httplib::Request&, httplib::Response&)> handler);
  // Headers added to every response (pages, AJAX, static files, errors,
  // 404s, hook answers).
  void AddDefaultHeader(std::string name, std::string value);
  // Platform-internal extension point (session layer): routes, content
  // readers. The pre-/post-routing and exception handlers are ours; leave them.
  httplib::Server& Raw();

  bool Bind(const std::string& host, int port);  // port 0 = ephemeral; false (and a log line) on failure
  int Port() const;
  void Run();    // blocks until Stop()
  void Start();  // Run() on a background thread, returns when listening
  void Stop();

  // The worker count used when ServerOptions::threads is 0.
  static int DefaultThreadCount();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat::http
