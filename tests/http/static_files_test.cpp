// The HTTP layer on a real loopback server: static files (types, names in
// any letter case, ranges, dates, folders that must not be left), default
// headers on every kind of response, the command hook, errors, compression.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <ctime>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/http/http_server.h"
#include "platform/log.h"
#include "support/raw_socket.h"
#include "support/test_support.h"

using plat::http::HttpRequest;
using plat::http::HttpResponse;
using plat::http::HttpServer;
using testing_support::LogCapture;
using testing_support::TempDir;

namespace {

// Bytes that differ at every offset a range could start at, so a range
// shifted by one byte or by a chunk shows.
std::string Pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 2654435761u) >> 13);
  return s;
}

void SetMtime(const std::filesystem::path& p, std::time_t t) {
  struct timespec times[2] = {{t, 0}, {t, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
}

std::string Gunzip(const std::string& in) {
  z_stream zs{};
  EXPECT_EQ(inflateInit2(&zs, 16 + MAX_WBITS), Z_OK);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  zs.avail_in = static_cast<uInt>(in.size());
  std::string out;
  char buf[16384];
  int rc;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (rc == Z_OK);
  EXPECT_EQ(rc, Z_STREAM_END);
  inflateEnd(&zs);
  return out;
}

class HttpLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("secret.txt", "outside the static folders");
    dir_.Write("files/J8_TS.jpg", "jpeg bytes");
    dir_.Write("files/Logos/Heim.PNG", "png bytes");
    dir_.Write("files/empty.bin", "");
    dir_.Write("files/%2e%2e/inside.txt", "a literal name");
    dir_.Write("Containers/Videos/Intro.mp4", "mp4 bytes");

    plat::http::ServerOptions options;
    options.ioThreads = 2;
    options.handlerThreads = 16;
    server_ = std::make_unique<HttpServer>(options);
    server_->AddDefaultHeader("Access-Control-Allow-Origin", "*");
    server_->AddDefaultHeader("Access-Control-Allow-Credentials", "true");
    server_->AddStaticFolder("Containers", dir_.path() / "Containers");
    server_->AddStaticFolder("files", dir_.path() / "files");
    server_->SetCommandHook([this](const HttpRequest& rq, HttpResponse& rs) { return Hook(rq, rs); });
    server_->SetApplicationHandler([](const HttpRequest& req, HttpResponse& res) {
      if (req.path == "/page") {
        res.SetContent("<html><body>page</body></html>", "text/html");
      } else if (req.path == "/big") {
        std::string html = "<html><body>";
        for (int i = 0; i < 5000; ++i) html += "<div class=\"row\">row " + std::to_string(i) + "</div>\n";
        res.SetContent(html + "</body></html>", "text/html");
      } else if (req.path == "/small") {
        res.SetContent(std::string(1000, 'a'), "application/json");
      } else if (req.path == "/throws") {
        throw std::runtime_error("handler failed");
      } else {
        res.status = 404;
      }
    });
    ASSERT_TRUE(server_->Bind("127.0.0.1", 0));
    server_->Start();
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->Port());
    client_->set_url_encode(false);  // send the paths exactly as written
  }

  void TearDown() override {
    client_.reset();
    server_.reset();
  }

  bool Hook(const HttpRequest& rq, HttpResponse& rs) {
    {
      std::lock_guard<std::mutex> lock(hookMutex_);
      seen_.push_back(rq);
      userAgents_.push_back(rq.Header("user-AGENT"));
    }
    if (rq.uri.rfind("/refresh", 0) == 0) {
      rs.status = 200;
      rs.contentType = "text/html";
      rs.body = "refreshed";
      rs.headers.emplace_back("X-Command", "refresh");
      return true;
    }
    if (rq.uri == "/hook-throws") throw std::runtime_error("hook failed");
    rs.headers.emplace_back("X-Hook", "seen");
    return false;
  }

  std::vector<HttpRequest> Seen() {
    std::lock_guard<std::mutex> lock(hookMutex_);
    return seen_;
  }

  LogCapture log_;
  TempDir dir_;
  std::unique_ptr<HttpServer> server_;
  std::unique_ptr<httplib::Client> client_;
  std::mutex hookMutex_;
  std::vector<HttpRequest> seen_;
  std::vector<std::string> userAgents_;
};

TEST_F(HttpLayer, ContentTypesByExtension) {
  struct Case {
    const char* file;
    const char* type;
  };
  const Case cases[] = {
      {"a.jpg", "image/jpeg"},       {"a.JPEG", "image/jpeg"},     {"a.png", "image/png"},
      {"a.gif", "image/gif"},        {"a.bmp", "image/bmp"},       {"a.mp4", "video/mp4"},
      {"a.MOV", "video/quicktime"},  {"a.mpg", "video/mpeg"},      {"a.mpeg", "video/mpeg"},
      {"a.mp3", "audio/mpeg"},       {"a.webm", "video/webm"},     {"a.pdf", "application/pdf"},
      {"a.htm", "text/html"},        {"a.HTML", "text/html"},      {"a.js", "application/javascript"},
      {"a.css", "text/css"},         {"a.svg", "image/svg+xml"},   {"a.xml", "application/xml"},
      {"a.txt", "text/plain"},       {"a.json", "application/json"}, {"a.woff", "font/woff"},
      {"a.woff2", "font/woff2"},     {"a.ttf", "font/ttf"},        {"a.eot", "application/vnd.ms-fontobject"},
      {"a.pyl", "application/octet-stream"}, {"noext", "application/octet-stream"},
  };
  for (const Case& c : cases) dir_.Write(std::string("files/types/") + c.file, "content");
  for (const Case& c : cases) {
    auto r = client_->Get(std::string("/files/types/") + c.file);
    ASSERT_TRUE(r) << c.file;
    EXPECT_EQ(r->status, 200) << c.file;
    EXPECT_EQ(r->get_header_value("Content-Type"), c.type) << c.file;
    EXPECT_EQ(r->body, "content") << c.file;
  }
}

TEST_F(HttpLayer, FileNamesBelowThePrefixMatchInAnyCase) {
  struct Case {
    const char* url;
    int status;
    const char* body;
  };
  const Case cases[] = {
      {"/files/j8_ts.JPG", 200, "jpeg bytes"},
      {"/files/logos/heim.png", 200, "png bytes"},  // a sub-folder in other case too
      {"/Containers/VIDEOS/intro.MP4", 200, "mp4 bytes"},
      {"/files/missing.jpg", 404, ""},
      {"/FILES/J8_TS.jpg", 200, "jpeg bytes"},  // the prefix too
      {"/containers/videos/intro.mp4", 200, "mp4 bytes"},
      {"/filesx/J8_TS.jpg", 404, ""},
  };
  for (const Case& c : cases) {
    auto r = client_->Get(c.url);
    ASSERT_TRUE(r) << c.url;
    EXPECT_EQ(r->status, c.status) << c.url;
    if (c.status == 200) {
      EXPECT_EQ(r->body, c.body) << c.url;
    }
  }
}

TEST_F(HttpLayer, FoldersAreNotListed) {
  for (const char* url : {"/files", "/files/", "/files/Logos", "/files/logos/", "/Containers/"}) {
    auto r = client_->Get(url);
    ASSERT_TRUE(r) << url;
    EXPECT_EQ(r->status, 404) << url;
    EXPECT_EQ(r->body.find("Heim"), std::string::npos) << url;
  }
}

TEST_F(HttpLayer, RangeRequestsOnALargeFile) {
  const std::size_t size = 8u << 20;
  const std::string content = Pattern(size);
  dir_.Write("Containers/Videos/big.mp4", content);
  const std::string total = "/" + std::to_string(size);

  struct Case {
    const char* range;
    int status;
    std::size_t first;  // expected bytes [first, last]
    std::size_t last;
  };
  const Case cases[] = {
      {"bytes=0-1", 206, 0, 1},  // the probe a browser sends before playing a video
      {"bytes=0-0", 206, 0, 0},
      {"bytes=1000000-3000000", 206, 1000000, 3000000},  // crosses many read chunks
      {"bytes=65535-65536", 206, 65535, 65536},          // across a chunk border
      {"bytes=8000000-", 206, 8000000, size - 1},
      {"bytes=-1000", 206, size - 1000, size - 1},
      {"bytes=-99999999", 206, 0, size - 1},  // a suffix longer than the file is the file
      {"bytes=8388000-99999999", 206, 8388000, size - 1},  // end beyond the size is clamped
      {"bytes=0-1,5-6", 200, 0, size - 1},  // several ranges: the whole file is fine
      {"BYTES=10-19", 206, 10, 19},          // the unit in any case
      // Malformed or of another unit: ignored, the whole file (RFC 9110).
      {"bytes=5-1", 200, 0, size - 1},
      {"items=0-0", 200, 0, size - 1},
      {"bytes=", 200, 0, size - 1},
      {"bytes=-", 200, 0, size - 1},
      {"bytes=abc", 200, 0, size - 1},
      {"bytes=1-2-3", 200, 0, size - 1},
      {"bytes=0x10-20", 200, 0, size - 1},
      {"bytes=99999999999999999999999-", 416, 0, 0},  // a start past any size
      {"bytes=0-99999999999999999999999", 206, 0, size - 1},  // an end that overflows is clamped
      {"bytes=-99999999999999999999999", 206, 0, size - 1},
  };
  for (const Case& c : cases) {
    auto r = client_->Get("/Containers/videos/BIG.mp4", {{"Range", c.range}});
    ASSERT_TRUE(r) << c.range;
    EXPECT_EQ(r->status, c.status) << c.range;
    if (c.status == 416) {
      EXPECT_EQ(r->get_header_value("Content-Range"), "bytes */" + std::to_string(size)) << c.range;
      continue;
    }
    const std::size_t length = c.last - c.first + 1;
    EXPECT_EQ(r->get_header_value("Content-Length"), std::to_string(length)) << c.range;
    EXPECT_EQ(r->get_header_value("Accept-Ranges"), "bytes") << c.range;
    EXPECT_EQ(r->get_header_value("Content-Type"), "video/mp4") << c.range;
    if (c.status == 206) {
      EXPECT_EQ(r->get_header_value("Content-Range"),
                "bytes " + std::to_string(c.first) + "-" + std::to_string(c.last) + total)
          << c.range;
    } else {
      EXPECT_FALSE(r->has_header("Content-Range")) << c.range;
    }
    ASSERT_EQ(r->body.size(), length) << c.range;
    EXPECT_TRUE(r->body == content.substr(c.first, length)) << c.range << ": wrong bytes";
  }

  for (const char* range : {"bytes=8388608-", "bytes=9000000-9000001"}) {
    auto r = client_->Get("/Containers/Videos/big.mp4", {{"Range", range}});
    ASSERT_TRUE(r) << range;
    EXPECT_EQ(r->status, 416) << range;
    EXPECT_EQ(r->get_header_value("Content-Range"), "bytes */" + std::to_string(size)) << range;
    EXPECT_TRUE(r->body.empty()) << range;
  }

  auto whole = client_->Get("/Containers/Videos/big.mp4");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->status, 200);
  EXPECT_EQ(whole->get_header_value("Accept-Ranges"), "bytes");
  EXPECT_TRUE(whole->body == content);

  auto head = client_->Head("/Containers/Videos/big.mp4");
  ASSERT_TRUE(head);
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->get_header_value("Content-Length"), std::to_string(size));
  EXPECT_TRUE(head->body.empty());
}

TEST_F(HttpLayer, EmptyFileHasNoSatisfiableRange) {
  auto r = client_->Get("/files/empty.bin", {{"Range", "bytes=0-1"}});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 416);
  EXPECT_EQ(r->get_header_value("Content-Range"), "bytes */0");

  auto whole = client_->Get("/files/empty.bin");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->status, 200);
  EXPECT_EQ(whole->get_header_value("Content-Length"), "0");
}

TEST_F(HttpLayer, LastModifiedAndIfModifiedSince) {
  SetMtime(dir_.path() / "files/J8_TS.jpg", 1682942400);  // 2023-05-01 12:00:00 UTC
  auto r = client_->Get("/files/J8_TS.jpg");
  ASSERT_TRUE(r);
  const std::string lastModified = r->get_header_value("Last-Modified");
  EXPECT_EQ(lastModified, "Mon, 01 May 2023 12:00:00 GMT");

  struct Case {
    const char* since;
    int status;
  };
  const Case cases[] = {
      {"Mon, 01 May 2023 12:00:00 GMT", 304},  // equal
      {"Tue, 02 May 2023 08:00:00 GMT", 304},  // later
      {"Mon, 01 May 2023 11:59:59 GMT", 200},  // earlier: the file is newer
      {"not a date", 200},
  };
  for (const Case& c : cases) {
    auto rr = client_->Get("/files/J8_TS.jpg", {{"If-Modified-Since", c.since}});
    ASSERT_TRUE(rr) << c.since;
    EXPECT_EQ(rr->status, c.status) << c.since;
    EXPECT_EQ(rr->body, c.status == 304 ? "" : "jpeg bytes") << c.since;
  }
}

TEST_F(HttpLayer, EntityTagsChangeWithEverySaveAndAnswerIfNoneMatch) {
  const auto file = dir_.path() / "files/J8_TS.jpg";
  auto setNs = [&](long ns) {
    struct timespec times[2] = {{1682942400, ns}, {1682942400, ns}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  };
  setNs(100);
  auto first = client_->Get("/files/J8_TS.jpg");
  ASSERT_TRUE(first);
  const std::string etag = first->get_header_value("ETag");
  ASSERT_FALSE(etag.empty());
  EXPECT_EQ(etag.front(), '"');

  struct Case {
    const char* what;
    httplib::Headers headers;
    int status;
  };
  const std::string weak = "W/" + etag;
  const Case cases[] = {
      {"the same tag", {{"If-None-Match", etag}}, 304},
      {"among others", {{"If-None-Match", "\"other\", " + etag}}, 304},
      {"weak comparison", {{"If-None-Match", weak}}, 304},
      {"any", {{"If-None-Match", "*"}}, 304},
      {"another tag", {{"If-None-Match", "\"other\""}}, 200},
      // If-None-Match decides; a date that would match is not looked at.
      {"tag over date", {{"If-None-Match", "\"other\""}, {"If-Modified-Since", "Fri, 01 Jan 2100 00:00:00 GMT"}}, 200},
      {"range of this version", {{"Range", "bytes=0-3"}, {"If-Range", etag}}, 206},
      {"range of another version", {{"Range", "bytes=0-3"}, {"If-Range", "\"other\""}}, 200},
  };
  for (const Case& c : cases) {
    auto r = client_->Get("/files/J8_TS.jpg", c.headers);
    ASSERT_TRUE(r) << c.what;
    EXPECT_EQ(r->status, c.status) << c.what;
    EXPECT_EQ(r->get_header_value("ETag"), etag) << c.what;
    if (c.status == 304) {
      EXPECT_TRUE(r->body.empty()) << c.what;
    }
  }

  // Saved again within the same second with the same size: a new tag.
  dir_.Write("files/J8_TS.jpg", "JPEG BYTES");
  setNs(200);
  auto saved = client_->Get("/files/J8_TS.jpg", {{"If-None-Match", etag}});
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->status, 200);
  EXPECT_EQ(saved->body, "JPEG BYTES");
  EXPECT_NE(saved->get_header_value("ETag"), etag);
}

TEST_F(HttpLayer, PathsLeavingTheFolderAreRefusedAndLogged) {
  const char* urls[] = {
      "/files/../secret.txt",
      "/files/%2e%2e/secret.txt",
      "/files/.%2e/secret.txt",
      "/files/..%2fsecret.txt",
      "/files/a\\..\\..\\secret.txt",
      "/files/%5c..%5csecret.txt",
      "/files/Logos/../../secret.txt",
      "/Containers/%2E%2E/%2E%2E/etc/passwd",
      "/Containers/Videos/%2e%2e%2f%2e%2e%2fsecret.txt",
      "/files//etc/passwd",
      "/files/%2fetc%2fpasswd",
      "/files/C:%5Csecret.txt",
      "/files/J8_TS.jpg%00.txt",
  };
  for (const char* url : urls) {
    auto r = client_->Get(url);
    ASSERT_TRUE(r) << url;
    EXPECT_EQ(r->status, 404) << url;
    EXPECT_EQ(r->body.find("outside"), std::string::npos) << url;
    EXPECT_EQ(r->body.find("root:"), std::string::npos) << url;
    bool logged = false;
    for (const std::string& line : log_.Lines()) {
      if (line.find("refused") != std::string::npos && line.find("127.0.0.1") != std::string::npos &&
          line.find(url) != std::string::npos) {
        logged = true;
      }
    }
    EXPECT_TRUE(logged) << url << " refused without a log line";
  }

  // Encoded twice, the name is a literal "%2e%2e" below the folder: served.
  auto r = client_->Get("/files/%252e%252e/inside.txt");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "a literal name");
}

TEST_F(HttpLayer, EveryKindOfResponseCarriesTheDefaultHeaders) {
  dir_.Write("files/big.bin", std::string(1000, 'x'));
  struct Case {
    const char* what;
    const char* method;
    const char* url;
    httplib::Headers headers;
    int status;
  };
  const Case cases[] = {
      {"static file", "GET", "/files/J8_TS.jpg", {}, 200},
      {"partial content", "GET", "/files/big.bin", {{"Range", "bytes=0-1"}}, 206},
      {"our 416", "GET", "/files/big.bin", {{"Range", "bytes=1000-"}}, 416},
      {"malformed range", "GET", "/files/big.bin", {{"Range", "bytes=abc"}}, 200},
      {"not modified", "GET", "/files/J8_TS.jpg", {{"If-Modified-Since", "Fri, 01 Jan 2100 00:00:00 GMT"}}, 304},
      {"missing static file", "GET", "/files/none.png", {}, 404},
      {"refused path", "GET", "/files/../secret.txt", {}, 404},
      {"no handler", "GET", "/nothing/here", {}, 404},
      {"post without handler", "POST", "/nothing/here", {}, 404},
      {"put nobody handles", "PUT", "/page", {}, 404},
      {"hook answer", "GET", "/refresh/x.pyl", {}, 200},
      {"application page", "GET", "/page", {}, 200},
      {"application post", "POST", "/page", {}, 200},
      {"handler throws", "GET", "/throws", {}, 500},
      {"hook throws", "GET", "/hook-throws", {}, 500},
  };
  for (const Case& c : cases) {
    httplib::Request req;
    req.method = c.method;
    req.path = c.url;
    req.headers = c.headers;
    if (std::string(c.method) != "GET") req.body = "x";
    auto r = client_->send(req);
    ASSERT_TRUE(r) << c.what;
    EXPECT_EQ(r->status, c.status) << c.what;
    EXPECT_EQ(r->get_header_value("Access-Control-Allow-Origin"), "*") << c.what;
    EXPECT_EQ(r->get_header_value("Access-Control-Allow-Credentials"), "true") << c.what;
    EXPECT_EQ(r->get_header_value_count("Access-Control-Allow-Origin"), 1u) << c.what;
  }
}

TEST_F(HttpLayer, ServerRefusalsCarryTheDefaultHeaders) {
  // Requests the server refuses before any hook or handler sees them.
  struct Case {
    const char* what;
    std::string bytes;
    int status;
  };
  const Case cases[] = {
      {"malformed request line", "GET /x HTTP/1.1 trailing\r\n\r\n", 400},
      {"malformed header", "GET /x HTTP/1.1\r\nNo colon here\r\n\r\n", 400},
      {"header too large", "GET /x HTTP/1.1\r\nX-Big: " + std::string(70000, 'b') + "\r\n\r\n", 431},
      {"body too large", "POST /page HTTP/1.1\r\nContent-Length: 2000000\r\n\r\n", 413},
      {"unknown version", "GET /x HTTP/2.5\r\n\r\n", 400},
  };
  for (const Case& c : cases) {
    testing_support::RawSocket raw(server_->Port());
    ASSERT_TRUE(raw.Send(c.bytes)) << c.what;
    const std::string r = raw.ReadResponse();
    EXPECT_EQ(testing_support::StatusOf(r), c.status) << c.what << ": " << r.substr(0, 200);
    EXPECT_EQ(testing_support::HeaderOf(r, "Access-Control-Allow-Origin"), "*") << c.what;
    EXPECT_EQ(testing_support::HeaderOf(r, "Access-Control-Allow-Credentials"), "true") << c.what;
  }
}

TEST_F(HttpLayer, HookSeesEveryRequestWithTheRawUri) {
  auto r = client_->Get("/refresh/System%5CSpielstand.pyl?x=1&y=%20", {{"User-Agent", "screen-7"}});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "refreshed");
  EXPECT_EQ(r->get_header_value("Content-Type"), "text/html");
  EXPECT_EQ(r->get_header_value("X-Command"), "refresh");

  ASSERT_TRUE(client_->Get("/files/J8_TS.jpg"));
  ASSERT_TRUE(client_->Post("/nothing", "x", "text/plain"));
  ASSERT_TRUE(client_->Get("/files/../secret.txt"));

  std::vector<HttpRequest> seen = Seen();
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].uri, "/refresh/System%5CSpielstand.pyl");
  EXPECT_EQ(seen[0].path, "/refresh/System\\Spielstand.pyl");
  EXPECT_EQ(seen[0].query, "x=1&y=%20");
  EXPECT_EQ(seen[0].remoteAddr, "127.0.0.1");
  EXPECT_EQ(userAgents_[0], "screen-7") << "header names are case-insensitive";
  EXPECT_EQ(seen[1].uri, "/files/J8_TS.jpg");
  EXPECT_EQ(seen[1].query, "");
  EXPECT_EQ(seen[2].method, "POST");
  EXPECT_EQ(seen[3].uri, "/files/../secret.txt") << "the hook runs before the traversal check";
}

TEST_F(HttpLayer, HookHeadersReachTheFinalResponse) {
  dir_.Write("files/big.bin", std::string(1000, 'x'));
  struct Case {
    const char* url;
    httplib::Headers headers;
    int status;
  };
  const Case cases[] = {
      {"/files/J8_TS.jpg", {}, 200},
      {"/files/big.bin", {{"Range", "bytes=5000-"}}, 416},
      {"/files/none.jpg", {}, 404},
      {"/page", {}, 200},
      {"/nothing", {}, 404},
      {"/throws", {}, 500},
  };
  for (const Case& c : cases) {
    auto r = client_->Get(c.url, c.headers);
    ASSERT_TRUE(r) << c.url;
    EXPECT_EQ(r->status, c.status) << c.url;
    EXPECT_EQ(r->get_header_value("X-Hook"), "seen") << c.url;
  }
}

TEST_F(HttpLayer, ThrowingHandlerGives500AndTheServerGoesOn) {
  auto r = client_->Get("/throws");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 500);
  EXPECT_FALSE(r->has_header("EXCEPTION_WHAT")) << "the exception text is for the log, not the browser";
  bool logged = false;
  for (const std::string& line : log_.Lines()) {
    if (line.find("handler failed") != std::string::npos && line.find("/throws") != std::string::npos) logged = true;
  }
  EXPECT_TRUE(logged);

  auto after = client_->Get("/page");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

TEST_F(HttpLayer, PagesAreGzippedButStaticFilesAreNot) {
  std::string html;
  for (int i = 0; i < 5000; ++i) html += "<p>static " + std::to_string(i) + "</p>\n";
  dir_.Write("files/page.htm", html);

  auto page = client_->Get("/big");
  ASSERT_TRUE(page);
  const std::string plain = page->body;

  client_->set_decompress(false);
  for (const char* accepted : {"gzip, deflate, br", "br;q=1.0, gzip;q=0.8", "gzip"}) {
    auto r = client_->Get("/big", {{"Accept-Encoding", accepted}});
    ASSERT_TRUE(r) << accepted;
    EXPECT_EQ(r->get_header_value("Content-Encoding"), "gzip") << accepted;
    EXPECT_LT(r->body.size(), plain.size()) << accepted;
    EXPECT_TRUE(Gunzip(r->body) == plain) << accepted;
  }

  auto identity = client_->Get("/big", {{"Accept-Encoding", "br"}});
  ASSERT_TRUE(identity);
  EXPECT_FALSE(identity->has_header("Content-Encoding"));
  EXPECT_TRUE(identity->body == plain);

  auto file = client_->Get("/files/page.htm", {{"Accept-Encoding", "gzip, deflate, br"}});
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->has_header("Content-Encoding"));
  EXPECT_EQ(file->get_header_value("Content-Length"), std::to_string(html.size()));
  EXPECT_TRUE(file->body == html);
}

TEST_F(HttpLayer, SmallAnswersAreNotCompressed) {
  client_->set_decompress(false);
  auto r = client_->Get("/small", {{"Accept-Encoding", "gzip, deflate, br"}});
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->has_header("Content-Encoding"));
  EXPECT_EQ(r->body, std::string(1000, 'a'));
}

TEST_F(HttpLayer, LongPathsDoNotHurtTheCatchAllRoute) {
  auto r = client_->Get("/" + std::string(8000, 'a'));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 404);
}

TEST(HttpServerLifecycle, RoutesComeBeforeTheApplicationHandler) {
  HttpServer server;
  server.SetApplicationHandler([](const HttpRequest&, HttpResponse& res) { res.SetContent("application", "text/plain"); });
  server.PostStream(
      "/upload",
      [](const HttpRequest&, plat::http::BodyReader& read, HttpResponse& res) {
        std::size_t total = 0;
        read.Read([&](const char*, std::size_t n) {
          total += n;
          return true;
        });
        res.SetContent("received " + std::to_string(total), "text/plain");
      },
      1u << 20);
  ASSERT_TRUE(server.Bind("127.0.0.1", 0));
  server.Start();
  httplib::Client client("127.0.0.1", server.Port());
  auto upload = client.Post("/upload", std::string(100000, 'u'), "application/octet-stream");
  ASSERT_TRUE(upload);
  EXPECT_EQ(upload->body, "received 100000");
  auto page = client.Get("/anything");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->body, "application");
  server.Stop();
}

TEST(HttpServerLifecycle, BindingRaisesTheOpenFileLimitToItsHardLimit) {
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  const rlim_t low = std::min<rlim_t>(limit.rlim_max, 1024);
  rlimit lowered{low, limit.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  HttpServer server;
  ASSERT_TRUE(server.Bind("127.0.0.1", 0));
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  EXPECT_EQ(limit.rlim_cur, limit.rlim_max) << "many keep-alive connections need many descriptors";
}

TEST(HttpServerLifecycle, APortInUseIsRefused) {
  plat::SetLogSink([](std::string_view) {});
  HttpServer first;
  ASSERT_TRUE(first.Bind("127.0.0.1", 0));
  first.Start();
  HttpServer second;
  EXPECT_FALSE(second.Bind("127.0.0.1", first.Port())) << "two servers must not share a port";
  HttpServer unused;  // bound, never run: stopping must not hang
  EXPECT_TRUE(unused.Bind("127.0.0.1", 0));
  unused.Stop();
  first.Stop();
  plat::SetLogSink(nullptr);
}

}  // namespace
