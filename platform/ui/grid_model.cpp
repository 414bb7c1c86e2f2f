#include "platform/ui/grid_model.h"

namespace plat::ui {
namespace {
const std::string kEmpty;
}

void GridModel::SetSize(int cols, int rows) {
  cols_ = cols < 0 ? 0 : cols;
  rows_ = rows < 0 ? 0 : rows;
  // Cells of rows and columns cut off by a smaller size are kept, as a grid
  // does: they show again when the size grows.
  if (cells_.size() < static_cast<std::size_t>(rows_)) cells_.resize(static_cast<std::size_t>(rows_));
  for (auto& r : cells_)
    if (r.size() < static_cast<std::size_t>(cols_)) r.resize(static_cast<std::size_t>(cols_));
  if (updating_) dirty_ = true; else Changed();
}

const std::string& GridModel::Cell(int col, int row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kEmpty;
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void GridModel::SetCell(int col, int row, std::string_view text) {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
  cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = std::string(text);
  if (updating_) dirty_ = true; else Changed();
}

void GridModel::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && dirty_) {
    dirty_ = false;
    Changed();
  }
}

}  // namespace plat::ui
