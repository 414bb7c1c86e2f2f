#include "server/ServerModule.h"

#include <atomic>
#include <stdexcept>

#include "common/Main.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/http/http_server.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"

namespace {

std::atomic<TUniServerModule*> gServerModule{nullptr};

std::string EscapeHtml(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

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

  ExceptionTemplate = {
      "<html>",
      "<body bgcolor=\"#dfe8f6\">",
      "<p style=\"text-align:center;color:#A05050\">An Exception has occured in application:</p>",
      "<p style=\"text-align:center;color:#0000A0\">[###message###]</p>",
      "<p style=\"text-align:center;color:#A05050\"><a href=\"[###url###]\">Restart Tessarine</a></p>",
      "</body>",
      "</html>"};
  InvalidSessionTemplate = ExceptionTemplate;
  InvalidSessionTemplate.erase(InvalidSessionTemplate.begin() + 2);
  TerminateTemplate = InvalidSessionTemplate;

  // The create handler's failure goes to the application's exception
  // handler: it is logged and the module keeps its default port.
  try {
    UniGUIServerModuleCreate();
  } catch (const std::exception& e) {
    plat::LogLine(std::string("Exception while creating the server module: ") + e.what() +
                  "; keeping port " + std::to_string(Port));
  }
}

TUniServerModule::~TUniServerModule() {
  Stop();
  TUniServerModule* self = this;
  gServerModule.compare_exchange_strong(self, nullptr);
}

void TUniServerModule::UniGUIServerModuleCreate() {
  std::string text =
      ReadIniString(StartPath() + "Config/tessarine.ini", "Settings", "port", "");
  std::int32_t port = plat::StrToInt(text);
  // Only a real TCP port is taken; anything else is refused like a
  // non-number instead of using some bits of it.
  if (port < 1 || port > 65535)
    throw plat::ConvertError("port " + text + " is outside 1..65535");
  Port = port;
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

TDisplayCommand TUniServerModule::PollDisplayCommand() {
  std::lock_guard<std::mutex> lock(commandMutex_);
  if (command_.sCMDNr > 1000) command_.sCMDNr = 1;
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
    std::string target = plat::utf8::Substr(uri, 9);
    {
      std::lock_guard<std::mutex> lock(commandMutex_);
      command_.sStandort = target;
      ++command_.sCMDNr;
    }
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
  http_ = std::make_unique<plat::http::HttpServer>(options);
  http_->AddDefaultHeader("Access-Control-Allow-Origin", "*");
  http_->AddDefaultHeader("Access-Control-Allow-Credentials", "true");
  http_->SetCommandHook([this](const plat::http::HttpRequest& rq, plat::http::HttpResponse& rs) {
    return UniGUIServerModuleHTTPCommand(rq, rs);
  });
  http_->AddStaticFolder("Containers", plat::io::Resolve(StartPath() + "Containers"));
  http_->AddStaticFolder("files", plat::io::Resolve(StartPath() + "files"));
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

int TUniServerModule::Run() {
  ConfigureHttp();
  if (!http_->Bind("0.0.0.0", Port)) {
    plat::LogLine("Cannot listen on port " + std::to_string(Port));
    return 1;
  }
  plat::LogLine("Serving program folder " + nativeFolder_ + " on port " + std::to_string(Port));
  http_->Run();
  return 0;
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
  ReplaceAll(page, "[###message###]", EscapeHtml(message));
  ReplaceAll(page, "[###url###]", EscapeHtml(url));
  return page;
}
