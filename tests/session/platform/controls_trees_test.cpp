// The tree view in a real session.
#include "platform/ui/controls_trees.h"

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

// ---- tree view ---------------------------------------------------------------------------------

TEST(TreeView, NodesImagesAndSelection) {
  Screen s;
  s.Record("treeClick");
  s.Record("treeChange");
  TTreeNode *media = nullptr, *clips = nullptr, *file = nullptr, *teams = nullptr;
  s.On("build", [&](Component*) {
    TTreeNodes& items = s.Get<TUniTreeView>("tree")->Items();
    items.BeginUpdate();
    items.BeginUpdate();
    media = items.Add(nullptr, "Media");
    clips = items.AddChild(media, "Clips");
    clips->SetImageIndex(0);
    file = items.AddChild(clips, "x.mp4");
    file->SetImageIndex(1);
    items.EndUpdate();
    teams = items.Add(media, "Teams");  // a sibling: top level
    items.EndUpdate();
  });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniNativeImageList, name: icons, images: ["fas fa-folder", "img/tick.png"]}
  - {class: TUniButton, name: btn, events: {OnClick: build}}
  - {class: TUniTreeView, name: tree, images: icons, events: {OnClick: treeClick, OnChange: treeChange}}
)");
  Json ops = s.Click("btn");
  TUniTreeView* tree = s.Get<TUniTreeView>("tree");
  auto nodes = Sets(ops, s.Id("tree"), "nodes");
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(nodes[0].size(), 2u);
  EXPECT_EQ(nodes[0][0]["children"][0]["image"], "fas fa-folder");
  EXPECT_EQ(nodes[0][0]["children"][0]["children"][0]["image"], "img/tick.png");
  EXPECT_EQ(nodes[0][1]["text"], "Teams");

  ASSERT_EQ(tree->Items().Count(), 4);
  EXPECT_EQ(tree->Items()[2], file);
  EXPECT_EQ(tree->Items()[3], teams);
  EXPECT_EQ(file->Level(), 2);
  EXPECT_EQ(file->Parent()->Parent(), media);

  s.Event({{"t", "node"}, {"c", s.Id("tree")}, {"node", file->Id()}});
  s.Event({{"t", "node"}, {"c", s.Id("tree")}, {"node", file->Id()}});
  EXPECT_EQ(tree->Selected(), file);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"treeChange:tree", "treeClick:tree", "treeClick:tree"}));

  LogCapture log;
  s.Event({{"t", "node"}, {"c", s.Id("tree")}, {"node", 999}});
  EXPECT_TRUE(Refused(log));
  EXPECT_EQ(tree->Selected(), file);

  clips->Delete();
  EXPECT_EQ(tree->Selected(), nullptr);
  EXPECT_EQ(tree->Items().Count(), 2);
}
