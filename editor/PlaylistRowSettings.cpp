// The playlist row menu's operations on one row (play it on the screens,
// delete it, preview it, edit it in the item dialog) and on all rows of a
// grid (time, effect).
#include "common/Main.h"
#include "common/MainForm.h"
#include "display/MediumHtml.h"
#include "editor/FileFormats.h"
#include "editor/Playlist.h"
#include "editor/Unit3.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "server/ServerModule.h"

namespace utf8 = plat::io::utf8;

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && utf8::EqualsNoCase(std::string(text.substr(0, prefix.size())), prefix);
}

// The address a preview window may open: a web address, or a file of the
// library as the browser reaches it; empty for anything else.
std::string PreviewAddress(const std::string& path) {
  if (StartsWithNoCase(path, "http://") || StartsWithNoCase(path, "https://")) return path;
  std::string below;
  if (!StartsWithNoCase(path, "Containers\\") && !StartsWithNoCase(path, "Containers/")) return {};
  if (!utf8::IsValid(path) || !plat::io::JoinBelow("", path, below)) return {};
  std::string address = path;
  for (char& c : address)
    if (c == '\\') c = '/';
  return medium_html::MediaAddress(address);
}

}  // namespace

void TMainForm::Play1Click(Component*) {
  TUniStringGrid* grid = ChosenPlsGrid();
  const auto r = ExistingRow(grid, ChosenPlsPanel() ? ChosenPlsPanel()->Tag() : -1);
  if (!r) return;
  UniServerModule().IssueMedium("Medium", grid->Cell(plPath, *r), grid->Cell(plEff, *r) == "0" ? "false" : "true");
}

void TMainForm::UniMenuPLSDelClick(Component*) {
  TUniStringGrid* grid = ChosenPlsGrid();
  const auto r = ExistingRow(grid, ChosenPlsPanel() ? ChosenPlsPanel()->Tag() : -1);
  if (!r) return;
  DeleteGridRow(*r, *grid);
}

void TMainForm::UniMenuPLSPreviewClick(Component*) {
  TUniStringGrid* grid = ChosenPlsGrid();
  const auto r = ExistingRow(grid, ChosenPlsPanel() ? ChosenPlsPanel()->Tag() : -1);
  if (!r) return;
  Session* session = FormSession();
  const std::string& type = grid->Cell(plType, *r);
  const std::string& path = grid->Cell(plPath, *r);
  if (type == "16") {
    std::string file;
    const bool below = utf8::IsValid(path) && plat::io::JoinBelow(apppath, path, file);
    if (!below) plat::LogLine(session->LogName() + ": refused stream file outside the program folder: " +
                              utf8::ReplaceInvalid(path));
    session->ShowMessage("Stream URL: " + (below ? ReadIniString(file, "Settings", "start", "") : std::string()));
    return;
  }
  const std::string address = PreviewAddress(path);
  if (address.empty()) {
    plat::LogLine(session->LogName() + ": no preview of the address " + utf8::ReplaceInvalid(path));
    session->ShowToast("No preview: the address is neither a web address nor a library file.");
    return;
  }
  session->BrowserWindow(address, "_blank", "resizable=yes,status=yes,scrollbars=no,menubar=no,location=no");
}

void TMainForm::UniMenuPLSSettClick(Component*) {
  TUniStringGrid* grid = ChosenPlsGrid();
  const auto r = ExistingRow(grid, UniMenuPLSSett->Tag());
  if (!r) return;
  TfrmMedium* dialog = frmMedium();
  dialog->Show();
  dialog->edtName->SetText(grid->Cell(plFile, *r));
  dialog->edtOrt->SetText(grid->Cell(plPath, *r));
  dialog->edtOrt->SetHint(grid->Cell(plType, *r));
  dialog->lblFrame->SetTag(popupPLS->Tag());
  dialog->lblFrame->SetCaption(std::to_string(*r));
  dialog->SetCaption("Settings - " + grid->Cell(plFile, *r));
}

// ---- all rows ------------------------------------------------------------------------

void TMainForm::SetColumnOfAllRows(int col, const std::string& text) {
  TUniStringGrid* grid = ChosenPlsGrid();
  if (!grid) return;
  SuspendGrid(grid);
  grid->BeginUpdate();
  for (int r = 0; r < grid->RowCount(); ++r) grid->SetCell(col, r, text);
  grid->EndUpdate();
  ResumeGrid(grid);
}

void TMainForm::ZeitEinstellen1Click(Component* Sender) {
  FormSession()->Prompt("Set Time", "00:10", BoxIcon::Information,
                        [this, Sender](ModalResult r, const std::string& text) { SetTimeAllDone(Sender, r, text); });
}

void TMainForm::SetTimeAllDone(Component*, int AResult, const std::string& AText) {
  if (AResult != mrOk) return;
  SetColumnOfAllRows(plTime, PlaylistCellText(AText));
}

void TMainForm::Effekteinstellen1Click(Component* Sender) {
  FormSession()->Prompt("Set Effect Nr: ", "0", BoxIcon::Information,
                        [this, Sender](ModalResult r, const std::string& text) { SetEffectAllDone(Sender, r, text); });
}

void TMainForm::SetEffectAllDone(Component*, int AResult, const std::string& AText) {
  if (AResult != mrOk) return;
  const std::string effect = PlaylistCellText(AText);
  if (!IsWholeNumber(effect)) {
    FormSession()->ShowMessage("The effect is a whole number: 0 cuts, any other number cross-fades.");
    return;
  }
  SetColumnOfAllRows(plEff, effect);
}
