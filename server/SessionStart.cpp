// Session start, login and exit of the main form.
#include <algorithm>

#include "common/Main.h"
#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "display/MediumHtml.h"
#include "platform/clock.h"
#include "platform/convert.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "platform/log.h"
#include "server/ServerModule.h"

namespace {

const char* const kConsoleStart = "tessarine";
const char* const kAdministrator = "administrator";
const char* const kAdministratorPassword = "wolken482";

std::string Reversed(const std::string& text) {
  // Reverse characters, not bytes.
  std::vector<std::string> chars;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t start = pos;
    plat::io::utf8::Next(text, pos);
    chars.push_back(text.substr(start, pos - start));
  }
  std::string out;
  for (auto it = chars.rbegin(); it != chars.rend(); ++it) out += *it;
  return out;
}

// A location name names one file in Config/Dayplan/; anything that would
// reach elsewhere counts as not found.
bool DayplanExists(const std::string& apppath, const std::string& standort) {
  if (standort.empty()) return false;
  if (standort.find('/') != std::string::npos || standort.find('\\') != std::string::npos ||
      standort == "." || standort == ".." || standort.find('\0') != std::string::npos)
    return false;
  return plat::io::FileExists(apppath + "Config/Dayplan/" + standort);
}

}  // namespace

void TMainForm::UniFormShow(Component*) {
  apppath = UniServerModule().StartPath();
  UniPageControl1->SetAlign(Align::Client);

  TUniPanel* frames[] = {panF1, panF2, panF3, panF4, panF5};
  TUniLabel* labels[][2] = {{lblF1A, lblF1B}, {lblF2A, lblF2B}, {lblF3A, lblF3B},
                            {lblF4A, lblF4B}, {lblF5A, lblF5B}};
  for (auto& pair : labels)
    for (TUniLabel* l : pair) {
      l->SetCaption("");
      l->SetAlign(Align::Client);
    }
  Play_1 = Play_2 = Play_3 = Play_4 = Play_5 = -1;
  lastDayplanMinute = DayplanMinute(plat::Now());  // the day-plan timer counts from here
  for (TUniPanel* p : frames) p->SetCaption("");
  UniPageControl1->SetTabsVisible(false);

  // Times in milliseconds. A value that is no whole number, or one the
  // timers cannot use (the preload time is taken from durations and from
  // the 600000 ms of a single medium), gives the default, with a line in
  // the display log and the server log.
  const std::string ini = apppath + "Config\\tessarine.ini";
  auto configured = [&](const char* key, int lowest, int highest, int def) -> std::optional<int> {
    const std::string text = ReadIniString(ini, "Settings", key, "");
    const auto v = plat::TryStrToInt(text);
    if (v && *v >= lowest && *v <= highest) return v;
    if (!text.empty()) {
      const std::string why = "Config\\tessarine.ini: " + std::string(key) + "=" + text + " is not a time from " +
                              std::to_string(lowest) + " to " + std::to_string(highest) + " ms; using " +
                              std::to_string(def);
      DisplayLog(*this, "[error] " + why);
      plat::LogLine(FormSession()->LogName() + ": " + why);
    }
    return std::nullopt;
  };
  if (auto v = configured("preloadTime", 0, 600000, 1200)) {
    nPreloadTime = *v;
    edtPreload->SetText(std::to_string(*v));
  } else {
    nPreloadTime = 1200;
  }
  nInaktivTime = configured("InaktivTime", 1, 24 * 60 * 60 * 1000, 300000).value_or(300000);

  Session* session = FormSession();
  std::string standort = session->UrlParam("standort");
  std::string start = session->UrlParam("start");

  if (start == kConsoleStart) {
    UniPageControl1->SetActivePage(UniTabSheet1);
    UniPageControl3->SetActivePage(tabLogin);
    timerGo->SetEnabled(true);
    return;
  }

  // A display has nobody to dismiss an error box: whatever escapes one of
  // its steps goes to its log (the server log has it already).
  session->HandlerError = [this](const std::string& what) {
    DisplayLog(*this, "[error] " + what);
    return true;
  };
  lblStandort->SetCaption(standort);
  if (DayplanExists(apppath, standort)) {
    UniPageControl1->SetActivePage(tabPlayer);
    session->AddJS("window.oncontextmenu = function () {return false;}");
    lblDayplan->SetCaption(standort);
    btnDayplan->OnClick(btnDayplan);
  } else {
    UniPageControl1->SetActivePage(tabPlayer);
    panF1->SetBounds(0, 0, 868, 868);
    DisplayLog(*this, "standort not found:" + standort);
    lblF1A->SetCaption(medium_html::PictureHtml("files/J8_TS.jpg", panF1->Width(), panF1->Height()));
  }
}

void TMainForm::UniFormScreenResize(Component*, int AWidth, int) {
  if (UniPageControl3->ActivePageIndex() != 0) return;
  panLogin->SetLeft(AWidth / 2 - panLogin->Width() / 2);
}

void TMainForm::btnLoginOKClick(Component*) {
  Session* session = FormSession();
  const std::string user = edtLoginUser->Text();
  const std::string password = edtLoginPW->Text();
  // The server log notes every attempt: the account and how it went, never
  // the password.
  auto note = [&](const std::string& how) {
    plat::LogLine(session->LogName() + ": login \"" + user + "\": " + how);
  };

  if (plat::io::utf8::ToLower(user) == kAdministrator &&
      plat::io::utf8::ToLower(password) == kAdministratorPassword) {
    note("administrator");
    tabSpielstand->SetTabVisible(true);
    tabEnt->SetTabVisible(true);
    tabTeamEdit->SetTabVisible(true);
    UniPageControl3->SetActivePageIndex(1);
    tabLogin->SetTabVisible(false);
    return;
  }
  if (user.empty()) {
    note("refused, no user name");
    session->ShowMessage("Wrong user!");
    return;
  }

  const std::string users = apppath + "Config\\tsUsers.ini";
  const std::string stored = Reversed(ReadIniString(users, user, "pw", ""));
  const std::string kind = plat::io::utf8::ToLower(ReadIniString(users, user, "type", ""));
  if (password.empty() || stored.empty() || password != stored) {
    note(stored.empty() ? "refused, no such account (or no password stored)"
                        : password.empty() ? "refused, no password typed" : "refused, wrong password");
    session->ShowMessage("Wrong password!");
    return;
  }

  note(kind == "profi" || kind == "amateur" ? kind : "refused, unknown account kind \"" + kind + "\"");
  if (kind == "profi") {
    tabLogin->SetTabVisible(false);
    tabSpielstand->SetTabVisible(true);
    tabEnt->SetTabVisible(true);
    tabTeamEdit->SetTabVisible(true);
    tabMatchday->SetTabVisible(true);
    UniPageControl3->SetActivePageIndex(1);
  } else if (kind == "amateur") {
    tabEnt->SetTabVisible(false);
    tabTeamEdit->SetTabVisible(false);
    panH1->SetVisible(false);
    panG1->SetVisible(false);
    panVerlauf->SetVisible(false);
    tabMatchday->SetTabVisible(false);
    tabLogin->SetTabVisible(false);
    tabSpielstand->SetTabVisible(true);
    btnQSALoad->OnClick(btnQSALoad);
    UniPageControl3->SetActivePageIndex(1);
  }
}

void TMainForm::UniButton1Click(Component*) {
  UniPageControl3->SetActivePageIndex(0);
  FormSession()->Terminate();
}
