// libFuzzer target for the parameter-string format. Built only with -DS4_FUZZ=ON and clang:
//
//   cmake -S . -B build-fuzz -G Ninja -DS4_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
//   ninja -C build-fuzz fuzz_parameter_list && build-fuzz/host/fuzz_parameter_list -runs=1000000
//
// Properties checked for every input:
//   1. reading any text never crashes;
//   2. what was read, written and read again gives the same names and values;
//   3. a list built from arbitrary names and values, separators included, reads back as the
//      same entries: one per name that is not blank, with the trimmed name and value in which
//      "|" reads as U+00A6 and "=" in a name as U+2261 -- what the list itself holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/parameter_list.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool SameItems(const s4::TParameterList& a, const s4::TParameterList& b) {
  if (a.Count() != b.Count()) return false;
  for (std::size_t i = 0; i < a.Count(); ++i)
    if (a.Item(i).Name() != b.Item(i).Name() || a.Item(i).Value() != b.Item(i).Value()) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The input as UTF-16 units, two bytes each, plus a byte-per-unit reading so that short
  // ASCII-like inputs reach the separators often.
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < size; i += 2) wide += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  std::u16string narrow(data, data + size);

  for (const std::u16string* text : {&wide, &narrow}) {
    s4::TParameterList first;
    first.SetState(*text);
    s4::TParameterList second;
    second.SetState(first.GetState());
    Check(SameItems(first, second));
    for (std::size_t i = 0; i < first.Count(); ++i) {
      const s4::TParameter* p = first.GetState_ParameterByName(first.Item(i).Name());
      Check(p != nullptr);
      std::int32_t v32 = 0;
      std::int64_t v64 = 0;
      float f = 0;
      bool b = false;
      first.GetState_ParameterAsInteger(p->Name(), v32);
      first.GetState_ParameterAsInt64(p->Name(), v64);
      first.GetState_ParameterAsReal(p->Name(), f);
      Check(first.GetState_ParameterAsBoolean(p->Name(), b));
    }
    std::u16string value;
    s4::GetParameterFromString(*text, u"Action", value);
  }

  // Names and values cut from the input at byte 0x00, separators and all.
  s4::TParameterList built;
  std::vector<std::pair<std::u16string, std::u16string>> expected;
  std::u16string name, current;
  bool inValue = false;
  auto substituted = [](std::u16string_view text, bool isName) {
    std::u16string t(s4::TrimParameterText(text));
    for (char16_t& c : t) {
      if (c == u'|') c = u'\u00A6';
      else if (isName && c == u'=') c = u'\u2261';
    }
    return t;
  };
  auto flush = [&] {
    built.SetState_AddParameter(name, current);
    if (!s4::TrimParameterText(name).empty()) expected.emplace_back(substituted(name, true), substituted(current, false));
    name.clear();
    current.clear();
  };
  for (char16_t c : narrow) {
    if (c == 0) {
      if (inValue) flush();
      inValue = !inValue;
      if (inValue) name.swap(current);
      continue;
    }
    current += c;
  }
  if (inValue) flush();
  s4::TParameterList back;
  back.SetState(built.GetState());
  Check(back.Count() == expected.size());
  Check(SameItems(back, built));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    Check(back.Item(i).Name() == expected[i].first);
    Check(back.Item(i).Value() == expected[i].second);
  }
  return 0;
}
