#include "platform/http/connection.h"

#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/uio.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include "platform/http/compression.h"
#include "platform/http/server_core.h"
#include "platform/http/static_files.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"

namespace plat::http {
namespace {

namespace asio = boost::asio;
namespace bhttp = boost::beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using ErrorCode = boost::system::error_code;

// After an answer that ends the connection, what the client still sends is
// read and dropped for a moment, so that closing does not reset the
// connection before the client has read the answer.
constexpr std::size_t kLingerBytes = 1u << 20;
constexpr auto kLingerTime = std::chrono::seconds(2);
// Header and buffered bodies are read in pieces of this size.
constexpr std::size_t kReadChunk = 16 * 1024;
// A streamed body is read in pieces of this size.
constexpr std::size_t kStreamChunk = 64 * 1024;
// sendfile is called for at most this much at a time, so one large file
// does not keep the I/O thread from its other connections.
constexpr std::size_t kSendfileChunk = 1u << 20;

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

bool IsParseError(const ErrorCode& ec) {
  return ec.category() == bhttp::make_error_code(bhttp::error::bad_target).category() &&
         ec != bhttp::error::end_of_stream && ec != bhttp::error::partial_message;
}

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(ServerCore& core, tcp::socket socket, std::string client)
      : core_(core),
        socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        client_(std::move(client)),
        buffer_(core.options.maxHeaderBytes + 16 * 1024) {}

  ~Connection() { core_.Release(client_); }

  void Start() {
    ErrorCode ec;
    // Small answers go out at once; without this, Nagle's algorithm and
    // delayed ACKs add tens of milliseconds.
    socket_.set_option(tcp::no_delay(true), ec);
    socket_.non_blocking(true, ec);
    WaitForRequest();
  }

 private:
  // ---------------------------------------------------------- deadlines
  // One timer per connection. Moving the deadline later only stores it;
  // the timer, when it fires early, waits again for the rest.
  void SetDeadline(Clock::duration d) {
    deadline_ = Clock::now() + d;
    if (timerWaits_ > 0 && timer_.expiry() <= deadline_) return;
    ++timerWaits_;
    timer_.expires_at(deadline_);
    timer_.async_wait([self = shared_from_this()](const ErrorCode& ec) { self->OnTimer(ec); });
  }
  void ClearDeadline() { deadline_ = Clock::time_point::max(); }

  void OnTimer(const ErrorCode& ec) {
    --timerWaits_;
    if (ec == asio::error::operation_aborted || closed_) return;
    if (deadline_ == Clock::time_point::max()) return;
    if (Clock::now() >= deadline_) {
      Close();
      return;
    }
    if (timerWaits_ == 0) {
      ++timerWaits_;
      timer_.expires_at(deadline_);
      timer_.async_wait([self = shared_from_this()](const ErrorCode& e) { self->OnTimer(e); });
    }
  }

  // ------------------------------------------------------------ reading
  void WaitForRequest() {
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(core_.options.maxHeaderBytes));
    parser_->body_limit(boost::none);  // each route's own limit is checked on the header
    if (buffer_.size() > 0) return ReadHeader();
    // An idle keep-alive connection costs little more than its socket: its
    // buffer is given back until the client sends again.
    buffer_.shrink_to_fit();
    SetDeadline(core_.options.keepAlive);
    socket_.async_wait(tcp::socket::wait_read, [self = shared_from_this()](const ErrorCode& ec) {
      if (ec) return self->Close();
      self->ReadHeader();
    });
  }

  void ReadHeader() {
    stage_ = Stage::Header;
    waited_ = false;
    Read();
  }

  // Reads and parses until the header, or the body, is complete: straight
  // from the socket while it has data, then a wait for readability.
  void Read() {
    const int fd = socket_.native_handle();
    for (;;) {
      ErrorCode ec;
      if (Parse(ec)) return StageDone(ec);
      if (buffer_.size() >= buffer_.max_size()) return StageDone(bhttp::error::buffer_overflow);
      const std::size_t room = std::min<std::size_t>(kReadChunk, buffer_.max_size() - buffer_.size());
      const auto space = buffer_.prepare(room);
      const ssize_t n = ::recv(fd, space.data(), space.size(), 0);
      if (n > 0) {
        buffer_.commit(static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        // A header that came whole needs no deadline (the usual case, so the
        // timer is left alone); one that did not has one deadline for all
        // of it, however it trickles in. A body must keep coming.
        if (stage_ == Stage::Body) {
          SetDeadline(core_.options.stallTimeout);
        } else if (!waited_) {
          SetDeadline(core_.options.headerDeadline);
        }
        waited_ = true;
        socket_.async_wait(tcp::socket::wait_read, [self = shared_from_this()](const ErrorCode& e) {
          if (e || self->closed_) return self->Close();
          self->Read();
        });
        return;
      }
      return Close();  // the client went away, within a request or between two
    }
  }

  // Feeds the buffered bytes to the parser of the current stage; true when
  // the stage is complete or failed (`ec`).
  bool Parse(ErrorCode& ec) {
    while (buffer_.size() > 0) {
      const std::size_t used =
          stage_ == Stage::Header ? parser_->put(buffer_.data(), ec) : bodyParser_->put(buffer_.data(), ec);
      buffer_.consume(used);
      if (ec == bhttp::error::need_more) {
        ec = {};
        return false;
      }
      if (ec) return true;
      if (stage_ == Stage::Header ? parser_->is_header_done() : bodyParser_->is_done()) return true;
      if (used == 0) return false;
    }
    return false;
  }

  void StageDone(const ErrorCode& ec) {
    if (stage_ == Stage::Header) return OnHeader(ec);
    if (ec == bhttp::error::body_limit) return Refuse(413);
    if (ec) return IsParseError(ec) ? Refuse(400) : Close();
    req_.body = std::move(bodyParser_->get().body());
    bodyParser_.reset();
    Dispatch(bodyRoute_);
  }

  void OnHeader(const ErrorCode& ec) {
    if (closed_) return;
    if (ec == bhttp::error::header_limit || ec == bhttp::error::buffer_overflow) return Refuse(431);
    if (ec) return IsParseError(ec) ? Refuse(400) : Close();

    const auto& msg = parser_->get();
    req_ = HttpRequest{};
    req_.method = std::string(msg.method_string());
    const std::string_view target(msg.target().data(), msg.target().size());
    const std::size_t q = target.find('?');
    req_.uri = std::string(target.substr(0, q));
    if (q != std::string_view::npos) req_.query = std::string(target.substr(q + 1));
    req_.path = DecodeUrl(req_.uri, false);
    req_.remoteAddr = client_;
    for (const auto& f : msg) req_.headers.emplace_back(std::string(f.name_string()), std::string(f.value()));
    version_ = msg.version();
    keepAlive_ = msg.keep_alive();
    res_ = HttpResponse{};
    hookHeaders_ = 0;
    if (version_ < 10 || version_ >= 20) return Refuse(505);

    const Route* route = core_.FindRoute(req_.method, req_.path);
    std::optional<std::uint64_t> length;
    if (auto announced = parser_->content_length()) length = *announced;
    const bool chunked = parser_->chunked();
    if (route && route->stream) {
      if (RunHook(!chunked && length.value_or(0) == 0)) return;
      if (chunked) return Refuse(411);
      if (length.value_or(0) > route->maxBody) return Refuse(413);
      Continue();
      return RunStream(*route, length.value_or(0));
    }
    // Refused before a byte of the body is read.
    if (length && *length > core_.options.maxBodyBytes) return Refuse(413);
    if (chunked || length.value_or(0) > 0) {
      Continue();
      return ReadBody(route);
    }
    Dispatch(route);
  }

  // "Expect: 100-continue": the client waits for this before the body.
  void Continue() {
    if (version_ < 11 || !io::utf8::EqualsNoCase(req_.Header("Expect"), "100-continue")) return;
    static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
    // Best effort into an empty socket buffer; a client that gets nothing
    // sends the body after its own short wait.
    [[maybe_unused]] ssize_t n = ::send(socket_.native_handle(), kContinue, sizeof kContinue - 1, MSG_NOSIGNAL);
  }

  void ReadBody(const Route* route) {
    bodyParser_.emplace(std::move(*parser_));
    bodyParser_->body_limit(core_.options.maxBodyBytes);
    bodyRoute_ = route;
    stage_ = Stage::Body;
    Read();
  }

  // ---------------------------------------------------------- answering
  // The hook sees every request first. True when it has answered (or
  // failed); with `bodyRead` false the unread body ends the connection.
  bool RunHook(bool bodyRead) {
    if (!core_.hook) return false;
    bool handled = false;
    try {
      handled = core_.hook(req_, res_);
    } catch (const std::exception& e) {
      Failed(e.what());
      handled = true;
    } catch (...) {
      Failed("unknown exception");
      handled = true;
    }
    hookHeaders_ = res_.headers.size();
    if (!handled) {
      res_.status = 200;
      res_.body.clear();
      res_.contentType.clear();
      return false;
    }
    if (!bodyRead) keepAlive_ = false;
    if (!res_.body.empty() && res_.contentType.empty()) res_.contentType = "text/plain";
    Compress();
    Send();
    return true;
  }

  void Dispatch(const Route* route) {
    if (RunHook(true)) return;
    const bool get = req_.method == "GET" || req_.method == "HEAD";
    if (get) {
      std::string_view rest;
      if (const StaticFolder* folder = core_.FindFolder(req_.path, rest)) return ServeStatic(*folder, rest);
    }
    if (route) return RunHandler(route->handler);
    if ((get || req_.method == "POST") && core_.application) return RunHandler(core_.application);
    res_.status = 404;
    Send();
  }

  // A failure inside the hook or a handler: whatever the handler had
  // started is dropped; the hook's headers and the default headers stay.
  void Failed(const std::string& what) {
    LogLine("error in " + req_.method + " " + Printable(req_.uri) + " from " + client_ + ": " + Printable(what));
    res_.headers.resize(std::min(res_.headers.size(), hookHeaders_));
    res_.status = 500;
    res_.SetContent("Internal Server Error", "text/plain");
  }

  // Dynamic answers of text are compressed when they are large enough to
  // gain from it.
  void Compress() {
    if (req_.method == "HEAD" || res_.body.size() < kCompressMinBytes || res_.status < 200 || res_.status >= 300) return;
    if (!IsCompressibleType(res_.contentType) || !AcceptsGzip(req_.Header("Accept-Encoding"))) return;
    for (const auto& h : res_.headers)
      if (io::utf8::EqualsNoCase(h.first, "Content-Encoding")) return;
    std::string packed;
    if (!Gzip(res_.body, packed)) return;
    res_.body = std::move(packed);
    res_.headers.emplace_back("Content-Encoding", "gzip");
    res_.headers.emplace_back("Vary", "Accept-Encoding");
  }

  void RunHandler(const Handler& handler) {
    ClearDeadline();
    core_.pool->enqueue([self = shared_from_this(), &handler] {
      try {
        handler(self->req_, self->res_);
      } catch (const std::exception& e) {
        self->Failed(e.what());
      } catch (...) {
        self->Failed("unknown exception");
      }
      self->Finish();
    });
  }

  // On a handler thread, once the handler has answered: the answer goes
  // out from here when the socket takes it at once (the usual case for
  // AJAX answers), saving the way through the I/O thread; the I/O thread
  // then writes the rest and reads the next request.
  void Finish() {
    Compress();
    if (!closed_) {
      Prepare();
      WriteMemory();
    }
    asio::post(socket_.get_executor(), [self = shared_from_this()] {
      if (!self->closed_) self->Flush();
    });
  }

  class StreamBody;
  void RunStream(const Route& route, std::uint64_t length);

  void ServeStatic(const StaticFolder& folder, std::string_view rest) {
    if (!IsSafeRelativeUrl(rest, req_.uri)) {
      LogLine("refused request from " + client_ + ": " + Printable(req_.uri));
      res_.status = 404;
      return Send();
    }
    std::string joined;
    if (rest.empty() || !io::JoinBelow(folder.folder, rest, joined)) {
      if (!rest.empty()) LogLine("refused request from " + client_ + ": " + Printable(req_.uri));
      res_.status = 404;  // folders are never listed
      return Send();
    }
    FileRequest fr;
    fr.request = &req_;
    fr.options = &folder.options;
    for (const std::string& below : folder.options.noCacheBelow)
      if (rest.size() >= below.size() && io::utf8::EqualsNoCase(rest.substr(0, below.size()), below)) fr.noCache = true;
    // Most addresses name the file exactly; only the others need the
    // search without letter case.
    FileAnswer a = ServeFile(fr, joined);
    if (a.status == 404) {
      const std::filesystem::path resolved = io::Resolve(joined);
      if (resolved != std::filesystem::path(joined)) a = ServeFile(fr, resolved);
    }
    if (a.status == 404) {
      res_.status = 404;
      return Send();
    }
    for (auto& h : a.headers) res_.headers.push_back(std::move(h));
    const std::uint64_t length = a.memory ? a.memory->size() : a.length;
    out_ = Outgoing{};
    out_.head = FormatHead(core_, a.status, res_.headers, a.contentType, length, keepAlive_, version_);
    if (req_.method != "HEAD" && a.status != 304) {
      if (a.memory) {
        out_.memory = std::move(a.memory);
      } else {
        out_.file = std::move(a.file);
        out_.fileOffset = a.offset;
        out_.fileLeft = a.length;
      }
    }
    Flush();
  }

  void Refuse(int status) {
    res_ = HttpResponse{};
    res_.status = status;
    res_.SetContent(ReasonPhrase(status), "text/plain");
    keepAlive_ = false;
    Send();
  }

  void Send() {
    if (closed_) return;
    Prepare();
    Flush();
  }

  // The response's head and body, ready to be written.
  void Prepare() {
    if (core_.stopping) keepAlive_ = false;
    out_ = Outgoing{};
    out_.head = FormatHead(core_, res_.status, res_.headers, res_.contentType, res_.body.size(), keepAlive_, version_);
    if (req_.method != "HEAD") out_.body = std::move(res_.body);
    res_.body.clear();
  }

  // ------------------------------------------------------------ writing
  struct Outgoing {
    std::string head;
    std::string body;
    std::shared_ptr<const std::string> memory;
    UniqueFd file;
    std::uint64_t fileOffset = 0;
    std::uint64_t fileLeft = 0;
    std::size_t sent = 0;  // of head, body and memory together
  };

  enum class Written { All, Again, Failed };

  // Writes what is left of the head and the in-memory body without
  // waiting. Touches nothing but the socket's descriptor and `out_`, so a
  // handler thread may call it while the I/O thread leaves the connection
  // alone.
  Written WriteMemory() {
    const int fd = socket_.native_handle();
    for (;;) {
      const std::size_t memorySize = out_.memory ? out_.memory->size() : 0;
      const std::size_t total = out_.head.size() + out_.body.size() + memorySize;
      if (out_.sent >= total) return Written::All;
      std::array<iovec, 3> iov{};
      std::size_t count = 0;
      std::size_t skip = out_.sent;
      auto add = [&](const char* p, std::size_t n) {
        if (skip >= n) {
          skip -= n;
          return;
        }
        iov[count].iov_base = const_cast<char*>(p + skip);
        iov[count].iov_len = n - skip;
        ++count;
        skip = 0;
      };
      add(out_.head.data(), out_.head.size());
      add(out_.body.data(), out_.body.size());
      if (out_.memory) add(out_.memory->data(), memorySize);
      msghdr msg{};
      msg.msg_iov = iov.data();
      msg.msg_iovlen = count;
      const ssize_t n = ::sendmsg(fd, &msg, MSG_NOSIGNAL | (out_.fileLeft > 0 ? MSG_MORE : 0));
      if (n < 0) {
        if (errno == EINTR) continue;
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? Written::Again : Written::Failed;
      }
      out_.sent += static_cast<std::size_t>(n);
    }
  }

  // An answer may take as long as it needs while it makes progress: each
  // wait for the socket, and each piece of a large file, moves the deadline.
  void Flush() {
    const int fd = socket_.native_handle();
    for (;;) {
      const Written w = WriteMemory();
      if (w == Written::Again) return WaitWritable();
      if (w == Written::Failed) return Close();
      if (out_.fileLeft > 0) {
        off_t offset = static_cast<off_t>(out_.fileOffset);
        const ssize_t n = ::sendfile(fd, out_.file.Get(), &offset,
                                     static_cast<std::size_t>(std::min<std::uint64_t>(out_.fileLeft, kSendfileChunk)));
        if (n < 0) {
          if (errno == EINTR) continue;
          if (errno == EAGAIN || errno == EWOULDBLOCK) return WaitWritable();
          return Close();
        }
        // A file that shrank while being sent cannot be completed.
        if (n == 0) return Close();
        out_.fileOffset += static_cast<std::uint64_t>(n);
        out_.fileLeft -= static_cast<std::uint64_t>(n);
        if (out_.fileLeft > 0 && static_cast<std::size_t>(n) >= kSendfileChunk) {
          // Let the thread's other connections have a turn.
          SetDeadline(core_.options.stallTimeout);
          asio::post(socket_.get_executor(), [self = shared_from_this()] { self->Flush(); });
          return;
        }
        continue;
      }
      break;
    }
    out_ = Outgoing{};
    if (!keepAlive_ || core_.stopping) return Linger();
    WaitForRequest();
  }

  void WaitWritable() {
    SetDeadline(core_.options.stallTimeout);
    socket_.async_wait(tcp::socket::wait_write, [self = shared_from_this()](const ErrorCode& ec) {
      if (ec) return self->Close();
      self->Flush();
    });
  }

  void Linger() {
    ErrorCode ec;
    socket_.shutdown(tcp::socket::shutdown_send, ec);
    if (ec) return Close();
    SetDeadline(kLingerTime);
    scratch_ = std::make_unique<std::array<char, 16 * 1024>>();
    Drain();
  }

  void Drain() {
    socket_.async_read_some(asio::buffer(*scratch_), [self = shared_from_this()](const ErrorCode& ec, std::size_t n) {
      self->drained_ += n;
      if (ec || self->drained_ > kLingerBytes) return self->Close();
      self->Drain();
    });
  }

  void Close() {
    if (closed_) return;
    closed_ = true;
    ErrorCode ec;
    socket_.close(ec);
    timer_.cancel();
  }

  ServerCore& core_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  std::string client_;
  boost::beast::flat_buffer buffer_;
  std::optional<bhttp::request_parser<bhttp::empty_body>> parser_;
  std::optional<bhttp::request_parser<bhttp::string_body>> bodyParser_;
  enum class Stage { Header, Body } stage_ = Stage::Header;
  const Route* bodyRoute_ = nullptr;
  bool waited_ = false;  // the header did not come in one piece
  HttpRequest req_;
  HttpResponse res_;
  std::size_t hookHeaders_ = 0;
  unsigned version_ = 11;
  bool keepAlive_ = false;
  Outgoing out_;
  Clock::time_point deadline_ = Clock::time_point::max();
  int timerWaits_ = 0;
  bool closed_ = false;
  std::unique_ptr<std::array<char, 16 * 1024>> scratch_;
  std::size_t drained_ = 0;
};

// The body of a streamed route, read on the handler's thread while the
// I/O thread leaves the connection alone: first what came with the header,
// then straight from the socket.
class Connection::StreamBody : public BodyReader {
 public:
  StreamBody(Connection& c, std::uint64_t length) : c_(c), length_(length), left_(length) {}
  std::uint64_t Length() const override { return length_; }
  bool Finished() const { return left_ == 0; }

  bool Read(const std::function<bool(const char*, std::size_t)>& sink) override {
    auto& buffer = c_.buffer_;
    if (left_ > 0 && buffer.size() > 0) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left_, buffer.size()));
      const char* data = static_cast<const char*>(buffer.data().data());
      const bool ok = sink(data, n);
      buffer.consume(n);
      left_ -= n;
      if (!ok) return false;
    }
    std::vector<char> chunk;
    if (left_ > 0) chunk.resize(kStreamChunk);
    const int fd = c_.socket_.native_handle();
    const auto stall = c_.core_.options.stallTimeout;
    auto lastProgress = Clock::now();
    while (left_ > 0) {
      if (c_.core_.stopping) return false;
      pollfd p{fd, POLLIN, 0};
      const int ready = ::poll(&p, 1, 250);
      if (ready < 0 && errno != EINTR) return false;
      if (ready <= 0) {
        if (Clock::now() - lastProgress > stall) return false;  // the client stalled
        continue;
      }
      const ssize_t n = ::recv(fd, chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left_, chunk.size())), 0);
      if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
      if (n <= 0) return false;  // broken off
      left_ -= static_cast<std::uint64_t>(n);
      lastProgress = Clock::now();
      if (!sink(chunk.data(), static_cast<std::size_t>(n))) return false;
    }
    return true;
  }

 private:
  Connection& c_;
  std::uint64_t length_;
  std::uint64_t left_;
};

void Connection::RunStream(const Route& route, std::uint64_t length) {
  ClearDeadline();
  core_.pool->enqueue([self = shared_from_this(), &route, length] {
    StreamBody body(*self, length);
    try {
      route.stream(self->req_, body, self->res_);
    } catch (const std::exception& e) {
      self->Failed(e.what());
    } catch (...) {
      self->Failed("unknown exception");
    }
    // What the handler left unread ends the connection after the answer.
    if (!body.Finished()) self->keepAlive_ = false;
    self->Finish();
  });
}

}  // namespace

void StartConnection(ServerCore& core, tcp::socket socket, std::string client) {
  std::make_shared<Connection>(core, std::move(socket), std::move(client))->Start();
}

}  // namespace plat::http
