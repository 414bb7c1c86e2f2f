#pragma once
// Inputs: edits, spin edits, check boxes and radio buttons. The browser
// reports what the user typed or toggled as a change of the value, which
// is checked, stored and then reported to OnChange.
#include <string>
#include <string_view>

#include "platform/ui/component.h"
#include "platform/ui/control_font.h"

namespace plat::ui {

// A password char other than "" makes a password input; a max length of 0
// sets no limit.
#define TESS_EDIT_PROPERTIES(P)               \
  P(Text, Text, "text", )                     \
  P(Text, EmptyText, "emptyText", )           \
  P(Text, PasswordChar, "passwordChar", )     \
  P(Bool, ClearButton, "clearButton", false)  \
  P(Int, MaxLength, "maxLength", 0)           \
  P(Bool, ReadOnly, "readOnly", false)        \
  P(Text, FieldLabel, "fieldLabel", )         \
  P(Int, LabelWidth, "labelWidth", 100)

class TUniEdit : public Control {
 public:
  explicit TUniEdit(Form* owner);
  const char* ClassName() const override { return "TUniEdit"; }
  TESS_PROPERTIES(Control, TESS_EDIT_PROPERTIES)

  NotifyEvent OnChange;

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
};

#define TESS_SPIN_EDIT_PROPERTIES(P)    \
  P(IntGet, Value, "value", 0)          \
  P(Int, MinValue, "min", 0)            \
  P(Int, MaxValue, "max", 0)            \
  P(Text, FieldLabel, "fieldLabel", )   \
  P(Key, LabelWidth, "labelWidth", )    \
  P(Key, ReadOnly, "readOnly", )

// Value is kept inside MinValue..MaxValue unless both are equal (no limits).
class TUniSpinEdit : public Control {
 public:
  explicit TUniSpinEdit(Form* owner);
  const char* ClassName() const override { return "TUniSpinEdit"; }
  TESS_PROPERTIES(Control, TESS_SPIN_EDIT_PROPERTIES)
  void SetValue(int v);
  std::string Text() const { return std::to_string(Value()); }
  // Text that is no whole number gives MinValue, as the VCL spin edit does.
  void SetText(std::string_view text);
  ControlFont Font() { return ControlFont(*this); }

  NotifyEvent OnChange;

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 private:
  int Clamped(int v) const;
};

// With html the caption is inserted as HTML.
#define TESS_CHECK_BOX_PROPERTIES(P)   \
  P(Bool, Checked, "checked", false)   \
  P(Text, Caption, "caption", )        \
  P(Bool, Html, "html", false)

// The browser toggles a check box itself and reports the new state (a change
// of "checked") before the click, so a click never toggles it again here.
class TUniCheckBox : public Control {
 public:
  explicit TUniCheckBox(Form* owner);
  const char* ClassName() const override { return "TUniCheckBox"; }
  TESS_PROPERTIES(Control, TESS_CHECK_BOX_PROPERTIES)

  NotifyEvent OnChange;

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
};

#define TESS_RADIO_BUTTON_PROPERTIES(P)  \
  P(BoolGet, Checked, "checked", false)  \
  P(Text, Caption, "caption", )          \
  P(Bool, Html, "html", false)           \
  P(Text, Group, "group", )

// Radio buttons with the same parent and the same group are exclusive:
// checking one (in code or in the browser) unchecks the others.
class TUniRadioButton : public Control {
 public:
  explicit TUniRadioButton(Form* owner);
  const char* ClassName() const override { return "TUniRadioButton"; }
  TESS_PROPERTIES(Control, TESS_RADIO_BUTTON_PROPERTIES)
  // Checking unchecks the others. (A definition is taken as written: its
  // properties come in name order, "checked" before "group".)
  void SetChecked(bool v);

  NotifyEvent OnChange;

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;

 private:
  void UncheckOthers();
};

}  // namespace plat::ui
