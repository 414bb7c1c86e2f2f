#include "platform/ui/controls.h"

#include <cmath>
#include <limits>

#include "platform/convert.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "platform/session/session.h"
#include "platform/ui/controls_util.h"
#include "platform/ui/form_loader.h"
#include "platform/ui/picture.h"

namespace plat::ui {

// ---- helpers ------------------------------------------------------------------

namespace detail {

bool Refused(const Component& c, const Json& event, const std::string& why) {
  const Session* s = c.GetSession();
  std::string who = s ? s->LogName() + ": " : "";
  LogLine(who + "refused event " + event.dump() + " (" + c.Name() + ": " + why + ")");
  return true;
}

bool IntValue(const Json& v, int& out) {
  if (v.is_number_integer()) {
    long long n = v.get<long long>();
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
    out = static_cast<int>(n);
    return true;
  }
  if (v.is_number_float()) {
    double d = v.get<double>();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
      return false;
    out = static_cast<int>(d);
    return true;
  }
  return false;
}

bool IntMember(const Json& event, const char* key, int& out) {
  auto it = event.find(key);
  return it != event.end() && IntValue(*it, out);
}

const Json* ChangeOf(const std::string& type, const Json& event, std::string_view p) {
  if (type != "change") return nullptr;
  auto pit = event.find("p");
  if (pit == event.end() || !pit->is_string() || pit->get_ref<const std::string&>() != p) return nullptr;
  auto vit = event.find("v");
  static const Json kNull;
  return vit == event.end() ? &kNull : &*vit;
}

}  // namespace detail

using detail::KeyIn;

namespace {

// Text of a JSON scalar as a definition may write it (ids as numbers or text).
std::string ScalarText(const Json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  return v.dump();
}

}  // namespace

// ---- font -------------------------------------------------------------------------

Json ControlFont::Get() const {
  const Json& f = control_.Prop("font");
  return f.is_object() ? f : Json::object();
}

void ControlFont::Put(const char* key, Json value) {
  Json f = Get();
  f[key] = std::move(value);
  control_.SetProp("font", std::move(f));
}

std::string ControlFont::Name() const {
  Json f = Get();
  auto it = f.find("name");
  return it != f.end() && it->is_string() ? it->get<std::string>() : std::string();
}
void ControlFont::SetName(std::string_view name) { Put("name", std::string(name)); }

int ControlFont::Size() const {
  Json f = Get();
  int v = 0;
  auto it = f.find("size");
  return it != f.end() && detail::IntValue(*it, v) ? v : 0;
}
void ControlFont::SetSize(int size) { Put("size", size); }

int ControlFont::Color() const {
  Json f = Get();
  int v = -1;
  auto it = f.find("color");
  return it != f.end() && detail::IntValue(*it, v) ? v : -1;
}
void ControlFont::SetColor(int color) { Put("color", color); }

bool ControlFont::Bold() const {
  Json f = Get();
  auto it = f.find("bold");
  return it != f.end() && it->is_boolean() && it->get<bool>();
}
void ControlFont::SetBold(bool bold) { Put("bold", bold); }

bool ControlFont::Italic() const {
  Json f = Get();
  auto it = f.find("italic");
  return it != f.end() && it->is_boolean() && it->get<bool>();
}
void ControlFont::SetItalic(bool italic) { Put("italic", italic); }


// ---- label --------------------------------------------------------------------------

bool TUniLabel::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"caption", "html", "transparent", "autoSize"}) || Control::KnowsProp(k);
}

// ---- panel --------------------------------------------------------------------------

TUniPanel::TUniPanel(Form* owner) : Control(owner) { RegisterEvent("OnToolClick", &OnToolClick); }

bool TUniPanel::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"caption", "title", "titleVisible", "titleAlign", "collapsible", "collapsed", "draggable", "tools",
                   "borderStyle"}) ||
         Control::KnowsProp(k);
}

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
    const std::string id = ScalarText(*it);
    const Json& tools = Prop("tools");
    bool offered = false;
    if (tools.is_array())
      for (const Json& t : tools)
        if (t.is_object() && t.contains("id") && ScalarText(t["id"]) == id) offered = true;
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

bool TUniPageControl::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"activePage", "tabsVisible"}) || Control::KnowsProp(k);
}

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

bool TUniTabSheet::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"caption", "tabVisible"}) || Control::KnowsProp(k);
}

int TUniTabSheet::PageIndex() const {
  const TUniPageControl* pc = PageControl();
  if (!pc) return -1;
  for (int i = 0; i < pc->PageCount(); ++i)
    if (pc->Pages(i) == this) return i;
  return -1;
}

// ---- buttons ------------------------------------------------------------------------

bool TUniCustomButton::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"caption", "html", "tabStop"}) || Control::KnowsProp(k);
}

// ---- edit -----------------------------------------------------------------------------

TUniEdit::TUniEdit(Form* owner) : Control(owner) { RegisterEvent("OnChange", &OnChange); }

bool TUniEdit::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"text", "emptyText", "passwordChar", "clearButton", "maxLength", "readOnly", "fieldLabel",
                   "labelWidth"}) ||
         Control::KnowsProp(k);
}

bool TUniEdit::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "text")) {
    if (!v->is_string()) return detail::Refused(*this, ev, "text must be text");
    if (ReadOnly()) {
      MarkChanged("text");
      return detail::Refused(*this, ev, "read-only");
    }
    std::string text = v->get<std::string>();
    if (MaxLength() > 0 && utf8::Length(text) > static_cast<std::size_t>(MaxLength())) {
      text = utf8::Substr(text, 0, static_cast<std::size_t>(MaxLength()));
      StoreFromBrowser("text", text);
      MarkChanged("text");  // the browser shows what was kept
    } else {
      StoreFromBrowser("text", text);
    }
    OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

// ---- spin edit --------------------------------------------------------------------------

TUniSpinEdit::TUniSpinEdit(Form* owner) : Control(owner) { RegisterEvent("OnChange", &OnChange); }

bool TUniSpinEdit::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"value", "min", "max", "fieldLabel", "labelWidth", "readOnly"}) || Control::KnowsProp(k);
}

int TUniSpinEdit::Clamped(int v) const {
  const int lo = MinValue(), hi = MaxValue();
  if (lo >= hi) return v;  // equal limits: none
  return v < lo ? lo : v > hi ? hi : v;
}

void TUniSpinEdit::SetValue(int v) { SetProp("value", Clamped(v)); }

void TUniSpinEdit::SetText(std::string_view text) {
  auto v = TryStrToInt(text);
  SetValue(v ? *v : MinValue());
}

bool TUniSpinEdit::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "value")) {
    int value = 0;
    bool ok = detail::IntValue(*v, value);
    if (!ok && v->is_string()) {
      auto parsed = TryStrToInt(v->get<std::string>());
      ok = parsed.has_value();
      if (ok) value = *parsed;
    }
    if (!ok || PropBool("readOnly")) {
      MarkChanged("value");
      return detail::Refused(*this, ev, ok ? "read-only" : "not a whole number");
    }
    const int kept = Clamped(value);
    StoreFromBrowser("value", kept);
    if (kept != value) MarkChanged("value");
    OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

// ---- check box and radio button -------------------------------------------------------------

TUniCheckBox::TUniCheckBox(Form* owner) : Control(owner) { RegisterEvent("OnChange", &OnChange); }

bool TUniCheckBox::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"checked", "caption"}) || Control::KnowsProp(k);
}

bool TUniCheckBox::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "checked")) {
    if (!v->is_boolean()) return detail::Refused(*this, ev, "checked must be true or false");
    StoreFromBrowser("checked", *v);
    OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

TUniRadioButton::TUniRadioButton(Form* owner) : Control(owner) { RegisterEvent("OnChange", &OnChange); }

bool TUniRadioButton::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"checked", "caption", "group"}) || Control::KnowsProp(k);
}

void TUniRadioButton::UncheckOthers() {
  if (!Parent()) return;
  const Json& group = Prop("group");
  for (Control* c : Parent()->Children())
    if (auto* r = dynamic_cast<TUniRadioButton*>(c); r && r != this && r->Prop("group") == group) r->SetChecked(false);
}

void TUniRadioButton::SetChecked(bool v) {
  if (v) UncheckOthers();
  SetProp("checked", v);
}

bool TUniRadioButton::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "checked")) {
    if (!v->is_boolean()) return detail::Refused(*this, ev, "checked must be true or false");
    const bool was = Checked();
    StoreFromBrowser("checked", *v);
    if (v->get<bool>()) {
      UncheckOthers();  // sent: the browser may not know the group
      if (!was) OnChange(this);
    }
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

// ---- picture and frames -------------------------------------------------------------------

void TPicture::LoadFromFile(std::string_view systemPath) {
  PngPicture p = LoadPictureAsPng(systemPath);
  url_ = std::move(p.dataUri);
  width_ = p.width;
  height_ = p.height;
  if (changed_) changed_();
}

void TPicture::Clear() {
  if (url_.empty()) return;
  url_.clear();
  width_ = height_ = 0;
  if (changed_) changed_();
}

void TPicture::SetUrl(std::string_view url) {
  if (url == url_) return;
  url_ = std::string(url);
  width_ = height_ = 0;
  if (changed_) changed_();
}

TUniImage::TUniImage(Form* owner) : Control(owner), picture_([this] { MarkChanged("picture"); }) {}

bool TUniImage::KnowsProp(std::string_view k) const {
  return KeyIn(k, {"picture", "stretch", "proportional", "center", "transparent", "cursor"}) || Control::KnowsProp(k);
}

bool TUniImage::TakeProp(std::string_view key, const Json& value) {
  if (key != "picture") return false;
  if (value.is_null())
    picture_.Clear();
  else if (value.is_string())
    picture_.SetUrl(value.get<std::string>());
  else
    throw UiError(Name() + ": picture must be an address");
  return true;
}

Json TUniImage::RenderProp(std::string_view key) const {
  if (key == "picture") return picture_.Url();
  return Control::RenderProp(key);
}

void TUniImage::RenderInto(Json& node) const {
  Control::RenderInto(node);
  if (!picture_.Empty()) node["p"]["picture"] = picture_.Url();
}

bool TUniURLFrame::KnowsProp(std::string_view k) const { return KeyIn(k, {"url", "html"}) || Control::KnowsProp(k); }

bool TUniHTMLFrame::KnowsProp(std::string_view k) const { return k == "html" || Control::KnowsProp(k); }

// ---- timer ------------------------------------------------------------------------------------

TUniTimer::TUniTimer(Form* owner) : Control(owner) { RegisterEvent("OnTimer", &OnTimer); }

bool TUniTimer::KnowsProp(std::string_view k) const { return k == "interval" || Control::KnowsProp(k); }

bool TUniTimer::AcceptsBrowserEvents() const {
  // Not a visual control: where it sits on the form does not matter.
  return Running() && Owner() && Owner()->IsShown();
}

bool TUniTimer::HandleBrowserEvent(const std::string& type, const Json&) {
  if (type != "timer") return false;
  OnTimer(this);
  return true;
}

bool TUniTimer::TakeProp(std::string_view key, const Json& value) {
  // The browser runs a timer only with a positive interval; when a new
  // interval starts or stops it, "enabled" goes out too.
  if (key == "interval") {
    int ms = 0;
    const bool runs = Enabled() && detail::IntValue(value, ms) && ms > 0;
    if (runs != Running()) MarkChanged("enabled");
  }
  return false;
}

Json TUniTimer::RenderProp(std::string_view key) const {
  if (key == "enabled") return Running();
  if (key == "interval") return Interval();
  return Control::RenderProp(key);
}

void TUniTimer::RenderInto(Json& node) const {
  Control::RenderInto(node);
  node["p"]["interval"] = Interval();
  node["p"]["enabled"] = Running();
}

// ---- image lists --------------------------------------------------------------------------------

bool TUniCustomImageList::KnowsProp(std::string_view k) const { return k == "images" || Control::KnowsProp(k); }

int TUniCustomImageList::Add(std::string_view image) {
  Json images = Prop("images").is_array() ? Prop("images") : Json::array();
  images.push_back(std::string(image));
  const int index = static_cast<int>(images.size()) - 1;
  SetProp("images", std::move(images));
  return index;
}

int TUniCustomImageList::Count() const {
  const Json& images = Prop("images");
  return images.is_array() ? static_cast<int>(images.size()) : 0;
}

std::string TUniCustomImageList::Image(int index) const {
  const Json& images = Prop("images");
  if (!images.is_array() || index < 0 || index >= static_cast<int>(images.size())) return {};
  return ScalarText(images[static_cast<std::size_t>(index)]);
}

// ---- registration ---------------------------------------------------------------------------------

namespace {
template <typename T>
void Register(const char* name) {
  RegisterComponentClass(name, [](Form* owner) -> Component* { return new T(owner); });
}
}  // namespace

void RegisterStandardControls() {
  Register<TUniLabel>("TUniLabel");
  Register<TUniPanel>("TUniPanel");
  Register<TUniSplitter>("TUniSplitter");
  Register<TUniPageControl>("TUniPageControl");
  Register<TUniTabSheet>("TUniTabSheet");
  Register<TUniButton>("TUniButton");
  Register<TUniSpeedButton>("TUniSpeedButton");
  Register<TUniBitBtn>("TUniBitBtn");
  Register<TUniEdit>("TUniEdit");
  Register<TUniSpinEdit>("TUniSpinEdit");
  Register<TUniMemo>("TUniMemo");
  Register<TUniCheckBox>("TUniCheckBox");
  Register<TUniRadioButton>("TUniRadioButton");
  Register<TUniComboBox>("TUniComboBox");
  Register<TUniListBox>("TUniListBox");
  Register<TUniTreeView>("TUniTreeView");
  Register<TUniPopupMenu>("TUniPopupMenu");
  Register<TUniMenuItem>("TUniMenuItem");
  Register<TUniImage>("TUniImage");
  Register<TUniURLFrame>("TUniURLFrame");
  Register<TUniHTMLFrame>("TUniHTMLFrame");
  Register<TUniFileUpload>("TUniFileUpload");
  Register<TUniFileUploadButton>("TUniFileUploadButton");
  Register<TUniStringGrid>("TUniStringGrid");
  Register<TUniTimer>("TUniTimer");
  Register<TUniImageList>("TUniImageList");
  Register<TUniNativeImageList>("TUniNativeImageList");
}

}  // namespace plat::ui
