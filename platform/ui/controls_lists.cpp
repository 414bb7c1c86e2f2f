// Memo, combo box and list box, and the observed string list under them.
#include "platform/ui/controls_lists.h"

#include <algorithm>
#include <stdexcept>

#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "platform/ui/controls_util.h"

namespace plat::ui {

namespace {

std::vector<std::string> TextsOf(const Json& value, const std::string& where) {
  std::vector<std::string> out;
  if (value.is_string()) return io::SplitLines(value.get<std::string>());
  if (value.is_null()) return out;
  if (!value.is_array()) throw UiError(where + " must be a list of texts");
  for (const Json& v : value) out.push_back(v.is_string() ? v.get<std::string>() : v.dump());
  return out;
}

bool LessNoCase(const std::string& a, const std::string& b) { return io::utf8::ToLower(a) < io::utf8::ToLower(b); }

}  // namespace

// ---- ObservedStrings ------------------------------------------------------------

void ObservedStrings::Changed() {
  if (updating_ > 0) {
    dirty_ = true;
    return;
  }
  if (changed_) changed_();
}

void ObservedStrings::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && dirty_) {
    dirty_ = false;
    if (changed_) changed_();
  }
}

void ObservedStrings::CheckUnsorted(const char* what) const {
  if (sorted_) throw UiError(std::string(what) + " is not allowed on a sorted list");
}

void ObservedStrings::Sort() {
  auto& items = list_.Items();
  std::stable_sort(items.begin(), items.end(), LessNoCase);
}

void ObservedStrings::Set(int i, std::string_view s) {
  CheckUnsorted("Changing an item");
  std::string& slot = list_[i];
  if (slot == s) return;
  slot = std::string(s);
  Touch(i);
  Changed();
}

int ObservedStrings::Add(std::string_view s) {
  int index = list_.Count();
  if (sorted_) {
    std::string item(s);
    auto& items = list_.Items();
    auto at = std::upper_bound(items.begin(), items.end(), item, LessNoCase);
    index = static_cast<int>(at - items.begin());
    items.insert(at, std::move(item));
    Touch(index);
  } else {
    list_.Add(s);
  }
  Changed();
  return index;
}

void ObservedStrings::Insert(int i, std::string_view s) {
  CheckUnsorted("Insert");
  list_.Insert(i, s);
  Touch(i);
  Changed();
}

void ObservedStrings::Delete(int i) {
  list_.Delete(i);
  if (i == 0 && kept_ > 0) {
    ++dropped_;
    --kept_;
  } else {
    Touch(i);
  }
  Changed();
}

void ObservedStrings::Clear() {
  if (list_.Empty()) return;
  list_.Clear();
  Touch(0);
  Changed();
}

void ObservedStrings::Move(int from, int to) {
  CheckUnsorted("Move");
  if (from < 0 || from >= Count() || to < 0 || to >= Count()) throw std::out_of_range("list index out of bounds");
  if (from == to) return;
  auto& items = list_.Items();
  std::string item = std::move(items[static_cast<std::size_t>(from)]);
  items.erase(items.begin() + from);
  items.insert(items.begin() + to, std::move(item));
  Touch(std::min(from, to));
  Changed();
}

void ObservedStrings::SetText(std::string_view text) { Assign(io::SplitLines(text)); }

void ObservedStrings::Assign(const std::vector<std::string>& items) {
  if (&items == &list_.Items()) return;
  list_.Items() = items;
  if (sorted_) Sort();
  Touch(0);
  Changed();
}

void ObservedStrings::LoadFromFile(std::string_view systemPath) { Assign(io::ReadLines(systemPath)); }

void ObservedStrings::SaveToFile(std::string_view systemPath) const { io::WriteLines(systemPath, list_.Items()); }

void ObservedStrings::SaveToFile(std::string_view systemPath, io::Encoding encoding) const {
  io::WriteTextFile(systemPath, list_.Text(), encoding);
}

void ObservedStrings::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_ && !std::is_sorted(list_.begin(), list_.end(), LessNoCase)) {
    Sort();
    Touch(0);
    Changed();
  }
}

Json ObservedStrings::ToJson() const {
  Json a = Json::array();
  for (const auto& s : list_) a.push_back(s);
  return a;
}

// ---- memo ----------------------------------------------------------------------------

TUniMemo::TUniMemo(Form* owner)
    : Control(owner), lines_([this] {
        if (!quiet_) LinesChanged();
      }) {
  RegisterEvent("OnChange", &OnChange);
}

// The lines of a memo the browser cannot show (on a page not selected, or
// hidden) wait until it shows, so a long list kept out of sight (a playlist,
// a day plan) does not travel with every change.
bool TUniMemo::LinesWait() const {
  if (!Rendered() || !Stream() || Showing()) return false;
  linesWaiting_ = true;
  DeferUntilShown();
  return true;
}

void TUniMemo::LinesChanged() {
  if (!LinesWait()) MarkChanged("lines");
}

bool TUniMemo::SendWhenShown() {
  if (!linesWaiting_) return true;
  if (!Showing()) return false;
  linesWaiting_ = false;
  sentCount_ = 0;  // what the browser has is old: all the lines go
  MarkChanged("lines");
  return true;
}

bool TUniMemo::TakeProp(std::string_view key, const Json& value) {
  if (key != "lines") return false;
  lines_.Assign(TextsOf(value, Name() + ".lines"));
  return true;
}

// A memo changed only at its ends (a log that grows and drops its oldest
// lines) sends that edit alone, so a long log does not travel in full with
// every line added.
Json TUniMemo::RenderProp(std::string_view key) const {
  if (key != "lines") return Control::RenderProp(key);
  Json v;
  const int dropped = lines_.DroppedFront();
  const int kept = lines_.KeptPrefix();
  if (sentCount_ > 0 && kept > 0 && dropped + kept <= sentCount_) {
    Json added = Json::array();
    for (int i = kept; i < lines_.Count(); ++i) added.push_back(lines_[i]);
    v = {{"append", std::move(added)}};
    if (dropped > 0) v["drop"] = dropped;
    if (dropped + kept < sentCount_) v["keep"] = kept;
  } else {
    v = lines_.ToJson();
  }
  sentCount_ = lines_.Count();
  lines_.MarkKept();
  return v;
}

void TUniMemo::RenderInto(Json& node) const {
  Control::RenderInto(node);
  if (!lines_.Empty() && Stream() && !Showing()) {
    linesWaiting_ = true;
    DeferUntilShown();
    sentCount_ = 0;
    return;
  }
  if (!lines_.Empty()) node["p"]["lines"] = lines_.ToJson();
  sentCount_ = lines_.Count();
  lines_.MarkKept();
}

bool TUniMemo::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "lines")) {
    if (ReadOnly()) {
      MarkChanged("lines");
      return detail::Refused(*this, ev, "read-only");
    }
    bool texts = v->is_string() || v->is_array();
    if (v->is_array())
      for (const Json& line : *v) texts = texts && line.is_string();
    if (!texts) return detail::Refused(*this, ev, "lines must be texts");
    // Taken as the browser has them: nothing to send back.
    std::vector<std::string> lines;
    if (v->is_string())
      lines = io::SplitLines(v->get<std::string>());
    else
      for (const Json& line : *v) lines.push_back(line.get<std::string>());
    quiet_ = true;
    lines_.Assign(lines);
    quiet_ = false;
    sentCount_ = lines_.Count();
    lines_.MarkKept();
    OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

// ---- combo box ----------------------------------------------------------------------

TUniComboBox::TUniComboBox(Form* owner) : Control(owner), items_([this] { ItemsChanged(); }) {
  RegisterEvent("OnChange", &OnChange);
}

void TUniComboBox::ItemsChanged() {
  MarkChanged("items");
  if (ItemIndex() >= items_.Count()) SetProp("itemIndex", -1);
}

void TUniComboBox::SetItemIndex(int index) {
  if (index >= 0 && index < items_.Count()) {
    SetProp("itemIndex", index);
    SetProp("text", items_[index]);
  } else {
    SetProp("itemIndex", -1);
    SetProp("text", "");
  }
}

void TUniComboBox::SetText(std::string_view text) {
  SetProp("text", std::string(text));
  SetProp("itemIndex", items_.IndexOf(text));
}

bool TUniComboBox::TakeProp(std::string_view key, const Json& value) {
  if (key != "items") return false;
  items_.Assign(TextsOf(value, Name() + ".items"));
  // A definition gives itemIndex before the items (keys come in order).
  const int index = ItemIndex();
  if (index >= 0 && index < items_.Count() && Text().empty()) SetProp("text", items_[index]);
  return true;
}

Json TUniComboBox::RenderProp(std::string_view key) const {
  if (key == "items") return items_.ToJson();
  return Control::RenderProp(key);
}

void TUniComboBox::RenderInto(Json& node) const {
  Control::RenderInto(node);
  if (!items_.Empty()) node["p"]["items"] = items_.ToJson();
}

bool TUniComboBox::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "text")) {
    if (!v->is_string()) return detail::Refused(*this, ev, "text must be text");
    const std::string before = Text();
    const std::string text = v->get<std::string>();
    StoreFromBrowser("text", text);
    StoreFromBrowser("itemIndex", items_.IndexOf(text));
    if (text != before) OnChange(this);
    return true;
  }
  if (const Json* v = detail::ChangeOf(type, ev, "itemIndex")) {
    int index = 0;
    if (!detail::IntValue(*v, index) || index < -1 || index >= items_.Count())
      return detail::Refused(*this, ev, "no such item");
    const std::string before = Text();
    const std::string text = index >= 0 ? items_[index] : std::string();
    StoreFromBrowser("itemIndex", index);
    StoreFromBrowser("text", text);
    if (text != before) OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

// ---- list box ------------------------------------------------------------------------

TUniListBox::TUniListBox(Form* owner) : Control(owner), items_([this] { ItemsChanged(); }) {
  RegisterEvent("OnChange", &OnChange);
}

std::vector<int> TUniListBox::SelectedIndexes() const {
  std::vector<int> out;
  if (!MultiSelect()) {
    if (ItemIndex() >= 0) out.push_back(ItemIndex());
    return out;
  }
  const Json& sel = Prop("selected");
  if (sel.is_array())
    for (const Json& v : sel) {
      int i = 0;
      if (detail::IntValue(v, i)) out.push_back(i);
    }
  return out;
}

void TUniListBox::ItemsChanged() {
  MarkChanged("items");
  // Indexes past the end go; the items they named are gone.
  const int n = items_.Count();
  if (ItemIndex() >= n) SetProp("itemIndex", -1);
  if (MultiSelect()) {
    std::vector<int> sel = SelectedIndexes();
    std::vector<int> kept;
    for (int i : sel)
      if (i < n) kept.push_back(i);
    if (kept.size() != sel.size()) SetProp("selected", kept);
  } else if (Prop("selected").is_array() && ItemIndex() < 0 && !Prop("selected").empty()) {
    SetProp("selected", Json::array());
  }
}

bool TUniListBox::TakeProp(std::string_view key, const Json& value) {
  if (key == "items") {
    items_.Assign(TextsOf(value, Name() + ".items"));
    return true;
  }
  if (key == "sorted") items_.SetSorted(value.is_boolean() && value.get<bool>());
  return false;
}

void TUniListBox::SetMultiSelect(bool v) {
  if (v == MultiSelect()) return;
  const std::vector<int> sel = SelectedIndexes();
  SetProp("multiSelect", v);
  if (v) {
    SetProp("selected", sel);
  } else {
    const int keep = ItemIndex() >= 0 ? ItemIndex() : sel.empty() ? -1 : sel.front();
    SetItemIndex(keep);
  }
}

void TUniListBox::SetItemIndex(int index) {
  if (index < -1 || index >= items_.Count()) index = -1;
  SetProp("itemIndex", index);
  if (!MultiSelect()) SetProp("selected", index >= 0 ? Json::array({index}) : Json::array());
}

bool TUniListBox::Selected(int index) const {
  const std::vector<int> sel = SelectedIndexes();
  return std::find(sel.begin(), sel.end(), index) != sel.end();
}

void TUniListBox::SetSelected(int index, bool selected) {
  if (index < 0 || index >= items_.Count()) throw std::out_of_range("list index out of bounds");
  if (!MultiSelect()) {
    if (selected)
      SetItemIndex(index);
    else if (ItemIndex() == index)
      SetItemIndex(-1);
    return;
  }
  std::vector<int> sel = SelectedIndexes();
  auto it = std::find(sel.begin(), sel.end(), index);
  if (selected == (it != sel.end())) return;
  if (selected)
    sel.push_back(index);
  else
    sel.erase(it);
  std::sort(sel.begin(), sel.end());
  SetProp("selected", sel);
}

int TUniListBox::SelCount() const { return static_cast<int>(SelectedIndexes().size()); }

void TUniListBox::ClearSelection() {
  if (MultiSelect())
    SetProp("selected", Json::array());
  else
    SetItemIndex(-1);
}

Json TUniListBox::RenderProp(std::string_view key) const {
  if (key == "items") return items_.ToJson();
  return Control::RenderProp(key);
}

void TUniListBox::RenderInto(Json& node) const {
  Control::RenderInto(node);
  if (!items_.Empty()) node["p"]["items"] = items_.ToJson();
}

bool TUniListBox::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "selected")) {
    std::vector<int> sel;
    bool ok = v->is_array();
    if (ok)
      for (const Json& e : *v) {
        int i = 0;
        ok = ok && detail::IntValue(e, i) && i >= 0 && i < items_.Count();
        if (ok) sel.push_back(i);
      }
    std::sort(sel.begin(), sel.end());
    if (ok && std::adjacent_find(sel.begin(), sel.end()) != sel.end()) ok = false;
    if (ok && !MultiSelect() && sel.size() > 1) ok = false;
    if (!ok) return detail::Refused(*this, ev, "no such selection");
    const std::vector<int> before = SelectedIndexes();
    StoreFromBrowser("selected", sel);
    if (!MultiSelect()) StoreFromBrowser("itemIndex", sel.empty() ? -1 : sel.front());
    if (SelectedIndexes() != before) OnChange(this);
    return true;
  }
  if (const Json* v = detail::ChangeOf(type, ev, "itemIndex")) {
    int index = 0;
    if (!detail::IntValue(*v, index) || index < -1 || index >= items_.Count())
      return detail::Refused(*this, ev, "no such item");
    // In a multi-selection list this only moves the focus; the selection
    // change comes as "selected".
    const std::vector<int> before = SelectedIndexes();
    StoreFromBrowser("itemIndex", index);
    if (!MultiSelect()) StoreFromBrowser("selected", index >= 0 ? Json::array({index}) : Json::array());
    if (SelectedIndexes() != before) OnChange(this);
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

}  // namespace plat::ui
