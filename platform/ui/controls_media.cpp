// Pictures and images.
#include "platform/ui/controls_media.h"

#include <algorithm>

#include "platform/ui/controls_util.h"
#include "platform/ui/picture.h"

namespace plat::ui {

// ---- picture and frames -------------------------------------------------------------------

void TPicture::LoadFromFile(std::string_view systemPath) {
  if (std::string address = ServedPictureAddress(systemPath); !address.empty()) {
    // The browser fetches it itself; the server only checks that it is a
    // picture and reads its size.
    const RgbaImage size = ReadPictureFileSize(systemPath);
    url_ = std::move(address);
    width_ = size.width;
    height_ = size.height;
  } else {
    PngPicture p = LoadPictureAsPng(systemPath, box_ ? box_() : PictureBox{});
    url_ = std::move(p.dataUri);
    width_ = p.sourceWidth;
    height_ = p.sourceHeight;
  }
  if (changed_) changed_();
}

void TPicture::Clear() {
  if (url_.empty()) return;
  url_.clear();
  width_ = height_ = 0;
  if (changed_) changed_();
}

void TPicture::SetUrl(std::string_view url) {
  if (url == url_) return;
  url_ = std::string(url);
  width_ = height_ = 0;
  if (changed_) changed_();
}

// The picture needs no more pixels than the image shows. An aligned image
// takes its size in the browser: it may grow up to a full screen.
TUniImage::TUniImage(Form* owner)
    : Control(owner), picture_([this] { MarkChanged("picture"); }, [this] {
        PictureBox box{Width(), Height(), Stretch(), Proportional(), Center()};
        if (GetAlign() != Align::None) {
          box.width = std::max(box.width, 1920);
          box.height = std::max(box.height, 1080);
        }
        return box;
      }) {}

bool TUniImage::TakeProp(std::string_view key, const Json& value) {
  if (key != "picture") return false;
  if (value.is_null())
    picture_.Clear();
  else if (value.is_string())
    picture_.SetUrl(value.get<std::string>());
  else
    throw UiError(Name() + ": picture must be an address");
  return true;
}

Json TUniImage::RenderProp(std::string_view key) const {
  if (key == "picture") return picture_.Url();
  return Control::RenderProp(key);
}

void TUniImage::RenderInto(Json& node) const {
  Control::RenderInto(node);
  if (!picture_.Empty()) node["p"]["picture"] = picture_.Url();
}

}  // namespace plat::ui
