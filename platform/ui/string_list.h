#pragma once
// An ordered list of texts: memo lines, combo and list box items, listings.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace plat::ui {

class StringList {
 public:
  StringList() = default;
  explicit StringList(std::vector<std::string> items) : items_(std::move(items)) {}

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  void Clear() { items_.clear(); }
  void Add(std::string_view s) { items_.emplace_back(s); }
  void Insert(int index, std::string_view s);
  void Delete(int index);
  // Index of the first item equal to s (exactly), -1 when absent.
  int IndexOf(std::string_view s) const;

  const std::string& operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
  std::string& operator[](int i) { return items_.at(static_cast<std::size_t>(i)); }

  // All items joined with CR LF after each (the VCL's Text).
  std::string Text() const;
  void SetText(std::string_view text);

  const std::vector<std::string>& Items() const { return items_; }
  std::vector<std::string>& Items() { return items_; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  bool operator==(const StringList& o) const { return items_ == o.items_; }

 private:
  std::vector<std::string> items_;
};

}  // namespace plat::ui
