// Day plans: a display runs any plan file without raising and without a
// message box, whatever its lines hold (times, kinds, names that name the
// demo's playlists, layouts, tickers and menus or nothing).
#include "fuzz/display_session.h"
#include "fuzz/fuzz.h"

namespace {

fuzz::DisplaySession* gSession = nullptr;

bool Run(std::string_view input) {
  gSession->Write("Config/Dayplan/Fuzz", input);
  gSession->Step([](TMainForm& f) {
    f.lblDayplan->SetCaption("Fuzz");
    f.btnDayplan->OnClick(f.btnDayplan);
    // The minute scan reads the lines of the plan as loaded.
    f.timerDayplan->OnTimer(f.timerDayplan);
  }, 3000);
  // Taken in when a line of the plan applied.
  TMainForm& f = gSession->Form();
  return !f.lblPlaylist->Caption().empty() || !f.lblFrame->Caption().empty() || !f.lblTicker->Caption().empty() ||
         !f.memoMasterNavi->Lines().Empty();
}

const bool kRegistered = fuzz::Register({
    "dayplan_line",
    {"00:00        0       ", "     23:59   ", "\r\n", "        1       ", "        2       ", "        3       ",
     "Demo.pyl", "Arena.frm", "Foyer.frm", "Ticker.tck", "Hauptmenu.xml", "Untermenu.xml", "Rotation.pyl",
     "..\\", "10:15", "\xC3\xA4", "\xE4", "\t"},
    [] {
      static fuzz::DisplaySession session;
      gSession = &session;
    },
    Run,
    4096,  // a plan of about a hundred lines
});

}  // namespace
