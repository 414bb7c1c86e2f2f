// Browser timers and image lists.
#include "platform/ui/controls_nonvisual.h"

#include "platform/ui/controls_util.h"
#include "platform/ui/form.h"

namespace plat::ui {

// ---- timer ------------------------------------------------------------------------------------

TUniTimer::TUniTimer(Form* owner) : Control(owner) { RegisterEvent("OnTimer", &OnTimer); }

bool TUniTimer::AcceptsBrowserEvents() const {
  // Not a visual control: where it sits on the form does not matter.
  return Running() && Owner() && Owner()->IsShown();
}

bool TUniTimer::HandleBrowserEvent(const std::string& type, const Json&) {
  if (type != "timer") return false;
  OnTimer(this);
  return true;
}

bool TUniTimer::TakeProp(std::string_view key, const Json& value) {
  // The browser runs a timer only with a positive interval; when a new
  // interval starts or stops it, "enabled" goes out too.
  if (key == "interval") {
    int ms = 0;
    const bool runs = Enabled() && detail::IntValue(value, ms) && ms > 0;
    if (runs != Running()) MarkChanged("enabled");
  }
  return false;
}

Json TUniTimer::RenderProp(std::string_view key) const {
  if (key == "enabled") return Running();
  if (key == "interval") return Interval();
  return Control::RenderProp(key);
}

void TUniTimer::RenderInto(Json& node) const {
  Control::RenderInto(node);
  node["p"]["interval"] = Interval();
  node["p"]["enabled"] = Running();
}

// ---- image lists --------------------------------------------------------------------------------

int TUniCustomImageList::Add(std::string_view image) {
  Json images = Prop("images").is_array() ? Prop("images") : Json::array();
  images.push_back(std::string(image));
  const int index = static_cast<int>(images.size()) - 1;
  SetProp("images", std::move(images));
  return index;
}

int TUniCustomImageList::Count() const {
  const Json& images = Prop("images");
  return images.is_array() ? static_cast<int>(images.size()) : 0;
}

std::string TUniCustomImageList::Image(int index) const {
  const Json& images = Prop("images");
  if (!images.is_array() || index < 0 || index >= static_cast<int>(images.size())) return {};
  return detail::ScalarText(images[static_cast<std::size_t>(index)]);
}

}  // namespace plat::ui
