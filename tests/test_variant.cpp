// VARIANT coercion as the dispatch layer relies on it. Under Windows these run against the
// system's automation library, so the table doubles as a check that our own implementation
// answers the same.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/variant.h"
#include "platform/widestring.h"

namespace s4 {
namespace {

struct Coercion {
  const char* what;
  Variant from;
  VARTYPE to;
  HRESULT hr;
  const char* text;  // expected value rendered by DescribeValue, when hr succeeds
};

std::string Render(const Variant& v) { return VarTypeName(v.vt()) + " " + DescribeValue(v.raw()); }

TEST(VariantChangeType, NumbersTextBooleans) {
  const Coercion cases[] = {
      {"I4 to text", Variant(std::int32_t(-42)), VT_BSTR, S_OK, "VT_BSTR \"-42\""},
      {"I8 to text", Variant(std::int64_t(1) << 40), VT_BSTR, S_OK, "VT_BSTR \"1099511627776\""},
      {"R8 to text", Variant(1.5), VT_BSTR, S_OK, "VT_BSTR \"1.5\""},
      {"bool to text", Variant(true), VT_BSTR, S_OK, "VT_BSTR \"-1\""},
      {"text to I4", Variant(u" 12 "), VT_I4, S_OK, "VT_I4 12 (0x0000000C)"},
      {"negative text to I4", Variant(u"-7"), VT_I4, S_OK, "VT_I4 -7 (0xFFFFFFF9)"},
      {"hex text to I4", Variant(u"&H1F"), VT_I4, S_OK, "VT_I4 31 (0x0000001F)"},
      {"fraction rounds to even", Variant(u"2.5"), VT_I4, S_OK, "VT_I4 2 (0x00000002)"},
      {"R8 rounds to even", Variant(3.5), VT_I4, S_OK, "VT_I4 4 (0x00000004)"},
      {"text not a number", Variant(u"abc"), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
      {"empty text", Variant(u""), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
      {"text too large for I4", Variant(u"99999999999"), VT_I4, DISP_E_OVERFLOW, nullptr},
      {"I8 too large for I4", Variant(std::int64_t(1) << 40), VT_I4, DISP_E_OVERFLOW, nullptr},
      {"I4 to I8", Variant(std::int32_t(-1)), VT_I8, S_OK, "VT_I8 -1"},
      {"text to I8", Variant(u"1099511627776"), VT_I8, S_OK, "VT_I8 1099511627776"},
      {"bool to I4", Variant(true), VT_I4, S_OK, "VT_I4 -1 (0xFFFFFFFF)"},
      {"I4 to bool", Variant(std::int32_t(5)), VT_BOOL, S_OK, "VT_BOOL True"},
      {"zero to bool", Variant(std::int32_t(0)), VT_BOOL, S_OK, "VT_BOOL False"},
      {"text true to bool", Variant(u"True"), VT_BOOL, S_OK, "VT_BOOL True"},
      {"text false to bool", Variant(u"false"), VT_BOOL, S_OK, "VT_BOOL False"},
      {"numeric text to bool", Variant(u"0"), VT_BOOL, S_OK, "VT_BOOL False"},
      {"empty to I4", Variant(), VT_I4, S_OK, "VT_I4 0 (0x00000000)"},
      {"empty to text", Variant(), VT_BSTR, S_OK, "VT_BSTR \"\""},
      {"null to I4", Variant::OfType(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH, nullptr},
      {"null to text", Variant::OfType(VT_NULL), VT_BSTR, DISP_E_TYPEMISMATCH, nullptr},
      {"null object to I4", Variant::Dispatch(nullptr), VT_I4, DISP_E_BADVARTYPE, nullptr},
      {"null object to text", Variant::Dispatch(nullptr), VT_BSTR, DISP_E_BADVARTYPE, nullptr},
  };
  for (const auto& c : cases) {
    Variant out;
    const HRESULT hr = VariantChangeType(out.get(), &c.from.raw(), 0, c.to);
    EXPECT_EQ(hr, c.hr) << c.what << ": " << HresultName(hr);
    if (SUCCEEDED(c.hr) && SUCCEEDED(hr)) {
      EXPECT_EQ(Render(out), c.text) << c.what;
    }
  }
}

TEST(VariantChangeType, ThroughReferences) {
  std::int32_t i = 77;
  Variant ref = Variant::OfType(VT_I4 | VT_BYREF);
  ref.get()->plVal = reinterpret_cast<LONG*>(&i);
  Variant out;
  ASSERT_EQ(VariantChangeType(out.get(), &ref.raw(), 0, VT_BSTR), S_OK);
  EXPECT_EQ(Render(out), "VT_BSTR \"77\"");

  Variant inner(u"123");
  Variant byVariant = Variant::OfType(VT_VARIANT | VT_BYREF);
  byVariant.get()->pvarVal = inner.get();
  ASSERT_EQ(VariantChangeType(out.get(), &byVariant.raw(), 0, VT_I4), S_OK);
  EXPECT_EQ(Render(out), "VT_I4 123 (0x0000007B)");
  ref.detach();  // references own nothing
  byVariant.detach();
}

// An array is no scalar, whether the VARIANT holds it or refers to it; a reference needs a
// target.
TEST(VariantChangeType, ArraysAndEmptyReferences) {
#if defined(_WIN32)
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  ASSERT_NE(array, nullptr);
#else
  std::vector<std::uint8_t> descriptor(24, 0);  // stands for the array's descriptor
  void* array = descriptor.data();
#endif
  void* arrayVariable = array;
  struct Case {
    const char* what;
    VARTYPE vt;
    void* value;
    VARTYPE to;
    HRESULT hr;
  };
  const Case cases[] = {
      {"I4 array to I4", VT_ARRAY | VT_I4, array, VT_I4, DISP_E_TYPEMISMATCH},
      {"I4 array to text", VT_ARRAY | VT_I4, array, VT_BSTR, DISP_E_TYPEMISMATCH},
      {"I4 array by reference to I4", VT_ARRAY | VT_I4 | VT_BYREF, &arrayVariable, VT_I4, DISP_E_TYPEMISMATCH},
      {"I4 array by reference to text", VT_ARRAY | VT_I4 | VT_BYREF, &arrayVariable, VT_BSTR, DISP_E_TYPEMISMATCH},
      {"I4 array by reference to bool", VT_ARRAY | VT_I4 | VT_BYREF, &arrayVariable, VT_BOOL, DISP_E_TYPEMISMATCH},
      {"reference to an integer that points nowhere", VT_I4 | VT_BYREF, nullptr, VT_I4, DISP_E_TYPEMISMATCH},
  };
  for (const auto& c : cases) {
    VARIANT from;
    VariantInit(&from);
    from.vt = c.vt;
    from.byref = c.value;
    Variant out;
    EXPECT_EQ(VariantChangeType(out.get(), &from, 0, c.to), c.hr) << c.what;
    EXPECT_EQ(out.vt(), VT_EMPTY) << c.what;
  }
#if defined(_WIN32)
  SafeArrayDestroy(array);
#endif
}

TEST(VariantChangeType, InPlaceReplacesTheSource) {
  Variant v(u"15");
  ASSERT_EQ(VariantChangeType(v.get(), v.get(), 0, VT_I4), S_OK);
  EXPECT_EQ(Render(v), "VT_I4 15 (0x0000000F)");
}

TEST(VariantChangeType, FailureLeavesDestinationAlone) {
  Variant out(u"keep");
  Variant bad(u"x1");
  EXPECT_EQ(VariantChangeType(out.get(), &bad.raw(), 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Render(out), "VT_BSTR \"keep\"");
}

TEST(Variant, CopyDuplicatesTextAndClearFreesIt) {
  Variant a(u"text");
  Variant b(a);
  ASSERT_EQ(b.vt(), VT_BSTR);
  EXPECT_NE(a.raw().bstrVal, b.raw().bstrVal);
  EXPECT_EQ(BstrView(b.raw().bstrVal), u"text");
  EXPECT_EQ(VariantClear(b.get()), S_OK);
  EXPECT_EQ(b.vt(), VT_EMPTY);
}

TEST(Variant, LayoutIsTheAutomationOne) {
  static_assert(sizeof(VARIANT) == 24 || sizeof(void*) == 4);
  static_assert(offsetof(VARIANT, vt) == 0);
  Variant v;
  EXPECT_EQ(reinterpret_cast<const char*>(&v.raw().llVal) - reinterpret_cast<const char*>(&v.raw()), 8);
  static_assert(sizeof(DISPPARAMS) == 2 * sizeof(void*) + 8);
}

TEST(Bstr, LengthPrefixTerminatorAndEmbeddedNulls) {
  const char16_t text[] = {u'a', 0, u'b'};
  BSTR b = SysAllocStringLen(AsOle(text), 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(SysStringByteLen(b), 6u);
  EXPECT_EQ(b[3], 0) << "a BSTR ends in a 16-bit null";
  std::uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(b) - 4, 4);
  EXPECT_EQ(prefix, 6u) << "the byte length precedes the text";
  EXPECT_EQ(BstrView(b), std::u16string_view(text, 3));
  SysFreeString(b);
  SysFreeString(nullptr);  // allowed
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

#if !S4_COM_WINDOWS
// Away from Windows a host on the same C runtime may free a BSTR block itself.
TEST(Bstr, BlockIsOneMallocAllocation) {
  BSTR b = SysAllocString(AsOle(u"host frees me"));
  ASSERT_NE(b, nullptr);
  std::free(reinterpret_cast<char*>(b) - 4);
}
#endif

TEST(WideString, Utf8RoundTrip) {
  const std::string s = "Dev \xC3\xA9 \xF0\x9F\x94\x8C";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  EXPECT_EQ(Utf8ToUtf16("\xFF"), u"\uFFFD");
  EXPECT_TRUE(EqualsIgnoreCase(u"DevicePin", u"devicepin"));
  EXPECT_FALSE(EqualsIgnoreCase(u"DevicePin", u"devicepins"));
}

}  // namespace
}  // namespace s4
