#pragma once
// Drives one browser session in-process, as the browser would: events go
// through the session's request handling, the browser timers run on a
// virtual clock, and every op the server sends is recorded.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/MainForm.h"
#include "platform/session/session_manager.h"
#include "server/ServerModule.h"

namespace testing_support {

class SessionDriver {
 public:
  // Opens a session with the URL parameters, as a page load does.
  SessionDriver(TUniServerModule& server, std::map<std::string, std::string> urlParams);
  ~SessionDriver();

  plat::session::Session& GetSession() { return *session_; }
  TMainForm& Form();
  template <typename T>
  T* Get(const std::string& name) {
    return Form().Get<T>(name);
  }

  // One request with these events; returns its ops (also recorded).
  plat::ui::Json Send(plat::ui::Json events);
  plat::ui::Json Click(const std::string& name);
  plat::ui::Json Type(const std::string& name, const std::string& text);
  plat::ui::Json Key(int code);
  plat::ui::Json Resize(int width, int height);

  // Logs in on the console's login page and opens a console tab by its
  // page name ("tabEnt").
  void LogInAndOpen(const std::string& user, const std::string& password, const std::string& tab);

  // Advances the virtual clock, ticking every enabled browser timer when due.
  void Advance(int ms);

  const std::vector<plat::ui::Json>& Ops() const { return ops_; }
  // Texts of the message boxes shown so far.
  std::vector<std::string> Messages() const;
  // The client scripts sent so far, in order.
  std::vector<std::string> Scripts() const;
  bool Terminated() const;
  std::string TerminateHtml() const;

 private:
  void SyncTimers();
  TUniServerModule& server_;
  std::shared_ptr<plat::session::Session> session_;
  long long seq_ = 0;
  long long nowMs_ = 0;
  struct TimerState {
    bool enabled = false;
    int interval = 0;
    long long due = 0;
  };
  std::map<int, TimerState> timers_;
  std::vector<plat::ui::Json> ops_;
};

// The ops of one kind ("js", "box", ...) of an answer.
std::vector<plat::ui::Json> OpsOf(const plat::ui::Json& ops, const std::string& kind);

}  // namespace testing_support
