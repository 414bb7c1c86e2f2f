#pragma once
// Text files with encoding detection. A UTF-8 or UTF-16 BOM is honoured (a
// byte after a UTF-8 BOM that is no part of a well-formed sequence reads as
// U+FFFD, as does an unpaired UTF-16 surrogate); otherwise text that is
// valid UTF-8 is read as UTF-8, anything else as Windows-1252. Writing keeps
// the encoding a file was read with; a new file is Windows-1252 when every
// character fits and UTF-8 with BOM otherwise.
// Every write replaces the file atomically (temporary file in the same folder,
// then rename), so a reader never sees half a file.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plat::io {

class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Encoding { Cp1252, Utf8, Utf8Bom, Utf16LE, Utf16BE };

struct TextContent {
  std::string text;            // UTF-8, BOM removed
  Encoding encoding = Encoding::Cp1252;
};

// Raw bytes of a file; throws IoError when it cannot be opened or read.
std::string ReadFileBytes(std::string_view systemPath);

// Decodes bytes by the rules above.
TextContent DecodeText(std::string_view bytes);
// Encodes UTF-8 text into the given encoding (BOM included where the
// encoding has one). Characters outside Windows-1252 become '?' there.
std::string EncodeText(std::string_view text, Encoding encoding);
// Encoding for a new file holding `text`: Windows-1252 when every
// character fits and the bytes do not read as UTF-8, else UTF-8 with BOM.
Encoding EncodingForNewText(std::string_view text);

// Throws IoError when the file cannot be read.
TextContent ReadTextFile(std::string_view systemPath);

// Lines of a text file; CR LF, LF and CR all end a line; a final line break
// does not add an empty line. Throws IoError when the file cannot be read.
std::vector<std::string> ReadLines(std::string_view systemPath);
std::vector<std::string> SplitLines(std::string_view text);

// Atomic replace of a whole file with raw bytes; the folder must exist.
// The new file's modification time is later than the replaced one's, even
// within one tick of the file system's clock, so that every save gives a
// file a new version (io::FileVersion, the web server's validators).
// Throws IoError on failure (the old file then stays as it was).
void WriteFileAtomic(std::string_view systemPath, std::string_view bytes);

// Writes text in the given encoding, atomically. Windows-1252 bytes that a
// read would take for UTF-8 (such as "Ã¤", the bytes of "ä") are written as
// UTF-8 with BOM instead, so that every file reads back as the text written.
void WriteTextFile(std::string_view systemPath, std::string_view text, Encoding encoding);
// Writes lines joined by CR LF (with a final CR LF) keeping the encoding of
// the existing file, or choosing one for a new file.
void WriteLines(std::string_view systemPath, const std::vector<std::string>& lines);

// Appends text at the end of a file, under the file's lock (FileLock), and
// creates the file when it is missing (the folder must exist). The text is
// encoded as the file is read (the encoding rules above; no second BOM); a
// new or empty file gets the encoding of a new file, BOM included. An ANSI
// file that would need a character Windows-1252 lacks, or would read as
// UTF-8 afterwards, is rewritten as UTF-8 with BOM, atomically. Throws IoError when the file cannot be written.
void AppendTextFile(std::string_view systemPath, std::string_view text);

}  // namespace plat::io
