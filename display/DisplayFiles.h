#pragma once
// What every display step shares: finding a file below the display base
// folder, and logging a failure. A display has nobody to dismiss an error
// box, so failures go to its log and the server log instead.
#include <string>

class TMainForm;

// The file `name` in `folder` (e.g. "Config\Progs\") below the display base
// folder of the form; false when it does not exist or the name would leave
// the folder.
bool FindDisplayFile(const TMainForm& form, const std::string& folder, const std::string& name, std::string& file);

// A failure of a display step: a line in the display log and one in the
// server log ("display <location>, " + serverLine).
void LogDisplayError(TMainForm& form, const std::string& logLine, const std::string& serverLine);
