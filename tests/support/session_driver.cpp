#include "support/session_driver.h"

#include <stdexcept>

namespace testing_support {

using plat::ui::Json;

SessionDriver::SessionDriver(TUniServerModule& server, std::map<std::string, std::string> urlParams)
    : server_(server) {
  session_ = server_.Sessions().Open(urlParams);
  if (!session_) throw std::runtime_error("the server is full");
  const Json boot = session_->RenderBoot(Json::object());
  for (const auto& op : boot["ops"]) ops_.push_back(op);
  SyncTimers();
}

SessionDriver::~SessionDriver() {
  if (session_) server_.Sessions().Close(session_->Id());
}

TMainForm& SessionDriver::Form() {
  auto* f = dynamic_cast<TMainForm*>(session_->MainForm());
  if (!f) throw std::runtime_error("no main form");
  return *f;
}

Json SessionDriver::Send(Json events) {
  Json answer = server_.Sessions().Request(session_->Id(), ++seq_, events);
  Json ops = answer.value("ops", Json::array());
  for (const auto& op : ops) ops_.push_back(op);
  SyncTimers();
  return ops;
}

Json SessionDriver::Click(const std::string& name) {
  return Send(Json::array({{{"t", "click"}, {"c", Form().Get<plat::ui::Component>(name)->Id()}}}));
}

Json SessionDriver::Type(const std::string& name, const std::string& text) {
  return Send(Json::array(
      {{{"t", "change"}, {"c", Form().Get<plat::ui::Component>(name)->Id()}, {"p", "text"}, {"v", text}}}));
}

void SessionDriver::LogInAndOpen(const std::string& user, const std::string& password, const std::string& tab) {
  Type("edtLoginUser", user);
  Type("edtLoginPW", password);
  Click("btnLoginOK");
  auto id = [this](const std::string& name) { return Form().Get<plat::ui::Component>(name)->Id(); };
  Send(Json::array({{{"t", "change"}, {"c", id("UniPageControl3")}, {"p", "activePage"}, {"v", id(tab)}}}));
}

Json SessionDriver::Key(int code) {
  return Send(Json::array({{{"t", "key"}, {"k", "down"}, {"code", code}}}));
}

Json SessionDriver::Resize(int width, int height) {
  return Send(Json::array({{{"t", "resize"}, {"w", width}, {"h", height}}}));
}

void SessionDriver::SyncTimers() {
  if (Terminated()) {
    timers_.clear();
    return;
  }
  std::map<int, TimerState> next;
  for (plat::ui::Component* c : Form().Components()) {
    auto* t = dynamic_cast<TUniTimer*>(c);
    // The browser runs a timer only with a positive interval.
    if (!t || !t->Enabled() || t->Interval() <= 0) continue;
    TimerState s{true, t->Interval(), 0};
    auto old = timers_.find(t->Id());
    // A changed interval or a fresh enable restarts the countdown.
    if (old != timers_.end() && old->second.interval == s.interval) s.due = old->second.due;
    else s.due = nowMs_ + s.interval;
    next[t->Id()] = s;
  }
  timers_ = std::move(next);
}

void SessionDriver::Advance(int ms) {
  long long end = nowMs_ + ms;
  for (;;) {
    int id = 0;
    long long due = end + 1;
    for (const auto& [tid, s] : timers_)
      if (s.due < due) {
        due = s.due;
        id = tid;
      }
    if (!id || due > end) break;
    nowMs_ = due;
    timers_[id].due = due + std::max(1, timers_[id].interval);
    Send(Json::array({{{"t", "timer"}, {"c", id}}}));
  }
  nowMs_ = end;
}

std::vector<std::string> SessionDriver::Messages() const {
  std::vector<std::string> out;
  for (const auto& op : ops_)
    if (op.value("op", "") == "box") out.push_back(op.value("text", ""));
  return out;
}

std::vector<std::string> SessionDriver::Scripts() const {
  std::vector<std::string> out;
  for (const auto& op : ops_)
    if (op.value("op", "") == "js") out.push_back(op.value("code", ""));
  return out;
}

std::vector<Json> OpsOf(const Json& ops, const std::string& kind) {
  std::vector<Json> out;
  for (const auto& op : ops)
    if (op.value("op", "") == kind) out.push_back(op);
  return out;
}

bool SessionDriver::Terminated() const { return !TerminateHtml().empty(); }

std::string SessionDriver::TerminateHtml() const {
  for (const auto& op : ops_)
    if (op.value("op", "") == "terminate") return op.value("html", "");
  return {};
}

}  // namespace testing_support
