#include "support/picture_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace testing_support {

std::string MakeJpeg(int w, int h, J_COLOR_SPACE space, std::vector<std::uint8_t> pixel) {
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &mem, &size);
  info.image_width = static_cast<JDIMENSION>(w);
  info.image_height = static_cast<JDIMENSION>(h);
  info.input_components = static_cast<int>(pixel.size());
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row;
  for (int x = 0; x < w; ++x) row.insert(row.end(), pixel.begin(), pixel.end());
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string out(reinterpret_cast<char*>(mem), size);
  jpeg_destroy_compress(&info);
  std::free(mem);
  return out;
}

std::string MakePng(int w, int h, png_uint_32 format, std::vector<std::uint8_t> pixel) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = format;
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < w * h; ++i) pixels.insert(pixels.end(), pixel.begin(), pixel.end());
  png_alloc_size_t size = 0;
  EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
  std::string out(size, '\0');
  EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr));
  out.resize(size);
  return out;
}

namespace {

std::string FromBase64(const std::string& in) {
  std::string out;
  int bits = 0;
  unsigned acc = 0;
  for (char ch : in) {
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = std::strchr(alphabet, ch);
    if (ch == '=' || !at) break;
    acc = (acc << 6) | static_cast<unsigned>(at - alphabet);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return out;
}

}  // namespace

Decoded DecodeDataUri(const std::string& uri) {
  const std::string prefix = "data:image/png;base64,";
  EXPECT_EQ(uri.substr(0, prefix.size()), prefix);
  std::string png = FromBase64(uri.substr(prefix.size()));
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  Decoded d;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    ADD_FAILURE() << "not a PNG: " << image.message;
    return d;
  }
  image.format = PNG_FORMAT_RGBA;
  d.width = static_cast<int>(image.width);
  d.height = static_cast<int>(image.height);
  d.rgba.resize(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, d.rgba.data(), 0, nullptr));
  return d;
}

}  // namespace testing_support
