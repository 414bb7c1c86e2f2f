#include "platform/ui/control_font.h"

#include "platform/ui/controls_util.h"

namespace plat::ui {

Json ControlFont::Get() const {
  const Json& f = control_.Prop("font");
  return f.is_object() ? f : Json::object();
}

void ControlFont::Put(const char* key, Json value) {
  Json f = Get();
  f[key] = std::move(value);
  control_.SetProp("font", std::move(f));
}

std::string ControlFont::Name() const {
  Json f = Get();
  auto it = f.find("name");
  return it != f.end() && it->is_string() ? it->get<std::string>() : std::string();
}
void ControlFont::SetName(std::string_view name) { Put("name", std::string(name)); }

int ControlFont::Size() const {
  Json f = Get();
  int v = 0;
  auto it = f.find("size");
  return it != f.end() && detail::IntValue(*it, v) ? v : 0;
}
void ControlFont::SetSize(int size) { Put("size", size); }

int ControlFont::Color() const {
  Json f = Get();
  int v = -1;
  auto it = f.find("color");
  return it != f.end() && detail::IntValue(*it, v) ? v : -1;
}
void ControlFont::SetColor(int color) { Put("color", color); }

bool ControlFont::Bold() const {
  Json f = Get();
  auto it = f.find("bold");
  return it != f.end() && it->is_boolean() && it->get<bool>();
}
void ControlFont::SetBold(bool bold) { Put("bold", bold); }

bool ControlFont::Italic() const {
  Json f = Get();
  auto it = f.find("italic");
  return it != f.end() && it->is_boolean() && it->get<bool>();
}
void ControlFont::SetItalic(bool italic) { Put("italic", italic); }

}  // namespace plat::ui
