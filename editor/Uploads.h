#pragma once
// How an uploaded file is named in the library.
#include <string>
#include <string_view>

// The name an uploaded file gets: the last component of the name the
// browser reported (after "/" or "\"), with German special characters and
// "?" folded to plain ones ("Grüße?.jpg" -> "Gruesse_.jpg"). Empty when no
// file name remains ("", "." or "..").
std::string UploadFileName(std::string_view reported);
