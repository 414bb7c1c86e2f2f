// The console's start-up: 1500 ms after a console page was shown (timerGo),
// its lists, edits, the score and the state documents are filled from the
// program folder, whether or not an operator has logged in yet. A step that
// fails leaves what it set and the next step runs; an error an operator
// must know of is shown once.
#include "common/Main.h"
#include "common/MainForm.h"
#include "match/TeamEditor.h"
#include "match/Unit2.h"
#include "platform/convert.h"
#include "platform/log.h"

namespace {

// Runs one step; a failure is logged, and shown when `show` is set.
template <typename Step>
void Guarded(TMainForm& form, const char* what, bool show, Step&& step) {
  try {
    step();
  } catch (const std::exception& e) {
    plat::LogLine(form.FormSession()->LogName() + ": start-up, " + what + ": " + e.what());
    if (show) form.FormSession()->ShowMessage(e.what());
  }
}

}  // namespace

void TMainForm::timerGoTimer(Component*) {
  timerGo->SetEnabled(false);

  // The playlist tree and the library tree. When the playlist folder cannot
  // be listed the rest still loads: without the score below, the next score
  // apply would overwrite the stored one with 0:0.
  Guarded(*this, "playlists", true, [&] { btnPLSLoadF1Click(btnPLSLoadF1); });

  // The layouts of the frame-layout editor.
  Guarded(*this, "layouts", false, [&] { FillFrameList(); });

  // The ticker editor: the four positions, then the text; a missing file or
  // a position that is no whole number stops there.
  Guarded(*this, "ticker", false, [&] {
    const std::string file = apppath + "Config\\Ticks\\Ticker.tck";
    const std::pair<const char*, TUniSpinEdit*> positions[] = {
        {"Oben", edtTickPos1}, {"Links", edtTickPos2}, {"Breite", edtTickPos3}, {"Höhe", edtTickPos4}};
    for (const auto& [key, edit] : positions) edit->SetValue(plat::StrToInt(ReadIniString(file, "Ticker", key, "")));
    edtTckText->SetText(ReadIniString(file, "Ticker", "Text", ""));
  });

  // The teams of the team editor and the match report, and the match's
  // teams on the score panel with their logos.
  FillTeamCombos();
  xmlTeam.Clear();
  panH1->SetTitle(ReadMatchSetting("Heim"));
  panG1->SetTitle(ReadMatchSetting("Gast"));
  comboMHeim->SetText(panH1->Title());
  comboMGast->SetText(panG1->Title());
  logoHeim->SetCaption(TeamLogoHtml(comboMHeim->Text(), 115));
  logoGast->SetCaption(TeamLogoHtml(comboMGast->Text(), 115));

  // The quick-start titles; an amateur who logged in already keeps the
  // titles of that account.
  if (listQS->Tag() == kAmateurQuickStartTitles)
    btnQSALoad->OnClick(btnQSALoad);
  else
    btnQSLoad->OnClick(btnQSLoad);

  // The displays' clock page, shown on the score panel as well.
  lblTime->SetCaption(
      "<iframe src=\"Containers/System/files/SpielUhrPreview.html\" scrolling=\"no\" style=\"border:0px\"  height=\"" +
      std::to_string(lblTime->Height()) + "\" width=\"" + std::to_string(lblTime->Width()) + "\"></iframe>");

  // The score as last applied; both counters or neither.
  Guarded(*this, "score", false, [&] {
    nTorHeim = 0;
    nTorGast = 0;
    const int home = plat::StrToInt(ReadMatchSetting("TorHeim"));
    const int guest = plat::StrToInt(ReadMatchSetting("TorGast"));
    nTorHeim = home;
    nTorGast = guest;
  });
  ShowScore();

  // The match's state documents, each loaded on its own (a toast for each
  // that cannot be).
  LoadMatchDocuments();

  // The stored clock settings, applied through the clock dialog without
  // showing it; the dialog is freed also when the apply fails (it does when
  // spielstand.xml could not be loaded).
  TfrmUhr* clock = frmUhr();
  Guarded(*this, "clock settings", true, [&] {
    clock->FillFromSettings();
    clock->btnApply->OnClick(clock->btnApply);
  });
  clock->Close();
}
