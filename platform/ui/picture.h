#pragma once
// Pictures for the browser. The server decodes a picture file (JPEG through
// libjpeg, PNG through libpng) and hands it to the browser re-encoded as PNG
// in a data: URI, so the browser never needs the file and no file below the
// program folder has to be served for a preview. Other formats are refused
// with an error that names the format.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plat::ui {

class PictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// 8-bit RGBA pixels, rows top to bottom without padding.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4
};

// The format a file's first bytes announce: "JPEG", "PNG", "BMP", "GIF",
// "WEBP", "TIFF" or "" when unknown.
std::string SniffPictureFormat(std::string_view bytes);

// Decodes JPEG or PNG bytes; raises PictureError for a damaged picture, an
// undecodable format (named in the message) or one too large to hold.
RgbaImage DecodePicture(std::string_view bytes);

// PNG bytes of the image (RGB when every pixel is opaque, else RGBA).
std::string EncodePng(const RgbaImage& image);

std::string Base64(std::string_view bytes);

struct PngPicture {
  int width = 0;
  int height = 0;
  std::string dataUri;  // "data:image/png;base64,..."
};

// Reads a picture file (system path) and re-encodes it as a PNG data URI.
// Raises PictureError (also when the file cannot be read).
PngPicture LoadPictureAsPng(std::string_view systemPath);

}  // namespace plat::ui
