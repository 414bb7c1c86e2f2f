// The page, AJAX and close routes of the sessions on a real server.
#include <gtest/gtest.h>

#include <httplib.h>

#include "platform/http/http_server.h"
#include "platform/io/path.h"
#include "platform/session/session_manager.h"
#include "platform/ui/controls.h"
#include "platform/ui/form_loader.h"
#include "support/session_server.h"
#include "support/test_support.h"

using namespace plat::session;
using namespace plat::ui;
using testing_support::LogCapture;
using testing_support::SessionServer;

namespace {

class SessionRoutes : public ::testing::Test {
 protected:
  static std::string SidOf(const std::string& page) { return SessionServer::SidOf(page); }

  LogCapture log_;
  SessionServer server_;
  std::unique_ptr<SessionManager>& sessions_ = server_.sessions;
  std::unique_ptr<httplib::Client>& client_ = server_.client;
};

}  // namespace

TEST_F(SessionRoutes, PagesUntilTheServerIsFullThenCloseFreesAPlace) {
  auto first = client_->Get("/?standort=Halle");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_NE(first->body.find("<title>Venue &lt;test&gt;</title>"), std::string::npos);
  EXPECT_NE(first->body.find("Tess.boot("), std::string::npos);
  std::string sid = SidOf(first->body);
  ASSERT_EQ(sid.size(), 32u);
  ASSERT_TRUE(client_->Get("/"));

  auto full = client_->Get("/");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->status, 503);
  EXPECT_NE(full->body.find("server is full"), std::string::npos);

  auto closed = client_->Post("/ajax/close", Json({{"sid", sid}}).dump(), "text/plain");
  ASSERT_TRUE(closed);
  auto again = client_->Get("/");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 200);
  EXPECT_NE(SidOf(again->body), sid) << "ids are not reused";
}

TEST_F(SessionRoutes, AHeadOpensNoSession) {
  for (int i = 0; i < 5; ++i) {
    auto head = client_->Head("/?standort=Halle");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->status, 200);
  }
  EXPECT_EQ(sessions_->Count(), 0u);
  auto page = client_->Get("/?standort=Halle");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200) << "a HEAD took a place";
}

TEST_F(SessionRoutes, AReloadedPageEndsItsOldSessionAtOnce) {
  auto page = client_->Get("/");
  ASSERT_TRUE(page);
  const std::string sid = SidOf(page->body);
  auto lost = client_->Post("/ajax", Json({{"sid", sid}, {"seq", 7}, {"events", Json::array()}}).dump(),
                            "application/json");
  ASSERT_TRUE(lost);
  EXPECT_EQ(Json::parse(lost->body)["ops"], Json::array({{{"op", "reload"}}}));
  EXPECT_EQ(sessions_->Find(sid), nullptr);
  EXPECT_EQ(sessions_->Count(), 0u);
}

TEST_F(SessionRoutes, AjaxAnswersGoneForUnknownSessionsAndRefusesBadBodies) {
  auto page = client_->Get("/");
  ASSERT_TRUE(page);
  std::string sid = SidOf(page->body);

  auto ok = client_->Post("/ajax", Json({{"sid", sid}, {"seq", 1}, {"events", Json::array()}}).dump(),
                          "application/json");
  ASSERT_TRUE(ok);
  EXPECT_EQ(Json::parse(ok->body)["seq"], 1);

  auto gone = client_->Post("/ajax", Json({{"sid", "0123456789abcdef0123456789abcdef"}, {"seq", 1}}).dump(),
                            "application/json");
  ASSERT_TRUE(gone);
  EXPECT_EQ(Json::parse(gone->body), Json({{"gone", true}}));

  for (const char* bad : {"not json", "{\"sid\": 5, \"seq\": 1}", "{\"sid\": \"x\"}", "[]"}) {
    auto r = client_->Post("/ajax", bad, "application/json");
    ASSERT_TRUE(r) << bad;
    EXPECT_EQ(r->status, 400) << bad;
  }
}

TEST_F(SessionRoutes, TheRuntimeIsCompressedAndCachedUnderItsVersionedAddress) {
  auto page = client_->Get("/");
  ASSERT_TRUE(page);
  const std::size_t at = page->body.find("<script src=\"/client/runtime.js?v=");
  ASSERT_NE(at, std::string::npos) << page->body.substr(0, 600);
  const std::size_t from = at + std::string("<script src=\"").size();
  const std::string address = page->body.substr(from, page->body.find('"', from) - from);
  EXPECT_NE(page->body.find("/client/tessarine.css?v="), std::string::npos);

  client_->set_decompress(false);
  auto runtime = client_->Get(address, {{"Accept-Encoding", "gzip, deflate, br"}});
  ASSERT_TRUE(runtime);
  EXPECT_EQ(runtime->status, 200);
  EXPECT_EQ(runtime->get_header_value("Content-Encoding"), "gzip");
  EXPECT_NE(runtime->get_header_value("Cache-Control").find("immutable"), std::string::npos);
  const std::string plain = plat::io::ReadFileBytes(TESS_SOURCE_DIR "/platform/client/runtime.js");
  EXPECT_LT(runtime->body.size(), plain.size() / 2);

  client_->set_decompress(true);
  auto unversioned = client_->Get("/client/runtime.js");
  ASSERT_TRUE(unversioned);
  EXPECT_TRUE(unversioned->body == plain);
  EXPECT_EQ(unversioned->get_header_value("Cache-Control"), "") << "without a version the browser revalidates";
}
