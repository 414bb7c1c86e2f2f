// The display's file lookup and error log.
#include "display/DisplayFiles.h"

#include "common/MainForm.h"
#include "platform/io/path.h"
#include "platform/log.h"

bool FindDisplayFile(const TMainForm& form, const std::string& folder, const std::string& name, std::string& file) {
  return plat::io::JoinBelow(form.lblPath->Caption() + folder, name, file) && plat::io::FileExists(file);
}

void LogDisplayError(TMainForm& form, const std::string& logLine, const std::string& serverLine) {
  form.memoLog->Lines().Add(logLine);
  plat::LogLine("display " + form.lblStandort->Caption() + ", " + serverLine);
}
