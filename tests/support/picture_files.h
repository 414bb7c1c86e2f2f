#pragma once
// Picture files for the picture tests, written and read with libjpeg and
// libpng directly, so that the code under test checks against the
// libraries' own view.
#include <cstddef>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A small JPEG file: a solid colour in the given colour space (components
// as the file stores them).
std::string MakeJpeg(int w, int h, J_COLOR_SPACE space, std::vector<std::uint8_t> pixel);
// A small PNG file of one colour in the given libpng format.
std::string MakePng(int w, int h, png_uint_32 format, std::vector<std::uint8_t> pixel);

// The PNG inside a data URI, decoded to RGBA by libpng directly.
struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};
Decoded DecodeDataUri(const std::string& uri);

}  // namespace testing_support
