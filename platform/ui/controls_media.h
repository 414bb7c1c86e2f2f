#pragma once
// What the screens show: labels (text, or HTML with pictures and videos),
// images and web frames.
#include <functional>
#include <string>
#include <string_view>

#include "platform/ui/component.h"
#include "platform/ui/control_font.h"
#include "platform/ui/picture.h"

namespace plat::ui {

enum TTextConversion { txtText, txtHTML };

// With html the caption is inserted as HTML, as it is (pictures, videos,
// frames): captions are application content, not user input.
#define TESS_LABEL_PROPERTIES(P)              \
  P(Text, Caption, "caption", )               \
  P(Bool, Html, "html", false)                \
  P(Bool, Transparent, "transparent", true)   \
  P(Bool, AutoSize, "autoSize", true)

class TUniLabel : public Control {
 public:
  explicit TUniLabel(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniLabel"; }
  TESS_PROPERTIES(Control, TESS_LABEL_PROPERTIES)
  TTextConversion TextConversion() const { return Html() ? txtHTML : txtText; }
  void SetTextConversion(TTextConversion t) { SetHtml(t == txtHTML); }
  ControlFont Font() { return ControlFont(*this); }
};

// The picture of a TUniImage: a design URL, or a file loaded on the server:
// one in a served folder is sent as its address, any other as a PNG data
// URI of no more pixels than its control can show.
class TPicture {
 public:
  explicit TPicture(std::function<void()> changed, std::function<PictureBox()> box = {})
      : changed_(std::move(changed)), box_(std::move(box)) {}
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;
  // JPEG and PNG files; raises PictureError (the picture then stays as it
  // was) for a file that cannot be read or decoded, naming the format of
  // BMP, GIF and other files that cannot be decoded.
  void LoadFromFile(std::string_view systemPath);
  void Clear();
  bool Empty() const { return url_.empty(); }
  int Width() const { return width_; }  // of a loaded file (its own size); 0 otherwise
  int Height() const { return height_; }
  const std::string& Url() const { return url_; }
  void SetUrl(std::string_view url);

 private:
  std::function<void()> changed_;
  std::function<PictureBox()> box_;
  std::string url_;
  int width_ = 0, height_ = 0;
};

// The picture is kept in the image's TPicture (a definition gives its
// address). The cursor is the mouse cursor over the image (crHandPoint).
#define TESS_IMAGE_PROPERTIES(P)                \
  P(Key, Picture, "picture", )                  \
  P(Bool, Stretch, "stretch", false)            \
  P(Bool, Proportional, "proportional", false)  \
  P(Bool, Center, "center", false)              \
  P(Key, Cursor, "cursor", )

class TUniImage : public Control {
 public:
  explicit TUniImage(Form* owner);
  const char* ClassName() const override { return "TUniImage"; }
  TESS_PROPERTIES(Control, TESS_IMAGE_PROPERTIES)
  TPicture& Picture() { return picture_; }
  const TPicture& Picture() const { return picture_; }

  Json RenderProp(std::string_view key) const override;

 protected:
  bool TakeProp(std::string_view key, const Json& value) override;
  void RenderInto(Json& node) const override;

 private:
  TPicture picture_;
};

// The frame shows its address, or its HTML while it has no address.
#define TESS_URL_FRAME_PROPERTIES(P) \
  P(Text, URL, "url", )              \
  P(Text, HTML, "html", )

class TUniURLFrame : public Control {
 public:
  explicit TUniURLFrame(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniURLFrame"; }
  TESS_PROPERTIES(Control, TESS_URL_FRAME_PROPERTIES)
  // Makes the browser load the address again (also when it is unchanged).
  void Reload() { MarkChanged("url"); }
};

#define TESS_HTML_FRAME_PROPERTIES(P) P(Text, HTML, "html", )

class TUniHTMLFrame : public Control {
 public:
  explicit TUniHTMLFrame(Form* owner) : Control(owner) {}
  const char* ClassName() const override { return "TUniHTMLFrame"; }
  TESS_PROPERTIES(Control, TESS_HTML_FRAME_PROPERTIES)
};

}  // namespace plat::ui
