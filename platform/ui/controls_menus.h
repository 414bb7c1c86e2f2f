#pragma once
// Popup menus and their items.
#include <string>
#include <string_view>

#include "platform/ui/component.h"

namespace plat::ui {

class TUniMenuItem;
class TUniCustomImageList;

// The images are the name of the image list whose entries the items show.
// The items travel inside the popup's "menu".
#define TESS_POPUP_MENU_PROPERTIES(P) \
  P(Text, Images, "images", )         \
  P(Sent, Menu, "menu", )

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
  TESS_PROPERTIES(Control, TESS_POPUP_MENU_PROPERTIES)
  int Count() const;
  TUniMenuItem* Items(int index) const;
  // Opens the menu at page coordinates, or at coordinates relative to a
  // control (as a mouse event reports them) when `relativeTo` is given.
  void Popup(int x, int y, const Control* relativeTo = nullptr);
  bool IsOpen() const { return open_; }

  bool AcceptsBrowserEvents() const override { return false; }
  Json RenderProp(std::string_view key) const override;

 protected:
  void RenderInto(Json& node) const override;

 private:
  friend class TUniMenuItem;
  void MenuChanged() { MarkChanged("menu"); }
  bool open_ = false;
};

// A caption "-" makes a separator; the image index is an entry of the
// menu's image list (-1: none).
#define TESS_MENU_ITEM_PROPERTIES(P) \
  P(Text, Caption, "caption", )      \
  P(Int, ImageIndex, "imageIndex", -1)

class TUniMenuItem : public Control {
 public:
  explicit TUniMenuItem(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniMenuItem"; }
  TESS_PROPERTIES(Control, TESS_MENU_ITEM_PROPERTIES)
  bool IsSeparator() const { return Caption() == "-"; }
  int Count() const;
  TUniMenuItem* Items(int index) const;
  TUniPopupMenu* Menu() const;  // the popup menu it belongs to

  bool AcceptsBrowserEvents() const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;

 private:
  friend class TUniPopupMenu;
  Json ToJson(const TUniCustomImageList* images) const;
};

}  // namespace plat::ui
