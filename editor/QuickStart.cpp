// The quick-start list: ten prepared sends from "Config\quickstart.ini",
// each a playlist or a single medium, optionally after a frame layout; the
// layout goes first and the rest 1200 ms later (timerQS), so that the
// displays have their frames before the content arrives. ".." edits the
// file as raw text.
#include <filesystem>

#include "common/Main.h"
#include "common/MainForm.h"
#include "platform/io/path.h"
#include "server/ServerModule.h"

namespace fs = std::filesystem;

namespace {

constexpr int kQuickStartEntries = 10;

std::string Section(int index) { return "q" + std::to_string(index + 1); }

bool HasText(const std::string& s) { return s.find_first_not_of(' ') != std::string::npos; }

}  // namespace

void TMainForm::LoadQuickStartTitles(const std::string& file, int tag) {
  listQS->SetTag(tag);
  listQS->Items().BeginUpdate();
  listQS->Items().Clear();
  for (int i = 0; i < kQuickStartEntries; ++i) listQS->Items().Add(ReadIniString(file, Section(i), "Title", ""));
  listQS->Items().EndUpdate();
}

void TMainForm::btnQSLoadClick(Component*) { LoadQuickStartTitles(apppath + "Config\\quickstart.ini", 0); }

// The titles an amateur account sees; what each position sends still comes
// from "Config\quickstart.ini".
void TMainForm::btnQSALoadClick(Component*) {
  LoadQuickStartTitles(apppath + "Config\\quickstartamateur.ini", kAmateurQuickStartTitles);
}

void TMainForm::SendQuickStartEntry(int index) {
  const std::string file = apppath + "Config\\quickstart.ini";
  const std::string type = ReadIniString(file, Section(index), "Type", "");
  const std::string start = ReadIniString(file, Section(index), "Start", "");
  if (type == "Playlist")
    UniServerModule().IssueCommand("Playlist", start);
  else if (type == "Medium")
    UniServerModule().IssueMedium("TestMedium", start, "true");
}

void TMainForm::btnQSPlayClick(Component*) {
  const int index = listQS->ItemIndex();
  if (index < 0) return;
  const std::string frame = ReadIniString(apppath + "Config\\quickstart.ini", Section(index), "Frame", "");
  if (HasText(frame)) {
    UniServerModule().IssueCommand("Frame", frame);
    timerQS->SetEnabled(true);
    return;
  }
  SendQuickStartEntry(index);
}

// The entry selected now is sent, which may be another than the one whose
// layout went first.
void TMainForm::timerQSTimer(Component*) {
  timerQS->SetEnabled(false);
  const int index = listQS->ItemIndex();
  if (index >= 0) SendQuickStartEntry(index);
}

void TMainForm::btnQSEditClick(Component*) {
  // One view at a time: the list with "Play", or the raw text with
  // "Speichern".
  const bool editing = !memoQS->Visible();
  memoQS->Lines().Clear();
  if (editing) {
    const std::string file = apppath + "Config\\quickstart.ini";
    std::error_code ec;
    // A missing list starts as an empty text; saving creates the file.
    if (fs::is_regular_file(plat::io::Resolve(file), ec)) memoQS->Lines().LoadFromFile(file);
  }
  memoQS->SetVisible(editing);
  btnQSSave->SetVisible(editing);
  btnQSPlay->SetVisible(!editing);
  listQS->SetVisible(!editing);
}

void TMainForm::btnQSSaveClick(Component*) {
  memoQS->Lines().SaveToFile(apppath + "Config\\quickstart.ini");
  memoQS->SetVisible(false);
  btnQSSave->SetVisible(false);
  btnQSPlay->SetVisible(true);
  listQS->SetVisible(true);
  btnQSLoad->OnClick(btnQSLoad);
}

// The fixed background playlist, from the score panel.
void TMainForm::btnStopClick(Component*) { UniServerModule().IssueCommand("Playlist", "System\\Background.pyl"); }
