// Touch menus on a display: panels built from menu files, the press of their
// buttons and the actions the buttons run, driven through a display session.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "common/Main.h"
#include "platform/convert.h"
#include "display/MediumHtml.h"
#include "support/display_fixture.h"

using plat::ui::Json;
using testing_support::LogCapture;
using testing_support::OpsOf;

namespace {

// One button of a menu file: its place element in Classik and its look and
// actions in Settings. Buttons left out of a menu get a hidden place.
struct MenuButton {
  std::string place;  // attributes of Classik/Button<i>
  std::string visible = "yes";
  std::string aktions;  // the Aktions element, or nothing
};

struct Menu {
  std::string size = R"(<Size top="10" left="20" width="300" height="200"/>)";
  std::string bgColor = "#102030";
  std::string transparent = "False";
  std::string buttonsNr = "20";
  std::string bgPicture;
  std::map<int, MenuButton> buttons;

  // Visible button i at (i*10, 5), 100 x 40, with pictures b<i>.png / s<i>.png.
  Menu& Button(int i, std::string aktions = "", std::string visible = "yes") {
    buttons[i] = {R"(top="5" left=")" + std::to_string(i * 10) + R"(" width="100" height="40" color="#0000FF")",
                  std::move(visible), std::move(aktions)};
    return *this;
  }

  std::string Xml() const {
    std::string settings = size + "<BGColor>" + bgColor + "</BGColor><Transparent>" + transparent +
                           "</Transparent><ButtonsNr>" + buttonsNr + "</ButtonsNr>";
    std::string classik = "<BGPicture>" + bgPicture + "</BGPicture>";
    for (int i = 0; i < 20; ++i) {
      const std::string n = std::to_string(i);
      auto it = buttons.find(i);
      const MenuButton b = it != buttons.end()
                               ? it->second
                               : MenuButton{R"(top="0" left="0" width="10" height="10" color="#000000")", "no", ""};
      classik += "<Button" + n + " " + b.place + "><Visible>" + b.visible + "</Visible></Button" + n + ">";
      settings += "<Button" + n + "><Text>T" + n + "</Text><Picture>files/navi/s" + n +
                  ".png</Picture><PictureDisable>files/navi/b" + n + ".png</PictureDisable>" + b.aktions +
                  "</Button" + n + ">";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Menu><Settings>" + settings + "</Settings><Classik>" +
           classik + "</Classik></Menu>\n";
  }
};

// An Aktions element with these action elements (attribute lists).
std::string Aktions(const std::vector<std::string>& actions, std::string nr = "") {
  if (nr.empty()) nr = std::to_string(actions.size());
  std::string xml = "<Aktions nr=\"" + nr + "\">";
  for (std::size_t j = 0; j < actions.size(); ++j)
    xml += "<Aktion" + std::to_string(j) + " " + actions[j] + "/>";
  return xml + "</Aktions>";
}

std::string Act(const std::string& type, const std::string& medium = "", const std::string& frame = "1") {
  return "name=\"n\" type=\"" + type + "\" medium=\"" + medium + "\" frame=\"" + frame + "\" extnavi=\"\" pdfpos=\"\"";
}

std::string Img(const std::string& picture, int w, int h) {
  return "<img src=\"" + picture + "\" alt=\"" + picture + "\" width=\"" + std::to_string(w) + "\" height=\"" +
         std::to_string(h) + "\"  >";
}

class NaviFixture : public testing_support::DisplayFixture {
 protected:
  void SetUp() override {
    DisplayFixture::SetUp();
    dir_.Write("Config/tessarine.ini", "[Settings]\r\nport=8077\r\nInaktivTime=45000\r\n");
    dir_.Write("Config/Medien.ini", "[HTM]\r\npdfF1=#page=2\r\n");
    Open();
    Flush();
  }
  // The ops that handlers called from the test left for the browser.
  Json Flush() { return d_->Send(Json::array()); }

  void WriteMenu(const std::string& name, const std::string& xml) { dir_.Write("Config/Menus/" + name, xml); }
  // A master menu as the day plan builds it.
  void BuildMaster(const std::string& name) {
    f().memoMasterNavi->Lines().Add(name);
    f().lblNavi->SetCaption(name);
    f().btnNavi->OnClick(f().btnNavi);
  }
  void BuildSubMenu(const std::string& name) {
    f().btnNaviSlave2->SetHint(name);
    f().btnNaviSlave2->OnClick(f().btnNaviSlave2);
  }
  void BuildTestSubMenu(const std::string& name) {
    f().btnNaviSlave->SetHint(name);
    f().btnNaviSlave->OnClick(f().btnNaviSlave);
  }
  TUniLabel* Label(const std::string& name) { return dynamic_cast<TUniLabel*>(f().FindComponent(name)); }
  TUniPanel* Panel(const std::string& name) { return dynamic_cast<TUniPanel*>(f().FindComponent(name)); }
  // Mouse down and up on a control, as the browser reports a press.
  Json Press(const std::string& name) {
    const int id = f().Get<Component>(name)->Id();
    return d_->Send(Json::array({{{"t", "mouse"}, {"c", id}, {"k", "down"}, {"b", 0}, {"x", 3}, {"y", 3}},
                                 {{"t", "mouse"}, {"c", id}, {"k", "up"}, {"b", 0}, {"x", 3}, {"y", 3}}}));
  }
  // Runs action lines as a press hands them over.
  void Run(const std::vector<std::string>& lines) {
    f().memoNaviAkt->Lines().Assign(lines);
    f().btnNaviAktion->OnClick(f().btnNaviAktion);
  }
  std::vector<std::string> Log() { return f().memoLog->Lines().Items(); }
  std::string MenuPath(const std::string& name) { return dir_.sys() + "Config\\Menus\\" + name; }
  int CountNamed(const std::string& prefix) {
    int n = 0;
    for (Component* c : f().Components()) n += c->Name().rfind(prefix, 0) == 0;
    return n;
  }

  LogCapture serverLog_;
};

class NaviPanels : public NaviFixture {};
class NaviActions : public NaviFixture {};

std::vector<std::string> ScriptsIn(const Json& ops) {
  std::vector<std::string> out;
  for (const Json& op : OpsOf(ops, "js")) out.push_back(op.value("code", ""));
  return out;
}

}  // namespace

// ---- panels ----------------------------------------------------------------------------------------

TEST_F(NaviPanels, MasterPanelOfTwentyButtonsShowsTheVisibleOnesAndReachesTheBrowser) {
  Menu menu;
  menu.Button(0, Aktions({Act("Playlist")})).Button(4).Button(19).Button(7, "", "Yes");
  WriteMenu("Haupt.xml", menu.Xml());
  BuildMaster("Haupt.xml");
  const Json ops = Flush();

  EXPECT_EQ(Log(), std::vector<std::string>{"[navi] =" + MenuPath("Haupt.xml") + " 1"});
  TUniPanel* pan = Panel("panNavi1");
  ASSERT_NE(pan, nullptr);
  EXPECT_EQ(pan->Parent(), f().panBack);
  EXPECT_EQ(f().panBack->Children().back(), pan) << "the last child of the display surface";
  EXPECT_EQ(pan->Top(), 10);
  EXPECT_EQ(pan->Left(), 20);
  EXPECT_EQ(pan->Width(), 300);
  EXPECT_EQ(pan->Height(), 200);
  EXPECT_EQ(pan->BorderStyle(), ubsNone);
  EXPECT_EQ(pan->Color(), 0x302010);
  ASSERT_EQ(pan->Children().size(), 20u);

  int shown = 0;
  for (int i = 0; i < 20; ++i) {
    TUniLabel* b = Label("Button1_" + std::to_string(i));
    ASSERT_NE(b, nullptr) << i;
    EXPECT_EQ(b->Parent(), pan);
    EXPECT_FALSE(b->AutoSize());
    EXPECT_EQ(b->TextConversion(), txtHTML);
    EXPECT_FALSE(b->PropBool("showHint", true)) << "the hint is storage, not a tooltip";
    EXPECT_TRUE(b->OnMouseDown.Assigned());
    EXPECT_TRUE(b->OnMouseUp.Assigned());
    EXPECT_FALSE(b->OnClick.Assigned());
    shown += b->Visible();
  }
  EXPECT_EQ(shown, 3) << "Visible \"Yes\" hides the button";
  TUniLabel* b4 = Label("Button1_4");
  EXPECT_EQ(b4->Left(), 40);
  EXPECT_EQ(b4->Top(), 5);
  EXPECT_EQ(b4->Caption(), Img("files/navi/b4.png", 100, 40));
  EXPECT_EQ(b4->Hint(), "files/navi/s4.png|files/navi/b4.png");
  EXPECT_EQ(b4->Color(), 0xFF0000);
  EXPECT_EQ(Label("Button1_0")->HelpKeyword(), ";n;Playlist;;1;;\r\n");

  // The browser gets the panel under the display surface and each button
  // under the panel.
  const auto creates = OpsOf(ops, "create");
  ASSERT_EQ(creates.size(), 21u);
  EXPECT_EQ(creates[0]["parent"], f().panBack->Id());
  EXPECT_EQ(creates[0]["node"]["name"], "panNavi1");
  EXPECT_EQ(creates[0]["node"]["p"]["borderStyle"], "none");
  EXPECT_EQ(creates[0]["node"]["p"]["width"], 300);
  for (std::size_t i = 1; i < creates.size(); ++i) {
    EXPECT_EQ(creates[i]["parent"], pan->Id());
    EXPECT_EQ(creates[i]["node"]["name"], "Button1_" + std::to_string(i - 1));
  }
  bool captionSent = false;
  for (const Json& op : OpsOf(ops, "set"))
    captionSent = captionSent || (op["c"] == b4->Id() && op["p"] == "caption" &&
                                  op["v"] == Img("files/navi/b4.png", 100, 40));
  EXPECT_TRUE(captionSent);
}

TEST_F(NaviPanels, TransparentByItsBooleanText) {
  struct Case {
    const char* text;
    bool transparent;
    bool built;  // buttons made
  };
  const Case cases[] = {{"True", true, true},  {"TRUE", true, true},   {"1", true, true},  {"-2", true, true},
                        {"False", false, true}, {"false", false, true}, {"0", false, true}, {"no", false, false},
                        {"", false, false}};
  int n = 0;
  for (const Case& c : cases) {
    Menu menu;
    menu.transparent = c.text;
    WriteMenu("T.xml", menu.Button(0).Xml());
    BuildMaster("T.xml");
    ++n;
    const Json ops = Flush();
    TUniPanel* pan = Panel("panNavi" + std::to_string(n));
    ASSERT_NE(pan, nullptr) << c.text;
    EXPECT_EQ(pan->Parent(), f().panBack) << c.text;
    const std::string body = pan->JSName() + ".setBodyStyle(\"background\", \"transparent\");";
    const auto scripts = ScriptsIn(ops);
    EXPECT_EQ(std::count(scripts.begin(), scripts.end(), body), c.transparent ? 1 : 0) << c.text;
    EXPECT_EQ(pan->Children().size(), c.built ? 20u : 0u) << c.text;
  }
}

TEST_F(NaviPanels, BadSettingsEndTheBuildWithTheEmptyPanelOnScreen) {
  struct Case {
    const char* what;
    Menu menu;
  };
  Menu badColour, wordCount, fewButtons;
  badColour.bgColor = "";
  wordCount.buttonsNr = "drei";
  fewButtons.buttonsNr = "3";
  const Case cases[] = {{"no colour", badColour}, {"count is a word", wordCount}};
  int n = 0;
  for (const Case& c : cases) {
    Menu m = c.menu;
    WriteMenu("B.xml", m.Button(0).Xml());
    BuildMaster("B.xml");
    TUniPanel* pan = Panel("panNavi" + std::to_string(++n));
    ASSERT_NE(pan, nullptr) << c.what;
    EXPECT_EQ(pan->Parent(), f().panBack) << c.what;
    EXPECT_TRUE(pan->Children().empty()) << c.what;
  }
  WriteMenu("B.xml", fewButtons.Button(0).Xml());
  BuildMaster("B.xml");
  EXPECT_EQ(Panel("panNavi3")->Children().size(), 20u) << "every panel has 20 buttons";
}

TEST_F(NaviPanels, PanelWithoutItsSizeIsNamedButNeverShown) {
  Menu menu;
  menu.size = R"(<Size top="10" left="20" width="300"/>)";
  WriteMenu("S.xml", menu.Button(0).Xml());
  BuildMaster("S.xml");
  const Json ops = Flush();
  ASSERT_NE(Panel("panNavi1"), nullptr);
  EXPECT_EQ(Panel("panNavi1")->Parent(), nullptr);
  EXPECT_TRUE(OpsOf(ops, "create").empty());
  EXPECT_EQ(CountNamed("Button1_"), 0);
}

TEST_F(NaviPanels, TakenPanelNameLeavesThePanelOnScreenAndNoSecondOne) {
  WriteMenu("A.xml", Menu().Button(0).Xml());
  Menu other;
  other.bgColor = "#FFFFFF";
  WriteMenu("B.xml", other.Button(1).Button(2).Xml());
  BuildMaster("A.xml");
  TUniPanel* first = Panel("panNavi1");
  const std::size_t components = f().Components().size();
  Flush();

  // A day-plan run starts counting master menus at 1 again.
  f().memoMasterNavi->Lines().Clear();
  BuildMaster("B.xml");
  const Json ops = Flush();
  EXPECT_EQ(Panel("panNavi1"), first);
  EXPECT_EQ(first->Color(), 0x302010) << "still the first menu";
  EXPECT_EQ(f().Components().size(), components) << "the panel whose naming failed is released";
  EXPECT_TRUE(OpsOf(ops, "create").empty());
  EXPECT_EQ(Log().size(), 2u);
}

TEST_F(NaviPanels, BackgroundPictureOfAMasterPanelOnly) {
  dir_.Write("files/navi/bg.png", "png");
  struct Case {
    const char* picture;
    const char* image;
  };
  const Case cases[] = {{"files\\navi\\bg.png", "url(\"files/navi/bg.png\")"},
                        {"files/navi/gone.png", "url(')"},
                        {"", "url(')"},
                        {"files\\..\\files\\navi\\bg.png", "url(')"}};
  int n = 0;
  for (const Case& c : cases) {
    Menu menu;
    menu.bgPicture = c.picture;
    WriteMenu("P.xml", menu.Button(0).Xml());
    BuildMaster("P.xml");
    const std::string js = Panel("panNavi" + std::to_string(++n))->JSName();
    const auto scripts = ScriptsIn(Flush());
    const std::vector<std::string> expected = {
        js + ".setBodyStyle(\"background-image\", " + Json(c.image).dump() + ");",
        js + ".setBodyStyle(\"background-repeat\", \"no-repeat\");",
        js + ".setBodyStyle(\"background-position\", \"center\");",
        js + ".setBodyStyle(\"background-size\", \"100%\");"};
    EXPECT_EQ(scripts, expected) << c.picture;
  }

  Menu sub;
  sub.bgPicture = "files\\navi\\bg.png";
  WriteMenu("U.xml", sub.Button(0).Xml());
  BuildSubMenu("U.xml");
  BuildTestSubMenu("U.xml");
  EXPECT_TRUE(ScriptsIn(Flush()).empty()) << "sub-menus have no background picture";
}

TEST_F(NaviPanels, ActionLinesOfTheButtons) {
  struct Case {
    const char* what;
    std::string aktions;
    std::string keyword;
  };
  const Case cases[] = {
      {"nr 0", Aktions({Act("Playlist")}, "0"), "No aktion"},
      {"nr -1", Aktions({Act("Playlist")}, "-1"), ""},
      {"nr a word", Aktions({Act("Playlist")}, "zwei"), "No aktion"},
      {"no nr", "<Aktions><Aktion0 " + Act("Playlist") + "/></Aktions>", ""},
      {"no Aktions", "", ""},
      {"nr 2, one element without frame",
       Aktions({R"(name="Tor" type="Medium" medium="Containers\Bilder\Tor.png" extnavi="x" pdfpos="3")"}, "2"),
       ";Tor;Medium;Containers\\Bilder\\Tor.png;1;x;3\r\n;name;type;medium;1;;\r\n"},
      {"two full lines", Aktions({Act("Navigation", "U.xml"), Act("URL", "http://a/b", "2")}),
       ";n;Navigation;U.xml;1;;\r\n;n;URL;http://a/b;2;;\r\n"},
  };
  Menu menu;
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) menu.Button(i, cases[i].aktions);
  WriteMenu("K.xml", menu.Xml());
  BuildMaster("K.xml");
  for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
    EXPECT_EQ(Label("Button1_" + std::to_string(i))->HelpKeyword(), cases[i].keyword) << cases[i].what;
}

TEST_F(NaviPanels, FailingButtonStopsWhereItFailedAndTheOthersAreBuilt) {
  Menu menu;
  menu.Button(0).Button(1).Button(2);
  menu.buttons[1].place = R"(top="5" left="10" width="100" color="#0000FF")";  // no height
  menu.buttons[2].place = R"(top="5" left="20" width="100" height="40")";      // no colour
  WriteMenu("F.xml", menu.Xml());
  BuildMaster("F.xml");
  TUniLabel* noHeight = Label("Button1_1");
  ASSERT_NE(noHeight, nullptr);
  EXPECT_TRUE(noHeight->Visible());
  EXPECT_FALSE(noHeight->OnMouseDown.Assigned()) << "its set-up ended before the handlers";
  EXPECT_EQ(noHeight->Hint(), "");
  TUniLabel* noColour = Label("Button1_2");
  EXPECT_TRUE(noColour->OnMouseDown.Assigned());
  EXPECT_EQ(noColour->Color(), -1);
  EXPECT_EQ(noColour->Caption(), Img("files/navi/b2.png", 100, 40));
  EXPECT_EQ(Label("Button1_3")->Caption(), Img("files/navi/b3.png", 10, 10));
}

TEST_F(NaviPanels, HtmlToColorSwapsRedAndBlue) {
  struct Case {
    const char* text;
    int color;
  };
  const Case cases[] = {{"#FF0000", 0x0000FF}, {"#00FF00", 0x00FF00}, {"#123456", 0x563412},
                        {"x123456", 0x563412}, {"#abcdef", 0xEFCDAB}, {"#1234", 0x3412},
                        {"#12", 0x12},         {"#12345678", 0x563412}};
  for (const Case& c : cases) EXPECT_EQ(TMainForm::HtmlToColor(c.text), c.color) << c.text;
  for (const char* bad : {"", "#", "#GG0000", "#12 456"})
    EXPECT_THROW(TMainForm::HtmlToColor(bad), plat::ConvertError) << bad;
}

TEST_F(NaviPanels, MissingOrOutsideMenuDoesNothing) {
  dir_.Write("Config/secret.xml", Menu().Button(0).Xml());
  const std::size_t components = f().Components().size();
  f().lblNavi->SetCaption("");
  f().btnNavi->OnClick(f().btnNavi);
  BuildMaster("gone.xml");
  BuildMaster("..\\secret.xml");
  BuildTestSubMenu("..\\secret.xml");
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(f().Components().size(), components);

  WriteMenu("broken.xml", "<Menu><Settings>");
  BuildMaster("broken.xml");
  EXPECT_EQ(Log().size(), 1u);
  EXPECT_EQ(f().Components().size(), components) << "a file that is not XML ends the build before a panel";
  EXPECT_FALSE(f().xmlFT.Active());
  EXPECT_TRUE(d_->Messages().empty());
}

TEST_F(NaviPanels, NumberedSubMenusCountEveryRequest) {
  WriteMenu("U.xml", Menu().Button(0).Button(1).Xml());
  BuildSubMenu("U.xml");
  EXPECT_EQ(f().nrSlave, 1);
  ASSERT_NE(Panel("panNaviSlave1"), nullptr);
  EXPECT_EQ(Panel("panNaviSlave1")->Parent(), f().panBack);
  EXPECT_NE(Label("ButtonSlave1_19"), nullptr);
  EXPECT_TRUE(Log().empty()) << "a sub-menu leaves no log line";

  BuildSubMenu("fehlt.xml");
  EXPECT_EQ(f().nrSlave, 2) << "a missing menu still takes a number";
  BuildSubMenu("");
  BuildSubMenu("U.xml");
  EXPECT_EQ(f().nrSlave, 4);
  EXPECT_NE(Panel("panNaviSlave4"), nullptr);
  EXPECT_EQ(Panel("panNaviSlave2"), nullptr);
  EXPECT_EQ(f().memoSlaveNavi->Lines().Items(), (std::vector<std::string>{"1|U.xml", "4|U.xml"}));

  // A number whose panel still exists: the build fails on the name.
  f().nrSlave = 0;
  const std::size_t components = f().Components().size();
  BuildSubMenu("U.xml");
  EXPECT_EQ(f().Components().size(), components);
}

TEST_F(NaviPanels, TestSubMenuReplacesItsPredecessor) {
  WriteMenu("U.xml", Menu().Button(0).Xml());
  Menu second;
  second.bgColor = "#000080";
  WriteMenu("V.xml", second.Button(0).Xml());
  BuildTestSubMenu("U.xml");
  TUniPanel* old = Panel("panNaviSlave");
  ASSERT_NE(old, nullptr);
  const int oldId = old->Id();
  ASSERT_NE(Label("ButtonSlave0"), nullptr);
  const std::size_t components = f().Components().size();
  Flush();

  BuildTestSubMenu("V.xml");
  const Json ops = Flush();
  EXPECT_EQ(Log(), (std::vector<std::string>{"[naviSlave] =" + MenuPath("U.xml"), "[naviSlave] =" + MenuPath("V.xml")}));
  ASSERT_NE(Panel("panNaviSlave"), nullptr);
  EXPECT_EQ(Panel("panNaviSlave")->Color(), 0x800000);
  EXPECT_EQ(f().Components().size(), components);
  const auto destroys = OpsOf(ops, "destroy");
  ASSERT_EQ(destroys.size(), 21u);
  EXPECT_EQ(destroys.back()["c"], oldId) << "buttons first, then the panel";
  EXPECT_EQ(f().nrSlave, 0);
}

// ---- actions ---------------------------------------------------------------------------------------

TEST_F(NaviActions, PressSelectsTheButtonResetsItsSiblingsAndRunsItsLines) {
  Menu menu;
  menu.Button(0, Aktions({Act("URL", "Containers\\Web\\Info.html")})).Button(1, Aktions({Act("Playlist")}, "0"));
  WriteMenu("M.xml", menu.Xml());
  BuildMaster("M.xml");
  f().memoLog->Lines().Clear();

  Press("Button1_0");
  TUniLabel* b0 = Label("Button1_0");
  TUniLabel* b1 = Label("Button1_1");
  EXPECT_EQ(b0->Caption(), Img("files/navi/s0.png", 100, 40));
  EXPECT_EQ(b0->Top(), 5) << "down and back up by one pixel";
  EXPECT_EQ(f().memoNaviAkt->Lines().Items(), std::vector<std::string>{";n;URL;Containers\\Web\\Info.html;1;;"});
  EXPECT_EQ(Log(), std::vector<std::string>{"[navi] Containers/Web/Info.html 1 URL"});

  Press("Button1_1");
  EXPECT_EQ(b0->Caption(), Img("files/navi/b0.png", 100, 40)) << "the sibling gets its normal picture back";
  EXPECT_EQ(b1->Caption(), Img("files/navi/s1.png", 100, 40));
  EXPECT_EQ(f().memoNaviAkt->Lines().Items(), std::vector<std::string>{"No aktion"});
  EXPECT_EQ(Log().size(), 1u) << "\"No aktion\" runs nothing";
}

TEST_F(NaviActions, PressOfAButtonAtTheEdgeOfTheNumbersDoesNotWrapRound) {
  Menu menu;
  menu.Button(0, Aktions({Act("Playlist")}, "0"));
  menu.buttons[0].place = R"(top="2147483647" left="0" width="100" height="40" color="#0000FF")";
  menu.Button(1, Aktions({Act("Playlist")}, "0"));
  menu.buttons[1].place = R"(top="-2147483648" left="0" width="100" height="40" color="#0000FF")";
  WriteMenu("M.xml", menu.Xml());
  BuildMaster("M.xml");
  Press("Button1_0");
  EXPECT_EQ(Label("Button1_0")->Top(), 2147483646) << "no step past the largest number";
  Press("Button1_1");
  EXPECT_EQ(Label("Button1_1")->Top(), -2147483648) << "no step below the smallest number";
}

TEST_F(NaviActions, PicturesAndMediaAreEncodedAndEscaped) {
  Menu menu;
  menu.Button(0, Aktions({Act("Medium", "Containers\\Bilder\\Gr\xC3\xBCn #1.jpg")})).Button(1);
  WriteMenu("M.xml", menu.Xml());
  BuildMaster("M.xml");
  // A hostile picture name in the hint.
  TUniLabel* b0 = Label("Button1_0");
  b0->SetHint("files/navi/s\"><script>x</script>.png|files/navi/\xC3\xA4.png");
  Press("Button1_0");
  EXPECT_EQ(b0->Caption(),
            "<img src=\"files/navi/s%22%3E%3Cscript%3Ex%3C/script%3E.png\" alt=\"files/navi/s&quot;&gt;&lt;script&gt;x&lt;"
            "/script&gt;.png\" width=\"100\" height=\"40\"  >");
  const std::string shown = (f().f1Preload ? f().lblF1A : f().lblF1B)->Caption();
  EXPECT_NE(shown.find("src=\"Containers/Bilder/Gr%C3%BCn%20%231.jpg\""), std::string::npos) << shown;
  // Back to its normal picture when a sibling is pressed.
  Press("Button1_1");
  EXPECT_EQ(b0->Caption(), "<img src=\"files/navi/%C3%A4.png\" alt=\"files/navi/\xC3\xA4.png\" width=\"100\" height=\"40\"  >");
}

TEST_F(NaviActions, MediaInFramesOneAndTwo) {
  struct Case {
    const char* type;
    const char* medium;
    const char* frame;
    std::string html;  // with the frame's size filled in below
  };
  f().panF1->SetBounds(0, 0, 868, 700);
  f().panF2->SetBounds(868, 0, 400, 300);
  using namespace medium_html;
  const Case cases[] = {
      {"Medium", "Containers\\Clips\\a.mp4", "1", MutedVideoHtml("Containers/Clips/a.mp4", 868, 700)},
      {"Medium", "Containers/Bilder/A.JPG", "1", PictureHtml("Containers/Bilder/A.JPG", 868, 700)},
      {"Medium", "Containers\\Bilder\\b.png", "1", PictureHtml("Containers/Bilder/b.png", 868, 700)},
      {"Medium", "Containers\\Docs\\c.pdf", "1", IframeHtml("Containers/Docs/c.pdf#page=2", 868, 700)},
      {"URL", "http://example.org/x", "1", IframeHtml("http://example.org/x", 868, 700)},
      {"Medium", "Containers\\Clips\\a.mp4", "2", MutedVideoHtml("Containers/Clips/a.mp4", 400, 300)},
      {"Medium", "Containers\\Docs\\c.pdf", "2", PictureHtml("Containers/Docs/c.pdf", 400, 300)},
      {"Medium", "Containers\\Bilder\\d.gif", "2", PictureHtml("Containers/Bilder/d.gif", 400, 300)},
      {"URL", "Containers\\Web\\Info.html", "2", IframeHtml("Containers/Web/Info.html", 400, 300)},
  };
  for (const Case& c : cases) {
    const bool one = std::string(c.frame) == "1";
    f().timerF1->SetInterval(500);
    f().timerF2->SetInterval(500);
    const bool before = one ? f().f1Preload : f().f2Preload;
    f().memoLog->Lines().Clear();
    Run({";n;" + std::string(c.type) + ";" + c.medium + ";" + c.frame + ";;"});
    const Json ops = Flush();

    std::string m = c.medium;
    std::replace(m.begin(), m.end(), '\\', '/');
    EXPECT_EQ(Log(), std::vector<std::string>{"[navi] " + m + " " + c.frame + " " + c.type}) << c.medium;
    EXPECT_NE(one ? f().f1Preload : f().f2Preload, before) << c.medium;
    TUniLabel* in = one ? f().sL2 : f().sL4;
    TUniLabel* out = one ? f().sL1 : f().sL3;
    EXPECT_EQ(in, one ? (f().f1Preload ? f().lblF1A : f().lblF1B) : (f().f2Preload ? f().lblF2A : f().lblF2B));
    EXPECT_EQ(in->Caption(), c.html) << c.medium;
    EXPECT_EQ(out->Caption(), "") << c.medium;
    EXPECT_EQ((one ? f().timerF1 : f().timerF2)->Interval(), 45000) << c.medium;
    EXPECT_EQ((one ? f().timerF2 : f().timerF1)->Interval(), 500) << c.medium;
    EXPECT_EQ(ScriptsIn(ops), (std::vector<std::string>{out->JSName() + ".el.fadeOut({duration: 10});",
                                                       in->JSName() + ".el.fadeIn({duration: 10});"}))
        << c.medium;
  }
}

TEST_F(NaviActions, OtherFramesAndUnknownTypesShowNothing) {
  f().timerF1->SetInterval(500);
  const bool before = f().f1Preload;
  Run({";n;Medium;Containers\\Bilder\\a.png;3;;", ";n;Bild;Containers\\Bilder\\a.png;1;;", ";n;medium;x.png;1;;",
       ";n;Medium;x.png;;;", "No aktion", ";n;Medium;x.png", ";n;Medium;x.png;"});
  const Json ops = Flush();
  EXPECT_EQ(Log(), (std::vector<std::string>{"[navi] Containers/Bilder/a.png 3 Medium",
                                             "[navi] Containers/Bilder/a.png 1 Bild", "[navi] x.png 1 medium",
                                             "[navi] x.png  Medium (x 2)"}))
      << "a repeated line is counted";
  EXPECT_EQ(f().f1Preload, before);
  EXPECT_EQ(f().timerF1->Interval(), 500);
  EXPECT_TRUE(ScriptsIn(ops).empty());
}

TEST_F(NaviActions, JpegInFrameOneTakesTheHtmlBuiltLastInTheRun) {
  using medium_html::PictureHtml;
  const int w = f().panF1->Width(), h = f().panF1->Height();
  Run({";n;Medium;Containers\\Bilder\\b.jpeg;1;;"});
  EXPECT_EQ(f().sL2->Caption(), "") << "nothing built yet in this run";
  Run({";n;Medium;a.png;1;;", ";n;Medium;b.jpeg;1;;"});
  EXPECT_EQ(f().sL2->Caption(), PictureHtml("a.png", w, h));
  EXPECT_EQ(f().sL1->Caption(), "");
}

TEST_F(NaviActions, PlaylistRestartsFrameOneOnly) {
  f().lblF1A->SetCaption("a");
  f().lblF2B->SetCaption("b");
  f().lblF3A->SetCaption("c");
  f().Play_1 = 4, f().Play_2 = 2, f().Play_3 = 1;
  f().timerF2->SetEnabled(true);
  f().timerF3->SetEnabled(true);
  Run({";n;Playlist;whatever.pyl;1;;"});
  EXPECT_TRUE(f().timerF1->Enabled());
  EXPECT_FALSE(f().timerF2->Enabled());
  EXPECT_FALSE(f().timerF3->Enabled());
  for (TUniTimer* t : {f().timerF1, f().timerF2, f().timerF3}) EXPECT_EQ(t->Interval(), 100);
  EXPECT_EQ(f().Play_1, -1);
  EXPECT_EQ(f().Play_2, -1);
  EXPECT_EQ(f().Play_3, -1);
  for (TUniLabel* l : {f().lblF1A, f().lblF1B, f().lblF2A, f().lblF2B, f().lblF3A, f().lblF3B})
    EXPECT_EQ(l->Caption(), "") << l->Name();
}

TEST_F(NaviActions, FrameAndNavigationRunAndTheirFailuresAreSwallowed) {
  WriteMenu("U.xml", Menu().Button(0).Xml());
  std::vector<std::string> frames;
  f().btnFrame->OnClick = [&](Component*) {
    frames.push_back(f().lblFrame->Caption());
    throw std::runtime_error("layout broken");
  };
  Run({";n;Frame;Sport\\Halbzeit.frm;1;;", ";n;Navigation;U.xml;1;;", ";n;Medium;x.png;1;;"});
  const Json ops = Flush();
  EXPECT_EQ(frames, std::vector<std::string>{"Sport/Halbzeit.frm"});
  EXPECT_EQ(f().btnNaviSlave2->Hint(), "U.xml");
  EXPECT_NE(Panel("panNaviSlave1"), nullptr) << "the sub-menu opened";
  EXPECT_EQ(f().sL2->Caption(), medium_html::PictureHtml("x.png", f().panF1->Width(), f().panF1->Height()))
      << "the medium after them is shown";
  EXPECT_TRUE(OpsOf(ops, "error").empty());
  EXPECT_TRUE(d_->Messages().empty());
}

TEST_F(NaviActions, CloseNaviClosesEverySubMenuAndEndsTheRun) {
  WriteMenu("U.xml", Menu().Button(0).Xml());
  BuildTestSubMenu("U.xml");
  f().memoLog->Lines().Clear();
  Run({";n;Navigation;U.xml;1;;", ";n;Navigation;U.xml;1;;", ";n;closeNavi;;1;;", ";n;Medium;x.png;1;;",
       ";n;Navigation;U.xml;1;;"});
  EXPECT_EQ(CountNamed("panNaviSlave"), 0);
  EXPECT_EQ(CountNamed("ButtonSlave"), 0);
  EXPECT_EQ(f().nrSlave, 2) << "the lines after closeNavi are not run";
  EXPECT_EQ(Log(), (std::vector<std::string>{"[navi] U.xml 1 Navigation (x 2)", "[navi]  1 closeNavi"}));
  EXPECT_EQ(f().sL2, nullptr);
}

TEST_F(NaviActions, MasterPressClosesTheSubMenusASubMenuPressDoesNot) {
  Menu master;
  master.Button(0, Aktions({Act("Navigation", "U.xml")})).Button(1);
  WriteMenu("M.xml", master.Xml());
  WriteMenu("U.xml", Menu().Button(0).Button(1).Xml());
  BuildMaster("M.xml");
  BuildTestSubMenu("U.xml");

  Press("Button1_0");  // closes the test sub-menu, opens sub-menu 1
  EXPECT_EQ(Panel("panNaviSlave"), nullptr);
  ASSERT_NE(Panel("panNaviSlave1"), nullptr);
  Press("Button1_0");
  EXPECT_EQ(Panel("panNaviSlave1"), nullptr);
  ASSERT_NE(Panel("panNaviSlave2"), nullptr);

  Press("ButtonSlave2_1");
  EXPECT_NE(Panel("panNaviSlave2"), nullptr) << "a sub-menu button closes nothing";
  EXPECT_EQ(Label("ButtonSlave2_1")->Caption(), Img("files/navi/s1.png", 100, 40));

  Press("Button1_1");
  EXPECT_EQ(CountNamed("panNaviSlave"), 0);
  EXPECT_EQ(CountNamed("ButtonSlave"), 0);
  EXPECT_EQ(Label("Button1_0")->Caption(), Img("files/navi/b0.png", 100, 40));
}

TEST_F(NaviActions, CloseNaviOnASubMenuButtonReleasesThatButton) {
  Menu sub;
  sub.Button(0, Aktions({Act("closeNavi"), Act("Medium", "x.png")}));
  WriteMenu("U.xml", sub.Xml());
  BuildSubMenu("U.xml");
  Flush();
  const int panelId = Panel("panNaviSlave1")->Id();
  const Json ops = Press("ButtonSlave1_0");  // the release comes for a button that is gone
  EXPECT_EQ(Panel("panNaviSlave1"), nullptr);
  EXPECT_EQ(OpsOf(ops, "destroy").back()["c"], panelId);
  EXPECT_TRUE(OpsOf(ops, "error").empty());
  EXPECT_EQ(f().sL2, nullptr) << "the medium after closeNavi is not shown";
}

TEST_F(NaviActions, PressOfTheEngineLabels) {
  WriteMenu("U.xml", Menu().Button(0).Xml());
  f().UniPageControl1->SetActivePage(f().tabSettings);
  f().UniPageControl2->SetActivePage(f().Navi);
  for (const char* name : {"lblNaviBtn", "UniLabel3", "UniLabel4"}) {
    BuildSubMenu("U.xml");
    f().memoNaviAkt->Lines().Add(";n;Medium;x.png;1;;");
    TUniLabel* l = f().Get<TUniLabel>(name);
    const int top = l->Top();
    const Json ops = Press(name);
    EXPECT_EQ(CountNamed("panNaviSlave"), 0) << name;
    EXPECT_TRUE(f().memoNaviAkt->Lines().Empty()) << name;
    EXPECT_EQ(l->Caption(), Img("", l->Width(), l->Height())) << name;
    EXPECT_EQ(l->Top(), top) << name;
    EXPECT_TRUE(OpsOf(ops, "error").empty()) << name;
  }
  EXPECT_EQ(f().sL2, nullptr) << "nothing was run";
}

TEST_F(NaviActions, TestSubMenuButtonResetsNoSibling) {
  WriteMenu("U.xml", Menu().Button(0).Button(1).Xml());
  BuildTestSubMenu("U.xml");
  Press("ButtonSlave1");
  Press("ButtonSlave0");
  EXPECT_EQ(Label("ButtonSlave0")->Caption(), Img("files/navi/s0.png", 100, 40));
  EXPECT_EQ(Label("ButtonSlave1")->Caption(), Img("files/navi/s1.png", 100, 40));
}

TEST_F(NaviActions, DelSlaveListsWhatItReleasesHighestIndexFirst) {
  WriteMenu("U.xml", Menu().Button(0).Xml());
  WriteMenu("M.xml", Menu().Button(0).Xml());
  BuildSubMenu("U.xml");
  BuildMaster("M.xml");
  BuildTestSubMenu("U.xml");
  const auto all = f().Components();
  auto indexOf = [&](const std::string& name) {
    return std::find(all.begin(), all.end(), f().FindComponent(name)) - all.begin();
  };
  const auto first = indexOf("panNaviSlave1"), second = indexOf("panNaviSlave");
  f().btnDelSlave->OnClick(f().btnDelSlave);
  EXPECT_EQ(f().memoControls->Lines().Items(),
            (std::vector<std::string>{std::to_string(second) + " Delete: panNaviSlave",
                                      std::to_string(first) + " Delete: panNaviSlave1"}));
  EXPECT_EQ(CountNamed("ButtonSlave"), 0);
  EXPECT_NE(Panel("panNavi1"), nullptr) << "master panels stay";
  EXPECT_EQ(CountNamed("Button1_"), 20);
}

TEST_F(NaviActions, ControlsListsEveryComponentByIndex) {
  f().memoControls->Lines().Add("old");
  f().btnControls->OnClick(f().btnControls);
  const auto all = f().Components();
  const auto& lines = f().memoControls->Lines();
  ASSERT_EQ(lines.Count(), static_cast<int>(all.size()));
  EXPECT_EQ(lines[0], "0 Name: " + all[0]->Name());
  EXPECT_EQ(lines[lines.Count() - 1], std::to_string(all.size() - 1) + " Name: " + all.back()->Name());
}

TEST_F(NaviActions, DemoMenusWork) {
  namespace fs = std::filesystem;
  const fs::path demo = fs::path(TESS_SOURCE_DIR) / "demo";
  fs::create_directories(dir_.path() / "Config" / "Menus");
  fs::create_directories(dir_.path() / "files" / "navi");
  fs::copy(demo / "Config" / "Menus", dir_.path() / "Config" / "Menus", fs::copy_options::recursive);
  fs::copy(demo / "files" / "navi", dir_.path() / "files" / "navi", fs::copy_options::recursive);
  auto exists = [&](const fs::path& root, const std::string& address) {
    return !address.empty() && fs::is_regular_file(root / address);
  };
  auto checkPictures = [&](const std::string& prefix, int visible) {
    int shown = 0;
    for (int i = 0; i < 20; ++i) {
      TUniLabel* b = Label(prefix + std::to_string(i));
      ASSERT_NE(b, nullptr) << prefix << i;
      if (!b->Visible()) continue;
      ++shown;
      EXPECT_TRUE(exists(dir_.path(), TextBefore(b->Hint(), "|"))) << b->Hint();
      EXPECT_TRUE(exists(dir_.path(), TextAfter(b->Hint(), "|"))) << b->Hint();
    }
    EXPECT_EQ(shown, visible) << prefix;
  };

  BuildMaster("Hauptmenu.xml");
  const auto scripts = ScriptsIn(Flush());
  ASSERT_FALSE(scripts.empty()) << serverLog_.All();
  EXPECT_NE(scripts[0].find("url(\\\"files/navi/hintergrund.png\\\")"), std::string::npos) << scripts[0];
  checkPictures("Button1_", 4);

  Press("Button1_0");
  EXPECT_NE(f().sL2->Caption().find("src=\"Containers/Bilder/Sponsor.jpg\""), std::string::npos);
  EXPECT_TRUE(exists(demo, "Containers/Bilder/Sponsor.jpg"));
  Press("Button1_1");
  EXPECT_NE(f().sL2->Caption().find("<iframe src=\"Containers/Web/Info.html\""), std::string::npos);
  EXPECT_TRUE(exists(demo, "Containers/Web/Info.html"));
  Press("Button1_3");
  EXPECT_EQ(f().timerF1->Interval(), 100) << "the playlist starts again";

  Press("Button1_2");
  ASSERT_NE(Panel("panNaviSlave1"), nullptr);
  checkPictures("ButtonSlave1_", 2);
  Press("ButtonSlave1_0");
  EXPECT_NE(f().sL2->Caption().find("src=\"Containers/Bilder/Anstoss.jpg\""), std::string::npos);
  EXPECT_TRUE(exists(demo, "Containers/Bilder/Anstoss.jpg"));
  Press("ButtonSlave1_1");
  EXPECT_EQ(Panel("panNaviSlave1"), nullptr) << "\"Zurück\" closes the sub-menu";
  EXPECT_EQ(Label("ButtonSlave1_1"), nullptr);
}
