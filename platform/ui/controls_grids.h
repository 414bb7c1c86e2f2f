#pragma once
// The string grid.
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/component.h"
#include "platform/ui/grid_model.h"

namespace plat::ui {

using SelectCellEvent = Event<Component*, int, int, bool&>;                 // col, row, CanSelect
using SetCellValueEvent = Event<Component*, int, int, const std::string&>;  // col, row, value
// col, row, the value the browser sent (the handler may change it), accept
using ValidateCellEvent = Event<Component*, int, int, std::string&, bool&>;

// What OnDrawCell may change for one displayed cell: the text shown (the
// stored cell stays as it is) and its colours (VCL colours, -1 = default).
struct CellText {
  std::string text;
  int fontColor = -1;
  int color = -1;
  bool bold = false;
};
using DrawCellEvent = Event<Component*, int, int, CellText&>;  // col, row, cell

// The cells and their counts are kept in the grid model; html makes the
// cell texts HTML, with htmlCols given only those of these columns (the
// others show as text). Cells of non-fixed rows and columns may be edited in the
// browser when editable is set; with editable columns given, only those.
// The selected cell is (Col, Row); with rowSelect the browser marks the
// whole selected row instead of one cell. With columnResize the operator
// drags the right edges of the titles in the browser, and the new width
// comes back into ColWidths. titleColor is the background of the title row
// (a VCL colour, system colours too; -1 = the theme's); mouseTracking
// highlights the row under the mouse.
#define TESS_STRING_GRID_PROPERTIES(P)                    \
  P(Key, Cols, "cols", )                                  \
  P(Key, Rows, "rows", )                                  \
  P(Key, FixedCols, "fixedCols", )                        \
  P(Key, FixedRows, "fixedRows", )                        \
  P(Key, Cells, "cells", )                                \
  P(Key, ColWidths, "colWidths", )                        \
  P(Int, DefaultColWidth, "defaultColWidth", 64)          \
  P(Key, Titles, "titles", )                              \
  P(Int, DefaultRowHeight, "rowHeight", 24)               \
  P(Bool, Striped, "striped", false)                      \
  P(Bool, Html, "html", false)                            \
  P(Key, HtmlCols, "htmlCols", )                          \
  P(Bool, Editable, "editable", false)                    \
  P(Key, EditableCols, "editableCols", )                  \
  P(Int, Row, "selRow", FixedRows())                      \
  P(Int, Col, "selCol", FixedCols())                      \
  P(Bool, RowSelect, "rowSelect", false)                  \
  P(Bool, ColumnResize, "columnResize", false)            \
  P(Int, TitleColor, "titleColor", -1)                    \
  P(Bool, MouseTracking, "mouseTracking", false)          \
  P(Sent, CellStyles, "cellStyles", )

// Cell changes are sent lazily: a change marks the cells, and the browser
// gets all displayed cells once when the request's changes are sent, with
// OnDrawCell run for every non-fixed cell at that moment. With an OnDrawCell
// handler the colours it chose go along as "cellStyles": rows of null or
// {color, background, bold}, right after "cells".
// While the grid is drawn, a handler may write cells of its own grid: the
// texts are stored and go out with the cells being drawn (a cell drawn
// before the write is drawn once more at the end, and writes made then are
// refused), so drawing never marks the grid changed again. Changes of the
// size or the row order while drawing are refused (logged).
class TUniStringGrid : public Control, public GridModel {
 public:
  explicit TUniStringGrid(Form* owner);
  const char* ClassName() const override { return "TUniStringGrid"; }
  TESS_PROPERTIES(Control, TESS_STRING_GRID_PROPERTIES)

  const std::string& Cells(int col, int row) const { return Cell(col, row); }
  void SetCells(int col, int row, std::string_view text) { SetCell(col, row, text); }
  void SetFixedCols(int n);
  void SetFixedRows(int n);
  int ColWidths(int col) const;
  void SetColWidth(int col, int width);  // 0 hides the column
  std::string ColumnTitle(int col) const;
  void SetColumnTitle(int col, std::string_view title);
  std::vector<int> EditableCols() const;
  void SetEditableCols(const std::vector<int>& cols);
  // The narrowest and widest column the operator may drag a border to.
  static constexpr int kMinDraggedWidth = 16, kMaxDraggedWidth = 4000;

  SelectCellEvent OnSelectCell;
  DrawCellEvent OnDrawCell;
  // Before a cell edited in the browser is stored: the handler may change
  // the text or refuse it (the browser then shows the stored text again).
  ValidateCellEvent OnValidateCell;
  SetCellValueEvent OnSetCellValue;  // after a cell edited in the browser was stored
  NotifyEvent OnChange;              // after OnSetCellValue

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  void Changed() override;
  bool MayChange(int col, int row) override;
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  bool CellEditable(int col, int row) const;
  Json WidthsWith(int col, int width) const;  // colWidths with one width set
  Json RenderCells() const;  // also fills styles_
  // The text OnDrawCell shows for one non-fixed cell and its style.
  Json DrawCell(int col, int row, Json& style) const;
  // While the cells are drawn: the index (row * ColCount + col) of the cell
  // being drawn, the cells written at or before it, and whether writes are
  // refused (the last round).
  struct Drawing {
    bool on = false, refuse = false, reported = false, refusedLogged = false;
    long at = -1;
    std::vector<std::pair<int, int>> again;
  };
  mutable Drawing drawing_;
  bool fromBrowser_ = false;
  int markedCols_ = -1, markedRows_ = -1;
  mutable Json styles_ = Json::array();  // of the last cells rendered
};

}  // namespace plat::ui
