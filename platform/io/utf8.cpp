#include "platform/io/utf8.h"

#include <string>

namespace plat::io::utf8 {
namespace {

// Windows-1252 0x80..0x9F; 0 marks the five unassigned codes, which map to
// the C1 control of the same value, as Windows' own conversion does.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int Cp1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    char32_t mapped = kCp1252High[i] ? kCp1252High[i] : static_cast<char32_t>(0x80 + i);
    if (mapped == cp) return 0x80 + i;
  }
  return -1;
}

char32_t LowerCp(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x137) return (c % 2 == 0 && c != 0x130) ? c + 1 : c;
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 1) ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return (c % 2 == 0) ? c + 1 : c;
  if (c >= 0x179 && c <= 0x17E) return (c % 2 == 1) ? c + 1 : c;
  return c;
}

char32_t UpperCp(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x137) return (c % 2 == 1 && c != 0x131) ? c - 1 : c;
  if (c >= 0x139 && c <= 0x148) return (c % 2 == 0) ? c - 1 : c;
  if (c >= 0x14A && c <= 0x177) return (c % 2 == 1) ? c - 1 : c;
  if (c >= 0x179 && c <= 0x17E) return (c % 2 == 0) ? c - 1 : c;
  return c;
}

// The base letter of U+00C0 to U+017F, one character per code point: '*'
// marks the letters that fold to two ('æ', 'þ', 'ß', 'ĳ', 'œ'), '.' the
// two signs of the range (multiplication and division), which stay.
constexpr char kBaseLetters[] =
    "aaaaaa*ceeeeiiiidnooooo.ouuuuy**"  // U+00C0
    "aaaaaa*ceeeeiiiidnooooo.ouuuuy*y"  // U+00E0
    "aaaaaaccccccccddddeeeeeeeeeegggg"  // U+0100
    "gggghhhhiiiiiiiiii**jjkkklllllll"  // U+0120
    "lllnnnnnnnnnoooooo**rrrrrrssssss"  // U+0140
    "ssttttttuuuuuuuuuuuuwwyyyzzzzzzs";  // U+0160

// Appends the primary collation key of a code point: its base letter in
// lower case.
void AppendBase(std::u32string& key, char32_t c) {
  c = LowerCp(c);
  if (c < 0xC0 || c > 0x17F) {
    key += c;
    return;
  }
  const char b = kBaseLetters[c - 0xC0];
  if (b == '.') {
    key += c;
  } else if (b != '*') {
    key += static_cast<char32_t>(b);
  } else {
    switch (c) {
      case 0xE6: key += U"ae"; break;
      case 0xFE: key += U"th"; break;
      case 0xDF: key += U"ss"; break;
      case 0x133: key += U"ij"; break;
      default: key += U"oe"; break;  // U+0153
    }
  }
}

template <typename F>
std::string MapCodePoints(std::string_view s, F f) {
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (pos < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[pos]);
    if (b < 0x80) {
      out += static_cast<char>(f(b));
      ++pos;
      continue;
    }
    std::size_t start = pos;
    char32_t cp = Next(s, pos);
    if (cp == 0xFFFD && pos == start + 1) {
      out += s[start];  // keep an invalid byte as it is
    } else {
      Append(out, f(cp));
    }
  }
  return out;
}

}  // namespace

char32_t Next(std::string_view s, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  unsigned char b0 = byte(pos);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int len;
  char32_t cp;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2; cp = b0 & 0x1F; min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3; cp = b0 & 0x0F; min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4; cp = b0 & 0x07; min = 0x10000;
  } else {
    ++pos;
    return 0xFFFD;
  }
  if (pos + static_cast<std::size_t>(len) > s.size()) {
    ++pos;
    return 0xFFFD;
  }
  for (int i = 1; i < len; ++i) {
    unsigned char b = byte(pos + static_cast<std::size_t>(i));
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return 0xFFFD;
  }
  pos += static_cast<std::size_t>(len);
  return cp;
}

bool IsValid(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t start = pos;
    char32_t cp = Next(s, pos);
    if (cp == 0xFFFD && !(pos == start + 3 && s.substr(start, 3) == "\xEF\xBF\xBD")) return false;
  }
  return true;
}

std::string ReplaceInvalid(std::string_view s) {
  if (IsValid(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t start = pos;
    char32_t cp = Next(s, pos);
    if (cp == 0xFFFD) {
      Append(out, cp);
    } else {
      out.append(s.substr(start, pos - start));
    }
  }
  return out;
}

std::size_t Length(std::string_view s) {
  std::size_t n = 0;
  std::size_t pos = 0;
  while (pos < s.size()) {
    Next(s, pos);
    ++n;
  }
  return n;
}

std::size_t ByteOffset(std::string_view s, std::size_t cp) {
  std::size_t pos = 0;
  while (cp > 0 && pos < s.size()) {
    Next(s, pos);
    --cp;
  }
  return pos;
}

std::string Substr(std::string_view s, std::size_t start, std::size_t count) {
  std::size_t from = ByteOffset(s, start);
  std::string_view rest = s.substr(from);
  if (count == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, ByteOffset(rest, count)));
}

void Append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string ToLower(std::string_view s) { return MapCodePoints(s, LowerCp); }
std::string ToUpper(std::string_view s) { return MapCodePoints(s, UpperCp); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (LowerCp(Next(a, i)) != LowerCp(Next(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

int Collate(std::string_view a, std::string_view b) {
  // Base letters first, then the lower-case code points.
  auto keys = [](std::string_view s, std::u32string& base, std::u32string& lower) {
    for (std::size_t i = 0; i < s.size();) {
      char32_t c = Next(s, i);
      AppendBase(base, c);
      lower += LowerCp(c);
    }
  };
  std::u32string baseA, baseB, lowerA, lowerB;
  keys(a, baseA, lowerA);
  keys(b, baseB, lowerB);
  if (int primary = baseA.compare(baseB)) return primary < 0 ? -1 : 1;
  if (int secondary = lowerA.compare(lowerB)) return secondary < 0 ? -1 : 1;
  return 0;
}

std::string FromCp1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char ch : bytes) {
    unsigned char b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out += ch;
    } else if (b < 0xA0) {
      char32_t m = kCp1252High[b - 0x80];
      Append(out, m ? m : static_cast<char32_t>(b));
    } else {
      Append(out, b);
    }
  }
  return out;
}

std::string ToCp1252(std::string_view utf8, bool* ok) {
  std::string out;
  out.reserve(utf8.size());
  bool all = true;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    int b = Cp1252Byte(Next(utf8, pos));
    if (b < 0) {
      all = false;
      out += '?';
    } else {
      out += static_cast<char>(b);
    }
  }
  if (ok) *ok = all;
  return out;
}

bool FitsCp1252(std::string_view utf8) {
  bool ok = true;
  ToCp1252(utf8, &ok);
  return ok;
}

}  // namespace plat::io::utf8
