#pragma once
// What the connections of one server share: options, the hook, routes,
// static folders, default headers, the handler threads and the count of
// open sockets per client. Internal to the HTTP layer.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/http/http_server.h"
#include "platform/http/worker_pool.h"

namespace plat::http {

struct Route {
  std::string method;
  std::string path;
  Handler handler;       // buffered body
  StreamHandler stream;  // or streamed body
  std::uint64_t maxBody = 0;
};

struct StaticFolder {
  std::string urlBase;  // "/files"
  std::string folder;   // native path of the folder
  StaticFolderOptions options;
};

struct ServerCore {
  ServerOptions options;
  CommandHook hook;
  std::vector<Route> routes;
  std::vector<StaticFolder> folders;
  Handler application;
  HeaderList defaultHeaders;
  std::unique_ptr<WorkerPool> pool;
  std::atomic<bool> stopping{false};

  // A route for the method and exact path; HEAD finds the GET route.
  const Route* FindRoute(std::string_view method, std::string_view path) const;
  // The folder whose prefix (any letter case) begins `path`; `rest` is what
  // follows the prefix and its '/'.
  const StaticFolder* FindFolder(std::string_view path, std::string_view& rest) const;

  // Counts a new socket of `client`; false when it is one too many.
  bool Admit(const std::string& client);
  void Release(const std::string& client);
  std::size_t OpenConnections() const;

 private:
  mutable std::mutex clientsMutex_;
  std::unordered_map<std::string, std::size_t> clients_;
  std::size_t open_ = 0;
};

// The status line and header fields of a response: the default headers
// that `headers` does not name again, `headers`, the body's type and length
// (none for 1xx, 204 and 304) and the connection's fate.
std::string FormatHead(const ServerCore& core, int status, const HeaderList& headers, std::string_view contentType,
                       std::optional<std::uint64_t> length, bool keepAlive, unsigned version);

const char* ReasonPhrase(int status);

}  // namespace plat::http
