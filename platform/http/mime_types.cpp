#include "platform/http/mime_types.h"

#include <array>
#include <utility>

#include "platform/io/path.h"
#include "platform/io/utf8.h"

namespace plat::http {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 33> kTypes{{
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".png", "image/png"},
    {".gif", "image/gif"},
    {".bmp", "image/bmp"},
    {".webp", "image/webp"},
    {".ico", "image/x-icon"},
    {".svg", "image/svg+xml"},
    {".mp4", "video/mp4"},
    {".m4v", "video/mp4"},
    {".mov", "video/quicktime"},
    {".mpg", "video/mpeg"},
    {".mpeg", "video/mpeg"},
    {".webm", "video/webm"},
    {".ogv", "video/ogg"},
    {".avi", "video/x-msvideo"},
    {".mp3", "audio/mpeg"},
    {".wav", "audio/wav"},
    {".ogg", "audio/ogg"},
    {".pdf", "application/pdf"},
    {".htm", "text/html"},
    {".html", "text/html"},
    {".js", "application/javascript"},
    {".css", "text/css"},
    {".xml", "application/xml"},
    {".txt", "text/plain"},
    {".json", "application/json"},
    {".woff", "font/woff"},
    {".woff2", "font/woff2"},
    {".ttf", "font/ttf"},
    {".otf", "font/otf"},
    {".eot", "application/vnd.ms-fontobject"},
    {".map", "application/json"},
}};

}  // namespace

std::string MimeTypeForPath(std::string_view path) {
  const std::string ext = io::utf8::ToLower(io::ExtractFileExt(path));
  for (const auto& [e, type] : kTypes) {
    if (ext == e) return std::string(type);
  }
  return "application/octet-stream";
}

}  // namespace plat::http
