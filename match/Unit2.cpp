// The clock dialog: the period scheme with its lengths, the added time, the
// extra-time length and the correction of the running period's start.
#include "match/Unit2.h"

#include <cstdint>

#include "common/MainForm.h"
#include "match/MatchState.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "server/MainModule.h"

TfrmUhr::TfrmUhr(plat::session::Session* session) : plat::ui::Form(session) { BuildComponents(); }

TfrmUhr* frmUhr() { return UniMainModule()->Dialog<TfrmUhr>(); }

std::optional<std::string> CorrectedPeriodStart(std::string_view typed, int nowSeconds) {
  // Minutes and seconds are read as the minutes and seconds of a time of
  // day, so neither may reach 60 and there is no third field.
  const std::optional<int> passed = plat::ParseTimeOfDay("00:" + std::string(typed));
  if (!passed) return std::nullopt;
  constexpr int kDay = 24 * 60 * 60;
  const int start = ((nowSeconds - *passed) % kDay + kDay) % kDay;
  plat::DateTime t;
  t.hour = start / 3600;
  t.minute = start / 60 % 60;
  t.second = start % 60;
  return plat::FormatTime(t);
}

void TfrmUhr::FillFromSettings() {
  TMainForm* main = MainForm();
  const std::string scheme = main->ReadMatchSetting("Spielabschnitt");
  if (scheme == "2") rad2h->SetChecked(true);
  if (scheme == "3") rad3h->SetChecked(true);
  if (scheme == "4") rad4h->SetChecked(true);
  edt2h->SetText(main->ReadMatchSetting("HalbzeitDauer2"));
  edt3h->SetText(main->ReadMatchSetting("HalbzeitDauer3"));
  edt4h->SetText(main->ReadMatchSetting("HalbzeitDauer4"));
  edtNach->SetText(main->ReadMatchSetting("Nachspielzeit"));
  edtVerl->SetText(main->ReadMatchSetting("Verl\xC3\xA4ngerung"));
}

void TfrmUhr::btnAUhrClick(plat::ui::Component*) {
  TMainForm* main = MainForm();
  const plat::DateTime now = plat::Now();
  const std::string typed = edtUhrKorr->Text();
  const std::optional<std::string> start = CorrectedPeriodStart(typed, now.hour * 3600 + now.minute * 60 + now.second);
  if (!start) throw plat::ConvertError("'00:" + typed + "' is not a valid time");
  std::vector<MatchChange> changes;
  if (typed == "00:00") changes.push_back({{"settings", "Spielabschnitt"}, "0"});
  else changes.push_back({{"settings", "gameTimeStatus"}, "Start"});
  changes.push_back({{"settings", "gameTime"}, *start});
  ChangeMatchDocument(main->xmlSpielstand, main->SpielstandFile(), changes);
}

void TfrmUhr::UniButton3Click(plat::ui::Component*) {
  TMainForm* main = MainForm();
  ChangeMatchDocument(main->xmlSpielstand, main->SpielstandFile(), {{{"settings", "NachspielZeit"}, edtNach->Text()}});
}

void TfrmUhr::btnApplyClick(plat::ui::Component*) {
  TMainForm* main = MainForm();
  main->WriteMatchSetting("HalbzeitDauer2", edt2h->Text());
  main->WriteMatchSetting("HalbzeitDauer3", edt3h->Text());
  main->WriteMatchSetting("HalbzeitDauer4", edt4h->Text());
  main->WriteMatchSetting("Nachspielzeit", edtNach->Text());
  main->WriteMatchSetting("Verl\xC3\xA4ngerung", edtVerl->Text());

  int periods = 0;
  TUniEdit* length = nullptr;
  if (rad2h->Checked()) {
    periods = 2;
    length = edt2h;
  } else if (rad3h->Checked()) {
    periods = 3;
    length = edt3h;
  } else if (rad4h->Checked()) {
    periods = 4;
    length = edt4h;
  }
  if (!length) return;
  main->btnAUhr3->SetEnabled(periods >= 3);
  main->btnAUhr4->SetEnabled(periods >= 4);
  const std::string l = length->Text();
  main->btnAUhr45->SetCaption(l);
  const std::int64_t n = plat::StrToInt(l);
  main->btnAUhr90->SetCaption(std::to_string(2 * n));
  if (periods >= 3) {
    main->btnAUhr3->SetCaption(std::to_string(3 * n));
    main->btnAUhr4->SetCaption(std::to_string(4 * n));
  }
  main->WriteMatchSetting("Spielabschnitt", std::to_string(periods));
  ChangeMatchDocument(main->xmlSpielstand, main->SpielstandFile(),
                      {{{"settings", "HalbzeitDauer"}, l}, {{"settings", "NachspielZeit"}, edtNach->Text()}});
}

void TfrmUhr::btnCancelClick(plat::ui::Component*) { Close(); }
