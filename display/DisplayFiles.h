#pragma once
// What every display step shares: finding a file below the display base
// folder, and its log. A display has nobody to dismiss an error box, so
// failures go to its log and the server log instead.
#include <string>

class TMainForm;

// The file `name` in `folder` (e.g. "Config\Progs\") below the display base
// folder of the form; false when it does not exist or the name would leave
// the folder. A file that exists but cannot be read (no permission, a
// folder in its place) also gives false, after a line in both logs;
// `unreadable` tells the two apart.
bool FindDisplayFile(TMainForm& form, const std::string& folder, const std::string& name, std::string& file,
                     bool* unreadable = nullptr);

// A line of the display log, which keeps its last 2000 lines and counts an
// unchanged repeat of its last line ("... (x 120)").
void DisplayLog(TMainForm& form, const std::string& line);

// A failure of a display step: a line in the display log and one in the
// server log ("display <location>, " + serverLine).
void LogDisplayError(TMainForm& form, const std::string& logLine, const std::string& serverLine);
