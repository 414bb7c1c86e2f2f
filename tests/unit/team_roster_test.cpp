// The roster file of a team read into a grid and written back, the grid
// sorts and their number comparison, the picture list, the new-team name
// check.
#include <gtest/gtest.h>

#include <algorithm>

#include "match/TeamEditor.h"
#include "support/test_support.h"

using plat::io::XmlDocument;
using plat::io::XmlNode;
using plat::ui::GridModel;
using testing_support::TempDir;

namespace {

std::string Player(const std::string& elements, const char* tag = "player") {
  return std::string("<") + tag + ">" + elements + "</" + tag + ">";
}

const std::string kHeader = Player("<Nr>Nr</Nr><Vorname>Vorname</Vorname><Nachname>Nachname</Nachname>");

// The rows of a grid, each its cells 0 to 8 joined by "|".
std::vector<std::string> Rows(const GridModel& g, int cols = kRosterColumns) {
  std::vector<std::string> rows;
  for (int r = 0; r < g.RowCount(); ++r) {
    std::string row;
    for (int c = 0; c < cols; ++c) row += (c ? "|" : "") + g.Cell(c, r);
    rows.push_back(row);
  }
  return rows;
}

GridModel RosterGrid() {
  GridModel g(10, 1);
  g.SetFixedRows(0);
  g.SetFixedCols(0);
  return g;
}

}  // namespace

TEST(TeamRoster, PlayersAreReadByPositionAfterTheHeaderAndMissingFieldsReadEmpty) {
  const struct {
    const char* what;
    std::string xml;
    bool reportOnly;
    std::vector<std::string> rows;
  } cases[] = {
      {"header only", "<team>" + kHeader + "</team>", false, {}},
      {"no players at all", "<team/>", false, {}},
      {"all fields",
       "<team>" + kHeader +
           Player("<Nr>7</Nr><Vorname>Ole</Vorname><Nachname>Brandt</Nachname><Gr\xC3\xB6sse>181</Gr\xC3\xB6sse>"
                  "<GebDatum>02.03.1999</GebDatum><Bild>brandt.png</Bild><SpNr>17</SpNr><SpBerNr>3</SpBerNr>"
                  "<Aktiv>Ja</Aktiv><Reserve>-</Reserve>") +
           "</team>",
       false,
       {"7|Ole|Brandt|181|02.03.1999|brandt.png|17|3|Ja"}},
      {"missing elements and another element name, in any order",
       "<team>" + kHeader + Player("<Nachname>Kahl</Nachname><Nr>1</Nr>") +
           Player("<Vorname>Mia</Vorname>", "spieler") + "</team>",
       false,
       {"1||Kahl||||||", "|Mia|||||||"}},
      {"the first player stands where the header belongs",
       "<team>" + Player("<Nr>9</Nr><Vorname>Erster</Vorname>") + Player("<Nr>10</Nr>") + "</team>", false,
       {"10||||||||"}},
      {"the report leaves out exactly \"0\"",
       "<team>" + kHeader + Player("<Nr>1</Nr><SpBerNr>0</SpBerNr>") + Player("<Nr>2</Nr><SpBerNr></SpBerNr>") +
           Player("<Nr>3</Nr>") + Player("<Nr>4</Nr><SpBerNr> 0</SpBerNr>") + Player("<Nr>5</Nr><SpBerNr>12</SpBerNr>") +
           "</team>",
       true,
       {"2||||||||", "3||||||||", "4||||||| 0|", "5|||||||12|"}},
  };
  for (const auto& c : cases) {
    XmlDocument doc;
    doc.LoadFromString(c.xml);
    GridModel g = RosterGrid();
    for (int col = 0; col < 10; ++col) g.SetCell(col, 0, "old");
    RosterToGrid(doc, g, c.reportOnly);
    EXPECT_EQ(Rows(g), c.rows) << c.what;
    EXPECT_EQ(g.Cell(9, 0), "") << c.what << ": the row of a former roster is gone";
  }
}

TEST(TeamRoster, TheWriterRebuildsTheWholeDocumentFromTheGrid) {
  XmlDocument doc;
  doc.LoadFromString("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><team><extra/>" + kHeader +
                     Player("<Nr>1</Nr><Unknown>x</Unknown>") + "</team>");
  GridModel g = RosterGrid();
  g.SetRowCount(2);
  for (int c = 0; c < 10; ++c) g.SetCell(c, 0, "v" + std::to_string(c));  // column 9 is not written
  GridToRoster(g, doc);
  EXPECT_EQ(doc.Encoding(), "ISO-8859-1") << "a rewrite keeps the file's encoding";
  const std::vector<XmlNode> players = doc.DocumentElement().ChildElements();
  ASSERT_EQ(players.size(), 3u) << "header, one player per row (the empty one too), nothing else";
  std::vector<std::string> header, first, second;
  for (const XmlNode& n : players[0].ChildElements()) header.push_back(n.Name() + "=" + n.Text());
  for (const XmlNode& n : players[1].ChildElements()) first.push_back(n.Name() + "=" + n.Text());
  for (const XmlNode& n : players[2].ChildElements()) second.push_back(n.Name() + "=" + n.Text());
  EXPECT_EQ(header, (std::vector<std::string>{"Nr=Nr", "Vorname=Vorname", "Nachname=Nachname",
                                              "Gr\xC3\xB6sse=Gr\xC3\xB6sse", "GebDatum=GebDatum", "Bild=Bild",
                                              "SpNr=SpNr", "SpBerNr=SpBerNr", "Aktiv=Aktiv", "Reserve=-"}));
  EXPECT_EQ(first, (std::vector<std::string>{"Nr=v0", "Vorname=v1", "Nachname=v2", "Gr\xC3\xB6sse=v3",
                                             "GebDatum=v4", "Bild=v5", "SpNr=v6", "SpBerNr=v7", "Aktiv=v8",
                                             "Reserve=-"}));
  EXPECT_EQ(second.size(), 10u);
  EXPECT_EQ(second[0], "Nr=");

  // A document that holds nothing, or another root, becomes a roster; it is
  // read back as what was written.
  for (const char* before : {"", "<matchday><x/></matchday>"}) {
    XmlDocument d;
    if (*before) d.LoadFromString(before);
    GridToRoster(g, d);
    EXPECT_EQ(d.DocumentElement().Name(), "team");
    GridModel back = RosterGrid();
    RosterToGrid(d, back, false);
    EXPECT_EQ(Rows(back), Rows(g)) << before;
  }
}

TEST(TeamRoster, SortsMoveWholeRowsNumbersPutNonNumbersFirstTextIgnoresCase) {
  const struct {
    bool byNumber;
    int col;
    std::vector<std::string> keys, sorted;
  } cases[] = {
      {true, 0, {"10", "a", "2", "", "1,5", "-1", "7x", "0"}, {"-1", "a", "", "7x", "0", "1,5", "2", "10"}},
      {true, 0, {"3", "03", "3,0"}, {"3", "03", "3,0"}},  // equal numbers keep their order
      {false, 2, {"bauer", "Adler", "Zander", "zeh", "adler"}, {"Adler", "adler", "bauer", "Zander", "zeh"}},
  };
  for (const auto& c : cases) {
    GridModel g = RosterGrid();
    g.SetRowCount(static_cast<int>(c.keys.size()));
    for (int r = 0; r < g.RowCount(); ++r) {
      g.SetCell(c.col, r, c.keys[static_cast<std::size_t>(r)]);
      g.SetCell(9, r, c.keys[static_cast<std::size_t>(r)] + "#");  // goes with its row
    }
    if (c.byNumber) SortGridByNumber(g, c.col); else SortGridByText(g, c.col);
    std::vector<std::string> keys, others;
    for (int r = 0; r < g.RowCount(); ++r) keys.push_back(g.Cell(c.col, r)), others.push_back(g.Cell(9, r));
    EXPECT_EQ(keys, c.sorted);
    for (std::size_t r = 0; r < keys.size(); ++r) EXPECT_EQ(others[r], keys[r] + "#");
  }
  // A column outside the grid changes nothing.
  GridModel g = RosterGrid();
  g.SetRowCount(2);
  g.SetCell(0, 0, "b");
  g.SetCell(0, 1, "a");
  for (int col : {-1, 10}) {
    SortGridByText(g, col);
    SortGridByNumber(g, col);
  }
  EXPECT_EQ(Rows(g, 1), (std::vector<std::string>{"b", "a"}));
}

TEST(TeamRoster, CompareAsFloatReadsDecimalCommasAndAllowsARelativeTolerance) {
  const struct {
    const char *a, *b;
    int result;
  } cases[] = {
      {"2", "10", -1},        {"10", "2", 1},   {"1,5", "1,5", 0},        {"1,0", "1", 0},
      {"x", "0", 0},          {"", "-0", 0},    {"1.5", "0", 0},          // no number with a point
      {"1E-13", "0", 0},      {"1E-11", "0", 1}, {"1000000000000", "1000000000000,5", 0},
      {"1", "1,000001", -1},  {" 4 ", "4", 0},
  };
  for (const auto& c : cases) {
    plat::ui::StringList keys;
    keys.Add(c.a);
    keys.Add(c.b);
    EXPECT_EQ(CompareAsFloat(keys, 0, 1), c.result) << c.a << " : " << c.b;
  }
}

TEST(TeamRoster, PicturesArePngAndJpgFilesInAnyCase) {
  TempDir dir;
  for (const char* f : {"a.png", "B.JPG", "c.Png", "d.jpeg", "e.gif", "f.png.txt", "noext", ".hidden.jpg"})
    dir.Write(std::string("Spieler/") + f, "x");
  dir.Write("Spieler/folder.png/inner.png", "x");
  plat::ui::StringList list;
  list.Add("stale");
  ListPictures(dir.sys() + "Spieler\\", list);
  std::vector<std::string> names = list.Items();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden.jpg", "B.JPG", "a.png", "c.Png"}));
  ListPictures(dir.sys() + "Missing\\", list);
  EXPECT_TRUE(list.Empty());
}

TEST(TeamRoster, ANewTeamNameIsOnePlainFolderName) {
  const struct {
    const char* name;
    bool ok;
  } cases[] = {
      {"FC Nordhafen", true}, {"Blau-Wei\xC3\x9F 07", true}, {"1. FC", true},   {"", false},
      {".", false},           {"..", false},                  {"..\\..\\files", false},
      {"a/b", false},         {"a\\b", false},                {"Team:1", false}, {"Was?", false},
      {"x*", false},          {"\"A\"", false},               {"<b>", false},    {"a|b", false},
      {"Ende.", false},       {" vorn", false},               {"hinten ", false}, {"Tab\there", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsNewTeamName(c.name), c.ok) << c.name;
}

TEST(TeamRoster, TheLogoAddressEscapesTheTeamName) {
  EXPECT_EQ(TeamLogoHtml("SV Lindenau", 115),
            "<img src=\"Containers\\Teams\\SV Lindenau\\logo.png \" alt=\"\" width=\"115\" >");
  EXPECT_EQ(TeamLogoHtml("A\"><script>", 188),
            "<img src=\"Containers\\Teams\\A&quot;&gt;&lt;script&gt;\\logo.png \" alt=\"\" width=\"188\" >");
}
