// Display command execution: every 800 ms a display looks at the display
// command record and, for a command it has not executed yet, puts the
// target into a register label and fires the matching step.
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "platform/io/utf8.h"
#include "server/ServerModule.h"

void TMainForm::RestartFrame(int frame) {
  TUniTimer* timers[] = {timerF1, timerF2, timerF3};
  int* indexes[] = {&Play_1, &Play_2, &Play_3};
  TUniTimer* t = timers[frame - 1];
  t->SetEnabled(false);
  *indexes[frame - 1] = -1;
  t->SetInterval(100);
}

void TMainForm::timerCMDTimer(Component*) {
  if (FormSession()->UrlParam("start") == "tessarine") return;

  TUniServerModule& server = UniServerModule();
  // Unknown kinds, and a day plan for this display's own location, are left
  // alone, the number included.
  auto ignored = [&](const TDisplayCommand& c) {
    static const char* kinds[] = {"Playlist", "Frame", "Ticker", "TickerStop", "Medium", "TestMedium", "Dayplan"};
    bool known = false;
    for (const char* k : kinds) known = known || c.sTyp == k;
    return !known || (c.sTyp == "Dayplan" &&
                      plat::io::utf8::ToLower(c.sStandort) == plat::io::utf8::ToLower(lblStandort->Caption()));
  };
  // The poll sets the number back to 1 once it passed 1000 and reads the
  // record under the same lock.
  const TDisplayCommand cmd = server.PollDisplayCommand([&](const TDisplayCommand& c) { return !ignored(c); });
  if (ignored(cmd)) return;
  const bool isNew = cmd.sCMDNr != timerCMD->Tag();
  const std::string& kind = cmd.sTyp;

  // A day plan for another location makes it this display's location at
  // once; everything else happens only for a command not executed yet (a
  // command already executed is left alone, so the poll does no file work).
  if (kind == "Dayplan") {
    lblStandort->SetCaption(cmd.sStandort);
    lblDayplan->SetCaption(cmd.sStandort);
  }
  if (!isNew) return;

  if (kind == "Playlist") {
    // A missing playlist, or a path that would leave the playlist folder,
    // consumes the command and changes nothing.
    std::string file;
    if (FindDisplayFile(*this, "Config\\Progs\\", cmd.sStandort, file)) {
      RestartFrame(1);
      timerF1->SetEnabled(true);
      RestartFrame(2);
      lblPlaylist->SetCaption(cmd.sStandort);
      btnPlaylist->OnClick(btnPlaylist);
    }
  } else if (kind == "Frame") {
    lblFrame->SetCaption(cmd.sStandort);
    btnFrame->OnClick(btnFrame);
  } else if (kind == "Ticker") {
    lblTicker->SetCaption(cmd.sStandort);
    btnTicker->OnClick(btnTicker);
  } else if (kind == "TickerStop") {
    lblTicker->SetCaption("");
    btnTicker->OnClick(btnTicker);
  } else if (kind == "Medium" || kind == "TestMedium") {
    RestartFrame(1);
    btnPlayMedium->OnClick(btnPlayMedium);
  } else if (kind == "Dayplan") {
    RestartFrame(1);
    timerF1->SetEnabled(true);
    RestartFrame(2);
    RestartFrame(3);
    btnDayplan->OnClick(btnDayplan);
  }
  timerCMD->SetTag(cmd.sCMDNr);  // done
}
