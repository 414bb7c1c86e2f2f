// Panels, page controls and tab sheets.
#include "platform/ui/controls_containers.h"

#include "platform/ui/controls_util.h"

namespace plat::ui {

// ---- panel --------------------------------------------------------------------------

TUniPanel::TUniPanel(Form* owner) : Control(owner) { RegisterEvent("OnToolClick", &OnToolClick); }

TUniBorderStyle TUniPanel::BorderStyle() const {
  std::string b = PropStr("borderStyle");
  return b == "none" ? ubsNone : b == "single" ? ubsSingle : ubsDefault;
}

void TUniPanel::SetBorderStyle(TUniBorderStyle b) {
  SetProp("borderStyle", b == ubsNone ? "none" : b == ubsSingle ? "single" : "default");
}

void TUniPanel::AddTool(std::string_view id, std::string_view icon) {
  Json tools = Prop("tools").is_array() ? Prop("tools") : Json::array();
  tools.push_back({{"id", std::string(id)}, {"icon", std::string(icon)}});
  SetProp("tools", std::move(tools));
}

bool TUniPanel::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (type == "tool") {
    auto it = ev.find("tool");
    if (it == ev.end() || !(it->is_string() || it->is_number_integer())) return detail::Refused(*this, ev, "no tool");
    const std::string id = detail::ScalarText(*it);
    const Json& tools = Prop("tools");
    bool offered = false;
    if (tools.is_array())
      for (const Json& t : tools)
        if (t.is_object() && t.contains("id") && detail::ScalarText(t["id"]) == id) offered = true;
    if (!offered) return detail::Refused(*this, ev, "no such tool");
    OnToolClick(this, id);
    return true;
  }
  if (const Json* v = detail::ChangeOf(type, ev, "collapsed")) {
    if (!v->is_boolean() || !Collapsible()) return detail::Refused(*this, ev, "not collapsible");
    StoreFromBrowser("collapsed", *v);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

// ---- page control ---------------------------------------------------------------------

TUniPageControl::TUniPageControl(Form* owner) : Control(owner) { RegisterEvent("OnChange", &OnChange); }

int TUniPageControl::PageCount() const { return detail::CountChildren<TUniTabSheet>(*this); }

TUniTabSheet* TUniPageControl::Pages(int index) const { return detail::NthChild<TUniTabSheet>(*this, index); }

TUniTabSheet* TUniPageControl::ActivePage() const {
  if (activeId_ < 0) return nullptr;
  TUniTabSheet* byName = nullptr;
  for (Control* c : Children())
    if (auto* sheet = dynamic_cast<TUniTabSheet*>(c)) {
      if (activeId_ > 0 && sheet->Id() == activeId_) return sheet;
      if (!byName && !activeName_.empty() && sheet->Name() == activeName_) byName = sheet;
    }
  // A chosen page that has gone leaves the named or the first page.
  return byName ? byName : Pages(0);
}

void TUniPageControl::ChangeActive(const TUniTabSheet* before) {
  if (ActivePage() != before) MarkChanged("activePage");
}

void TUniPageControl::SetActivePage(TUniTabSheet* page) {
  if (page && page->Parent() != this) throw UiError(page->Name() + " is not a page of " + Name());
  const TUniTabSheet* before = ActivePage();
  activeId_ = page ? page->Id() : -1;
  activeName_.clear();
  ChangeActive(before);
}

int TUniPageControl::ActivePageIndex() const {
  const TUniTabSheet* active = ActivePage();
  return active ? active->PageIndex() : -1;
}

void TUniPageControl::SetActivePageIndex(int index) { SetActivePage(Pages(index)); }

bool TUniPageControl::ShowsChild(const Control* child) const {
  auto* sheet = dynamic_cast<const TUniTabSheet*>(child);
  return !sheet || sheet == ActivePage();
}

bool TUniPageControl::TakeProp(std::string_view key, const Json& value) {
  if (key != "activePage") return false;
  // The definition names the page; its pages are built after this.
  const TUniTabSheet* before = ActivePage();
  int id = 0;
  if (value.is_string()) {
    activeName_ = value.get<std::string>();
    activeId_ = 0;
  } else if (detail::IntValue(value, id)) {
    activeName_.clear();
    activeId_ = id > 0 ? id : -1;
  } else if (value.is_null()) {
    activeName_.clear();
    activeId_ = -1;
  } else {
    throw UiError(Name() + ": activePage must name a page");
  }
  ChangeActive(before);
  return true;
}

Json TUniPageControl::RenderProp(std::string_view key) const {
  if (key == "activePage") {
    const TUniTabSheet* active = ActivePage();
    return active ? Json(active->Id()) : Json(nullptr);
  }
  return Control::RenderProp(key);
}

void TUniPageControl::RenderInto(Json& node) const {
  Control::RenderInto(node);
  node["p"]["activePage"] = RenderProp("activePage");
}

bool TUniPageControl::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "activePage")) {
    int id = 0;
    TUniTabSheet* sheet = nullptr;
    if (detail::IntValue(*v, id))
      for (int i = 0; i < PageCount(); ++i)
        if (Pages(i)->Id() == id) sheet = Pages(i);
    if (!sheet) return detail::Refused(*this, ev, "no such page");
    if (!TabsVisible() || !sheet->TabVisible() || !sheet->Visible() || !sheet->Enabled()) {
      MarkChanged("activePage");  // the browser goes back to the page it must show
      return detail::Refused(*this, ev, "the tab of " + sheet->Name() + " is not offered");
    }
    const TUniTabSheet* before = ActivePage();
    activeId_ = sheet->Id();
    activeName_.clear();
    if (before != sheet) OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

int TUniTabSheet::PageIndex() const {
  const TUniPageControl* pc = PageControl();
  if (!pc) return -1;
  for (int i = 0; i < pc->PageCount(); ++i)
    if (pc->Pages(i) == this) return i;
  return -1;
}

}  // namespace plat::ui
