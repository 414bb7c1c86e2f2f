// Playlist lines: splitting, the field checks and the duration text hold for
// any line, and formatting the fields gives a line that splits into them.
#include "editor/FileFormats.h"
#include "fuzz/fuzz.h"
#include "platform/clock.h"
#include "platform/io/text_file.h"
#include "platform/io/utf8.h"

namespace {

bool Run(std::string_view input) {
  const plat::io::TextContent content = plat::io::DecodeText(input);
  fuzz::Check(plat::io::utf8::IsValid(content.text), "decoded text is not UTF-8");
  bool items = false;
  for (const std::string& line : plat::io::SplitLines(content.text)) {
    const plat::ui::StringList pieces = SplitPlaylistLine(line);
    items = items || HasPlaylistFields(pieces, plFrame);
    std::vector<std::string> fields;
    for (int k = 1; k < pieces.Count() && k <= kPlaylistFields; ++k) fields.push_back(pieces[k]);
    for (int f = 1; f <= kPlaylistFields; ++f) {
      fuzz::Check(HasPlaylistFields(pieces, f) == (pieces.Count() > f), "field check");
    }
    if (HasPlaylistFields(pieces, plTime)) {
      const std::string time = NormalizeTime(pieces[plTime]);
      fuzz::Check(plat::io::utf8::IsValid(time) && plat::io::utf8::Length(time) <= 6, "duration text \"" + time + "\"");
    }
    if (HasPlaylistFields(pieces, plEnd)) {
      // What the rotation reads of the time window.
      for (const std::string& w : {pieces[plBegin], pieces[plEnd]}) {
        plat::ParseTimeOfDay(plat::io::utf8::Substr(w, 0, 5) + ":00");
        if (w.size() > 6) plat::ParseDate(w.substr(6, 10));
      }
    }
    const std::string again = FormatPlaylistLine(fields);
    const plat::ui::StringList back = SplitPlaylistLine(again);
    fuzz::Check(back.Count() == kPlaylistFields + 1 || fields.empty(), "a formatted line lost fields");
    for (std::size_t k = 0; k < fields.size(); ++k) {
      fuzz::Check(back[static_cast<int>(k) + 1] == fields[k], "field " + std::to_string(k + 1) + " changed");
    }
  }
  return items;
}

const bool kRegistered = fuzz::Register({
    "playlist_line",
    {",", ",,,,,,,,,,", "\r\n", "\"", "00:10", "12:00 01.01.2025", "1111100", "Containers\\Bilder\\", " ", "\t",
     "\xC3\xA4", "\xE4", "\xEF\xBB\xBF"},
    nullptr,
    Run,
});

}  // namespace
