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
// cell texts HTML. Cells of non-fixed rows and columns may be edited in the
// browser when editable is set; with editable columns given, only those.
// The selected cell is (Col, Row).
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
  P(Bool, Editable, "editable", false)                    \
  P(Key, EditableCols, "editableCols", )                  \
  P(Int, Row, "selRow", FixedRows())                      \
  P(Int, Col, "selCol", FixedCols())                      \
  P(Sent, CellStyles, "cellStyles", )

// Cell changes are sent lazily: a change marks the cells, and the browser
// gets all displayed cells once when the request's changes are sent, with
// OnDrawCell run for every non-fixed cell at that moment. With an OnDrawCell
// handler the colours it chose go along as "cellStyles": rows of null or
// {color, background, bold}, right after "cells".
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

  SelectCellEvent OnSelectCell;
  DrawCellEvent OnDrawCell;
  SetCellValueEvent OnSetCellValue;  // after a cell edited in the browser was stored
  NotifyEvent OnChange;              // after OnSetCellValue

  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  void Changed() override;
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  bool CellEditable(int col, int row) const;
  Json RenderCells() const;  // also fills styles_
  bool fromBrowser_ = false;
  int markedCols_ = -1, markedRows_ = -1;
  mutable Json styles_ = Json::array();  // of the last cells rendered
};

}  // namespace plat::ui
