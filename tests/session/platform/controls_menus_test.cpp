// Popup menus and their items in a real session.
#include "platform/ui/controls_menus.h"

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

// ---- popup menu --------------------------------------------------------------------------------

class PopupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.Record("choose");
    s.On("openMenu", [this](Component*) { s.Get<TUniPopupMenu>("menu")->Popup(10, 20); });
    s.On("openOther", [this](Component*) { s.Get<TUniPopupMenu>("other")->Popup(1, 2); });
    s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniNativeImageList, name: icons, images: ["fas fa-folder"]}
  - {class: TUniButton, name: btnMenu, events: {OnClick: openMenu}}
  - {class: TUniButton, name: btnOther, events: {OnClick: openOther}}
  - class: TUniPopupMenu
    name: menu
    images: icons
    children:
      - {class: TUniMenuItem, name: open, caption: Open, imageIndex: 0, events: {OnClick: choose}}
      - {class: TUniMenuItem, name: sep, caption: "-"}
      - {class: TUniMenuItem, name: hiddenItem, caption: Hidden, visible: false, events: {OnClick: choose}}
      - {class: TUniMenuItem, name: off, caption: Off, enabled: false, events: {OnClick: choose}}
      - class: TUniMenuItem
        name: more
        caption: More
        children: [{class: TUniMenuItem, name: deep, caption: Deep, events: {OnClick: choose}}]
  - class: TUniPopupMenu
    name: other
    children: [{class: TUniMenuItem, name: otherItem, caption: Other, events: {OnClick: choose}}]
)");
  }
  bool Choose(const std::string& item) {
    s.calls.clear();
    s.Event({{"t", "menu"}, {"c", s.Id(item)}});
    return !s.calls.empty();
  }
  Screen s;
};

TEST_F(PopupTest, MenuTravelsAsOnePropertyOfThePopup) {
  Json node = s.BootNode("menu");
  EXPECT_FALSE(node.contains("ch"));
  const Json& menu = node["p"]["menu"];
  ASSERT_EQ(menu.size(), 4u) << menu.dump();  // the hidden item is left out
  EXPECT_EQ(menu[0]["image"], "fas fa-folder");
  EXPECT_EQ(menu[1]["separator"], true);
  EXPECT_EQ(menu[2]["enabled"], false);
  EXPECT_EQ(menu[3]["children"][0]["id"], s.Id("deep"));

  s.Get<TUniMenuItem>("open")->SetCaption("Open...");
  Json ops = s.session().TakeOps();
  auto sent = Sets(ops, s.Id("menu"), "menu");
  ASSERT_EQ(sent.size(), 1u) << ops.dump();
  EXPECT_EQ(sent[0][0]["caption"], "Open...");
  EXPECT_TRUE(Sets(ops, s.Id("open"), "caption").empty());
}

TEST_F(PopupTest, ItemsOnlyAfterTheirMenuWasOpened) {
  {
    LogCapture log;
    EXPECT_FALSE(Choose("open"));
    EXPECT_TRUE(Refused(log));
  }
  Json ops = s.Click("btnMenu");
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0], (Json{{"op", "popup"}, {"c", s.Id("menu")}, {"x", 10}, {"y", 20}}));
  EXPECT_TRUE(Choose("deep"));
  EXPECT_FALSE(Choose("open")) << "one choice per opening";

  s.Click("btnMenu");
  s.Click("btnOther");
  EXPECT_FALSE(Choose("open")) << "another menu was opened since";
  EXPECT_TRUE(Choose("otherItem"));
}

TEST_F(PopupTest, HiddenDisabledAndSeparatorItemsAreRefused) {
  for (const char* item : {"hiddenItem", "off", "sep"}) {
    s.Click("btnMenu");
    LogCapture log;
    EXPECT_FALSE(Choose(item)) << item;
    EXPECT_TRUE(Refused(log)) << item;
  }
}
