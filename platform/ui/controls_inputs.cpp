// Edits, spin edits, check boxes and radio buttons.
#include "platform/ui/controls_inputs.h"

#include "platform/convert.h"
#include "platform/io/utf8.h"
#include "platform/ui/controls_util.h"

namespace plat::ui {

// ---- edit -----------------------------------------------------------------------------

TUniEdit::TUniEdit(Form* owner) : Control(owner) { RegisterEvent("OnChange", &OnChange); }

bool TUniEdit::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (const Json* v = detail::ChangeOf(type, ev, "text")) {
    if (!v->is_string()) return detail::Refused(*this, ev, "text must be text");
    if (ReadOnly()) {
      MarkChanged("text");
      return detail::Refused(*this, ev, "read-only");
    }
    std::string text = v->get<std::string>();
    if (MaxLength() > 0 && io::utf8::Length(text) > static_cast<std::size_t>(MaxLength())) {
      text = io::utf8::Substr(text, 0, static_cast<std::size_t>(MaxLength()));
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

}  // namespace plat::ui
