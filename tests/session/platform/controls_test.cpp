// The standard controls in a real session: built from a form definition,
// rendered, then driven by browser events through the session's request
// handling, checking state, handlers and the ops the browser would get.
#include "platform/ui/controls.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/session/session.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"
#include "platform/ui/picture.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::TempDir;

namespace {

// One session with one main form built from a definition.
class Screen {
 public:
  Screen() : session_("00112233445566778899aabbccddeeff", {}), form_(new Form(&session_)) {
    RegisterStandardControls();
    session_.SetMainForm(std::unique_ptr<Form>(form_));
  }

  Form& form() { return *form_; }
  Session& session() { return session_; }
  std::vector<std::string> calls;  // "handler:Sender" in the order they ran

  // Handlers for the definition to bind by name.
  template <typename... Args, typename F>
  void Bind(const std::string& name, F fn) {
    form_->RegisterHandler<Args...>(name, std::function<void(Args...)>(std::move(fn)));
  }
  // A notify handler that records itself.
  void Record(const std::string& handler) {
    Bind<Component*>(handler, [this, handler](Component* sender) { calls.push_back(handler + ":" + sender->Name()); });
  }
  void On(const std::string& handler, std::function<void(Component*)> fn) { Bind<Component*>(handler, std::move(fn)); }

  void Load(const std::string& yaml) {
    Session::Scope scope(session_);
    form_->Build(ParseFormDefinition(yaml, "test.yaml"));
    session_.ShowMainForm();
    boot_ = session_.RenderBoot(Json::object());
  }

  template <typename T>
  T* Get(const std::string& name) {
    return form_->Get<T>(name);
  }
  int Id(const std::string& name) { return form_->Get<Component>(name)->Id(); }

  const Json& Boot() const { return boot_; }
  // The rendered node of a component in the boot tree.
  Json BootNode(const std::string& name) const {
    Json found;
    std::function<void(const Json&)> walk = [&](const Json& n) {
      if (n.value("name", "") == name) found = n;
      if (n.contains("ch"))
        for (const Json& c : n["ch"]) walk(c);
    };
    for (const Json& f : boot_["forms"]) walk(f);
    return found;
  }

  Json Send(Json events) { return session_.HandleRequest(++seq_, events)["ops"]; }
  Json Event(Json event) { return Send(Json::array({std::move(event)})); }
  Json Click(const std::string& name) { return Event({{"t", "click"}, {"c", Id(name)}}); }
  Json Change(const std::string& name, const std::string& p, Json v) {
    return Event({{"t", "change"}, {"c", Id(name)}, {"p", p}, {"v", std::move(v)}});
  }

 private:
  Session session_;
  Form* form_;
  Json boot_;
  long long seq_ = 0;
};

// The "set" ops of one component and property.
std::vector<Json> Sets(const Json& ops, int id, const std::string& p) {
  std::vector<Json> out;
  for (const Json& op : ops)
    if (op.value("op", "") == "set" && op.value("c", 0) == id && op.value("p", "") == p) out.push_back(op["v"]);
  return out;
}

bool Refused(const LogCapture& log) { return log.All().find("refused") != std::string::npos; }

}  // namespace

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

// ---- string grid ---------------------------------------------------------------------------

class GridTest : public ::testing::Test {
 protected:
  void Load(bool draw) {
    s.Bind<Component*, int, int, const std::string&>("cellSet", [this](Component*, int c, int r, const std::string& v) {
      s.calls.push_back("set " + std::to_string(c) + "," + std::to_string(r) + "=" + v);
    });
    s.Bind<Component*, int, int, bool&>("selectCell", [this](Component*, int c, int r, bool& can) {
      s.calls.push_back("select " + std::to_string(c) + "," + std::to_string(r));
      can = allowSelect;
    });
    s.Bind<Component*, int, int, CellText&>("drawCell", [this](Component*, int, int, CellText& t) {
      ++draws;
      if (t.text == "0") t.text = "?";
      t.fontColor = 0xFFFFFF;
    });
    s.On("fill", [this](Component*) { fill(); });
    s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: fill}}
  - class: TUniStringGrid
    name: grid
    cols: 3
    rows: 4
    fixedRows: 1
    fixedCols: 0
    editable: true
    editableCols: [1, 2]
)" + std::string(draw ? "    events: {OnSetCellValue: cellSet, OnSelectCell: selectCell, OnDrawCell: drawCell}\n"
                      : "    events: {OnSetCellValue: cellSet, OnSelectCell: selectCell}\n"));
  }
  TUniStringGrid* grid() { return s.Get<TUniStringGrid>("grid"); }
  Json CellEvent(int col, int row, Json v) {
    return s.Event({{"t", "cell"}, {"c", s.Id("grid")}, {"col", col}, {"row", row}, {"v", std::move(v)}});
  }
  Screen s;
  std::function<void()> fill = [] {};
  bool allowSelect = true;
  int draws = 0;
};

TEST_F(GridTest, BrowserEditUpdatesTheServerCell) {
  Load(false);
  Json ops = CellEvent(1, 2, "typed");
  EXPECT_EQ(grid()->Cells(1, 2), "typed");
  EXPECT_EQ(s.calls, std::vector<std::string>{"set 1,2=typed"});
  EXPECT_TRUE(Sets(ops, s.Id("grid"), "cells").empty()) << "no echo of what the browser shows";
}

TEST_F(GridTest, EditsOutsideTheEditableCellsAreRefused) {
  Load(false);
  struct Case {
    int col, row;
    Json v;
  };
  const Case cases[] = {{0, 1, "x"}, {1, 0, "x"}, {3, 1, "x"}, {1, 4, "x"}, {1, -1, "x"}, {1, 1, nullptr}};
  for (const Case& c : cases) {
    LogCapture log;
    CellEvent(c.col, c.row, c.v);
    EXPECT_TRUE(Refused(log)) << c.col << "," << c.row;
  }
  EXPECT_TRUE(s.calls.empty());
  for (int r = 0; r < grid()->RowCount(); ++r)
    for (int col = 0; col < grid()->ColCount(); ++col) EXPECT_EQ(grid()->Cells(col, r), "");
}

TEST_F(GridTest, CodeChangesGoOutOnceAsWholeCells) {
  fill = [this] {
    for (int r = 1; r < 4; ++r)
      for (int c = 0; c < 3; ++c) grid()->SetCells(c, r, std::to_string(r * 10 + c));
  };
  Load(false);
  Json ops = s.Click("btn");
  auto cells = Sets(ops, s.Id("grid"), "cells");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0][3], Json::array({"30", "31", "32"}));
}

TEST_F(GridTest, BulkBracketKeepsScriptOrder) {
  fill = [this] {
    const std::string js = grid()->JSName();
    s.session().AddJS(js + ".store.suspendEvents();");
    grid()->BeginUpdate();
    grid()->SetCells(0, 1, "a");
    s.session().AddJS("inside()");
    grid()->SetCells(0, 2, "b");
    grid()->EndUpdate();
    s.session().AddJS(js + ".store.resumeEvents()");
  };
  Load(false);
  Json ops = s.Click("btn");
  ASSERT_EQ(ops.size(), 4u) << ops.dump();
  EXPECT_EQ(ops[0]["op"], "js");
  EXPECT_EQ(ops[1]["code"], "inside()");
  EXPECT_EQ(ops[2]["p"], "cells");
  EXPECT_EQ(ops[2]["v"][2][0], "b");
  EXPECT_EQ(ops[3]["op"], "js");
}

TEST_F(GridTest, DrawCellDecidesTheDisplayedTextOnly) {
  fill = [this] {
    grid()->SetCells(1, 1, "1");
    grid()->SetCells(1, 1, "0");  // drawn as it is when the answer goes out
    grid()->SetCells(2, 1, "5");
    draws = 0;
  };
  Load(true);
  EXPECT_EQ(s.BootNode("grid")["p"]["cellStyles"][1][1]["color"], "#ffffff");
  Json ops = s.Click("btn");
  auto cells = Sets(ops, s.Id("grid"), "cells");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0][1][1], "?");
  EXPECT_EQ(cells[0][1][2], "5");
  EXPECT_EQ(grid()->Cells(1, 1), "0");
  EXPECT_EQ(draws, 3 * 3) << "once per non-fixed cell for the one render";
  auto styles = Sets(ops, s.Id("grid"), "cellStyles");
  ASSERT_EQ(styles.size(), 1u);
  EXPECT_TRUE(styles[0][0][0].is_null()) << "fixed cells are not drawn";
  EXPECT_EQ(styles[0][2][1]["color"], "#ffffff");

  // A browser edit is drawn again: the handler may show something else.
  ops = CellEvent(2, 3, "0");
  cells = Sets(ops, s.Id("grid"), "cells");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0][3][2], "?");
  EXPECT_EQ(grid()->Cells(2, 3), "0");
}

TEST_F(GridTest, SelectCellMayRefuseTheSelection) {
  Load(false);
  EXPECT_EQ(grid()->Row(), 1);
  allowSelect = false;
  Json ops = s.Event({{"t", "select"}, {"c", s.Id("grid")}, {"col", 2}, {"row", 3}});
  EXPECT_EQ(s.calls, std::vector<std::string>{"select 2,3"});
  EXPECT_EQ(grid()->Row(), 1);
  EXPECT_EQ(Sets(ops, s.Id("grid"), "selRow"), std::vector<Json>{1});
  allowSelect = true;
  s.Event({{"t", "select"}, {"c", s.Id("grid")}, {"col", 2}, {"row", 3}});
  EXPECT_EQ(grid()->Row(), 3);
  EXPECT_EQ(grid()->Col(), 2);
  LogCapture log;
  s.Event({{"t", "select"}, {"c", s.Id("grid")}, {"col", 0}, {"row", 0}});  // a fixed cell
  EXPECT_TRUE(Refused(log));
  EXPECT_EQ(grid()->Row(), 3);
}

TEST_F(GridTest, ColumnWidthsAndTitles) {
  Load(false);
  grid()->SetColWidth(2, 0);
  grid()->SetColumnTitle(1, "Name");
  EXPECT_EQ(grid()->ColWidths(2), 0);
  EXPECT_EQ(grid()->ColWidths(0), grid()->DefaultColWidth());
  EXPECT_EQ(grid()->Prop("colWidths"), Json::array({64, 64, 0}));
  EXPECT_EQ(grid()->Prop("titles"), Json::array({"", "Name"}));
  grid()->SetRowCount(0);
  EXPECT_EQ(grid()->RenderProp("cells"), Json::array());
}

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

// ---- uploads: the event side ----------------------------------------------------------------------

TEST(UploadControl, CompletedFilesGoToTheHandlerThenAway) {
  TempDir dir;
  Screen s;
  std::vector<std::string> seen;
  bool fail = false;
  s.Bind<Component*, const std::vector<UploadedFile>&>(
      "completed", [&](Component*, const std::vector<UploadedFile>& files) {
        for (const auto& f : files)
          seen.push_back(f.name + "=" + dir.Read(std::filesystem::path(f.cache).filename().string()));
        if (fail) throw std::runtime_error("handler failed");
      });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniFileUploadButton, name: drop, caption: "Please drop file(s) or click here", maxFiles: 30,
     events: {OnMultiCompleted: completed}}
)");
  auto* drop = s.Get<TUniFileUploadButton>("drop");
  auto received = [&](std::vector<std::pair<std::string, std::string>> files) {
    std::vector<UploadedFile> list;
    for (auto& [name, content] : files) {
      std::string cacheName = "upload-" + name + ".tmp";
      dir.Write(cacheName, content);
      list.push_back({name, (dir.path() / cacheName).string()});
    }
    return drop->AcceptReceivedFiles(list);
  };
  Json answer = received({{"a.jpg", "AAA"}, {"b.png", "BBB"}});
  ASSERT_EQ(answer.size(), 2u);
  EXPECT_EQ(answer[0]["name"], "a.jpg");
  EXPECT_EQ(answer[0]["cache"].get<std::string>().find('/'), std::string::npos) << "no server path to the browser";

  // In the order the event names them.
  Json files = Json::array({answer[1], answer[0]});
  s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", files}});
  EXPECT_EQ(seen, (std::vector<std::string>{"b.png=BBB", "a.jpg=AAA"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  // Replayed or made-up files are not taken.
  LogCapture log;
  seen.clear();
  s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", files}});
  s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", Json::array({{{"name", "x"}, {"cache", "/etc/passwd"}}})}});
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(Refused(log));

  // A failing handler still leaves no cache file behind.
  fail = true;
  answer = received({{"c.mp4", "CCC"}});
  Json ops = s.Event({{"t", "upload"}, {"c", s.Id("drop")}, {"files", answer}});
  EXPECT_EQ(seen, std::vector<std::string>{"c.mp4=CCC"});
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back()["op"], "error");

  // Files that were never claimed go with the control.
  received({{"d.txt", "DDD"}});
  s.form().Release(drop);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(UploadControl, ExecuteShowsTheWindowEachTime) {
  Screen s;
  s.On("open", [&](Component*) { s.Get<TUniFileUpload>("Upload1")->Execute(); });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: open}}
  - {class: TUniFileUpload, name: Upload1, title: Upload, messages: {uploading: "Uploading..."}}
)");
  EXPECT_EQ(s.Get<TUniFileUpload>("Upload1")->Message("uploading"), "Uploading...");
  for (int i = 0; i < 2; ++i) EXPECT_EQ(Sets(s.Click("btn"), s.Id("Upload1"), "show"), std::vector<Json>{true}) << i;
}

// ---- pictures -------------------------------------------------------------------------------------

namespace {

// A small picture file written with libjpeg: a solid colour in the given
// colour space (components as the file stores them).
std::string MakeJpeg(int w, int h, J_COLOR_SPACE space, std::vector<std::uint8_t> pixel) {
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &mem, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = static_cast<int>(pixel.size());
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row;
  for (int x = 0; x < w; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string out(reinterpret_cast<char*>(mem), size);
  jpeg_destroy_compress(&info);
  std::free(mem);
  return out;
}

std::string MakePng(int w, int h, png_uint_32 format, std::vector<std::uint8_t> pixel) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = format;
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < w * h; ++i) pixels.insert(pixels.end(), pixel.begin(), pixel.end());
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
  std::string out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
  out.resize(size);
  return out;
}

std::string FromBase64(const std::string& in) {
  std::string out;
  int bits = 0;
  unsigned acc = 0;
  for (char ch : in) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = std::strchr(alphabet, ch);
    if (ch == '=' || !at) break;
    acc = (acc << 6) | static_cast<unsigned>(at - alphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return out;
}

// The PNG inside a data URI, decoded to RGBA by libpng directly.
struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};
Decoded DecodeDataUri(const std::string& uri) {
  const std::string prefix = "data:image/png;base64,";
  EXPECT_EQ(uri.substr(0, prefix.size()), prefix);
  std::string png = FromBase64(uri.substr(prefix.size()));
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  Decoded d;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    ADD_FAILURE() << "not a PNG: " << image.message;
    return d;
  }
  image.format = PNG_FORMAT_RGBA;
  d.width = static_cast<int>(image.width);
  d.height = static_cast<int>(image.height);
  d.rgba.resize(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, d.rgba.data(), 0, nullptr));
  return d;
}

}  // namespace

TEST(Picture, JpegAndPngBecomeAPngDataUriOfTheSameSize) {
  struct Case {
    const char* what;
    std::string bytes;
    int w, h;
    std::vector<int> rgba;  // the expected colour of every pixel
  };
  const Case cases[] = {
      {"RGB JPEG", MakeJpeg(7, 5, JCS_RGB, {250, 10, 10}), 7, 5, {250, 10, 10, 255}},
      {"grey JPEG", MakeJpeg(3, 9, JCS_GRAYSCALE, {128}), 3, 9, {128, 128, 128, 255}},
      // libjpeg writes CMYK with the Adobe marker: stored values are ink inverted.
      {"CMYK JPEG", MakeJpeg(4, 4, JCS_CMYK, {128, 0, 255, 200}), 4, 4, {100, 0, 200, 255}},
      {"RGBA PNG", MakePng(6, 2, PNG_FORMAT_RGBA, {10, 200, 30, 128}), 6, 2, {10, 200, 30, 128}},
      {"grey PNG", MakePng(2, 6, PNG_FORMAT_GRAY, {77}), 2, 6, {77, 77, 77, 255}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("pic", c.bytes);
    PngPicture p = LoadPictureAsPng(dir.sys() + "pic");
    EXPECT_EQ(p.width, c.w) << c.what;
    EXPECT_EQ(p.height, c.h) << c.what;
    Decoded d = DecodeDataUri(p.dataUri);
    ASSERT_EQ(d.width, c.w) << c.what;
    ASSERT_EQ(d.height, c.h) << c.what;
    const std::size_t centre = (static_cast<std::size_t>(c.h / 2) * c.w + c.w / 2) * 4;
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(d.rgba[centre + i], c.rgba[static_cast<std::size_t>(i)], 6) << c.what << " channel " << i;
  }
}

TEST(Picture, LoadFailuresRaiseAndKeepThePicture) {
  TempDir dir;
  std::string jpeg = MakeJpeg(4, 3, JCS_RGB, {0, 0, 255});
  dir.Write("ok.jpg", jpeg);
  dir.Write("pic.bmp", std::string("BM") + std::string(60, '\0'));
  dir.Write("pic.gif", "GIF89a" + std::string(20, '\0'));
  dir.Write("cut.jpg", jpeg.substr(0, 30));  // ends inside the header
  dir.Write("text.png", "hello");
  struct Case {
    const char* file;
    const char* message;  // part of the error
  };
  const Case cases[] = {{"pic.bmp", "BMP"},
                        {"pic.gif", "GIF"},
                        {"cut.jpg", "JPEG"},
                        {"text.png", "unknown"},
                        {"missing.jpg", "missing.jpg"}};

  Screen s;
  s.Load("class: TForm\nname: F\nchildren: [{class: TUniImage, name: img, stretch: true, proportional: true}]\n");
  TUniImage* img = s.Get<TUniImage>("img");
  img->Picture().LoadFromFile(dir.sys() + "ok.jpg");
  const std::string good = img->Picture().Url();
  EXPECT_EQ(DecodeDataUri(good).width, 4);
  for (const Case& c : cases) {
    try {
      img->Picture().LoadFromFile(dir.sys() + c.file);
      ADD_FAILURE() << c.file << " loaded";
    } catch (const PictureError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.file << ": " << e.what();
    }
    EXPECT_EQ(img->Picture().Url(), good) << c.file;
  }
  Json ops = s.session().TakeOps();
  EXPECT_EQ(Sets(ops, s.Id("img"), "picture"), std::vector<Json>{good});
  img->Picture().Clear();
  EXPECT_EQ(Sets(s.session().TakeOps(), s.Id("img"), "picture"), std::vector<Json>{""});
}
