// The state documents of a console session and the match section of the
// configuration file.
#include "match/MatchState.h"

#include "common/Main.h"
#include "common/MainForm.h"
#include "platform/io/file_lock.h"
#include "platform/io/path.h"
#include "platform/log.h"

using plat::io::XmlDocument;
using plat::io::XmlError;
using plat::io::XmlNode;

XmlNode MatchElement(XmlDocument& doc, std::initializer_list<std::string_view> path) {
  XmlNode node = doc.DocumentElement();
  for (std::string_view step : path) node = node.Child(step);
  return node;
}

std::string ReadMatchElement(XmlDocument& doc, std::initializer_list<std::string_view> path) {
  return MatchElement(doc, path).Text();
}

void ChangeMatchDocument(XmlDocument& doc, const std::string& systemPath, const std::vector<MatchChange>& changes) {
  ChangeMatchDocument(doc, systemPath, [&](XmlDocument&) { return changes; });
}

void ChangeMatchDocument(XmlDocument& doc, const std::string& systemPath,
                         const std::function<std::vector<MatchChange>(XmlDocument&)>& decide) {
  UpdateMatchDocument(doc, systemPath, [&](XmlDocument& now) {
    const std::vector<MatchChange> changes = decide(now);
    for (const MatchChange& change : changes) {
      XmlNode node = now.DocumentElement();
      for (const std::string& step : change.path) node = node.Child(step);
      node.SetText(change.text);
    }
    return !changes.empty();
  });
}

void UpdateMatchDocument(XmlDocument& doc, const std::string& systemPath,
                         const std::function<bool(XmlDocument&)>& change) {
  if (!doc.Active()) throw XmlError(plat::io::ExtractFileName(systemPath) + " is not loaded");
  plat::io::FileLock lock(systemPath);
  // What another console saved since goes under this change.
  XmlDocument now;
  try {
    now.LoadFromFile(systemPath);
    doc.Swap(now);
  } catch (const XmlError&) {
    // Missing or damaged now: this document's own state is written.
  }
  if (change(doc)) doc.SaveToFile(systemPath);
}

std::string TMainForm::MatchFilesFolder() const { return apppath + "Containers\\System\\files\\"; }

void TMainForm::LoadMatchDocuments() {
  for (XmlDocument* d : {&xmlSpielstand, &xmlSpieler, &xmlSpielerInt, &xmlVerlauf, &xmlMatchday}) d->Clear();
  const struct {
    XmlDocument* doc;
    const char* file;
    const char* toast;
  } loads[] = {{&xmlSpielstand, "spielstand.xml", "Error Load spielstand.xml!"},
               {&xmlSpieler, "spieler.xml", "Error Load spieler.xml!"},
               {&xmlSpielerInt, "spielerInt.xml", "Error Load spielerInt.xml!"},
               {&xmlMatchday, "Matchday.xml", "Error Load xmlMatchday.xml!"}};
  for (const auto& l : loads) {
    try {
      l.doc->LoadFromFile(MatchFilesFolder() + l.file);
    } catch (const std::exception& e) {
      plat::LogLine(FormSession()->LogName() + ": " + e.what());
      FormSession()->ShowToast(l.toast);
    }
  }
}

std::string TMainForm::ReadMatchSetting(std::string_view key) const {
  return ReadIniString(apppath + "Config\\tessarine.ini", "spielbetrieb", key, "");
}

void TMainForm::WriteMatchSetting(std::string_view key, std::string_view value) const {
  WriteIniString(apppath + "Config\\tessarine.ini", "spielbetrieb", key, value);
}
