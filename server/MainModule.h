#pragma once
// The per-session main module: created for every browser session before the
// session's main form, alive as long as the session. The session's dialogs
// are created through it.
#include <memory>
#include <string>

#include "platform/session/session.h"
#include "platform/ui/form_loader.h"

class TUniServerModule;

// The black loading mask every page shows while the application loads.
extern const char* const kLoadingScreenCss;

class TUniMainModule : public plat::session::MainModuleBase {
 public:
  std::string Theme;
  bool DisableMouseRightClick = false;  // the browser's context menu
  bool DisableChromeRefresh = false;    // the browser's refresh key

  // Reads the module's settings from its definition and runs the create
  // handler.
  TUniMainModule(TUniServerModule& server, plat::session::Session* session = nullptr);

  void UniGUIMainModuleCreate();

  plat::session::Session* GetSession() const { return session_; }

  // The session's open dialog of class T, or a new one from its definition.
  template <typename T>
  T* Dialog() {
    if (T* open = session_->FindDialog<T>()) return open;
    auto dialog = std::make_unique<T>(session_);
    return static_cast<T*>(session_->AddDialog(std::move(dialog)));
  }

 private:
  TUniServerModule& server_;
  plat::session::Session* session_;
};

// The main module of the session on whose behalf the current request runs.
TUniMainModule* UniMainModule();
