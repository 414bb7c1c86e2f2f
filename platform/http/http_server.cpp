#include "platform/http/http_server.h"

#include <signal.h>
#include <sys/resource.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include "platform/http/connection.h"
#include "platform/http/server_core.h"
#include "platform/log.h"

namespace plat::http {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

int DefaultIoThreads() {
  const unsigned n = std::thread::hardware_concurrency();
  return static_cast<int>(std::max(2u, n / 2));
}

std::string TrimSlashes(std::string s) {
  while (!s.empty() && s.front() == '/') s.erase(0, 1);
  while (!s.empty() && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

void RaiseOpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) LogLine("cannot raise the open-file limit");
}

struct HttpServer::Impl {
  ServerCore core;
  // One event loop per I/O thread; the listening socket lives on the first.
  std::vector<std::unique_ptr<asio::io_context>> contexts;
  std::vector<asio::executor_work_guard<asio::io_context::executor_type>> work;
  std::unique_ptr<tcp::acceptor> acceptor;
  std::unique_ptr<asio::steady_timer> retry;
  std::size_t nextContext = 0;
  std::atomic<int> port{-1};
  std::vector<std::thread> threads;
  std::mutex lifeMutex;  // Start/Stop from different threads
  std::condition_variable stoppedCv;
  bool started = false;
  bool stopped = false;
  std::chrono::steady_clock::time_point lastRefusalLog{};

  explicit Impl(ServerOptions o) { core.options = o; }

  ~Impl() {
    // Connections die with their event loops, before the core they count in.
    acceptor.reset();
    retry.reset();
    work.clear();
    contexts.clear();
  }

  void Accept() {
    asio::io_context& target = *contexts[nextContext++ % contexts.size()];
    acceptor->async_accept(target, [this](const ErrorCode& ec, tcp::socket socket) {
      if (!acceptor->is_open() || ec == asio::error::operation_aborted) return;
      if (ec) {
        // Out of descriptors or memory: wait a little instead of spinning.
        if (ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
            ec == asio::error::no_memory || ec.value() == ENFILE) {
          LogRefusal("cannot accept a connection: " + ec.message());
          retry->expires_after(std::chrono::milliseconds(100));
          retry->async_wait([this](const ErrorCode& e) {
            if (!e && acceptor->is_open()) Accept();
          });
          return;
        }
        return Accept();
      }
      ErrorCode addrError;
      const tcp::endpoint peer = socket.remote_endpoint(addrError);
      std::string client = addrError ? std::string("unknown") : peer.address().to_string();
      if (!core.Admit(client)) {
        LogRefusal("refused a connection from " + client + ": too many open connections");
        socket.close(addrError);
      } else {
        auto executor = socket.get_executor();
        asio::post(executor, [this, s = std::make_shared<tcp::socket>(std::move(socket)), client]() mutable {
          StartConnection(core, std::move(*s), std::move(client));
        });
      }
      Accept();
    });
  }

  // At most one such line a second: a flood must not flood the log too.
  void LogRefusal(const std::string& line) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastRefusalLog < std::chrono::seconds(1)) return;
    lastRefusalLog = now;
    LogLine(line);
  }
};

HttpServer::HttpServer(ServerOptions options) : impl_(std::make_unique<Impl>(options)) {}

HttpServer::~HttpServer() { Stop(); }

void HttpServer::SetCommandHook(CommandHook hook) { impl_->core.hook = std::move(hook); }

void HttpServer::AddStaticFolder(std::string urlPrefix, std::filesystem::path folder, StaticFolderOptions options) {
  for (auto& below : options.noCacheBelow) {
    below = TrimSlashes(below);
    below += '/';
  }
  impl_->core.folders.push_back({"/" + TrimSlashes(std::move(urlPrefix)), folder.string(), std::move(options)});
}

void HttpServer::Get(std::string path, Handler handler) {
  impl_->core.routes.push_back({"GET", std::move(path), std::move(handler), nullptr, 0});
}

void HttpServer::Post(std::string path, Handler handler) {
  impl_->core.routes.push_back({"POST", std::move(path), std::move(handler), nullptr, 0});
}

void HttpServer::PostStream(std::string path, StreamHandler handler, std::uint64_t maxBody) {
  impl_->core.routes.push_back({"POST", std::move(path), nullptr, std::move(handler), maxBody});
}

void HttpServer::SetApplicationHandler(Handler handler) { impl_->core.application = std::move(handler); }

void HttpServer::AddDefaultHeader(std::string name, std::string value) {
  impl_->core.defaultHeaders.emplace_back(std::move(name), std::move(value));
}

bool HttpServer::Bind(const std::string& host, int port) {
  Impl& d = *impl_;
  std::lock_guard<std::mutex> lock(d.lifeMutex);
  if (d.acceptor || d.stopped) return false;
  RaiseOpenFileLimit();
  // A client gone while we write must end its connection, not the process.
  ::signal(SIGPIPE, SIG_IGN);

  ServerOptions& o = d.core.options;
  if (o.ioThreads <= 0) o.ioThreads = DefaultIoThreads();
  if (o.handlerThreads <= 0) o.handlerThreads = 1;
  for (int i = 0; i < o.ioThreads; ++i) {
    d.contexts.push_back(std::make_unique<asio::io_context>(1));
    d.work.push_back(asio::make_work_guard(*d.contexts.back()));
  }
  d.core.pool = std::make_unique<WorkerPool>(static_cast<std::size_t>(o.handlerThreads));

  ErrorCode ec;
  const asio::ip::address address = asio::ip::make_address(host, ec);
  auto acceptor = std::make_unique<tcp::acceptor>(*d.contexts[0]);
  if (!ec) {
    const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
    acceptor->open(endpoint.protocol(), ec);
    // Only SO_REUSEADDR: SO_REUSEPORT would let a second server bind the
    // same port and silently take half of the connections.
    if (!ec) acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor->bind(endpoint, ec);
    // A hall of screens reconnects at once after a restart.
    if (!ec) acceptor->listen(asio::socket_base::max_listen_connections, ec);
  }
  if (ec) {
    LogLine("cannot listen on " + host + ":" + std::to_string(port) + ": " + ec.message());
    return false;
  }
  d.port = acceptor->local_endpoint().port();
  d.acceptor = std::move(acceptor);
  d.retry = std::make_unique<asio::steady_timer>(*d.contexts[0]);
  return true;
}

int HttpServer::Port() const { return impl_->port; }

void HttpServer::Start() {
  Impl& d = *impl_;
  std::lock_guard<std::mutex> lock(d.lifeMutex);
  if (d.started || d.stopped) return;
  if (!d.acceptor) {
    LogLine("HTTP server run without a bound port");
    return;
  }
  d.started = true;
  asio::post(*d.contexts[0], [&d] { d.Accept(); });
  for (auto& ctx : d.contexts) d.threads.emplace_back([c = ctx.get()] { c->run(); });
}

void HttpServer::Run() {
  Start();
  Impl& d = *impl_;
  std::unique_lock<std::mutex> lock(d.lifeMutex);
  if (!d.started) return;
  d.stoppedCv.wait(lock, [&d] { return d.stopped; });
}

void HttpServer::Stop() {
  Impl& d = *impl_;
  std::lock_guard<std::mutex> lock(d.lifeMutex);
  if (d.stopped) return;
  d.stopped = true;
  d.core.stopping = true;
  if (d.acceptor) {
    asio::post(*d.contexts[0], [&d] {
      ErrorCode ec;
      d.acceptor->close(ec);
      d.retry->cancel();
    });
  }
  // Handlers finish before the loops end.
  if (d.core.pool) d.core.pool->shutdown();
  d.work.clear();
  for (auto& ctx : d.contexts) ctx->stop();
  for (auto& t : d.threads)
    if (t.joinable()) t.join();
  d.threads.clear();
  // The port is free again once Stop() returns.
  if (d.acceptor) {
    ErrorCode ec;
    d.acceptor->close(ec);
  }
  d.stoppedCv.notify_all();
}

std::size_t HttpServer::OpenConnections() const { return impl_->core.OpenConnections(); }

}  // namespace plat::http
