#pragma once
// The sessions of the process: created by page loads, limited in number,
// ended by the browser (beacon), by Terminate, or after a time without
// requests. Installs the page, AJAX, close and client routes on the HTTP
// server; the same calls serve in-process tests and benchmarks.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/session/session.h"

namespace plat::http {
class HttpServer;
}

namespace plat::session {

struct SessionHostConfig {
  std::size_t maxSessions = 50;
  std::int64_t timeoutMs = 10 * 60 * 1000;
  // A session whose page sends no request in this time is ended: the page
  // was never run (a plain GET) or closed at once.
  std::int64_t firstRequestMs = 60 * 1000;
  std::string title;
  std::function<std::string()> customCss;          // the application-wide CSS
  std::string loadingMessage = "Loading...";
  Json clientConfig = Json::object();              // handed to the browser at boot
  // Adjusts the browser's configuration for one page by its URL parameters.
  std::function<void(const std::map<std::string, std::string>&, Json&)> pageConfig;
  // Creates the session's main module and main form (the manager shows it).
  std::function<void(Session&)> createSession;
  // Server message pages, given the message, the address the page was
  // opened with ("/" and its query) and its URL parameters.
  using PageFor = std::function<std::string(const std::string& message, const std::string& address,
                                            const std::map<std::string, std::string>& params)>;
  PageFor terminatePage;
  PageFor exceptionPage;
  // What a session is, for the server log ("console", "display ..."), by
  // its URL parameters.
  std::function<std::string(const std::map<std::string, std::string>&)> describeSession;
  std::string terminateMessage;
  std::string clientFolder;       // the browser runtime (scripts.txt lists its files) and tessarine.css
  std::string fontAwesomeFolder;  // css/, webfonts/
  std::string tempFolder;         // upload cache files (native path)
};

class SessionManager {
 public:
  explicit SessionManager(SessionHostConfig config);
  ~SessionManager();

  void Install(http::HttpServer& server);

  // Opens a session as a page load does; nullptr when the limit is reached.
  // Raises when the application fails to create or show the form.
  // `address` is the page's address ("/" and its query; built from the
  // parameters when empty), `client` the browser's network address.
  std::shared_ptr<Session> Open(const std::map<std::string, std::string>& urlParams, std::string address = {},
                                const std::string& client = {});
  // The address of a page with these parameters ("/?a=1&b=2", encoded).
  static std::string AddressOf(const std::map<std::string, std::string>& urlParams);
  // The page of an open session.
  std::string RenderPage(Session& session);
  // One AJAX request; {gone: true} for an unknown session.
  Json Request(const std::string& sid, std::int64_t seq, const Json& events);
  // One AJAX request as its body arrived: a body that is not an object with
  // "sid" and "seq", or nests too deep, is refused with status 400 before
  // any session sees it. Sets the HTTP status.
  Json AjaxRequest(const std::string& body, int* status);
  void Close(const std::string& sid);
  std::shared_ptr<Session> Find(const std::string& sid);
  std::size_t Count();
  // Ends the sessions idle longer than the time-out and those whose page
  // never sent a request in time (`nowMs` monotonic).
  void Sweep(std::int64_t nowMs);

  const SessionHostConfig& Config() const { return config_; }

 private:
  std::string NewId();
  SessionHostConfig config_;
  std::vector<std::string> scripts_;  // the runtime's files, in load order
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<Session>> sessions_;
  std::int64_t lastSweepMs_ = 0;
};

}  // namespace plat::session
