#include <gtest/gtest.h>

#include <algorithm>

#include "common/Main.h"
#include "support/test_support.h"

using testing_support::TempDir;

TEST(ReadIniString, EmptyValueCountsAsMissing) {
  TempDir dir;
  dir.Write("Config/t.ini", "[Settings]\r\nempty=\r\nblank=   \r\nset= 42 \r\n");
  std::string file = dir.sys() + "Config\\t.ini";
  EXPECT_EQ(ReadIniString(file, "Settings", "empty", "dflt"), "dflt");
  EXPECT_EQ(ReadIniString(file, "Settings", "blank", "dflt"), "dflt");
  EXPECT_EQ(ReadIniString(file, "Settings", "missing", "dflt"), "dflt");
  EXPECT_EQ(ReadIniString(file, "Other", "set", "dflt"), "dflt");
  EXPECT_EQ(ReadIniString(dir.sys() + "nofile.ini", "Settings", "set", "d"), "d");
  EXPECT_EQ(ReadIniString(file, "settings", "SET", "dflt"), "42");
}

TEST(WriteIniString, ReportsFailureWithoutRaising) {
  TempDir dir;
  EXPECT_TRUE(WriteIniString(dir.sys() + "a.ini", "S", "k", "v"));
  EXPECT_EQ(ReadIniString(dir.sys() + "a.ini", "S", "k", ""), "v");
  EXPECT_FALSE(WriteIniString(dir.sys() + "missing\\folder\\a.ini", "S", "k", "v"));
}

struct SliceCase {
  const char* text;
  int count;
  const char* left;
  const char* right;
};

TEST(LeftRightText, CountCharactersNotBytes) {
  const SliceCase cases[] = {
      {"/refresh/System\\Spielstand.pyl", 8, "/refresh", "tand.pyl"},
      {"abc", 5, "abc", "abc"},
      {"abc", 0, "", ""},
      {"abc", -3, "", ""},
      {"", 2, "", ""},
      {"Größe", 3, "Grö", "öße"},
      {"Verlängerung", 5, "Verlä", "erung"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LeftText(c.text, c.count), c.left) << c.text << " " << c.count;
    EXPECT_EQ(RightText(c.text, c.count), c.right) << c.text << " " << c.count;
  }
}

struct BeforeAfterCase {
  const char* text;
  const char* sep;
  const char* before;
  const char* after;
};

TEST(TextBeforeAfter, Table) {
  const BeforeAfterCase cases[] = {
      {"Team_A|x", "_", "Team", "A|x"},
      {"a|b|c", "|", "a", "b|c"},
      {"no separator", "|", "", "no separator"},
      {"", "|", "", ""},
      {"|lead", "|", "", "lead"},
      {"trail|", "|", "trail", ""},
      {"text", "", "", "text"},
      // A longer separator: the text after its first character.
      {"ab--cd", "--", "ab", "-cd"},
      {"file.name.pyl", ".", "file", "name.pyl"},
      {"Grüße|Wörter", "|", "Grüße", "Wörter"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextBefore(c.text, c.sep), c.before) << c.text;
    EXPECT_EQ(TextAfter(c.text, c.sep), c.after) << c.text;
  }
}

TEST(SplitLine, TrimmedCommaItems) {
  struct Case {
    const char* text;
    char delim;
    bool trim, quotes;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {",  a  ,b,,", ',', true, false, {"", "a", "b", ""}},
      {"", ',', true, false, {}},
      {",", ',', true, false, {""}},
      {"a,   ", ',', true, false, {"a", ""}},
      {"a,   ", ',', false, false, {"a", "   "}},
      {"x\t,\ty", ',', true, false, {"x", "y"}},
      {"System\\Sub\\list.pyl", '\\', true, false, {"System", "Sub", "list.pyl"}},
      {"\"a,b\",c", ',', true, true, {"a,b", "c"}},
      {"\"a,b\",c", ',', true, false, {"\"a", "b\"", "c"}},
      {"\"\",x", ',', false, true, {"", "x"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitLine(c.text, c.delim, c.trim, c.quotes).Items(), c.items) << c.text;
  }
}

TEST(SplitLine, PlaylistLineGivesTwentyItems) {
  std::string line = ",";
  for (int f = 1; f <= 19; ++f) line += "f" + std::to_string(f) + ",";
  auto items = SplitLine(line, ',', true, false);
  ASSERT_EQ(items.Count(), 20);
  EXPECT_EQ(items[0], "");
  EXPECT_EQ(items[1], "f1");
  EXPECT_EQ(items[19], "f19");
}

namespace {
std::vector<std::string> Row(const plat::ui::GridModel& g, int row) {
  std::vector<std::string> r;
  for (int c = 0; c < g.ColCount(); ++c) r.push_back(g.Cell(c, row));
  return r;
}
}  // namespace

TEST(LoadCsvIntoGrid, FieldCountComesFromTheFirstLine) {
  TempDir dir;
  dir.Write("f.frm", "a,b\r\nc,d,e\r\n");
  plat::ui::GridModel grid;
  grid.SetColCount(11);
  grid.SetRowCount(2);
  grid.SetCell(2, 1, "kept");  // columns from n on are not written
  LoadCsvIntoGrid(dir.sys() + "F.FRM", grid);
  EXPECT_EQ(grid.ColCount(), 11);
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.FixedCols(), 0);
  EXPECT_EQ(Row(grid, 0)[0], "a");
  EXPECT_EQ(Row(grid, 0)[1], "b");
  EXPECT_EQ(Row(grid, 1)[0], "c");
  EXPECT_EQ(Row(grid, 1)[1], "d");
  EXPECT_EQ(Row(grid, 1)[2], "kept");
}

TEST(LoadCsvIntoGrid, QuotesRemovedShortLinesPaddedLongLinesCut) {
  TempDir dir;
  std::string first;
  for (int i = 0; i < 13; ++i) first += "\"q" + std::to_string(i) + "\",";
  dir.Write("f.frm", first + "\r\nx,y\r\n\r\n");
  plat::ui::GridModel grid;
  LoadCsvIntoGrid(dir.sys() + "f.frm", grid);
  ASSERT_EQ(grid.RowCount(), 3);
  auto r0 = Row(grid, 0);
  EXPECT_EQ(r0.front(), "q0");
  EXPECT_EQ(r0.back(), "q10");  // fields past the eleventh column are dropped
  auto r1 = Row(grid, 1);
  EXPECT_EQ(r1[0], "x");
  EXPECT_EQ(r1[1], "y");
  EXPECT_EQ(r1[2], "");
  EXPECT_EQ(Row(grid, 2)[0], "");
}

TEST(LoadCsvIntoGrid, MissingOrEmptyFileRaisesAndLeavesGrid) {
  TempDir dir;
  dir.Write("empty.frm", "");
  plat::ui::GridModel grid(3, 2);
  grid.SetCell(0, 0, "old");
  EXPECT_ANY_THROW(LoadCsvIntoGrid(dir.sys() + "none.frm", grid));
  EXPECT_ANY_THROW(LoadCsvIntoGrid(dir.sys() + "empty.frm", grid));
  EXPECT_EQ(grid.Cell(0, 0), "old");
  EXPECT_EQ(grid.ColCount(), 3);
}

TEST(DeleteGridRow, Table) {
  struct Case {
    int index;
    std::vector<std::string> remaining;
  };
  const Case cases[] = {
      {0, {"r1", "r2"}}, {1, {"r0", "r2"}}, {2, {"r0", "r1"}},
      {3, {"r0", "r1"}}, {7, {"r0", "r1"}}, {-1, {"r0", "r1", "r2"}},
  };
  for (const auto& c : cases) {
    plat::ui::GridModel grid(2, 3);
    for (int r = 0; r < 3; ++r) {
      grid.SetCell(0, r, "r" + std::to_string(r));
      grid.SetCell(1, r, "x" + std::to_string(r));
    }
    DeleteGridRow(c.index, grid);
    std::vector<std::string> col0;
    for (int r = 0; r < grid.RowCount(); ++r) {
      col0.push_back(grid.Cell(0, r));
      EXPECT_EQ(grid.Cell(1, r), "x" + grid.Cell(0, r).substr(1)) << "columns move together";
    }
    EXPECT_EQ(col0, c.remaining) << "index " << c.index;
  }
}

TEST(Listings, FoldersAndFilesByExtension) {
  TempDir dir;
  dir.Write("Containers/Teams/FC A/Team.xml", "<t/>");
  dir.Write("Containers/Teams/.hidden/x", "");
  dir.Write("Containers/Teams/readme.txt", "");
  dir.Write("Config/Frames/a.frm", "");
  dir.Write("Config/Frames/B.FRM", "");
  dir.Write("Config/Frames/c.frm.bak", "");
  std::filesystem::create_directories(dir.path() / "Config/Frames/d.frm");

  plat::ui::StringList teams;
  teams.Add("kept");
  ListFoldersToCombo(dir.sys() + "Containers\\teams\\*.*", teams);
  std::vector<std::string> got(teams.begin(), teams.end());
  std::sort(got.begin() + 1, got.end());
  EXPECT_EQ(got, (std::vector<std::string>{"kept", ".hidden", "FC A"}));

  plat::ui::StringList frames;
  frames.Add("stale");
  ListFilesByExt(dir.sys() + "config\\frames\\", frames, ".frm");
  std::vector<std::string> names(frames.begin(), frames.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B.FRM", "a.frm"}));

  ListFilesByExt(dir.sys() + "Config\\Frames\\", frames, ".FRM");
  EXPECT_EQ(frames.Count(), 0) << "the extension argument is compared as given";

  plat::ui::StringList none;
  ListFoldersToCombo(dir.sys() + "nowhere\\*.*", none);
  ListFilesByExt(dir.sys() + "nowhere\\", none, ".frm");
  EXPECT_EQ(none.Count(), 0);
}

TEST(GridModel, CellsCutOffByASmallerSizeComeBack) {
  plat::ui::GridModel grid(3, 3);
  grid.SetCell(2, 2, "kept");
  grid.SetRowCount(2);
  grid.SetColCount(2);
  EXPECT_EQ(grid.Cell(2, 2), "") << "outside the grid reads empty";
  grid.SetCell(2, 2, "ignored");
  grid.SetRowCount(3);
  grid.SetColCount(3);
  EXPECT_EQ(grid.Cell(2, 2), "kept");
}

TEST(GridModel, SortRowsIsStableIgnoresLetterCaseAndKeepsFixedRows) {
  using Rows = std::vector<std::vector<std::string>>;
  const auto numeric = [](std::string_view a, std::string_view b) {
    return std::stoi(std::string(a)) - std::stoi(std::string(b));
  };
  struct Case {
    const char* what;
    int fixedRows, col;
    plat::ui::GridModel::TextCompare compare;
    Rows rows, want;
  };
  const Case cases[] = {
      {"letter case and diacritics, equal keys in their order", 0, 0, {},
       {{"b", "0"}, {"A", "1"}, {"a", "2"}, {"B", "3"}, {"\xC3\xA4", "4"}},
       {{"A", "1"}, {"a", "2"}, {"\xC3\xA4", "4"}, {"b", "0"}, {"B", "3"}}},
      {"the fixed row stays on top", 1, 1, {},
       {{"Nr", "Name"}, {"2", "Zoe"}, {"1", "anna"}, {"3", "Anna"}},
       {{"Nr", "Name"}, {"1", "anna"}, {"3", "Anna"}, {"2", "Zoe"}}},
      {"an own comparison", 0, 0, numeric, {{"10", "a"}, {"9", "b"}, {"10", "c"}}, {{"9", "b"}, {"10", "a"}, {"10", "c"}}},
      {"a column outside the grid", 0, 2, {}, {{"b", "0"}, {"a", "1"}}, {{"b", "0"}, {"a", "1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    plat::ui::GridModel grid(2, static_cast<int>(c.rows.size()));
    grid.SetFixedRows(c.fixedRows);
    for (int r = 0; r < grid.RowCount(); ++r)
      for (int k = 0; k < 2; ++k) grid.SetCell(k, r, c.rows[r][k]);
    grid.SortRows(c.col, c.compare);
    Rows got;
    for (int r = 0; r < grid.RowCount(); ++r) got.push_back(Row(grid, r));
    EXPECT_EQ(got, c.want);
  }
}

TEST(GridModel, SortRowsLeavesCellsCutOffWhereTheyAre) {
  plat::ui::GridModel grid(3, 2);
  grid.SetFixedRows(0);
  grid.SetCell(0, 0, "b");
  grid.SetCell(2, 0, "first");
  grid.SetCell(0, 1, "a");
  grid.SetColCount(2);
  grid.SortRows(0);
  grid.SetColCount(3);
  EXPECT_EQ(Row(grid, 0), (std::vector<std::string>{"a", "", "first"}));
  EXPECT_EQ(Row(grid, 1), (std::vector<std::string>{"b", "", ""}));
}
