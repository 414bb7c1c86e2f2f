// The HTML templates of the display's media and navigation buttons.
#include "display/MediumHtml.h"

namespace medium_html {

std::string PictureHtml(const std::string& address, int w, int h) {
  return "<div><img src=\"" + address + "\" alt=\"Logo\"  style=\"width:" + std::to_string(w) + "px;height:" +
         std::to_string(h) + "px\" class=\"contain\"/></div>";
}

std::string GifHtml(const std::string& address, int w, int h) {
  return "<img src=\"" + address + "\" alt=\"bild\" style=\"width:" + std::to_string(w) + ";height:" +
         std::to_string(h) + "px;\">";
}

std::string IframeHtml(const std::string& address, int w, int h) {
  return "<iframe src=\"" + address + "\" scrolling=\"no\" style=\"border:0px\"  height=\"" + std::to_string(h) +
         "\" width=\"" + std::to_string(w) + "\"></iframe>";
}

std::string VideoHtml(const std::string& address, int w, int h) {
  return "<video id=\"video\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
         "\" autoplay source src=\"" + address + "\"  type=\"video/mp4\" ></video>";
}

std::string MutedVideoHtml(const std::string& address, int w, int h) {
  return "<video id=\"video\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) +
         "\" autoplay muted source src=\"" + address + "\"></video>";
}

}  // namespace medium_html

std::string NaviButtonPictureHtml(const std::string& picture, int width, int height) {
  return "<img src=\"" + picture + "\" alt=\"" + picture + "\" width=\"" + std::to_string(width) + "\" height=\"" +
         std::to_string(height) + "\"  >";
}
