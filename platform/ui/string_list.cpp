#include "platform/ui/string_list.h"

#include <stdexcept>

#include "platform/io/text_file.h"

namespace plat::ui {

void StringList::Insert(int index, std::string_view s) {
  if (index < 0 || index > Count()) throw std::out_of_range("list index out of bounds");
  items_.insert(items_.begin() + index, std::string(s));
}

void StringList::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("list index out of bounds");
  items_.erase(items_.begin() + index);
}

int StringList::IndexOf(std::string_view s) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == s) return static_cast<int>(i);
  return -1;
}

std::string StringList::Text() const {
  std::string out;
  for (const auto& s : items_) {
    out += s;
    out += "\r\n";
  }
  return out;
}

void StringList::SetText(std::string_view text) { items_ = io::SplitLines(text); }

}  // namespace plat::ui
