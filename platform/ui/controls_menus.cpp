// Popup menus and their items.
#include "platform/ui/controls_menus.h"

#include <mutex>
#include <set>

#include "platform/ui/controls_nonvisual.h"
#include "platform/ui/controls_util.h"
#include "platform/ui/form.h"

namespace plat::ui {

using detail::CountChildren;
using detail::FindImageList;
using detail::NthChild;

namespace {

// Every popup menu of the process, so that opening one can mark the other
// menus of its page closed: a chosen item counts only for the menu the page
// opened last. Menus of other pages are left alone. The set lives until the
// process ends, so that forms that static objects hold may still go last.
std::mutex& MenusMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::set<TUniPopupMenu*>& Menus() {
  static auto* menus = new std::set<TUniPopupMenu*>;
  return *menus;
}

}  // namespace

// ---- popup menu ------------------------------------------------------------------------

TUniPopupMenu::TUniPopupMenu(Form* owner) : Control(owner) {
  std::lock_guard<std::mutex> lock(MenusMutex());
  Menus().insert(this);
}

TUniPopupMenu::~TUniPopupMenu() {
  std::lock_guard<std::mutex> lock(MenusMutex());
  Menus().erase(this);
}

int TUniPopupMenu::Count() const { return CountChildren<TUniMenuItem>(*this); }

TUniMenuItem* TUniPopupMenu::Items(int index) const { return NthChild<TUniMenuItem>(*this, index); }

void TUniPopupMenu::Popup(int x, int y, const Control* relativeTo) {
  {
    std::lock_guard<std::mutex> lock(MenusMutex());
    for (TUniPopupMenu* m : Menus())
      if (m->Stream() == Stream()) m->open_ = false;
  }
  open_ = true;
  ChangeStream* s = Stream();
  if (!s) return;
  Json op = {{"op", "popup"}, {"c", Id()}, {"x", x}, {"y", y}};
  if (relativeTo) op["at"] = relativeTo->Id();
  s->Emit(std::move(op));
}

Json TUniPopupMenu::RenderProp(std::string_view key) const {
  if (key == "menu") {
    const TUniCustomImageList* images = FindImageList(*this, Images());
    Json menu = Json::array();
    for (const Control* c : Children())
      if (auto* item = dynamic_cast<const TUniMenuItem*>(c); item && item->Visible())
        menu.push_back(item->ToJson(images));
    return menu;
  }
  return Control::RenderProp(key);
}

void TUniPopupMenu::RenderInto(Json& node) const {
  // The items travel inside "menu", not as child elements.
  Component::RenderInto(node);
  node["p"]["menu"] = RenderProp("menu");
}

// ---- menu item ------------------------------------------------------------------------------

int TUniMenuItem::Count() const { return CountChildren<TUniMenuItem>(*this); }

TUniMenuItem* TUniMenuItem::Items(int index) const { return NthChild<TUniMenuItem>(*this, index); }

TUniPopupMenu* TUniMenuItem::Menu() const {
  for (Control* c = Parent(); c; c = c->Parent()) {
    if (auto* menu = dynamic_cast<TUniPopupMenu*>(c)) return menu;
    if (!dynamic_cast<TUniMenuItem*>(c)) return nullptr;
  }
  return nullptr;
}

bool TUniMenuItem::TakeProp(std::string_view key, const Json& value) {
  // An item has no element of its own in the browser: a change resends
  // the menu it belongs to.
  if (Prop(key) == value) return true;
  StoreFromBrowser(key, value);
  if (TUniPopupMenu* menu = Menu()) menu->MenuChanged();
  return true;
}

Json TUniMenuItem::ToJson(const TUniCustomImageList* images) const {
  Json n = {{"id", Id()}, {"caption", Caption()}};
  if (IsSeparator()) n["separator"] = true;
  if (!Enabled()) n["enabled"] = false;
  if (images && ImageIndex() >= 0) {
    std::string image = images->Image(ImageIndex());
    if (!image.empty()) n["image"] = std::move(image);
  }
  Json ch = Json::array();
  for (const Control* c : Children())
    if (auto* item = dynamic_cast<const TUniMenuItem*>(c); item && item->Visible()) ch.push_back(item->ToJson(images));
  if (!ch.empty()) n["children"] = std::move(ch);
  return n;
}

bool TUniMenuItem::AcceptsBrowserEvents() const {
  for (const Control* c = this; c; c = c->Parent()) {
    if (auto* menu = dynamic_cast<const TUniPopupMenu*>(c))
      return menu->IsOpen() && menu->Owner() && menu->Owner()->IsShown();
    if (!dynamic_cast<const TUniMenuItem*>(c) || !c->Visible() || !c->Enabled()) return false;
  }
  return false;
}

bool TUniMenuItem::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (type != "menu") return false;
  if (IsSeparator()) return detail::Refused(*this, ev, "a separator");
  // Choosing closes the menu in the browser: one choice per opening.
  if (TUniPopupMenu* menu = Menu()) menu->open_ = false;
  Click();
  return true;
}

}  // namespace plat::ui
