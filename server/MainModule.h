#pragma once
// The per-session main module: created for every browser session before the
// session's main form, alive as long as the session.
#include <string>
#include <vector>

class TUniServerModule;

// The black loading mask every page shows while the application loads.
extern const char* const kLoadingScreenCss;

class TUniMainModule {
 public:
  std::string Theme = "uni_win11_polar_dark";
  bool DisableMouseRightClick = true;  // the browser's context menu is off
  bool DisableChromeRefresh = true;    // so is its refresh key

  // Runs the create handler.
  explicit TUniMainModule(TUniServerModule& server);
  virtual ~TUniMainModule() = default;

  void UniGUIMainModuleCreate();

 private:
  TUniServerModule& server_;
};
