// The string grid.
#include "platform/ui/controls_grids.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/ui/controls_util.h"

namespace plat::ui {

namespace {

int IntOrThrow(const Json& v, const std::string& where) {
  int n = 0;
  if (!detail::IntValue(v, n)) throw UiError(where + " must be a whole number");
  return n;
}

}  // namespace

TUniStringGrid::TUniStringGrid(Form* owner) : Control(owner), GridModel(5, 5) {
  RegisterEvent("OnSelectCell", &OnSelectCell);
  RegisterEvent("OnDrawCell", &OnDrawCell);
  RegisterEvent("OnValidateCell", &OnValidateCell);
  RegisterEvent("OnSetCellValue", &OnSetCellValue);
  RegisterEvent("OnChange", &OnChange);
}

void TUniStringGrid::Changed() {
  if (drawing_.on) return;  // the cells being drawn carry the change
  if (ColCount() != markedCols_) {
    markedCols_ = ColCount();
    MarkChanged("cols");
  }
  if (RowCount() != markedRows_) {
    markedRows_ = RowCount();
    MarkChanged("rows");
  }
  // A cell the browser edited is already shown there, unless a draw
  // handler decides what is shown.
  if (fromBrowser_ && !OnDrawCell.Assigned()) return;
  MarkChanged("cells");
  if (OnDrawCell.Assigned()) MarkChanged("cellStyles");
}

void TUniStringGrid::SetFixedCols(int n) {
  if (n == FixedCols() || !MayChange(-1, -1)) return;
  GridModel::SetFixedCols(n);
  MarkChanged("fixedCols");
  MarkChanged("cells");  // fixed cells are not drawn by OnDrawCell
  if (OnDrawCell.Assigned()) MarkChanged("cellStyles");
}

void TUniStringGrid::SetFixedRows(int n) {
  if (n == FixedRows() || !MayChange(-1, -1)) return;
  GridModel::SetFixedRows(n);
  MarkChanged("fixedRows");
  MarkChanged("cells");
  if (OnDrawCell.Assigned()) MarkChanged("cellStyles");
}

int TUniStringGrid::ColWidths(int col) const {
  const Json& w = Prop("colWidths");
  int v = 0;
  if (w.is_array() && col >= 0 && col < static_cast<int>(w.size()) &&
      detail::IntValue(w[static_cast<std::size_t>(col)], v))
    return v;
  return DefaultColWidth();
}

Json TUniStringGrid::WidthsWith(int col, int width) const {
  Json w = Prop("colWidths").is_array() ? Prop("colWidths") : Json::array();
  while (static_cast<int>(w.size()) <= col) w.push_back(DefaultColWidth());
  w[static_cast<std::size_t>(col)] = width < 0 ? 0 : width;
  return w;
}

void TUniStringGrid::SetColWidth(int col, int width) {
  if (col >= 0) SetProp("colWidths", WidthsWith(col, width));
}

std::string TUniStringGrid::ColumnTitle(int col) const {
  const Json& t = Prop("titles");
  if (!t.is_array() || col < 0 || col >= static_cast<int>(t.size())) return {};
  const Json& v = t[static_cast<std::size_t>(col)];
  return v.is_string() ? v.get<std::string>() : std::string();
}

void TUniStringGrid::SetColumnTitle(int col, std::string_view title) {
  if (col < 0) return;
  Json t = Prop("titles").is_array() ? Prop("titles") : Json::array();
  while (static_cast<int>(t.size()) <= col) t.push_back("");
  t[static_cast<std::size_t>(col)] = std::string(title);
  SetProp("titles", std::move(t));
}

std::vector<int> TUniStringGrid::EditableCols() const {
  std::vector<int> out;
  const Json& e = Prop("editableCols");
  if (e.is_array())
    for (const Json& v : e) {
      int c = 0;
      if (detail::IntValue(v, c)) out.push_back(c);
    }
  return out;
}

void TUniStringGrid::SetEditableCols(const std::vector<int>& cols) { SetProp("editableCols", cols); }

bool TUniStringGrid::CellEditable(int col, int row) const {
  if (!Editable() || col < FixedCols() || row < FixedRows() || col >= ColCount() || row >= RowCount()) return false;
  if (!Prop("editableCols").is_array()) return true;
  const std::vector<int> cols = EditableCols();
  return std::find(cols.begin(), cols.end(), col) != cols.end();
}

bool TUniStringGrid::TakeProp(std::string_view key, const Json& value) {
  const std::string where = Name() + "." + std::string(key);
  if (key == "cols")
    SetColCount(IntOrThrow(value, where));
  else if (key == "rows")
    SetRowCount(IntOrThrow(value, where));
  else if (key == "fixedCols")
    SetFixedCols(IntOrThrow(value, where));
  else if (key == "fixedRows")
    SetFixedRows(IntOrThrow(value, where));
  else if (key == "cells") {
    if (!value.is_array()) throw UiError(where + " must be a list of rows");
    // Cells given in a definition make the grid large enough for them.
    int cols = ColCount();
    for (const Json& row : value) {
      if (!row.is_array()) throw UiError(where + " must be a list of rows");
      cols = std::max(cols, static_cast<int>(row.size()));
    }
    BeginUpdate();
    SetColCount(cols);
    SetRowCount(std::max(RowCount(), static_cast<int>(value.size())));
    for (std::size_t r = 0; r < value.size(); ++r)
      for (std::size_t c = 0; c < value[r].size(); ++c) {
        const Json& v = value[r][c];
        SetCell(static_cast<int>(c), static_cast<int>(r), v.is_string() ? v.get<std::string>() : v.dump());
      }
    EndUpdate();
  } else {
    return false;
  }
  return true;
}

bool TUniStringGrid::MayChange(int col, int row) {
  if (!drawing_.on) return true;
  if (col >= 0 && !drawing_.refuse) {
    // Drawn already (or being drawn): drawn once more with the new text.
    if (static_cast<long>(row) * ColCount() + col <= drawing_.at) drawing_.again.emplace_back(col, row);
    return true;
  }
  if (!drawing_.refusedLogged)
    LogLine("OnDrawCell of " + Name() + ": " + (col < 0 ? "the size or row order" : "a cell") +
            " cannot change while the cells are drawn; the change is refused");
  drawing_.refusedLogged = true;
  return false;
}

Json TUniStringGrid::DrawCell(int col, int row, Json& style) const {
  auto* self = const_cast<TUniStringGrid*>(this);  // the handler's Sender
  CellText cell{Cell(col, row)};
  try {
    OnDrawCell(self, col, row, cell);
  } catch (const std::exception& e) {
    // Drawing runs while the answer is put together, outside any event:
    // a failing handler leaves the cell as stored.
    if (!drawing_.reported) LogLine("OnDrawCell of " + Name() + " failed: " + e.what());
    drawing_.reported = true;
    cell = CellText{Cell(col, row)};
  }
  style = Json::object();
  if (std::string css = ColorToCss(cell.fontColor); !css.empty()) style["color"] = css;
  if (std::string css = ColorToCss(cell.color); !css.empty()) style["background"] = css;
  if (cell.bold) style["bold"] = true;
  if (style.empty()) style = nullptr;
  return std::move(cell.text);
}

Json TUniStringGrid::RenderCells() const {
  const bool draw = OnDrawCell.Assigned();
  if (drawing_.on) {
    // Asked for the cells again from inside a handler: what is stored.
    Json rows = Json::array();
    for (int r = 0; r < RowCount(); ++r) {
      Json row = Json::array();
      for (int c = 0; c < ColCount(); ++c) row.push_back(Cell(c, r));
      rows.push_back(std::move(row));
    }
    return rows;
  }
  drawing_ = Drawing{};
  drawing_.on = draw;
  struct Done {
    Drawing& d;
    ~Done() { d.on = false; }
  } done{drawing_};  // also when something fails on the way
  Json rows = Json::array();
  Json styles = Json::array();
  const int cols = ColCount();
  for (int r = 0; r < RowCount(); ++r) {
    Json row = Json::array();
    Json rowStyles = Json::array();
    for (int c = 0; c < cols; ++c) {
      drawing_.at = static_cast<long>(r) * cols + c;
      if (!draw || r < FixedRows() || c < FixedCols()) {
        row.push_back(Cell(c, r));
        rowStyles.push_back(nullptr);
        continue;
      }
      Json style;
      row.push_back(DrawCell(c, r, style));
      rowStyles.push_back(std::move(style));
    }
    rows.push_back(std::move(row));
    styles.push_back(std::move(rowStyles));
  }
  if (draw) {
    // Cells the handlers wrote after they were drawn: drawn once more with
    // their new text, with writes now refused, so this answer carries
    // what is stored and nothing is left to draw again.
    drawing_.refuse = true;
    std::sort(drawing_.again.begin(), drawing_.again.end());
    drawing_.again.erase(std::unique(drawing_.again.begin(), drawing_.again.end()), drawing_.again.end());
    for (const auto& [c, r] : std::vector<std::pair<int, int>>(std::move(drawing_.again))) {
      auto& cell = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      auto& style = styles[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      if (r < FixedRows() || c < FixedCols()) cell = Cell(c, r);
      else cell = DrawCell(c, r, style);
    }
  }
  styles_ = draw ? std::move(styles) : Json::array();
  return rows;
}

Json TUniStringGrid::RenderProp(std::string_view key) const {
  if (key == "cells") return RenderCells();
  if (key == "cellStyles") return styles_;  // of the cells just rendered
  if (key == "cols") return ColCount();
  if (key == "rows") return RowCount();
  if (key == "fixedCols") return FixedCols();
  if (key == "fixedRows") return FixedRows();
  if (key == "selRow") return Row();
  if (key == "selCol") return Col();
  if (key == "titleColor") {
    const std::string css = ColorToCss(TitleColor());
    return css.empty() ? Json(nullptr) : Json(css);
  }
  return Control::RenderProp(key);
}

void TUniStringGrid::RenderInto(Json& node) const {
  Control::RenderInto(node);
  Json& p = node["p"];
  p["cols"] = ColCount();
  p["rows"] = RowCount();
  p["fixedCols"] = FixedCols();
  p["fixedRows"] = FixedRows();
  p["cells"] = RenderCells();
  if (OnDrawCell.Assigned()) p["cellStyles"] = styles_;
}

bool TUniStringGrid::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (type == "cell") {
    int col = 0, row = 0;
    auto v = ev.find("v");
    if (!detail::IntMember(ev, "col", col) || !detail::IntMember(ev, "row", row) || v == ev.end() ||
        !(v->is_string() || v->is_number()))
      return detail::Refused(*this, ev, "no cell value");
    if (!CellEditable(col, row)) {
      MarkChanged("cells");  // the browser shows the stored text again
      return detail::Refused(*this, ev, "cell not editable");
    }
    std::string text = v->is_string() ? v->get<std::string>() : v->dump();
    const std::string sent = text;
    bool accept = true;
    OnValidateCell(this, col, row, text, accept);
    if (!accept) {
      MarkChanged("cells");
      return true;
    }
    // A text the handler changed is not what the browser shows.
    fromBrowser_ = text == sent;
    SetCell(col, row, text);
    fromBrowser_ = false;
    if (text != sent) MarkChanged("cells");
    OnSetCellValue(this, col, row, text);
    OnChange(this);
    return true;
  }
  if (type == "select") {
    int col = 0, row = 0;
    if (!detail::IntMember(ev, "col", col) || !detail::IntMember(ev, "row", row) || col < FixedCols() ||
        row < FixedRows() || col >= ColCount() || row >= RowCount())
      return detail::Refused(*this, ev, "no such cell");
    bool canSelect = true;
    OnSelectCell(this, col, row, canSelect);
    if (canSelect) {
      StoreFromBrowser("selCol", col);
      StoreFromBrowser("selRow", row);
    } else {
      // The browser shows the selection that stays.
      MarkChanged("selCol");
      MarkChanged("selRow");
    }
    return true;
  }
  if (type == "colwidth") {
    int col = 0, width = 0;
    if (!ColumnResize()) return detail::Refused(*this, ev, "columns not resizable");
    if (!detail::IntMember(ev, "col", col) || !detail::IntMember(ev, "w", width) || col < 0 || col >= ColCount() ||
        ColWidths(col) <= 0 || width < kMinDraggedWidth || width > kMaxDraggedWidth)
      return detail::Refused(*this, ev, "no such column width");
    StoreFromBrowser("colWidths", WidthsWith(col, width));
    return true;
  }
  return Control::HandleBrowserEvent(type, ev);
}

}  // namespace plat::ui
