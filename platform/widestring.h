// WideString: an owned BSTR, the module's string type at the COM boundary.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/com.h"

namespace s4 {

class WideString {
 public:
  WideString() = default;
  WideString(std::u16string_view text);  // NOLINT(google-explicit-constructor): strings convert freely
  WideString(const char16_t* text) : WideString(std::u16string_view(text)) {}
  WideString(const std::u16string& text) : WideString(std::u16string_view(text)) {}
  WideString(const WideString& o) : WideString(o.view()) {}
  WideString(WideString&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  WideString& operator=(WideString o) noexcept {
    std::swap(b_, o.b_);
    return *this;
  }
  ~WideString() { SysFreeString(b_); }

  // Takes over a BSTR the caller owns.
  static WideString Adopt(BSTR b) {
    WideString w;
    w.b_ = b;
    return w;
  }
  BSTR detach() { return std::exchange(b_, nullptr); }
  BSTR get() const { return b_; }

  std::u16string_view view() const { return BstrView(b_); }
  std::u16string str() const { return std::u16string(view()); }
  std::size_t size() const { return view().size(); }
  bool empty() const { return size() == 0; }

  friend bool operator==(const WideString& a, std::u16string_view b) { return a.view() == b; }

 private:
  BSTR b_ = nullptr;  // null is the empty string
};

// UTF-8 <-> UTF-16 for the command line and files; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);

// Letter case is ignored in name look-ups: ASCII letters fold, others compare as they are.
char16_t FoldCase(char16_t c);
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

}  // namespace s4
