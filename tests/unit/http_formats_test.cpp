// Formats the HTTP layer parses itself: multipart/form-data bodies as they
// stream in, and the codings a browser accepts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/http/compression.h"
#include "platform/http/multipart.h"

using plat::http::AcceptsGzip;
using plat::http::MultipartBoundary;
using plat::http::MultipartParser;
using plat::http::MultipartPart;

namespace {

struct Parsed {
  std::vector<MultipartPart> parts;
  std::vector<std::string> data;  // per part
  bool fed = true;
  bool complete = false;
};

// Feeds `body` in pieces of `piece` bytes (0: all at once).
Parsed Parse(const std::string& body, std::size_t piece, const std::string& boundary = "XyZ") {
  Parsed p;
  MultipartParser parser(
      boundary,
      [&](const MultipartPart& part) {
        p.parts.push_back(part);
        p.data.emplace_back();
        return true;
      },
      [&](const char* d, std::size_t n) {
        p.data.back().append(d, n);
        return true;
      });
  if (piece == 0) piece = body.size() + 1;
  for (std::size_t i = 0; i < body.size() && p.fed; i += piece) p.fed = parser.Feed(body.data() + i, std::min(piece, body.size() - i));
  p.complete = parser.Complete();
  return p;
}

const std::string kBody =
    "preamble to ignore\r\n"
    "--XyZ\r\n"
    "Content-Disposition: form-data; name=\"file\"; filename=\"Gr\xc3\xbc\xc3\x9f" "e \\\"1\\\".mp4\"\r\n"
    "Content-Type: video/mp4\r\n"
    "\r\n"
    "bytes with --XyZ not after a line break\r\n--Xy inside\r\n"
    "--XyZ\r\n"
    "Content-Disposition: form-data; name=note\r\n"
    "\r\n"
    "a field\r\n"
    "--XyZ  \r\n"  // blanks after a boundary are allowed
    "content-disposition: FORM-DATA; filename=\"\"; name=\"file\"\r\n"
    "\r\n"
    "\r\n"
    "--XyZ--\r\n"
    "epilogue to ignore";

}  // namespace

TEST(Multipart, PartsAndTheirContentWhateverThePieces) {
  for (std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64}}) {
    Parsed p = Parse(kBody, piece);
    ASSERT_TRUE(p.fed) << piece;
    EXPECT_TRUE(p.complete) << piece;
    ASSERT_EQ(p.parts.size(), 3u) << piece;
    EXPECT_EQ(p.parts[0].name, "file");
    EXPECT_EQ(p.parts[0].fileName, "Gr\xc3\xbc\xc3\x9f" "e \"1\".mp4");
    EXPECT_EQ(p.parts[0].contentType, "video/mp4");
    EXPECT_EQ(p.data[0], "bytes with --XyZ not after a line break\r\n--Xy inside") << piece;
    EXPECT_EQ(p.parts[1].name, "note");
    EXPECT_EQ(p.parts[1].fileName, "");
    EXPECT_EQ(p.data[1], "a field");
    EXPECT_EQ(p.parts[2].fileName, "") << "a file input left empty";
    EXPECT_EQ(p.data[2], "") << piece;
  }
}

TEST(Multipart, MalformedOrUnfinishedBodies) {
  struct Case {
    const char* what;
    std::string body;
    bool fed;
    bool complete;
  };
  const std::string part = "--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx";
  const Case cases[] = {
      {"no closing boundary", part, true, false},
      {"cut inside a part header", "--XyZ\r\nContent-Disposition: form-da", true, false},
      {"a part header line without colon", "--XyZ\r\nno colon\r\n\r\nx\r\n--XyZ--", false, false},
      {"no Content-Disposition", "--XyZ\r\nContent-Type: a/b\r\n\r\nx\r\n--XyZ--", false, false},
      {"not form-data", "--XyZ\r\nContent-Disposition: attachment\r\n\r\nx\r\n--XyZ--", false, false},
      {"garbage after a boundary", "--XyZjunk\r\n\r\n--XyZ--", false, false},
      {"a part header without end", "--XyZ\r\nX: " + std::string(20000, 'h'), false, false},
      {"no boundary at all", "just text", true, false},
  };
  for (const Case& c : cases) {
    Parsed p = Parse(c.body, 0);
    EXPECT_EQ(p.fed, c.fed) << c.what;
    EXPECT_EQ(p.complete, c.complete) << c.what;
  }
}

TEST(Multipart, BoundaryFromTheContentType) {
  struct Case {
    const char* type;
    const char* boundary;
  };
  const Case cases[] = {
      {"multipart/form-data; boundary=----WebKitFormBoundary7MA4YWxk", "----WebKitFormBoundary7MA4YWxk"},
      {"Multipart/Form-Data; charset=utf-8; boundary=\"a b\"", "a b"},
      {"multipart/form-data", ""},
      {"multipart/mixed; boundary=x", ""},
      {"text/plain", ""},
      {"multipart/form-data; boundary=", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(MultipartBoundary(c.type), c.boundary) << c.type;
  EXPECT_EQ(MultipartBoundary("multipart/form-data; boundary=" + std::string(71, 'b')), "") << "RFC 2046: 70 at most";
}

TEST(Compression, CodingsTheBrowserAccepts) {
  struct Case {
    const char* header;
    bool gzip;
  };
  const Case cases[] = {
      {"gzip, deflate, br", true}, {"br;q=1.0, gzip;q=0.8", true}, {"GZIP", true},
      {"x-gzip", true},            {"*", true},                    {"br", false},
      {"", false},                 {"identity", false},            {"gzip;q=0", false},
      {"gzip; q=0.0, br", false},  {"*;q=0.5, gzip;q=0", false},   {"deflate, *;q=0", false},
  };
  for (const Case& c : cases) EXPECT_EQ(AcceptsGzip(c.header), c.gzip) << c.header;
}
