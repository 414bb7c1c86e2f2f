#pragma once
// A screen for the control tests: one session with one main form built from
// a definition, rendered, then driven by browser events through the
// session's request handling.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/session/session.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"
#include "support/test_support.h"

namespace testing_support {

using plat::session::Session;
using plat::ui::Component;
using plat::ui::Form;
using plat::ui::Json;

class Screen {
 public:
  Screen() : session_("00112233445566778899aabbccddeeff", {}), form_(new Form(&session_)) {
    plat::ui::RegisterStandardControls();
    session_.SetMainForm(std::unique_ptr<Form>(form_));
  }

  Form& form() { return *form_; }
  Session& session() { return session_; }
  std::vector<std::string> calls;  // "handler:Sender" in the order they ran

  // Handlers for the definition to bind by name.
  template <typename... Args, typename F>
  void Bind(const std::string& name, F fn) {
    form_->RegisterHandler<Args...>(name, std::function<void(Args...)>(std::move(fn)));
  }
  // A notify handler that records itself.
  void Record(const std::string& handler) {
    Bind<Component*>(handler, [this, handler](Component* sender) { calls.push_back(handler + ":" + sender->Name()); });
  }
  void On(const std::string& handler, std::function<void(Component*)> fn) { Bind<Component*>(handler, std::move(fn)); }

  void Load(const std::string& yaml) {
    Session::Scope scope(session_);
    form_->Build(plat::ui::ParseFormDefinition(yaml, "test.yaml"));
    session_.ShowMainForm();
    boot_ = session_.RenderBoot(Json::object());
  }

  template <typename T>
  T* Get(const std::string& name) {
    return form_->Get<T>(name);
  }
  int Id(const std::string& name) { return form_->Get<Component>(name)->Id(); }

  const Json& Boot() const { return boot_; }
  // The rendered node of a component in the boot tree.
  Json BootNode(const std::string& name) const {
    Json found;
    std::function<void(const Json&)> walk = [&](const Json& n) {
      if (n.value("name", "") == name) found = n;
      if (n.contains("ch"))
        for (const Json& c : n["ch"]) walk(c);
    };
    for (const Json& f : boot_["forms"]) walk(f);
    return found;
  }

  Json Send(Json events) { return session_.HandleRequest(++seq_, events)["ops"]; }
  Json Event(Json event) { return Send(Json::array({std::move(event)})); }
  Json Click(const std::string& name) { return Event({{"t", "click"}, {"c", Id(name)}}); }
  Json Change(const std::string& name, const std::string& p, Json v) {
    return Event({{"t", "change"}, {"c", Id(name)}, {"p", p}, {"v", std::move(v)}});
  }

 private:
  Session session_;
  Form* form_;
  Json boot_;
  long long seq_ = 0;
};

// The "set" ops of one component and property.
inline std::vector<Json> Sets(const Json& ops, int id, const std::string& p) {
  std::vector<Json> out;
  for (const Json& op : ops)
    if (op.value("op", "") == "set" && op.value("c", 0) == id && op.value("p", "") == p) out.push_back(op["v"]);
  return out;
}

inline bool Refused(const LogCapture& log) { return log.All().find("refused") != std::string::npos; }

}  // namespace testing_support
