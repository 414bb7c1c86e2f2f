#include "platform/ui/properties.h"

namespace plat::ui {

bool PropertyTable::Accepts(std::string_view key) const {
  for (const PropertyTable* t = this; t; t = t->base_)
    for (const Property& p : t->own_)
      if (p.key == key) return p.use != PropertyUse::Sent;
  return false;
}

}  // namespace plat::ui
