#pragma once
// Lists: memos (lines), combo boxes and list boxes (items), and the string
// lists behind them that report their changes.
#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io/text_file.h"
#include "platform/ui/component.h"
#include "platform/ui/string_list.h"

namespace plat::ui {

// Memo lines, combo and list box items. Every change calls the owner back,
// which marks its property for the browser; the session sends the whole list
// once at the end of the request (or before the next script), however many
// lines were added.
class ObservedStrings {
 public:
  explicit ObservedStrings(std::function<void()> changed) : changed_(std::move(changed)) {}
  ObservedStrings(const ObservedStrings&) = delete;
  ObservedStrings& operator=(const ObservedStrings&) = delete;

  int Count() const { return list_.Count(); }
  bool Empty() const { return list_.Empty(); }
  const std::string& operator[](int i) const { return list_[i]; }
  const std::string& Strings(int i) const { return list_[i]; }
  // Lines[i] := s. Raises std::out_of_range like the list does.
  void Set(int i, std::string_view s);
  // Returns the index of the new item (its sorted place in a sorted list).
  int Add(std::string_view s);
  void Insert(int i, std::string_view s);
  void Delete(int i);
  void Clear();
  void Move(int from, int to);
  int IndexOf(std::string_view s) const { return list_.IndexOf(s); }
  std::string Text() const { return list_.Text(); }
  void SetText(std::string_view text);
  void Assign(const std::vector<std::string>& items);
  void Assign(const StringList& list) { Assign(list.Items()); }
  void Assign(const ObservedStrings& other) { Assign(other.Items()); }
  // Text files by the io layer's rules (encoding detected; a rewrite keeps
  // it, a new file gets Windows-1252 or UTF-8 with BOM).
  void LoadFromFile(std::string_view systemPath);
  void SaveToFile(std::string_view systemPath) const;
  void SaveToFile(std::string_view systemPath, io::Encoding encoding) const;

  // Many changes, one notification at the end of the outermost bracket.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

  // A sorted list keeps its items in order (letter case ignored); Insert,
  // Set and Move then raise UiError, as on a sorted string list.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

  const StringList& List() const { return list_; }
  const std::vector<std::string>& Items() const { return list_.Items(); }
  auto begin() const { return list_.begin(); }
  auto end() const { return list_.end(); }
  Json ToJson() const;

  // Since the last MarkKept(): how many items went from the front
  // (DroppedFront) and how many of the items after them are unchanged at
  // the front of the list now (KeptPrefix). Lets a control send only the
  // edit at the ends of a long list (a log that drops its oldest lines).
  int KeptPrefix() const { return std::min(kept_, Count()); }
  int DroppedFront() const { return dropped_; }
  void MarkKept() const {
    kept_ = Count();
    dropped_ = 0;
  }

 private:
  void Touch(int from) { kept_ = std::min(kept_, from); }
  void Changed();
  void CheckUnsorted(const char* what) const;
  void Sort();
  StringList list_;
  std::function<void()> changed_;
  int updating_ = 0;
  bool dirty_ = false;
  bool sorted_ = false;
  mutable int kept_ = 0;
  mutable int dropped_ = 0;
};

// The lines are kept in the memo's own list; word wrap is on unless set
// off.
#define TESS_MEMO_PROPERTIES(P)         \
  P(Key, Lines, "lines", )              \
  P(Bool, ReadOnly, "readOnly", false)  \
  P(Bool, WordWrap, "wordWrap", true)   \
  P(Key, ScrollBars, "scrollBars", )    \
  P(Key, EmptyText, "emptyText", )      \
  P(Key, FieldLabel, "fieldLabel", )

class TUniMemo : public Control {
 public:
  explicit TUniMemo(Form* owner);
  const char* ClassName() const override { return "TUniMemo"; }
  TESS_PROPERTIES(Control, TESS_MEMO_PROPERTIES)
  ObservedStrings& Lines() { return lines_; }
  const ObservedStrings& Lines() const { return lines_; }
  std::string Text() const { return lines_.Text(); }
  void SetText(std::string_view text) { lines_.SetText(text); }

  NotifyEvent OnChange;

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;
  bool SendWhenShown() override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  void LinesChanged();
  // Whether the lines wait for the memo to show (the browser has older ones).
  bool LinesWait() const;
  bool quiet_ = false;  // taking the browser's lines: nothing to send back
  mutable bool linesWaiting_ = false;
  ObservedStrings lines_;
  mutable int sentCount_ = 0;  // lines the browser has
};

#define TESS_COMBO_BOX_PROPERTIES(P)     \
  P(Key, Items, "items", )               \
  P(IntGet, ItemIndex, "itemIndex", -1)  \
  P(TextGet, Text, "text", )             \
  P(Text, EmptyText, "emptyText", )      \
  P(Text, FieldLabel, "fieldLabel", )    \
  P(Key, LabelWidth, "labelWidth", )     \
  P(Key, ReadOnly, "readOnly", )

// ItemIndex and Text go together: choosing an item sets the text, a text
// equal to an item selects it (else ItemIndex is -1). The text may also be
// typed freely.
class TUniComboBox : public Control {
 public:
  explicit TUniComboBox(Form* owner);
  const char* ClassName() const override { return "TUniComboBox"; }
  TESS_PROPERTIES(Control, TESS_COMBO_BOX_PROPERTIES)
  ObservedStrings& Items() { return items_; }
  const ObservedStrings& Items() const { return items_; }
  void SetItemIndex(int index);
  void SetText(std::string_view text);

  NotifyEvent OnChange;  // the text changed in the browser (typed or chosen)

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  void ItemsChanged();
  ObservedStrings items_;
};

// The items are HTML when html is set; a sorted list keeps them in order on
// the server. ItemIndex is the focused item; in a single-selection list also
// the selected one.
#define TESS_LIST_BOX_PROPERTIES(P)              \
  P(Key, Items, "items", )                       \
  P(Server, Sorted, "sorted", )                  \
  P(Bool, Html, "html", false)                   \
  P(BoolGet, MultiSelect, "multiSelect", false)  \
  P(IntGet, ItemIndex, "itemIndex", -1)          \
  P(Key, Selected, "selected", )

class TUniListBox : public Control {
 public:
  explicit TUniListBox(Form* owner);
  const char* ClassName() const override { return "TUniListBox"; }
  TESS_PROPERTIES(Control, TESS_LIST_BOX_PROPERTIES)
  ObservedStrings& Items() { return items_; }
  const ObservedStrings& Items() const { return items_; }
  bool Sorted() const { return items_.Sorted(); }
  void SetSorted(bool v) { SetProp("sorted", v); }
  void SetMultiSelect(bool v);
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  void ClearSelection();

  NotifyEvent OnChange;  // the user changed the selection

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  std::vector<int> SelectedIndexes() const;
  void ItemsChanged();
  ObservedStrings items_;
};

}  // namespace plat::ui
