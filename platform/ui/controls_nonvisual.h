#pragma once
// Non-visual components: browser timers and image lists. They are controls
// too, so that they are part of the rendered tree; where they sit on the
// form does not matter.
#include <string>
#include <string_view>

#include "platform/ui/component.h"

namespace plat::ui {

#define TESS_TIMER_PROPERTIES(P) P(Int, Interval, "interval", 1000)

// A browser timer: while enabled (and Interval > 0) the browser sends a tick
// every Interval ms; each tick runs OnTimer. Setting Enabled or Interval to
// a new value restarts the countdown in the browser.
class TUniTimer : public Control {
 public:
  explicit TUniTimer(Form* owner);
  const char* ClassName() const override { return "TUniTimer"; }
  TESS_PROPERTIES(Control, TESS_TIMER_PROPERTIES)

  NotifyEvent OnTimer;

  bool AcceptsBrowserEvents() const override;
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  bool Running() const { return Enabled() && Interval() > 0; }
};

#define TESS_IMAGE_LIST_PROPERTIES(P) P(Key, Images, "images", )

// Images by index for trees and menus: picture URLs or Font Awesome
// classes ("fas fa-folder").
class TUniCustomImageList : public Control {
 public:
  explicit TUniCustomImageList(Form* owner) : Control(owner) {}
  TESS_PROPERTIES(Control, TESS_IMAGE_LIST_PROPERTIES)
  int Add(std::string_view image);  // returns its index
  int Count() const;
  std::string Image(int index) const;  // "" outside the list
  void Clear() { SetProp("images", Json::array()); }
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
