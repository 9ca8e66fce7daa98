// NamedObjectList<T>: a list of names, each with an object slot, looked up by name without
// regard to letter case through a hash index. Entries keep the order they were added in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/widestring.h"

namespace s4 {

template <class T>
class NamedObjectList {
 public:
  struct Entry {
    std::u16string name;
    T object{};
  };

  // Adds a name; answers its index (a name already present keeps its first entry).
  std::size_t Add(std::u16string_view name, T object = T{}) {
    const std::u16string key = Fold(name);
    if (auto it = index_.find(key); it != index_.end()) return it->second;
    entries_.push_back(Entry{std::u16string(name), std::move(object)});
    index_.emplace(key, entries_.size() - 1);
    return entries_.size() - 1;
  }
  std::optional<std::size_t> IndexOf(std::u16string_view name) const {
    auto it = index_.find(Fold(name));
    if (it == index_.end()) return std::nullopt;
    return it->second;
  }
  Entry& operator[](std::size_t i) { return entries_[i]; }
  const Entry& operator[](std::size_t i) const { return entries_[i]; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  void clear() {
    entries_.clear();
    index_.clear();
  }

 private:
  static std::u16string Fold(std::u16string_view s) {
    std::u16string k(s);
    for (char16_t& c : k) c = FoldCase(c);
    return k;
  }
  std::vector<Entry> entries_;
  std::unordered_map<std::u16string, std::size_t> index_;
};

}  // namespace s4
