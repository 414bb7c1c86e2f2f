#include "platform/io/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/io/path.h"
#include "platform/io/utf8.h"
#include "support/test_support.h"

using plat::io::DecodeText;
using plat::io::EncodeText;
using plat::io::Encoding;
using plat::io::IoError;
using testing_support::TempDir;

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

std::set<std::string> Names(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

}  // namespace

TEST(TextDecode, DetectsEncodingByBomThenUtf8ThenWindows1252) {
  struct Case {
    const char* what;
    std::string bytes;
    Encoding encoding;
    std::string text;
  };
  const Case cases[] = {
      {"empty", "", Encoding::Cp1252, ""},
      {"ASCII stays ANSI", "abc\r\n", Encoding::Cp1252, "abc\r\n"},
      {"UTF-8 BOM", "\xEF\xBB\xBF" "abc", Encoding::Utf8Bom, "abc"},
      {"UTF-8 BOM only", "\xEF\xBB\xBF", Encoding::Utf8Bom, ""},
      {"UTF-8 BOM, then a 1252 byte", "\xEF\xBB\xBF" "M\xE4rz", Encoding::Utf8Bom, "M\xEF\xBF\xBDrz"},
      {"UTF-8 BOM, then a cut sequence", "\xEF\xBB\xBF" "a\xE2\x82", Encoding::Utf8Bom,
       "a\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"UTF-8 BOM, then overlong and surrogate", "\xEF\xBB\xBF" "\xC0\xAF\xED\xA0\x80" "\xC3\xA4",
       Encoding::Utf8Bom,
       "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA4"},
      {"UTF-16 LE BOM", Bytes({0xFF, 0xFE, 'a', 0, 0xE4, 0}), Encoding::Utf16LE, "a\xC3\xA4"},
      {"UTF-16 BE BOM", Bytes({0xFE, 0xFF, 0, 'a', 0, 0xE4}), Encoding::Utf16BE, "a\xC3\xA4"},
      {"UTF-16 LE surrogate pair", Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), Encoding::Utf16LE,
       "\xF0\x9F\x98\x80"},
      {"UTF-16 LE lone surrogate", Bytes({0xFF, 0xFE, 0x3D, 0xD8, 'x', 0}), Encoding::Utf16LE,
       "\xEF\xBF\xBDx"},
      {"valid UTF-8", "Gr\xC3\xBC\xC3\x9F" "e", Encoding::Utf8, "Gr\xC3\xBC\xC3\x9F" "e"},
      {"1252 umlaut", "M\xE4rz", Encoding::Cp1252, "M\xC3\xA4rz"},
      {"1252 euro", "\x80 5", Encoding::Cp1252, "\xE2\x82\xAC 5"},
      {"UTF-8 lead byte then invalid byte", "\xC3\xA4\xE4", Encoding::Cp1252, "\xC3\x83\xC2\xA4\xC3\xA4"},
      {"truncated UTF-8 at the end", "ab\xC3", Encoding::Cp1252, "ab\xC3\x83"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto got = DecodeText(c.bytes);
    EXPECT_EQ(got.encoding, c.encoding);
    EXPECT_EQ(got.text, c.text);
    EXPECT_TRUE(plat::io::utf8::IsValid(got.text));
  }
}

TEST(TextEncode, WritesBomAndCodePage) {
  struct Case {
    std::string text;
    Encoding encoding;
    std::string bytes;
  };
  const std::string text = "\xC3\xA4\xE2\x82\xAC";  // "ä€"
  const Case cases[] = {
      {text, Encoding::Cp1252, "\xE4\x80"},
      {text, Encoding::Utf8, text},
      {text, Encoding::Utf8Bom, "\xEF\xBB\xBF" + text},
      {text, Encoding::Utf16LE, Bytes({0xFF, 0xFE, 0xE4, 0x00, 0xAC, 0x20})},
      {text, Encoding::Utf16BE, Bytes({0xFE, 0xFF, 0x00, 0xE4, 0x20, 0xAC})},
      {"\xF0\x9F\x98\x80", Encoding::Utf16LE, Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE})},
      {"\xC5\x81x", Encoding::Cp1252, "?x"},  // "Łx": no Windows-1252 code
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EncodeText(c.text, c.encoding), c.bytes);
  }
}

TEST(TextEncode, EveryWindows1252ByteSurvivesDecodeAndEncode) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  auto decoded = DecodeText(all);
  ASSERT_EQ(decoded.encoding, Encoding::Cp1252);
  EXPECT_EQ(EncodeText(decoded.text, Encoding::Cp1252), all);
}

TEST(TextEncode, RoundTripKeepsTextAndEncoding) {
  const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC\r\nzwei";
  const std::string wide = "\xC5\x81\xC3\xB3" "d\xC5\xBA \xF0\x9F\x98\x80";  // "Łódź 😀"
  struct Case {
    Encoding encoding;
    const std::string* text;
  };
  const Case cases[] = {{Encoding::Cp1252, &text},   {Encoding::Utf8, &text},     {Encoding::Utf8Bom, &wide},
                        {Encoding::Utf16LE, &wide}, {Encoding::Utf16BE, &wide}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.encoding));
    auto back = DecodeText(EncodeText(*c.text, c.encoding));
    EXPECT_EQ(back.encoding, c.encoding);
    EXPECT_EQ(back.text, *c.text);
  }
}

TEST(TextEncode, NewTextIsAnsiWhenItFits) {
  EXPECT_EQ(plat::io::EncodingForNewText(""), Encoding::Cp1252);
  EXPECT_EQ(plat::io::EncodingForNewText("H\xC3\xB6he \xE2\x82\xAC"), Encoding::Cp1252);
  EXPECT_EQ(plat::io::EncodingForNewText("\xC5\x81\xC3\xB3" "d\xC5\xBA"), Encoding::Utf8Bom);
}

TEST(TextLines, SplitOnEveryLineBreakStyle) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"\r\n", {""}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(plat::io::SplitLines(c.text), c.lines);
  }
}

TEST(TextLines, ReadThroughPathInAnyLetterCase) {
  TempDir dir;
  dir.Write("Config/Liste.txt", "eins\r\nzw\xE4i\r\n");
  auto lines = plat::io::ReadLines(dir.sys() + "CONFIG\\liste.TXT");
  EXPECT_EQ(lines, (std::vector<std::string>{"eins", "zw\xC3\xA4i"}));
  EXPECT_THROW(plat::io::ReadLines(dir.sys() + "Config\\missing.txt"), IoError);
  EXPECT_THROW(plat::io::ReadFileBytes(dir.sys() + "Config"), IoError);
}

TEST(TextLines, WriteLinesKeepsTheFileEncoding) {
  const std::vector<std::string> lines = {"eins", "zw\xC3\xA4i"};
  struct Case {
    const char* what;
    std::string existing;  // empty: no file yet
    std::vector<std::string> lines;
    Encoding expected;
  };
  const Case cases[] = {
      {"new ANSI", "", lines, Encoding::Cp1252},
      {"new beyond 1252", "", {"\xC5\x81\xC3\xB3" "d\xC5\xBA"}, Encoding::Utf8Bom},
      {"ANSI file", "x\r\n", lines, Encoding::Cp1252},
      {"UTF-8 file", "\xC3\xA4\r\n", lines, Encoding::Utf8},
      {"UTF-8 BOM file", "\xEF\xBB\xBFx\r\n", lines, Encoding::Utf8Bom},
      {"UTF-16 file", Bytes({0xFE, 0xFF, 0, 'x'}), lines, Encoding::Utf16BE},
      // Rather than turning the new characters into '?'.
      {"ANSI file, text beyond 1252", "x\r\n", {"\xC5\x81\xC3\xB3" "d\xC5\xBA"}, Encoding::Utf8Bom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    if (!c.existing.empty()) dir.Write("list.txt", c.existing);
    plat::io::WriteLines(dir.sys() + "list.txt", c.lines);
    auto back = plat::io::ReadTextFile(dir.sys() + "list.txt");
    EXPECT_EQ(back.encoding, c.expected);
    EXPECT_EQ(plat::io::SplitLines(back.text), c.lines);
    EXPECT_TRUE(back.text.ends_with("\r\n"));
  }
}

class TextAtomicWrite : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(TextAtomicWrite, ReplacesWholeFileAndLeavesNoTemporaryFile) {
  dir.Write("data.txt", "old content that is longer");
  plat::io::WriteFileAtomic(dir.sys() + "data.txt", "new");
  EXPECT_EQ(dir.Read("data.txt"), "new");
  plat::io::WriteFileAtomic(dir.sys() + "fresh.txt", "");
  EXPECT_EQ(dir.Read("fresh.txt"), "");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"data.txt", "fresh.txt"}));
}

TEST_F(TextAtomicWrite, ExistingFileKeepsItsNameNewFileKeepsTheGivenName) {
  dir.Write("Sub/Team.xml", "old");
  plat::io::WriteFileAtomic(dir.sys() + "sub\\team.XML", "new");
  plat::io::WriteFileAtomic(dir.sys() + "SUB\\NewName.txt", "n");
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"Sub"}));
  EXPECT_EQ(Names(dir.path() / "Sub"), (std::set<std::string>{"Team.xml", "NewName.txt"}));
  EXPECT_EQ(dir.Read("Sub/Team.xml"), "new");
}

TEST_F(TextAtomicWrite, KeepsThePermissionsOfTheReplacedFile) {
  auto p = dir.Write("private.txt", "old");
  std::filesystem::permissions(p, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  plat::io::WriteFileAtomic(dir.sys() + "private.txt", "new");
  EXPECT_EQ(std::filesystem::status(p).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(TextAtomicWrite, FailureLeavesOldFileAndNoTemporaryFile) {
  EXPECT_THROW(plat::io::WriteFileAtomic(dir.sys() + "missing\\data.txt", "x"), IoError);
  EXPECT_TRUE(Names(dir.path()).empty());

  // A read-only file is refused even for root, whom the rename would allow.
  auto p = dir.Write("locked.txt", "old");
  std::filesystem::permissions(p, std::filesystem::perms::owner_read);
  EXPECT_THROW(plat::io::WriteFileAtomic(dir.sys() + "locked.txt", "new"), IoError);
  EXPECT_EQ(dir.Read("locked.txt"), "old");

  dir.Write("folder/inside.txt", "x");
  EXPECT_THROW(plat::io::WriteFileAtomic(dir.sys() + "folder", "new"), IoError);
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"locked.txt", "folder"}));
}

// Pages that poll a document ask whether their copy is still the file's
// version: a save in the same tick of the file system's clock, with the
// same size, must still be a new version.
TEST_F(TextAtomicWrite, EverySaveIsANewVersionOfTheFile) {
  auto p = dir.Write("state.xml", "<a>0</a>");
  std::set<std::string> versions{plat::io::FileVersion(p)};
  for (int i = 1; i <= 20; ++i) {
    plat::io::WriteFileAtomic(dir.sys() + "state.xml", "<a>" + std::to_string(i % 10) + "</a>");
    EXPECT_TRUE(versions.insert(plat::io::FileVersion(p)).second) << "save " << i << " looks like an earlier one";
  }
  // A file whose time lies ahead (a clock set back since) still gets a later one.
  const auto ahead = std::filesystem::last_write_time(p) + std::chrono::hours(1);
  std::filesystem::last_write_time(p, ahead);
  plat::io::WriteFileAtomic(dir.sys() + "state.xml", "<a>x</a>");
  EXPECT_GT(std::filesystem::last_write_time(p), ahead);
}

TEST_F(TextAtomicWrite, WritesThroughALinkToTheLinkedFile) {
  auto real = dir.Write("real.txt", "old");
  std::filesystem::create_symlink(real, dir.path() / "link.txt");
  plat::io::WriteFileAtomic(dir.sys() + "link.txt", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.txt"));
  EXPECT_EQ(dir.Read("real.txt"), "new");
}

TEST_F(TextAtomicWrite, AppendAddsTextInTheFileEncoding) {
  struct Case {
    const char* what;
    std::string before;  // empty: no file
    bool create = true;
    std::string after;
  };
  const std::string line = "15:04:05,55:05  J\xC3\xB6rg M\xC3\xBCller 1:0\r\n";
  const std::string ansi = "15:04:05,55:05  J\xF6rg M\xFCller 1:0\r\n";
  const Case cases[] = {
      {"new file: Windows-1252", "", false, ansi},
      {"empty file", "", true, ansi},
      {"ANSI file", "old \xE4\r\n", true, "old \xE4\r\n" + ansi},
      {"ASCII file", "old\r\n", true, "old\r\n" + ansi},
      {"UTF-8 file", "alt \xC3\xA4\r\n", true, "alt \xC3\xA4\r\n" + line},
      {"UTF-8 BOM file: no second BOM", "\xEF\xBB\xBF" "x\r\n", true, "\xEF\xBB\xBF" "x\r\n" + line},
      {"UTF-16 file", EncodeText("x\r\n", Encoding::Utf16LE), true, EncodeText("x\r\n" + line, Encoding::Utf16LE)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir d;
    if (c.create) d.Write("debug.txt", c.before);
    plat::io::AppendTextFile(d.sys() + (c.create ? "DEBUG.txt" : "debug.txt"), line);  // a new file keeps its name
    EXPECT_EQ(d.Read("debug.txt"), c.after);
    EXPECT_EQ(Names(d.path()), (std::set<std::string>{"debug.txt"}));
  }
}

TEST_F(TextAtomicWrite, AppendTurnsAnAnsiFileUtf8RatherThanLosingACharacter) {
  dir.Write("debug.txt", "gr\xFC\xDF\r\n");
  plat::io::AppendTextFile(dir.sys() + "debug.txt", "\xC5\x81\xC3\xB3" "d\xC5\xBA\r\n");
  EXPECT_EQ(dir.Read("debug.txt"), "\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F\r\n\xC5\x81\xC3\xB3" "d\xC5\xBA\r\n");
  // and a new file that needs UTF-8 starts with its BOM
  plat::io::AppendTextFile(dir.sys() + "new.txt", "\xC5\x81");
  EXPECT_EQ(dir.Read("new.txt"), "\xEF\xBB\xBF\xC5\x81");
}

TEST_F(TextAtomicWrite, AppendRefusesWhatItCannotWrite) {
  EXPECT_THROW(plat::io::AppendTextFile(dir.sys() + "missing\\debug.txt", "x"), IoError);
  auto p = dir.Write("locked.txt", "old");
  std::filesystem::permissions(p, std::filesystem::perms::owner_read);
  EXPECT_THROW(plat::io::AppendTextFile(dir.sys() + "locked.txt", "new"), IoError);
  EXPECT_EQ(dir.Read("locked.txt"), "old");
  dir.Write("folder/inside.txt", "x");
  EXPECT_THROW(plat::io::AppendTextFile(dir.sys() + "folder", "new"), IoError);
}

TEST_F(TextAtomicWrite, AppendsFromManyThreadsLoseNoLineAlsoWhenOneRewritesTheFile) {
  const std::string path = dir.sys() + "debug.txt";
  constexpr int kThreads = 6;
  constexpr int kLines = 40;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) {
        // One line Windows-1252 cannot hold turns the file UTF-8 by a rewrite.
        const std::string mark = t == 0 && i == kLines / 2 ? " \xC5\x81" : "";
        plat::io::AppendTextFile(path, "t" + std::to_string(t) + " line " + std::to_string(i) + mark + "\r\n");
      }
    });
  }
  for (std::thread& th : threads) th.join();
  const std::vector<std::string> lines = plat::io::ReadLines(path);
  EXPECT_EQ(lines.size(), std::size_t{kThreads * kLines});
  std::set<std::string> distinct(lines.begin(), lines.end());
  EXPECT_EQ(distinct.size(), lines.size());
}

TEST_F(TextAtomicWrite, AnsiTextWhoseBytesReadAsUtf8IsWrittenAsUtf8) {
  // "Ã¤" in Windows-1252 is C3 A4, the UTF-8 of "ä": as ANSI it would read
  // back as another text.
  const std::string text = "Gr\xC3\x83\xC2\xA4" "fin\r\n";
  EXPECT_EQ(plat::io::EncodingForNewText(text), Encoding::Utf8Bom);
  EXPECT_EQ(plat::io::EncodingForNewText("Gr\xC3\xA4" "fin"), Encoding::Cp1252);
  const std::string path = dir.sys() + "x.txt";
  plat::io::WriteTextFile(path, text, Encoding::Cp1252);
  EXPECT_EQ(plat::io::ReadTextFile(path).text, text);

  dir.Write("ascii.txt", "x\r\n");
  plat::io::WriteLines(dir.sys() + "ascii.txt", {"x", "Gr\xC3\x83\xC2\xA4" "fin"});
  EXPECT_EQ(plat::io::ReadLines(dir.sys() + "ascii.txt"), (std::vector<std::string>{"x", "Gr\xC3\x83\xC2\xA4" "fin"}));

  dir.Write("debug.txt", "x\r\n");
  plat::io::AppendTextFile(dir.sys() + "debug.txt", text);
  EXPECT_EQ(plat::io::ReadTextFile(dir.sys() + "debug.txt").text, "x\r\n" + text);
}
