// The server module behind a real HTTP server on an ephemeral loopback port.
#include <gtest/gtest.h>

#include <httplib.h>


#include "server/ServerModule.h"
#include "support/test_support.h"

using testing_support::LogCapture;
using testing_support::TempDir;

namespace {

class ServerHttp : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("files/page.htm", "<html><body>venue</body></html>");
    dir_.Write("files/J8_TS.jpg", std::string(1000, '\xff'));
    module_ = std::make_unique<TUniServerModule>(dir_.path().string());
    ASSERT_TRUE(module_->Start(0));
    client_ = std::make_unique<httplib::Client>("127.0.0.1", module_->BoundPort());
  }
  void TearDown() override {
    client_.reset();
    module_.reset();
  }
  static void ExpectCors(const httplib::Result& r, const char* what) {
    ASSERT_TRUE(r) << what;
    EXPECT_EQ(r->get_header_value("Access-Control-Allow-Origin"), "*") << what;
    EXPECT_EQ(r->get_header_value("Access-Control-Allow-Credentials"), "true") << what;
    EXPECT_EQ(r->get_header_value_count("Access-Control-Allow-Origin"), 1u) << what;
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> module_;
  std::unique_ptr<httplib::Client> client_;
};

}  // namespace

TEST_F(ServerHttp, GettimeAnswersXml) {
  auto r = client_->Get("/gettime");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->get_header_value("Content-Type"), "application/xml");
  const std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?> <tessarine><time>";
  const std::string tail = "</time> </tessarine>";
  ASSERT_EQ(r->body.size(), head.size() + 8 + tail.size()) << r->body;
  EXPECT_EQ(r->body.substr(0, head.size()), head);
  EXPECT_EQ(r->body.substr(head.size() + 8), tail);
  std::string time = r->body.substr(head.size(), 8);
  for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) EXPECT_TRUE(isdigit(time[i])) << time;
  EXPECT_EQ(time[2], ':');
  EXPECT_EQ(time[5], ':');
}

TEST_F(ServerHttp, RefreshSetsTargetAndNumber) {
  module_->IssueCommand("Playlist", "System\\Spielstand.pyl");
  LogCapture log;
  auto r = client_->Get("/refresh/System%5CBackground.pyl?ignored=1");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "");
  TDisplayCommand c = module_->DisplayCommand();
  EXPECT_EQ(c.sStandort, "System%5CBackground.pyl") << "the target stays percent-encoded";
  EXPECT_EQ(c.sTyp, "Playlist");
  EXPECT_EQ(c.sCMDNr, 2);
  EXPECT_NE(log.All().find("/refresh from 127.0.0.1: target \"System%5CBackground.pyl\" for the last command "
                           "(Playlist)"),
            std::string::npos)
      << log.All();
}

TEST_F(ServerHttp, EveryResponseCarriesTheCorsHeaders) {
  ExpectCors(client_->Get("/files/page.htm"), "page");
  ExpectCors(client_->Get("/files/j8_ts.JPG"), "static file");
  ExpectCors(client_->Get("/files/none.png"), "error");
  ExpectCors(client_->Get("/gettime"), "custom command");
  ExpectCors(client_->Get("/refresh/x.pyl"), "refresh");
  ExpectCors(client_->Post("/nothing/here", "x", "text/plain"), "post error");
}

TEST_F(ServerHttp, StaticFilesStayInsideTheirFolders) {
  dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=secret\r\n");
  for (const char* path : {"/files/../Config/tsUsers.ini", "/files/%2e%2e/Config/tsUsers.ini",
                           "/files/..%5CConfig%5CtsUsers.ini", "/Containers/../../etc/passwd"}) {
    auto r = client_->Get(path);
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 404) << path;
    EXPECT_EQ(r->body.find("secret"), std::string::npos) << path;
  }
}

TEST_F(ServerHttp, StateDocumentsAreAlwaysFetchedFresh) {
  dir_.Write("Containers/System/files/Spielstand.xml", "<a>1</a>");
  dir_.Write("Containers/Bilder/Logo.png", "png");
  for (const char* path : {"/Containers/System/files/Spielstand.xml", "/containers/system/FILES/spielstand.xml"}) {
    auto r = client_->Get(path);
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 200) << path;
    EXPECT_EQ(r->get_header_value("Cache-Control"), "no-cache") << path;
  }
  auto media = client_->Get("/Containers/Bilder/Logo.png");
  ASSERT_TRUE(media);
  EXPECT_FALSE(media->has_header("Cache-Control")) << "media keep the browser's own caching";

  // A display revalidates; after a save it gets the new document.
  auto first = client_->Get("/Containers/System/files/Spielstand.xml");
  ASSERT_TRUE(first);
  const std::string etag = first->get_header_value("ETag");
  auto same = client_->Get("/Containers/System/files/Spielstand.xml", {{"If-None-Match", etag}});
  ASSERT_TRUE(same);
  EXPECT_EQ(same->status, 304);
  dir_.Write("Containers/System/files/Spielstand.xml", "<a>2</a>");
  auto fresh = client_->Get("/Containers/System/files/Spielstand.xml", {{"If-None-Match", etag}});
  ASSERT_TRUE(fresh);
  EXPECT_EQ(fresh->status, 200);
  EXPECT_EQ(fresh->body, "<a>2</a>");
}

TEST_F(ServerHttp, NamesWithUmlautsArriveAsPercentEncodedUtf8) {
  // The presentation document as the console saves it: its name in UTF-8.
  dir_.Write("Containers/System/files/spielerPr\xC3\xA4sentation.xml", "<spieler>praesentation</spieler>");
  dir_.Write("Containers/Teams/M\xC3\xBCnchen Nord/logo.png", "png");
  struct Case {
    const char* path;
    int status;
    const char* body;
  };
  const Case cases[] = {
      {"/Containers/System/files/spielerPr%C3%A4sentation.xml", 200, "<spieler>praesentation</spieler>"},
      // As encodeURIComponent writes them, in lower-case hex too.
      {"/Containers/System/files/spielerPr%c3%a4sentation.xml", 200, "<spieler>praesentation</spieler>"},
      // Letter case does not count, for the umlaut neither.
      {"/Containers/System/files/SPIELERPR%C3%84SENTATION.XML", 200, "<spieler>praesentation</spieler>"},
      {"/Containers/Teams/M%C3%BCnchen%20Nord/logo.png", 200, "png"},
      // The same name in a single-byte code page names no file.
      {"/Containers/System/files/spielerPr%E4sentation.xml", 404, ""},
  };
  for (const Case& c : cases) {
    auto r = client_->Get(c.path);
    ASSERT_TRUE(r) << c.path;
    EXPECT_EQ(r->status, c.status) << c.path;
    if (c.status != 200) continue;
    EXPECT_EQ(r->body, c.body) << c.path;
  }
  auto doc = client_->Get("/Containers/System/files/spielerPr%C3%A4sentation.xml");
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->get_header_value("Cache-Control"), "no-cache") << "a state document like the others";
}
