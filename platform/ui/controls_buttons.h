#pragma once
// Buttons: the push button, the speed button and the bitmap button. A
// click runs OnClick; the control's screen mask masks the page meanwhile.
#include "platform/ui/component.h"
#include "platform/ui/control_font.h"

namespace plat::ui {

#define TESS_BUTTON_PROPERTIES(P)  \
  P(Text, Caption, "caption", )    \
  P(Bool, Html, "html", false)     \
  P(Key, TabStop, "tabStop", )

class TUniCustomButton : public Control {
 public:
  explicit TUniCustomButton(Form* owner) : Control(owner) {}
  TESS_PROPERTIES(Control, TESS_BUTTON_PROPERTIES)
  ControlFont Font() { return ControlFont(*this); }
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

}  // namespace plat::ui
