#pragma once
// gzip for answers where it pays: text of at least about a kilobyte, to
// browsers that take it. The compressor's state is kept per thread and
// reset between answers instead of being set up and freed for each one.
#include <cstddef>
#include <string>
#include <string_view>

namespace plat::http {

// Smaller answers go out as they are: the gzip frame and the work cost more
// than the bytes saved.
constexpr std::size_t kCompressMinBytes = 1024;

// True when the Accept-Encoding value allows gzip (or "*") with q above 0.
bool AcceptsGzip(std::string_view acceptEncoding);
// Text types (HTML, scripts, style sheets, JSON, XML, SVG, plain text).
bool IsCompressibleType(std::string_view contentType);
// `in` as one gzip member; false (and `out` untouched) when it would not
// come out smaller.
bool Gzip(std::string_view in, std::string& out);

}  // namespace plat::http
