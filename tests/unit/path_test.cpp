// System paths: case-insensitive resolution on a real folder tree, joining
// below a root without leaving it, wildcards and the Extract* helpers.
#include "platform/io/path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

using testing_support::TempDir;
namespace fs = std::filesystem;

namespace {

class PathResolve : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Config/tsUsers.ini", "[profi]");
    dir_.Write("Media/Bilder/Heim/J8_TS.jpg", "jpg");
    dir_.Write("Daten/SPIELERPRÄSENTATION.XML", "<x/>");
    dir_.Write("Playlists/System/Spielstand.pyl", "pyl");
    dir_.Write("Dup/a.txt", "lower");
    dir_.Write("Dup/A.TXT", "upper");
  }
  TempDir dir_;
};

TEST_F(PathResolve, MatchesEachComponentWithoutRegardToCase) {
  struct Case {
    const char* given;     // relative system path as the application writes it
    const char* expected;  // relative native path that must come out
  };
  const Case cases[] = {
      {"Config\\tsUsers.ini", "Config/tsUsers.ini"},  // exact
      {"config\\TSUSERS.INI", "Config/tsUsers.ini"},
      {"MEDIA\\bilder\\hEIM\\j8_ts.JPG", "Media/Bilder/Heim/J8_TS.jpg"},  // deep, mixed case
      {"daten\\spielerPräsentation.xml", "Daten/SPIELERPRÄSENTATION.XML"},  // umlaut
      {"playlists/SYSTEM\\spielstand.PYL", "Playlists/System/Spielstand.pyl"},  // both separators
      {"media\\.\\bilder\\\\heim\\j8_ts.jpg", "Media/Bilder/Heim/J8_TS.jpg"},  // "." and empty parts
      {"media\\nothing\\..\\bilder\\heim\\j8_ts.jpg", "Media/Bilder/Heim/J8_TS.jpg"},  // ".." applied lexically
      {"CONFIG\\NewFile.ini", "Config/NewFile.ini"},  // a new file keeps its name
      {"config\\NewFolder\\Sub\\tsusers.ini", "Config/NewFolder/Sub/tsusers.ini"},  // rest kept as given
      {"config\\tsusers.ini\\below", "Config/tsUsers.ini/below"},  // below a file: nothing to match
      {"dup\\A.TXT", "Dup/A.TXT"},  // an exact name wins over another spelling
      {"dup\\a.txt", "Dup/a.txt"},
  };
  const std::string root = plat::io::ToSystemFolder(dir_.path());
  for (const Case& c : cases) {
    EXPECT_EQ(plat::io::Resolve(root + c.given), dir_.path() / c.expected) << c.given;
  }
}

TEST_F(PathResolve, SlashAndBackslashRootsAreAbsolute) {
  // The program folder arrives as "/tmp/x/" in tests and as "\tmp\x\" from
  // the configuration; both must reach the same file.
  const fs::path expected = dir_.path() / "Config/tsUsers.ini";
  EXPECT_EQ(plat::io::Resolve(dir_.sys() + "config/tsusers.ini"), expected);
  EXPECT_EQ(plat::io::Resolve(plat::io::ToSystemFolder(dir_.path()) + "config\\tsusers.ini"), expected);
}

TEST_F(PathResolve, FileAndDirectoryExistenceFollowResolution) {
  const std::string root = dir_.sys();
  EXPECT_TRUE(plat::io::FileExists(root + "CONFIG\\TSUSERS.INI"));
  EXPECT_FALSE(plat::io::DirectoryExists(root + "CONFIG\\TSUSERS.INI"));
  EXPECT_TRUE(plat::io::DirectoryExists(root + "media\\BILDER\\"));
  EXPECT_FALSE(plat::io::FileExists(root + "media\\BILDER"));
  EXPECT_FALSE(plat::io::FileExists(root + "config\\missing.ini"));
  EXPECT_FALSE(plat::io::DirectoryExists(root + "missing"));

  fs::create_symlink(dir_.path() / "Config/tsUsers.ini", dir_.path() / "link.ini");
  EXPECT_TRUE(plat::io::FileExists(root + "LINK.INI")) << "a link to a file counts as a file";
}

TEST(PathJoinBelow, RefusesEveryWayOut) {
  const std::string root = "\\srv\\tess\\Media\\";
  const std::string refused[] = {
      "..",          "..\\",           "../",           "..\\x.jpg",     "../x.jpg",
      "a/../../b",   "a\\..\\..\\b",   "a\\..",         "a/b/../..\\..", "/abs",
      "\\abs",       "C:\\x",          "c:x",           "C:",            std::string("a\0b", 3),
      "ok\\..\\..",
  };
  for (const std::string& rel : refused) {
    std::string out = "untouched";
    EXPECT_FALSE(plat::io::JoinBelow(root, rel, out)) << rel;
  }
}

TEST(PathJoinBelow, JoinsWhatStaysInside) {
  struct Case {
    const char* root;
    const char* relative;
    const char* joined;
  };
  const Case cases[] = {
      {"\\srv\\tess\\", "Media\\a.jpg", "\\srv\\tess\\Media\\a.jpg"},
      {"/srv/tess/", "files/x.jpg", "/srv/tess/files/x.jpg"},
      {"/srv/tess", "x.jpg", "/srv/tess/x.jpg"},  // separator added when the root lacks one
      {"\\srv\\tess", "x.jpg", "\\srv\\tess\\x.jpg"},
      {"/srv/", "%2e%2e/x", "/srv/%2e%2e/x"},  // encoded text is a literal name here
      {"/srv/", "..a\\a..\\...", "/srv/..a\\a..\\..."},  // dots inside names are names
      {"/srv/", "a//b", "/srv/a//b"},
      {"/srv/", "", "/srv/"},
  };
  for (const Case& c : cases) {
    std::string out;
    ASSERT_TRUE(plat::io::JoinBelow(c.root, c.relative, out)) << c.relative;
    EXPECT_EQ(out, c.joined) << c.relative;
  }
}

TEST(PathWildcard, MatchesLikeWindows) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*.*", "readme", true},  // Windows: "*.*" is every name
      {"*.*", "a.b.c", true},
      {"*.*", "", true},
      {"*.jpg", "BILD.JPG", true},
      {"*.jpg", "bild.jpeg", false},
      {"*.pyl", "x.pyl.bak", false},
      {"abc.*", "abc", true},
      {"abc.*", "abcd", false},
      {"?.txt", "ä.txt", true},  // '?' is one code point, not one byte
      {"??.txt", "ä.txt", false},
      {"*PRÄS*", "spielerpräsentation.xml", true},
      {"spiel*.PYL", "Spielstand.pyl", true},
      {"a*b*c", "aXbYc", true},
      {"a*b*c", "aXbY", false},
      {"*ab", "aab", true},  // needs backtracking
      {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaa", false},
      {"*", "", true},
      {"", "", true},
      {"", "a", false},
      {"x?", "x", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::io::WildcardMatch(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

TEST(PathExtract, SplitsFolderNameAndExtension) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\a\\b.txt", "C:\\a\\", "b.txt", ".txt"},
      {"/a/b/c.Frm", "/a/b/", "c.Frm", ".Frm"},
      {"a.b.Frm", "", "a.b.Frm", ".Frm"},
      {"dir.x\\file", "dir.x\\", "file", ""},  // a dot in the folder is no extension
      {"mixed/sep\\name.jpg", "mixed/sep\\", "name.jpg", ".jpg"},
      {"folder\\", "folder\\", "", ""},
      {"Präsentation.Xml", "", "Präsentation.Xml", ".Xml"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::io::ExtractFilePath(c.path), c.folder) << c.path;
    EXPECT_EQ(plat::io::ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(plat::io::ExtractFileExt(c.path), c.ext) << c.path;
  }
}

TEST(PathSystemFolder, UsesBackslashesAndATrailingOne) {
  EXPECT_EQ(plat::io::ToSystemFolder("/srv/tess"), "\\srv\\tess\\");
  EXPECT_EQ(plat::io::ToSystemFolder("/srv/tess/"), "\\srv\\tess\\");
}

TEST(PathListDirectory, ListsEverythingButDotEntries) {
  TempDir dir;
  dir.Write("Media/visible.jpg", "x");
  dir.Write("Media/.hidden", "x");
  dir.Write("Media/Sub/inner.jpg", "x");
  fs::create_directory_symlink(dir.path() / "Media/Sub", dir.path() / "Media/SubLink");

  std::vector<plat::io::DirEntry> entries = plat::io::ListDirectory(dir.sys() + "MEDIA\\");
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 4u);
  struct Expected {
    const char* name;
    bool isDirectory;
    bool isHidden;
  };
  const Expected expected[] = {
      {".hidden", false, true}, {"Sub", true, false}, {"SubLink", true, false}, {"visible.jpg", false, false}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].isDirectory, expected[i].isDirectory) << expected[i].name;
    EXPECT_EQ(entries[i].isHidden, expected[i].isHidden) << expected[i].name;
  }
  EXPECT_TRUE(plat::io::ListDirectory(dir.sys() + "missing").empty());
}

}  // namespace

TEST_F(PathResolve, CreateDirectoriesMakesTheMissingFoldersBelowTheExistingOnes) {
  struct Case {
    const char* what;
    const char* path;  // below the temporary folder
    const char* made;  // the folder that exists afterwards (slashes)
  };
  const Case cases[] = {
      {"existing in another letter case", "MEDIA\\bilder", "Media/Bilder"},
      {"new below an existing one in another case", "media\\BILDER\\Gast\\Spieler", "Media/Bilder/Gast/Spieler"},
      {"trailing separator", "Containers\\teams\\FC Nord\\", "Containers/teams/FC Nord"},
      {"mixed separators", "Containers/Teams\\FC Süd/Spieler", "Containers/teams/FC Süd/Spieler"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(plat::io::CreateDirectories(dir_.sys() + c.path));
    EXPECT_TRUE(fs::is_directory(dir_.path() / c.made));
  }
  // One folder per name: "teams" was found again, not made a second time.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path() / "Containers"), fs::directory_iterator()), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path() / "Media"), fs::directory_iterator()), 1);

  // A file in the way.
  EXPECT_FALSE(plat::io::CreateDirectories(dir_.sys() + "Config\\tsUsers.ini"));
  EXPECT_FALSE(plat::io::CreateDirectories(dir_.sys() + "Config\\TSUSERS.INI\\below"));
  EXPECT_TRUE(fs::is_regular_file(dir_.path() / "Config/tsUsers.ini"));
}
