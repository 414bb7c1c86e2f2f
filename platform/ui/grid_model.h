#pragma once
// The cells of a string grid: ColCount columns by RowCount rows of texts.
// Writes outside the grid are ignored and reads outside it give empty text,
// as a grid control does; cells cut off by a smaller size keep their texts
// and show again when the grid grows (SetRowCount, SetColCount). A row added
// with AppendRow starts empty instead. The grid control builds on this.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plat::ui {

class GridModel {
 public:
  GridModel(int cols = 5, int rows = 5) { SetSize(cols, rows); }
  virtual ~GridModel() = default;

  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  void SetColCount(int cols) { SetSize(cols, rows_); }
  void SetRowCount(int rows) { SetSize(cols_, rows); }
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int n) { fixedCols_ = n < 0 ? 0 : n; }
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int n) { fixedRows_ = n < 0 ? 0 : n; }

  const std::string& Cell(int col, int row) const;
  // Setting a cell to the text it holds changes nothing.
  void SetCell(int col, int row, std::string_view text);

  // Adds one row at the end whose cells are all empty, also those of the
  // columns cut off now (a row cut off earlier is not brought back).
  // Returns the new row's index.
  int AppendRow();

  // Orders the rows below the fixed rows by the text of one column,
  // ascending by `compare` (negative, 0 or positive, as utf8::Collate; by
  // default Collate: without regard to letter case). Rows whose keys compare
  // equal keep their order. The cells of the grid's columns move with their
  // row; cells cut off by a smaller size stay where they are. A column
  // outside the grid changes nothing.
  using TextCompare = std::function<int(std::string_view, std::string_view)>;
  void SortRows(int col, const TextCompare& compare = {});

  // Bulk changes are bracketed; the control sends one refresh at the end.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();
  bool Updating() const { return updating_ > 0; }

 protected:
  // Called when cells or the size changed outside an update bracket, and at
  // the end of the outermost bracket.
  virtual void Changed() {}
  // Asked before a change of one cell's text (col, row), or of the size or
  // the order of the rows (-1, -1); false refuses it.
  virtual bool MayChange(int /*col*/, int /*row*/) { return true; }

 private:
  void SetSize(int cols, int rows);
  void Touched();
  int cols_ = 0, rows_ = 0, fixedCols_ = 1, fixedRows_ = 1;
  int updating_ = 0;
  bool dirty_ = false;
  std::vector<std::vector<std::string>> cells_;  // [row][col]
};

}  // namespace plat::ui
