#pragma once
// The HTTP server: a few I/O threads (epoll) serve every connection; static
// files go out from the I/O threads with sendfile, routes and the
// application's handlers run on a bounded pool of handler threads so a slow
// handler never stalls another connection. Every response carries the
// default headers, the server's own refusals included.
//
// Configure everything (hook, folders, routes, headers) before Bind(); the
// hook runs on the I/O threads, the handlers on the handler threads.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/http/message.h"

namespace plat::http {

// Called first for every request (any method, any path) on an I/O thread,
// so it must be quick. The hook may add custom headers to the response and
// return false to let the request go on; those headers are still sent on
// the final response, whoever answers it.
using CommandHook = std::function<bool(const HttpRequest&, HttpResponse&)>;
using Handler = std::function<void(const HttpRequest&, HttpResponse&)>;
using StreamHandler = std::function<void(const HttpRequest&, BodyReader&, HttpResponse&)>;

struct ServerOptions {
  int ioThreads = 0;       // 0 = half the processors, at least 2
  int handlerThreads = 50;  // handlers running at once; more requests wait for one
  std::size_t maxHeaderBytes = 64 * 1024;        // request line and header fields; 431 above
  std::size_t maxBodyBytes = 1024 * 1024;        // every route but streamed ones; 413 above
  std::chrono::milliseconds headerDeadline{10000};  // from the first byte to the end of the header
  std::chrono::milliseconds keepAlive{75000};       // an idle connection between requests
  std::chrono::milliseconds stallTimeout{60000};    // a body or an answer that makes no progress
  std::size_t connectionsPerClient = 256;        // open sockets per client address
  std::size_t maxConnections = 100000;           // open sockets in all
};

struct StaticFolderOptions {
  // Text files (scripts, style sheets) are sent gzip-compressed to browsers
  // that take it; media are never compressed.
  bool compressText = false;
  // Answers to addresses carrying "?v=" are cached by the browser for good
  // (the address changes with the file's version, see FileVersion).
  bool versionedCaching = false;
  // Files below these sub-folders (matched without letter case, with a
  // trailing '/') are sent with "Cache-Control: no-cache": documents that
  // change while pages read them.
  std::vector<std::string> noCacheBelow;
};

class HttpServer {
 public:
  explicit HttpServer(ServerOptions options = {});
  ~HttpServer();  // stops
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  void SetCommandHook(CommandHook hook);
  // Serves the files below `folder` (native path) at URL paths
  // "/<urlPrefix>/..." (e.g. "Containers", "files"). The prefix and the
  // names below it are matched without regard to letter case.
  void AddStaticFolder(std::string urlPrefix, std::filesystem::path folder, StaticFolderOptions options = {});
  // Routes for one exact path (no query). A GET route also answers HEAD.
  void Get(std::string path, Handler handler);
  void Post(std::string path, Handler handler);
  // A POST route whose body is streamed to the handler, up to `maxBody`
  // bytes (413 above, before anything is read); a body needs a length.
  void PostStream(std::string path, StreamHandler handler, std::uint64_t maxBody);
  // Handler for GET/POST requests no route or folder answered (404 unset).
  void SetApplicationHandler(Handler handler);
  // Headers added to every response (pages, AJAX, static files, errors,
  // 404s, hook answers, the server's own refusals).
  void AddDefaultHeader(std::string name, std::string value);

  bool Bind(const std::string& host, int port);  // port 0 = ephemeral; false (and a log line) on failure
  int Port() const;
  void Run();    // blocks until Stop()
  void Start();  // Run() on background threads, returns when serving
  void Stop();

  // Open sockets and handlers running now (for tests and benchmarks).
  std::size_t OpenConnections() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Raises the process's open-file limit to its hard limit (many keep-alive
// connections); called by Bind().
void RaiseOpenFileLimit();

}  // namespace plat::http
