#include "server/ServerModule.h"

#include "forms/ServerModule.h"  // generated: the handlers of the module's events

#include <atomic>
#include <stdexcept>

#include "common/Main.h"
#include "common/MainForm.h"
#include "match/Unit1.h"
#include "match/Unit2.h"
#include "editor/Unit3.h"
#include "platform/session/session_manager.h"
#include "platform/ui/form_loader.h"
#include "server/MainModule.h"
#include "server/Resources.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/http/http_server.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "platform/ui/picture.h"
#include "platform/ui/escape.h"

namespace {

std::atomic<TUniServerModule*> gServerModule{nullptr};

// How long the page of a display that could not start waits before it tries
// again.
constexpr int kDisplayRetrySeconds = 10;

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (std::size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
    s.replace(pos, from.size(), to);
}

}  // namespace

TUniServerModule::TUniServerModule(std::string programFolder) {
  std::filesystem::path folder = programFolder.empty() ? std::filesystem::current_path()
                                                       : std::filesystem::path(programFolder);
  folder = std::filesystem::absolute(folder).lexically_normal();
  nativeFolder_ = folder.string();
  while (nativeFolder_.size() > 1 && nativeFolder_.back() == '/') nativeFolder_.pop_back();
  startPath_ = plat::io::ToSystemFolder(nativeFolder_);

  LoadSettings();

  // The create handler's failure goes to the application's exception
  // handler: it is logged and the module keeps its default port.
  try {
    (this->*TUniServerModuleEvents::OnCreate)();
  } catch (const std::exception& e) {
    plat::LogLine(std::string(e.what()) + ": using port " + std::to_string(Port));
  }
}

void TUniServerModule::LoadSettings() {
  plat::ui::SetFormsFolder(ResourceFolder() + "/forms");
  plat::ui::RegisterStandardControls();
  const plat::ui::Json& p = plat::ui::FormDefinition("ServerModule.yaml").props;
  Title = p.value("Title", "");
  TempFolder = p.value("TempFolder", "");
  const auto& limits = p.value("ServerLimits", plat::ui::Json::object());
  MaxSessions = limits.value("MaxSessions", 50);
  MaxConnections = limits.value("MaxConnections", 50);
  SessionTimeoutMinutes = p.value("SessionTimeoutMinutes", 10);
  const auto& messages = p.value("ServerMessages", plat::ui::Json::object());
  LoadingMessage = messages.value("LoadingMessage", "");
  TerminateMessage = messages.value("TerminateMessage", "");
  ExceptionTemplate = messages.value("ExceptionTemplate", std::vector<std::string>{});
  InvalidSessionTemplate = messages.value("InvalidSessionTemplate", std::vector<std::string>{});
  TerminateTemplate = messages.value("TerminateTemplate", std::vector<std::string>{});
  const auto& recovery = p.value("ConnectionFailureRecovery", plat::ui::Json::object());
  ConnectionErrorMessage = recovery.value("ErrorMessage", "");
  ConnectionRetryMessage = recovery.value("RetryMessage", "");
}

plat::session::SessionManager& TUniServerModule::Sessions() {
  if (!sessions_) {
    plat::session::SessionHostConfig c;
    c.maxSessions = static_cast<std::size_t>(MaxSessions);
    c.timeoutMs = static_cast<std::int64_t>(SessionTimeoutMinutes) * 60 * 1000;
    c.title = Title;
    c.loadingMessage = LoadingMessage;
    c.terminateMessage = TerminateMessage;
    c.customCss = [this] { return CustomCSS(); };
    c.clientConfig = {{"errorMessage", ConnectionErrorMessage},
                      {"retryMessage", ConnectionRetryMessage},
                      {"disableContextMenu", true},
                      {"disableRefresh", true}};
    using Params = std::map<std::string, std::string>;
    auto isConsole = [](const Params& p) {
      auto it = p.find("start");
      return it != p.end() && it->second == "tessarine";
    };
    // The restart link of the pages keeps the address the page had: after
    // Exit a console starts as a console, a display as the same display.
    c.terminatePage = [this](const std::string& m, const std::string& address, const Params&) {
      return FillServerPage(TerminateTemplate, m, address);
    };
    // A display that cannot start has nobody to press the link: its page
    // tries again by itself, with the same address.
    c.exceptionPage = [this, isConsole](const std::string& m, const std::string& address, const Params& p) {
      std::string page = FillServerPage(ExceptionTemplate, m, address);
      if (!isConsole(p)) {
        const std::string retry = "<head><meta http-equiv=\"refresh\" content=\"" +
                                  std::to_string(kDisplayRetrySeconds) + ";url=" + plat::ui::EscapeHtml(address) +
                                  "\"></head>\n";
        const std::size_t body = page.find("<body");
        page.insert(body == std::string::npos ? 0 : body, retry);
      }
      return page;
    };
    // A display keeps playing while the server is away; only a small
    // notice in a corner says so.
    c.pageConfig = [isConsole](const Params& p, plat::session::Json& config) {
      if (!isConsole(p)) config["retryNotice"] = "corner";
    };
    c.describeSession = [isConsole](const Params& p) {
      if (isConsole(p)) return std::string("console");
      auto it = p.find("standort");
      return it == p.end() || it->second.empty() ? std::string("display without location")
                                                 : "display \"" + it->second + "\"";
    };
    c.clientFolder = ResourceFolder() + "/client";
    c.fontAwesomeFolder = ResourceFolder() + "/fontawesome";
    c.tempFolder = plat::io::Resolve(StartPath() + TempFolder).string();
    c.createSession = [this](plat::session::Session& s) {
      s.SetMainModule(std::make_unique<TUniMainModule>(*this, &s));
      s.SetMainForm(std::make_unique<TMainForm>(&s));
    };
    sessions_ = std::make_unique<plat::session::SessionManager>(std::move(c));
  }
  return *sessions_;
}

void TUniServerModule::CheckFormDefinitions() {
  // Every form is built once without a session, so that what the build
  // cannot see in a definition (a property its class does not take, a class
  // the runtime cannot create) stops the start.
  TMainForm main(nullptr);
  TfrmHeim heim(nullptr);
  TfrmUhr uhr(nullptr);
  TfrmMedium medium(nullptr);
}

TUniServerModule::~TUniServerModule() {
  Stop();
  TUniServerModule* self = this;
  gServerModule.compare_exchange_strong(self, nullptr);
}

void TUniServerModule::UniGUIServerModuleCreate() {
  const std::string file = StartPath() + "Config/tessarine.ini";
  // The messages say what an operator has to mend.
  if (!plat::io::FileExists(file))
    throw plat::ConvertError("Config\\tessarine.ini not found in " + nativeFolder_);
  std::string text = ReadIniString(file, "Settings", "port", "");
  if (text.empty()) throw plat::ConvertError("Config\\tessarine.ini has no port in [Settings]");
  // Only a real TCP port is taken; anything else is refused like a
  // non-number instead of using some bits of it.
  const auto port = plat::TryStrToInt(text);
  if (!port || *port < 1 || *port > 65535)
    throw plat::ConvertError("Config\\tessarine.ini: port " + text + " is no port number (1 to 65535)");
  Port = *port;
}

TDisplayCommand TUniServerModule::DisplayCommand() const {
  std::lock_guard<std::mutex> lock(commandMutex_);
  return command_;
}

void TUniServerModule::IssueCommand(std::string_view kind, std::string_view target,
                                    const std::string* effect) {
  std::lock_guard<std::mutex> lock(commandMutex_);
  command_.sStandort = std::string(target);
  command_.sTyp = std::string(kind);
  if (effect) command_.sEffect = *effect;
  ++command_.sCMDNr;
}

void TUniServerModule::IssueMedium(std::string_view kind, std::string_view medium,
                                   std::string_view effect) {
  std::lock_guard<std::mutex> lock(commandMutex_);
  command_.sMedium = std::string(medium);
  command_.sTyp = std::string(kind);
  command_.sEffect = std::string(effect);
  ++command_.sCMDNr;
}

TDisplayCommand TUniServerModule::PollDisplayCommand(
    const std::function<bool(const TDisplayCommand&)>& acts) {
  std::lock_guard<std::mutex> lock(commandMutex_);
  if (command_.sCMDNr > 1000 && (!acts || acts(command_))) command_.sCMDNr = 1;
  return command_;
}

void TUniServerModule::AddCustomCss(std::string_view line) {
  std::lock_guard<std::mutex> lock(cssMutex_);
  for (const auto& l : customCss_)
    if (l == line) return;
  customCss_.emplace_back(line);
}

std::string TUniServerModule::CustomCSS() const {
  std::lock_guard<std::mutex> lock(cssMutex_);
  std::string out;
  for (const auto& l : customCss_) {
    out += l;
    out += "\n";
  }
  return out;
}

bool TUniServerModule::UniGUIServerModuleHTTPCommand(const plat::http::HttpRequest& request,
                                                     plat::http::HttpResponse& response) {
  // The two CORS headers go on every response; the HTTP server adds them as
  // its default headers, so nothing is added here twice.
  const std::string& uri = request.uri;
  std::string head = LeftText(uri, 8);
  if (head == "/refresh") {
    // The character after "/refresh" is skipped, whatever it is; the rest
    // (still percent-encoded) is the new target of the last command kind.
    std::string target = plat::io::utf8::Substr(uri, 9);
    std::string kind;
    {
      std::lock_guard<std::mutex> lock(commandMutex_);
      command_.sStandort = target;
      ++command_.sCMDNr;
      kind = command_.sTyp;
    }
    plat::LogLine("/refresh from " + request.remoteAddr + ": target \"" + target + "\" for the last command (" +
                  (kind.empty() ? std::string("none issued yet") : kind) + ")");
    response.status = 200;
    response.contentType = "text/html";
    response.body.clear();
    return true;
  }
  if (head == "/gettime") {
    response.status = 200;
    response.contentType = "application/xml";
    response.body = "<?xml version=\"1.0\" encoding=\"utf-8\"?> <tessarine><time>" +
                    plat::FormatTime(plat::Now()) + "</time> </tessarine>";
    return true;
  }
  return false;
}

void TUniServerModule::ConfigureHttp() {
  if (http_) return;
  plat::http::ServerOptions options;
  // MaxConnections bounds the requests handled at once, not the sockets.
  options.handlerThreads = MaxConnections;
  http_ = std::make_unique<plat::http::HttpServer>(options);
  http_->AddDefaultHeader("Access-Control-Allow-Origin", "*");
  http_->AddDefaultHeader("Access-Control-Allow-Credentials", "true");
  http_->SetCommandHook([this](const plat::http::HttpRequest& rq, plat::http::HttpResponse& rs) {
    return (this->*TUniServerModuleEvents::OnHTTPCommand)(rq, rs);
  });
  // The match's state documents change while display pages read them.
  plat::http::StaticFolderOptions containers;
  containers.noCacheBelow = {"System/files"};
  http_->AddStaticFolder("Containers", plat::io::Resolve(StartPath() + "Containers"), containers);
  http_->AddStaticFolder("files", plat::io::Resolve(StartPath() + "files"));
  // Pictures shown from these folders reach the browser by their address.
  plat::ui::ForgetServedPictureFolders();
  plat::ui::ServePictureFolder("/Containers/", StartPath() + "Containers");
  plat::ui::ServePictureFolder("/files/", StartPath() + "files");
  Sessions().Install(*http_);
  // The application's icon for the browser's tab.
  std::string icon;
  try {
    icon = plat::io::ReadFileBytes(ResourceFolder() + "/icons/favicon.ico");
  } catch (const std::exception& e) {
    plat::LogLine(std::string("no favicon: ") + e.what());
  }
  http_->Get("/favicon.ico", [icon](const plat::http::HttpRequest&, plat::http::HttpResponse& res) {
    if (icon.empty()) {
      res.status = 404;
      return;
    }
    res.SetHeader("Cache-Control", "max-age=86400");
    res.SetContent(icon, "image/x-icon");
  });
}

bool TUniServerModule::Start(int port) {
  ConfigureHttp();
  if (!http_->Bind("0.0.0.0", port)) return false;
  http_->Start();
  return true;
}

void TUniServerModule::Stop() {
  if (http_) http_->Stop();
}

int TUniServerModule::BoundPort() const { return http_ ? http_->Port() : 0; }

bool TUniServerModule::Listen() {
  CheckFormDefinitions();
  ConfigureHttp();
  return http_->Bind("0.0.0.0", Port);
}

void TUniServerModule::Serve() {
  plat::LogLine("Serving program folder " + nativeFolder_ + " on port " + std::to_string(Port));
  http_->Run();
}

TUniServerModule& UniServerModule() {
  TUniServerModule* m = gServerModule.load();
  if (!m) throw std::logic_error("no server module");
  return *m;
}

void SetUniServerModule(TUniServerModule* module) { gServerModule.store(module); }

std::string FillServerPage(const std::vector<std::string>& lines, std::string_view message,
                           std::string_view url) {
  std::string page;
  for (const auto& l : lines) {
    page += l;
    page += "\n";
  }
  ReplaceAll(page, "[###message###]", plat::ui::EscapeHtml(message));
  ReplaceAll(page, "[###url###]", plat::ui::EscapeHtml(url));
  return page;
}
