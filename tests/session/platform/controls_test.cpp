// What every control does in a real session: changes go to the browser in
// the order they happen, definitions name only what a class has, and only
// showing, enabled controls take browser events.
#include "platform/ui/controls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/control_screen.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::Refused;
using testing_support::Screen;

// ---- the change stream ----------------------------------------------------------------

TEST(ControlChanges, SentAfterRenderInCallOrderWithScripts) {
  Screen s;
  s.On("shown", [&](Component*) { s.Get<TUniLabel>("lbl")->SetCaption("at show"); });
  s.On("go", [&](Component*) {
    s.Get<TUniLabel>("lbl")->SetCaption("a");
    s.session().AddJS("one()");
    s.Get<TUniLabel>("lbl")->SetCaption("b");
    s.Get<TUniLabel>("lbl")->SetCaption("c");
    s.Get<TUniPanel>("pan")->SetVisible(false);
    s.session().ShowToast("t");
  });
  s.Load(R"(
class: TForm
name: F
events: {OnShow: shown}
children:
  - {class: TUniLabel, name: lbl, caption: start}
  - {class: TUniPanel, name: pan}
  - {class: TUniButton, name: btn, events: {OnClick: go}}
)");
  // What happened before the page was rendered is in the tree, not in ops.
  EXPECT_EQ(s.BootNode("lbl")["p"]["caption"], "at show");
  EXPECT_TRUE(s.Boot()["ops"].empty());

  Json ops = s.Click("btn");
  const int lbl = s.Id("lbl"), pan = s.Id("pan");
  Json expected = Json::array({
      {{"op", "set"}, {"c", lbl}, {"p", "caption"}, {"v", "a"}},
      {{"op", "js"}, {"code", "one()"}},
      {{"op", "set"}, {"c", lbl}, {"p", "caption"}, {"v", "c"}},
      {{"op", "set"}, {"c", pan}, {"p", "visible"}, {"v", false}},
      {{"op", "toast"}, {"text", "t"}},
  });
  EXPECT_EQ(ops, expected);
}

// The browser finds the control a screen mask covers by its id; a name of
// no control of the form leaves the mask over the page.
TEST(ControlScreenMask, TheTargetGoesToTheBrowserAsItsId) {
  Screen s;
  s.On("retarget", [&](Component*) { s.Get<TUniButton>("btnSave")->SetScreenMaskTarget("nowhere"); });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniPanel, name: pagePls}
  - {class: TUniButton, name: btnSave, screenMask: "Save PLS...", screenMaskTarget: pagePls, events: {OnClick: retarget}}
)");
  EXPECT_EQ(s.BootNode("btnSave")["p"]["screenMaskTarget"], s.Id("pagePls"));
  EXPECT_EQ(testing_support::Sets(s.Click("btnSave"), s.Id("btnSave"), "screenMaskTarget"), std::vector<Json>{nullptr});
}

TEST(ControlDefinitions, UnknownPropertyOrEventFailsTheBuild) {
  const char* cases[] = {
      "{class: TUniLabel, name: l, text: x}",
      "{class: TUniEdit, name: e, caption: x}",
      "{class: TUniLabel, name: t, events: {OnChange: h}}",
      "{class: TUniStringGrid, name: g, cols: many}",
  };
  for (const char* child : cases) {
    Screen s;
    s.Record("h");
    EXPECT_THROW(s.Load(std::string("class: TForm\nname: F\nchildren:\n  - ") + child), UiError) << child;
  }
}

// ---- which components take browser events ---------------------------------------------

TEST(ControlSecurity, EventsOnlyForShowingEnabledComponents) {
  Screen s;
  s.Record("hit");
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: ok, events: {OnClick: hit}}
  - {class: TUniButton, name: hidden, visible: false, events: {OnClick: hit}}
  - {class: TUniButton, name: disabled, enabled: false, events: {OnClick: hit}}
  - {class: TUniPanel, name: hiddenPanel, visible: false,
     children: [{class: TUniButton, name: inHidden, events: {OnClick: hit}}]}
  - {class: TUniPanel, name: offPanel, enabled: false,
     children: [{class: TUniButton, name: inDisabled, events: {OnClick: hit}}]}
  - class: TUniPageControl
    name: pages
    activePage: first
    children:
      - {class: TUniTabSheet, name: first, children: [{class: TUniButton, name: onActive, events: {OnClick: hit}}]}
      - {class: TUniTabSheet, name: second, children: [{class: TUniButton, name: onInactive, events: {OnClick: hit}}]}
)");
  struct Case {
    const char* name;
    bool taken;
  };
  const Case cases[] = {{"ok", true},        {"onActive", true},    {"hidden", false},    {"disabled", false},
                        {"inHidden", false}, {"inDisabled", false}, {"onInactive", false}};
  for (const Case& c : cases) {
    LogCapture log;
    s.calls.clear();
    s.Click(c.name);
    EXPECT_EQ(s.calls.size(), c.taken ? 1u : 0u) << c.name;
    EXPECT_EQ(Refused(log), !c.taken) << c.name << ": " << log.All();
  }
  // Hidden components may still be fired from code.
  s.calls.clear();
  s.Get<TUniButton>("hidden")->OnClick(s.Get<TUniButton>("hidden"));
  EXPECT_EQ(s.calls, std::vector<std::string>{"hit:hidden"});
}

// A handler that released a component (a sub-menu closed on its mouse-down)
// still gets the mouse-up and click the browser had queued for it: those
// are dropped without a word. An id the session never gave is refused.
TEST(ControlSecurity, LateEventsOfAReleasedComponentAreDroppedQuietly) {
  Screen s;
  s.Record("hit");
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: gone, events: {OnClick: hit}}
)");
  const int id = s.Id("gone");
  s.form().Release(s.Get<TUniButton>("gone"));
  LogCapture log;
  s.Event({{"t", "click"}, {"c", id}});
  EXPECT_TRUE(s.calls.empty());
  EXPECT_FALSE(Refused(log)) << log.All();
  s.Event({{"t", "click"}, {"c", id + 1000}});
  EXPECT_TRUE(Refused(log)) << "never given: " << log.All();
}

// A key press carries the whole character the browser typed, whatever its
// length in UTF-8; a key event without a usable code is refused.
TEST(FormKeys, APressCarriesTheWholeCharacter) {
  Screen s;
  std::vector<char32_t> pressed;
  std::vector<int> down;
  s.Bind<Component*, char32_t&>("press", [&](Component*, char32_t& k) { pressed.push_back(k); });
  s.Bind<Component*, int&, ShiftState>("down", [&](Component*, int& k, ShiftState) { down.push_back(k); });
  s.Load(R"(
class: TForm
name: F
keyPreview: true
events: {OnKeyPress: press, OnKeyDown: down}
)");
  const struct {
    const char* key;
    char32_t ch;
  } cases[] = {{"a", U'a'}, {"\xc3\xa4", U'\u00e4'}, {"\xe2\x82\xac", U'\u20ac'}, {"\xf0\x9f\x98\x80", U'\U0001F600'},
               {"", 0}};
  for (const auto& c : cases) {
    pressed.clear();
    s.Event({{"t", "key"}, {"k", "press"}, {"code", 0}, {"key", c.key}});
    EXPECT_EQ(pressed, std::vector<char32_t>{c.ch}) << c.key;
  }
  LogCapture log;
  s.Event({{"t", "key"}, {"k", "down"}, {"code", "x"}});
  s.Event({{"t", "key"}, {"k", "down"}});
  EXPECT_TRUE(down.empty());
  EXPECT_TRUE(Refused(log)) << log.All();
  s.Event({{"t", "key"}, {"k", "down"}, {"code", 114}});
  EXPECT_EQ(down, std::vector<int>{114});
}

// Whatever an event holds, its request is answered and recorded: the
// browser's retry of it gets the same answer and runs no handler again.
TEST(ControlSecurity, ABrokenEventNeverLeavesItsRequestUnrecorded) {
  Screen s;
  s.Record("hit");
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: ok, events: {OnClick: hit}}
)");
  LogCapture log;
  const Json events = Json::array({{{"t", "click"}, {"c", s.Id("ok")}}, {{"t", 5}}, {{"t", Json::array({"x"})}, {"c", 1}},
                                   Json("text"), {{"c", s.Id("ok")}}});
  const Json first = s.session().HandleRequest(1, events);
  EXPECT_EQ(first["seq"], 1);
  EXPECT_EQ(s.calls, std::vector<std::string>{"hit:ok"});
  const Json again = s.session().HandleRequest(1, events);
  EXPECT_EQ(again, first);
  EXPECT_EQ(s.calls, std::vector<std::string>{"hit:ok"}) << "the retry ran the click again";
  for (const Json& op : first["ops"]) EXPECT_NE(op.value("op", ""), "error") << "no error box: " << op;
  EXPECT_TRUE(Refused(log)) << log.All();
}
