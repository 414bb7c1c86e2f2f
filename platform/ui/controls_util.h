#pragma once
// Helpers shared by the control implementations (not for application code).
#include <string>
#include <string_view>

#include "platform/ui/component.h"

namespace plat::ui {
class TUniCustomImageList;
}

namespace plat::ui::detail {

// Logs a browser event a control refuses, as the session logs the events it
// refuses itself. Returns true: the event was dealt with.
bool Refused(const Component& c, const Json& event, const std::string& why);

// Text of a JSON scalar as a definition may write it (ids as numbers or
// text).
std::string ScalarText(const Json& v);

// An integer member of a browser event (a whole number in any JSON form).
bool IntMember(const Json& event, const char* key, int& out);
bool IntValue(const Json& v, int& out);

// The "v" of a change event for property `p`, or nullptr when the event is
// no change of that property.
const Json* ChangeOf(const std::string& type, const Json& event, std::string_view p);

// The children of a control that are of class Item: how many, and the
// index-th of them (nullptr when there is none).
template <typename Item>
int CountChildren(const Control& parent) {
  int n = 0;
  for (const Control* c : parent.Children())
    if (dynamic_cast<const Item*>(c)) ++n;
  return n;
}
template <typename Item>
Item* NthChild(const Control& parent, int index) {
  if (index < 0) return nullptr;
  for (Control* c : parent.Children())
    if (auto* item = dynamic_cast<Item*>(c))
      if (index-- == 0) return item;
  return nullptr;
}

// The image list a control names by its "images" property, among the
// components of its form.
const TUniCustomImageList* FindImageList(const Component& c, const std::string& name);

}  // namespace plat::ui::detail
