// The playlist editor's files: the refresh of the playlist and library
// trees, opening a playlist into the grids of frames 1 and 2, saving them
// back or under a new name, deleting the open playlist, and sending it to
// the screens or stopping them.
#include <filesystem>
#include <system_error>

#include "common/Main.h"
#include "common/MainForm.h"
#include "editor/FileFormats.h"
#include "editor/MediaLibrary.h"
#include "editor/Playlist.h"
#include "platform/io/path.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "platform/ui/escape.h"
#include "server/ServerModule.h"

namespace fs = std::filesystem;
namespace utf8 = plat::io::utf8;

namespace {

const char* const kProgs = "Config\\Progs\\";
const char* const kStopPlaylist = "System\\Stop.pyl";

// The path of a playlist below the playlist folder, or false for one that
// would leave it.
bool PlaylistFile(const std::string& apppath, const std::string& relative, std::string& file) {
  return utf8::IsValid(relative) && plat::io::JoinBelow(apppath + kProgs, relative, file);
}

void NotFoundToast(Session* session, const std::string& name) {
  session->AddJS("Ext.toast({html: \"Error:  Playlist not found:  " +
                 plat::ui::ScriptStringText(plat::ui::EscapeHtml(name)) +
                 "\" , header: false, autoCloseDelay: 3000});");
}

}  // namespace

void TMainForm::SuspendGrid(TUniStringGrid* grid) { FormSession()->ControlScript(*grid, "\x01.store.suspendEvents();"); }

void TMainForm::ResumeGrid(TUniStringGrid* grid) {
  FormSession()->ControlScript(*grid, "\x01.store.resumeEvents()");
  FormSession()->ControlScript(*grid, "\x01.view.refresh()");
}

// ---- the trees -----------------------------------------------------------------------

void TMainForm::btnPLSLoadF1Click(Component*) {
  panPLS->SetWidth(325);
  treePls->Items().Clear();
  cmbPLS->Items().Clear();
  FillLibraryTree();
  const std::string folder = apppath + kProgs;
  plat::ui::StringList paths;
  auto keep = [&] {
    for (const std::string& p : paths.Items()) cmbPLS->Items().Add(p);
  };
  // Whatever was listed before a folder failed stays in the combo; the
  // failure reaches the operator.
  try {
    ListFilesRecursive(folder, paths, ".pyl", folder);
  } catch (...) {
    keep();
    throw;
  }
  keep();
  FillTreeFromList(folder, *treePls, 1, "pyl", paths);
}

// ---- open ----------------------------------------------------------------------------

void TMainForm::treePlsClick(Component*) {
  TTreeNode* node = treePls->Selected();
  if (!node || utf8::ToLower(plat::io::ExtractFileExt(node->Text())) != ".pyl") return;
  lblPlaylist2->SetCaption(GetNodePath(node));
  std::string file;
  if (PlaylistFile(apppath, lblPlaylist2->Caption(), file) && plat::io::FileExists(file))
    btnLoadPLSClick(btnLoadPLS);
  else
    NotFoundToast(FormSession(), lblPlaylist2->Caption());
}

void TMainForm::btnLoadPLSClick(Component*) {
  Session* session = FormSession();
  for (TUniStringGrid* g : {Grid1, Grid2}) {
    g->SetColCount(1);
    g->SetRowCount(1);
    g->SetFixedCols(0);
    g->SetRowCount(0);
  }
  std::string file;
  if (!PlaylistFile(apppath, lblPlaylist2->Caption(), file) || !plat::io::FileExists(file)) {
    NotFoundToast(session, lblPlaylist2->Caption());
    return;
  }
  memoPLS->Lines().Clear();
  for (const std::string& line : plat::io::ReadLines(file)) memoPLS->Lines().Add(line);
  Grid1->SetColCount(kPlaylistGridCols);
  Grid2->SetColCount(kPlaylistGridCols);
  panFrame2->SetVisible(true);
  SuspendGrid(Grid1);
  SuspendGrid(Grid2);

  TUniStringGrid* grid = nullptr;
  for (int i = 0; i < memoPLS->Lines().Count(); ++i) {
    const plat::ui::StringList fields = SplitPlaylistLine(memoPLS->Lines()[i]);
    bool loaded = false;
    if (HasPlaylistFields(fields, plFrame)) {
      const std::string& frame = fields[plFrame];
      if (frame == "1") {
        grid = Grid1;
        nrPlsFrames->SetValue(1);
        panFrame2->SetVisible(false);
      } else if (frame == "2") {
        grid = Grid2;
        nrPlsFrames->SetValue(2);
        panFrame2->SetVisible(true);
      } else if (!grid) {
        // A first line of another frame (3) stays in the file: it goes to
        // frame 1's grid with its frame kept.
        grid = Grid1;
      }
      const int r = grid->AppendRow();
      int k = 1;
      for (; k <= 17 && HasPlaylistFields(fields, k); ++k) grid->SetCell(k, r, fields[k]);
      loaded = k > 17;
      for (int kat : {plKat1, plKat2})
        if (loaded && HasPlaylistFields(fields, kat)) grid->SetCell(kat, r, fields[kat]);
      if (loaded) {
        std::string target;
        const std::string& type = fields[plType];
        const bool missing = !plat::io::JoinBelow(apppath, fields[plPath], target) || !plat::io::FileExists(target);
        grid->SetCell(0, r, LoadedRowIcon(type, missing));
      }
    }
    if (!loaded) session->ShowToast("Error Load PLS! " + std::to_string(i));
  }
  ResumeGrid(Grid1);
  ResumeGrid(Grid2);
  if (Grid2->RowCount() == 0) panFrame2->SetVisible(false);
}

// ---- save ----------------------------------------------------------------------------

std::vector<std::string> TMainForm::PlaylistLines() {
  std::vector<std::string> lines;
  for (TUniStringGrid* g : {Grid1, Grid2})
    for (int r = 0; r < g->RowCount(); ++r) {
      const std::string time = NormalizeTime(g->Cell(plTime, r));
      lines.push_back(GridRowLine(*g, r, &time));
    }
  return lines;
}

void TMainForm::WritePlaylist(const std::string& relative) {
  std::string file;
  if (!PlaylistFile(apppath, relative, file)) throw plat::io::IoError("no playlist path: " + relative);
  memoPLS->Lines().Clear();
  const std::vector<std::string> lines = PlaylistLines();
  for (const std::string& line : lines) memoPLS->Lines().Add(line);
  // The lines of frame 1 also go to the log memo of the test page, when the
  // form has that page.
  if (auto* log = dynamic_cast<TUniMemo*>(FindComponent("memoTSLog")))
    for (int r = 0; r < Grid1->RowCount(); ++r)
      log->Lines().Add(std::to_string(r) + " " + lines[static_cast<std::size_t>(r)]);
  plat::io::WriteLines(file, lines);
  plat::LogLine(FormSession()->LogName() + ": playlist " + relative + " saved");
}

void TMainForm::btnPLSSaveClick(Component*) { WritePlaylist(lblPlaylist2->Caption()); }

void TMainForm::btnPLSSaveAsClick(Component* Sender) {
  FormSession()->Prompt("Save Playlist as: ", "", BoxIcon::Information,
                        [this, Sender](ModalResult r, const std::string& text) { SavePlaylistAsDone(Sender, r, text); });
}

void TMainForm::SavePlaylistAsDone(Component*, int AResult, const std::string& AText) {
  if (AResult != mrOk) return;
  Session* session = FormSession();
  std::string relative, why;
  if (!SaveAsTarget(apppath + kProgs, AText, relative, why)) {
    session->ShowMessage(why);
    return;
  }
  auto save = [this, relative] {
    WritePlaylist(relative);
    btnPLSLoadF1Click(btnPLSLoadF1);
  };
  std::string file;
  if (PlaylistFile(apppath, relative, file) && plat::io::FileExists(file)) {
    session->MessageDlg("Playlist " + relative + " exists. Replace it?", BoxIcon::Confirmation,
                        [save](ModalResult r) {
                          if (r == mrYes) save();
                        });
    return;
  }
  save();
}

// ---- delete --------------------------------------------------------------------------

void TMainForm::btnPLSDelClick(Component* Sender) {
  FormSession()->Prompt("Delete Playlist? ", lblPlaylist2->Caption(), BoxIcon::Information,
                        [this, Sender](ModalResult r, const std::string& text) { DeletePlaylistDone(Sender, r, text); });
}

void TMainForm::DeletePlaylistDone(Component*, int AResult, const std::string&) {
  if (AResult != mrOk) return;
  std::string file;
  if (!PlaylistFile(apppath, lblPlaylist2->Caption(), file) || !plat::io::FileExists(file)) return;
  std::error_code ec;
  if (!fs::remove(plat::io::Resolve(file), ec) || ec)
    throw plat::io::IoError("cannot delete the playlist " + lblPlaylist2->Caption() + ": " + ec.message());
  plat::LogLine(FormSession()->LogName() + ": playlist " + lblPlaylist2->Caption() + " deleted");
  btnPLSLoadF1Click(btnPLSLoadF1);
}

// ---- the screens ---------------------------------------------------------------------

void TMainForm::btnPlsPlayClick(Component*) { UniServerModule().IssueCommand("Playlist", lblPlaylist2->Caption()); }

void TMainForm::btnPlsStopClick(Component*) { UniServerModule().IssueCommand("Playlist", kStopPlaylist); }
