#include "platform/ui/component.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/form.h"

namespace plat::ui {
namespace {

const Json kNull;

}  // namespace

Component::Component(Form* owner) : owner_(owner), stream_(owner ? owner->Stream() : nullptr) {
  id_ = stream_ ? stream_->NextId() : (owner_ ? owner_->NextLocalId() : 0);
  if (owner_) owner_->Adopt(this);
  if (stream_) stream_->Register(this);
}

Component::Component(std::nullptr_t, ChangeStream* stream) : owner_(nullptr), stream_(stream) {
  id_ = stream_ ? stream_->NextId() : 0;
  if (stream_) stream_->Register(this);
}

Component::~Component() {
  if (stream_) stream_->Unregister(this);
  if (owner_) owner_->Forget(this);
}

void Component::SetName(std::string_view name) {
  if (name == name_) return;
  if (owner_) {
    if (!name.empty() && owner_->FindComponent(name))
      throw UiError("A component named " + std::string(name) + " already exists");
    owner_->byName_.erase(name_);
    if (!name.empty()) owner_->byName_[std::string(name)] = this;
  }
  name_ = std::string(name);
  if (rendered_) MarkChanged("name");
}

std::string Component::JSName() const {
  char buf[24];
  std::snprintf(buf, sizeof buf, "O%X", static_cast<unsigned>(id_));
  return buf;
}

const Json& Component::Prop(std::string_view key) const {
  auto it = props_.find(key);
  return it == props_.end() ? kNull : *it;
}

std::string Component::PropStr(std::string_view key) const {
  const Json& v = Prop(key);
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  return v.dump();
}

int Component::PropInt(std::string_view key, int def) const {
  const Json& v = Prop(key);
  return v.is_number() ? v.get<int>() : def;
}

bool Component::PropBool(std::string_view key, bool def) const {
  const Json& v = Prop(key);
  return v.is_boolean() ? v.get<bool>() : def;
}

void Component::SetProp(std::string_view key, Json value) {
  if (!KnowsProp(key)) throw UiError(std::string(ClassName()) + " has no property " + std::string(key));
  if (key == "tag") {
    // Kept on the server only, as Tag().
    if (!value.is_number_integer()) throw UiError(Name() + ".tag must be a whole number");
    tag_ = value.get<int>();
    return;
  }
  if (TakeProp(key, value)) return;
  auto it = props_.find(key);
  if (it != props_.end() && *it == value) return;
  props_[std::string(key)] = std::move(value);
  MarkChanged(key);
}

void Component::StoreFromBrowser(std::string_view key, Json value) {
  props_[std::string(key)] = std::move(value);
}

void Component::DeferUntilShown() const {
  if (stream_) stream_->DeferUntilShown(id_);
}

void Component::MarkChanged(std::string_view key) {
  if (!rendered_) return;
  if (stream_) stream_->MarkDirty(this, key);
}

const PropertyTable& Component::Properties() {
  // Keys every component may carry.
  static const PropertyTable table(nullptr, {{"cls", PropertyUse::Drawn}, {"tag", PropertyUse::Server}});
  return table;
}

bool Component::TakeProp(std::string_view, const Json&) { return false; }

EventSlotBase* Component::FindEvent(std::string_view name) {
  auto it = events_.find(name);
  return it == events_.end() ? nullptr : it->second;
}

Json Component::RenderProp(std::string_view key) const { return Prop(key); }

bool Component::HandleBrowserEvent(const std::string&, const Json&) { return false; }

ShiftState ShiftFromJson(const Json& ev) {
  ShiftState s;
  if (auto it = ev.find("shift"); it != ev.end() && it->is_object()) {
    s.shift = it->value("shift", false);
    s.ctrl = it->value("ctrl", false);
    s.alt = it->value("alt", false);
  }
  return s;
}

bool Control::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (type == "click") {
    Click();
    return true;
  }
  if (type == "dblclick") {
    OnDblClick(this);
    return true;
  }
  if (type == "mouse") {
    int b = ev.value("b", 0);
    MouseButton button = b == 2 ? MouseButton::Right : b == 1 ? MouseButton::Middle : MouseButton::Left;
    int x = ev.value("x", 0), y = ev.value("y", 0);
    if (ev.value("k", "") == "down") OnMouseDown(this, button, ShiftFromJson(ev), x, y);
    else OnMouseUp(this, button, ShiftFromJson(ev), x, y);
    return true;
  }
  return false;
}

void Component::RenderInto(Json& node) const {
  Json p = Json::object();
  for (auto it = props_.begin(); it != props_.end(); ++it) p[it.key()] = RenderProp(it.key());
  node["p"] = std::move(p);
}

Json Component::Render() const {
  Json node = {{"id", id_}, {"cls", ClassName()}, {"name", name_}, {"js", JSName()}};
  RenderInto(node);
  return node;
}

void Component::SetRendered(bool r) { rendered_ = r; }

// ---- Control ----------------------------------------------------------------

Control::Control(Form* owner) : Component(owner) { RegisterControlEvents(); }

Control::Control(std::nullptr_t, ChangeStream* stream) : Component(nullptr, stream) {
  RegisterControlEvents();
}

void Control::RegisterControlEvents() {
  RegisterEvent("OnClick", &OnClick);
  RegisterEvent("OnDblClick", &OnDblClick);
  RegisterEvent("OnMouseDown", &OnMouseDown);
  RegisterEvent("OnMouseUp", &OnMouseUp);
}

Control::~Control() {
  // Children go with their parent, as the owner frees them.
  for (Control* c : children_) c->parent_ = nullptr;
  if (parent_) {
    auto& sib = parent_->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  }
  if (Rendered()) {
    if (ChangeStream* s = Stream()) s->Emit({{"op", "destroy"}, {"c", Id()}});
  }
}

void Control::SetParent(Control* parent) {
  if (parent == parent_) return;
  if (parent_) {
    auto& sib = parent_->children_;
    sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
    if (Rendered()) {
      if (ChangeStream* s = Stream()) s->Emit({{"op", "destroy"}, {"c", Id()}});
      SetRenderedTree(false);
    }
  }
  parent_ = parent;
  if (parent_) {
    parent_->children_.push_back(this);
    if (parent_->Rendered()) {
      if (ChangeStream* s = Stream()) {
        Json op = {{"op", "create"}, {"parent", parent_->Id()},
                   {"index", static_cast<int>(parent_->children_.size()) - 1}, {"node", Render()}};
        SetRenderedTree(true);
        s->Emit(std::move(op));
      }
    }
  }
}

void Control::SetRenderedTree(bool r) {
  SetRendered(r);
  for (Control* c : children_) c->SetRenderedTree(r);
}

void Control::BringToFront() {
  if (!parent_) return;
  auto& sib = parent_->children_;
  sib.erase(std::remove(sib.begin(), sib.end(), this), sib.end());
  sib.push_back(this);
  if (Rendered()) {
    if (ChangeStream* s = Stream()) s->Emit({{"op", "front"}, {"c", Id()}});
  }
}

void Control::SetBounds(int left, int top, int width, int height) {
  SetLeft(left);
  SetTop(top);
  SetWidth(width);
  SetHeight(height);
}

Align Control::GetAlign() const {
  std::string a = PropStr("align");
  if (a == "top") return Align::Top;
  if (a == "bottom") return Align::Bottom;
  if (a == "left") return Align::Left;
  if (a == "right") return Align::Right;
  if (a == "client") return Align::Client;
  return Align::None;
}

void Control::SetAlign(Align a) {
  static const char* names[] = {"none", "top", "bottom", "left", "right", "client"};
  SetProp("align", names[static_cast<int>(a)]);
}

bool Control::ShowsChild(const Control*) const { return true; }

bool Control::Showing() const {
  if (!Visible()) return false;
  if (!parent_) {
    // Only a form without parent can be showing on its own.
    return false;
  }
  if (!parent_->ShowsChild(this)) return false;
  return parent_->Showing();
}

bool Control::EnabledInTree() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->Enabled()) return false;
  return true;
}

Json Control::RenderProp(std::string_view key) const {
  const Json& v = Prop(key);
  if (key == "screenMaskTarget") {
    // The browser finds the control by its id; a name of no control of the
    // form masks the page.
    const Form* form = Owner() ? Owner() : dynamic_cast<const Form*>(this);
    const Component* target = form && v.is_string() ? form->FindComponent(v.get<std::string>()) : nullptr;
    if (!target && form && v.is_string() && v.get<std::string>() == form->Name()) target = form;
    return target ? Json(target->Id()) : Json(nullptr);
  }
  if (key == "color" && v.is_number_integer()) return ColorToCss(v.get<int>());
  if (key == "font" && v.is_object() && v.contains("color") && v["color"].is_number_integer()) {
    Json f = v;
    f["color"] = ColorToCss(v["color"].get<int>());
    return f;
  }
  return v;
}

void Control::RenderInto(Json& node) const {
  Component::RenderInto(node);
  Json ch = Json::array();
  for (const Control* c : children_) ch.push_back(c->Render());
  if (!ch.empty()) node["ch"] = std::move(ch);
}

std::string ColorToCss(int color) {
  unsigned c = static_cast<unsigned>(color);
  // Negative values are none, except the system colours $FF0000nn.
  if (color < 0 && (c & 0xFFFFFF00u) != 0xFF000000u) return "";
  if (c & 0xFF000000u) {
    // System colours: the theme's own.
    switch (c & 0xFF) {
      case 5: return "#2b2b2b";   // window
      case 8: return "#ffffff";   // window text
      case 13: return "#245d9e";  // highlight (the selection)
      case 15: return "#3c3c3c";  // button face
      default: return "#333333";
    }
  }
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

}  // namespace plat::ui
