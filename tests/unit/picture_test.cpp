// Pictures from JPEG and PNG files become PNG data URIs of the same size
// and colours.
#include "platform/ui/picture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/picture_files.h"
#include "support/test_support.h"

using namespace plat::ui;
using testing_support::Decoded;
using testing_support::DecodeDataUri;
using testing_support::MakeJpeg;
using testing_support::MakePng;
using testing_support::TempDir;

TEST(Picture, JpegAndPngBecomeAPngDataUriOfTheSameSize) {
  struct Case {
    const char* what;
    std::string bytes;
    int w, h;
    std::vector<int> rgba;  // the expected colour of every pixel
  };
  const Case cases[] = {
      {"RGB JPEG", MakeJpeg(7, 5, JCS_RGB, {250, 10, 10}), 7, 5, {250, 10, 10, 255}},
      {"grey JPEG", MakeJpeg(3, 9, JCS_GRAYSCALE, {128}), 3, 9, {128, 128, 128, 255}},
      // libjpeg writes CMYK with the Adobe marker: stored values are ink inverted.
      {"CMYK JPEG", MakeJpeg(4, 4, JCS_CMYK, {128, 0, 255, 200}), 4, 4, {100, 0, 200, 255}},
      {"RGBA PNG", MakePng(6, 2, PNG_FORMAT_RGBA, {10, 200, 30, 128}), 6, 2, {10, 200, 30, 128}},
      {"grey PNG", MakePng(2, 6, PNG_FORMAT_GRAY, {77}), 2, 6, {77, 77, 77, 255}},
  };
  for (const Case& c : cases) {
    TempDir dir;
    dir.Write("pic", c.bytes);
    PngPicture p = LoadPictureAsPng(dir.sys() + "pic");
    EXPECT_EQ(p.width, c.w) << c.what;
    EXPECT_EQ(p.height, c.h) << c.what;
    Decoded d = DecodeDataUri(p.dataUri);
    ASSERT_EQ(d.width, c.w) << c.what;
    ASSERT_EQ(d.height, c.h) << c.what;
    const std::size_t centre = (static_cast<std::size_t>(c.h / 2) * c.w + c.w / 2) * 4;
    for (int i = 0; i < 4; ++i)
      EXPECT_NEAR(d.rgba[centre + i], c.rgba[static_cast<std::size_t>(i)], 6) << c.what << " channel " << i;
  }
}
