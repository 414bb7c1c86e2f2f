// The keys of the display engine page and its log.
#include "common/MainForm.h"

namespace {
constexpr int kKeyF3 = 114;
constexpr int kKeyF4 = 115;
}  // namespace

void TMainForm::UniFormKeyDown(Component*, int& Key, ShiftState) {
  if (FormSession()->UrlParam("start") == "tessarine") return;
  if (Key == kKeyF3) UniPageControl1->SetActivePageIndex(1);
  if (Key == kKeyF4) UniPageControl1->SetActivePageIndex(0);
}

void TMainForm::UniFormKeyPress(Component*, char32_t&) {}

void TMainForm::memoLogDblClick(Component*) { memoLog->Lines().Clear(); }
