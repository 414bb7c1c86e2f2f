#include "platform/ui/form_loader.h"

#include <gtest/gtest.h>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "support/test_support.h"

using plat::ui::FormPrototype;
using plat::ui::LoadFormDefinition;
using plat::ui::UiError;
using testing_support::TempDir;

namespace {

std::string Normal(const std::filesystem::path& p) { return p.lexically_normal().string(); }

TEST(FormDefinitionInclude, AnIncludeStandsForTheComponentOfItsFile) {
  TempDir dir;
  dir.Write("Main.yaml", R"(
class: TForm
name: F
children:
  - {class: TUniLabel, name: first}
  - include: Main/Tab.yaml
  - {class: TUniLabel, name: last}
)");
  // Names are relative to the including file's folder.
  dir.Write("Main/Tab.yaml", R"(
class: TUniTabSheet
name: tab
caption: Tab
children:
  - include: Inner.yaml
)");
  dir.Write("Main/Inner.yaml", "{class: TUniButton, name: inner, events: {OnClick: innerClick}}\n");

  FormPrototype p = LoadFormDefinition(dir.sys() + "Main.yaml");
  ASSERT_EQ(p.children.size(), 3u);
  EXPECT_EQ(p.children[0].name, "first");
  EXPECT_EQ(p.children[2].name, "last");
  const auto& tab = p.children[1];
  EXPECT_EQ(tab.cls, "TUniTabSheet");
  EXPECT_EQ(tab.name, "tab");
  EXPECT_EQ(tab.props.value("caption", ""), "Tab");
  ASSERT_EQ(tab.children.size(), 1u);
  EXPECT_EQ(tab.children[0].name, "inner");
  ASSERT_EQ(tab.children[0].events.size(), 1u);
  EXPECT_EQ(tab.children[0].events[0].second, "innerClick");

  // Each component knows its file (for messages); the definition lists every
  // file it read (for the build's dependencies).
  EXPECT_EQ(p.children[0].file, Normal(dir.path() / "Main.yaml"));
  EXPECT_EQ(tab.file, Normal(dir.path() / "Main/Tab.yaml"));
  EXPECT_EQ(tab.children[0].file, Normal(dir.path() / "Main/Inner.yaml"));
  std::vector<std::string> files{Normal(dir.path() / "Main.yaml"), Normal(dir.path() / "Main/Tab.yaml"),
                                 Normal(dir.path() / "Main/Inner.yaml")};
  EXPECT_EQ(p.files, files);
}

TEST(FormDefinitionInclude, RefusedIncludesNameTheFileAndTheReason) {
  struct Case {
    const char* entry;
    const char* where;    // the file the message begins with
    const char* message;  // part of the message
  };
  const Case cases[] = {
      {"{include: Missing.yaml}", "Main.yaml", "cannot read"},
      {"{include: ../Outside.yaml}", "Main.yaml", "below its folder"},
      {"{include: Sub/../../Outside.yaml}", "Main.yaml", "below its folder"},
      {"{include: /etc/hostname}", "Main.yaml", "below its folder"},
      {"{include: 'Sub\\Tab.yaml'}", "Main.yaml", "below its folder"},
      {"{include: ''}", "Main.yaml", "below its folder"},
      {"{include: Main.yaml}", "Main.yaml", "includes itself"},
      {"{include: Loop.yaml}", "Back.yaml", "includes itself"},
      {"{include: Sub/Tab.yaml, name: x}", "Main.yaml", "nothing but include"},
      {"{include: List.yaml}", "List.yaml", "must be a map"},
      {"{include: NoClass.yaml}", "NoClass.yaml", "has no class"},
      {"{include: Broken.yaml}", "Broken.yaml", ""},
  };
  TempDir dir;
  dir.Write("Outside.yaml", "{class: TUniLabel, name: out}\n");
  dir.Write("Sub/Tab.yaml", "{class: TUniLabel, name: tab}\n");
  dir.Write("Loop.yaml", "{class: TUniPanel, name: loop, children: [{include: Back.yaml}]}\n");
  dir.Write("Back.yaml", "{class: TUniPanel, name: back, children: [{include: Loop.yaml}]}\n");
  dir.Write("List.yaml", "- {class: TUniLabel, name: a}\n");
  dir.Write("NoClass.yaml", "{name: nameless}\n");
  dir.Write("Broken.yaml", "{class: TUniLabel, name: [\n");
  for (const Case& c : cases) {
    dir.Write("Main.yaml", std::string("class: TForm\nname: F\nchildren:\n  - ") + c.entry + "\n");
    try {
      LoadFormDefinition(dir.sys() + "Main.yaml");
      ADD_FAILURE() << c.entry << " was taken";
    } catch (const UiError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind(Normal(dir.path() / c.where), 0), 0u) << c.entry << ": " << what;
      EXPECT_NE(what.find(c.message), std::string::npos) << c.entry << ": " << what;
    }
  }
}

TEST(FormDefinitionInclude, BuildingNamesTheIncludedFileOfAFault) {
  plat::ui::RegisterStandardControls();
  TempDir dir;
  dir.Write("Main.yaml", "class: TForm\nname: F\nchildren:\n  - include: Tab.yaml\n");
  dir.Write("Tab.yaml", "{class: TUniTabSheet, name: tab, children: [{class: TUniLabel, name: l, text: x}]}\n");
  FormPrototype p = LoadFormDefinition(dir.sys() + "Main.yaml");
  plat::ui::Form form(nullptr);
  try {
    form.Build(p);
    ADD_FAILURE() << "an unknown property was taken";
  } catch (const UiError& e) {
    EXPECT_EQ(std::string(e.what()), Normal(dir.path() / "Tab.yaml") + ": TUniLabel l has no property text");
  }
}

}  // namespace
