#include "host/parameter_list.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/widestring.h"

namespace s4 {

std::u16string_view TrimParameterText(std::u16string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return s.substr(b, e - b);
}

namespace {
// What the format cannot carry is replaced when stored, so that whatever the module writes
// reads back as the same entries: "|" (which would end the entry) by the broken bar, and in a
// name "=" (which would end the name) by the identical-to sign. Both are ordinary characters
// to every reader of the format.
constexpr char16_t kBarSubstitute = u'\u00A6';     // broken bar
constexpr char16_t kEqualsSubstitute = u'\u2261';  // identical to

std::u16string StoredText(std::u16string_view text, bool isName) {
  std::u16string s(TrimParameterText(text));
  for (char16_t& c : s) {
    if (c == u'|') c = kBarSubstitute;
    else if (isName && c == u'=') c = kEqualsSubstitute;
  }
  return s;
}
}  // namespace

std::u16string StoredParameterName(std::u16string_view name) { return StoredText(name, true); }
std::u16string StoredParameterValue(std::u16string_view value) { return StoredText(value, false); }

TParameter::TParameter(std::u16string_view name, std::u16string_view value)
    : FName(StoredParameterName(name)), FValue(StoredParameterValue(value)) {}
void TParameter::SetName(std::u16string_view name) { FName = StoredParameterName(name); }
void TParameter::SetValue(std::u16string_view value) { FValue = StoredParameterValue(value); }

// ---- Reading and writing the text ---------------------------------------------------------

void TParameterList::SetState(std::u16string_view s) {
  ClearAllParameters();
  std::size_t entryStart = 0;
  std::size_t valueStart = 0;
  bool inValue = false;
  std::u16string_view name;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    const bool end = i == s.size();
    const char16_t c = end ? u'\0' : s[i];
    if (!end && c == u'=' && !inValue) {
      name = s.substr(entryStart, i - entryStart);
      valueStart = i + 1;
      inValue = true;
    } else if (end || c == u'|') {
      // An entry without "=" has no value and is dropped.
      if (inValue) SetState_AddParameter(name, s.substr(valueStart, i - valueStart));
      inValue = false;
      entryStart = i + 1;
    }
  }
}

void TParameterList::SetState_FromString(std::string_view s) { SetState(Utf8ToUtf16(s)); }

std::u16string TParameterList::GetState() const {
  std::u16string out;
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    if (i) out += u'|';
    out += FItems[i]->Name();
    out += u'=';
    out += FItems[i]->Value().empty() ? std::u16string(u" ") : FItems[i]->Value();
  }
  return out;
}

std::string TParameterList::GetState_ToString() const { return Utf16ToUtf8(GetState()); }

// ---- Items --------------------------------------------------------------------------------

const TParameter* TParameterList::GetState_ParameterByName(std::u16string_view name) const {
  const std::u16string key = StoredParameterName(name);
  for (const auto& p : FItems)
    if (EqualsIgnoreCase(p->Name(), key)) return p.get();
  return nullptr;
}

bool TParameterList::SetState_RemoveByName(std::u16string_view name) {
  const std::u16string key = StoredParameterName(name);
  for (auto it = FItems.begin(); it != FItems.end(); ++it) {
    if (EqualsIgnoreCase((*it)->Name(), key)) {
      FItems.erase(it);
      return true;
    }
  }
  return false;
}

void TParameterList::SetState_AddParameter(std::u16string_view name, std::u16string_view value) {
  if (TrimParameterText(name).empty()) return;
  FItems.push_back(std::make_unique<TParameter>(name, value));
}

void TParameterList::SetState_AddParameterAsBoolean(std::u16string_view name, bool value) {
  SetState_AddParameter(name, value ? u"True" : u"False");
}
void TParameterList::SetState_AddParameterAsInteger(std::u16string_view name, std::int32_t value) {
  SetState_AddParameterAsInt64(name, value);
}
void TParameterList::SetState_AddParameterAsInt64(std::u16string_view name, std::int64_t value) {
  SetState_AddParameter(name, Utf8ToUtf16(std::to_string(value)));
}
void TParameterList::SetState_AddParameterAsDouble(std::u16string_view name, double value) {
  SetState_AddParameter(name, FormatParameterDouble(value));
}

// ---- Typed reads --------------------------------------------------------------------------

bool TParameterList::GetState_ParameterAsString(std::u16string_view name, std::u16string& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  value = p ? p->Value() : std::u16string();
  return p != nullptr;
}

namespace {
char16_t g_emptyPChar[1] = {u'\0'};
}

bool TParameterList::GetState_ParameterAsPChar(std::u16string_view name, char16_t*& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  if (!p) {
    value = g_emptyPChar;
    return false;
  }
  value = new char16_t[p->Value().size() + 1];
  p->Value().copy(value, p->Value().size());
  value[p->Value().size()] = u'\0';
  return true;
}

void ReleaseParameterPChar(char16_t* value) {
  if (value != g_emptyPChar) delete[] value;
}

bool TParameterList::GetState_ParameterAsLongInt(std::u16string_view name, std::int32_t& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  std::int64_t v = 0;
  if (!p || !ParseParameterInt64(p->Value(), v)) return false;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
    // Hexadecimal texts of up to eight digits name the 32 bits as they lie ("$FFFFFFFF" is -1).
    const std::u16string_view t = p->Value();
    const bool hex = !t.empty() && (t[0] == u'$' || (t.size() > 1 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')));
    if (!hex || v < 0 || v > 0xFFFFFFFFll) return false;
    v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  value = static_cast<std::int32_t>(v);
  return true;
}

bool TParameterList::GetState_ParameterAsSmallInt(std::u16string_view name, std::int16_t& value) const {
  std::int32_t v = 0;
  if (!GetState_ParameterAsLongInt(name, v)) return false;
  value = static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
  return true;
}
bool TParameterList::GetState_ParameterAsWord(std::u16string_view name, std::uint16_t& value) const {
  std::int32_t v = 0;
  if (!GetState_ParameterAsLongInt(name, v)) return false;
  value = static_cast<std::uint16_t>(v);
  return true;
}
bool TParameterList::GetState_ParameterAsByte(std::u16string_view name, std::uint8_t& value) const {
  std::int32_t v = 0;
  if (!GetState_ParameterAsLongInt(name, v)) return false;
  value = static_cast<std::uint8_t>(v);
  return true;
}

bool TParameterList::GetState_ParameterAsInt64(std::u16string_view name, std::int64_t& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  std::int64_t v = 0;
  if (!p || !ParseParameterInt64(p->Value(), v)) return false;
  value = v;
  return true;
}

bool TParameterList::GetState_ParameterAsBoolean(std::u16string_view name, bool& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  if (!p) return false;
  value = EqualsIgnoreCase(TrimParameterText(p->Value()), u"True");
  return true;
}

bool TParameterList::GetState_ParameterAsWordBool(std::u16string_view name, std::int16_t& value) const {
  bool b = false;
  if (!GetState_ParameterAsBoolean(name, b)) return false;
  value = b ? std::int16_t(-1) : std::int16_t(0);
  return true;
}

bool TParameterList::GetState_ParameterAsReal(std::u16string_view name, float& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  double d = 0;
  if (!p || !ParseParameterDouble(p->Value(), d)) return false;
  if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) return false;
  value = static_cast<float>(d);
  return true;
}

bool TParameterList::GetState_ParameterAsDouble(std::u16string_view name, double& value) const {
  const TParameter* p = GetState_ParameterByName(name);
  if (!p) return false;
  double d = 0;
  if (!ParseParameterDouble(p->Value(), d))
    throw std::invalid_argument("'" + Utf16ToUtf8(p->Value()) + "' is not a valid floating point value");
  value = d;
  return true;
}

// ---- Conversions --------------------------------------------------------------------------

namespace {
// ASCII-only copy; false when the text holds anything else (no number does).
bool Narrow(std::u16string_view s, std::string& out) {
  out.clear();
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c > 0x7F) return false;
    out += static_cast<char>(c);
  }
  return true;
}
}  // namespace

bool ParseParameterInt64(std::u16string_view text, std::int64_t& value) {
  std::string s;
  if (!Narrow(TrimParameterText(text), s) || s.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t magnitude = 0;
  const char* first = s.data() + i;
  const char* last = s.data() + s.size();
  auto [ptr, ec] = std::from_chars(first, last, magnitude, base);
  if (ec != std::errc() || ptr != last) return false;
  if (base == 16 && !negative) {
    // Sixteen hexadecimal digits name the 64 bits as they lie.
    value = static_cast<std::int64_t>(magnitude);
    return true;
  }
  constexpr std::uint64_t kMaxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
  if (negative) {
    if (magnitude > kMaxPositive + 1) return false;
    value = magnitude == kMaxPositive + 1 ? std::numeric_limits<std::int64_t>::min()
                                          : -static_cast<std::int64_t>(magnitude);
  } else {
    if (magnitude > kMaxPositive) return false;
    value = static_cast<std::int64_t>(magnitude);
  }
  return true;
}

bool ParseParameterDouble(std::u16string_view text, double& value) {
  std::string s;
  if (!Narrow(TrimParameterText(text), s) || s.empty()) return false;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;
  if (first == last || *first == '+') return false;
  double d = 0;
  auto [ptr, ec] = std::from_chars(first, last, d, std::chars_format::general);
  if (ec != std::errc() || ptr != last || !std::isfinite(d)) return false;
  value = d;
  return true;
}

std::u16string FormatParameterDouble(double value) {
  if (std::isnan(value)) return u"NAN";
  if (std::isinf(value)) return value > 0 ? u"INF" : u"-INF";
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  std::string s(buf, ec == std::errc() ? ptr : buf);
  // The exponent is written as "E" with its sign only when negative and no leading zeros:
  // 1E20, 1E-5.
  const auto e = s.find('e');
  if (e != std::string::npos) {
    std::string mantissa = s.substr(0, e);
    std::string exp = s.substr(e + 1);
    bool negative = false;
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) {
      negative = exp[0] == '-';
      exp.erase(0, 1);
    }
    while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
    s = mantissa + "E" + (negative ? "-" : "") + exp;
  }
  return Utf8ToUtf16(s);
}

// ---- One-text reader ----------------------------------------------------------------------

bool GetParameterFromString(std::u16string_view s, std::u16string_view name, std::u16string& value) {
  value.clear();
  if (s.empty()) return false;
  // The parsed list of the last text; created on first use and released at unload.
  static TParameterList list;
  static std::u16string parsedText;
  static bool parsed = false;
  if (!parsed || parsedText != s) {
    list.SetState(s);
    parsedText.assign(s);
    parsed = true;
  }
  return list.GetState_ParameterAsString(name, value);
}

}  // namespace s4
