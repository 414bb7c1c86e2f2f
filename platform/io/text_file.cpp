#include "platform/io/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>

#include "platform/io/file_lock.h"
#include "platform/io/path.h"
#include "platform/io/utf8.h"

namespace plat::io {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string ErrnoText() { return std::strerror(errno); }

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now so that a failing close (a full disk on some file systems)
  // is seen before the rename.
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](std::size_t i) -> char32_t {
    auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    return static_cast<char32_t>((hi << 8) | lo);
  };
  std::size_t i = 0;
  while (i + 1 < bytes.size()) {
    char32_t u = unit(i);
    i += 2;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < bytes.size()) {
      char32_t low = unit(i);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        i += 2;
        utf8::Append(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        continue;
      }
    }
    utf8::Append(out, (u >= 0xD800 && u <= 0xDFFF) ? char32_t{0xFFFD} : u);
  }
  if (i < bytes.size()) utf8::Append(out, 0xFFFD);  // odd trailing byte
  return out;
}

std::string EncodeUtf16(std::string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  out.reserve(2 + text.size() * 2);
  auto put = [&](char32_t u) {
    char hi = static_cast<char>((u >> 8) & 0xFF);
    char lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  };
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = utf8::Next(text, pos);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

bool HasNonAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

// Bytes that a read takes for UTF-8: Windows-1252 text such as "Ã¤" is byte
// for byte the UTF-8 of another text ("ä").
bool ReadsAsUtf8(std::string_view bytes) { return HasNonAscii(bytes) && utf8::IsValid(bytes); }

// A file without any write permission is read-only on purpose; a rename
// over it (or an append, for root) would otherwise change it.
void RefuseReadOnly(const struct stat& st, const std::filesystem::path& target) {
  if (!S_ISREG(st.st_mode)) throw IoError("not a regular file: " + target.string());
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) throw IoError("file is read-only: " + target.string());
}

std::string TempSuffix() {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  static constexpr char kHex[] = "0123456789abcdef";
  std::uint64_t v = rng();
  std::string s;
  for (int i = 0; i < 12; ++i) {
    s += kHex[v & 0xF];
    v >>= 4;
  }
  return s;
}

// Browsers revalidate by the modification time (and size): two saves within
// one tick of the file system's clock would look alike, and a page that
// fetched the first would be told the second is what it has. The new
// version is given a time after the old one's.
void KeepVersionsApart(int fd, const struct stat& old) {
  struct stat now;
  if (::fstat(fd, &now) != 0) return;
  const bool later = now.st_mtim.tv_sec > old.st_mtim.tv_sec ||
                     (now.st_mtim.tv_sec == old.st_mtim.tv_sec && now.st_mtim.tv_nsec > old.st_mtim.tv_nsec);
  if (later) return;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1] = old.st_mtim;
  if (++times[1].tv_nsec >= 1000000000) {
    times[1].tv_nsec = 0;
    ++times[1].tv_sec;
  }
  (void)::futimens(fd, times);
}

}  // namespace

std::string ReadFileBytes(std::string_view systemPath) {
  const std::filesystem::path path = Resolve(systemPath);
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw IoError("cannot open " + path.string() + ": " + ErrnoText());
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    throw IoError("not a readable file: " + path.string());
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw IoError("cannot read " + path.string() + ": " + ErrnoText());
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  return bytes;
}

TextContent DecodeText(std::string_view bytes) {
  // After a UTF-8 byte order mark the text is UTF-8 whatever follows; bytes
  // that are not are replaced, so no malformed text gets past this point.
  if (bytes.starts_with(kUtf8Bom)) return {utf8::ReplaceInvalid(bytes.substr(kUtf8Bom.size())), Encoding::Utf8Bom};
  if (bytes.starts_with("\xFF\xFE")) return {DecodeUtf16(bytes.substr(2), false), Encoding::Utf16LE};
  if (bytes.starts_with("\xFE\xFF")) return {DecodeUtf16(bytes.substr(2), true), Encoding::Utf16BE};
  // Plain ASCII is reported as Windows-1252 so that rewriting an ANSI file
  // keeps it ANSI; only real multi-byte sequences make a file UTF-8.
  if (!HasNonAscii(bytes)) return {std::string(bytes), Encoding::Cp1252};
  if (utf8::IsValid(bytes)) return {std::string(bytes), Encoding::Utf8};
  return {utf8::FromCp1252(bytes), Encoding::Cp1252};
}

std::string EncodeText(std::string_view text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Cp1252:
      return utf8::ToCp1252(text);
    case Encoding::Utf8:
      return std::string(text);
    case Encoding::Utf8Bom:
      return std::string(kUtf8Bom) + std::string(text);
    case Encoding::Utf16LE:
      return EncodeUtf16(text, false);
    case Encoding::Utf16BE:
      return EncodeUtf16(text, true);
  }
  return std::string(text);
}

Encoding EncodingForNewText(std::string_view text) {
  bool fits = true;
  const std::string ansi = utf8::ToCp1252(text, &fits);
  return fits && !ReadsAsUtf8(ansi) ? Encoding::Cp1252 : Encoding::Utf8Bom;
}

TextContent ReadTextFile(std::string_view systemPath) { return DecodeText(ReadFileBytes(systemPath)); }

std::vector<std::string> ReadLines(std::string_view systemPath) {
  return SplitLines(ReadTextFile(systemPath).text);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

void WriteFileAtomic(std::string_view systemPath, std::string_view bytes) {
  FileLock lock(systemPath);
  // Resolve keeps a name that exists in no letter case as given, and maps
  // one that exists to its real spelling, so the old file is replaced.
  std::filesystem::path target = Resolve(systemPath);
  if (target.empty() || !target.has_filename()) throw IoError("no file name in " + std::string(systemPath));

  struct stat old;
  bool replacing = ::lstat(target.c_str(), &old) == 0;
  if (replacing && S_ISLNK(old.st_mode)) {
    // Replace the file the link points to, not the link itself.
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(target, ec);
    if (!ec) target = real;
    replacing = ::stat(target.c_str(), &old) == 0;
  }
  if (replacing) RefuseReadOnly(old, target);

  std::filesystem::path folder = target.parent_path();
  std::filesystem::path temp =
      folder / ("." + target.filename().string() + ".tmp-" + TempSuffix());
  Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw IoError("cannot create a file in " + folder.string() + ": " + ErrnoText());

  auto fail = [&](const std::string& what) {
    std::string reason = ErrnoText();
    ::unlink(temp.c_str());
    throw IoError(what + " " + target.string() + ": " + reason);
  };
  if (replacing) (void)::fchmod(fd.get(), old.st_mode & 07777);
  if (!WriteAll(fd.get(), bytes)) fail("cannot write");
  if (replacing) KeepVersionsApart(fd.get(), old);
  if (::fsync(fd.get()) != 0) fail("cannot flush");
  if (!fd.Close()) fail("cannot close");
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("cannot replace");

  // Make the rename itself durable; failing here loses nothing already done.
  Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) (void)::fsync(dir.get());
}

void WriteTextFile(std::string_view systemPath, std::string_view text, Encoding encoding) {
  std::string bytes = EncodeText(text, encoding);
  if (encoding == Encoding::Cp1252 && ReadsAsUtf8(bytes)) bytes = EncodeText(text, Encoding::Utf8Bom);
  WriteFileAtomic(systemPath, bytes);
}

void WriteLines(std::string_view systemPath, const std::vector<std::string>& lines) {
  FileLock lock(systemPath);  // the encoding is the file's as it is when replaced
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  Encoding encoding = EncodingForNewText(text);
  std::error_code ec;
  if (std::filesystem::exists(Resolve(systemPath), ec)) {
    try {
      encoding = ReadTextFile(systemPath).encoding;
    } catch (const IoError&) {
      // Unreadable: choose as for a new file.
    }
    // An ANSI file that must now hold a character Windows-1252 lacks turns
    // UTF-8 rather than losing it.
    if (encoding == Encoding::Cp1252 && !utf8::FitsCp1252(text)) encoding = Encoding::Utf8Bom;
  }
  WriteTextFile(systemPath, text, encoding);
}

void AppendTextFile(std::string_view systemPath, std::string_view text) {
  FileLock lock(systemPath);
  const std::filesystem::path target = Resolve(systemPath);
  if (target.empty() || !target.has_filename()) throw IoError("no file name in " + std::string(systemPath));
  struct stat st;
  std::string old;
  if (::stat(target.c_str(), &st) == 0) {
    RefuseReadOnly(st, target);
    old = ReadFileBytes(systemPath);
  }

  std::string bytes;
  if (old.empty()) {
    bytes = EncodeText(text, EncodingForNewText(text));
  } else {
    const TextContent content = DecodeText(old);
    bytes = EncodeText(text, content.encoding);
    // An ANSI file turns UTF-8 rather than losing a character, or reading
    // back as another text; that takes a rewrite of the whole file.
    if (content.encoding == Encoding::Cp1252 && (!utf8::FitsCp1252(text) || ReadsAsUtf8(old + bytes))) {
      WriteFileAtomic(systemPath, EncodeText(content.text + std::string(text), Encoding::Utf8Bom));
      return;
    }
    if (content.encoding == Encoding::Utf8Bom) bytes.erase(0, kUtf8Bom.size());
    if (content.encoding == Encoding::Utf16LE || content.encoding == Encoding::Utf16BE) bytes.erase(0, 2);
  }

  Fd fd(::open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw IoError("cannot open " + target.string() + ": " + ErrnoText());
  if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.Close()) {
    throw IoError("cannot append to " + target.string() + ": " + ErrnoText());
  }
}

}  // namespace plat::io
