#include "platform/session/session_manager.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "platform/http/http_server.h"
#include "platform/io/path.h"
#include "platform/log.h"
#include "platform/session/random_hex.h"
#include "platform/session/request_checks.h"
#include "platform/session/upload.h"
#include "platform/ui/controls_uploads.h"
#include "platform/ui/escape.h"

namespace plat::session {

using ui::TUniCustomFileUpload;

namespace {

// Uploads of media (videos of several GiB) have their own bound.
constexpr std::uint64_t kUploadMaxBytes = std::uint64_t{16} << 30;

// The address of a client file with its version, so the browser may keep
// it until the file changes.
std::string Versioned(const std::string& folder, const std::string& url, const std::string& file) {
  const std::string v = folder.empty() ? std::string() : io::FileVersion(std::filesystem::path(folder) / file);
  return v.empty() ? url : url + "?v=" + v;
}

const char* kFullPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><meta http-equiv=\"refresh\" content=\"30\">"
    "<title>Server full</title></head><body style=\"background:#111;color:#eee;font:16px Arial;"
    "text-align:center;padding-top:20%\"><p>The server is full: too many screens and consoles are "
    "open.</p><p>Close one of them; this page tries again every 30 seconds.</p></body></html>";

// The files of the browser runtime in the order the page loads them: the
// client folder's scripts.txt, one a line ("#" starts a comment line).
std::vector<std::string> RuntimeScripts(const std::string& clientFolder) {
  std::vector<std::string> files;
  if (clientFolder.empty()) return files;
  std::ifstream list(clientFolder + "/scripts.txt");
  if (!list) LogLine("cannot read the list of runtime scripts in " + clientFolder);
  for (std::string line; std::getline(list, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] != '#') files.push_back(line);
  }
  return files;
}

// Refuses a session request of a page of another site (see
// SameOriginRequest); true when it was refused.
bool RefusedOrigin(const http::HttpRequest& req, http::HttpResponse& res) {
  if (SameOriginRequest(req)) return false;
  LogLine("request of another site refused: " + req.path + " with origin \"" + LogExcerpt(req.Header("Origin"), 100) +
          "\" for host \"" + LogExcerpt(req.Header("Host"), 100) + "\" from " + req.remoteAddr);
  res.status = 403;
  res.SetContent(R"({"error":"request of another site"})", "application/json");
  return true;
}

// Parses a session request body; a discarded value when it is not JSON or
// nests deeper than any page of ours writes.
Json ParseBody(const std::string& body) {
  if (!JsonNestingWithin(body, kMaxBodyNesting)) return Json(Json::value_t::discarded);
  return Json::parse(body, nullptr, false);
}

}  // namespace

SessionManager::SessionManager(SessionHostConfig config)
    : config_(std::move(config)), scripts_(RuntimeScripts(config_.clientFolder)) {}

SessionManager::~SessionManager() {
  std::map<std::string, std::shared_ptr<Session>> all;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    all.swap(sessions_);
  }
  for (auto& [id, s] : all) {
    std::lock_guard<std::mutex> lock(s->Mutex());
  }
}

std::string SessionManager::NewId() { return RandomHex(16); }

std::string SessionManager::AddressOf(const std::map<std::string, std::string>& params) {
  std::string address = "/";
  for (const auto& [k, v] : params)
    address += (address.size() == 1 ? "?" : "&") + ui::PercentEncode(k) + "=" + ui::PercentEncode(v);
  return address;
}

std::shared_ptr<Session> SessionManager::Open(const std::map<std::string, std::string>& params, std::string address,
                                              const std::string& client) {
  Sweep(MonotonicMs());
  if (address.empty()) address = AddressOf(params);
  std::shared_ptr<Session> s;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (sessions_.size() >= config_.maxSessions) return nullptr;
    s = std::make_shared<Session>(NewId(), params);
    // Set before any other thread can see the session, never changed.
    std::string label = config_.describeSession ? config_.describeSession(params) : std::string();
    if (!client.empty()) label += (label.empty() ? "from " : " from ") + client;
    s->SetLogLabel(label);
    sessions_[s->Id()] = s;
  }
  std::lock_guard<std::mutex> sessionLock(s->Mutex());
  try {
    Session::Scope scope(*s);
    // After Exit the page starts again with the address it was opened with.
    s->TerminatePage = [this, address, params] {
      return config_.terminatePage ? config_.terminatePage(config_.terminateMessage, address, params)
                                   : std::string();
    };
    if (config_.createSession) config_.createSession(*s);
    s->ShowMainForm();
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_.erase(s->Id());
    throw;
  }
  std::size_t count = Count();
  LogLine(s->LogName() + " opened (" + std::to_string(count) + " open)");
  return s;
}

std::string SessionManager::RenderPage(Session& session) {
  Json boot;
  {
    std::lock_guard<std::mutex> lock(session.Mutex());
    Json config = config_.clientConfig;
    if (config_.pageConfig) config_.pageConfig(session.UrlParams(), config);
    boot = session.RenderBoot(config);
  }
  std::string css = config_.customCss ? config_.customCss() : std::string();
  std::string page;
  page.reserve(4096);
  page += "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>";
  page += ui::EscapeHtml(config_.title);
  page += "</title>\n<link rel=\"stylesheet\" href=\"/fontawesome/css/all.min.css\">\n"
          "<link rel=\"stylesheet\" href=\"";
  page += ui::EscapeHtml(Versioned(config_.clientFolder, "/client/tessarine.css", "tessarine.css"));
  page += "\">\n<style>";
  page += ui::StyleElementText(css);
  page += "</style></head>\n<body class=\"tess-theme-dark\">\n<div id=\"loading-mask\"></div>"
          "<div id=\"loading\"><div class=\"loading-indicator\">";
  page += ui::EscapeHtml(config_.loadingMessage);
  page += "</div></div>\n";
  for (const std::string& file : scripts_)
    page += "<script src=\"" + ui::EscapeHtml(Versioned(config_.clientFolder, "/client/" + file, file)) + "\"></script>\n";
  page += "<script>Tess.boot(";
  page += ui::ScriptJson(boot);
  page += ");</script>\n</body></html>\n";
  return page;
}

std::shared_ptr<Session> SessionManager::Find(const std::string& sid) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sessions_.find(sid);
  return it == sessions_.end() ? nullptr : it->second;
}

Json SessionManager::Request(const std::string& sid, std::int64_t seq, const Json& events) {
  std::shared_ptr<Session> s = Find(sid);
  if (!s) return {{"gone", true}};
  Json answer;
  bool terminated;
  {
    std::lock_guard<std::mutex> lock(s->Mutex());
    answer = s->HandleRequest(seq, events);
    terminated = s->Terminated();
  }
  if (terminated) Close(sid);
  return answer;
}

Json SessionManager::AjaxRequest(const std::string& text, int* status) {
  const Json body = ParseBody(text);
  if (!body.is_object() || !body.contains("sid") || !body["sid"].is_string() || !body.contains("seq") ||
      !body["seq"].is_number_integer()) {
    *status = 400;
    return {{"error", "bad request"}};
  }
  Sweep(MonotonicMs());
  *status = 200;
  return Request(body["sid"].get<std::string>(), body["seq"].get<std::int64_t>(), body.value("events", Json::array()));
}

void SessionManager::Close(const std::string& sid) {
  std::shared_ptr<Session> s;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = sessions_.find(sid);
    if (it == sessions_.end()) return;
    s = it->second;
    sessions_.erase(it);
  }
  std::size_t count = Count();
  LogLine(s->LogName() + " closed (" + std::to_string(count) + " open)");
  // The session is freed when the last request holding it ends.
}

std::size_t SessionManager::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.size();
}

void SessionManager::Sweep(std::int64_t nowMs) {
  std::vector<std::shared_ptr<Session>> idle;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (nowMs - lastSweepMs_ < 1000 && nowMs >= lastSweepMs_) return;
    lastSweepMs_ = nowMs;
    for (auto& [id, s] : sessions_)
      if (nowMs - s->LastActivityMs() > config_.timeoutMs ||
          (!s->HasRequests() && nowMs - s->OpenedMs() > config_.firstRequestMs))
        idle.push_back(s);
  }
  for (const auto& s : idle) {
    LogLine(s->LogName() + (s->HasRequests() ? " timed out" : " closed: its page never answered"));
    Close(s->Id());
  }
}

void SessionManager::Install(http::HttpServer& server) {
  // The runtime and its style sheet are compressed and, under their
  // versioned addresses, cached by the browser.
  http::StaticFolderOptions client;
  client.compressText = true;
  client.versionedCaching = true;
  if (!config_.clientFolder.empty()) server.AddStaticFolder("client", config_.clientFolder, client);
  if (!config_.fontAwesomeFolder.empty()) server.AddStaticFolder("fontawesome", config_.fontAwesomeFolder, client);

  server.Get("/", [this](const http::HttpRequest& req, http::HttpResponse& res) {
    // A HEAD (a monitor asking whether the server is up) opens no session:
    // it would hold a place that no page ever uses.
    if (req.method == "HEAD") {
      res.status = 200;
      res.SetContent("", "text/html");
      return;
    }
    std::map<std::string, std::string> params;
    for (const auto& [k, v] : req.Params()) params.emplace(k, v);  // the first value counts
    const std::string address = req.query.empty() ? std::string("/") : "/?" + req.query;
    std::shared_ptr<Session> s;
    try {
      s = Open(params, address, req.remoteAddr);
    } catch (const std::exception& e) {
      const std::string what = config_.describeSession ? config_.describeSession(params) + " " : std::string();
      LogLine("cannot open a session (" + what + "from " + req.remoteAddr + "): " + e.what());
      res.status = 500;
      res.SetContent(config_.exceptionPage ? config_.exceptionPage(e.what(), address, params) : e.what(),
                     "text/html");
      return;
    }
    if (!s) {
      LogLine("session refused: " + std::to_string(config_.maxSessions) + " sessions are open");
      res.status = 503;
      res.SetContent(kFullPage, "text/html");
      return;
    }
    res.SetHeader("Cache-Control", "no-store");
    res.SetContent(RenderPage(*s), "text/html");
  });

  server.Post("/ajax", [this](const http::HttpRequest& req, http::HttpResponse& res) {
    if (RefusedOrigin(req, res)) return;
    const Json answer = AjaxRequest(req.body, &res.status);
    res.SetHeader("Cache-Control", "no-store");
    res.SetContent(answer.dump(-1, ' ', false, Json::error_handler_t::replace), "application/json");
  });

  // Uploads stream to cache files outside the session's lock (a video of
  // several GiB takes a while); the control takes them under the lock.
  server.PostStream("/upload", [this](const http::HttpRequest& req, http::BodyReader& reader,
                                      http::HttpResponse& res) {
    if (RefusedOrigin(req, res)) return;
    std::shared_ptr<Session> s = Find(req.Param("sid"));
    int id = std::atoi(req.Param("c").c_str());
    auto refuse = [&](int status, const std::string& why) {
      LogLine("upload refused: " + why);
      res.status = status;
      res.SetContent(Json({{"error", why}}).dump(), "application/json");
    };
    if (!s) return refuse(410, "no such session");
    {
      std::lock_guard<std::mutex> lock(s->Mutex());
      s->Touch();
      if (!TUniCustomFileUpload::UploadTarget(*s, id)) return refuse(403, "no upload expected there");
    }
    std::string error;
    std::vector<ui::UploadedFile> files = ReceiveUpload(req, reader, config_.tempFolder, &error);
    if (!error.empty()) return refuse(400, error);
    std::lock_guard<std::mutex> lock(s->Mutex());
    TUniCustomFileUpload* target = TUniCustomFileUpload::UploadTarget(*s, id);
    if (!target) {
      ui::EraseUploadedFiles(files);
      return refuse(410, "the upload control is gone");
    }
    Session::Scope scope(*s);
    res.SetContent(Json({{"files", target->AcceptReceivedFiles(std::move(files))}}).dump(), "application/json");
  }, kUploadMaxBytes);

  server.Post("/ajax/close", [this](const http::HttpRequest& req, http::HttpResponse& res) {
    if (RefusedOrigin(req, res)) return;
    Json body = ParseBody(req.body);
    if (body.is_object() && body.contains("sid") && body["sid"].is_string())
      Close(body["sid"].get<std::string>());
    res.status = 204;
  });
}

}  // namespace plat::session
