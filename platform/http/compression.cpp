#include "platform/http/compression.h"

#include <zlib.h>

#include <cstdlib>

#include "platform/io/utf8.h"

namespace plat::http {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The q value of one Accept-Encoding item ("gzip;q=0.5"); 1 when absent.
double Quality(std::string_view params) {
  while (!params.empty()) {
    const std::size_t semi = params.find(';');
    std::string_view p = Trim(params.substr(0, semi));
    params = semi == std::string_view::npos ? std::string_view() : params.substr(semi + 1);
    if (p.size() >= 2 && (p[0] == 'q' || p[0] == 'Q') && p[1] == '=') {
      const std::string value(Trim(p.substr(2)));
      char* end = nullptr;
      const double q = std::strtod(value.c_str(), &end);
      return (end == value.c_str()) ? 0.0 : q;
    }
  }
  return 1.0;
}

// One deflate state per thread, reset for every answer.
class Deflater {
 public:
  Deflater() { ok_ = deflateInit2(&zs_, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
  ~Deflater() {
    if (ok_) deflateEnd(&zs_);
  }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  bool Run(std::string_view in, std::string& out) {
    if (!ok_ || deflateReset(&zs_) != Z_OK) return false;
    std::string buf(deflateBound(&zs_, static_cast<uLong>(in.size())), '\0');
    zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs_.avail_in = static_cast<uInt>(in.size());
    zs_.next_out = reinterpret_cast<Bytef*>(buf.data());
    zs_.avail_out = static_cast<uInt>(buf.size());
    if (deflate(&zs_, Z_FINISH) != Z_STREAM_END) return false;
    buf.resize(zs_.total_out);
    if (buf.size() >= in.size()) return false;
    out = std::move(buf);
    return true;
  }

 private:
  z_stream zs_{};
  bool ok_ = false;
};

}  // namespace

bool AcceptsGzip(std::string_view value) {
  bool star = false, gzip = false, gzipRefused = false;
  while (!value.empty()) {
    const std::size_t comma = value.find(',');
    std::string_view item = value.substr(0, comma);
    value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    const std::size_t semi = item.find(';');
    const std::string_view coding = Trim(item.substr(0, semi));
    const double q = semi == std::string_view::npos ? 1.0 : Quality(item.substr(semi + 1));
    if (io::utf8::EqualsNoCase(coding, "gzip") || io::utf8::EqualsNoCase(coding, "x-gzip")) {
      (q > 0 ? gzip : gzipRefused) = true;
    } else if (coding == "*" && q > 0) {
      star = true;
    }
  }
  return gzip || (star && !gzipRefused);
}

bool IsCompressibleType(std::string_view type) {
  type = type.substr(0, type.find(';'));
  const std::string t = io::utf8::ToLower(Trim(type));
  return t.rfind("text/", 0) == 0 || t == "application/javascript" || t == "application/json" ||
         t == "application/xml" || t == "image/svg+xml";
}

bool Gzip(std::string_view in, std::string& out) {
  // Answers beyond 4 GiB do not occur; zlib's counters are 32 bits here.
  if (in.size() > 0xFFFFFFFFu / 2) return false;
  thread_local Deflater deflater;
  return deflater.Run(in, out);
}

}  // namespace plat::http
