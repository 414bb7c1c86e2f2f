#include "platform/session/session.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/io/utf8.h"
#include "platform/log.h"

namespace plat::session {

using ui::Component;
using ui::Form;

namespace {
thread_local Session* tCurrent = nullptr;

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Information: return "info";
    case BoxIcon::Confirmation: return "question";
    case BoxIcon::Warning: return "warning";
    case BoxIcon::Error: return "error";
  }
  return "info";
}
}  // namespace

Session::Session(std::string id, std::map<std::string, std::string> urlParams)
    : id_(std::move(id)), urlParams_(std::move(urlParams)), openedMs_(MonotonicMs()) {
  lastActivityMs_ = openedMs_;
}

Session::~Session() {
  Scope scope(*this);
  dialogs_.clear();
  mainForm_.reset();
  module_.reset();
}

Session* Session::Current() { return tCurrent; }

std::string Session::LogName() const {
  return "session " + id_.substr(0, 8) + (logLabel_.empty() ? "" : " (" + logLabel_ + ")");
}

Session::Scope::Scope(Session& s) : previous_(tCurrent) { tCurrent = &s; }
Session::Scope::~Scope() { tCurrent = previous_; }

std::string Session::UrlParam(std::string_view name) const {
  auto it = urlParams_.find(std::string(name));
  return it == urlParams_.end() ? std::string() : it->second;
}

void Session::SetMainForm(std::unique_ptr<Form> form) { mainForm_ = std::move(form); }

Form* Session::AddDialog(std::unique_ptr<Form> dialog) {
  dialogs_.push_back(std::move(dialog));
  return dialogs_.back().get();
}

void Session::ShowMainForm() {
  if (mainForm_ && !mainForm_->IsShown()) mainForm_->Show();
}

void Session::CloseDialog(Form* dialog) { closing_.insert(dialog); }

void Session::FreeClosedDialogs() {
  if (closing_.empty()) return;
  auto doomed = std::move(closing_);
  closing_.clear();
  for (Form* f : doomed) {
    auto it = std::find_if(dialogs_.begin(), dialogs_.end(), [f](const auto& d) { return d.get() == f; });
    if (it != dialogs_.end()) {
      std::unique_ptr<Form> hold = std::move(*it);
      dialogs_.erase(it);
      hold.reset();
    }
  }
}

// ---- services ---------------------------------------------------------------

void Session::AddJS(std::string_view script) { Emit({{"op", "js"}, {"code", std::string(script)}}); }

void Session::ControlScript(const Component& control, std::string_view script) {
  std::string code(script);
  std::string js = control.JSName();
  for (std::size_t pos = 0; (pos = code.find('\x01', pos)) != std::string::npos; pos += js.size())
    code.replace(pos, 1, js);
  AddJS(code);
}

void Session::ShowToast(std::string_view text) { Emit({{"op", "toast"}, {"text", std::string(text)}}); }

void Session::ShowMessage(std::string_view text, std::function<void()> callback) {
  int id = ++nextBox_;
  boxes_[id] = Box{"message", [cb = std::move(callback)](ModalResult, const std::string&) {
                     if (cb) cb();
                   }};
  Emit({{"op", "box"}, {"box", id}, {"kind", "message"}, {"text", std::string(text)}, {"icon", "info"}});
}

void Session::MessageDlg(std::string_view text, BoxIcon icon, std::function<void(ModalResult)> callback) {
  int id = ++nextBox_;
  boxes_[id] = Box{"confirm", [cb = std::move(callback)](ModalResult r, const std::string&) {
                     if (cb) cb(r);
                   }};
  Emit({{"op", "box"}, {"box", id}, {"kind", "confirm"}, {"text", std::string(text)}, {"icon", IconName(icon)}});
}

void Session::Prompt(std::string_view text, std::string_view defaultText, BoxIcon icon,
                     std::function<void(ModalResult, const std::string&)> callback) {
  int id = ++nextBox_;
  boxes_[id] = Box{"prompt", std::move(callback)};
  Emit({{"op", "box"}, {"box", id}, {"kind", "prompt"}, {"text", std::string(text)},
        {"def", std::string(defaultText)}, {"icon", IconName(icon)}});
}

void Session::BrowserWindow(std::string_view url, std::string_view target, std::string_view options) {
  Emit({{"op", "window"}, {"url", std::string(url)}, {"target", std::string(target)},
        {"options", std::string(options)}});
}

void Session::Terminate() { terminated_ = true; }

// ---- change stream ----------------------------------------------------------

void Session::Register(Component* c) { components_[c->Id()] = c; }

void Session::Unregister(Component* c) {
  auto it = components_.find(c->Id());
  if (it != components_.end() && it->second == c) components_.erase(it);
}

Component* Session::FindById(int id) const {
  auto it = components_.find(id);
  return it == components_.end() ? nullptr : it->second;
}

void Session::MarkDirty(Component* c, std::string_view key) {
  auto entry = std::make_pair(c->Id(), std::string(key));
  if (pendingSet_.insert(entry).second) pending_.push_back(std::move(entry));
}

void Session::FlushPending() {
  if (pending_.empty()) return;
  auto pending = std::move(pending_);
  pending_.clear();
  pendingSet_.clear();
  for (const auto& [id, key] : pending) {
    Component* c = FindById(id);
    if (!c || !c->Rendered()) continue;
    ops_.push_back({{"op", "set"}, {"c", id}, {"p", key}, {"v", c->RenderProp(key)}});
  }
}

void Session::Emit(Json op) {
  FlushPending();
  ops_.push_back(std::move(op));
}

Json Session::TakeOps() {
  for (auto it = deferred_.begin(); it != deferred_.end();) {
    Component* c = FindById(*it);
    it = !c || c->SendWhenShown() ? deferred_.erase(it) : std::next(it);
  }
  FlushPending();
  Json out = std::move(ops_);
  ops_ = Json::array();
  return out;
}

// ---- requests ---------------------------------------------------------------

void Session::Touch() { lastActivityMs_ = MonotonicMs(); }

Json Session::RenderBoot(const Json& config) {
  Scope scope(*this);
  Json forms = Json::array();
  if (mainForm_) forms.push_back(mainForm_->RenderForBrowser());
  // Until now only dialogs shown while the form opened were rendered; their
  // creation and later changes are in the ops, in order.
  return {{"sid", id_}, {"config", config}, {"forms", std::move(forms)}, {"ops", TakeOps()}};
}

void Session::Refuse(const Json& event, const char* why) { ui::LogRefusedEvent(this, event, why); }

void Session::StartRefusalMinuteWhenOver() {
  const std::int64_t now = MonotonicMs();
  if (now - refusalWindowStartMs_ >= 60'000 || now < refusalWindowStartMs_) {
    refusalWindowStartMs_ = now;
    refusalLinesInWindow_ = 0;
  }
}

bool Session::TakeRefusalLine() {
  StartRefusalMinuteWhenOver();
  if (refusalLinesInRequest_ < kRefusalLinesPerRequest && refusalLinesInWindow_ < kRefusalLinesPerMinute) {
    ++refusalLinesInRequest_;
    ++refusalLinesInWindow_;
    return true;
  }
  ++unloggedRefusals_;
  return false;
}

void Session::ReportUnloggedRefusals() {
  refusalLinesInRequest_ = 0;
  if (unloggedRefusals_ == 0) return;
  // The count waits while the minute's lines are used up, so that a flood
  // of requests writes one line a minute at most.
  StartRefusalMinuteWhenOver();
  if (refusalLinesInWindow_ >= kRefusalLinesPerMinute) return;
  ++refusalLinesInWindow_;
  LogLine(LogName() + ": " + std::to_string(unloggedRefusals_) + " more refused events, not logged one by one");
  unloggedRefusals_ = 0;
}

bool Session::BeneathModal(const Component& target) const {
  if (!boxes_.empty()) return true;  // message boxes lie above every form
  const Form* top = nullptr;
  for (const auto& d : dialogs_)
    if (d->IsShown() && d->Modal() && !closing_.count(d.get()) && (!top || d->ShownOrder() > top->ShownOrder()))
      top = d.get();
  if (!top) return false;
  const auto* form = dynamic_cast<const Form*>(&target);
  if (!form) form = target.Owner();
  return form != top && (!form || form->ShownOrder() < top->ShownOrder());
}

void Session::DispatchEvent(const Json& ev) {
  if (!ev.is_object()) {
    Refuse(ev, "not an object");
    return;
  }
  const auto t = ev.find("t");
  if (t == ev.end() || !t->is_string()) {
    Refuse(ev, "no event type");
    return;
  }
  const std::string type = t->get<std::string>();
  if (type == "resize") {
    if (mainForm_) mainForm_->OnScreenResize(mainForm_.get(), ev.value("w", 0), ev.value("h", 0));
    return;
  }
  if (type == "key") {
    Form* form = mainForm_.get();
    if (!form || !form->KeyPreview()) return;
    if (BeneathModal(*form)) {
      Refuse(ev, "beneath a modal window");
      return;
    }
    ui::ShiftState shift = ui::ShiftFromJson(ev);
    const auto kind = ev.find("k");
    if (kind != ev.end() && *kind == "down") {
      const auto code = ev.find("code");
      if (code == ev.end() || !code->is_number_integer() || *code < 0 || *code > 0xFFFF) {
        Refuse(ev, "no key code");
        return;
      }
      int k = code->get<int>();
      form->OnKeyDown(form, k, shift);
    } else {
      // The character as the browser typed it, whole ("ä" is two bytes).
      const auto key = ev.find("key");
      const std::string text = key != ev.end() && key->is_string() ? key->get<std::string>() : std::string();
      std::size_t at = 0;
      char32_t ch = text.empty() ? 0 : io::utf8::Next(text, at);
      form->OnKeyPress(form, ch);
    }
    return;
  }
  if (type == "answer") {
    int id = ev.value("box", 0);
    auto it = boxes_.find(id);
    if (it == boxes_.end()) {
      Refuse(ev, "no such box");
      return;
    }
    Box box = std::move(it->second);
    boxes_.erase(it);
    std::string r = ev.value("r", "");
    ModalResult result = r == "ok" ? mrOk : r == "cancel" ? mrCancel : r == "yes" ? mrYes : r == "no" ? mrNo : mrNone;
    if (box.kind == "prompt" && result == mrNone) result = mrCancel;
    std::string text = ev.value("text", "");
    if (box.callback) box.callback(result, text);
    return;
  }
  if (!ev.contains("c") || !ev["c"].is_number_integer()) {
    Refuse(ev, "no component");
    return;
  }
  const int id = ev["c"].get<int>();
  Component* c = FindById(id);
  if (!c) {
    // Ids are never given twice: one the session gave out is a component a
    // handler has released (the mouse-up and click after a sub-menu
    // closed), and its late events are dropped without a word.
    if (id <= 0 || id > lastId_) Refuse(ev, "unknown component");
    return;
  }
  // Timers tick on and files already received are taken beneath a modal
  // window; what the user does there has no effect (the second click of a
  // double click on a button that opens a dialog).
  if (type != "timer" && type != "upload" && BeneathModal(*c)) {
    Refuse(ev, "beneath a modal window");
    return;
  }
  if (type == "close") {
    auto* f = dynamic_cast<Form*>(c);
    if (f && f != mainForm_.get() && f->IsShown()) f->Close();
    else Refuse(ev, "not an open dialog");
    return;
  }
  if (!c->AcceptsBrowserEvents()) {
    Refuse(ev, "component not showing or disabled");
    return;
  }
  if (!c->HandleBrowserEvent(type, ev)) Refuse(ev, "event not taken");
}

namespace {

// An event's type for a log line, whatever the browser sent as "t".
std::string EventType(const Json& ev) {
  if (!ev.is_object()) return "?";
  const auto t = ev.find("t");
  return t != ev.end() && t->is_string() ? t->get<std::string>() : "?";
}

}  // namespace

Json Session::HandleRequest(std::int64_t seq, const Json& events) {
  Touch();
  answered_ = true;
  if (seq == lastSeq_ && !lastResponse_.is_null()) return lastResponse_;
  if (seq != lastSeq_ + 1) {
    // A page ahead of its session has lost step with it: it loads again and
    // starts a new session, so this one ends now instead of holding a place.
    // An older number is a late copy of a request already answered (a
    // network retry); the page that sent it never reads this answer.
    if (seq > lastSeq_) terminated_ = true;
    return {{"seq", seq}, {"ops", Json::array({{{"op", "reload"}}})}};
  }
  Scope scope(*this);
  if (events.is_array()) {
    for (const Json& ev : events) {
      if (terminated_) break;
      try {
        DispatchEvent(ev);
      } catch (const std::exception& e) {
        LogLine(LogName() + ": error in " + EventType(ev) + " handler: " + e.what());
        if (!HandlerError || !HandlerError(e.what())) Emit({{"op", "error"}, {"text", e.what()}});
      } catch (...) {
        LogLine(LogName() + ": unknown error in a handler");
        if (!HandlerError || !HandlerError("Unknown error")) Emit({{"op", "error"}, {"text", "Unknown error"}});
      }
      FreeClosedDialogs();
    }
  }
  // The request is answered and recorded whatever fails here, so that the
  // browser's retry of it is answered from the record and runs nothing twice.
  Json ops;
  try {
    ops = TakeOps();
    if (terminated_) ops.push_back({{"op", "terminate"}, {"html", TerminatePage ? TerminatePage() : ""}});
  } catch (const std::exception& e) {
    LogLine(LogName() + ": cannot answer request " + std::to_string(seq) + ": " + e.what());
    ops = Json::array();
  }
  ReportUnloggedRefusals();
  lastSeq_ = seq;
  lastResponse_ = {{"seq", seq}, {"ops", std::move(ops)}};
  return lastResponse_;
}

}  // namespace plat::session
