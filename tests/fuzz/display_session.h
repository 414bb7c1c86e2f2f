#pragma once
// A display session over a copy of the demo program folder, for the targets
// whose reader is a display step. The session is opened again every so many
// runs, so that what the runs leave behind (logs, recorded ops, panels)
// stays small.
#include <memory>
#include <string>
#include <string_view>

#include "support/session_driver.h"

namespace fuzz {

class DisplaySession {
 public:
  // Copies the demo folder below the work folder and installs a fixed clock.
  DisplaySession();
  ~DisplaySession();

  // The form of the session (a fresh session every so many steps).
  TMainForm& Form();
  // Writes a file below the program folder (relative path with slashes).
  void Write(std::string_view relative, std::string_view bytes) const;
  // Runs a display step as the day plan or a command runs it: an exception
  // that escapes it, or a message box it leaves, is a failure (a display
  // has nobody to close a box); then lets the browser timers run for a
  // while, as a display would between two steps.
  void Step(void (*step)(TMainForm&), int advanceMs);

 private:
  std::string folder_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<testing_support::SessionDriver> driver_;
  int runs_ = 0;
};

}  // namespace fuzz
