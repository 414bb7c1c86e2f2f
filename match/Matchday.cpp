// The match-day tab: the countdown to the kick-off, the spectators, two
// info lines and the officials, saved with the two team names as
// Matchday.xml for the match-day page of the displays.
#include <utility>

#include "common/Main.h"
#include "common/MainForm.h"
#include "match/MatchState.h"
#include "platform/log.h"
#include "server/ServerModule.h"

using plat::io::XmlDocument;
using plat::io::XmlNode;

namespace {

// The edits of the tab and the elements of Matchday.xml they go to, in the
// order the load reads them.
struct MatchdayEdit {
  const char* element;
  TUniEdit* TMainForm::*edit;
};
const MatchdayEdit kMatchdayEdits[] = {
    {"countdownstunde", &TMainForm::edtMStunde}, {"countdownminute", &TMainForm::edtMMin},
    {"zuseher", &TMainForm::edtMZus},            {"info1", &TMainForm::edtMHead},
    {"info2", &TMainForm::edtMBody},             {"schiedsrichter", &TMainForm::edtMSiri},
    {"assistenten", &TMainForm::edtMAss},        {"var", &TMainForm::edtMZusatz},
};

}  // namespace

std::string TMainForm::MatchdayFile() const { return MatchFilesFolder() + "Matchday.xml"; }

void TMainForm::btnMatchSaveClick(Component*) {
  const std::string file = MatchdayFile();
  // A document that could not be loaded at the start gets one more try; a
  // second failure ends the save with its error and writes nothing.
  if (!xmlMatchday.Active()) xmlMatchday.LoadFromFile(file);
  // What the file holds afterwards: these ten elements in this order.
  const std::pair<const char*, std::string> values[] = {
      {"teamHeim", panH1->Title()},         {"teamGast", panG1->Title()},     {"countdownstunde", edtMStunde->Text()},
      {"countdownminute", edtMMin->Text()}, {"zuseher", edtMZus->Text()},     {"info1", edtMHead->Text()},
      {"info2", edtMBody->Text()},          {"schiedsrichter", edtMSiri->Text()}, {"assistenten", edtMAss->Text()},
      {"var", edtMZusatz->Text()}};
  UpdateMatchDocument(xmlMatchday, file, [&](XmlDocument& doc) {
    try {
      XmlNode root = doc.DocumentElement();
      root.RemoveChildren();
      for (const auto& [element, text] : values) root.AddChild(element).SetText(text);
    } catch (const std::exception& e) {
      plat::LogLine(FormSession()->LogName() + ": Matchday.xml: " + e.what());
      FormSession()->ShowToast("errorr beim speichern Matchday.xml! ");
    }
    // Saved as far as it was filled.
    return true;
  });
}

void TMainForm::btnMLastClick(Component*) {
  // The session's own document, as loaded and as its saves left it.
  try {
    for (const MatchdayEdit& e : kMatchdayEdits) (this->*e.edit)->SetText(ReadMatchElement(xmlMatchday, {e.element}));
  } catch (const std::exception& e) {
    plat::LogLine(FormSession()->LogName() + ": Matchday.xml: " + e.what());
    FormSession()->ShowToast("errorr beim laden Matchday.xml! ");
  }
}

void TMainForm::btnMatchStartClick(Component*) { UniServerModule().IssueCommand("Playlist", "System\\Matchday.pyl"); }
