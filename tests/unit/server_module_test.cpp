#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "platform/http/http_server.h"
#include "platform/log.h"
#include "server/MainModule.h"
#include "server/ServerModule.h"
#include "support/test_support.h"

using testing_support::LogCapture;
using testing_support::TempDir;

namespace {

plat::http::HttpRequest Get(std::string uri) {
  plat::http::HttpRequest r;
  r.method = "GET";
  r.uri = std::move(uri);
  r.path = r.uri;
  return r;
}

}  // namespace

TEST(ServerModulePort, ReadFromTheMainConfigurationFile) {
  struct Case {
    const char* ini;     // nullptr = no file
    int port;
    const char* logged;  // what the log line says is wrong; nullptr = no line
  };
  const char* outside = "is no port number (1 to 65535): using port 8077";
  const Case cases[] = {
      {"[Settings]\r\nport=8080\r\n", 8080, nullptr},
      {"[settings]\r\nPORT = 9000 \r\n", 9000, nullptr},
      {"[Settings]\r\nport=\"8090\"\r\n", 8090, nullptr},
      {nullptr, 8077, "Config\\tessarine.ini not found in "},
      {"[Settings]\r\nother=1\r\n", 8077, "Config\\tessarine.ini has no port in [Settings]: using port 8077"},
      {"[Settings]\r\nport=\r\n", 8077, "has no port in [Settings]"},
      {"[Settings]\r\nport=80a\r\n", 8077, outside},
      {"[Settings]\r\nport=70000\r\n", 8077, outside},
      {"[Settings]\r\nport=65536\r\n", 8077, outside},
      {"[Settings]\r\nport=0\r\n", 8077, outside},
      {"[Settings]\r\nport=-1\r\n", 8077, outside},
      {"[Settings]\r\nport=65535\r\n", 65535, nullptr},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.ini) dir.Write("Config/tessarine.ini", c.ini);
    LogCapture log;
    TUniServerModule module(dir.path().string());
    EXPECT_EQ(module.Port, c.port) << (c.ini ? c.ini : "(no file)");
    if (c.logged)
      EXPECT_NE(log.All().find(c.logged), std::string::npos) << log.All();
    else
      EXPECT_TRUE(log.Lines().empty()) << log.All();
  }
}

TEST(ServerModule, StartPathEndsWithBackslashAndSettings) {
  TempDir dir;
  TUniServerModule module(dir.path().string());
  ASSERT_FALSE(module.StartPath().empty());
  EXPECT_EQ(module.StartPath().back(), '\\');
  EXPECT_EQ(module.Title, "j8 | Tessarine 2025");
  EXPECT_EQ(module.MaxSessions, 50);
  EXPECT_EQ(module.TerminateMessage, "Tessarine session terminated.");
  ASSERT_EQ(module.ExceptionTemplate.size(), 7u);
  ASSERT_EQ(module.TerminateTemplate.size(), 6u);
  EXPECT_EQ(module.TerminateTemplate, module.InvalidSessionTemplate);
  EXPECT_EQ(module.TerminateTemplate[2], module.ExceptionTemplate[3]);
  std::string page = FillServerPage(module.ExceptionTemplate, "bad <thing>", "/app?x=1&y=2");
  EXPECT_NE(page.find(">bad &lt;thing&gt;</p>"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"/app?x=1&amp;y=2\">Restart Tessarine</a>"), std::string::npos);
}

TEST(DisplayCommand, IssuesKeepFieldsTheyDoNotSet) {
  TempDir dir;
  TUniServerModule m(dir.path().string());
  EXPECT_EQ(m.DisplayCommand().sCMDNr, 0);
  EXPECT_EQ(m.DisplayCommand().sTyp, "");

  m.IssueMedium("Medium", "Containers/Bilder/a.jpg", "true");
  std::string off = "false";
  m.IssueCommand("Playlist", "System\\Spielstand.pyl", &off);
  m.IssueCommand("Frame", "Standard.frm");
  TDisplayCommand c = m.DisplayCommand();
  EXPECT_EQ(c.sCMDNr, 3);
  EXPECT_EQ(c.sTyp, "Frame");
  EXPECT_EQ(c.sStandort, "Standard.frm");
  EXPECT_EQ(c.sMedium, "Containers/Bilder/a.jpg");
  EXPECT_EQ(c.sEffect, "false");
}

TEST(DisplayCommand, PollWrapsPastOneThousand) {
  TempDir dir;
  TUniServerModule m(dir.path().string());
  for (int i = 0; i < 1000; ++i) m.IssueCommand("Playlist", "a.pyl");
  EXPECT_EQ(m.PollDisplayCommand().sCMDNr, 1000) << "1000 stays";
  m.IssueCommand("Playlist", "b.pyl");
  EXPECT_EQ(m.DisplayCommand().sCMDNr, 1001) << "issuers never wrap";
  TDisplayCommand polled = m.PollDisplayCommand();
  EXPECT_EQ(polled.sCMDNr, 1);
  EXPECT_EQ(polled.sStandort, "b.pyl");
  EXPECT_EQ(m.DisplayCommand().sCMDNr, 1);
}

TEST(DisplayCommand, ReadersNeverSeeATornRecord) {
  TempDir dir;
  TUniServerModule m(dir.path().string());
  const std::string a(4096, 'a'), b(8192, 'b');
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; i < 5000; ++i) m.IssueCommand("Playlist", i % 2 ? a : b);
    stop = true;
  });
  int torn = 0;
  while (!stop) {
    TDisplayCommand c = m.PollDisplayCommand();
    if (!(c.sStandort.empty() || c.sStandort == a || c.sStandort == b)) ++torn;
  }
  writer.join();
  EXPECT_EQ(torn, 0);
}

TEST(HttpCommand, RefreshAndGettime) {
  TempDir dir;
  TUniServerModule m(dir.path().string());
  plat::SetNowFunction([] {
    plat::DateTime t;
    t.hour = 9;
    t.minute = 5;
    t.second = 7;
    return t;
  });

  struct Case {
    const char* uri;
    bool handled;
    const char* target;  // nullptr = the target is left as it was
  };
  const Case cases[] = {
      {"/refresh/System\\Spielstand.pyl", true, "System\\Spielstand.pyl"},
      {"/refresh", true, ""},
      {"/refresh/System%5CBackground.pyl", true, "System%5CBackground.pyl"},
      {"/refreshXYZ/abc", true, "YZ/abc"},
      {"/REFRESH/x.pyl", false, nullptr},
      {"/gettime", true, nullptr},
      {"/gettimeAndMore", true, nullptr},
      {"/GETTIME", false, nullptr},
      {"/files/J8_TS.jpg", false, nullptr},
      {"/", false, nullptr},
  };
  std::string lastTarget;
  int number = 0;
  for (const auto& c : cases) {
    plat::http::HttpResponse res;
    bool handled = m.UniGUIServerModuleHTTPCommand(Get(c.uri), res);
    EXPECT_EQ(handled, c.handled) << c.uri;
    TDisplayCommand cmd = m.DisplayCommand();
    if (c.target) {
      lastTarget = c.target;
      ++number;
      EXPECT_EQ(res.body, "") << c.uri;
    }
    EXPECT_EQ(cmd.sStandort, lastTarget) << c.uri;
    EXPECT_EQ(cmd.sCMDNr, number) << c.uri;
    EXPECT_EQ(cmd.sTyp, "") << "refresh leaves the kind";
    if (std::string(c.uri).rfind("/gettime", 0) == 0) {
      EXPECT_EQ(res.contentType, "application/xml");
      EXPECT_EQ(res.body,
                "<?xml version=\"1.0\" encoding=\"utf-8\"?> <tessarine><time>09:05:07</time> "
                "</tessarine>");
    }
  }
  plat::SetNowFunction(nullptr);
}

TEST(HttpCommand, RefreshKeepsTheKindOfTheLastCommand) {
  TempDir dir;
  TUniServerModule m(dir.path().string());
  m.IssueCommand("Playlist", "System\\Spielstand.pyl");
  plat::http::HttpResponse res;
  ASSERT_TRUE(m.UniGUIServerModuleHTTPCommand(Get("/refresh/System\\Background.pyl"), res));
  TDisplayCommand c = m.DisplayCommand();
  EXPECT_EQ(c.sTyp, "Playlist");
  EXPECT_EQ(c.sStandort, "System\\Background.pyl");
  EXPECT_EQ(c.sCMDNr, 2);
}

TEST(MainModule, LoadingCssIsAddedOncePerProcess) {
  TempDir dir;
  TUniServerModule m(dir.path().string());
  for (int i = 0; i < 100; ++i) TUniMainModule session(m);
  EXPECT_EQ(m.CustomCSS(), std::string(kLoadingScreenCss) + "\n");
  EXPECT_EQ(std::string(kLoadingScreenCss).size(), 243u);
}
