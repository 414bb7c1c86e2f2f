// The HTML templates of the display's media and navigation buttons.
#include "display/MediumHtml.h"

#include <cctype>

#include "platform/ui/escape.h"

namespace medium_html {

std::string MediaAddress(std::string_view address) {
  // An absolute address (a scheme of two letters or more, or "//host")
  // is the author's; a one-letter "scheme" would be a drive letter.
  std::size_t colon = address.find(':');
  bool absolute = address.starts_with("//");
  if (colon != std::string_view::npos && colon >= 2 && std::isalpha(static_cast<unsigned char>(address[0]))) {
    absolute = true;
    for (std::size_t i = 1; i < colon && absolute; ++i) {
      const auto c = static_cast<unsigned char>(address[i]);
      absolute = std::isalnum(c) || c == '+' || c == '-' || c == '.';
    }
  }
  if (absolute) return std::string(address);
  // A file name of the library: what a browser would read as part of the
  // address syntax ("#", "%", blanks) or cannot take raw (umlauts) is
  // percent-encoded. Slashes and backslashes stay separators, a "?" starts
  // a query as the author wrote it.
  return plat::ui::PercentEncode(address, "/\\!$&'()*+,;=:@?");
}

// The templates take the address as it goes into the attribute; every one
// is escaped there, so no address can leave its attribute.
std::string PictureHtml(const std::string& address, int w, int h) {
  return "<div><img src=\"" + plat::ui::EscapeHtml(address) + "\" alt=\"Logo\"  style=\"width:" +
         std::to_string(w) + "px;height:" + std::to_string(h) + "px\" class=\"contain\"/></div>";
}

std::string GifHtml(const std::string& address, int w, int h) {
  return "<img src=\"" + plat::ui::EscapeHtml(address) + "\" alt=\"bild\" style=\"width:" + std::to_string(w) +
         ";height:" + std::to_string(h) + "px;\">";
}

std::string IframeHtml(const std::string& address, int w, int h) {
  return "<iframe src=\"" + plat::ui::EscapeHtml(address) + "\" scrolling=\"no\" style=\"border:0px\"  height=\"" +
         std::to_string(h) + "\" width=\"" + std::to_string(w) + "\"></iframe>";
}

std::string VideoHtml(const std::string& address, int w, int h) {
  return "<video id=\"video\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
         "\" autoplay source src=\"" + plat::ui::EscapeHtml(address) + "\"  type=\"video/mp4\" ></video>";
}

std::string MutedVideoHtml(const std::string& address, int w, int h) {
  return "<video id=\"video\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
         "\" autoplay muted source src=\"" + plat::ui::EscapeHtml(address) + "\"></video>";
}

}  // namespace medium_html

std::string NaviButtonPictureHtml(const std::string& picture, int width, int height) {
  return "<img src=\"" + plat::ui::EscapeHtml(medium_html::MediaAddress(picture)) + "\" alt=\"" +
         plat::ui::EscapeHtml(picture) + "\" width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\"  >";
}
