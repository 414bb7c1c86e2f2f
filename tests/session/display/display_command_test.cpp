// Display command execution and single media, driven through the browser
// timers on a virtual clock.
#include <gtest/gtest.h>

#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::SessionDriver;
using testing_support::TempDir;

namespace {

class DisplayCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Config/tessarine.ini", "[Settings]\r\npreloadTime=1200\r\n");
    dir_.Write("Config/Medien.ini", "[HTM]\r\npdfF1=#toolbar=0\r\n");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
  }
  void TearDown() override {
    SetUniServerModule(nullptr);
    server_.reset();
  }
  std::unique_ptr<SessionDriver> Display(const std::string& standort = "Halle") {
    return std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"standort", standort}});
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
};

// The cache-buster is random: compare with it masked.
std::string Masked(std::string html) {
  for (std::size_t q = html.find('?'); q != std::string::npos; q = html.find('?', q + 1)) {
    std::size_t end = q + 1;
    while (end < html.size() && isdigit(static_cast<unsigned char>(html[end]))) ++end;
    if (end > q + 1 && end <= q + 4) html.replace(q + 1, end - q - 1, "N");
  }
  return html;
}

}  // namespace

TEST_F(DisplayCommands, MediumIsShownAtTheNextTickAndOnlyOnce) {
  auto d = Display();
  auto console = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
  server_->IssueMedium("Medium", "Containers/Bilder/tor.jpg", "false");
  d->Advance(800);
  console->Advance(800);
  TMainForm& f = d->Form();
  EXPECT_EQ(f.lblF1A->Caption(),
            "<div><img src=\"Containers/Bilder/tor.jpg\" alt=\"Logo\"  style=\"width:868px;height:868px\" "
            "class=\"contain\"/></div>");
  EXPECT_EQ(f.lblPlay->Caption(), "Containers/Bilder/tor.jpg");
  EXPECT_EQ(d->GetSession().UserString, "Play Medium Containers/Bilder/tor.jpg");
  EXPECT_FALSE(f.timerF1->Enabled());
  EXPECT_EQ(f.timerF1->Interval(), 598800);
  EXPECT_EQ(f.timerCMD->Tag(), 1);
  EXPECT_EQ(console->Form().timerCMD->Tag(), 0) << "consoles ignore commands";
  EXPECT_EQ(console->Form().lblPlay->Caption(), "lblPlay");

  d->Advance(5000);
  EXPECT_TRUE(f.f1Preload) << "executed once: the buffer flipped once";
}

TEST_F(DisplayCommands, TheWrapPastOneThousandReachesEveryDisplay) {
  auto a = Display("A");
  auto b = Display("B");
  for (int i = 0; i < 1000; ++i) server_->IssueCommand("Frame", "x.frm");
  a->Advance(800);
  b->Advance(800);
  ASSERT_EQ(a->Form().timerCMD->Tag(), 1000);
  server_->IssueMedium("Medium", "Containers/a.png", "false");
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, 1001);
  a->Advance(800);
  EXPECT_EQ(server_->DisplayCommand().sCMDNr, 1);
  EXPECT_EQ(a->Form().timerCMD->Tag(), 1);
  b->Advance(800);
  EXPECT_EQ(b->Form().timerCMD->Tag(), 1);
  EXPECT_EQ(b->Form().lblPlay->Caption(), "Containers/a.png");
}

TEST_F(DisplayCommands, DayplanForTheOwnLocationIsIgnored) {
  auto d = Display("Halle");
  server_->IssueCommand("Dayplan", "HALLE");
  d->Advance(1600);
  EXPECT_EQ(d->Form().timerCMD->Tag(), 0);
  EXPECT_EQ(d->Form().lblDayplan->Caption(), "lblDayplan");

  server_->IssueCommand("Dayplan", "Foyer");
  d->Advance(800);
  TMainForm& f = d->Form();
  EXPECT_EQ(f.lblStandort->Caption(), "Foyer");
  EXPECT_EQ(f.lblDayplan->Caption(), "Foyer");
  EXPECT_EQ(f.timerCMD->Tag(), 2);
  EXPECT_TRUE(f.timerF1->Enabled());
  EXPECT_EQ(f.timerF1->Interval(), 100);
  EXPECT_EQ(f.Play_1, -1);
  EXPECT_FALSE(f.timerF2->Enabled());
}

TEST_F(DisplayCommands, MissingOrEscapingPlaylistsAreConsumed) {
  auto d = Display();
  for (const char* target : {"System\\Spielstand.pyl", "..\\..\\Config\\tessarine.ini", "../x.pyl"}) {
    server_->IssueCommand("Playlist", target);
    d->Advance(800);
    EXPECT_EQ(d->Form().timerCMD->Tag(), server_->DisplayCommand().sCMDNr) << target;
    EXPECT_EQ(d->Form().lblPlaylist->Caption(), "lblPlaylist") << target;
  }
}

TEST_F(DisplayCommands, AFailingStepLeavesTheCommandNew) {
  auto d = Display();
  TMainForm& f = d->Form();
  int calls = 0;
  f.btnFrame->OnClick = [&](Component*) {
    if (++calls == 1) throw std::runtime_error("layout broken");
  };
  server_->IssueCommand("Frame", "Standard.frm");
  d->Advance(800);
  EXPECT_EQ(f.timerCMD->Tag(), 0);
  d->Advance(800);
  EXPECT_EQ(calls, 2) << "tried again at the next tick";
  EXPECT_EQ(f.timerCMD->Tag(), 1);
  EXPECT_EQ(f.lblFrame->Caption(), "Standard.frm");
  // The error went to the display log, not on the screen.
  ASSERT_EQ(f.memoLog->Lines().Count(), 2);
  EXPECT_EQ(f.memoLog->Lines()[1], "[error] layout broken");
  for (const Json& op : d->Ops()) EXPECT_NE(op.value("op", ""), "error") << op.dump();
}

TEST_F(DisplayCommands, SingleMediumHtmlByName) {
  struct Case {
    const char* medium;
    const char* html;  // W and H are 868
  };
  const Case cases[] = {
      {"Containers/a.JPEG", "<div><img src=\"Containers/a.JPEG\" alt=\"Logo\"  style=\"width:868px;height:868px\" class=\"contain\"/></div>"},
      {"Containers/a.bmp", ""},
      {"Containers/clip.MOV", "<video id=\"video\" width=\"868\" height=\"868\" autoplay source src=\"Containers/clip.MOV?N\"  type=\"video/mp4\" ></video>"},
      {"http://x/clip.mp4", "<iframe src=\"http://x/clip.mp4?N\" scrolling=\"no\" style=\"border:0px\"  height=\"868\" width=\"868\"></iframe>"},
      {"https://x/page.html", "<iframe src=\"https://x/page.html?N\" scrolling=\"no\" style=\"border:0px\"  height=\"868\" width=\"868\"></iframe>"},
      {"Containers/anim.gif", "<img src=\"Containers/anim.gif\" alt=\"bild\" style=\"width:868;height:868px;\">"},
      {"Containers/doc.pdf", "<iframe src=\"Containers/doc.pdf#toolbar=0 \" scrolling=\"no\" style=\"border:0px\"  height=\"868\" width=\"868\"></iframe>"},
      {"Containers\\Bilder\\b.png", "<div><img src=\"Containers\\Bilder\\b.png\" alt=\"Logo\"  style=\"width:868px;height:868px\" class=\"contain\"/></div>"},
  };
  auto d = Display();
  for (const auto& c : cases) {
    server_->IssueMedium("Medium", c.medium, "false");
    d->Advance(800);
    TMainForm& f = d->Form();
    TUniLabel* incoming = f.f1Preload ? f.lblF1A : f.lblF1B;
    EXPECT_EQ(Masked(incoming->Caption()), c.html) << c.medium;
  }
}

TEST_F(DisplayCommands, AddressesAreEncodedAndEscapedInTheirAttribute) {
  struct Case {
    const char* medium;
    const char* src;  // what stands between the quotes of src (masked cache-buster)
  };
  const Case cases[] = {
      {"Containers/Bilder/x\" onerror=\"alert(1).png", "Containers/Bilder/x%22%20onerror=%22alert(1).png"},
      {"Containers/Bilder/Tor #1 100%.jpg", "Containers/Bilder/Tor%20%231%20100%25.jpg"},
      {"Containers/Bilder/Gr\xC3\xBCn.png", "Containers/Bilder/Gr%C3%BCn.png"},
      {"Containers\\Bilder\\\xC3\x84rger.png", "Containers\\Bilder\\%C3%84rger.png"},
      {"Containers/Videos/a<b>.mp4", "Containers/Videos/a%3Cb%3E.mp4?N"},
      {"https://example.com/a b/x.html?q=\"1\"&r=%41", "https://example.com/a b/x.html?q=&quot;1&quot;&amp;r=%41?N"},
      {"http://x/Gr\xC3\xBCn.mp4", "http://x/Gr\xC3\xBCn.mp4?N"},
      {"Containers/Dokumente/Plan #2.pdf", "Containers/Dokumente/Plan%20%232.pdf#toolbar=0 "},
  };
  auto d = Display();
  for (const auto& c : cases) {
    server_->IssueMedium("Medium", c.medium, "false");
    d->Advance(800);
    TMainForm& f = d->Form();
    const std::string html = Masked((f.f1Preload ? f.lblF1A : f.lblF1B)->Caption());
    const std::size_t at = html.find(" src=\"");
    ASSERT_NE(at, std::string::npos) << c.medium;
    const std::size_t end = html.find('"', at + 6);
    EXPECT_EQ(html.substr(at + 6, end - at - 6), c.src) << c.medium;
    EXPECT_EQ(html.find("onerror=\""), std::string::npos) << c.medium;
  }
}

TEST_F(DisplayCommands, CrossFadeAndCutTimings) {
  auto d = Display();
  TMainForm& f = d->Form();
  server_->IssueMedium("Medium", "Containers/one.jpg", "true");
  d->Advance(800);
  server_->IssueMedium("Medium", "Containers/two.jpg", "true");
  d->Advance(800);
  EXPECT_NE(f.lblF1A->Caption().find("one.jpg"), std::string::npos) << "first item in A";
  EXPECT_NE(f.lblF1B->Caption().find("two.jpg"), std::string::npos) << "second item in B";
  EXPECT_EQ(f.sL1, f.lblF1A);
  EXPECT_EQ(f.sL2, f.lblF1B);
  d->Advance(600);  // the fade timer fires
  auto scripts = d->Scripts();
  ASSERT_GE(scripts.size(), 2u);
  EXPECT_EQ(scripts[scripts.size() - 2], f.lblF1A->JSName() + ".el.fadeOut({duration: 700});");
  EXPECT_EQ(scripts.back(), f.lblF1B->JSName() + ".el.fadeIn({duration: 700});");
  EXPECT_NE(f.lblF1A->Caption(), "") << "kept while it fades";
  d->Advance(1200);
  EXPECT_EQ(f.lblF1A->Caption(), "") << "emptied 1200 ms after the fade began";

  server_->IssueMedium("Medium", "Containers/three.jpg", "false");
  d->Advance(800 + 600);
  scripts = d->Scripts();
  EXPECT_EQ(scripts.back(), f.lblF1A->JSName() + ".el.fadeIn({duration: 10});");
  EXPECT_EQ(f.lblF1B->Caption(), "") << "a cut empties the outgoing label at once";
}
