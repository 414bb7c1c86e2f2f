// The server as the program runs it, plus a line protocol on stdin through
// which browser tests issue display commands and set a session's labels
// before the console and the day plan can do so. Built for the tests only.
//
//   command <kind> <target>            issue a display command
//   medium <kind> <medium> <effect>    issue a single-medium command
//   label <sid> <component> <caption>  set a label's caption in a session
//   visible <sid> <component> 0|1      show or hide a control in a session
//   log <sid> <count> <text>           add count lines ("<text> 1" ...) to a
//                                      display's log
//   fail-start <text>                  every page opened from now on fails
//                                      while its main form is built (the
//                                      server answers its exception page);
//                                      "fail-start" alone ends that
//
// Every line is answered on stdout with "ok" or "error <why>"; the first
// line written is "ready <port>".
#include <csignal>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>

#include "common/MainForm.h"
#include "display/DisplayFiles.h"
#include "platform/session/session_manager.h"
#include "platform/ui/form_loader.h"
#include "server/ServerModule.h"

namespace {

// The failure that `fail-start` sets: building a panel of a new form raises
// it, so the session cannot start, as any fault in a form's start would.
std::mutex gStartFailureMutex;
std::string gStartFailure;

void InstallStartFailure() {
  const plat::ui::ComponentFactory* panel = plat::ui::FindComponentClass("TUniPanel");
  if (!panel) return;
  plat::ui::RegisterComponentClass("TUniPanel", [make = *panel](plat::ui::Form* owner) {
    {
      std::lock_guard<std::mutex> lock(gStartFailureMutex);
      if (!gStartFailure.empty()) throw plat::ui::UiError(gStartFailure);
    }
    return make(owner);
  });
}

std::string Rest(std::istringstream& in) {
  std::string rest;
  std::getline(in, rest);
  if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
  return rest;
}

std::string Execute(TUniServerModule& server, const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  if (verb == "command") {
    std::string kind;
    in >> kind;
    server.IssueCommand(kind, Rest(in));
    return "ok";
  }
  if (verb == "medium") {
    std::string kind, medium, effect;
    in >> kind >> medium >> effect;
    server.IssueMedium(kind, medium, effect);
    return "ok";
  }
  if (verb == "fail-start") {
    std::lock_guard<std::mutex> lock(gStartFailureMutex);
    gStartFailure = Rest(in);
    return "ok";
  }
  if (verb == "log") {
    std::string sid;
    long count = 0;
    in >> sid >> count;
    const std::string text = Rest(in);
    auto session = server.Sessions().Find(sid);
    if (!session) return "error no session " + sid;
    std::lock_guard<std::mutex> lock(session->Mutex());
    plat::session::Session::Scope scope(*session);
    auto* form = dynamic_cast<TMainForm*>(session->MainForm());
    if (!form) return "error no main form";
    for (long i = 1; i <= count; ++i) DisplayLog(*form, text + " " + std::to_string(i));
    return "ok";
  }
  if (verb == "label" || verb == "visible") {
    std::string sid, name;
    in >> sid >> name;
    const std::string value = Rest(in);
    auto session = server.Sessions().Find(sid);
    if (!session) return "error no session " + sid;
    std::lock_guard<std::mutex> lock(session->Mutex());
    plat::session::Session::Scope scope(*session);
    plat::ui::Form* form = session->MainForm();
    plat::ui::Component* c = form ? form->FindComponent(name) : nullptr;
    if (verb == "label") {
      auto* label = dynamic_cast<plat::ui::TUniLabel*>(c);
      if (!label) return "error no label " + name;
      label->SetCaption(value);
    } else {
      auto* control = dynamic_cast<plat::ui::Control*>(c);
      if (!control) return "error no control " + name;
      control->SetVisible(value == "1");
    }
    return "ok";
  }
  return "error unknown verb " + verb;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " <program folder>\n";
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  TUniServerModule server(argv[1]);
  SetUniServerModule(&server);
  TUniServerModule::CheckFormDefinitions();
  InstallStartFailure();
  if (!server.Start(server.Port)) {
    std::cerr << "cannot listen on port " << server.Port << "\n";
    return 1;
  }
  std::cout << "ready " << server.BoundPort() << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.empty()) continue;
    std::string answer;
    try {
      answer = Execute(server, line);
    } catch (const std::exception& e) {
      answer = std::string("error ") + e.what();
    }
    std::cout << answer << std::endl;
  }
  server.Stop();
  SetUniServerModule(nullptr);
  return 0;
}
