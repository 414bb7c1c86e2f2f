#pragma once
// The font property of a control ({name, size, color, bold, italic}), as
// the classes that have a font offer it (label->Font().SetSize(40)).
#include <string>
#include <string_view>

#include "platform/ui/component.h"

namespace plat::ui {

class ControlFont {
 public:
  explicit ControlFont(Control& control) : control_(control) {}
  std::string Name() const;
  void SetName(std::string_view name);
  int Size() const;  // 0 = the theme's
  void SetSize(int size);
  int Color() const;  // VCL colour, -1 = the theme's
  void SetColor(int color);
  bool Bold() const;
  void SetBold(bool bold);
  bool Italic() const;
  void SetItalic(bool italic);

 private:
  Json Get() const;
  void Put(const char* key, Json value);
  Control& control_;
};

}  // namespace plat::ui
