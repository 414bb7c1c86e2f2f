#include "platform/ui/controls_util.h"

#include <cmath>
#include <limits>

#include "platform/ui/controls_nonvisual.h"
#include "platform/ui/form.h"

namespace plat::ui::detail {

bool Refused(const Component& c, const Json& event, const std::string& why) {
  LogRefusedEvent(c.Stream(), event, c.Name() + ": " + why);
  return true;
}

bool IntValue(const Json& v, int& out) {
  if (v.is_number_integer()) {
    long long n = v.get<long long>();
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max()) return false;
    out = static_cast<int>(n);
    return true;
  }
  if (v.is_number_float()) {
    double d = v.get<double>();
    if (!std::isfinite(d) || d != std::floor(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
      return false;
    out = static_cast<int>(d);
    return true;
  }
  return false;
}

bool IntMember(const Json& event, const char* key, int& out) {
  auto it = event.find(key);
  return it != event.end() && IntValue(*it, out);
}

const Json* ChangeOf(const std::string& type, const Json& event, std::string_view p) {
  if (type != "change") return nullptr;
  auto pit = event.find("p");
  if (pit == event.end() || !pit->is_string() || pit->get_ref<const std::string&>() != p) return nullptr;
  auto vit = event.find("v");
  static const Json kNull;
  return vit == event.end() ? &kNull : &*vit;
}

std::string ScalarText(const Json& v) {
  if (v.is_string()) return v.get<std::string>();
  if (v.is_null()) return {};
  return v.dump();
}

const TUniCustomImageList* FindImageList(const Component& c, const std::string& name) {
  if (name.empty() || !c.Owner()) return nullptr;
  return dynamic_cast<const TUniCustomImageList*>(c.Owner()->FindComponent(name));
}

}  // namespace plat::ui::detail
