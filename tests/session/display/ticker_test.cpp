// The ticker page of a display: the settings file, the generated page and
// the ticker frame, driven through display commands on a virtual clock with
// a fixed "now".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/display_fixture.h"

using plat::ui::Json;
using testing_support::LogCapture;

namespace {

// The fixture's "now" as text.
const char* const kNow = "11.06.2025 10:15:30";

// A ticker settings file as a console writes it (Windows-1252, CR LF), or
// in UTF-8 with a BOM; values are written as given.
struct TickerFile {
  bool utf8 = false;
  std::string text = "Heute: Halle gegen Linz";
  std::string oben = "740", links = "0", breite = "1280", hoehe = "60";
  std::string backColor = "255";
  bool fontSection = true;
  std::string fontName = "Arial", fontColor = "16777215", fontSize = "40";

  std::string Ini() const {
    std::string s = std::string(utf8 ? "\xEF\xBB\xBF" : "") + "[Ticker]\r\nText=" + text + "\r\nOben=" + oben +
                    "\r\nLinks=" + links + "\r\nBreite=" + breite + (utf8 ? "\r\nH\xC3\xB6he=" : "\r\nH\xF6he=") + hoehe +
                    "\r\nBackColor=" + backColor + "\r\n";
    if (fontSection) s += "[Font]\r\nName=" + fontName + "\r\nColor=" + fontColor + "\r\nSize=" + fontSize + "\r\n";
    return s;
  }
};

class Ticker : public testing_support::DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    dir_.Write("Config/tessarine.ini", "[Settings]\r\nport=8077\r\n");
    std::filesystem::create_directories(dir_.path() / "files");
    Open();
    // The display base folder differs from the program folder: tickers are
    // read below the one, the page is written below the other.
    f().lblPath->SetCaption(dir_.sys() + "base\\");
  }
  void Write(const std::string& name, const TickerFile& t) { dir_.Write("base/Config/Ticks/" + name, t.Ini()); }
  // A display command, executed at the display's next tick.
  void Command(const std::string& kind, const std::string& target) {
    server_->IssueCommand(kind, target);
    d_->Advance(800);
  }
  void Show(const std::string& name, const TickerFile& t) {
    Write(name, t);
    Command("Ticker", name);
  }
  // The page of the location "Halle".
  bool PageWritten() const { return std::filesystem::exists(dir_.path() / "files" / "tickerWP_Halle.html"); }
  std::string Page() const { return dir_.Read("files/tickerWP_Halle.html"); }
  const std::string& Line(int i) { return f().memoTicker->Lines()[i]; }
  // The values the browser was sent for one property of a component.
  std::vector<Json> Sent(Component* c, const std::string& prop) const {
    std::vector<Json> out;
    for (const auto& op : d_->Ops())
      if (op.value("op", "") == "set" && op.value("c", 0) == c->Id() && op.value("p", "") == prop)
        out.push_back(op["v"]);
    return out;
  }
  // Error boxes of exceptions that escaped a handler, and message boxes.
  int Boxes() const {
    int n = 0;
    for (const auto& op : d_->Ops()) n += op.value("op", "") == "error" || op.value("op", "") == "box";
    return n;
  }
};

}  // namespace

TEST_F(Ticker, ColoursSizeAndFontMakeTheStyleAndWidgetLines) {
  Show("Spiel.tck", TickerFile{});
  EXPECT_EQ(f().timerCMD->Tag(), 1);
  EXPECT_EQ(f().lblTicker->Caption(), "Spiel.tck");
  EXPECT_EQ(Line(2),
            "body { background-color:#FF0000; color:#FFFFFF; font-size:40px;"
            "font-family:\"Arial\",Arial, Helvetica, sans-serif}");
  EXPECT_EQ(Line(15), "            var qtx = Telex.widget('tx', { speed:120},");
  EXPECT_EQ(Line(19), "             content: \"Heute: Halle gegen Linz\"");

  EXPECT_TRUE(f().urlTCK->Visible());
  EXPECT_EQ(f().urlTCK->Color(), 255);
  EXPECT_EQ(f().urlTCK->Top(), 740);
  EXPECT_EQ(f().urlTCK->Left(), 0);
  EXPECT_EQ(f().urlTCK->Width(), 1280);
  EXPECT_EQ(f().urlTCK->Height(), 60) << "the key with the umlaut is read from a Windows-1252 file";
  EXPECT_EQ(f().urlTCK->URL(), std::string("files/tickerWP_Halle.html?") + kNow);
  EXPECT_EQ(f().lblTickerShow->Hint(), "Heute: Halle gegen Linz");
  EXPECT_EQ(f().lblTickerShow->Font().Name(), "Arial");
  EXPECT_EQ(f().lblTickerShow->Font().Color(), 16777215);
  EXPECT_EQ(f().lblTickerShow->Font().Size(), 40);
  EXPECT_TRUE(f().memoLog->Lines().Empty());
  EXPECT_EQ(Boxes(), 0);
}

TEST_F(Ticker, SameAddressInTheSameSecondStillReloadsTheFrame) {
  Show("Spiel.tck", TickerFile{});
  TickerFile changed;
  changed.text = "Pause";
  Show("Spiel.tck", changed);
  const auto urls = Sent(f().urlTCK, "url");
  ASSERT_EQ(urls.size(), 2u) << "the browser must load the rewritten page again";
  EXPECT_EQ(urls[0], urls[1]);
  EXPECT_NE(Page().find("content: \"Pause\""), std::string::npos);
}

TEST_F(Ticker, WrittenPageIsTheTemplateInUtf8) {
  TickerFile t;
  t.text = "Tor f\xFCr Halle!";  // ü in Windows-1252
  t.fontName = "Segoe UI";
  t.backColor = "0";
  t.fontColor = "65535";  // yellow
  t.fontSize = "32";
  Show("Ticker.tck", t);
  const std::string expected =
      "\xEF\xBB\xBF"
      "<html>\r\n"
      "<style>\r\n"
      "body { background-color:#000000; color:#FFFF00; font-size:32px;font-family:\"Segoe UI\",Arial, Helvetica, "
      "sans-serif}\r\n"
      "</style>\r\n"
      "      <head>\r\n"
      "\t<meta charset=\"UTF-8\"><META HTTP-EQUIV=\"CACHE-CONTROL\" CONTENT=\"NO-CACHE\">\r\n"
      "    </head>\r\n"
      "    <body>\r\n"
      "    <div id=\"tx\"></div>\r\n"
      "    <script src=\"src/jquery.js\"></script>\r\n"
      "    <script src=\"src/jquery-ui.js\"></script>\r\n"
      "    <script src=\"dist/telex.js\"></script>\r\n"
      "    <script>\r\n"
      "        $(document).ready(function () {\r\n"
      "            //direction:\"reverse\" , timing,'ease-in-out'\r\n"
      "            var qtx = Telex.widget('tx', { speed:96},\r\n"
      "            [   // array of messages\r\n"
      "                {\r\n"
      "                    id: 'm1',\r\n"
      "             content: \"Tor f\xC3\xBCr Halle!\"\r\n"
      "                }\r\n"
      "                /* ...more messages... */\r\n"
      "            ]);\r\n"
      "        });\r\n"
      "\t\t\r\n"
      "    </script>\r\n"
      "    </body>\r\n"
      "</html>\r\n";
  EXPECT_EQ(Page(), expected);
  EXPECT_EQ(dir_.Read("files/tickerWP.html"), expected) << "the page under its old name too";
  // The pages are replaced through temporary files that are gone afterwards.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_.path() / "files"))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"tickerWP.html", "tickerWP_Halle.html"}));
}

TEST_F(Ticker, HostileTextsShowAsTypedInsideTheScriptString) {
  struct Case {
    const char* text;
    const char* content;  // what stands between the quotes of the content line
    bool utf8 = false;
  };
  const Case cases[] = {
      {"Er sagt \"Tor\"!", "Er sagt \\\"Tor\\\"!"},
      {"C:\\Bilder\\", "C:\\\\Bilder\\\\"},
      {"\\\"); alert(1); //", "\\\\\\\"); alert(1); //"},
      {"</script><script>alert(1)</script>", "\\x3C/script>\\x3Cscript>alert(1)\\x3C/script>"},
      {"<!-- <script>", "\\x3C!-- \\x3Cscript>"},
      {"Tor <3 & 'mehr'", "Tor \\x3C3 & 'mehr'"},
      // line and paragraph separators (U+2028, U+2029) in UTF-8, and a tab
      {"a\xE2\x80\xA8" "b\xE2\x80\xA9" "c\td", "a\\u2028b\\u2029c\\td", true},
  };
  for (const Case& c : cases) {
    TickerFile t;
    t.text = c.text;
    t.utf8 = c.utf8;
    Show("Ticker.tck", t);
    EXPECT_EQ(Line(19), std::string("             content: \"") + c.content + "\"") << c.text;
    EXPECT_EQ(f().lblTickerShow->Hint(), c.text) << "the sample label keeps the text as typed";
    const std::string page = Page();
    std::size_t closes = 0;
    for (std::size_t p = page.find("</script"); p != std::string::npos; p = page.find("</script", p + 1)) ++closes;
    EXPECT_EQ(closes, 4u) << "only the template's own script ends: " << c.text;
  }
}

TEST_F(Ticker, FontNameCannotLeaveTheStyle) {
  TickerFile t;
  t.fontName = "Arial\"}</style><script>alert(1)</script>";
  Show("Ticker.tck", t);
  EXPECT_EQ(Line(2),
            "body { background-color:#FF0000; color:#FFFFFF; font-size:40px;"
            "font-family:\"Arial\\22 }\\3C /style\\3E \\3C script\\3E alert(1)\\3C /script\\3E \",Arial, Helvetica, "
            "sans-serif}");
  EXPECT_EQ(f().lblTickerShow->Font().Name(), t.fontName);
}

TEST_F(Ticker, TickerStopHidesTheFrame) {
  Show("Ticker.tck", TickerFile{});
  ASSERT_TRUE(f().urlTCK->Visible());
  Command("TickerStop", "Ticker.tck");
  EXPECT_EQ(f().timerCMD->Tag(), 2);
  EXPECT_EQ(f().lblTicker->Caption(), "") << "the target of TickerStop is ignored";
  EXPECT_FALSE(f().urlTCK->Visible());
  EXPECT_EQ(f().urlTCK->URL(), std::string("about:blank?") + kNow);
  EXPECT_TRUE(f().memoLog->Lines().Empty());
}

TEST_F(Ticker, MissingOrEscapingNamesHideTheTicker) {
  // Files that exist, but not below the display's ticker folder.
  dir_.Write("base/Config/Outside.tck", TickerFile{}.Ini());
  dir_.Write("Config/Ticks/Program.tck", TickerFile{}.Ini());
  const std::string outside = (dir_.path() / "base/Config/Outside.tck").string();
  const std::string names[] = {"",
                               "Gone.tck",
                               "..\\Outside.tck",
                               "../Outside.tck",
                               "Sub\\..\\..\\Outside.tck",
                               outside,
                               "..\\..\\..\\Config\\Ticks\\Program.tck",
                               "C:Outside.tck"};
  for (const std::string& name : names) {
    Write("Ticker.tck", TickerFile{});
    f().lblTicker->SetCaption("Ticker.tck");
    f().btnTicker->OnClick(f().btnTicker);
    ASSERT_TRUE(f().urlTCK->Visible());
    std::filesystem::remove(dir_.path() / "files" / "tickerWP_Halle.html");

    f().lblTicker->SetCaption(name);
    f().btnTicker->OnClick(f().btnTicker);
    EXPECT_FALSE(f().urlTCK->Visible()) << name;
    EXPECT_EQ(f().urlTCK->URL(), std::string("about:blank?") + kNow) << name;
    EXPECT_FALSE(PageWritten()) << name;
  }
  EXPECT_TRUE(f().memoLog->Lines().Empty());
}

TEST_F(Ticker, BadColourOrSizeEndsTheStepWithALogLine) {
  struct Case {
    const char* what;
    TickerFile file;
    const char* logged;  // the display log's line after the file name
    bool fontColorSet;
  };
  auto withoutFont = [] {
    TickerFile t;
    t.fontSection = false;
    return t;
  };
  auto with = [](std::string TickerFile::*field, const char* value) {
    TickerFile t;
    t.*field = value;
    return t;
  };
  const Case cases[] = {
      {"no Font section", withoutFont(), "[Font] Color is not a whole number: \"\"", false},
      {"named colour", with(&TickerFile::fontColor, "clWhite"), "[Font] Color is not a whole number: \"clWhite\"", false},
      {"size with unit", with(&TickerFile::fontSize, "40px"), "[Font] Size is not a whole number: \"40px\"", true},
      {"size too large", with(&TickerFile::fontSize, "99999999999"),
       "[Font] Size is not a whole number: \"99999999999\"", true},
      {"empty back colour", with(&TickerFile::backColor, ""), "[Ticker] BackColor is not a whole number: \"\"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    Show("Ticker.tck", TickerFile{});
    const std::string before = Page();
    const std::string url = f().urlTCK->URL();
    f().urlTCK->SetVisible(false);
    f().memoLog->Lines().Clear();
    f().lblTickerShow->Font().SetColor(42);

    Write("Ticker.tck", c.file);
    f().btnTicker->OnClick(f().btnTicker);
    EXPECT_TRUE(f().urlTCK->Visible()) << "the frame is shown before the values are converted";
    EXPECT_EQ(f().urlTCK->URL(), url) << "the frame keeps its address";
    EXPECT_EQ(Page(), before) << "the page is not rewritten";
    EXPECT_EQ(f().lblTickerShow->Hint(), c.file.text);
    EXPECT_EQ(f().lblTickerShow->Font().Name(), c.file.fontSection ? "Arial" : "");
    EXPECT_EQ(f().lblTickerShow->Font().Color(), c.fontColorSet ? 16777215 : 42);
    ASSERT_EQ(f().memoLog->Lines().Count(), 1);
    const std::string file = f().lblPath->Caption() + "Config\\Ticks\\Ticker.tck";
    EXPECT_EQ(f().memoLog->Lines()[0], "[error] Ticker " + file + ": " + c.logged);
    EXPECT_NE(log.All().find(std::string("display Halle, ticker ") + file + ": " + c.logged), std::string::npos);
  }
  EXPECT_EQ(Boxes(), 0) << "a display shows no error box";
}

TEST_F(Ticker, PositionIsTakenUpToTheFirstBadValue) {
  struct Case {
    const char* oben;
    const char* links;
    const char* breite;
    const char* hoehe;
    int top, left, width, height;
    const char* logged;  // empty: nothing logged
  };
  // The frame stands at 1, 2, 3, 4 before each step.
  const Case cases[] = {
      {"700", "10", "1260", "100", 700, 10, 1260, 100, ""},
      {"$10", " 20", "-5", "0", 16, 20, -5, 0, ""},
      {"", "10", "1260", "100", 1, 2, 3, 4, "[Ticker] Oben is not a whole number: \"\""},
      {"700", "links", "1260", "100", 700, 2, 3, 4, "[Ticker] Links is not a whole number: \"links\""},
      {"700", "10", "1260px", "100", 700, 10, 3, 4, "[Ticker] Breite is not a whole number: \"1260px\""},
      {"700", "10", "1260", "1.5", 700, 10, 1260, 4, "[Ticker] H\xC3\xB6he is not a whole number: \"1.5\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.oben + std::string("/") + c.links + "/" + c.breite + "/" + c.hoehe);
    f().urlTCK->SetBounds(2, 1, 3, 4);
    f().urlTCK->SetURL("");
    f().memoLog->Lines().Clear();
    std::filesystem::remove(dir_.path() / "files" / "tickerWP_Halle.html");
    TickerFile t;
    t.oben = c.oben, t.links = c.links, t.breite = c.breite, t.hoehe = c.hoehe;
    Write("Ticker.tck", t);
    f().lblTicker->SetCaption("Ticker.tck");
    f().btnTicker->OnClick(f().btnTicker);

    EXPECT_EQ(f().urlTCK->Top(), c.top);
    EXPECT_EQ(f().urlTCK->Left(), c.left);
    EXPECT_EQ(f().urlTCK->Width(), c.width);
    EXPECT_EQ(f().urlTCK->Height(), c.height);
    EXPECT_TRUE(PageWritten());
    EXPECT_EQ(f().urlTCK->URL(), std::string("files/tickerWP_Halle.html?") + kNow) << "the page is loaded all the same";
    if (*c.logged) {
      ASSERT_EQ(f().memoLog->Lines().Count(), 1);
      EXPECT_NE(f().memoLog->Lines()[0].find(c.logged), std::string::npos);
    } else {
      EXPECT_TRUE(f().memoLog->Lines().Empty());
    }
  }
}

TEST_F(Ticker, UnwritablePageEndsTheStepWithALogLine) {
  LogCapture log;
  std::filesystem::remove_all(dir_.path() / "files");
  Show("Ticker.tck", TickerFile{});
  EXPECT_TRUE(f().urlTCK->Visible());
  EXPECT_EQ(f().urlTCK->URL(), "") << "nothing to load";
  ASSERT_EQ(f().memoLog->Lines().Count(), 1);
  EXPECT_NE(f().memoLog->Lines()[0].find("the page cannot be written"), std::string::npos);
  EXPECT_NE(log.All().find("the page cannot be written"), std::string::npos);
  EXPECT_EQ(Boxes(), 0);
}

TEST_F(Ticker, EveryLocationLoadsItsOwnPage) {
  // Two locations with different tickers, each run by its day plan, as when
  // every screen reconnects after a restart.
  TickerFile halle, foyer;
  halle.text = "Halle: Anstoss 19:30";
  foyer.text = "Foyer: Kasse offen";
  Write("Halle.tck", halle);
  Write("Foyer.tck", foyer);
  auto plan = [](const std::string& ticker) { return "00:00        2       " + ticker + "     23:59   \r\n"; };
  dir_.Write("base/Config/Dayplan/Halle", plan("Halle.tck"));
  dir_.Write("base/Config/Dayplan/Foyer", plan("Foyer.tck"));
  dir_.Write("base/Config/Dayplan/Sonder Halle 1", plan("Foyer.tck"));
  dir_.Write("Config/tessarine.ini", "[Settings]\r\nport=8077\r\njjjPath=" + dir_.sys() + "base\\\r\n");
  for (const char* standort : {"Halle", "Foyer", "Sonder Halle 1"}) dir_.Write(std::string("Config/Dayplan/") + standort, "x");

  auto display = [&](const std::string& standort) {
    return std::make_unique<testing_support::SessionDriver>(*server_,
                                                            std::map<std::string, std::string>{{"standort", standort}});
  };
  auto a = display("Halle");
  auto b = display("Foyer");
  auto c = display("Sonder Halle 1");
  auto again = display("Halle");  // the first location's display reconnects last
  auto urlOf = [](testing_support::SessionDriver& d) { return d.Form().urlTCK->URL(); };
  EXPECT_EQ(urlOf(*a), std::string("files/tickerWP_Halle.html?") + kNow);
  EXPECT_EQ(urlOf(*b), std::string("files/tickerWP_Foyer.html?") + kNow);
  EXPECT_EQ(urlOf(*c), std::string("files/tickerWP_Sonder_20Halle_201.html?") + kNow);
  EXPECT_NE(Page().find("content: \"Halle: Anstoss 19:30\""), std::string::npos);
  EXPECT_NE(dir_.Read("files/tickerWP_Foyer.html").find("content: \"Foyer: Kasse offen\""), std::string::npos);
  EXPECT_NE(dir_.Read("files/tickerWP_Sonder_20Halle_201.html").find("Foyer: Kasse offen"), std::string::npos);
  EXPECT_NE(dir_.Read("files/tickerWP.html").find("Halle: Anstoss"), std::string::npos) << "the last one written";
}

TEST_F(Ticker, LocationNamesMakeSafeDistinctFileNames) {
  struct Case {
    const char* standort;
    const char* page;
  };
  const Case cases[] = {
      {"Halle", "tickerWP_Halle.html"},
      {"Halle_1", "tickerWP_Halle_5F1.html"},
      {"Halle 1", "tickerWP_Halle_201.html"},
      {"..\\..\\x", "tickerWP__2E_2E_5C_2E_2E_5Cx.html"},
      {"../Gr\xC3\xBCn", "tickerWP__2E_2E_2FGr_C3_BCn.html"},
  };
  for (const Case& c : cases) {
    f().lblStandort->SetCaption(c.standort);
    EXPECT_EQ(f().TickerPageName(), c.page) << c.standort;
  }
  f().lblStandort->SetCaption(std::string(300, '.'));
  const std::string longName = f().TickerPageName();
  EXPECT_LT(longName.size(), 160u);
  f().lblStandort->SetCaption(std::string(299, '.') + "x");
  EXPECT_NE(f().TickerPageName(), longName) << "a long name keeps its difference";
}

TEST_F(Ticker, ADisplayWithoutLocationHasItsOwnPageUntilItEnds) {
  f().lblStandort->SetCaption("");
  Show("Ticker.tck", TickerFile{});
  const std::string page = f().TickerPageName();
  EXPECT_EQ(page, "tickerWP-" + d_->GetSession().Id().substr(0, 16) + ".html");
  EXPECT_EQ(f().urlTCK->URL(), "files/" + page + "?" + kNow);
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "files" / page));
  d_.reset();
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "files" / page)) << "removed with the session";
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "files" / "tickerWP.html"));
}

TEST(TickerColor, IntColorToHtmlTurnsTheBytesRound) {
  struct Case {
    int color;
    const char* html;
  };
  const Case cases[] = {
      {0, "#000000"},        {255, "#FF0000"},      {0x00FF00, "#00FF00"}, {0xFF0000, "#0000FF"},
      {16777215, "#FFFFFF"}, {0x123456, "#563412"}, {0x0000AB, "#AB0000"}, {0x0A0B0C, "#0C0B0A"},
  };
  for (const Case& c : cases) EXPECT_EQ(TMainForm::IntColorToHtml(c.color), c.html) << c.color;
  // Values outside $00BBGGRR are not resolved, but still give a colour text.
  for (int odd : {-1, 0x1000000, static_cast<int>(0x80000005u)}) {
    const std::string html = TMainForm::IntColorToHtml(odd);
    EXPECT_EQ(html.size(), 7u) << odd;
    EXPECT_EQ(html[0], '#') << odd;
  }
}
