#include "platform/ui/grid_model.h"

#include <algorithm>
#include <numeric>

#include "platform/io/utf8.h"

namespace plat::ui {
namespace {
const std::string kEmpty;
}

void GridModel::Touched() {
  if (updating_) dirty_ = true; else Changed();
}

void GridModel::SetSize(int cols, int rows) {
  cols = cols < 0 ? 0 : cols;
  rows = rows < 0 ? 0 : rows;
  if (cols == cols_ && rows == rows_) return;
  if (!MayChange(-1, -1)) return;
  cols_ = cols;
  rows_ = rows;
  // Cells of rows and columns cut off by a smaller size are kept, as a grid
  // does: they show again when the size grows.
  if (cells_.size() < static_cast<std::size_t>(rows_)) cells_.resize(static_cast<std::size_t>(rows_));
  for (auto& r : cells_)
    if (r.size() < static_cast<std::size_t>(cols_)) r.resize(static_cast<std::size_t>(cols_));
  Touched();
}

const std::string& GridModel::Cell(int col, int row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kEmpty;
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void GridModel::SetCell(int col, int row, std::string_view text) {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
  std::string& cell = cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  if (cell == text || !MayChange(col, row)) return;
  cell = std::string(text);
  Touched();
}

int GridModel::AppendRow() {
  if (!MayChange(-1, -1)) return -1;
  const auto row = static_cast<std::size_t>(rows_);
  // The stored texts of a row cut off earlier are dropped, not shown again.
  if (row < cells_.size()) cells_[row].assign(std::max(cells_[row].size(), static_cast<std::size_t>(cols_)), "");
  else cells_.emplace_back(static_cast<std::size_t>(cols_));
  ++rows_;
  Touched();
  return rows_ - 1;
}

void GridModel::SortRows(int col, const TextCompare& compare) {
  if (col < 0 || col >= cols_) return;
  const int first = std::min(fixedRows_, rows_);
  const auto cmp = [&](std::string_view a, std::string_view b) {
    return compare ? compare(a, b) : io::utf8::Collate(a, b);
  };
  std::vector<int> order(static_cast<std::size_t>(rows_ - first));
  std::iota(order.begin(), order.end(), first);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cmp(Cell(col, a), Cell(col, b)) < 0; });
  bool moved = false;
  for (std::size_t i = 0; i < order.size(); ++i) moved = moved || order[i] != first + static_cast<int>(i);
  if (!moved || !MayChange(-1, -1)) return;
  const auto width = static_cast<std::ptrdiff_t>(cols_);
  std::vector<std::vector<std::string>> rows;
  rows.reserve(order.size());
  for (int r : order) {
    auto& from = cells_[static_cast<std::size_t>(r)];
    rows.emplace_back(std::make_move_iterator(from.begin()), std::make_move_iterator(from.begin() + width));
  }
  for (std::size_t i = 0; i < rows.size(); ++i)
    std::move(rows[i].begin(), rows[i].end(), cells_[static_cast<std::size_t>(first) + i].begin());
  Touched();
}

void GridModel::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && dirty_) {
    dirty_ = false;
    Changed();
  }
}

}  // namespace plat::ui
