// Team rosters: whatever a Team.xml holds, the roster grid read from it is
// saved in the file's own encoding and read back unchanged, and the reader
// of the action dialog (match report players only) never raises on it.
#include "fuzz/fuzz.h"
#include "match/TeamEditor.h"
#include "platform/io/text_file.h"
#include "platform/io/xml_document.h"

namespace {

std::vector<std::string> Cells(const plat::ui::GridModel& g) {
  std::vector<std::string> cells;
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < kRosterColumns; ++c) cells.push_back(g.Cell(c, r));
  return cells;
}

bool Run(std::string_view input) {
  const std::string file = fuzz::WorkFolder() + "Team.xml";
  plat::io::WriteFileAtomic(file, input);
  plat::io::XmlDocument doc;
  try {
    doc.LoadFromFile(file);
  } catch (const plat::io::XmlError&) {
    return false;  // refused: the console reports it
  }
  plat::ui::GridModel grid(10, 1), report(10, 1);
  RosterToGrid(doc, grid, false);
  RosterToGrid(doc, report, true);
  fuzz::Check(report.RowCount() <= grid.RowCount(), "the match report holds more players than the roster");
  const std::string encoding = doc.Encoding();
  GridToRoster(grid, doc);
  doc.SaveToFile(file);
  plat::io::XmlDocument again;
  try {
    again.LoadFromFile(file);
  } catch (const plat::io::XmlError& e) {
    throw fuzz::Failure(std::string("a saved roster does not load: ") + e.what());
  }
  fuzz::Check(again.Encoding() == encoding, "the roster changed its encoding from " + encoding + " to " + again.Encoding());
  plat::ui::GridModel back(10, 1);
  RosterToGrid(again, back, false);
  fuzz::Check(Cells(back) == Cells(grid), "a saved roster reads back other players");
  return true;
}

const bool kRegistered = fuzz::Register({
    "team_xml",
    {"<", ">", "</", "/>", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>", "<team>", "</team>", "<player>", "</player>", "<Nr>",
     "</Nr>", "<Bild> </Bild>", "<SpBerNr>0</SpBerNr>", "<Gr\xF6sse>", "</Gr\xF6sse>", "<Gr\xC3\xB6sse>", "<![CDATA[",
     "]]>", "&amp;", "&#13;", "&#321;", "&#1;", "\xEF\xBB\xBF", "\xFF\xFE", "\xE4", "\xC3\xA4", "\r\n", " "},
    {},
    Run,
});

}  // namespace
