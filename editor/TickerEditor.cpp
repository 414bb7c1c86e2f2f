// The ticker editor: "Start" stores the text and position in
// "Config\Ticks\Ticker.tck" and shows the ticker on every display, "Stop"
// hides it there.
#include "common/MainForm.h"
#include "editor/FileFormats.h"
#include "server/ServerModule.h"

namespace {

// A ticker text is one line of the settings file.
std::string OneLine(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
  }
  return out;
}

}  // namespace

void TMainForm::btnTCKStartClick(Component*) {
  const std::string file = apppath + "Config\\Ticks\\Ticker.tck";
  if (!WriteTickerPosition(file, OneLine(edtTckText->Text()), edtTickPos1->Value(), edtTickPos2->Value(),
                           edtTickPos3->Value(), edtTickPos4->Value())) {
    // The displays would show the old text: nothing is sent.
    FormSession()->ShowMessage("The ticker settings could not be written to Config\\Ticks\\Ticker.tck; "
                               "the ticker was not started.");
    return;
  }
  UniServerModule().IssueCommand("Ticker", "Ticker.tck");
}

void TMainForm::btnTCKStopClick(Component*) { UniServerModule().IssueCommand("TickerStop", " "); }
