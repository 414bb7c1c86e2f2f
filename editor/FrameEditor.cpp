// The frame-layout editor: a layout of "Config\Frames\" in GridFrame2, one
// row per line (row 0 the display area, row i the frame panel panF<i>), the
// number of active frames, one colour for all rows, saving and sending the
// layout to the screens. The preview panel shows the frames at half scale.
#include "editor/FrameEditor.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "common/Main.h"
#include "common/MainForm.h"
#include "editor/FileFormats.h"
#include "platform/convert.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "server/ServerModule.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFramesFolder = "Config\\Frames\\";

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

const char* ColumnTitle(int col) {
  switch (col) {
    case flTop: return "Top";
    case flLeft: return "Left";
    case flWidth: return "Width";
    case flHeight: return "Height";
    case flColor: return "Color";
    default: return "";
  }
}

// A cell as the operator typed it, fit for a line of a layout: no commas
// (they would shift every later cell) and no line breaks.
std::string LayoutCellText(std::string_view typed) {
  std::string out;
  for (char c : typed)
    if (c != ',' && c != '\r' && c != '\n') out += c;
  const auto first = out.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string ColorToHtml(int color) {
  const unsigned c = static_cast<unsigned>(color);
  if (color < 0 && (c & 0xFFFFFF00u) == 0xFF000000u) {
    std::string css = plat::ui::ColorToCss(color);
    for (char& ch : css) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return css;
  }
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  return buf;
}

int HtmlColorToInt(std::string_view text) {
  const std::string_view digits = text.empty() ? text : text.substr(1);
  const bool hex = digits.size() == 6 && std::all_of(digits.begin(), digits.end(), IsHexDigit);
  if (!hex)
    throw std::invalid_argument("\"" + std::string(text) +
                                "\" is not a colour: type \"#\" and six hexadecimal digits, such as #0E3B82.");
  const std::string bgr = "$" + std::string(digits.substr(4, 2)) + std::string(digits.substr(2, 2)) +
                          std::string(digits.substr(0, 2));
  return plat::StrToInt(bgr);
}

bool IsLayoutFileName(std::string_view name) {
  if (!plat::io::IsPlainName(name) || !plat::io::utf8::IsValid(name) || name.size() <= 4) return false;
  std::string ext(name.substr(name.size() - 4));
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext == ".frm";
}

bool LayoutCellValid(int col, std::string_view text) {
  if (col == flTop || col == flLeft || col == flWidth || col == flHeight)
    return plat::TryStrToInt(text).has_value() && text.find('$') == std::string_view::npos &&
           text.find("0x") == std::string_view::npos && text.find("0X") == std::string_view::npos;
  if (col == flColor)
    return !text.empty() && text.size() <= 8 && std::all_of(text.begin(), text.end(), IsHexDigit);
  return true;
}

// ---- the list of layouts ----------------------------------------------------

void TMainForm::FillFrameList() {
  cmbFrame->Items().Clear();
  cmbFrame->SetHint(apppath + kFramesFolder);
  plat::ui::StringList names;
  ListFilesByExt(cmbFrame->Hint(), names, ".frm");
  cmbFrame->Items().Assign(names);
}

// ---- opening ------------------------------------------------------------------

void TMainForm::cmbFrameChange(Component*) {
  // Only a layout of the layout folder is opened; a name typed half-way, or
  // one that names no file, opens nothing.
  const std::string name = cmbFrame->Text();
  if (!IsLayoutFileName(name)) return;
  const std::string file = apppath + kFramesFolder + name;
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(plat::io::Resolve(file), ec))) return;

  Session* session = FormSession();
  session->ControlScript(*GridFrame2, "\x01.store.suspendEvents();");
  GridFrame2->BeginUpdate();
  auto close = [&] {
    GridFrame2->EndUpdate();
    session->ControlScript(*GridFrame2, "\x01.store.resumeEvents()");
    session->ControlScript(*GridFrame2, "\x01.view.refresh()");
  };
  try {
    LoadCsvIntoGrid(file, *GridFrame2);
  } catch (const std::exception& e) {
    close();
    session->ShowMessage("Layout " + name + " cannot be opened: " + e.what());
    return;
  }

  TUniSpinEdit* display[] = {edtFramesDTop, edtFramesDLeft, edtFramesDWidth, edtFramesDHeight};
  for (int col = flTop; col <= flHeight; ++col)
    if (auto v = plat::TryStrToInt(GridFrame2->Cells(col, 0))) display[col - flTop]->SetValue(*v);
  if (auto color = plat::TryStrToInt("$" + GridFrame2->Cells(flColor, 0))) {
    panFBColor->SetColor(*color);
    edtFbColor->SetText(ColorToHtml(*color));
  }

  int active = 0;
  for (int i = 0; i < AppliedFrameLayoutRows(GridFrame2->RowCount()); ++i)
    if (GridFrame2->Cells(flAktiv, i) == "1") ++active;
  const int fileRows = GridFrame2->RowCount();
  close();
  nrFrames->SetValue(active);
  btnFrameSave->SetTag(fileRows);
  GridFrame2->SetRowCount(std::min(active, nrFrames->MaxValue()) + 1);
  ShowFramePreview();
}

// ---- the frame count ------------------------------------------------------------

void TMainForm::nrFramesChange(Component*) {
  GridFrame2->SetCells(flAktiv, GridFrame2->RowCount() - 1, "0");
  GridFrame2->SetRowCount(nrFrames->Value() + 1);
  ShowFramePreview();
}

// ---- editing ----------------------------------------------------------------------

void TMainForm::GridFrame2DrawCell(Component*, int, int, CellText& Cell) { Cell.fontColor = 0xFFFFFF; }

void TMainForm::GridFrame2SetCellValue(Component*, int ACol, int ARow, const std::string& Value) {
  const std::string cell = LayoutCellText(Value);
  if (cell != Value) GridFrame2->SetCells(ACol, ARow, cell);
  ShowFramePreview();
}

void TMainForm::btnFrmSetClick(Component*) {
  int color = 0;
  try {
    color = HtmlColorToInt(edtFbColor->Text());
  } catch (const std::invalid_argument& e) {
    FormSession()->ShowMessage(e.what());
    return;
  }
  panFBColor->SetColor(color);
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(color));
  for (int row = 0; row < GridFrame2->RowCount(); ++row) GridFrame2->SetCells(flColor, row, digits);
  ShowFramePreview();
}

// ---- the preview ------------------------------------------------------------------

void TMainForm::ShowFramePreview() {
  TUniPanel* frames[] = {panPrev1, panPrev2, panPrev3, panPrev4, panPrev5};
  for (TUniPanel* p : frames) p->SetVisible(false);
  if (auto color = plat::TryStrToInt("$" + GridFrame2->Cells(flColor, 0))) panFramePreview->SetColor(*color);
  // The shown rows are the frames a save makes active; only rows of the
  // file that a display applies (all but its last two) can show.
  const int stored = std::max(btnFrameSave->Tag(), GridFrame2->RowCount());
  const int last = std::min({GridFrame2->RowCount() - 1, AppliedFrameLayoutRows(stored) - 1, 5});
  for (int i = 1; i <= last; ++i) {
    const auto top = plat::TryStrToInt(GridFrame2->Cells(flTop, i));
    const auto left = plat::TryStrToInt(GridFrame2->Cells(flLeft, i));
    const auto width = plat::TryStrToInt(GridFrame2->Cells(flWidth, i));
    const auto height = plat::TryStrToInt(GridFrame2->Cells(flHeight, i));
    if (!top || !left || !width || !height) continue;
    TUniPanel* p = frames[i - 1];
    p->SetBounds(*left / 2, *top / 2, *width / 2, *height / 2);
    p->SetVisible(true);
  }
  // Frame 1 lies above frame 2, and so on, as on a display.
  for (int i = 4; i >= 0; --i)
    if (frames[i]->Visible()) frames[i]->BringToFront();
}

// ---- saving -------------------------------------------------------------------------

void TMainForm::btnFrameSaveClick(Component*) {
  Session* session = FormSession();
  const std::string name = cmbFrame->Text();
  if (!IsLayoutFileName(name)) {
    session->ShowMessage("\"" + name + "\" is not a layout name: choose a layout or type one file name ending in \".frm\".");
    return;
  }
  const int fileRows = btnFrameSave->Tag();
  if (fileRows <= 0) {
    session->ShowMessage("No layout is open: open one before saving.");
    return;
  }
  const int shown = GridFrame2->RowCount();
  // Rows that become active must be something a display can apply; it stops
  // at the first row it cannot read.
  for (int row = 0; row < shown; ++row)
    for (int col : {int(flTop), int(flLeft), int(flWidth), int(flHeight), int(flColor)})
      if (!LayoutCellValid(col, GridFrame2->Cells(col, row))) {
        session->ShowMessage("Row " + std::to_string(row) + ", column \"" + ColumnTitle(col) + "\": \"" +
                             GridFrame2->Cells(col, row) + "\" is not " +
                             (col == flColor ? "a colour (one to eight hexadecimal digits)" : "a whole number") +
                             ". The layout was not saved.");
        return;
      }

  // Every row of the file is written, also those beyond the frame count.
  GridFrame2->SetRowCount(fileRows);
  struct ShownAgain {
    TUniStringGrid* grid;
    int rows;
    ~ShownAgain() { grid->SetRowCount(rows); }
  } shownAgain{GridFrame2, shown};

  memoFrame->Lines().Clear();
  session->ControlScript(*GridFrame2, "\x01.store.suspendEvents();");
  std::string text;
  memoFrame->Lines().BeginUpdate();
  for (int i = 0; i < fileRows; ++i) {
    GridFrame2->SetCells(flAktiv, i, i == 0 ? "" : i < shown ? "1" : "0");
    std::vector<std::string> cells;
    for (int col = 0; col < flIndex; ++col) cells.push_back(GridFrame2->Cells(col, i));
    const std::string line = FormatFrameLayoutLine(cells, i);
    memoFrame->Lines().Add(line);
    text += line + "\r\n";
  }
  memoFrame->Lines().EndUpdate();
  session->ControlScript(*GridFrame2, "\x01.store.resumeEvents()");
  session->ControlScript(*GridFrame2, "\x01.view.refresh()");
  plat::io::WriteTextFile(apppath + kFramesFolder + name, text, plat::io::Encoding::Cp1252);
}

// ---- sending --------------------------------------------------------------------------

void TMainForm::btnFRMPlayClick(Component*) {
  const std::string name = cmbFrame->Text();
  if (!IsLayoutFileName(name)) {
    FormSession()->ShowMessage("Choose a layout to send.");
    return;
  }
  UniServerModule().IssueCommand("Frame", name);
}
