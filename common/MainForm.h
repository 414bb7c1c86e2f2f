#pragma once
// The main form: one per browser session. It holds the display surface, the
// display engine page and the console page.
//
// Its components are those of its definition, forms/Main.yaml and the files
// it includes: the build generates their typed fields and the registration
// of every handler the definition names, read into the class below. Each
// part of the application that serves the form declares its handlers,
// routines and state in a <Part>.MainForm.h beside its source (e.g.
// display/PlaylistRotation.MainForm.h), read into the class as well. A
// part's declarations use the types this header includes.
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/io/xml_document.h"
#include "platform/session/session.h"
#include "platform/session/session_form.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_loader.h"

// The form code reads like the designer's units.
using namespace plat::session;
using namespace plat::ui;

class TMainForm : public SessionForm {
 public:
  // Builds the form from its definition and sets the component fields.
  explicit TMainForm(Session* session);

  // --- components (generated from forms/Main.yaml) --------------------------
#include "forms/Main.h"

  // --- fields -------------------------------------------------------------
  std::string apppath;  // the program folder with a trailing backslash
  int Play_1 = -1, Play_2 = -1, Play_3 = -1, Play_4 = -1, Play_5 = -1;
  int nPreloadTime = 1200;
  int nInaktivTime = 300000;

  // --- the parts' members ---------------------------------------------------
#include "forms/MainForm.parts.h"
};

// The session's main form (of the session the current request runs for).
TMainForm* MainForm();
