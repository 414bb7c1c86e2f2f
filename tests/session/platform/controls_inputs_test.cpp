// Edits, spin edits, check boxes and radio buttons in a real session.
#include "platform/ui/controls_inputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/control_screen.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::Refused;
using testing_support::Screen;
using testing_support::Sets;

// ---- radio buttons, check boxes ---------------------------------------------------------

TEST(RadioButtons, ExclusiveWithinParentAndGroup) {
  Screen s;
  s.Record("changed");
  s.On("pick2", [&](Component*) { s.Get<TUniRadioButton>("r2")->SetChecked(true); });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: pick2}}
  - class: TUniPanel
    name: a
    children:
      - {class: TUniRadioButton, name: r1, checked: true, events: {OnChange: changed}}
      - {class: TUniRadioButton, name: r2}
      - {class: TUniRadioButton, name: r3, group: other, checked: true}
  - class: TUniPanel
    name: b
    children: [{class: TUniRadioButton, name: r4, checked: true}]
)");
  auto checked = [&] {
    std::string out;
    for (const char* n : {"r1", "r2", "r3", "r4"}) out += s.Get<TUniRadioButton>(n)->Checked() ? '1' : '0';
    return out;
  };
  Json ops = s.Click("btn");
  EXPECT_EQ(checked(), "0111");
  EXPECT_EQ(Sets(ops, s.Id("r1"), "checked"), std::vector<Json>{false}) << ops.dump();

  ops = s.Change("r1", "checked", true);
  EXPECT_EQ(checked(), "1011");
  EXPECT_EQ(Sets(ops, s.Id("r2"), "checked"), std::vector<Json>{false});
  EXPECT_TRUE(Sets(ops, s.Id("r1"), "checked").empty());
  EXPECT_EQ(s.calls, std::vector<std::string>{"changed:r1"});
}

TEST(CheckBox, BrowserToggleComesBeforeTheClickAndIsNotToggledAgain) {
  Screen s;
  s.Record("changed");
  s.On("clicked", [&](Component* c) {
    s.calls.push_back(std::string("clicked ") + (static_cast<TUniCheckBox*>(c)->Checked() ? "on" : "off"));
  });
  s.Load(R"(
class: TForm
name: F
children: [{class: TUniCheckBox, name: chk, caption: preview, events: {OnChange: changed, OnClick: clicked}}]
)");
  const int id = s.Id("chk");
  Json ops =
      s.Send(Json::array({{{"t", "change"}, {"c", id}, {"p", "checked"}, {"v", true}}, {{"t", "click"}, {"c", id}}}));
  EXPECT_EQ(s.calls, (std::vector<std::string>{"changed:chk", "clicked on"}));
  EXPECT_TRUE(s.Get<TUniCheckBox>("chk")->Checked());
  EXPECT_TRUE(ops.empty());
}

// ---- edits and memo ----------------------------------------------------------------------------

TEST(Edits, BrowserValuesAreCheckedAndStored) {
  Screen s;
  s.Record("changed");
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniEdit, name: short, maxLength: 3, events: {OnChange: changed}}
  - {class: TUniEdit, name: fixed, readOnly: true, text: keep, events: {OnChange: changed}}
  - {class: TUniSpinEdit, name: spin, min: 1, max: 5, value: 1, events: {OnChange: changed}}
)");
  struct Case {
    const char* name;
    const char* p;
    Json v;
    Json stored;    // the value afterwards
    Json sentBack;  // null: nothing sent back
    bool refused;
  };
  const Case cases[] = {
      {"short", "text", "äbcdef", "äbc", "äbc", false},
      {"short", "text", "ab", "ab", nullptr, false},
      {"short", "text", 12, "ab", nullptr, true},
      {"fixed", "text", "changed", "keep", "keep", true},
      {"spin", "value", 9, 5, 5, false},
      {"spin", "value", "3", 3, nullptr, false},
      {"spin", "value", "x", 3, 3, true},
  };
  for (const Case& c : cases) {
    LogCapture log;
    s.calls.clear();
    Json ops = s.Change(c.name, c.p, c.v);
    auto* ctl = s.Get<Control>(c.name);
    EXPECT_EQ(ctl->Prop(c.p), c.stored) << c.name << " " << c.v;
    auto sent = Sets(ops, ctl->Id(), c.p);
    EXPECT_EQ(sent, c.sentBack.is_null() ? std::vector<Json>{} : std::vector<Json>{c.sentBack}) << c.name << " " << c.v;
    EXPECT_EQ(Refused(log), c.refused) << c.name << " " << c.v;
    EXPECT_EQ(s.calls.size(), c.refused ? 0u : 1u) << c.name << " " << c.v;
  }
  TUniSpinEdit* spin = s.Get<TUniSpinEdit>("spin");
  spin->SetText("4");
  EXPECT_EQ(spin->Value(), 4);
  spin->SetText("four");
  EXPECT_EQ(spin->Text(), "1");
}
