#pragma once
// UTF-8 helpers. Every string inside the system is UTF-8; a "character" is a
// Unicode code point, so lengths and positions count code points, not bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace plat::io::utf8 {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValid(std::string_view s);

// The text with every byte that does not belong to a well-formed sequence
// replaced by U+FFFD (one per byte); well-formed text is returned as it is.
std::string ReplaceInvalid(std::string_view s);

// Number of code points.
std::size_t Length(std::string_view s);

// Byte offset of code point index `cp` (Length(s) -> s.size()); clamps at the end.
std::size_t ByteOffset(std::string_view s, std::size_t cp);

// Code points [start, start+count) of s; clamps to the text.
std::string Substr(std::string_view s, std::size_t start, std::size_t count = std::string_view::npos);

// Appends the UTF-8 encoding of a code point.
void Append(std::string& out, char32_t cp);

// Decodes the code point starting at byte `pos` and advances `pos`; an invalid
// byte decodes as U+FFFD and advances by one.
char32_t Next(std::string_view s, std::size_t& pos);

// Letter case for the comparisons of file names, INI keys and logins: ASCII,
// Latin-1 and Latin Extended-A letters (enough for German, French, Nordic names).
std::string ToLower(std::string_view s);
std::string ToUpper(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);

// The order of listings and sorts for people: texts compare code point by
// code point without regard to letter case, and a letter with a diacritic
// (Latin-1 and Latin Extended-A) first as its base letter, as German
// dictionaries sort: "ä" as "a", "ö" as "o", "ü" as "u", "ß" as "ss", "æ" as
// "ae". Only texts that are equal so are told apart by the diacritics, the
// plain letter first ("Muller" < "Müller" < "Mullers"); texts that differ in
// letter case only are equal. Returns a negative number, 0 or a positive one.
int Collate(std::string_view a, std::string_view b);

// Windows-1252 <-> UTF-8.
std::string FromCp1252(std::string_view bytes);
// Returns false in `ok` (when given) if a character has no Windows-1252 code;
// such characters are written as '?'.
std::string ToCp1252(std::string_view utf8, bool* ok = nullptr);
bool FitsCp1252(std::string_view utf8);

}  // namespace plat::io::utf8
