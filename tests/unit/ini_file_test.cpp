#include "platform/io/ini_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/io/text_file.h"
#include "support/test_support.h"

using plat::io::Encoding;
using plat::io::IniKeys;
using plat::io::IniRead;
using plat::io::IniWrite;
using testing_support::TempDir;

namespace {

class IniFile : public ::testing::Test {
 protected:
  std::string Put(std::string_view bytes) {
    dir.Write("Setup.ini", bytes);
    return file;
  }
  std::string Bytes() const { return dir.Read("Setup.ini"); }
  Encoding FileEncoding() const { return plat::io::ReadTextFile(file).encoding; }

  TempDir dir;
  std::string file = dir.sys() + "Setup.ini";
};

const char kSample[] =
    "; not a comment syntax, just a line without '='\r\n"
    "orphan=before any section\r\n"
    "[Settings]\r\n"
    "Port=8077\r\n"
    "  Title  =   Stadion Nord  \r\n"
    "Tabs=\t x \t\r\n"
    "dq=\"quoted\"\r\n"
    "sq='single'\r\n"
    "two=\"\"inner\"\"\r\n"
    "mixed=\"open'\r\n"
    "one=\"\r\n"
    "emptyq=''\r\n"
    "inside=a \"b\" c\r\n"
    "eq=a=b=c\r\n"
    "empty=\r\n"
    "Some Key = spaced name\r\n"
    "no equals sign here\r\n"
    "Port=9999\r\n"
    "[ Other ]\r\n"
    "Port=1\r\n"
    "[settings]\r\n"
    "Late=from the second section\r\n"
    "[Open\r\n"
    "k=no closing bracket\r\n";

}  // namespace

TEST_F(IniFile, ReadFollowsProfileRules) {
  Put(kSample);
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"Settings", "Port", "8077"},           // the first of a repeated key wins
      {"SETTINGS", "port", "8077"},
      {"Settings", "title", "Stadion Nord"},  // blanks around key and value dropped
      {"Settings", "Tabs", "x"},
      {"Settings", "dq", "quoted"},
      {"Settings", "sq", "single"},
      {"Settings", "two", "\"inner\""},       // only one pair of quotes
      {"Settings", "mixed", "\"open'"},
      {"Settings", "one", "\""},
      {"Settings", "emptyq", ""},
      {"Settings", "inside", "a \"b\" c"},
      {"Settings", "eq", "a=b=c"},
      {"Settings", "empty", ""},
      {"Settings", "some key", "spaced name"},
      {"Settings", "no equals sign here", std::nullopt},
      {"Settings", "Late", std::nullopt},     // the first section of a name wins
      {"Settings", "orphan", std::nullopt},
      {"other", "Port", "1"},
      {"Open", "k", "no closing bracket"},
      {"Missing", "Port", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(IniRead(file, c.section, c.key), c.value);
  }
  EXPECT_EQ(IniRead(dir.sys() + "none.ini", "Settings", "Port"), std::nullopt);
}

TEST_F(IniFile, UmlautNamesMatchInEveryEncodingAndLetterCase) {
  const std::string text =
      "[Ma\xC3\x9F" "e]\r\nH\xC3\xB6he=12,5\r\nVerl\xC3\xA4ngerung=j\xC3\xA4\r\n";
  struct Case {
    const char* what;
    Encoding encoding;
  };
  const Case files[] = {{"Windows-1252", Encoding::Cp1252},
                        {"UTF-8", Encoding::Utf8},
                        {"UTF-8 BOM", Encoding::Utf8Bom},
                        {"UTF-16", Encoding::Utf16LE}};
  for (const Case& f : files) {
    SCOPED_TRACE(f.what);
    Put(plat::io::EncodeText(text, f.encoding));
    EXPECT_EQ(IniRead(file, "Ma\xC3\x9F" "e", "H\xC3\xB6he"), "12,5");
    EXPECT_EQ(IniRead(file, "MA\xC3\x9F" "E", "H\xC3\x96HE"), "12,5");
    EXPECT_EQ(IniRead(file, "ma\xC3\x9F" "e", "VERL\xC3\x84NGERUNG"), "j\xC3\xA4");
    EXPECT_EQ(IniKeys(file, "MA\xC3\x9F" "E"), (std::vector<std::string>{"H\xC3\xB6he", "Verl\xC3\xA4ngerung"}));
  }
}

TEST_F(IniFile, LongValueIsCutAt2047Characters) {
  std::string value;
  for (int i = 0; i < 3000; ++i) value += (i % 2) ? "\xC3\xA4" : "x";  // bytes and characters differ
  Put("[S]\r\nlong=" + value + "\r\n");
  auto got = IniRead(file, "S", "long");
  ASSERT_TRUE(got);
  std::string expected;
  for (int i = 0; i < 2047; ++i) expected += (i % 2) ? "\xC3\xA4" : "x";
  EXPECT_EQ(*got, expected);
}

TEST_F(IniFile, KeysListedInFileOrderOnce) {
  Put(kSample);
  EXPECT_EQ(IniKeys(file, "settings"),
            (std::vector<std::string>{"Port", "Title", "Tabs", "dq", "sq", "two", "mixed", "one", "emptyq",
                                      "inside", "eq", "empty", "Some Key"}));
  EXPECT_TRUE(IniKeys(file, "Missing").empty());
  EXPECT_TRUE(IniKeys(dir.sys() + "none.ini", "Settings").empty());
}

TEST_F(IniFile, WriteChangesOnlyTheLineItConcerns) {
  struct Case {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const std::string doc =
      "# header line\r\n"
      "\r\n"
      "[A]\r\n"
      "x = 1   \r\n"
      "; remark\r\n"
      "y=2\r\n"
      "junk line\r\n"
      "\r\n"
      "\r\n"
      "[B]\r\n"
      "z=3\r\n";
  const Case cases[] = {
      {"existing key", doc, "a", "X", "new",
       "# header line\r\n\r\n[A]\r\nX=new\r\n; remark\r\ny=2\r\njunk line\r\n\r\n\r\n[B]\r\nz=3\r\n"},
      {"new key after the last entry", doc, "A", "w", "4",
       "# header line\r\n\r\n[A]\r\nx = 1   \r\n; remark\r\ny=2\r\nw=4\r\njunk line\r\n\r\n\r\n[B]\r\nz=3\r\n"},
      {"new key in the last section", doc, "B", "k", "v",
       "# header line\r\n\r\n[A]\r\nx = 1   \r\n; remark\r\ny=2\r\njunk line\r\n\r\n\r\n[B]\r\nz=3\r\nk=v\r\n"},
      {"new section", doc, "C", "k", "v", doc + "[C]\r\nk=v\r\n"},
      {"section without entries", "[A]\r\n\r\n[B]\r\n", "A", "k", "v", "[A]\r\nk=v\r\n\r\n[B]\r\n"},
      {"file without final line break", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2\r\n"},
      {"new section, no final line break", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
      {"LF file keeps LF", "[A]\nx=1\n", "A", "y", "2", "[A]\nx=1\ny=2\n"},
      {"first of two sections", "[A]\r\nx=1\r\n[a]\r\nx=2\r\n", "A", "x", "9", "[A]\r\nx=9\r\n[a]\r\nx=2\r\n"},
      {"empty file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put(c.before);
    ASSERT_TRUE(IniWrite(file, c.section, c.key, c.value));
    EXPECT_EQ(Bytes(), c.after);
    EXPECT_EQ(IniRead(file, c.section, c.key), c.value);
  }
}

TEST_F(IniFile, WriteCreatesFileThroughPathInAnyLetterCase) {
  std::filesystem::create_directory(dir.path() / "Config");
  ASSERT_TRUE(IniWrite(dir.sys() + "config\\Neu.ini", "Display", "Name", "Nord"));
  EXPECT_EQ(dir.Read("Config/Neu.ini"), "[Display]\r\nName=Nord\r\n");
  ASSERT_TRUE(IniWrite(dir.sys() + "CONFIG\\neu.INI", "display", "Port", "80"));
  EXPECT_EQ(dir.Read("Config/Neu.ini"), "[Display]\r\nName=Nord\r\nPort=80\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "Config"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(IniFile, WriteFailureReturnsFalseAndChangesNothing) {
  EXPECT_FALSE(IniWrite(dir.sys() + "missing\\Setup.ini", "S", "k", "v"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));

  auto p = dir.Write("locked.ini", "[S]\r\nk=old\r\n");
  std::filesystem::permissions(p, std::filesystem::perms::owner_read);
  EXPECT_FALSE(IniWrite(dir.sys() + "locked.ini", "S", "k", "new"));
  EXPECT_EQ(dir.Read("locked.ini"), "[S]\r\nk=old\r\n");
}

TEST_F(IniFile, WriteKeepsTheFileEncodingWithoutLosingCharacters) {
  struct Case {
    const char* what;
    std::string before;  // empty: no file yet
    const char* value;
    Encoding after;
  };
  const Case cases[] = {
      {"new file, fits 1252", "", "H\xC3\xB6he \xE2\x82\xAC", Encoding::Cp1252},
      {"new file, beyond 1252", "", "\xC5\x81\xC3\xB3" "d\xC5\xBA", Encoding::Utf8Bom},
      {"1252 file", "[S]\r\nold=gr\xFC\xDF\r\n", "\xC3\xA4", Encoding::Cp1252},
      {"1252 file, value beyond 1252", "[S]\r\nold=gr\xFC\xDF\r\n", "\xC5\x81\xC3\xB3" "d\xC5\xBA",
       Encoding::Utf8Bom},
      {"UTF-8 file", "[S]\r\nold=gr\xC3\xBC\xC3\x9F\r\n", "\xC3\xA4", Encoding::Utf8},
      {"UTF-16 file", plat::io::EncodeText("[S]\r\nold=gr\xC3\xBC\xC3\x9F\r\n", Encoding::Utf16LE), "\xC3\xA4",
       Encoding::Utf16LE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    std::string path = d.sys() + "x.ini";
    if (!c.before.empty()) d.Write("x.ini", c.before);
    ASSERT_TRUE(IniWrite(path, "S", "new", c.value));
    EXPECT_EQ(plat::io::ReadTextFile(path).encoding, c.after);
    EXPECT_EQ(IniRead(path, "S", "new"), c.value);
    if (!c.before.empty()) {
      EXPECT_EQ(IniRead(path, "S", "old"), "gr\xC3\xBC\xC3\x9F");
    }
  }
}

TEST_F(IniFile, UnchangedBytesOfA1252FileStayAsTheyWere) {
  Put("[S]\r\nstadion=\x80 \x81\x8D\xE4\xFF\r\n");
  ASSERT_TRUE(IniWrite(file, "S", "k", "v"));
  EXPECT_EQ(Bytes(), "[S]\r\nstadion=\x80 \x81\x8D\xE4\xFF\r\nk=v\r\n");
  EXPECT_EQ(FileEncoding(), Encoding::Cp1252);
}

TEST_F(IniFile, EveryCallSeesTheFileAsItIsNow) {
  Put("[S]\r\nk=1\r\n");
  EXPECT_EQ(IniRead(file, "S", "k"), "1");
  Put("[S]\r\nk=2\r\n");
  EXPECT_EQ(IniRead(file, "S", "k"), "2");
  std::filesystem::remove(dir.path() / "Setup.ini");
  EXPECT_EQ(IniRead(file, "S", "k"), std::nullopt);
}

TEST_F(IniFile, WritersOfOneFileInManyThreadsKeepEveryKey) {
  Put("[Other]\r\nx=1\r\n");
  std::filesystem::create_directory(dir.path() / "Config");
  // Some threads name the file in another letter case: still one file, one lock.
  const std::string spellings[] = {file, dir.sys() + "SETUP.ini", dir.sys() + "setup.INI"};
  constexpr int kThreads = 8;
  constexpr int kKeys = 12;
  std::vector<std::thread> threads;
  std::atomic<int> failed{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int k = 0; k < kKeys; ++k) {
        const std::string section = k % 2 ? "Odd" : "Even";
        if (!IniWrite(spellings[t % 3], section, "t" + std::to_string(t) + "k" + std::to_string(k),
                      std::to_string(t * 100 + k))) {
          ++failed;
        }
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failed, 0);
  for (int t = 0; t < kThreads; ++t) {
    for (int k = 0; k < kKeys; ++k) {
      SCOPED_TRACE("thread " + std::to_string(t) + " key " + std::to_string(k));
      EXPECT_EQ(IniRead(file, k % 2 ? "Odd" : "Even", "t" + std::to_string(t) + "k" + std::to_string(k)),
                std::to_string(t * 100 + k));
    }
  }
  EXPECT_EQ(IniRead(file, "Other", "x"), "1");
  EXPECT_EQ(IniKeys(file, "Even").size() + IniKeys(file, "Odd").size(), std::size_t{kThreads * kKeys});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
            2);  // the file and the folder: no second spelling, no temporary file
}

TEST_F(IniFile, ALineBreakInAValueNeverAddsLines) {
  struct Case {
    const char* what;
    const char* value;
    const char* stored;
  };
  const Case cases[] = {
      {"CR LF", "a\r\nb", "a b"},
      {"LF", "a\nb", "a b"},
      {"CR", "a\rb", "a b"},
      {"a section and a key smuggled in", "x\r\n[Admin]\r\npassword=", "x [Admin] password="},
      {"breaks only", "\r\n\n\r", ""},  // blanks around a value are dropped on read
      {"LF CR is two breaks", "a\n\rb", "a  b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("[S]\r\nfirst=1\r\nk=old\r\nlast=2\r\n");
    ASSERT_TRUE(IniWrite(file, "S", "k", c.value));
    EXPECT_EQ(plat::io::SplitLines(Bytes()).size(), 4u) << Bytes();
    EXPECT_EQ(IniRead(file, "S", "k"), c.stored);
    EXPECT_EQ(IniRead(file, "S", "last"), "2");
    EXPECT_EQ(IniRead(file, "Admin", "password"), std::nullopt);
  }
}

TEST_F(IniFile, NamesThatCouldNotBeReadBackAreRefused) {
  const std::string before = "[S]\r\nk=v\r\n";
  struct Case {
    const char* section;
    const char* key;
  };
  const Case cases[] = {
      {"S\r\n[T", "k"}, {"S\n", "k"}, {"a]b", "k"}, {"S", "k\r\nx"}, {"S", "a=b"}, {"S", "[T]"}, {"S", "  [T"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    Put(before);
    EXPECT_FALSE(IniWrite(file, c.section, c.key, "v"));
    EXPECT_EQ(Bytes(), before);
  }
}

TEST_F(IniFile, NamesInACallMatchWithoutTheBlanksAroundThem) {
  Put("[ S ]\r\n k =v\r\n");
  EXPECT_EQ(IniRead(file, " S", "k "), "v");
  EXPECT_EQ(IniKeys(file, "S\t"), std::vector<std::string>{"k"});
  ASSERT_TRUE(IniWrite(file, "S ", " k", "w"));
  ASSERT_TRUE(IniWrite(file, " T ", " n ", "1"));
  EXPECT_EQ(Bytes(), "[ S ]\r\nk=w\r\n[T]\r\nn=1\r\n");
}

TEST_F(IniFile, MalformedUtf8InAWriteDoesNotSpoilAUtf8File) {
  // Written as it is, the byte would make the whole file read as Windows-1252.
  Put("[S]\r\nname=J\xC3\xB6rg\r\n");
  ASSERT_TRUE(IniWrite(file, "S", "k\xE4", "M\xE4rz"));
  EXPECT_EQ(IniRead(file, "S", "name"), "J\xC3\xB6rg");
  EXPECT_EQ(IniRead(file, "S", "k\xE4"), "M\xEF\xBF\xBDrz");
  EXPECT_EQ(FileEncoding(), Encoding::Utf8);
}

TEST_F(IniFile, AnAnsiFileWhoseBytesWouldReadAsUtf8AfterAWriteTurnsUtf8) {
  // The only non-ASCII line is replaced; what stays is "Ã¤" in Windows-1252,
  // byte for byte the UTF-8 of "ä".
  Put("[S]\r\nk=Gr\xC3\xA4\r\nold=\xDF\r\n");
  ASSERT_TRUE(IniWrite(file, "S", "old", "x"));
  EXPECT_EQ(IniRead(file, "S", "k"), "Gr\xC3\x83\xC2\xA4");
  EXPECT_EQ(FileEncoding(), Encoding::Utf8Bom);
}
