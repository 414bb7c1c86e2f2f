// Buttons in a real session: what code sets on them reaches the browser
// under the names the runtime draws, and a browser click runs OnClick.
#include "platform/ui/controls_buttons.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/control_screen.h"

using namespace plat::ui;
using testing_support::Screen;
using testing_support::Sets;

TEST(Buttons, PropertiesReachTheBrowserAndAClickRunsOnClick) {
  for (const char* cls : {"TUniButton", "TUniSpeedButton", "TUniBitBtn"}) {
    Screen s;
    s.Record("clicked");
    s.On("relabel", [&](Component*) {
      auto* b = s.Get<TUniCustomButton>("btn");
      b->SetCaption("<i class=\"fas fa-save\"></i>");
      b->SetHtml(true);
      b->SetScreenMask("Save PLS...");
    });
    s.Load(std::string("class: TForm\nname: F\nchildren:\n  - {class: ") + cls +
           ", name: btn, caption: OK, screenMask: \"Load Playlist....\", events: {OnClick: clicked}}\n"
           "  - {class: TUniButton, name: other, events: {OnClick: relabel}}\n");
    EXPECT_EQ(s.BootNode("btn")["cls"], cls);
    EXPECT_EQ(s.BootNode("btn")["p"]["caption"], "OK") << cls;
    EXPECT_EQ(s.BootNode("btn")["p"]["screenMask"], "Load Playlist....") << cls;

    s.Click("btn");
    EXPECT_EQ(s.calls, std::vector<std::string>{"clicked:btn"}) << cls;

    Json ops = s.Click("other");
    const int id = s.Id("btn");
    EXPECT_EQ(Sets(ops, id, "caption"), std::vector<Json>{"<i class=\"fas fa-save\"></i>"}) << cls;
    EXPECT_EQ(Sets(ops, id, "html"), std::vector<Json>{true}) << cls;
    EXPECT_EQ(Sets(ops, id, "screenMask"), std::vector<Json>{"Save PLS..."}) << cls;
    EXPECT_TRUE(s.Get<TUniCustomButton>("btn")->Html());
  }
}
