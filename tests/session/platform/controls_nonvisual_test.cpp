// Browser timers in a real session.
#include "platform/ui/controls_nonvisual.h"

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

// ---- timers ---------------------------------------------------------------------------------------

TEST(Timer, TicksOnlyWhileRunning) {
  Screen s;
  s.Record("onTick");
  s.On("restart", [&](Component*) {
    auto* t = s.Get<TUniTimer>("tick");
    t->SetEnabled(false);
    t->SetInterval(100);
    t->SetEnabled(true);
  });
  s.On("oneShot", [&](Component*) { s.Get<TUniTimer>("tick")->SetEnabled(false); });
  s.On("zero", [&](Component*) {
    s.Get<TUniTimer>("tick")->SetEnabled(true);
    s.Get<TUniTimer>("tick")->SetInterval(0);
  });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btnRestart, events: {OnClick: restart}}
  - {class: TUniButton, name: btnOneShot, events: {OnClick: oneShot}}
  - {class: TUniButton, name: btnZero, events: {OnClick: zero}}
  - {class: TUniPanel, name: hiddenPanel, visible: false,
     children: [{class: TUniTimer, name: tick, interval: 500, events: {OnTimer: onTick}}]}
  - {class: TUniTimer, name: idle, enabled: false, events: {OnTimer: onTick}}
)");
  EXPECT_EQ(s.BootNode("tick")["p"]["interval"], 500);
  EXPECT_EQ(s.BootNode("tick")["p"]["enabled"], true);
  EXPECT_EQ(s.BootNode("idle")["p"]["interval"], 1000);
  auto tick = [&](const char* name) {
    s.calls.clear();
    s.Event({{"t", "timer"}, {"c", s.Id(name)}});
    return s.calls.size() == 1;
  };
  EXPECT_TRUE(tick("tick")) << "a timer's place on the form does not matter";
  {
    LogCapture log;
    EXPECT_FALSE(tick("idle"));
    EXPECT_TRUE(Refused(log));
  }
  Json ops = s.Click("btnRestart");
  EXPECT_EQ(Sets(ops, s.Id("tick"), "enabled"), std::vector<Json>{true});
  EXPECT_EQ(Sets(ops, s.Id("tick"), "interval"), std::vector<Json>{100});

  s.Click("btnOneShot");
  EXPECT_FALSE(tick("tick"));

  ops = s.Click("btnZero");
  EXPECT_EQ(Sets(ops, s.Id("tick"), "enabled"), std::vector<Json>{false}) << ops.dump();
  EXPECT_FALSE(tick("tick"));
}
