#pragma once
// The match report ("Spielbericht") of a team: the players it fields for a
// match, each in a numbered slot. It lives in the team's roster: a player on
// the report holds its slot as "SpBerNr" and "Ja" as "Aktiv", every other
// player "0" and "Nein".
//
// The report grid has four columns: the slot, the shirt number, the first
// and the last name. The roster grid is the team editor's (columns as in
// kPlayerFields).
#include <string_view>

#include "platform/io/xml_document.h"
#include "platform/ui/grid_model.h"

// The slots of a new report.
inline constexpr int kReportSlots = 26;

// Columns of the report grid.
inline constexpr int kReportSlotCol = 0, kReportNumberCol = 1, kReportFirstNameCol = 2, kReportLastNameCol = 3;

// Fills the report grid from a loaded roster: one row per player whose
// "SpBerNr" is not exactly "0" (an empty or missing one is on the report),
// with its "SpBerNr", "Nr", "Vorname" and "Nachname", in file order. The
// root's first child is the header and always skipped. One grid update.
void ReportFromRoster(const plat::io::XmlDocument& doc, plat::ui::GridModel& report);

// A new report: every roster row off the report ("SpBerNr" "0", "Aktiv"
// "Nein"), and the report grid exactly kReportSlots empty slots numbered
// "1" onward.
void StartNewReport(plat::ui::GridModel& report, plat::ui::GridModel& roster);

// The last roster row whose shirt number is exactly `number`; -1 when there
// is none. An empty number names no player.
int FindPlayerByNumber(const plat::ui::GridModel& roster, std::string_view number);

// What the number check finds for one slot of the report.
enum class SlotCheck {
  kNone,       // no number, or "?": the slot is not checked
  kDuplicate,  // another slot holds the same number
  kUnknown,    // no roster player has that number
  kPlayer,     // the number names a roster player
};
struct SlotCheckResult {
  SlotCheck kind = SlotCheck::kNone;
  int rosterRow = -1;  // with kPlayer
};
SlotCheckResult CheckSlot(const plat::ui::GridModel& report, int row, const plat::ui::GridModel& roster);

// Writes the report into the roster grid: every player off the report,
// then each player whose number a slot holds gets that slot's column 0 as
// "SpBerNr" and "Aktiv" "Ja" (a later slot of the same number wins). Empty
// numbers put nobody on the report.
void ReportToRoster(const plat::ui::GridModel& report, plat::ui::GridModel& roster);
