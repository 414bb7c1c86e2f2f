#include "platform/ui/picture.h"

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "platform/io/path.h"
#include "platform/ui/escape.h"

namespace plat::ui {
namespace {

// Larger pictures are refused rather than risking the process's memory
// (a header can claim any size); 50 megapixels covers every camera picture
// the venues use.
constexpr std::uint64_t kMaxPixels = 50'000'000;
constexpr int kMaxSide = 30'000;
// A picture file larger than this is not a picture we preview.
constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

bool SizeFits(std::uint64_t w, std::uint64_t h) {
  return w != 0 && h != 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels;
}

void CheckSize(std::uint64_t w, std::uint64_t h) {
  if (w == 0 || h == 0) throw PictureError("picture has no pixels");
  if (!SizeFits(w, h)) throw PictureError("picture too large: " + std::to_string(w) + " x " + std::to_string(h));
}

// ---- JPEG -------------------------------------------------------------------
// libjpeg reports fatal errors through error_exit, which must not return;
// it jumps back into DecodeJpeg. Everything that lives across the jump is
// kept in this heap object, so no C++ object with a destructor is skipped.
struct JpegContext {
  jpeg_decompress_struct info;
  jpeg_error_mgr err;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = {};
  bool created = false;
  RgbaImage image;
  std::vector<std::uint8_t> row;
};

void JpegErrorExit(j_common_ptr info) {
  auto* ctx = reinterpret_cast<JpegContext*>(info->client_data);
  (*info->err->format_message)(info, ctx->message);
  std::longjmp(ctx->jump, 1);
}

void JpegSilence(j_common_ptr) {}  // warnings stay out of the server log

// Decodes a JPEG; with a wanted size libjpeg decodes at the smallest
// scale of 1/2, 1/4 or 1/8 that is still at least that large (a camera
// picture for a small control then costs a fraction of the time). With
// headerOnly only the size is read (pixels stay empty).
RgbaImage DecodeJpeg(std::string_view bytes, int wantW = 0, int wantH = 0, bool headerOnly = false) {
  auto holder = std::make_unique<JpegContext>();
  JpegContext* const ctx = holder.get();
  ctx->info.err = jpeg_std_error(&ctx->err);
  ctx->err.error_exit = JpegErrorExit;
  ctx->err.output_message = JpegSilence;
  ctx->info.client_data = ctx;
  if (setjmp(ctx->jump)) {
    if (ctx->created) jpeg_destroy_decompress(&ctx->info);
    throw PictureError(std::string("damaged JPEG picture: ") + ctx->message);
  }
  jpeg_create_decompress(&ctx->info);
  ctx->created = true;
  jpeg_mem_src(&ctx->info, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&ctx->info, TRUE);
  const bool cmyk = ctx->info.jpeg_color_space == JCS_CMYK || ctx->info.jpeg_color_space == JCS_YCCK;
  // libjpeg converts grey and YCbCr straight to RGBA; CMYK it only decodes.
  ctx->info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
  const std::uint64_t w = ctx->info.image_width, h = ctx->info.image_height;
  if (!SizeFits(w, h)) {
    jpeg_destroy_decompress(&ctx->info);
    ctx->created = false;
    CheckSize(w, h);
  }
  if (headerOnly) {
    jpeg_destroy_decompress(&ctx->info);
    ctx->created = false;
    ctx->image.width = static_cast<int>(w);
    ctx->image.height = static_cast<int>(h);
    return std::move(ctx->image);
  }
  if (wantW > 0 && wantH > 0) {
    for (unsigned denom : {8u, 4u, 2u}) {
      if ((w + denom - 1) / denom >= static_cast<std::uint64_t>(wantW) &&
          (h + denom - 1) / denom >= static_cast<std::uint64_t>(wantH)) {
        ctx->info.scale_num = 1;
        ctx->info.scale_denom = denom;
        break;
      }
    }
  }
  jpeg_start_decompress(&ctx->info);
  RgbaImage& img = ctx->image;
  img.width = static_cast<int>(ctx->info.output_width);
  img.height = static_cast<int>(ctx->info.output_height);
  img.pixels.resize(static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 4u);
  ctx->row.resize(static_cast<std::size_t>(img.width) * 4u);
  while (ctx->info.output_scanline < ctx->info.output_height) {
    std::uint8_t* dest = img.pixels.data() +
                         static_cast<std::size_t>(ctx->info.output_scanline) * static_cast<std::size_t>(img.width) * 4u;
    JSAMPROW rows[1] = {cmyk ? ctx->row.data() : dest};
    jpeg_read_scanlines(&ctx->info, rows, 1);
    if (cmyk) {
      // Adobe writes CMYK inverted (0 = full ink), which is what almost
      // every CMYK JPEG in the wild is.
      const bool inverted = ctx->info.saw_Adobe_marker;
      for (int x = 0; x < img.width; ++x) {
        unsigned c = ctx->row[x * 4u], m = ctx->row[x * 4u + 1], y = ctx->row[x * 4u + 2], k = ctx->row[x * 4u + 3];
        if (!inverted) {
          c = 255 - c;
          m = 255 - m;
          y = 255 - y;
          k = 255 - k;
        }
        dest[x * 4u] = static_cast<std::uint8_t>(c * k / 255);
        dest[x * 4u + 1] = static_cast<std::uint8_t>(m * k / 255);
        dest[x * 4u + 2] = static_cast<std::uint8_t>(y * k / 255);
        dest[x * 4u + 3] = 255;
      }
    }
  }
  jpeg_finish_decompress(&ctx->info);
  jpeg_destroy_decompress(&ctx->info);
  ctx->created = false;
  return std::move(ctx->image);
}

// ---- PNG --------------------------------------------------------------------
// The simplified libpng API handles its errors itself and returns failure.
RgbaImage DecodePng(std::string_view bytes, bool headerOnly = false) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
    throw PictureError(std::string("damaged PNG picture: ") + image.message);
  if (!SizeFits(image.width, image.height)) {
    png_image_free(&image);
    CheckSize(image.width, image.height);
  }
  if (headerOnly) {
    png_image_free(&image);
    RgbaImage size;
    size.width = static_cast<int>(image.width);
    size.height = static_cast<int>(image.height);
    return size;
  }
  image.format = PNG_FORMAT_RGBA;
  RgbaImage out;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    std::string msg = image.message;
    png_image_free(&image);
    throw PictureError("damaged PNG picture: " + msg);
  }
  return out;
}

// Writing goes through the classic API so the picture is compressed once,
// straight into the output string. As with libjpeg, errors jump back here
// and the state across the jump lives on the heap.
struct PngWriteContext {
  std::jmp_buf jump;
  std::string message;
  std::string out;
  std::vector<std::uint8_t> row;
};

void PngError(png_structp png, png_const_charp msg) {
  auto* ctx = static_cast<PngWriteContext*>(png_get_error_ptr(png));
  ctx->message = msg ? msg : "";
  std::longjmp(ctx->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* ctx = static_cast<PngWriteContext*>(png_get_io_ptr(png));
  bool failed = false;
  try {
    ctx->out.append(reinterpret_cast<const char*>(data), length);
  } catch (...) {
    failed = true;  // no exception may cross libpng
  }
  if (failed) png_error(png, "out of memory");
}

void PngFlush(png_structp) {}

}  // namespace

std::string SniffPictureFormat(std::string_view b) {
  auto starts = [&](std::string_view magic) { return b.substr(0, magic.size()) == magic; };
  if (starts("\xFF\xD8\xFF")) return "JPEG";
  if (starts("\x89PNG\r\n\x1A\n")) return "PNG";
  if (starts("BM")) return "BMP";
  if (starts("GIF87a") || starts("GIF89a")) return "GIF";
  if (starts("RIFF") && b.size() >= 12 && b.substr(8, 4) == "WEBP") return "WEBP";
  if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4))) return "TIFF";
  return "";
}

namespace {

void RefuseFormat(const std::string& format) {
  if (format.empty()) throw PictureError("unknown picture format");
  throw PictureError(format + " pictures cannot be decoded (only JPEG and PNG)");
}

RgbaImage DecodeAtLeast(std::string_view bytes, int wantW, int wantH) {
  const std::string format = SniffPictureFormat(bytes);
  if (format == "JPEG") return DecodeJpeg(bytes, wantW, wantH);
  if (format == "PNG") return DecodePng(bytes);
  RefuseFormat(format);
  return {};
}

}  // namespace

RgbaImage DecodePicture(std::string_view bytes) { return DecodeAtLeast(bytes, 0, 0); }

RgbaImage ReadPictureSize(std::string_view bytes) {
  const std::string format = SniffPictureFormat(bytes);
  if (format == "JPEG") return DecodeJpeg(bytes, 0, 0, true);
  if (format == "PNG") return DecodePng(bytes, true);
  RefuseFormat(format);
  return {};
}

RgbaImage ScaleImage(const RgbaImage& src, int width, int height) {
  if (width <= 0 || height <= 0 || src.width <= 0 || src.height <= 0) throw PictureError("picture has no pixels");
  if (width == src.width && height == src.height) return src;
  // Each target pixel is the average of the source area it covers (with
  // fractional edges), which keeps fine lines and text readable when a
  // picture shrinks a lot; alpha weights the colours.
  RgbaImage out;
  out.width = width;
  out.height = height;
  out.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u, 0);
  const double sx = static_cast<double>(src.width) / width, sy = static_cast<double>(src.height) / height;
  std::vector<double> acc(static_cast<std::size_t>(width) * 5u);
  for (int y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0.0);
    const double y0 = y * sy, y1 = (y + 1) * sy;
    for (int yy = static_cast<int>(y0); yy < src.height && yy < y1; ++yy) {
      const double wy = std::min<double>(yy + 1, y1) - std::max<double>(yy, y0);
      if (wy <= 0) continue;
      const std::uint8_t* row = src.pixels.data() + static_cast<std::size_t>(yy) * static_cast<std::size_t>(src.width) * 4u;
      for (int x = 0; x < width; ++x) {
        const double x0 = x * sx, x1 = (x + 1) * sx;
        double* a = &acc[static_cast<std::size_t>(x) * 5u];
        for (int xx = static_cast<int>(x0); xx < src.width && xx < x1; ++xx) {
          const double w = wy * (std::min<double>(xx + 1, x1) - std::max<double>(xx, x0));
          if (w <= 0) continue;
          const std::uint8_t* p = row + static_cast<std::size_t>(xx) * 4u;
          const double alpha = p[3] * w;
          a[0] += p[0] * alpha;
          a[1] += p[1] * alpha;
          a[2] += p[2] * alpha;
          a[3] += alpha;
          a[4] += w;
        }
      }
    }
    std::uint8_t* dest = out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4u;
    for (int x = 0; x < width; ++x) {
      const double* a = &acc[static_cast<std::size_t>(x) * 5u];
      auto channel = [](double v) { return static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
      if (a[3] > 0) {
        dest[x * 4] = channel(a[0] / a[3]);
        dest[x * 4 + 1] = channel(a[1] / a[3]);
        dest[x * 4 + 2] = channel(a[2] / a[3]);
      }
      dest[x * 4 + 3] = a[4] > 0 ? channel(a[3] / a[4]) : 0;
    }
  }
  return out;
}

RgbaImage CropImage(const RgbaImage& src, int left, int top, int width, int height) {
  left = std::clamp(left, 0, src.width);
  top = std::clamp(top, 0, src.height);
  width = std::clamp(width, 0, src.width - left);
  height = std::clamp(height, 0, src.height - top);
  if (width == 0 || height == 0) throw PictureError("picture has no pixels");
  RgbaImage out;
  out.width = width;
  out.height = height;
  out.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
  for (int y = 0; y < height; ++y)
    std::memcpy(out.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4u,
                src.pixels.data() +
                    (static_cast<std::size_t>(top + y) * static_cast<std::size_t>(src.width) + static_cast<std::size_t>(left)) * 4u,
                static_cast<std::size_t>(width) * 4u);
  return out;
}

namespace {

struct PixelSize {
  int width = 0, height = 0;
};

// The pixels a picture of w x h needs in the box: a proportional one fits
// inside it at most as large as the box, a stretched one needs no more
// pixels on either side than the box has, any other shows the part inside
// the box at its own size.
PixelSize ShownSize(int w, int h, const PictureBox& box) {
  if (box.width <= 0 || box.height <= 0) return {w, h};
  if (box.proportional) {
    const double s = std::min({1.0, static_cast<double>(box.width) / w, static_cast<double>(box.height) / h});
    if (s >= 1.0) return {w, h};
    return {std::max(1, static_cast<int>(w * s + 0.5)), std::max(1, static_cast<int>(h * s + 0.5))};
  }
  return {std::min(w, box.width), std::min(h, box.height)};
}

}  // namespace

RgbaImage FitPicture(const RgbaImage& image, const PictureBox& box) {
  const int w = image.width, h = image.height;
  const PixelSize shown = ShownSize(w, h, box);
  if (shown.width == w && shown.height == h) return image;
  if (box.proportional || box.stretch) return ScaleImage(image, shown.width, shown.height);
  const int left = box.center ? (w - shown.width) / 2 : 0, top = box.center ? (h - shown.height) / 2 : 0;
  return CropImage(image, left, top, shown.width, shown.height);
}

std::string EncodePng(const RgbaImage& image) {
  CheckSize(static_cast<std::uint64_t>(image.width < 0 ? 0 : image.width),
            static_cast<std::uint64_t>(image.height < 0 ? 0 : image.height));
  const std::size_t w = static_cast<std::size_t>(image.width), h = static_cast<std::size_t>(image.height);
  if (image.pixels.size() < w * h * 4) throw PictureError("picture buffer too small");
  bool opaque = true;
  for (std::size_t i = 3; i < w * h * 4 && opaque; i += 4) opaque = image.pixels[i] == 255;
  const std::size_t channels = opaque ? 3 : 4;

  auto holder = std::make_unique<PngWriteContext>();
  PngWriteContext* const ctx = holder.get();
  ctx->row.resize(w * channels);
  ctx->out.reserve(w * h);  // a guess; photos compress to about a byte per pixel
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, ctx, PngError, PngWarning);
  if (!png) throw PictureError("cannot encode PNG: out of memory");
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw PictureError("cannot encode PNG: out of memory");
  }
  // png and info are not changed after this point, so they keep their
  // values across the jump.
  if (setjmp(ctx->jump)) {
    png_destroy_write_struct(&png, &info);
    throw PictureError("cannot encode PNG: " + ctx->message);
  }
  png_set_write_fn(png, ctx, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
               opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = image.pixels.data() + y * w * 4;
    std::uint8_t* dst = ctx->row.data();
    if (opaque) {
      for (std::size_t x = 0; x < w; ++x) {
        dst[x * 3] = src[x * 4];
        dst[x * 3 + 1] = src[x * 4 + 1];
        dst[x * 3 + 2] = src[x * 4 + 2];
      }
    } else {
      std::memcpy(dst, src, w * 4);
    }
    png_write_row(png, dst);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::move(ctx->out);
}

std::string Base64(std::string_view in) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((in.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= in.size(); i += 3) {
    unsigned v = (unsigned(std::uint8_t(in[i])) << 16) | (unsigned(std::uint8_t(in[i + 1])) << 8) |
                 unsigned(std::uint8_t(in[i + 2]));
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (std::size_t rest = in.size() - i) {
    unsigned v = unsigned(std::uint8_t(in[i])) << 16;
    if (rest == 2) v |= unsigned(std::uint8_t(in[i + 1])) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

namespace {

std::string ReadPictureFile(std::string_view systemPath) {
  const std::filesystem::path path = io::Resolve(systemPath);
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || !std::filesystem::is_regular_file(path, ec))
    throw PictureError("cannot open picture " + std::string(systemPath));
  if (size > kMaxFileBytes) throw PictureError("picture file too large: " + std::string(systemPath));
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::ifstream in(path, std::ios::binary);
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
    throw PictureError("cannot read picture " + std::string(systemPath));
  return bytes;
}

struct ServedFolder {
  std::string urlPrefix;
  std::filesystem::path folder;  // canonical
};
std::mutex gServedMutex;
std::vector<ServedFolder> gServed;

std::filesystem::path Canonical(const std::filesystem::path& p) {
  std::error_code ec;
  std::filesystem::path c = std::filesystem::weakly_canonical(p, ec);
  return ec ? p.lexically_normal() : c;
}

}  // namespace

RgbaImage ReadPictureFileSize(std::string_view systemPath) { return ReadPictureSize(ReadPictureFile(systemPath)); }

PngPicture LoadPictureAsPng(std::string_view systemPath, const PictureBox& box) {
  std::string bytes = ReadPictureFile(systemPath);
  const RgbaImage source = ReadPictureSize(bytes);
  // A JPEG that is scaled anyway is decoded at a reduced scale when that
  // still gives the pixels the box needs; a cut-out needs its own pixels.
  const PixelSize want =
      box.stretch || box.proportional ? ShownSize(source.width, source.height, box) : PixelSize{};
  RgbaImage image = FitPicture(DecodeAtLeast(bytes, want.width, want.height), box);
  bytes.clear();
  bytes.shrink_to_fit();
  PngPicture out;
  out.width = image.width;
  out.height = image.height;
  out.sourceWidth = source.width;
  out.sourceHeight = source.height;
  out.dataUri = "data:image/png;base64," + Base64(EncodePng(image));
  return out;
}

void ServePictureFolder(std::string_view urlPrefix, std::string_view systemFolder) {
  std::string prefix(urlPrefix);
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  std::lock_guard<std::mutex> lock(gServedMutex);
  gServed.push_back({std::move(prefix), Canonical(io::Resolve(systemFolder))});
}

void ForgetServedPictureFolders() {
  std::lock_guard<std::mutex> lock(gServedMutex);
  gServed.clear();
}

std::string ServedPictureAddress(std::string_view systemPath) {
  const std::filesystem::path file = Canonical(io::Resolve(systemPath));
  std::lock_guard<std::mutex> lock(gServedMutex);
  for (const ServedFolder& served : gServed) {
    const std::filesystem::path rel = file.lexically_relative(served.folder);
    if (rel.empty() || rel.is_absolute() || *rel.begin() == "..") continue;
    std::string address = served.urlPrefix;
    bool first = true;
    for (const auto& part : rel) {
      if (part == "." || part.empty()) continue;
      if (!first) address += '/';
      address += PercentEncode(part.string());
      first = false;
    }
    if (first) continue;  // the folder itself
    // The version makes the browser fetch a file again that was replaced
    // under the same name.
    if (const std::string v = io::FileVersion(file); !v.empty()) address += "?v=" + v;
    return address;
  }
  return {};
}

}  // namespace plat::ui
