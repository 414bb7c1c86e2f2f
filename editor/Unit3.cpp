#include "editor/Unit3.h"

#include "common/MainForm.h"
#include "editor/FileFormats.h"
#include "editor/Playlist.h"
#include "platform/convert.h"
#include "server/MainModule.h"

TfrmMedium::TfrmMedium(plat::session::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmMedium* frmMedium() { return UniMainModule()->Dialog<TfrmMedium>(); }

void TfrmMedium::btnApplyClick(plat::ui::Component*) {
  TMainForm* form = MainForm();
  plat::ui::TUniStringGrid* grid = lblFrame->Tag() == 1 ? form->Grid1 : lblFrame->Tag() == 2 ? form->Grid2 : nullptr;
  const auto row = form->ExistingRow(grid, plat::TryStrToInt(lblFrame->Caption()).value_or(-1));
  // The grids may have changed while the dialog was open: only a row that
  // is still there and still a web address takes the texts.
  if (row && edtOrt->Hint() == kWebAddressCode && grid->Cell(plType, *row) == kWebAddressCode) {
    grid->SetCell(plFile, *row, PlaylistCellText(edtName->Text()));
    grid->SetCell(plPath, *row, PlaylistCellText(edtOrt->Text()));
  }
  Close();
}

void TfrmMedium::btnCancelClick(plat::ui::Component*) { Close(); }
