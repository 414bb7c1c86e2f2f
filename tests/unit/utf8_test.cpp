// UTF-8 helpers: repair of malformed text and the collation of listings.
#include "platform/io/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using plat::io::utf8::Collate;

TEST(Utf8Repair, EveryByteOutsideAWellFormedSequenceBecomesAReplacementCharacter) {
  struct Case {
    const char* what;
    std::string in;
    std::string out;
  };
  const std::string r = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"well-formed", "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"a replacement character stays", r, r},
      {"lone continuation byte", "a\x80" "b", "a" + r + "b"},
      {"1252 umlaut", "M\xE4rz", "M" + r + "rz"},
      {"cut sequence at the end", "a\xE2\x82", "a" + r + r},
      {"overlong", "\xC0\xAF", r + r},
      {"surrogate", "\xED\xA0\x80", r + r + r},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(plat::io::utf8::ReplaceInvalid(c.in), c.out);
    EXPECT_TRUE(plat::io::utf8::IsValid(plat::io::utf8::ReplaceInvalid(c.in)));
  }
}

TEST(Utf8Collate, IgnoresLetterCaseAndSortsUmlautsWithTheirBaseLetter) {
  struct Case {
    const char* a;
    const char* b;
    int order;  // sign of Collate(a, b)
  };
  const Case cases[] = {
      {"abc", "ABC", 0},
      {"M\xC3\xBCller", "M\xC3\x9CLLER", 0},           // Müller / MÜLLER
      {"apfel", "Birne", -1},                          // not by byte: 'B' < 'a'
      {"\xC3\x84pfel", "Birne", -1},                   // Äpfel before Birne, not after Z
      {"\xC3\x84pfel", "Apfel", 1},                    // the plain letter first on a tie
      {"Muller", "M\xC3\xBCller", -1},
      {"M\xC3\xBCller", "Mullers", -1},                // ü as u decides before the tie-break
      {"Stra\xC3\x9F" "e", "Strasse", 1},              // ß as ss, then after it
      {"Stra\xC3\x9F" "e", "Strasser", -1},
      {"\xC3\x96zil", "Ozil", 1},
      {"\xC3\x96zil", "Pele", -1},
      {"\xC5\x81" "odz", "Lodz", 1},                   // Ł as L
      {"\xC5\x81" "odz", "Madrid", -1},
      {"\xC3\x86rg", "Aerz", -1},                      // Æ as AE
      {"a", "ab", -1},
      {"", "a", -1},
      {"10", "9", -1},                                 // texts, not numbers
      {"a\xC3\x97" "b", "a\xC3\xB7" "b", -1},          // × and ÷ keep their code points
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    const int ab = Collate(c.a, c.b);
    EXPECT_EQ((ab > 0) - (ab < 0), c.order);
    const int ba = Collate(c.b, c.a);
    EXPECT_EQ((ba > 0) - (ba < 0), -c.order);
  }
  std::vector<std::string> names = {"Zander", "\xC3\xB6hler", "Ohm", "Oehler", "\xC3\x84rger", "arm", "Bach"};
  std::sort(names.begin(), names.end(), [](const std::string& x, const std::string& y) { return Collate(x, y) < 0; });
  EXPECT_EQ(names, (std::vector<std::string>{"\xC3\x84rger", "arm", "Bach", "Oehler", "\xC3\xB6hler", "Ohm",
                                             "Zander"}));
}
