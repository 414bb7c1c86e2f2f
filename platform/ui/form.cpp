#include "platform/ui/form.h"

#include <atomic>
#include <algorithm>

#include "platform/ui/form_loader.h"

namespace plat::ui {

Form::Form(ChangeStream* stream) : Control(nullptr, stream) {
  RegisterEvent("OnShow", &OnShow);
  RegisterEvent("OnClose", &OnClose);
  RegisterEvent("OnScreenResize", &OnScreenResize);
  RegisterEvent("OnKeyDown", &OnKeyDown);
  RegisterEvent("OnKeyPress", &OnKeyPress);
}

Form::~Form() {
  // Free the components in reverse creation order; each one unhooks itself.
  while (!owned_.empty()) {
    std::unique_ptr<Component> last = std::move(owned_.back());
    owned_.pop_back();
    last.reset();
  }
}

void Form::Adopt(Component* c) { owned_.emplace_back(c); }

void Form::Forget(Component* c) {
  if (!c->Name().empty()) {
    auto it = byName_.find(c->Name());
    if (it != byName_.end() && it->second == c) byName_.erase(it);
  }
  for (auto& p : owned_)
    if (p.get() == c) {
      p.release();  // being destroyed by its caller
      break;
    }
  owned_.erase(std::remove(owned_.begin(), owned_.end(), nullptr), owned_.end());
}

Component* Form::FindComponent(std::string_view name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

std::vector<Component*> Form::Components() const {
  std::vector<Component*> out;
  out.reserve(owned_.size());
  for (const auto& p : owned_) out.push_back(p.get());
  return out;
}

void Form::Release(Component* c) {
  if (!c || c->Owner() != this) return;
  // Controls parented by it go first, last child first.
  if (auto* ctl = dynamic_cast<Control*>(c)) {
    while (!ctl->Children().empty()) Release(ctl->Children().back());
  }
  for (auto& p : owned_)
    if (p.get() == c) {
      std::unique_ptr<Component> doomed = std::move(p);
      owned_.erase(std::remove(owned_.begin(), owned_.end(), nullptr), owned_.end());
      doomed.reset();
      return;
    }
}

const std::any* Form::FindHandler(std::string_view name) const {
  auto it = handlers_.find(name);
  return it == handlers_.end() ? nullptr : &it->second;
}

namespace {

void ApplyProps(Component& c, const Json& props, const std::string& file) {
  for (auto it = props.begin(); it != props.end(); ++it) {
    if (!c.KnowsProp(it.key()))
      throw UiError(file + ": " + c.ClassName() + " " + c.Name() + " has no property " + it.key());
    c.SetProp(it.key(), it.value());
  }
}

void BindEvents(Form& form, Component& c,
                const std::vector<std::pair<std::string, std::string>>& events,
                const std::string& file) {
  for (const auto& [event, handler] : events) {
    EventSlotBase* slot = c.FindEvent(event);
    if (!slot) throw UiError(file + ": " + c.ClassName() + " " + c.Name() + " has no event " + event);
    const std::any* fn = form.FindHandler(handler);
    if (!fn) throw UiError(file + ": unknown handler " + handler + " for " + c.Name() + "." + event);
    if (!slot->BindAny(*fn))
      throw UiError(file + ": handler " + handler + " does not fit " + c.Name() + "." + event);
  }
}

void BuildChildren(Form& form, Control* parent, const ComponentPrototype& proto) {
  for (const ComponentPrototype& cp : proto.children) {
    const std::string& file = cp.file;
    const ComponentFactory* factory = FindComponentClass(cp.cls);
    if (!factory) throw UiError(file + ": unknown class " + cp.cls + " of " + cp.name);
    Component* c = (*factory)(&form);
    c->SetName(cp.name);
    auto* ctl = dynamic_cast<Control*>(c);
    if (ctl && parent) ctl->SetParent(parent);
    ApplyProps(*c, cp.props, file);
    BindEvents(form, *c, cp.events, file);
    if (!cp.children.empty()) {
      if (!ctl) throw UiError(file + ": " + cp.name + " cannot hold children");
      BuildChildren(form, ctl, cp);
    }
  }
}

}  // namespace

void Form::Build(const FormPrototype& proto) {
  SetName(proto.name);
  ApplyProps(*this, proto.props, proto.file);
  BindEvents(*this, *this, proto.events, proto.file);
  BuildChildren(*this, this, proto);
}

Json Form::RenderForBrowser() {
  SetRenderedTree(true);
  return Render();
}

void Form::Show() {
  if (shown_) return;
  static std::atomic<std::uint64_t> lastShown{0};
  shown_ = true;
  shownOrder_ = ++lastShown;
  ChangeStream* s = Stream();
  if (s && s->MainForm() != this)
    s->Emit({{"op", "create"}, {"parent", nullptr}, {"index", 0}, {"node", RenderForBrowser()}});
  OnShow(this);
}

void Form::ShowModal() {
  SetProp("modal", true);
  Show();
}

void Form::Close() {
  // A dialog that was only used, never shown, is closed and freed as well.
  if (!shown_ && (!Stream() || Stream()->MainForm() == this)) return;
  OnClose(this);
  ChangeStream* s = Stream();
  if (!s || s->MainForm() == this || closing_) return;
  closing_ = true;
  if (Rendered()) {
    s->Emit({{"op", "destroy"}, {"c", Id()}});
    SetRenderedTree(false);
  }
  s->CloseDialog(this);
}

Json Form::Render() const {
  Json node = Control::Render();
  const ChangeStream* s = Stream();
  node["cls"] = s && s->MainForm() == this ? "TUniForm" : "TUniDialog";
  return node;
}

}  // namespace plat::ui
