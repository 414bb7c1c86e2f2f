// What no request may do to the sessions: bodies that would overflow the
// stack, requests of pages of other sites, retried failing requests, pages
// that never run, and floods of refused events in the log.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/session_server.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::LogCapture;
using testing_support::SessionServer;

namespace {

Json Body(const std::string& sid, int seq, Json events) {
  return {{"sid", sid}, {"seq", seq}, {"events", std::move(events)}};
}

httplib::Result PostAjax(SessionServer& server, const std::string& body, const httplib::Headers& headers = {}) {
  return server.client->Post("/ajax", headers, body, "application/json");
}

}  // namespace

TEST(SessionGuards, BodiesNestedTooDeepAreRefusedBeforeParsingAndTheServerLivesOn) {
  SessionServer server;
  LogCapture log;
  const std::string sid = server.OpenPage();
  ASSERT_FALSE(sid.empty());
  const std::string deepEvents = std::string(200'000, '[') + std::string(200'000, ']');
  const std::string bodies[] = {
      std::string(500'000, '['),
      std::string(100'000, '{'),
      R"({"sid":")" + sid + R"(","seq":1,"events":)" + deepEvents + "}",
      R"({"sid":")" + sid + R"(","seq":1,"events":[{"t":"click","x":)" + std::string(40, '[') + std::string(40, ']') + "}]}",
  };
  for (const std::string& body : bodies) {
    auto r = PostAjax(server, body);
    ASSERT_TRUE(r) << "the server died on a body of " << body.size() << " bytes";
    EXPECT_EQ(r->status, 400) << body.substr(0, 80);
  }
  // Brackets inside texts are text; nesting a page of ours writes is taken.
  int clicks = 0;
  server.onClick = [&](plat::ui::Component*) { ++clicks; };
  Json event = {{"t", "click"}, {"c", server.IdOf(sid, "B")}, {"note", std::string(1000, '[')},
                {"x", Json::array({Json::array({Json::object({{"a", Json::array({1})}})})})}};
  auto ok = PostAjax(server, Body(sid, 1, Json::array({event})).dump());
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->status, 200);
  EXPECT_EQ(clicks, 1);
}

TEST(SessionGuards, SessionRequestsOfOtherSitesAreRefused) {
  SessionServer server;
  LogCapture log;
  const std::string own = "http://127.0.0.1:" + std::to_string(server.http.Port());
  const struct {
    const char* origin;  // nullptr: none sent
    bool allowed;
  } cases[] = {
      {nullptr, true},
      {own.c_str(), true},
      {"HTTP://127.0.0.1", false},  // another port
      {"http://127.0.0.1:1", false},
      {"http://venue-evil.example", false},
      {"null", false},
      {"", false},
      {"http://127.0.0.1@evil.example", false},
  };
  for (const auto& c : cases) {
    const std::string what = c.origin ? c.origin : "(no origin)";
    httplib::Headers headers;
    if (c.origin) headers.emplace("Origin", c.origin);
    const std::string sid = server.OpenPage();
    ASSERT_FALSE(sid.empty()) << what;

    auto ajax = PostAjax(server, Body(sid, 1, Json::array()).dump(), headers);
    ASSERT_TRUE(ajax) << what;
    EXPECT_EQ(ajax->status, c.allowed ? 200 : 403) << what;

    auto upload = server.client->Post("/upload?sid=" + sid + "&c=1", headers, "x", "application/octet-stream");
    ASSERT_TRUE(upload) << what;
    EXPECT_EQ(upload->status, 403) << what;
    EXPECT_NE(upload->body.find(c.allowed ? "no upload expected there" : "request of another site"), std::string::npos)
        << what << ": " << upload->body;

    auto close = server.client->Post("/ajax/close", headers, Json({{"sid", sid}}).dump(), "text/plain");
    ASSERT_TRUE(close) << what;
    EXPECT_EQ(server.sessions->Find(sid) == nullptr, c.allowed) << what;
    server.sessions->Close(sid);
  }
  EXPECT_NE(log.All().find("request of another site refused: /ajax with origin \"null\""), std::string::npos)
      << log.All();
}

TEST(SessionGuards, ARetriedFailingRequestIsAnsweredFromTheRecordAndRunsNothingTwice) {
  SessionServer server;
  LogCapture log;
  const std::string sid = server.OpenPage();
  int clicks = 0;
  server.onClick = [&](plat::ui::Component*) {
    ++clicks;
    throw std::runtime_error("Wrong user!");
  };
  const Json click = {{"t", "click"}, {"c", server.IdOf(sid, "B")}};
  const std::string body = Body(sid, 1, Json::array({click, {{"t", 5}}, Json::array(), click})).dump();
  auto first = PostAjax(server, body);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_EQ(clicks, 2);
  auto retry = PostAjax(server, body);
  ASSERT_TRUE(retry);
  EXPECT_EQ(retry->status, 200);
  EXPECT_EQ(retry->body, first->body);
  EXPECT_EQ(clicks, 2) << "the retry ran a handler again";
}

// Fifty plain GETs of the page hold every place until their pages prove
// dead by sending nothing; a display that comes then gets its page. A page
// that did send a request keeps its session.
TEST(SessionGuards, PagesThatNeverRunDoNotLockTheServerOut) {
  SessionServer server([](plat::session::SessionHostConfig& c) {
    c.maxSessions = 50;
    c.firstRequestMs = 400;
  });
  LogCapture log;
  const std::string live = server.OpenPage();
  ASSERT_FALSE(live.empty());
  for (int i = 0; i < 49; ++i) ASSERT_FALSE(server.OpenPage().empty()) << i;
  auto full = server.client->Get("/?standort=Halle");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->status, 503);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool opened = false;
  while (!opened && std::chrono::steady_clock::now() < deadline) {
    // The live page goes on talking while it waits.
    static int seq = 0;
    PostAjax(server, Body(live, ++seq, Json::array()).dump());
    opened = !server.OpenPage("/?standort=Halle").empty();
    if (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(opened) << "the dead pages still hold every place";
  EXPECT_NE(server.sessions->Find(live), nullptr) << "a live page lost its session";
  EXPECT_NE(log.All().find("closed: its page never answered"), std::string::npos);
}

// A request within the body limit may hold tens of thousands of refused
// events and events of any size: the log gets a few bounded lines.
TEST(SessionGuards, AFloodOfRefusedEventsIsLoggedInAFewBoundedLines) {
  SessionServer server;
  const std::string sid = server.OpenPage();
  Json events = Json::array();
  events.push_back({{"t", "click"}, {"c", 77'777'777}, {"pad", std::string(200'000, 'x')}});
  while (events.size() < 30'000) events.push_back({{"t", "click"}, {"c", 99'999'999}});
  const std::string body = Body(sid, 1, events).dump();
  ASSERT_LT(body.size(), 1024u * 1024u);
  LogCapture log;
  auto r = PostAjax(server, body);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  const auto lines = log.Lines();
  EXPECT_LE(lines.size(), static_cast<std::size_t>(plat::session::Session::kRefusalLinesPerRequest) + 1) << log.All();
  for (const std::string& line : lines) EXPECT_LT(line.size(), 1000u) << line.substr(0, 200);
  EXPECT_NE(log.All().find(std::to_string(30'000 - plat::session::Session::kRefusalLinesPerRequest) +
                           " more refused events"),
            std::string::npos)
      << log.All();

  // Request after request, the lines stay within the bound of a minute.
  for (int seq = 2; seq <= 20; ++seq) ASSERT_TRUE(PostAjax(server, Body(sid, seq, events).dump()));
  EXPECT_LE(log.Lines().size(), static_cast<std::size_t>(plat::session::Session::kRefusalLinesPerMinute) + 1);
}
