// The media library of the console, driven as a browser would: the folder
// tree, the file list, the preview, "Play", the folder menu and uploads.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "editor/MediaLibrary.h"
#include "editor/Uploads.h"
#include "platform/ui/picture.h"
#include "support/picture_files.h"
#include "support/session_driver.h"
#include "support/test_support.h"

using plat::ui::Json;
using testing_support::OpsOf;
using testing_support::SessionDriver;
using testing_support::TempDir;
namespace fs = std::filesystem;

namespace {

const char* kPicture = "<i class=\"far fa-image fa-fw\" style=\"font-size: 24px;\"></i>  ";
const char* kEye = "<i class=\"fas fa-eye fa-fw\" style=\"font-size: 24px;\"></i>  ";
const char* kHtml = "<i class=\"fab fa-html5 fa-fw\" style=\"font-size: 24px;\"></i>  ";
const char* kCode = "<i class=\"far fa-file-code\" style=\"font-size: 24px;\"></i>  ";
const char* kFilm = "<i class=\"fas fa-film fa-fw\" style=\"font-size: 24px;\"></i> ";
const char* kLayers = "<i class=\"fas fa-layer-group\" style=\"font-size: 24px;\"></i> ";

class MediaLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::WriteConsoleFiles(dir_);
    dir_.Write("Config/tsUsers.ini", "[profi]\r\npw=2202ekcits\r\ntype=profi\r\n");
    for (const char* f : {"Containers/Clips/Intro/A/B/C/deep.jpg", "Containers/Clips/Intro/x.mp4",
                          "Containers/Clips/Intro/song.mp3", "Containers/Clips/Intro/game.swf",
                          "Containers/Clips/Intro/page.html", "Containers/Clips/Intro/plan.pdf",
                          "Containers/.hidden/h.jpg",
                          "Containers/Teams/Heim/Team.xml", "Config/keep.ini"})
      dir_.Write(f, "data");
    dir_.Write("Containers/Clips/Intro/pic.jpg", testing_support::MakeJpeg(64, 48, JCS_RGB, {10, 20, 30}));
    fs::create_directory_symlink(dir_.path() / "Config", dir_.path() / "Containers/Linked");
    server_ = std::make_unique<TUniServerModule>(dir_.path().string());
    SetUniServerModule(server_.get());
    console_ = std::make_unique<SessionDriver>(*server_, std::map<std::string, std::string>{{"start", "tessarine"}});
    // The console's start-up builds the library tree (its state documents,
    // spielstand.xml among them, come from WriteConsoleFiles).
    console_->Advance(1600);
    // The operator logs in and opens the Entertainment tab.
    console_->LogInAndOpen("profi", "sticke2022", "tabEnt");
  }
  void TearDown() override {
    console_.reset();
    SetUniServerModule(nullptr);
  }
  TMainForm& f() { return console_->Form(); }
  int Id(const std::string& name) { return f().Get<plat::ui::Component>(name)->Id(); }

  // Clicks the tree node of that path ("Clips\Intro").
  void ChooseFolder(const std::string& path) {
    for (int i = 0; i < f().treeCont->Items().Count(); ++i) {
      plat::ui::TTreeNode* node = f().treeCont->Items()[i];
      if (GetNodePath(node) == path) {
        console_->Send(Json::array({{{"t", "node"}, {"c", Id("treeCont")}, {"node", node->Id()}}}));
        return;
      }
    }
    ADD_FAILURE() << "no folder " << path;
  }
  // Clicks the list item of that file name.
  Json ChooseFile(const std::string& name) {
    const auto& items = f().listCont->Items();
    for (int i = 0; i < items.Count(); ++i)
      if (LibraryItemFileName(items[i]) == name)
        return console_->Send(Json::array({{{"t", "change"}, {"c", Id("listCont")}, {"p", "itemIndex"}, {"v", i}},
                                           {{"t", "change"}, {"c", Id("listCont")}, {"p", "selected"}, {"v", {i}}},
                                           {{"t", "click"}, {"c", Id("listCont")}}}));
    ADD_FAILURE() << "no file " << name;
    return {};
  }
  std::vector<std::string> Listed() {
    std::vector<std::string> out;
    for (const std::string& item : f().listCont->Items().Items()) out.push_back(item);
    return out;
  }
  // Opens the folder menu, chooses the entry, answers its prompt with OK
  // and the text; returns the message box shown then ("" for none).
  std::string FolderMenu(const std::string& entry, const std::string& text, const char* answer = "ok") {
    console_->Send(Json::array({{{"t", "mouse"}, {"c", Id("treeCont")}, {"k", "down"}, {"b", 2}, {"x", 5}, {"y", 5}}}));
    Json ops = console_->Send(Json::array({{{"t", "menu"}, {"c", Id(entry)}}}));
    auto prompts = OpsOf(ops, "box");
    if (prompts.empty()) return "no prompt";
    ops = console_->Send(Json::array({{{"t", "answer"}, {"box", prompts[0]["box"]}, {"r", answer}, {"text", text}}}));
    auto boxes = OpsOf(ops, "box");
    if (boxes.empty()) return "";
    const std::string message = boxes[0].value("text", "");
    console_->Send(Json::array({{{"t", "answer"}, {"box", boxes[0]["box"]}, {"r", "ok"}}}));
    return message;
  }

  TempDir dir_;
  std::unique_ptr<TUniServerModule> server_;
  std::unique_ptr<SessionDriver> console_;
};

}  // namespace

TEST_F(MediaLibrary, TheTreeHoldsEveryVisibleFolderAndNoLinks) {
  std::vector<std::string> paths;
  for (int i = 0; i < f().treeCont->Items().Count(); ++i) paths.push_back(GetNodePath(f().treeCont->Items()[i]));
  EXPECT_EQ(paths, (std::vector<std::string>{"Clips", "Clips\\Intro", "Clips\\Intro\\A", "Clips\\Intro\\A\\B",
                                             "Clips\\Intro\\A\\B\\C", "System", "System\\files", "Teams",
                                             "Teams\\Heim"}));
  EXPECT_EQ(f().treeCont->Items()[0]->ImageIndex(), 0);
}

TEST_F(MediaLibrary, AFolderListsItsMediaWithTheIconOfTheirKind) {
  const char* files[] = {"a.jpg", "B.JPEG", "c.bmp", "d.png", "e.gif", "f.ppt", "g.pptx", "h.pdf", "i.swf",
                         "j.web", "k.mp3", "l.htm", "m.html", "n.str", "o.mpg", "p.mp4", "q.mov", "r.sls",
                         "x.mkv", "y.txt", "noext", "two.dots.png", "<b>&amp;\".jpg"};
  for (const char* name : files) dir_.Write(std::string("Containers/All/") + name, "x");
  dir_.Write("Containers/All/folder.jpg/inner.jpg", "x");
  console_->Send(Json::array());
  f().FillLibraryTree();
  ChooseFolder("All");
  std::vector<std::string> expected = {
      std::string(kPicture) + "a.jpg", std::string(kPicture) + "B.JPEG", std::string(kPicture) + "c.bmp",
      std::string(kPicture) + "d.png", std::string(kPicture) + "e.gif", std::string(kEye) + "f.ppt",
      std::string(kEye) + "g.pptx", std::string(kEye) + "h.pdf", std::string(kEye) + "i.swf",
      std::string(kEye) + "j.web", std::string(kEye) + "k.mp3", std::string(kHtml) + "l.htm",
      std::string(kHtml) + "m.html", std::string(kCode) + "n.str", std::string(kFilm) + "o.mpg",
      std::string(kFilm) + "p.mp4", std::string(kFilm) + "q.mov", std::string(kLayers) + "r.sls",
      std::string(kPicture) + "two.dots.png", std::string(kPicture) + "&lt;b&gt;&amp;amp;&quot;.jpg"};
  std::vector<std::string> listed = Listed();
  std::sort(expected.begin(), expected.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, expected);
  // The name comes back whole from its escaped item.
  ChooseFile("<b>&amp;\".jpg");
  EXPECT_EQ(f().lblCPreview->Hint(), "Containers/All/<b>&amp;\".jpg");
}

TEST_F(MediaLibrary, TheChosenFolderIsAtMostFourLevelsDown) {
  const struct {
    const char* click;
    const char* chosen;
  } cases[] = {{"Clips", "Clips"},
               {"Clips\\Intro", "Clips\\Intro"},
               {"Clips\\Intro\\A", "Clips\\Intro\\A"},
               {"Clips\\Intro\\A\\B", "Clips\\Intro\\A\\B"},
               {"Clips\\Intro\\A\\B\\C", "Clips\\Intro\\A\\B"}};  // five deep: the one before stays
  EXPECT_EQ(f().lblContFile->Caption(), "File");
  for (const auto& c : cases) {
    ChooseFolder(c.click);
    EXPECT_EQ(f().lblContFile->Caption(), c.chosen) << c.click;
  }
}

TEST_F(MediaLibrary, AFileClickSetsThePreviewTargetAndWithPreviewOnShowsIt) {
  // "Play" before any file was chosen sends an empty medium.
  console_->Click("btnPlayContMedium");
  EXPECT_EQ(server_->DisplayCommand().sTyp, "TestMedium");
  EXPECT_EQ(server_->DisplayCommand().sMedium, "");

  ChooseFolder("Clips\\Intro");
  ChooseFile("x.mp4");
  EXPECT_EQ(f().lblCPreview->Hint(), "Containers/Clips\\Intro/x.mp4");
  EXPECT_FALSE(f().lblCPreview->Visible()) << "no preview while it is off";

  console_->Send(Json::array({{{"t", "change"}, {"c", Id("chkPLSView")}, {"p", "checked"}, {"v", true}}}));
  plat::ui::ServePictureFolder("/Containers/", dir_.sys() + "Containers");
  const struct {
    const char* file;
    const char* area;  // visible afterwards
    const char* content;
  } cases[] = {
      {"x.mp4", "lblCPreview", "<source src=\"Containers/Clips\\Intro/x.mp4\" type=\"video/mp4\">"},
      {"song.mp3", "lblCPreview", "<source src=\"Containers/Clips\\Intro/song.mp3\""},
      {"page.html", "lblCPreview", "<iframe src=\"Containers/Clips\\Intro/page.html\""},
      {"plan.pdf", "ContUrl1", "Containers/Clips\\Intro/plan.pdf"},
      {"pic.jpg", "imgEDTCont", "/Containers/Clips/Intro/pic.jpg?v="},
      {"game.swf", "imgEDTCont", ""},  // no preview of its own: the last one stays
  };
  for (const auto& c : cases) {
    ChooseFile(c.file);
    for (const char* area : {"lblCPreview", "ContUrl1", "imgEDTCont"})
      EXPECT_EQ(f().Get<plat::ui::Control>(area)->Visible(), std::string(area) == c.area) << c.file << " " << area;
    const std::string content = std::string(c.area) == "lblCPreview" ? f().lblCPreview->Caption()
                                : std::string(c.area) == "ContUrl1"  ? f().ContUrl1->URL()
                                                                     : f().imgEDTCont->Picture().Url();
    EXPECT_NE(content.find(c.content), std::string::npos) << c.file << ": " << content;
  }
  plat::ui::ForgetServedPictureFolders();

  console_->Click("btnPlayContMedium");
  EXPECT_EQ(server_->DisplayCommand().sMedium, "Containers/Clips\\Intro/game.swf");
  EXPECT_EQ(server_->DisplayCommand().sEffect, "true");

  // A folder click hides the preview.
  ChooseFolder("Clips");
  for (const char* area : {"lblCPreview", "ContUrl1", "imgEDTCont"})
    EXPECT_FALSE(f().Get<plat::ui::Control>(area)->Visible()) << area;
}

TEST_F(MediaLibrary, CreateDirectoryMakesOnePlainFolderAndSaysWhatHappened) {
  ChooseFolder("Clips");
  const struct {
    const char* name;
    const char* message;  // part of it
    bool created;
  } cases[] = {
      {"Neu", "Directory Containers\\Clips\\Neu created!", true},
      {"Neu", "exists already", false},
      {"a\\b", "is not a directory name", false},
      {"../Config2", "is not a directory name", false},
      {"..", "is not a directory name", false},
      {".", "is not a directory name", false},
      {"/tmp", "is not a directory name", false},
  };
  auto entries = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) names.insert(e.path().string());
    return names;
  };
  for (const auto& c : cases) {
    const auto before = entries();
    EXPECT_NE(FolderMenu("CreateDirectory", c.name).find(c.message), std::string::npos) << c.name;
    EXPECT_EQ(entries().size(), before.size() + (c.created ? 1 : 0)) << c.name;
  }
  EXPECT_TRUE(fs::is_directory(dir_.path() / "Containers/Clips/Neu"));
  EXPECT_FALSE(fs::exists(dir_.path() / "Config2"));
  // Cancel, or OK with nothing typed, does nothing.
  EXPECT_EQ(FolderMenu("CreateDirectory", "Other", "cancel"), "");
  EXPECT_EQ(FolderMenu("CreateDirectory", ""), "");
  EXPECT_FALSE(fs::exists(dir_.path() / "Containers/Clips/Other"));
  // The tree shows the new folder at once.
  bool shown = false;
  for (int i = 0; i < f().treeCont->Items().Count(); ++i)
    shown = shown || GetNodePath(f().treeCont->Items()[i]) == "Clips\\Neu";
  EXPECT_TRUE(shown);
}

TEST_F(MediaLibrary, DeleteDirectoryTakesOnlyFoldersOfTheLibrary) {
  const struct {
    const char* path;
    const char* message;
  } refused[] = {
      {"..", "is not a folder of the library"},          {".", "is not a folder of the library"},
      {"..\\Config", "is not a folder of the library"}, {"/etc", "is not a folder of the library"},
      {"C:\\Windows", "is not a folder of the library"}, {"Clips\\..\\..", "is not a folder of the library"},
      {"\\", "is not a folder of the library"},          {"System", "holds the match's files"},
      {"teams\\Heim", "holds the match's files"},       {"Linked", "is a link"},
      {"Missing", "does not exist"},
  };
  for (const auto& c : refused)
    EXPECT_NE(FolderMenu("DeleteDirectory1", c.path).find(c.message), std::string::npos) << c.path;
  for (const char* kept : {"Config/keep.ini", "Containers/System/files/spielstand.xml", "Containers/Teams/Heim/Team.xml",
                           "Containers/Clips/Intro/x.mp4"})
    EXPECT_TRUE(fs::exists(dir_.path() / kept)) << kept;

  const std::string message = FolderMenu("DeleteDirectory1", "Clips\\Intro\\A");
  EXPECT_EQ(message, "Directory " + f().apppath + "Containers\\Clips\\Intro\\A\\ deleted!");
  EXPECT_FALSE(fs::exists(dir_.path() / "Containers/Clips/Intro/A"));
  EXPECT_TRUE(fs::exists(dir_.path() / "Containers/Clips/Intro/x.mp4"));
}

TEST(UploadNames, FoldedAndCutToTheirLastComponent) {
  const struct {
    const char* reported;
    const char* stored;
  } cases[] = {{"Gr\xC3\xBC\xC3\x9F" "e?.jpg", "Gruesse_.jpg"},
               {"\xC3\x84RGER.PNG", "AERGER.PNG"},
               {"\xC3\x9C\xC3\xB6\xC3\x96\xC3\xA4.mp4", "UEoeOEae.mp4"},
               {"C:\\Users\\op\\Bild.jpg", "Bild.jpg"},
               {"../../Config/tsUsers.ini", "tsUsers.ini"},
               {"dir/", ""},
               {"..", ""},
               {".", ""},
               {"", ""},
               {"two.dots.jpg", "two.dots.jpg"}};
  for (const auto& c : cases) EXPECT_EQ(UploadFileName(c.reported), c.stored) << c.reported;
}

TEST_F(MediaLibrary, UploadsGoIntoTheChosenFolderWholeOrNotAtAll) {
  auto cache = [&](const std::string& name, const std::string& content) {
    return dir_.Write("temp/" + name, content).string();
  };
  // Before the window is opened it takes nothing.
  const int window = Id("Upload1");
  EXPECT_EQ(plat::ui::TUniCustomFileUpload::UploadTarget(console_->GetSession(), window), nullptr);
  console_->Click("btnUploadSingle");
  EXPECT_NE(plat::ui::TUniCustomFileUpload::UploadTarget(console_->GetSession(), window), nullptr);

  ChooseFolder("Clips\\Intro");
  std::vector<plat::ui::UploadedFile> files = {{"Gr\xC3\xBC\xC3\x9F" "e?.jpg", cache("c1", "new picture")},
                                              {"x.mp4", cache("c2", "new film")},
                                              {"page.html", cache("c3", "")},  // empty: the old file stays
                                              {"..", cache("c4", "x")},
                                              {"lost.jpg", ""}};
  Json answer;
  {
    std::lock_guard<std::mutex> lock(console_->GetSession().Mutex());
    plat::session::Session::Scope scope(console_->GetSession());
    answer = f().Upload1->AcceptReceivedFiles(files);
  }
  Json ops = console_->Send(Json::array({{{"t", "upload"}, {"c", window}, {"files", answer}}}));
  const fs::path folder = dir_.path() / "Containers/Clips/Intro";
  EXPECT_EQ(dir_.Read("Containers/Clips/Intro/Gruesse_.jpg"), "new picture");
  EXPECT_EQ(dir_.Read("Containers/Clips/Intro/x.mp4"), "new film") << "a file of the name is replaced";
  EXPECT_EQ(dir_.Read("Containers/Clips/Intro/page.html"), "data") << "an empty upload replaces nothing";
  std::vector<std::string> scripts;
  for (const Json& op : OpsOf(ops, "js")) scripts.push_back(op.value("code", ""));
  ASSERT_EQ(scripts.size(), 4u);
  EXPECT_EQ(scripts[0], "Ext.toast({html: \" File: Gruesse_.jpg Uploaded. \", header: false, autoCloseDelay: 5000});");
  EXPECT_NE(scripts[2].find("not uploaded"), std::string::npos) << scripts[2];
  EXPECT_NE(scripts[3].find("not uploaded: no file name"), std::string::npos) << scripts[3];
  for (const auto& e : fs::directory_iterator(folder))
    EXPECT_EQ(e.path().filename().string().find(".upload-"), std::string::npos) << "a part file stayed";
  EXPECT_EQ(plat::ui::TUniCustomFileUpload::UploadTarget(console_->GetSession(), window), nullptr)
      << "the window closes with its upload";

  // Into a folder that is gone: a failure toast, never "Uploaded".
  console_->Click("btnUploadSingle");
  fs::remove_all(folder);
  {
    std::lock_guard<std::mutex> lock(console_->GetSession().Mutex());
    plat::session::Session::Scope scope(console_->GetSession());
    answer = f().Upload1->AcceptReceivedFiles({{"late.jpg", cache("c5", "x")}});
  }
  ops = console_->Send(Json::array({{{"t", "upload"}, {"c", window}, {"files", answer}}}));
  ASSERT_EQ(OpsOf(ops, "js").size(), 1u);
  EXPECT_NE(OpsOf(ops, "js")[0].value("code", "").find("does not exist"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder / "late.jpg"));
}

// The drop zone takes files only in a console whose library shows: never
// before the login, never on a display.
TEST_F(MediaLibrary, TheDropZoneTakesFilesOnlyInALoggedInConsole) {
  auto target = [](SessionDriver& d) {
    return plat::ui::TUniCustomFileUpload::UploadTarget(d.GetSession(), d.Form().UniFileUploadButton1->Id()) != nullptr;
  };
  SessionDriver fresh(*server_, {{"start", "tessarine"}});
  EXPECT_FALSE(target(fresh)) << "before the login";
  SessionDriver display(*server_, {{"standort", "Halle"}});
  EXPECT_FALSE(target(display));
  EXPECT_TRUE(target(*console_)) << "logged in, on the library's tab";
}
