#include "platform/ui/change_stream.h"

#include "platform/log.h"

namespace plat::ui {

void LogRefusedEvent(ChangeStream* stream, const Json& event, std::string_view why) {
  if (stream && !stream->TakeRefusalLine()) return;
  std::string line = stream ? stream->LogName() + ": " : std::string();
  line += "refused event " + LogExcerpt(event.dump(-1, ' ', false, Json::error_handler_t::replace), 300) + " (";
  line += LogExcerpt(why, 200);
  line += ")";
  LogLine(line);
}

}  // namespace plat::ui
