// Page controls and panels in a real session.
#include "platform/ui/controls_containers.h"

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

// ---- page control ------------------------------------------------------------------------

class PageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.Record("changed");
    s.Record("hit");
    s.On("showHidden", [this](Component*) { pages()->SetActivePage(s.Get<TUniTabSheet>("s1")); });
    s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: toHidden, events: {OnClick: showHidden}}
  - class: TUniPageControl
    name: pages
    events: {OnChange: changed}
    children:
      - {class: TUniTabSheet, name: s0, caption: Zero}
      - {class: TUniTabSheet, name: s1, caption: One, tabVisible: false,
         children: [{class: TUniButton, name: b1, events: {OnClick: hit}}]}
      - {class: TUniTabSheet, name: s2, caption: Two,
         children: [{class: TUniButton, name: b2, events: {OnClick: hit}}]}
)");
  }
  TUniPageControl* pages() { return s.Get<TUniPageControl>("pages"); }
  Screen s;
};

TEST_F(PageControlTest, FirstPageActiveWithoutChoice) {
  EXPECT_EQ(pages()->ActivePageIndex(), 0);
  EXPECT_EQ(s.BootNode("pages")["p"]["activePage"], s.Id("s0"));
  EXPECT_EQ(pages()->PageCount(), 3);
  EXPECT_EQ(s.Get<TUniTabSheet>("s2")->PageIndex(), 2);
}

TEST_F(PageControlTest, TabClickOnOfferedTabSelectsAndRunsOnChange) {
  Json ops = s.Change("pages", "activePage", s.Id("s2"));
  EXPECT_EQ(pages()->ActivePage(), s.Get<TUniTabSheet>("s2"));
  EXPECT_EQ(s.calls, std::vector<std::string>{"changed:pages"});
  EXPECT_TRUE(Sets(ops, s.Id("pages"), "activePage").empty());  // the browser shows it already
  s.calls.clear();
  s.Click("b2");
  EXPECT_EQ(s.calls, std::vector<std::string>{"hit:b2"});
}

TEST_F(PageControlTest, TabClickOnHiddenTabIsRefusedAndUndone) {
  LogCapture log;
  Json ops = s.Change("pages", "activePage", s.Id("s1"));
  EXPECT_EQ(pages()->ActivePageIndex(), 0);
  EXPECT_TRUE(s.calls.empty());
  EXPECT_TRUE(Refused(log));
  EXPECT_EQ(Sets(ops, s.Id("pages"), "activePage"), std::vector<Json>{s.Id("s0")});
  s.Click("b1");
  EXPECT_TRUE(s.calls.empty());
}

TEST_F(PageControlTest, NoTabClicksWhileTheTabBarIsHidden) {
  LogCapture log;
  pages()->SetTabsVisible(false);
  s.Change("pages", "activePage", s.Id("s2"));
  EXPECT_EQ(pages()->ActivePageIndex(), 0);
  EXPECT_TRUE(Refused(log));
}

TEST_F(PageControlTest, CodeSelectsPageWithHiddenTab) {
  Json ops = s.Click("toHidden");
  EXPECT_EQ(Sets(ops, s.Id("pages"), "activePage"), std::vector<Json>{s.Id("s1")});
  EXPECT_TRUE(s.calls.empty());  // OnChange is for the user's choice only
  s.Click("b1");
  s.Click("b2");
  EXPECT_EQ(s.calls, std::vector<std::string>{"hit:b1"});
}

TEST_F(PageControlTest, IndexOutsideThePagesSelectsNone) {
  pages()->SetActivePageIndex(7);
  EXPECT_EQ(pages()->ActivePage(), nullptr);
  EXPECT_EQ(pages()->ActivePageIndex(), -1);
  EXPECT_TRUE(pages()->RenderProp("activePage").is_null());
}

// ---- panel tools -----------------------------------------------------------------------------------

TEST(Panel, ToolClicksNameTheOfferedTool) {
  Screen s;
  s.Bind<Component*, const std::string&>(
      "toolClick", [&](Component* c, const std::string& id) { s.calls.push_back(c->Name() + " " + id); });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniPanel, name: pan, title: Frame 1, titleVisible: true,
     tools: [{id: 0, icon: arrow_down}, {id: 1, icon: arrow_up}], events: {OnToolClick: toolClick}}
)");
  s.Event({{"t", "tool"}, {"c", s.Id("pan")}, {"tool", "1"}});
  LogCapture log;
  s.Event({{"t", "tool"}, {"c", s.Id("pan")}, {"tool", "7"}});
  EXPECT_EQ(s.calls, std::vector<std::string>{"pan 1"});
  EXPECT_TRUE(Refused(log));
}
