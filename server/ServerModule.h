#pragma once
// The one server module of the process: the web server's settings, the HTTP
// port from the main configuration file, the custom HTTP commands and the
// display command record through which consoles reach the displays.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace plat::http {
class HttpServer;
struct HttpRequest;
struct HttpResponse;
}  // namespace plat::http
namespace plat::session {
class SessionManager;
}

// The last display command. The record holds one command: a command issued
// before a display has polled replaces the previous one for that display.
struct TDisplayCommand {
  std::int32_t sCMDNr = 0;  // sequence number, incremented by every issue
  std::string sMedium;      // medium of "Medium" / "TestMedium"
  std::string sStandort;    // playlist, layout, ticker or day-plan name
  std::string sTyp;         // command kind
  std::string sEffect;      // "true" / "false"
};

class TUniServerModule {
 public:
  // Settings of the web server, from the module's definition.
  std::string Title;
  std::string TempFolder;
  int MaxSessions = 50;
  int MaxConnections = 50;
  int SessionTimeoutMinutes = 10;
  int Port = 8077;
  std::string LoadingMessage;
  std::string TerminateMessage;
  std::string ConnectionErrorMessage;
  std::string ConnectionRetryMessage;
  // Server message pages; "[###message###]" and "[###url###]" are filled in.
  std::vector<std::string> ExceptionTemplate;
  std::vector<std::string> InvalidSessionTemplate;
  std::vector<std::string> TerminateTemplate;

  // `programFolder` is the folder holding Config\, Containers\ and files\.
  // Creating the module runs its create handler (the port).
  explicit TUniServerModule(std::string programFolder);
  ~TUniServerModule();
  TUniServerModule(const TUniServerModule&) = delete;
  TUniServerModule& operator=(const TUniServerModule&) = delete;

  // The program folder with a trailing backslash.
  const std::string& StartPath() const { return startPath_; }

  // --- display command -------------------------------------------------
  // A consistent copy of the record.
  TDisplayCommand DisplayCommand() const;
  // Issues a command of kind `kind` with target `target`: sets sStandort,
  // sTyp, sEffect (when `effect` is given) and increments sCMDNr, in that order.
  void IssueCommand(std::string_view kind, std::string_view target,
                    const std::string* effect = nullptr);
  // Issues a "Medium" or "TestMedium" command: sMedium, sTyp, sEffect, then
  // the number.
  void IssueMedium(std::string_view kind, std::string_view medium, std::string_view effect);
  // A display's poll: sets the number back to 1 once it exceeds 1000 (only
  // when `acts` says the display acts on the command, if given) and returns
  // a copy of the record taken under the same lock.
  TDisplayCommand PollDisplayCommand(const std::function<bool(const TDisplayCommand&)>& acts = {});

  // --- application-wide CSS ----------------------------------------------
  // Adds a line once; a line already present is not added again.
  void AddCustomCss(std::string_view line);
  std::string CustomCSS() const;

  // --- event handlers ----------------------------------------------------
  void UniGUIServerModuleCreate();
  // Called for every HTTP request before the server handles it; returns
  // true (Handled) when the response is complete.
  bool UniGUIServerModuleHTTPCommand(const plat::http::HttpRequest& request,
                                     plat::http::HttpResponse& response);

  // --- running -----------------------------------------------------------
  // Binds the HTTP server to `port` on every local address (0 = any free
  // port) and serves on a background thread; false when it cannot bind.
  bool Start(int port);
  void Stop();
  // Builds every form and binds the configured port on every local
  // address; false when the port cannot be had.
  bool Listen();
  // Serves on the calling thread until Stop().
  void Serve();
  int BoundPort() const;

  // The browser sessions of the process.
  plat::session::SessionManager& Sessions();
  // Builds every form once; raises when a definition does not fit its code.
  static void CheckFormDefinitions();

 private:
  void LoadSettings();
  void ConfigureHttp();
  std::string startPath_;
  std::string nativeFolder_;
  mutable std::mutex commandMutex_;
  TDisplayCommand command_;
  mutable std::mutex cssMutex_;
  std::vector<std::string> customCss_;
  std::unique_ptr<plat::session::SessionManager> sessions_;
  std::unique_ptr<plat::http::HttpServer> http_;
};

// The one server module of the process.
TUniServerModule& UniServerModule();
// Installs the process's server module (program start and tests).
void SetUniServerModule(TUniServerModule* module);

// Fills a server message page: the lines joined, "[###message###]" replaced
// by the (HTML-escaped) message and "[###url###]" by the application address.
std::string FillServerPage(const std::vector<std::string>& lines, std::string_view message,
                           std::string_view url);
