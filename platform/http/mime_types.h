#pragma once
// Content types of the files the server hands out.
#include <string>
#include <string_view>

namespace plat::http {

// The content type for a file name by its extension (compared without regard
// to letter case); "application/octet-stream" for anything unknown. Text
// types carry no charset: the files are whatever the operator copied there.
std::string MimeTypeForPath(std::string_view path);

}  // namespace plat::http
