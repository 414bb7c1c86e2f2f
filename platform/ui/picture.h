#pragma once
// Pictures for the browser. A picture file in a folder the server serves is
// sent as its address; any other is decoded (JPEG through libjpeg, PNG
// through libpng), reduced to the size of its control and handed to the
// browser re-encoded as PNG in a data: URI, so no other file below the
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

// Decodes only the size of a JPEG or PNG (pixels stay empty); raises as
// DecodePicture does.
RgbaImage ReadPictureSize(std::string_view bytes);
// The same for a picture file (system path); raises PictureError also when
// the file cannot be read.
RgbaImage ReadPictureFileSize(std::string_view systemPath);

// The image scaled to width x height by area averaging.
RgbaImage ScaleImage(const RgbaImage& image, int width, int height);
// The part of the image in the rectangle (clipped to the image).
RgbaImage CropImage(const RgbaImage& image, int left, int top, int width, int height);

// The control a picture is shown in, as far as it bounds the pixels the
// browser can show: a proportional picture fits inside the box, a stretched
// one fills it, any other is shown at its own size and cut off by the box
// (taken from its centre with center). A box without a size bounds nothing.
struct PictureBox {
  int width = 0;
  int height = 0;
  bool stretch = false;
  bool proportional = false;
  bool center = false;
};

// The image reduced to what the box can show; never enlarged.
RgbaImage FitPicture(const RgbaImage& image, const PictureBox& box);

struct PngPicture {
  int width = 0;   // of the encoded picture
  int height = 0;
  int sourceWidth = 0;  // of the file
  int sourceHeight = 0;
  std::string dataUri;  // "data:image/png;base64,..."
};

// Reads a picture file (system path), reduces it to what the box can show
// and encodes it as a PNG data URI. Raises PictureError (also when the file
// cannot be read).
PngPicture LoadPictureAsPng(std::string_view systemPath, const PictureBox& box = {});

// Folders the HTTP server serves: a picture there reaches the browser by
// its address instead of as encoded pixels. ServedPictureAddress gives the
// address (percent-encoded, with a version of the file) of a file below one
// of them, or "" (also for a file a link leads out of the folder).
void ServePictureFolder(std::string_view urlPrefix, std::string_view systemFolder);
void ForgetServedPictureFolders();
std::string ServedPictureAddress(std::string_view systemPath);

}  // namespace plat::ui
