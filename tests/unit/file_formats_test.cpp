#include <gtest/gtest.h>

#include "common/Main.h"
#include "editor/FileFormats.h"
#include "support/test_support.h"

using testing_support::TempDir;

TEST(NormalizeTime, Table) {
  struct Case {
    const char* typed;
    const char* stored;
  };
  const Case cases[] = {
      {"", "00:10"},     {"5", "00:05"},      {"45", "00:45"},    {"130", "01:30"},
      {"1:30", "01:30"}, {"0130", "01:30"},   {"99", "00:59"},    {"10:75", "10:59"},
      {"01234", "12:34"}, {"12345", "123:45"}, {"abc", "00:59"},  {"00:10", "00:10"},
      {"::", "00:10"},   {"1:2:3:4", "12:34"}, {"0099", "00:59"},  {"123:99", "123:99"},
      {"9900123", "01:23"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeTime(c.typed), c.stored) << "'" << c.typed << "'";
}

TEST(PlaylistLine, WrittenAndSplitByFieldNumber) {
  std::vector<std::string> fields = {"1", "intro.mp4", "00:10", "0", "1", "Containers\\Clips\\intro.mp4", "1", "2"};
  std::string line = FormatPlaylistLine(fields);
  EXPECT_EQ(line, ",1,intro.mp4,00:10,0,1,Containers\\Clips\\intro.mp4,1,2,,,,,,,,,,,,");
  EXPECT_EQ(line.substr(line.find(",2,") + 2), ",,,,,,,,,,,,") << "fields 9 to 19 empty: twelve commas";
  auto pieces = SplitPlaylistLine(line);
  ASSERT_EQ(pieces.Count(), 20);
  EXPECT_EQ(pieces[0], "");
  EXPECT_EQ(pieces[plFile], "intro.mp4");
  EXPECT_EQ(pieces[plPath], "Containers\\Clips\\intro.mp4");
  EXPECT_EQ(pieces[plType], "2");
  EXPECT_EQ(pieces[plKat2], "");
  EXPECT_TRUE(HasPlaylistFields(pieces, 19));
  // A line that lacks the category fields still has what the display reads.
  auto shorter = SplitPlaylistLine(",1,a.jpg,00:05,0,0,Containers\\a.jpg,1,0,,,,,,,,0000011,,");
  EXPECT_TRUE(HasPlaylistFields(shorter, plWeekdays));
  EXPECT_FALSE(HasPlaylistFields(shorter, 19));
}

TEST(MediaTypeCode, ByTheTextAfterTheFirstDot) {
  struct Case {
    const char* file;
    const char* code;
  };
  const Case cases[] = {
      {"a.jpg", "0"},  {"A.JPEG", "0"}, {"b.bmp", "0"},  {"c.png", "0"},  {"d.gif", "7"},
      {"e.mpg", "2"},  {"f.MP4", "2"},  {"g.mp3", "2"},  {"h.mov", "2"},  {"i.ppt", "4"},
      {"j.pptx", "4"}, {"k.web", "4"},  {"l.html", "4"}, {"m.htm", "4"},  {"n.pdf", "9"},
      {"o.sls", "12"}, {"p.str", "16"}, {"q.txt", ""},   {"clip.final.mp4", ""}, {"JPG", ""},
      {"noext", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(MediaTypeCodeForFile(c.file), c.code) << c.file;
}

TEST(FrameLayout, LinesRowIndexesAndAppliedRows) {
  EXPECT_EQ(FrameLayoutRowIndex(0), "00");
  EXPECT_EQ(FrameLayoutRowIndex(9), "09");
  EXPECT_EQ(FrameLayoutRowIndex(10), "10");
  std::string line = FormatFrameLayoutLine({"1", "0", "0", "868", "868", "1", "-", "Haupt", "1", "00000000"}, 1);
  EXPECT_EQ(line, "1,0,0,868,868,1,-,Haupt,1,00000000,01");
  // Read back through the grid loader, as the display and the editor do.
  TempDir dir;
  std::string file;
  for (int i = 0; i < 8; ++i)
    file += FormatFrameLayoutLine({"f", std::to_string(i * 10), "0", "100", "100", i ? "1" : "", "-", "", "", "00302010"}, i) + "\r\n";
  dir.Write("Config/Frames/eight.frm", file);
  plat::ui::GridModel grid;
  LoadCsvIntoGrid(dir.sys() + "Config\\Frames\\eight.frm", grid);
  ASSERT_EQ(grid.RowCount(), 8);
  EXPECT_EQ(grid.Cell(flTop, 3), "30");
  EXPECT_EQ(grid.Cell(flColor, 0), "00302010");
  EXPECT_EQ(grid.Cell(flIndex, 7), "07");
  EXPECT_EQ(AppliedFrameLayoutRows(8), 6) << "lines 0 to 5: the background and panels 1 to 5";
  EXPECT_EQ(AppliedFrameLayoutRows(2), 0);
  EXPECT_EQ(AppliedFrameLayoutRows(0), 0);
}

TEST(TickerSettings, ReadWithoutFontAndWrittenBack) {
  TempDir dir;
  // A prepared Windows-1252 file: "Höhe" with the byte 0xF6.
  dir.Write("Config/Ticks/Ticker.tck", "[Ticker]\r\nText=Willkommen\r\nOben=700\r\nLinks=0\r\nBreite=1280\r\nH\xf6he=60\r\nBackColor=255\r\n");
  std::string file = dir.sys() + "Config\\Ticks\\Ticker.tck";
  TickerSettings t = ReadTickerSettings(file);
  EXPECT_EQ(t.text, "Willkommen");
  EXPECT_EQ(t.hoehe, "60");
  EXPECT_EQ(t.backColor, "255");
  EXPECT_EQ(t.fontName, "");
  EXPECT_EQ(t.fontSize, "");

  WriteTickerPosition(file, "Anpfiff 15:30", 680, 10, 1260, 70);
  t = ReadTickerSettings(file);
  EXPECT_EQ(t.text, "Anpfiff 15:30");
  EXPECT_EQ(t.oben, "680");
  EXPECT_EQ(t.hoehe, "70");
  EXPECT_EQ(t.backColor, "255") << "keys the console does not write stay";
  EXPECT_NE(dir.Read("Config/Ticks/Ticker.tck").find("H\xf6he=70"), std::string::npos) << "the file stays Windows-1252";
}
