#pragma once
// Containers: panels, splitters, page controls and their tab sheets.
#include <string>
#include <string_view>

#include "platform/ui/component.h"
#include "platform/ui/control_font.h"

namespace plat::ui {

class TUniTabSheet;

using ToolClickEvent = Event<Component*, const std::string&>;  // tool button id

enum TUniBorderStyle { ubsDefault, ubsNone, ubsSingle };

// The title aligns "left", "center" or "right". Tool buttons in the title
// bar are {id, icon}; a click runs OnToolClick with the button's id as text.
#define TESS_PANEL_PROPERTIES(P)                \
  P(Text, Caption, "caption", )                 \
  P(Text, Title, "title", )                     \
  P(Bool, TitleVisible, "titleVisible", false)  \
  P(Text, TitleAlign, "titleAlign", )           \
  P(Bool, Collapsible, "collapsible", false)    \
  P(Bool, Collapsed, "collapsed", false)        \
  P(Bool, Draggable, "draggable", false)        \
  P(Key, Tools, "tools", )                      \
  P(Key, BorderStyle, "borderStyle", )

class TUniPanel : public Control {
 public:
  explicit TUniPanel(Form* owner);
  const char* ClassName() const override { return "TUniPanel"; }
  TESS_PROPERTIES(Control, TESS_PANEL_PROPERTIES)
  TUniBorderStyle BorderStyle() const;
  void SetBorderStyle(TUniBorderStyle b);
  void AddTool(std::string_view id, std::string_view icon);
  void ClearTools() { SetProp("tools", Json::array()); }
  ControlFont Font() { return ControlFont(*this); }

  ToolClickEvent OnToolClick;

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
};

class TUniSplitter : public Control {
 public:
  explicit TUniSplitter(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniSplitter"; }
};

// The active page is chosen by name in a definition, by page in code.
#define TESS_PAGE_CONTROL_PROPERTIES(P)  \
  P(Key, ActivePage, "activePage", )     \
  P(Bool, TabsVisible, "tabsVisible", true)

// The pages of a page control are its tab sheet children, in order. Only
// the active page counts as showing, so nothing on another page takes
// browser events.
class TUniPageControl : public Control {
 public:
  explicit TUniPageControl(Form* owner);
  const char* ClassName() const override { return "TUniPageControl"; }
  TESS_PROPERTIES(Control, TESS_PAGE_CONTROL_PROPERTIES)

  int PageCount() const;
  TUniTabSheet* Pages(int index) const;  // nullptr outside 0..PageCount-1
  // Without a choice by code or definition the first page is active.
  TUniTabSheet* ActivePage() const;
  // Any page of this control, its tab shown or not; nullptr selects none.
  void SetActivePage(TUniTabSheet* page);
  int ActivePageIndex() const;         // -1 when none
  void SetActivePageIndex(int index);  // outside the pages: none

  NotifyEvent OnChange;  // the user chose another tab

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

#define TESS_TAB_SHEET_PROPERTIES(P) \
  P(Text, Caption, "caption", )      \
  P(Bool, TabVisible, "tabVisible", true)

class TUniTabSheet : public Control {
 public:
  explicit TUniTabSheet(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniTabSheet"; }
  TESS_PROPERTIES(Control, TESS_TAB_SHEET_PROPERTIES)
  TUniPageControl* PageControl() const { return dynamic_cast<TUniPageControl*>(Parent()); }
  int PageIndex() const;  // -1 when not on a page control
};

}  // namespace plat::ui
