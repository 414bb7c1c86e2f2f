// The string grid in a real session: cells edited in the browser, cells
// changed by code, drawing and selection.
#include "platform/ui/controls_grids.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/control_screen.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::Refused;
using testing_support::Screen;
using testing_support::Sets;

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
    s.Bind<Component*, int, int, CellText&>("drawCell", [this](Component*, int c, int r, CellText& t) {
      ++draws;
      if (drawHandler) return drawHandler(c, r, t);
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
  std::function<void(int, int, CellText&)> drawHandler;  // instead of the usual one
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

// A validating handler sees the typed text first: it may change what is
// stored (the browser then gets the stored text) or refuse it (the old text
// stays and the browser shows it again).
TEST(GridValidate, TheHandlerChangesOrRefusesTheTypedText) {
  Screen s;
  s.Bind<Component*, int, int, std::string&, bool&>("validate", [&](Component*, int c, int, std::string& v, bool& ok) {
    s.calls.push_back("validate " + std::to_string(c) + "=" + v);
    if (v == "no") ok = false;
    if (v == " a ") v = "a";
  });
  s.Bind<Component*, int, int, const std::string&>("cellSet", [&](Component*, int, int, const std::string& v) {
    s.calls.push_back("set " + v);
  });
  s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniStringGrid, name: grid, tag: 7, cols: 2, rows: 2, fixedRows: 0, fixedCols: 0, editable: true,
     events: {OnValidateCell: validate, OnSetCellValue: cellSet}}
)");
  auto* grid = s.Get<TUniStringGrid>("grid");
  EXPECT_EQ(grid->Tag(), 7) << "the definition's tag";
  EXPECT_FALSE(s.BootNode("grid")["p"].contains("tag")) << "kept on the server";
  grid->SetCells(1, 1, "old");
  auto edit = [&](Json v) { return s.Event({{"t", "cell"}, {"c", s.Id("grid")}, {"col", 1}, {"row", 1}, {"v", v}}); };

  Json ops = edit("no");
  EXPECT_EQ(grid->Cells(1, 1), "old");
  auto cells = Sets(ops, s.Id("grid"), "cells");
  ASSERT_EQ(cells.size(), 1u) << "the browser is told the stored text";
  EXPECT_EQ(cells[0][1][1], "old");

  ops = edit(" a ");
  EXPECT_EQ(grid->Cells(1, 1), "a");
  cells = Sets(ops, s.Id("grid"), "cells");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0][1][1], "a");

  ops = edit("b");
  EXPECT_EQ(grid->Cells(1, 1), "b");
  EXPECT_TRUE(Sets(ops, s.Id("grid"), "cells").empty()) << "unchanged: the browser shows it already";
  EXPECT_EQ(s.calls, (std::vector<std::string>{"validate 1=no", "validate 1= a ", "set a", "validate 1=b", "set b"}));
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

// The stored cells as the browser gets them.
Json StoredCells(const TUniStringGrid& g) {
  Json rows = Json::array();
  for (int r = 0; r < g.RowCount(); ++r) {
    Json row = Json::array();
    for (int c = 0; c < g.ColCount(); ++c) row.push_back(g.Cells(c, r));
    rows.push_back(std::move(row));
  }
  return rows;
}

TEST_F(GridTest, SettingACellToItsTextSendsNothing) {
  std::string text = "x";
  fill = [&] {
    grid()->SetCells(1, 1, text);
    grid()->SetCells(2, 2, "");  // empty already
  };
  Load(false);
  EXPECT_EQ(Sets(s.Click("btn"), s.Id("grid"), "cells").size(), 1u);
  EXPECT_TRUE(Sets(s.Click("btn"), s.Id("grid"), "cells").empty()) << "the same texts again";
  text = "y";
  EXPECT_EQ(Sets(s.Click("btn"), s.Id("grid"), "cells").size(), 1u);
}

// A handler that writes cells while its grid is drawn: its own cell (a text
// that grows at every drawing) and the first cell of the row, drawn before.
// Both go out with the cells of this answer, and nothing is left marked, so
// the requests after it carry no cells and draw nothing.
TEST_F(GridTest, CellsWrittenByTheDrawingHandlerGoOutOnceAndTheDrawingStops) {
  fill = [this] { grid()->SetCells(1, 2, "x"); };
  drawHandler = [this](int c, int r, CellText& t) {
    if (c == 1 && !t.text.empty()) grid()->SetCells(1, r, t.text + "!");
    if (c == 2) grid()->SetCells(0, r, "drawn " + std::to_string(r));
  };
  Load(true);
  LogCapture log;
  Json ops = s.Click("btn");
  auto cells = Sets(ops, s.Id("grid"), "cells");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0], StoredCells(*grid())) << "the answer shows what is stored";
  EXPECT_EQ(grid()->Cells(1, 2), "x!") << "a write while the cell is drawn again is refused";
  EXPECT_EQ(grid()->Cells(0, 3), "drawn 3");
  EXPECT_NE(log.All().find("refused"), std::string::npos);
  const int drawn = draws;
  for (int i = 0; i < 3; ++i) {
    ops = s.Send(Json::array());
    EXPECT_TRUE(Sets(ops, s.Id("grid"), "cells").empty()) << "request " << i << ": " << ops.dump();
  }
  EXPECT_EQ(draws, drawn) << "no drawing after the answer";
}

TEST_F(GridTest, TheDrawingHandlerCannotChangeTheSizeOrTheOrder) {
  fill = [this] {
    grid()->SetCells(0, 1, "b");
    grid()->SetCells(0, 2, "a");
  };
  drawHandler = [this](int, int, CellText&) {
    grid()->SetRowCount(9);
    grid()->AppendRow();
    grid()->SortRows(0);
    grid()->SetFixedRows(0);
  };
  Load(true);
  LogCapture log;
  Json ops = s.Click("btn");
  EXPECT_EQ(grid()->RowCount(), 4);
  EXPECT_EQ(grid()->FixedRows(), 1);
  EXPECT_EQ(grid()->Cells(0, 1), "b");
  EXPECT_NE(log.All().find("refused"), std::string::npos);
  EXPECT_TRUE(Sets(s.Send(Json::array()), s.Id("grid"), "cells").empty());
}

// Appending rows: cells cut off by a smaller row count come back when the
// count grows, but an appended row is empty, also in columns cut off now.
TEST(GridAppend, AnAppendedRowIsEmptyWhateverWasCutOff) {
  using Act = std::function<void(TUniStringGrid&)>;
  struct Case {
    const char* what;
    Act act;
    Json cells;  // as the browser gets them
  };
  const Json full = Json::array({{"a0", "b0"}, {"a1", "b1"}, {"a2", "b2"}});
  const Case cases[] = {
      {"append to the grid", [](TUniStringGrid& g) { EXPECT_EQ(g.AppendRow(), 3); },
       Json::array({{"a0", "b0"}, {"a1", "b1"}, {"a2", "b2"}, {"", ""}})},
      {"growing the row count shows the rows cut off",
       [](TUniStringGrid& g) {
         g.SetRowCount(1);
         g.SetRowCount(3);
       },
       full},
      {"append after a smaller row count",
       [](TUniStringGrid& g) {
         g.SetRowCount(1);
         EXPECT_EQ(g.AppendRow(), 1);
       },
       Json::array({{"a0", "b0"}, {"", ""}})},
      {"rows cut off beyond the appended one come back",
       [](TUniStringGrid& g) {
         g.SetRowCount(1);
         g.AppendRow();
         g.SetRowCount(3);
       },
       Json::array({{"a0", "b0"}, {"", ""}, {"a2", "b2"}})},
      {"columns cut off stay empty in the appended row",
       [](TUniStringGrid& g) {
         g.SetColCount(1);
         g.SetRowCount(1);
         g.AppendRow();
         g.SetColCount(2);
       },
       Json::array({{"a0", "b0"}, {"", ""}})},
      {"append to a grid without rows",
       [](TUniStringGrid& g) {
         g.SetRowCount(0);
         EXPECT_EQ(g.AppendRow(), 0);
       },
       Json::array({{"", ""}})},
      {"append and fill inside an update",
       [](TUniStringGrid& g) {
         g.BeginUpdate();
         g.SetRowCount(2);
         const int row = g.AppendRow();
         g.SetCells(1, row, "new");
         g.EndUpdate();
       },
       Json::array({{"a0", "b0"}, {"a1", "b1"}, {"", "new"}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Screen s;
    s.On("act", [&](Component*) { c.act(*s.Get<TUniStringGrid>("grid")); });
    s.Load(R"(
class: TForm
name: F
children:
  - {class: TUniButton, name: btn, events: {OnClick: act}}
  - {class: TUniStringGrid, name: grid, cols: 2, rows: 3, fixedRows: 0, fixedCols: 0,
     cells: [[a0, b0], [a1, b1], [a2, b2]]}
)");
    Json ops = s.Click("btn");
    auto* g = s.Get<TUniStringGrid>("grid");
    EXPECT_EQ(StoredCells(*g), c.cells);
    auto cells = Sets(ops, s.Id("grid"), "cells");
    ASSERT_EQ(cells.size(), 1u) << "one refresh";
    EXPECT_EQ(cells[0], c.cells);
    auto rows = Sets(ops, s.Id("grid"), "rows");  // sent when the count was changed on the way
    EXPECT_LE(rows.size(), 1u);
    for (const Json& n : rows) EXPECT_EQ(n, g->RowCount());
  }
}

// Column borders dragged in the browser: the width is kept, not echoed;
// widths the operator cannot drag to, and columns not shown, are refused.
TEST_F(GridTest, DraggedColumnWidthsAreKeptWhenTheGridAllowsResizing) {
  Load(false);
  auto widthEvent = [this](Json col, Json w) {
    return s.Event({{"t", "colwidth"}, {"c", s.Id("grid")}, {"col", std::move(col)}, {"w", std::move(w)}});
  };
  {
    LogCapture log;
    widthEvent(1, 120);
    EXPECT_TRUE(Refused(log)) << "resizing is off";
  }
  grid()->SetColumnResize(true);
  grid()->SetColWidth(2, 0);
  s.Send(Json::array());
  struct Case {
    Json col, w;
  };
  const Case refused[] = {{3, 100}, {-1, 100}, {2, 100}, {1, TUniStringGrid::kMinDraggedWidth - 1},
                          {1, TUniStringGrid::kMaxDraggedWidth + 1}, {1, "wide"}, {nullptr, 100}};
  for (const Case& c : refused) {
    LogCapture log;
    widthEvent(c.col, c.w);
    EXPECT_TRUE(Refused(log)) << c.col << " " << c.w;
  }
  EXPECT_EQ(grid()->Prop("colWidths"), Json::array({64, 64, 0}));
  Json ops = widthEvent(1, 120);
  EXPECT_EQ(grid()->ColWidths(1), 120);
  EXPECT_TRUE(Sets(ops, s.Id("grid"), "colWidths").empty()) << "no echo of what the browser shows";
}

TEST_F(GridTest, TheTitleColourGoesOutAsCss) {
  Load(false);
  grid()->SetTitleColor(12615680);  // $00C08000
  grid()->SetRowSelect(true);
  Json ops = s.Send(Json::array());
  EXPECT_EQ(Sets(ops, s.Id("grid"), "titleColor"), std::vector<Json>{"#0080c0"});
  EXPECT_EQ(Sets(ops, s.Id("grid"), "rowSelect"), std::vector<Json>{true});
  grid()->SetTitleColor(static_cast<int>(0xFF00000Du));  // the system highlight colour
  EXPECT_EQ(Sets(s.Send(Json::array()), s.Id("grid"), "titleColor"), std::vector<Json>{"#245d9e"});
}
