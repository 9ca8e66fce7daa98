// NamedObjectList<T>: a list of names, each with an object slot, looked up by name without
// regard to letter case through a hash index. Entries keep the order they were added in.
//
// The index is an open-addressing table of entry numbers over the entries' folded hashes, so
// that adding a name costs no allocation beyond the entry itself; the driver's boundary-scan
// caches add thousands of names in one go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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
    const std::size_t h = Hash(name);
    if (const auto found = Find(name, h)) return *found;
    Reserve(entries_.size() + 1);
    entries_.push_back(Entry{std::u16string(name), std::move(object)});
    hashes_.push_back(h);
    Place(entries_.size() - 1);
    return entries_.size() - 1;
  }
  // Makes room for `n` entries in all, so that filling a list in one go does not rehash.
  void Reserve(std::size_t n) {
    entries_.reserve(n);
    hashes_.reserve(n);
    if (2 * n <= slots_.size()) return;
    std::size_t size = 16;
    while (size < 2 * n) size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < entries_.size(); ++i) Place(i);
  }
  std::optional<std::size_t> IndexOf(std::u16string_view name) const { return Find(name, Hash(name)); }
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
    hashes_.clear();
    slots_.clear();
  }

 private:
  // FNV-1a over the folded code units.
  static std::size_t Hash(std::u16string_view s) {
    std::uint64_t h = 14695981039346656037ull;
    for (char16_t c : s) {
      h ^= static_cast<std::uint16_t>(FoldCase(c));
      h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
  std::optional<std::size_t> Find(std::u16string_view name, std::size_t h) const {
    if (slots_.empty()) return std::nullopt;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
      const std::uint32_t s = slots_[i];
      if (s == 0) return std::nullopt;
      const std::size_t e = s - 1;
      if (hashes_[e] == h && EqualsIgnoreCase(entries_[e].name, name)) return e;
    }
  }
  void Place(std::size_t entry) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hashes_[entry] & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = static_cast<std::uint32_t>(entry + 1);
  }

  std::vector<Entry> entries_;
  std::vector<std::size_t> hashes_;   // folded hash of each entry's name
  std::vector<std::uint32_t> slots_;  // 0 empty, else entry index + 1; at most half full
};

}  // namespace s4
