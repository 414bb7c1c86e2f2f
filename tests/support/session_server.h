#pragma once
// A real HTTP server with the session routes on an ephemeral loopback port,
// its pages a small form, and a cpp-httplib client for it.
#include <functional>
#include <memory>
#include <string>

#include <httplib.h>

#include "platform/http/http_server.h"
#include "platform/session/session_manager.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_loader.h"

namespace testing_support {

class SessionServer {
 public:
  // The page's form has a label L and a button B whose OnClick runs onClick.
  explicit SessionServer(std::function<void(plat::session::SessionHostConfig&)> configure = {}) {
    plat::ui::RegisterStandardControls();
    plat::session::SessionHostConfig config;
    config.maxSessions = 2;
    config.title = "Venue <test>";
    config.clientFolder = TESS_SOURCE_DIR "/platform/client";
    config.createSession = [this](plat::session::Session& s) {
      auto form = std::make_unique<plat::ui::Form>(&s);
      form->RegisterHandler<plat::ui::Component*>("click", std::function<void(plat::ui::Component*)>([this](plat::ui::Component* c) {
        if (onClick) onClick(c);
      }));
      form->Build(plat::ui::ParseFormDefinition(
          "{class: F, name: F, children: [{class: TUniLabel, name: L, caption: hi},"
          " {class: TUniButton, name: B, events: {OnClick: click}}]}"));
      s.SetMainForm(std::move(form));
    };
    if (configure) configure(config);
    sessions = std::make_unique<plat::session::SessionManager>(config);
    sessions->Install(http);
    if (!http.Bind("127.0.0.1", 0)) throw std::runtime_error("cannot bind");
    http.Start();
    client = std::make_unique<httplib::Client>("127.0.0.1", http.Port());
    // A debug build on a busy machine may take seconds over a large request;
    // the client's own 5 s would report that as a failure of the server.
    client->set_read_timeout(120, 0);
    client->set_write_timeout(120, 0);
  }
  ~SessionServer() { http.Stop(); }

  static std::string SidOf(const std::string& page) {
    auto at = page.find("\"sid\":\"");
    return at == std::string::npos ? "" : page.substr(at + 7, 32);
  }
  // Opens a page and returns its session id.
  std::string OpenPage(const std::string& address = "/") {
    auto page = client->Get(address);
    return page && page->status == 200 ? SidOf(page->body) : std::string();
  }
  // The id of component `name` in the session's main form.
  int IdOf(const std::string& sid, const std::string& name) {
    auto s = sessions->Find(sid);
    return s ? s->MainForm()->Get<plat::ui::Component>(name)->Id() : 0;
  }

  std::function<void(plat::ui::Component*)> onClick;
  plat::http::HttpServer http;
  std::unique_ptr<plat::session::SessionManager> sessions;
  std::unique_ptr<httplib::Client> client;
};

}  // namespace testing_support
