#include "server/MainModule.h"

#include "server/ServerModule.h"

const char* const kLoadingScreenCss =
    "#loading .loading-indicator {background-color: #000000;color:      black;font:       bold "
    "14px tahoma,arial,helvetica;padding:    2px 2px 220px 204px;margin:     0;text-align: "
    "center;height:     auto;}#loading-mask {background-color: #000000;}";

TUniMainModule::TUniMainModule(TUniServerModule& server) : server_(server) {
  UniGUIMainModuleCreate();
}

void TUniMainModule::UniGUIMainModuleCreate() {
  // The line is application-wide: it is added once, however many sessions
  // start, so pages do not grow with every session ever opened.
  server_.AddCustomCss(kLoadingScreenCss);
}
