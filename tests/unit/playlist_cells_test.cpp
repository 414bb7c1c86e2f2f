// What a playlist grid cell may hold and the kind a library file gets.
#include <gtest/gtest.h>

#include "editor/Playlist.h"

TEST(PlaylistCells, TypedTextsLoseWhatWouldSplitTheLine) {
  const struct {
    const char* typed;
    const char* kept;
  } cases[] = {{" 1,30 ", "130"}, {"a\r\nb", "ab"}, {",,,", ""}, {"\t x \t", "x"}, {"Grün & Weiß", "Grün & Weiß"}};
  for (const auto& c : cases) EXPECT_EQ(PlaylistCellText(c.typed), c.kept) << c.typed;
}

TEST(PlaylistCells, EffectsAreWholeNumbers) {
  const struct {
    const char* text;
    bool whole;
  } cases[] = {{"0", true},       {"12", true},  {"-1", true},  {"+3", true},        {"", false},
               {"-", false},      {"1.5", false}, {" 1", false}, {"weich", false},   {"123456789", true},
               {"1234567890", false}};
  for (const auto& c : cases) EXPECT_EQ(IsWholeNumber(c.text), c.whole) << c.text;
}

TEST(PlaylistCells, ALibraryFileIsKnownByTheTextAfterItsFirstDot) {
  const struct {
    const char* name;
    const char* type;
    bool icon;
  } cases[] = {{"gif", "7", true},      {"Bild.JPEG", "0", true}, {"a.b.jpg", "", false}, {"seite.html", "4", true},
               {"folien.ppt", "4", true}, {"readme.txt", "", false}, {"kamera.str", "16", true}};
  for (const auto& c : cases) {
    const AddedKind kind = KindOfLibraryFile(c.name);
    EXPECT_EQ(kind.type, c.type) << c.name;
    EXPECT_EQ(!kind.icon.empty(), c.icon) << c.name;
  }
  EXPECT_NE(KindOfLibraryFile("seite.html").icon, KindOfLibraryFile("folien.ppt").icon) << "HTML5 against the eye";
  EXPECT_FALSE(FitsPlaylistLine("Komma, Bild.jpg"));
  EXPECT_FALSE(FitsPlaylistLine("zwei\nZeilen.jpg"));
  EXPECT_TRUE(FitsPlaylistLine("Grün & Weiß.jpg"));
}
