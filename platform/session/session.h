#pragma once
// One browser session: its main module and forms, the ordered stream of
// changes for the browser, the session services (messages, prompts, toasts,
// scripts, windows, termination) and the dispatch of browser events.
//
// Requests of one session run one after another under its lock; a request
// carries a sequence number and a request repeated after a lost answer is
// answered from the record, never executed twice.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/change_stream.h"
#include "platform/ui/component.h"
#include "platform/ui/form.h"

namespace plat::session {

using ui::Json;

// Results of message boxes and prompts (the VCL's numbers).
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };
enum class BoxIcon { Information, Confirmation, Warning, Error };

// The per-session module of the application; created before the main form.
class MainModuleBase {
 public:
  virtual ~MainModuleBase() = default;
};

class Session : public ui::ChangeStream {
 public:
  Session(std::string id, std::map<std::string, std::string> urlParams);
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The session on whose behalf the current thread runs, or nullptr.
  static Session* Current();
  class Scope {
   public:
    explicit Scope(Session& s);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Session* previous_;
  };

  const std::string& Id() const override { return id_; }
  // How the session appears in the server log: "session 1a2b3c4d" and what
  // the host said about it (kind, location, client address). The label is
  // set once, before the session is shared.
  void SetLogLabel(std::string label) { logLabel_ = std::move(label); }
  std::string LogName() const override;
  // A URL parameter as the browser sent it, decoded; empty when absent.
  std::string UrlParam(std::string_view name) const;
  const std::map<std::string, std::string>& UrlParams() const { return urlParams_; }

  // --- module and forms -------------------------------------------------
  void SetMainModule(std::unique_ptr<MainModuleBase> module) { module_ = std::move(module); }
  MainModuleBase* MainModule() const { return module_.get(); }
  void SetMainForm(std::unique_ptr<ui::Form> form);
  ui::Form* MainForm() const override { return mainForm_.get(); }
  // Adds a dialog form; it lives until it is closed (then freed after the
  // current event) or the session ends.
  ui::Form* AddDialog(std::unique_ptr<ui::Form> dialog);
  // The open dialog of class T, or nullptr.
  template <typename T>
  T* FindDialog() const {
    for (const auto& d : dialogs_)
      if (auto* t = dynamic_cast<T*>(d.get()); t && !closing_.count(d.get())) return t;
    return nullptr;
  }
  // Shows the main form (runs its OnShow) once.
  void ShowMainForm();

  // --- services ---------------------------------------------------------
  void AddJS(std::string_view script);
  // A script run on one control: character code 1 stands for its client name.
  void ControlScript(const ui::Component& control, std::string_view script);
  void ShowToast(std::string_view text);
  // A modal box; the handler that shows it goes on at once.
  void ShowMessage(std::string_view text, std::function<void()> callback = {});
  // Yes/No confirmation; the callback gets mrYes, mrNo or mrNone (closed).
  void MessageDlg(std::string_view text, BoxIcon icon, std::function<void(ModalResult)> callback);
  // A text prompt with OK and Cancel; the callback gets the result and text.
  void Prompt(std::string_view text, std::string_view defaultText, BoxIcon icon,
              std::function<void(ModalResult, const std::string&)> callback);
  void BrowserWindow(std::string_view url, std::string_view target, std::string_view options);
  // Ends the session: the browser gets the terminate page.
  void Terminate();
  bool Terminated() const { return terminated_; }
  std::string UserString;

  // --- the change stream ------------------------------------------------
  void Emit(Json op) override;
  void MarkDirty(ui::Component* c, std::string_view key) override;
  void DeferUntilShown(int componentId) override { deferred_.insert(componentId); }
  // The ops collected so far (pending property changes flushed first).
  Json TakeOps();

  // --- requests ---------------------------------------------------------
  // Runs one request of the browser; `seq` counts from 1.
  Json HandleRequest(std::int64_t seq, const Json& events);
  // The boot object of the page: the rendered forms and the ops so far.
  Json RenderBoot(const Json& config);
  // Runs one browser event inside a request (also used by tests through
  // HandleRequest). Refused events are logged and ignored.
  void DispatchEvent(const Json& event);

  std::mutex& Mutex() { return mutex_; }
  std::int64_t LastActivityMs() const { return lastActivityMs_; }
  // When the session opened, and whether its page has sent a request yet
  // (a page that never does was closed or never ran its script).
  std::int64_t OpenedMs() const { return openedMs_; }
  bool HasRequests() const { return answered_; }
  void Touch();

  // Set by the host: the HTML of the terminate page.
  std::function<std::string()> TerminatePage;
  // Set by the application: given the message of an error that escaped an
  // event handler (already in the server log); returning true keeps the
  // error box off the browser's screen.
  std::function<bool(const std::string&)> HandlerError;

  // Component registry (ids are unique in the session).
  int NextId() override { return ++lastId_; }
  void Register(ui::Component* c) override;
  void Unregister(ui::Component* c) override;
  ui::Component* FindById(int id) const override;
  void CloseDialog(ui::Form* dialog) override;
  bool TakeRefusalLine() override;

  // Refused events get their own log line up to these bounds; the rest are
  // counted and reported in one line.
  static constexpr int kRefusalLinesPerRequest = 10;
  static constexpr int kRefusalLinesPerMinute = 50;

 private:
  // The modal window (dialog or box) above everything, if one is open:
  // user events for the forms beneath it are refused.
  bool BeneathModal(const ui::Component& target) const;
  void ReportUnloggedRefusals();
  // Begins a new minute of refusal lines once the current one is over.
  void StartRefusalMinuteWhenOver();
  void FlushPending();
  void FreeClosedDialogs();
  void Refuse(const Json& event, const char* why);

  std::string id_;
  std::string logLabel_;
  std::map<std::string, std::string> urlParams_;
  std::mutex mutex_;
  // Written in the session's requests, read by the manager's time-out sweep.
  std::atomic<std::int64_t> lastActivityMs_{0};
  const std::int64_t openedMs_;
  std::atomic<bool> answered_{false};
  std::unique_ptr<MainModuleBase> module_;
  std::unique_ptr<ui::Form> mainForm_;
  std::vector<std::unique_ptr<ui::Form>> dialogs_;
  std::set<ui::Form*> closing_;
  std::map<int, ui::Component*> components_;
  int lastId_ = 0;

  Json ops_ = Json::array();
  std::set<int> deferred_;
  std::vector<std::pair<int, std::string>> pending_;
  std::set<std::pair<int, std::string>> pendingSet_;

  int nextBox_ = 0;
  struct Box {
    std::string kind;
    std::function<void(ModalResult, const std::string&)> callback;
  };
  std::map<int, Box> boxes_;

  int refusalLinesInRequest_ = 0;
  int refusalLinesInWindow_ = 0;
  std::int64_t refusalWindowStartMs_ = 0;
  std::int64_t unloggedRefusals_ = 0;

  std::int64_t lastSeq_ = 0;
  Json lastResponse_;
  bool terminated_ = false;
};

}  // namespace plat::session
