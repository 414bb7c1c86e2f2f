// Images in a real session: pictures loaded from files travel to the
// browser as data URIs; a file that cannot be shown keeps the picture.
#include "platform/ui/controls_media.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/picture.h"
#include "support/control_screen.h"
#include "support/picture_files.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::DecodeDataUri;
using testing_support::MakeJpeg;
using testing_support::Screen;
using testing_support::Sets;
using testing_support::TempDir;

TEST(Picture, LoadFailuresRaiseAndKeepThePicture) {
  TempDir dir;
  std::string jpeg = MakeJpeg(4, 3, JCS_RGB, {0, 0, 255});
  dir.Write("ok.jpg", jpeg);
  dir.Write("pic.bmp", std::string("BM") + std::string(60, '\0'));
  dir.Write("pic.gif", "GIF89a" + std::string(20, '\0'));
  dir.Write("cut.jpg", jpeg.substr(0, 30));  // ends inside the header
  dir.Write("text.png", "hello");
  struct Case {
    const char* file;
    const char* message;  // part of the error
  };
  const Case cases[] = {{"pic.bmp", "BMP"},
                        {"pic.gif", "GIF"},
                        {"cut.jpg", "JPEG"},
                        {"text.png", "unknown"},
                        {"missing.jpg", "missing.jpg"}};

  Screen s;
  s.Load("class: TForm\nname: F\nchildren: [{class: TUniImage, name: img, stretch: true, proportional: true}]\n");
  TUniImage* img = s.Get<TUniImage>("img");
  img->Picture().LoadFromFile(dir.sys() + "ok.jpg");
  const std::string good = img->Picture().Url();
  EXPECT_EQ(DecodeDataUri(good).width, 4);
  for (const Case& c : cases) {
    try {
      img->Picture().LoadFromFile(dir.sys() + c.file);
      ADD_FAILURE() << c.file << " loaded";
    } catch (const PictureError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.file << ": " << e.what();
    }
    EXPECT_EQ(img->Picture().Url(), good) << c.file;
  }
  Json ops = s.session().TakeOps();
  EXPECT_EQ(Sets(ops, s.Id("img"), "picture"), std::vector<Json>{good});
  img->Picture().Clear();
  EXPECT_EQ(Sets(s.session().TakeOps(), s.Id("img"), "picture"), std::vector<Json>{""});
}

// A picture in a served folder goes as its address; any other goes with no
// more pixels than its image can show, however large its file.
TEST(Picture, AnImageGetsNoMorePixelsThanItShows) {
  TempDir dir;
  dir.Write("big.jpg", MakeJpeg(4000, 3000, JCS_RGB, {200, 30, 30}));
  dir.Write("wide.jpg", MakeJpeg(400, 100, JCS_RGB, {0, 90, 0}));
  dir.Write("small.jpg", MakeJpeg(40, 30, JCS_RGB, {0, 0, 90}));
  struct Case {
    const char* props;
    const char* file;
    int width, height;  // of the picture sent
  } const cases[] = {
      {"width: 200, height: 150, stretch: true, proportional: true", "big.jpg", 200, 150},
      {"width: 300, height: 300, proportional: true", "big.jpg", 300, 225},
      {"width: 200, height: 200, proportional: true", "wide.jpg", 200, 50},
      {"width: 300, height: 100, stretch: true", "big.jpg", 300, 100},
      {"width: 100, height: 80", "big.jpg", 100, 80},  // at its own size: only a corner shows
      {"width: 100, height: 80, center: true", "wide.jpg", 100, 80},
      {"width: 100, height: 80, stretch: true", "small.jpg", 40, 30},  // never enlarged
      {"width: 1000, height: 1000", "wide.jpg", 400, 100},
  };
  for (const Case& c : cases) {
    Screen s;
    s.Load(std::string("class: TForm\nname: F\nchildren: [{class: TUniImage, name: img, ") + c.props + "}]\n");
    TUniImage* img = s.Get<TUniImage>("img");
    img->Picture().LoadFromFile(dir.sys() + c.file);
    const auto sent = DecodeDataUri(img->Picture().Url());
    EXPECT_EQ(sent.width, c.width) << c.props << " " << c.file;
    EXPECT_EQ(sent.height, c.height) << c.props << " " << c.file;
    EXPECT_EQ(img->Picture().Width(), std::string(c.file) == "big.jpg" ? 4000 : std::string(c.file) == "wide.jpg" ? 400 : 40)
        << "the picture's own size";
  }

  dir.Write("Containers/Bilder/Tor \xC3\xA4 #1.jpg", MakeJpeg(4000, 3000, JCS_RGB, {1, 2, 3}));
  dir.Write("Containers/Bilder/bild.bmp", std::string("BM") + std::string(60, '\0'));
  std::filesystem::create_symlink(dir.path() / "big.jpg", dir.path() / "Containers/Bilder/link.jpg");
  ServePictureFolder("/Containers/", dir.sys() + "Containers");
  Screen s;
  s.Load("class: TForm\nname: F\nchildren: [{class: TUniImage, name: img, width: 100, height: 100, stretch: true}]\n");
  TUniImage* img = s.Get<TUniImage>("img");
  img->Picture().LoadFromFile(dir.sys() + "Containers\\Bilder\\Tor \xC3\xA4 #1.jpg");
  EXPECT_EQ(img->Picture().Url().rfind("/Containers/Bilder/Tor%20%C3%A4%20%231.jpg?v=", 0), 0u) << img->Picture().Url();
  EXPECT_EQ(img->Picture().Width(), 4000);
  EXPECT_THROW(img->Picture().LoadFromFile(dir.sys() + "Containers/Bilder/bild.bmp"), PictureError)
      << "a served file is still checked to be a picture";
  img->Picture().LoadFromFile(dir.sys() + "Containers/Bilder/link.jpg");
  EXPECT_EQ(img->Picture().Url().rfind("data:image/png;base64,", 0), 0u) << "the link leads out of the folder";
  img->Picture().LoadFromFile(dir.sys() + "big.jpg");
  EXPECT_EQ(DecodeDataUri(img->Picture().Url()).width, 100);
  ForgetServedPictureFolders();
}
