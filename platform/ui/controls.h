#pragma once
// The standard controls of the web UI, named and used as the designer's
// units use them (lblF1A->SetCaption(...), grid->Cells(col, row),
// memoLog->Lines().Add(...)).
//
// Each class lists the property keys it takes (the names the browser runtime
// and the form definitions use), takes the browser events that make sense for
// it and offers its events by name for the definitions to bind.
//
// Rules all of them follow:
// - A property written by code is sent to the browser; a value that came from
//   the browser is stored before any handler runs and is not sent back.
// - Change events (OnChange, OnSelectCell, ...) run only for changes the user
//   made in the browser, never for writes from code.
// - Values from the browser are checked (type, range, the item really being
//   offered); anything else is refused and logged.
// - Non-visual components (timers, popup menus and their items, image lists,
//   the upload window) are controls too, so that they are part of the
//   rendered tree; where they sit on the form does not matter for the events
//   they take (ticks, menu choices, uploads), only that their form is shown.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io/text_file.h"
#include "platform/session/upload.h"
#include "platform/ui/component.h"
#include "platform/ui/form.h"
#include "platform/ui/grid_model.h"
#include "platform/ui/string_list.h"

namespace plat::ui {

class TUniTabSheet;
class TUniPopupMenu;
class TUniMenuItem;
class TUniTreeView;
class TUniCustomImageList;

// Registers every class of this header with the form loader.
void RegisterStandardControls();

using ToolClickEvent = Event<Component*, const std::string&>;               // tool button id
using SelectCellEvent = Event<Component*, int, int, bool&>;                 // col, row, CanSelect
using SetCellValueEvent = Event<Component*, int, int, const std::string&>;  // col, row, value
using MultiCompletedEvent = Event<Component*, const std::vector<UploadedFile>&>;

// The font property of a control ({name, size, color, bold, italic}).
class ControlFont {
 public:
  explicit ControlFont(Control& control) : control_(control) {}
  std::string Name() const;
  void SetName(std::string_view name);
  int Size() const;  // 0 = the theme's
  void SetSize(int size);
  int Color() const;  // VCL colour, -1 = the theme's
  void SetColor(int color);
  bool Bold() const;
  void SetBold(bool bold);
  bool Italic() const;
  void SetItalic(bool italic);

 private:
  Json Get() const;
  void Put(const char* key, Json value);
  Control& control_;
};

// ---- string lists that report their changes ---------------------------------
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

// ---- text ---------------------------------------------------------------------
enum TTextConversion { txtText, txtHTML };

class TUniLabel : public Control {
 public:
  explicit TUniLabel(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniLabel"; }
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  // With txtHTML the caption is inserted as HTML, as it is (pictures,
  // videos, frames): captions are application content, not user input.
  bool Html() const { return PropBool("html"); }
  void SetHtml(bool html) { SetProp("html", html); }
  TTextConversion TextConversion() const { return Html() ? txtHTML : txtText; }
  void SetTextConversion(TTextConversion t) { SetHtml(t == txtHTML); }
  bool Transparent() const { return PropBool("transparent", true); }
  void SetTransparent(bool t) { SetProp("transparent", t); }
  bool AutoSize() const { return PropBool("autoSize", true); }
  void SetAutoSize(bool a) { SetProp("autoSize", a); }
  ControlFont Font() { return ControlFont(*this); }
  bool KnowsProp(std::string_view key) const override;
};

// ---- containers -----------------------------------------------------------------
enum TUniBorderStyle { ubsDefault, ubsNone, ubsSingle };

class TUniPanel : public Control {
 public:
  explicit TUniPanel(Form* owner);
  const char* ClassName() const override { return "TUniPanel"; }
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  std::string Title() const { return PropStr("title"); }
  void SetTitle(std::string_view t) { SetProp("title", std::string(t)); }
  bool TitleVisible() const { return PropBool("titleVisible"); }
  void SetTitleVisible(bool v) { SetProp("titleVisible", v); }
  std::string TitleAlign() const { return PropStr("titleAlign"); }  // "left", "center", "right"
  void SetTitleAlign(std::string_view a) { SetProp("titleAlign", std::string(a)); }
  bool Collapsible() const { return PropBool("collapsible"); }
  void SetCollapsible(bool v) { SetProp("collapsible", v); }
  bool Collapsed() const { return PropBool("collapsed"); }
  void SetCollapsed(bool v) { SetProp("collapsed", v); }
  bool Draggable() const { return PropBool("draggable"); }
  void SetDraggable(bool v) { SetProp("draggable", v); }
  TUniBorderStyle BorderStyle() const;
  void SetBorderStyle(TUniBorderStyle b);
  // Tool buttons in the title bar: {id, icon}; a click runs OnToolClick
  // with the button's id as text.
  void AddTool(std::string_view id, std::string_view icon);
  void ClearTools() { SetProp("tools", Json::array()); }
  ControlFont Font() { return ControlFont(*this); }

  ToolClickEvent OnToolClick;

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
};

class TUniSplitter : public Control {
 public:
  explicit TUniSplitter(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniSplitter"; }
};

// The pages of a page control are its tab sheet children, in order. Only
// the active page counts as showing, so nothing on another page takes
// browser events.
class TUniPageControl : public Control {
 public:
  explicit TUniPageControl(Form* owner);
  const char* ClassName() const override { return "TUniPageControl"; }

  int PageCount() const;
  TUniTabSheet* Pages(int index) const;  // nullptr outside 0..PageCount-1
  // Without a choice by code or definition the first page is active.
  TUniTabSheet* ActivePage() const;
  // Any page of this control, its tab shown or not; nullptr selects none.
  void SetActivePage(TUniTabSheet* page);
  int ActivePageIndex() const;         // -1 when none
  void SetActivePageIndex(int index);  // outside the pages: none
  bool TabsVisible() const { return PropBool("tabsVisible", true); }
  void SetTabsVisible(bool v) { SetProp("tabsVisible", v); }

  NotifyEvent OnChange;  // the user chose another tab

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool ShowsChild(const Control* child) const override;
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  void ChangeActive(const TUniTabSheet* before);
  // 0: not chosen (the first page), -1: none, else the sheet's id.
  int activeId_ = 0;
  std::string activeName_;  // chosen by name in the definition, before the pages exist
};

class TUniTabSheet : public Control {
 public:
  explicit TUniTabSheet(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniTabSheet"; }
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  bool TabVisible() const { return PropBool("tabVisible", true); }
  void SetTabVisible(bool v) { SetProp("tabVisible", v); }
  TUniPageControl* PageControl() const { return dynamic_cast<TUniPageControl*>(Parent()); }
  int PageIndex() const;  // -1 when not on a page control
  bool KnowsProp(std::string_view key) const override;
};

// ---- buttons ----------------------------------------------------------------------
class TUniCustomButton : public Control {
 public:
  explicit TUniCustomButton(Form* owner) : Control(owner) {}
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  bool Html() const { return PropBool("html"); }
  void SetHtml(bool html) { SetProp("html", html); }
  // While the browser waits for this button's click, it masks the page with
  // this text (empty: no mask).
  std::string ScreenMask() const { return PropStr("screenMask"); }
  void SetScreenMask(std::string_view text) { SetProp("screenMask", std::string(text)); }
  ControlFont Font() { return ControlFont(*this); }
  bool KnowsProp(std::string_view key) const override;
};

class TUniButton : public TUniCustomButton {
 public:
  explicit TUniButton(Form* owner) : TUniCustomButton(owner) {}
  const char* ClassName() const override { return "TUniButton"; }
};

class TUniSpeedButton : public TUniCustomButton {
 public:
  explicit TUniSpeedButton(Form* owner) : TUniCustomButton(owner) {}
  const char* ClassName() const override { return "TUniSpeedButton"; }
};

class TUniBitBtn : public TUniCustomButton {
 public:
  explicit TUniBitBtn(Form* owner) : TUniCustomButton(owner) {}
  const char* ClassName() const override { return "TUniBitBtn"; }
};

// ---- inputs -----------------------------------------------------------------------
class TUniEdit : public Control {
 public:
  explicit TUniEdit(Form* owner);
  const char* ClassName() const override { return "TUniEdit"; }
  std::string Text() const { return PropStr("text"); }
  void SetText(std::string_view t) { SetProp("text", std::string(t)); }
  std::string EmptyText() const { return PropStr("emptyText"); }
  void SetEmptyText(std::string_view t) { SetProp("emptyText", std::string(t)); }
  std::string PasswordChar() const { return PropStr("passwordChar"); }  // "" = plain input
  void SetPasswordChar(std::string_view c) { SetProp("passwordChar", std::string(c)); }
  bool ClearButton() const { return PropBool("clearButton"); }
  void SetClearButton(bool v) { SetProp("clearButton", v); }
  int MaxLength() const { return PropInt("maxLength"); }  // 0 = no limit
  void SetMaxLength(int n) { SetProp("maxLength", n); }
  bool ReadOnly() const { return PropBool("readOnly"); }
  void SetReadOnly(bool v) { SetProp("readOnly", v); }
  std::string FieldLabel() const { return PropStr("fieldLabel"); }
  void SetFieldLabel(std::string_view t) { SetProp("fieldLabel", std::string(t)); }
  int LabelWidth() const { return PropInt("labelWidth", 100); }
  void SetLabelWidth(int w) { SetProp("labelWidth", w); }

  NotifyEvent OnChange;

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
};

// Value is kept inside MinValue..MaxValue unless both are equal (no limits).
class TUniSpinEdit : public Control {
 public:
  explicit TUniSpinEdit(Form* owner);
  const char* ClassName() const override { return "TUniSpinEdit"; }
  int Value() const { return PropInt("value"); }
  void SetValue(int v);
  int MinValue() const { return PropInt("min"); }
  void SetMinValue(int v) { SetProp("min", v); }
  int MaxValue() const { return PropInt("max"); }
  void SetMaxValue(int v) { SetProp("max", v); }
  std::string Text() const { return std::to_string(Value()); }
  // Text that is no whole number gives MinValue, as the VCL spin edit does.
  void SetText(std::string_view text);
  std::string FieldLabel() const { return PropStr("fieldLabel"); }
  void SetFieldLabel(std::string_view t) { SetProp("fieldLabel", std::string(t)); }
  ControlFont Font() { return ControlFont(*this); }

  NotifyEvent OnChange;

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 private:
  int Clamped(int v) const;
};

class TUniMemo : public Control {
 public:
  explicit TUniMemo(Form* owner);
  const char* ClassName() const override { return "TUniMemo"; }
  ObservedStrings& Lines() { return lines_; }
  const ObservedStrings& Lines() const { return lines_; }
  std::string Text() const { return lines_.Text(); }
  void SetText(std::string_view text) { lines_.SetText(text); }
  bool ReadOnly() const { return PropBool("readOnly"); }
  void SetReadOnly(bool v) { SetProp("readOnly", v); }
  bool WordWrap() const { return PropBool("wordWrap", true); }
  void SetWordWrap(bool v) { SetProp("wordWrap", v); }

  NotifyEvent OnChange;

  bool KnowsProp(std::string_view key) const override;
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

// The browser toggles a check box itself and reports the new state (a change
// of "checked") before the click, so a click never toggles it again here.
class TUniCheckBox : public Control {
 public:
  explicit TUniCheckBox(Form* owner);
  const char* ClassName() const override { return "TUniCheckBox"; }
  bool Checked() const { return PropBool("checked"); }
  void SetChecked(bool v) { SetProp("checked", v); }
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }

  NotifyEvent OnChange;

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
};

// Radio buttons with the same parent and the same group are exclusive:
// checking one (in code or in the browser) unchecks the others.
class TUniRadioButton : public Control {
 public:
  explicit TUniRadioButton(Form* owner);
  const char* ClassName() const override { return "TUniRadioButton"; }
  bool Checked() const { return PropBool("checked"); }
  // Checking unchecks the others. (A definition is taken as written: its
  // properties come in name order, "checked" before "group".)
  void SetChecked(bool v);
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  std::string Group() const { return PropStr("group"); }
  void SetGroup(std::string_view g) { SetProp("group", std::string(g)); }

  NotifyEvent OnChange;

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 private:
  void UncheckOthers();
};

// ItemIndex and Text go together: choosing an item sets the text, a text
// equal to an item selects it (else ItemIndex is -1). The text may also be
// typed freely.
class TUniComboBox : public Control {
 public:
  explicit TUniComboBox(Form* owner);
  const char* ClassName() const override { return "TUniComboBox"; }
  ObservedStrings& Items() { return items_; }
  const ObservedStrings& Items() const { return items_; }
  int ItemIndex() const { return PropInt("itemIndex", -1); }
  void SetItemIndex(int index);
  std::string Text() const { return PropStr("text"); }
  void SetText(std::string_view text);
  std::string EmptyText() const { return PropStr("emptyText"); }
  void SetEmptyText(std::string_view t) { SetProp("emptyText", std::string(t)); }
  std::string FieldLabel() const { return PropStr("fieldLabel"); }
  void SetFieldLabel(std::string_view t) { SetProp("fieldLabel", std::string(t)); }

  NotifyEvent OnChange;  // the text changed in the browser (typed or chosen)

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  void ItemsChanged();
  ObservedStrings items_;
};

class TUniListBox : public Control {
 public:
  explicit TUniListBox(Form* owner);
  const char* ClassName() const override { return "TUniListBox"; }
  ObservedStrings& Items() { return items_; }
  const ObservedStrings& Items() const { return items_; }
  bool Sorted() const { return items_.Sorted(); }
  void SetSorted(bool v) { SetProp("sorted", v); }
  bool Html() const { return PropBool("html"); }  // items are HTML
  void SetHtml(bool v) { SetProp("html", v); }
  bool MultiSelect() const { return PropBool("multiSelect"); }
  void SetMultiSelect(bool v);
  // The focused item; in a single-selection list also the selected one.
  int ItemIndex() const { return PropInt("itemIndex", -1); }
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  void ClearSelection();

  NotifyEvent OnChange;  // the user changed the selection

  bool KnowsProp(std::string_view key) const override;
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

// ---- tree view ----------------------------------------------------------------------
class TTreeNodes;

class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  int Id() const { return id_; }  // the browser's name of the node
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text);
  int ImageIndex() const { return imageIndex_; }  // -1 = none
  void SetImageIndex(int index);
  // Storage for the application; never shown.
  const std::string& Data() const { return data_; }
  void SetData(std::string_view data) { data_ = std::string(data); }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int index) const;  // a child; nullptr outside
  std::vector<TTreeNode*> Children() const;
  bool HasChildren() const { return !children_.empty(); }
  int Level() const;  // 0 for a top-level node
  int Index() const;  // among its siblings
  TTreeNode* GetFirstChild() const { return Item(0); }
  TTreeNode* GetNextSibling() const;

  bool Expanded() const { return expanded_; }
  void Expand(bool recurse = false);
  void Collapse(bool recurse = false);
  bool Selected() const;
  TUniTreeView* TreeView() const { return tree_; }
  // Removes the node and its children from the tree (the node is freed).
  void Delete();

 private:
  friend class TTreeNodes;
  friend class TUniTreeView;
  TTreeNode(TUniTreeView* tree, TTreeNode* parent, int id, std::string text)
      : tree_(tree), parent_(parent), id_(id), text_(std::move(text)) {}
  Json ToJson(const TUniCustomImageList* images) const;
  TUniTreeView* tree_;
  TTreeNode* parent_;
  int id_;
  std::string text_;
  int imageIndex_ = -1;
  std::string data_;
  int tag_ = 0;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

// The node list of a tree view. Items(i) and Count() walk the whole tree in
// display order (each node followed by its children).
class TTreeNodes {
 public:
  explicit TTreeNodes(TUniTreeView& tree) : tree_(tree) {}
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;
  ~TTreeNodes();

  // A node after the last one on the level of `sibling` (top level when
  // null).
  TTreeNode* Add(TTreeNode* sibling, std::string_view text);
  // A node after the last child of `parent` (top level when null).
  TTreeNode* AddChild(TTreeNode* parent, std::string_view text);
  void Delete(TTreeNode* node);
  void Clear();
  int Count() const;
  TTreeNode* Item(int index) const;  // nullptr outside 0..Count-1
  TTreeNode* operator[](int index) const { return Item(index); }
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  std::vector<TTreeNode*> TopLevel() const;
  TTreeNode* FindById(int id) const;

  // Nested brackets; the browser gets the tree once, after the outermost.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

 private:
  friend class TTreeNode;
  friend class TUniTreeView;
  void Changed();
  const std::vector<TTreeNode*>& Flat() const;
  std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }
  TUniTreeView& tree_;
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  int nextId_ = 0;
  int updating_ = 0;
  bool dirty_ = false;
  mutable std::vector<TTreeNode*> flat_;
  mutable bool flatValid_ = false;
};

class TUniTreeView : public Control {
 public:
  explicit TUniTreeView(Form* owner);
  ~TUniTreeView() override;
  const char* ClassName() const override { return "TUniTreeView"; }
  TTreeNodes& Items() { return items_; }
  const TTreeNodes& Items() const { return items_; }
  TTreeNode* Selected() const { return selected_; }
  void SetSelected(TTreeNode* node);
  // The name of the image list whose entries are the node images.
  std::string Images() const { return PropStr("images"); }
  void SetImages(std::string_view listName) { SetProp("images", std::string(listName)); }
  void FullExpand();
  void FullCollapse();

  NotifyEvent OnChange;  // the user selected another node (before OnClick)

  bool KnowsProp(std::string_view key) const override;
  // A click on a node comes as a "node" event: it selects the node, then
  // runs OnChange (when the selection changed) and OnClick. A plain click
  // on the tree is not a node click and runs nothing.
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  void RenderInto(Json& node) const override;

 private:
  friend class TTreeNodes;
  friend class TTreeNode;
  void NodesChanged() { MarkChanged("nodes"); }
  void Forget(const TTreeNode* node);
  TTreeNodes items_;
  TTreeNode* selected_ = nullptr;
};

// ---- menus --------------------------------------------------------------------------
// A popup menu's items are its TUniMenuItem children (sub-menus are items
// with items). The browser gets the whole menu as the popup's "menu"
// property; an item's changes resend it. A chosen item is taken only when it
// and its parents are visible and enabled and its menu is the one the
// session opened last.
class TUniPopupMenu : public Control {
 public:
  explicit TUniPopupMenu(Form* owner);
  ~TUniPopupMenu() override;
  const char* ClassName() const override { return "TUniPopupMenu"; }
  int Count() const;
  TUniMenuItem* Items(int index) const;
  std::string Images() const { return PropStr("images"); }
  void SetImages(std::string_view listName) { SetProp("images", std::string(listName)); }
  // Opens the menu at page coordinates, or at coordinates relative to a
  // control (as a mouse event reports them) when `relativeTo` is given.
  void Popup(int x, int y, const Control* relativeTo = nullptr);
  bool IsOpen() const { return open_; }

  bool KnowsProp(std::string_view key) const override;
  bool AcceptsBrowserEvents() const override { return false; }
  Json RenderProp(std::string_view key) const override;

 protected:
  void RenderInto(Json& node) const override;

 private:
  friend class TUniMenuItem;
  void MenuChanged() { MarkChanged("menu"); }
  bool open_ = false;
};

class TUniMenuItem : public Control {
 public:
  explicit TUniMenuItem(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniMenuItem"; }
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  bool IsSeparator() const { return Caption() == "-"; }
  int ImageIndex() const { return PropInt("imageIndex", -1); }
  void SetImageIndex(int i) { SetProp("imageIndex", i); }
  int Count() const;
  TUniMenuItem* Items(int index) const;
  TUniPopupMenu* Menu() const;  // the popup menu it belongs to

  bool KnowsProp(std::string_view key) const override;
  bool AcceptsBrowserEvents() const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;

 private:
  friend class TUniPopupMenu;
  Json ToJson(const TUniCustomImageList* images) const;
};

// ---- pictures and frames ------------------------------------------------------------
// The picture of a TUniImage: a design URL, or a file loaded on the server
// and sent as a PNG data URI.
class TPicture {
 public:
  explicit TPicture(std::function<void()> changed) : changed_(std::move(changed)) {}
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;
  // JPEG and PNG files; raises PictureError (the picture then stays as it
  // was) for a file that cannot be read or decoded, naming the format of
  // BMP, GIF and other files that cannot be decoded.
  void LoadFromFile(std::string_view systemPath);
  void Clear();
  bool Empty() const { return url_.empty(); }
  int Width() const { return width_; }  // of a loaded file; 0 otherwise
  int Height() const { return height_; }
  const std::string& Url() const { return url_; }
  void SetUrl(std::string_view url);

 private:
  std::function<void()> changed_;
  std::string url_;
  int width_ = 0, height_ = 0;
};

class TUniImage : public Control {
 public:
  explicit TUniImage(Form* owner);
  const char* ClassName() const override { return "TUniImage"; }
  TPicture& Picture() { return picture_; }
  const TPicture& Picture() const { return picture_; }
  bool Stretch() const { return PropBool("stretch"); }
  void SetStretch(bool v) { SetProp("stretch", v); }
  bool Proportional() const { return PropBool("proportional"); }
  void SetProportional(bool v) { SetProp("proportional", v); }
  bool Center() const { return PropBool("center"); }
  void SetCenter(bool v) { SetProp("center", v); }

  bool KnowsProp(std::string_view key) const override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  TPicture picture_;
};

class TUniURLFrame : public Control {
 public:
  explicit TUniURLFrame(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniURLFrame"; }
  std::string URL() const { return PropStr("url"); }
  void SetURL(std::string_view url) { SetProp("url", std::string(url)); }
  std::string HTML() const { return PropStr("html"); }
  void SetHTML(std::string_view html) { SetProp("html", std::string(html)); }
  // Makes the browser load the address again (also when it is unchanged).
  void Reload() { MarkChanged("url"); }
  bool KnowsProp(std::string_view key) const override;
};

class TUniHTMLFrame : public Control {
 public:
  explicit TUniHTMLFrame(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniHTMLFrame"; }
  std::string HTML() const { return PropStr("html"); }
  void SetHTML(std::string_view html) { SetProp("html", std::string(html)); }
  bool KnowsProp(std::string_view key) const override;
};

// ---- uploads --------------------------------------------------------------------------
// The upload route streams the posted files to cache files (ReceiveUpload),
// then, under the session's lock, hands them to the control with
// AcceptReceivedFiles and answers the browser with what that returns. The
// browser then sends an "upload" event naming those files; only files this
// control received are taken. OnMultiCompleted gets them in the order of the
// event, and afterwards their cache files are erased (also when the handler
// raises). Files never claimed are erased with the control.
class TUniCustomFileUpload : public Control {
 public:
  explicit TUniCustomFileUpload(Form* owner);
  ~TUniCustomFileUpload() override;
  std::string Filter() const { return PropStr("filter"); }  // accept list, browser side only
  void SetFilter(std::string_view f) { SetProp("filter", std::string(f)); }
  int MaxFiles() const { return PropInt("maxFiles"); }
  void SetMaxFiles(int n) { SetProp("maxFiles", n); }
  int TimeoutSecs() const { return PropInt("timeoutSecs"); }
  void SetTimeoutSecs(int s) { SetProp("timeoutSecs", s); }
  // Texts of the upload: uploading, pleaseWait, uploadError, timeout,
  // maxSize, maxFiles, cancel, processing, upload, selectFile, browse.
  std::string Message(std::string_view key) const;
  void SetMessage(std::string_view key, std::string_view text);

  MultiCompletedEvent OnMultiCompleted;

  // The answer for the browser: [{name, cache}] where cache is a token for
  // the file, not its path.
  Json AcceptReceivedFiles(std::vector<UploadedFile> files);
  // The upload control of that id in the session that may take files now,
  // or nullptr. Call under the session's lock.
  static TUniCustomFileUpload* UploadTarget(Session& session, int id);

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 protected:
  virtual void UploadFinished() {}

 private:
  struct Received {
    UploadedFile file;
    std::string token;
  };
  std::vector<Received> received_;
};

// The upload window: shown by Execute, which returns at once; the files come
// later through OnMultiCompleted.
class TUniFileUpload : public TUniCustomFileUpload {
 public:
  explicit TUniFileUpload(Form* owner) : TUniCustomFileUpload(owner) {}
  const char* ClassName() const override { return "TUniFileUpload"; }
  std::string Title() const { return PropStr("title"); }
  void SetTitle(std::string_view t) { SetProp("title", std::string(t)); }
  void Execute();
  bool KnowsProp(std::string_view key) const override;
  bool AcceptsBrowserEvents() const override;

 protected:
  void UploadFinished() override;
};

// A drop zone on the page: files dropped on it or chosen by a click.
class TUniFileUploadButton : public TUniCustomFileUpload {
 public:
  explicit TUniFileUploadButton(Form* owner) : TUniCustomFileUpload(owner) {}
  const char* ClassName() const override { return "TUniFileUploadButton"; }
  std::string Caption() const { return PropStr("caption"); }
  void SetCaption(std::string_view c) { SetProp("caption", std::string(c)); }
  bool KnowsProp(std::string_view key) const override;
};

// ---- string grid ------------------------------------------------------------------------
// What OnDrawCell may change for one displayed cell: the text shown (the
// stored cell stays as it is) and its colours (VCL colours, -1 = default).
struct CellText {
  std::string text;
  int fontColor = -1;
  int color = -1;
  bool bold = false;
};
using DrawCellEvent = Event<Component*, int, int, CellText&>;  // col, row, cell

// Cell changes are sent lazily: a change marks the cells, and the browser
// gets all displayed cells once when the request's changes are sent, with
// OnDrawCell run for every non-fixed cell at that moment. With an OnDrawCell
// handler the colours it chose go along as "cellStyles": rows of null or
// {color, background, bold}, right after "cells".
class TUniStringGrid : public Control, public GridModel {
 public:
  explicit TUniStringGrid(Form* owner);
  const char* ClassName() const override { return "TUniStringGrid"; }

  const std::string& Cells(int col, int row) const { return Cell(col, row); }
  void SetCells(int col, int row, std::string_view text) { SetCell(col, row, text); }
  void SetFixedCols(int n);
  void SetFixedRows(int n);
  int ColWidths(int col) const;
  void SetColWidth(int col, int width);  // 0 hides the column
  int DefaultColWidth() const { return PropInt("defaultColWidth", 64); }
  void SetDefaultColWidth(int w) { SetProp("defaultColWidth", w); }
  std::string ColumnTitle(int col) const;
  void SetColumnTitle(int col, std::string_view title);
  int DefaultRowHeight() const { return PropInt("rowHeight", 24); }
  void SetDefaultRowHeight(int h) { SetProp("rowHeight", h); }
  bool Striped() const { return PropBool("striped"); }
  void SetStriped(bool v) { SetProp("striped", v); }
  bool Html() const { return PropBool("html"); }  // cell texts are HTML
  void SetHtml(bool v) { SetProp("html", v); }
  // Cells of non-fixed rows and columns may be edited in the browser; with
  // editable columns given, only those.
  bool Editable() const { return PropBool("editable"); }
  void SetEditable(bool v) { SetProp("editable", v); }
  std::vector<int> EditableCols() const;
  void SetEditableCols(const std::vector<int>& cols);
  // The selected cell.
  int Row() const { return PropInt("selRow", FixedRows()); }
  void SetRow(int row) { SetProp("selRow", row); }
  int Col() const { return PropInt("selCol", FixedCols()); }
  void SetCol(int col) { SetProp("selCol", col); }

  SelectCellEvent OnSelectCell;
  DrawCellEvent OnDrawCell;
  SetCellValueEvent OnSetCellValue;  // after a cell edited in the browser was stored
  NotifyEvent OnChange;              // after OnSetCellValue

  bool KnowsProp(std::string_view key) const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  void Changed() override;
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  bool CellEditable(int col, int row) const;
  Json RenderCells() const;  // also fills styles_
  bool fromBrowser_ = false;
  int markedCols_ = -1, markedRows_ = -1;
  mutable Json styles_ = Json::array();  // of the last cells rendered
};

// ---- non-visual -----------------------------------------------------------------------------
// A browser timer: while enabled (and Interval > 0) the browser sends a tick
// every Interval ms; each tick runs OnTimer. Setting Enabled or Interval to
// a new value restarts the countdown in the browser.
class TUniTimer : public Control {
 public:
  explicit TUniTimer(Form* owner);
  const char* ClassName() const override { return "TUniTimer"; }
  int Interval() const { return PropInt("interval", 1000); }
  void SetInterval(int ms) { SetProp("interval", ms); }

  NotifyEvent OnTimer;

  bool KnowsProp(std::string_view key) const override;
  bool AcceptsBrowserEvents() const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  bool Running() const { return Enabled() && Interval() > 0; }
};

// Images by index for trees and menus: picture URLs or Font Awesome
// classes ("fas fa-folder").
class TUniCustomImageList : public Control {
 public:
  explicit TUniCustomImageList(Form* owner) : Control(owner) {}
  int Add(std::string_view image);  // returns its index
  int Count() const;
  std::string Image(int index) const;  // "" outside the list
  void Clear() { SetProp("images", Json::array()); }
  bool KnowsProp(std::string_view key) const override;
  bool AcceptsBrowserEvents() const override { return false; }
};

class TUniImageList : public TUniCustomImageList {
 public:
  explicit TUniImageList(Form* owner) : TUniCustomImageList(owner) {}
  const char* ClassName() const override { return "TUniImageList"; }
};

class TUniNativeImageList : public TUniCustomImageList {
 public:
  explicit TUniNativeImageList(Form* owner) : TUniCustomImageList(owner) {}
  const char* ClassName() const override { return "TUniNativeImageList"; }
};

}  // namespace plat::ui
