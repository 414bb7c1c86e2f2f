// Frame layout on the display: which frame panels show, where, and the
// background colour.
#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "editor/FileFormats.h"
#include "platform/convert.h"

void TMainForm::btnFrameClick(Component*) {
  // A name that would leave the layout folder counts as missing.
  std::string file;
  if (!FindDisplayFile(*this, "Config\\Frames\\", lblFrame->Caption(), file)) return;

  TUniPanel* frames[] = {panF1, panF2, panF3, panF4, panF5};
  for (TUniPanel* p : frames) p->SetVisible(false);

  Session* session = FormSession();
  session->ControlScript(*GridFrame, "\x01.store.suspendEvents();");
  GridFrame->BeginUpdate();
  // The grid's update and the browser's store are closed in every case, so
  // a bad layout cannot leave the engine page's grid frozen; the row count
  // (panels shown plus one) is set only when the whole layout applied.
  auto close = [&](int rows) {
    GridFrame->EndUpdate();
    if (rows > 0) GridFrame->SetRowCount(rows);
    session->ControlScript(*GridFrame, "\x01.store.resumeEvents()");
    session->ControlScript(*GridFrame, "\x01.view.refresh()");
  };
  auto fail = [&](const std::string& why) {
    LogDisplayError(*this, "[error], --> Frame " + lblFrame->Caption() + ": " + why, "layout " + file + ": " + why);
    close(0);
  };

  try {
    LoadCsvIntoGrid(file, *GridFrame);
  } catch (const std::exception& e) {
    return fail(e.what());
  }

  if (auto color = plat::TryStrToInt("$" + GridFrame->Cell(flColor, 0))) panBack->SetColor(*color);

  int shown = 0;
  for (int i = 0; i < AppliedFrameLayoutRows(GridFrame->RowCount()); ++i) {
    if (GridFrame->Cell(flAktiv, i) != "1") continue;
    const auto top = plat::TryStrToInt(GridFrame->Cell(flTop, i));
    const auto left = plat::TryStrToInt(GridFrame->Cell(flLeft, i));
    const auto width = plat::TryStrToInt(GridFrame->Cell(flWidth, i));
    const auto height = plat::TryStrToInt(GridFrame->Cell(flHeight, i));
    // Rows before a bad one stay applied; later rows are not looked at.
    if (!top || !left || !width || !height) return fail("row " + std::to_string(i) + " has no whole-number geometry");
    // Only rows 1 to 5 name a frame panel.
    if (i < 1 || i > 5) continue;
    TUniPanel* p = frames[i - 1];
    p->SetVisible(true);
    p->SetBounds(*left, *top, *width, *height);
    // Applied as written; the log tells an operator why the frame vanished.
    if (*width <= 0 || *height <= 0)
      DisplayLog(*this, "[info], --> Frame " + lblFrame->Caption() + ": " + p->Name() + " is " +
                           std::to_string(*width) + " x " + std::to_string(*height) + " pixels and cannot be seen");
    ++shown;
  }
  close(shown + 1);

  // Frame 1 lies above frame 2, frame 2 above frame 3, and so on.
  for (int i = 4; i >= 1; --i)
    if (frames[i]->Visible()) frames[i]->BringToFront();
  panF1->BringToFront();
}
