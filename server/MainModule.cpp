#include "server/MainModule.h"

#include "forms/MainModule.h"  // generated: the handlers of the module's events

#include "server/ServerModule.h"

const char* const kLoadingScreenCss =
    "#loading .loading-indicator {background-color: #000000;color:      black;font:       bold "
    "14px tahoma,arial,helvetica;padding:    2px 2px 220px 204px;margin:     0;text-align: "
    "center;height:     auto;}#loading-mask {background-color: #000000;}";

TUniMainModule::TUniMainModule(TUniServerModule& server, plat::session::Session* session)
    : server_(server), session_(session) {
  const auto& def = plat::ui::FormDefinition("MainModule.yaml");
  Theme = def.props.value("Theme", "");
  for (const auto& option : def.props.value("BrowserOptions", plat::ui::Json::array())) {
    if (option == "boDisableMouseRightClick") DisableMouseRightClick = true;
    if (option == "boDisableChromeRefresh") DisableChromeRefresh = true;
  }
  (this->*TUniMainModuleEvents::OnCreate)();
}

void TUniMainModule::UniGUIMainModuleCreate() {
  // The line is application-wide: it is added once, however many sessions
  // start, so pages do not grow with every session ever opened.
  server_.AddCustomCss(kLoadingScreenCss);
}

TUniMainModule* UniMainModule() {
  plat::session::Session* s = plat::session::Session::Current();
  auto* m = s ? dynamic_cast<TUniMainModule*>(s->MainModule()) : nullptr;
  if (!m) throw plat::ui::UiError("no main module for this request");
  return m;
}
