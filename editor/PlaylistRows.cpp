// The playlist editor's rows: which grid and row the operator works on,
// rows from the media library and web-address rows, moving a row one place
// or to the top or bottom of its grid, and the frame count.
#include "common/Main.h"
#include "common/MainForm.h"
#include "editor/FileFormats.h"
#include "editor/MediaLibrary.h"
#include "editor/Playlist.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "platform/ui/escape.h"

namespace utf8 = plat::io::utf8;

namespace {

// The start address of a new web-address row; the item dialog changes it.
const char* const kDefaultWebAddress = "https://www.example.com/";

}  // namespace

// ---- the chosen grid and row ---------------------------------------------------------

TUniStringGrid* TMainForm::ChosenPlsGrid() {
  switch (popupPLS->Tag()) {
    case 1: return Grid1;
    case 2: return Grid2;
    default: return nullptr;
  }
}

TUniPanel* TMainForm::ChosenPlsPanel() {
  switch (popupPLS->Tag()) {
    case 1: return panFrame1;
    case 2: return panFrame2;
    default: return nullptr;
  }
}

std::optional<int> TMainForm::ExistingRow(TUniStringGrid* grid, int row) {
  if (!grid || row < 0 || row >= grid->RowCount()) return std::nullopt;
  return row;
}

void TMainForm::Grid1Click(Component*) { popupPLS->SetTag(Grid1->Tag()); }

void TMainForm::Grid2Click(Component*) { popupPLS->SetTag(Grid2->Tag()); }

void TMainForm::Grid1MouseDown(Component*, MouseButton Button, ShiftState, int X, int Y) {
  popupPLS->SetTag(Grid1->Tag());
  if (Button == MouseButton::Right) popupPLS->Popup(X, Y, Grid1);
}

void TMainForm::Grid2MouseDown(Component*, MouseButton Button, ShiftState, int X, int Y) {
  popupPLS->SetTag(Grid2->Tag());
  if (Button == MouseButton::Right) popupPLS->Popup(X, Y, Grid2);
}

void TMainForm::Grid1SelectCell(Component*, int, int ARow, bool&) {
  panFrame1->SetTag(ARow);
  UniMenuPLSSett->SetTag(ARow);
}

void TMainForm::Grid2SelectCell(Component*, int, int ARow, bool&) {
  panFrame2->SetTag(ARow);
  UniMenuPLSSett->SetTag(ARow);
}

void TMainForm::GridPlsValidateCell(Component*, int ACol, int, std::string& Value, bool& Accept) {
  Value = PlaylistCellText(Value);
  // The display takes the effect as a whole number; anything else would
  // make an item that never shows.
  if (ACol == plEff && !IsWholeNumber(Value)) {
    Accept = false;
    FormSession()->ShowToast("Eff: a whole number, 0 = cut");
  }
}

// ---- one place up or down ------------------------------------------------------------

void TMainForm::panFrame1ToolClick(Component*, const std::string& ButtonId) {
  nSelPan = panFrame1;
  nSelGrid = Grid1;
  if (ButtonId == "0") btnF1DownClick(btnF1Down);
  else if (ButtonId == "1") btnF1UpClick(btnF1Up);
}

void TMainForm::panFrame2ToolClick(Component*, const std::string& ButtonId) {
  nSelPan = panFrame2;
  nSelGrid = Grid2;
  if (ButtonId == "0") btnF1DownClick(btnF1Down);
  else if (ButtonId == "1") btnF1UpClick(btnF1Up);
}

void TMainForm::MoveRowOnePlace(int step) {
  if (!nSelGrid || !nSelPan) return;
  const auto s = ExistingRow(nSelGrid, nSelPan->Tag());
  if (!s || !ExistingRow(nSelGrid, *s + step)) return;
  SuspendGrid(nSelGrid);
  nSelGrid->BeginUpdate();
  SwapGridRows(*nSelGrid, *s, *s + step);
  nSelPan->SetTag(*s + step);
  nSelGrid->SetRow(*s + step);
  RenumberGridRows(*nSelGrid);
  nSelGrid->EndUpdate();
  ResumeGrid(nSelGrid);
}

void TMainForm::btnF1DownClick(Component*) { MoveRowOnePlace(+1); }

void TMainForm::btnF1UpClick(Component*) { MoveRowOnePlace(-1); }

// ---- top and bottom ------------------------------------------------------------------

void TMainForm::MoveRowToEnd(bool top) {
  TUniStringGrid* grid = ChosenPlsGrid();
  TUniPanel* panel = ChosenPlsPanel();
  if (!grid || !panel) return;
  const auto s = ExistingRow(grid, panel->Tag());
  if (!s) return;
  memoPLSMove->Lines().Clear();
  SuspendGrid(grid);
  grid->BeginUpdate();
  std::vector<std::string> lines;
  for (int r = 0; r < grid->RowCount(); ++r) lines.push_back(GridRowLine(*grid, r));
  const std::string moved = lines[static_cast<std::size_t>(*s)];
  lines.erase(lines.begin() + *s);
  if (top) lines.insert(lines.begin(), moved);
  else lines.push_back(moved);
  for (const std::string& line : lines) memoPLSMove->Lines().Add(line);
  grid->SetRowCount(0);
  for (int j = 0; j < memoPLSMove->Lines().Count(); ++j) {
    const plat::ui::StringList fields = SplitPlaylistLine(memoPLSMove->Lines()[j]);
    const int r = grid->AppendRow();
    grid->SetCell(plNr, r, std::to_string(j + 1));
    for (int k = plFile; k <= kPlaylistFields && HasPlaylistFields(fields, k); ++k) grid->SetCell(k, r, fields[k]);
    grid->SetCell(0, r, RebuiltRowIcon(grid->Cell(plType, r), grid->Cell(plWeekdays, r)));
  }
  grid->EndUpdate();
  ResumeGrid(grid);
}

void TMainForm::op1Click(Component*) { MoveRowToEnd(true); }

void TMainForm::Bottom1Click(Component*) { MoveRowToEnd(false); }

// ---- new rows ------------------------------------------------------------------------

void TMainForm::btnPLSUrlClick(Component*) {
  TUniStringGrid* grid = ChosenPlsGrid();
  if (!grid) return;
  SuspendGrid(grid);
  const int r = grid->AppendRow();
  grid->SetCell(0, r, kWebAddressIcon);
  grid->SetCell(plNr, r, std::to_string(r + 1));
  grid->SetCell(plFile, r, "select url");
  grid->SetCell(plTime, r, "00:10");
  grid->SetCell(plVol, r, "0");
  grid->SetCell(plEff, r, "0");
  grid->SetCell(plPath, r, kDefaultWebAddress);
  grid->SetCell(plFrame, r, std::to_string(popupPLS->Tag()));
  grid->SetCell(plType, r, kWebAddressCode);
  ResumeGrid(grid);
}

void TMainForm::AddLibraryFiles(TUniStringGrid* grid, const std::string& frame) {
  Session* session = FormSession();
  if (listCont->SelCount() == 0) {
    session->AddJS("Ext.toast({html: \"Info: Please select medium ...\", header: false, autoCloseDelay: 3000});");
    return;
  }
  std::vector<std::string> refused;
  for (int i = 0; i < listCont->Items().Count(); ++i) {
    if (!listCont->Selected(i)) continue;
    popupCont->SetTag(i);
    const std::string name = LibraryItemFileName(listCont->Items()[i]);
    // A playlist line has no quoting: a comma would split the row.
    if (!FitsPlaylistLine(name)) {
      refused.push_back(name);
      continue;
    }
    SuspendGrid(grid);
    const int r = grid->AppendRow();
    grid->SetCell(plNr, r, std::to_string(r + 1));
    grid->SetCell(plFile, r, name);
    grid->SetCell(plTime, r, "00:10");
    grid->SetCell(plVol, r, "0");
    grid->SetCell(plEff, r, "0");
    grid->SetCell(plPath, r, "Containers\\" + lblContFile->Caption() + "\\" + name);
    grid->SetCell(plFrame, r, frame);
    const AddedKind kind = KindOfLibraryFile(name);
    grid->SetCell(plType, r, kind.type);
    grid->SetCell(0, r, kind.icon);
    ResumeGrid(grid);
  }
  if (!refused.empty()) {
    std::string names;
    for (const std::string& n : refused) names += (names.empty() ? "" : ", ") + utf8::ReplaceInvalid(n);
    session->ShowMessage("Not added: a playlist cannot hold a file whose name holds a comma (" + names +
                         "). Rename the file in the library first.");
  }
}

void TMainForm::MenuCont1Click(Component*) { AddLibraryFiles(Grid1, "1"); }

void TMainForm::MenuCont2Click(Component*) { AddLibraryFiles(Grid2, std::to_string(MenuCont2->Tag())); }

// ---- frames shown --------------------------------------------------------------------

void TMainForm::nrPlsFramesChange(Component*) {
  if (nrPlsFrames->Value() == 1) panFrame2->SetVisible(false);
  else if (nrPlsFrames->Value() == 2) panFrame2->SetVisible(true);
}
