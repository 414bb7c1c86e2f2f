#pragma once
// The HTML a display puts into a frame label or a navigation button: the
// templates of a medium in a frame of W x H pixels, and a button's picture.
#include <string>
#include <string_view>

// The templates take the address as it goes into the attribute (escaped
// there).
namespace medium_html {
// A medium's address as a browser must be given it: a library-relative name
// percent-encoded where needed ("#", "%", blanks, umlauts); an absolute web
// address unchanged.
std::string MediaAddress(std::string_view address);
std::string PictureHtml(const std::string& address, int w, int h);
std::string GifHtml(const std::string& address, int w, int h);
std::string IframeHtml(const std::string& address, int w, int h);
std::string VideoHtml(const std::string& address, int w, int h);
std::string MutedVideoHtml(const std::string& address, int w, int h);
}  // namespace medium_html

// The picture of a navigation button at its own size; the press handlers
// swap the normal and the selected picture with it.
std::string NaviButtonPictureHtml(const std::string& picture, int width, int height);
