// The console's start-up: 1500 ms after a console page was shown (timerGo),
// its lists and edits are filled from the program folder, whether or not an
// operator has logged in yet. A step that fails leaves what it set and the
// next step runs.
#include "common/Main.h"
#include "common/MainForm.h"
#include "platform/convert.h"

void TMainForm::timerGoTimer(Component*) {
  timerGo->SetEnabled(false);

  // The playlist tree and the library tree.
  btnPLSLoadF1Click(btnPLSLoadF1);

  // The layouts of the frame-layout editor.
  FillFrameList();

  // The ticker editor: the four positions, then the text; a missing file or
  // a position that is no whole number stops there.
  {
    const std::string file = apppath + "Config\\Ticks\\Ticker.tck";
    const std::pair<const char*, TUniSpinEdit*> positions[] = {
        {"Oben", edtTickPos1}, {"Links", edtTickPos2}, {"Breite", edtTickPos3}, {"Höhe", edtTickPos4}};
    bool all = true;
    for (const auto& [key, edit] : positions) {
      const auto value = plat::TryStrToInt(ReadIniString(file, "Ticker", key, ""));
      if (!value) {
        all = false;
        break;
      }
      edit->SetValue(*value);
    }
    if (all) edtTckText->SetText(ReadIniString(file, "Ticker", "Text", ""));
  }

  // The teams of the team editor and the match report.
  FillTeamCombos();
  xmlTeam.Clear();

  // The quick-start titles.
  btnQSLoad->OnClick(btnQSLoad);

  // The match's state documents, each loaded on its own.
  LoadMatchDocuments();
}
