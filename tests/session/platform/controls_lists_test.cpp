// Combo boxes, list boxes and memos in a real session.
#include "platform/ui/controls_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/control_screen.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::Screen;
using testing_support::Sets;

// ---- combo box and list box ----------------------------------------------------------------

TEST(ComboBox, TextAndItemIndexGoTogether) {
  Screen s;
  s.Record("changed");
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniComboBox, name: cmb, items: [alpha, beta, gamma], events: {OnChange: changed}}
  - {class: TUniComboBox, name: preset, items: [x, y], itemIndex: 1}
)");
  EXPECT_EQ(s.Get<TUniComboBox>("preset")->Text(), "y");
  TUniComboBox* cmb = s.Get<TUniComboBox>("cmb");
  struct Step {
    const char* what;  // code: index/text; browser: b-index/b-text
    Json arg;
    int index;
    const char* text;
    int changes;  // OnChange runs so far
  };
  const Step steps[] = {
      {"index", 1, 1, "beta", 0},
      {"text", "gamma", 2, "gamma", 0},
      {"text", "free", -1, "free", 0},
      {"index", -1, -1, "", 0},
      {"index", 7, -1, "", 0},
      {"b-text", "beta", 1, "beta", 1},
      {"b-index", 0, 0, "alpha", 2},
      {"b-text", "alpha", 0, "alpha", 2},
      {"b-text", "typed", -1, "typed", 3},
      {"b-index", 3, -1, "typed", 3},
  };
  for (const Step& st : steps) {
    const std::string what = st.what;
    if (what == "index")
      cmb->SetItemIndex(st.arg.get<int>());
    else if (what == "text")
      cmb->SetText(st.arg.get<std::string>());
    else
      s.Change("cmb", what == "b-index" ? "itemIndex" : "text", st.arg);
    EXPECT_EQ(cmb->ItemIndex(), st.index) << what << " " << st.arg;
    EXPECT_EQ(cmb->Text(), st.text) << what << " " << st.arg;
    EXPECT_EQ(static_cast<int>(s.calls.size()), st.changes) << what << " " << st.arg;
  }
  cmb->SetItemIndex(2);
  cmb->Items().Clear();
  EXPECT_EQ(cmb->ItemIndex(), -1);
}

TEST(ListBox, SortedItemsAndSelection) {
  Screen s;
  s.Record("changed");
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniListBox, name: multi, sorted: true, multiSelect: true, items: [pear, Apple, banana],
     events: {OnChange: changed}}
  - {class: TUniListBox, name: single, items: [a, b]}
)");
  TUniListBox* multi = s.Get<TUniListBox>("multi");
  EXPECT_EQ(multi->Items().Items(), (std::vector<std::string>{"Apple", "banana", "pear"}));
  EXPECT_EQ(multi->Items().Add("cherry"), 2);
  EXPECT_THROW(multi->Items().Insert(0, "zz"), UiError);

  s.Change("multi", "selected", Json::array({3, 0}));
  EXPECT_TRUE(multi->Selected(0));
  EXPECT_TRUE(multi->Selected(3));
  EXPECT_EQ(multi->SelCount(), 2);
  s.Change("multi", "selected", Json::array({0, 3}));
  EXPECT_EQ(s.calls.size(), 1u) << "the same selection is no change";

  LogCapture log;
  s.Change("multi", "selected", Json::array({0, 9}));
  s.Change("single", "selected", Json::array({0, 1}));
  EXPECT_EQ(log.Lines().size(), 2u) << log.All();
  EXPECT_EQ(multi->SelCount(), 2);

  s.Change("single", "itemIndex", 1);
  EXPECT_TRUE(s.Get<TUniListBox>("single")->Selected(1));
  multi->Items().Clear();
  EXPECT_EQ(multi->SelCount(), 0);
}

TEST(Memo, LinesGoOutOnceAndBrowserEditsComeIn) {
  Screen s;
  s.Record("changed");
  s.On("log", [&](Component*) {
    for (const char* line : {"one", "two", "three"}) s.Get<TUniMemo>("memo")->Lines().Add(line);
  });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: log}}
  - {class: TUniMemo, name: memo, lines: [first], events: {OnChange: changed}}
)");
  EXPECT_EQ(s.BootNode("memo")["p"]["lines"], Json::array({"first"}));
  Json ops = s.Click("btn");
  const Json grown = {{"append", Json::array({"one", "two", "three"})}};
  EXPECT_EQ(Sets(ops, s.Id("memo"), "lines"), std::vector<Json>{grown}) << "a memo that only grew sends the new lines";

  ops = s.Change("memo", "lines", Json::array({"x", "y"}));
  TUniMemo* memo = s.Get<TUniMemo>("memo");
  EXPECT_EQ(memo->Lines().Count(), 2);
  EXPECT_EQ(memo->Text(), "x\r\ny\r\n");
  EXPECT_TRUE(ops.empty());
  EXPECT_EQ(s.calls, std::vector<std::string>{"changed:memo"});
}

TEST(Memo, OnlyEditsAtTheEndsTravelAsEdits) {
  struct Case {
    const char* name;
    std::function<void(ObservedStrings&)> change;
    Json sent;
  };
  auto edit = [](std::vector<std::string> added, int drop, int keep) {
    Json v = {{"append", added}};
    if (drop) v["drop"] = drop;
    if (keep >= 0) v["keep"] = keep;
    return v;
  };
  const Case cases[] = {
      {"add", [](ObservedStrings& l) { l.Add("c"); }, edit({"c"}, 0, -1)},
      {"set the last then add", [](ObservedStrings& l) { l.Set(1, "B"); l.Add("c"); }, edit({"B", "c"}, 0, 1)},
      {"set the first", [](ObservedStrings& l) { l.Set(0, "A"); }, Json::array({"A", "b"})},
      {"drop the first then add", [](ObservedStrings& l) { l.Delete(0); l.Add("c"); l.Add("d"); },
       edit({"c", "d"}, 1, -1)},
      {"add then drop the first, as a bounded log", [](ObservedStrings& l) { l.Add("c"); l.Delete(0); },
       edit({"c"}, 1, -1)},
      {"drop both", [](ObservedStrings& l) { l.Delete(0); l.Delete(0); l.Add("c"); }, Json::array({"c"})},
      {"clear then add", [](ObservedStrings& l) { l.Clear(); l.Add("c"); }, Json::array({"c"})},
      {"insert at the end", [](ObservedStrings& l) { l.Insert(2, "c"); }, edit({"c"}, 0, -1)},
      {"insert before the end", [](ObservedStrings& l) { l.Insert(1, "c"); }, edit({"c", "b"}, 0, 1)},
      {"move", [](ObservedStrings& l) { l.Add("c"); l.Move(2, 0); }, Json::array({"c", "a", "b"})},
  };
  for (const auto& c : cases) {
    Screen s;
    s.On("change", [&](Component*) { c.change(s.Get<TUniMemo>("memo")->Lines()); });
    s.On("grow", [&](Component*) { s.Get<TUniMemo>("memo")->Lines().Add("z"); });
    s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: change}}
  - {class: TUniButton, name: more, events: {OnClick: grow}}
  - {class: TUniMemo, name: memo, lines: [a, b]}
)");
    EXPECT_EQ(Sets(s.Click("btn"), s.Id("memo"), "lines"), std::vector<Json>{c.sent}) << c.name;
    const Json z = {{"append", Json::array({"z"})}};
    EXPECT_EQ(Sets(s.Click("more"), s.Id("memo"), "lines"), std::vector<Json>{z})
        << c.name << ": what was sent is the new beginning";
  }
}

TEST(Memo, LinesOutOfSightWaitUntilTheMemoShows) {
  Screen s;
  s.On("fill", [&](Component*) {
    for (const char* name : {"onPage", "hidden"})
      for (int i = 0; i < 3; ++i) s.Get<TUniMemo>(name)->Lines().Add("line " + std::to_string(i));
  });
  s.On("show", [&](Component*) {
    s.Get<TUniPageControl>("pages")->SetActivePageIndex(1);
    s.Get<TUniMemo>("hidden")->SetVisible(true);
  });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: fill, events: {OnClick: fill}}
  - {class: TUniButton, name: show, events: {OnClick: show}}
  - {class: TUniMemo, name: hidden, visible: false, lines: [old]}
  - class: TUniPageControl
    name: pages
    children:
      - {class: TUniTabSheet, name: first}
      - class: TUniTabSheet
        name: second
        children:
          - {class: TUniMemo, name: onPage, lines: [old]}
)");
  EXPECT_FALSE(s.BootNode("onPage")["p"].contains("lines")) << "not even at the start";
  EXPECT_FALSE(s.BootNode("hidden")["p"].contains("lines"));
  Json ops = s.Click("fill");
  EXPECT_TRUE(Sets(ops, s.Id("onPage"), "lines").empty());
  EXPECT_TRUE(Sets(ops, s.Id("hidden"), "lines").empty());
  ops = s.Click("show");
  const Json all = Json::array({"old", "line 0", "line 1", "line 2"});
  EXPECT_EQ(Sets(ops, s.Id("onPage"), "lines"), std::vector<Json>{all});
  EXPECT_EQ(Sets(ops, s.Id("hidden"), "lines"), std::vector<Json>{all});
  ops = s.Click("fill");
  EXPECT_EQ(Sets(ops, s.Id("onPage"), "lines"),
            std::vector<Json>{Json({{"append", Json::array({"line 0", "line 1", "line 2"})}})})
      << "in sight: the edits again";
}
