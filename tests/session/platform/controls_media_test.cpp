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
