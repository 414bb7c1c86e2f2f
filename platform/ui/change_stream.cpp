#include "platform/ui/change_stream.h"

#include "platform/log.h"

namespace plat::ui {

void LogRefusedEvent(const ChangeStream* stream, const Json& event, std::string_view why) {
  std::string line = stream ? stream->LogName() + ": " : std::string();
  line += "refused event " + event.dump() + " (";
  line += why;
  line += ")";
  LogLine(line);
}

}  // namespace plat::ui
