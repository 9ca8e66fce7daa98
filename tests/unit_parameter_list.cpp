// Parameter strings: the text format (a wire format shared with the host) and the typed reads.
#include <gtest/gtest.h>

#include "host/parameter_list.h"
#include "platform/widestring.h"

namespace s4 {
namespace {

std::string Dump(const TParameterList& p) {
  std::string s;
  for (std::size_t i = 0; i < p.Count(); ++i)
    s += "[" + Utf16ToUtf8(p.Item(i).Name()) + "]=[" + Utf16ToUtf8(p.Item(i).Value()) + "]";
  return s;
}

TEST(ParameterList, ReadsTheTextFormat) {
  struct Case {
    const char16_t* text;
    const char* items;
  } cases[] = {
      {u"", ""},
      {u"A=1", "[A]=[1]"},
      {u"A=1|B|C=3", "[A]=[1][C]=[3]"},  // an entry without "=" is dropped
      {u"A=1|", "[A]=[1]"},              // a trailing "|" adds nothing
      {u"|A=1||B=2", "[A]=[1][B]=[2]"},
      {u"  Na me \t=  v a l  ", "[Na me]=[v a l]"},
      {u"=1| =2|A=", "[A]=[]"},  // empty and blank names are dropped; an empty value stays
      {u"A=x=y==", "[A]=[x=y==]"},
      {u"A=1|a=2", "[A]=[1][a]=[2]"},  // duplicates are kept in order
      {u"A=\x01\x1F v\x7F", "[A]=[v\x7F]"},
      {u"Target=HardDevice|Action=ResetDevice|Index=3", "[Target]=[HardDevice][Action]=[ResetDevice][Index]=[3]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    TParameterList p;
    p.SetState(u"Stale=1");
    p.SetState(c.text);
    EXPECT_EQ(Dump(p), c.items);
  }
}

TEST(ParameterList, WritesTheTextFormat) {
  TParameterList p;
  EXPECT_EQ(p.GetState(), u"");
  p.SetState_AddParameter(u" A ", u" 1 ");
  p.SetState_AddParameter(u"Empty", u"");
  p.SetState_AddParameter(u"  ", u"dropped");
  p.SetState_AddParameterAsBoolean(u"B", true);
  p.SetState_AddParameterAsBoolean(u"C", false);
  p.SetState_AddParameterAsInteger(u"I", -2147483647 - 1);
  p.SetState_AddParameterAsInt64(u"L", 9007199254740993ll);
  p.SetState_AddParameterAsDouble(u"D", 1.5);
  EXPECT_EQ(p.GetState(), u"A=1|Empty= |B=True|C=False|I=-2147483648|L=9007199254740993|D=1.5");
  EXPECT_EQ(p.GetState_ToString(), Utf16ToUtf8(p.GetState()));

  TParameterList back;
  back.SetState(p.GetState());
  EXPECT_EQ(Dump(back), Dump(p));
  std::u16string v = u"x";
  EXPECT_TRUE(back.GetState_ParameterAsString(u"empty", v));
  EXPECT_EQ(v, u"");
}

// A name or value the module writes never becomes other entries when read back: the
// separators it holds are stored as visible substitutes ("|" as U+00A6, "=" in a name as
// U+2261), and a look-up by the name as first given still finds the item.
TEST(ParameterList, SeparatorsInNamesAndValuesNeverSplitAnEntry) {
  struct Case {
    const char16_t* name;
    const char16_t* value;
    const char16_t* storedName;
    const char16_t* storedValue;
  } cases[] = {
      {u"Message", u"a|Action=ResetDevice", u"Message", u"a\u00A6Action=ResetDevice"},
      {u"Message", u"|", u"Message", u"\u00A6"},
      {u"Message", u" | x | ", u"Message", u"\u00A6 x \u00A6"},
      {u"Message", u"x=y|=z", u"Message", u"x=y\u00A6=z"},  // "=" in a value is kept
      {u"a=b", u"c", u"a\u2261b", u"c"},
      {u"=lead", u"v", u"\u2261lead", u"v"},
      {u"a|b", u"v", u"a\u00A6b", u"v"},
      {u"|", u"", u"\u00A6", u""},
      {u"Name", u"\u00A6 already", u"Name", u"\u00A6 already"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name) + " / " + Utf16ToUtf8(c.value));
    TParameterList written;
    written.SetState_AddParameter(u"Before", u"1");
    written.SetState_AddParameter(c.name, c.value);
    written.SetState_AddParameter(u"After", u"2");
    TParameterList back;
    back.SetState(written.GetState());
    ASSERT_EQ(back.Count(), 3u) << Utf16ToUtf8(written.GetState());
    EXPECT_EQ(back.Item(0).Name(), u"Before");
    EXPECT_EQ(back.Item(1).Name(), c.storedName);
    EXPECT_EQ(back.Item(1).Value(), c.storedValue);
    EXPECT_EQ(back.Item(2).Value(), u"2");
    EXPECT_EQ(Dump(back), Dump(written)) << "the list holds what it writes";
    for (const TParameterList* list : {&written, &back}) {
      std::u16string v;
      EXPECT_TRUE(list->GetState_ParameterAsString(c.name, v));
      EXPECT_EQ(v, c.storedValue);
    }
    std::u16string action = u"stale";
    EXPECT_FALSE(GetParameterFromString(written.GetState(), u"Action", action)) << "no entry was smuggled in";
  }
  TParameter p(u"x", u"y");
  p.SetName(u"n=|m");
  p.SetValue(u"v|w");
  EXPECT_EQ(p.Name(), u"n\u2261\u00A6m");
  EXPECT_EQ(p.Value(), u"v\u00A6w");
}

TEST(ParameterList, DoublesUseThePointAndFifteenDigits) {
  struct Case {
    double value;
    const char16_t* text;
  } cases[] = {
      {0, u"0"}, {-2.25, u"-2.25"}, {100, u"100"}, {0.1, u"0.1"}, {1.0 / 3, u"0.333333333333333"},
      {1e20, u"1E20"}, {1.25e-7, u"1.25E-7"}, {123456789012345678.0, u"1.23456789012346E17"},
  };
  for (const Case& c : cases) {
    TParameterList p;
    p.SetState_AddParameterAsDouble(u"D", c.value);
    EXPECT_EQ(p.Item(0).Value(), c.text) << c.value;
    double back = 0;
    ASSERT_TRUE(p.GetState_ParameterAsDouble(u"D", back));
    EXPECT_NEAR(back, c.value, std::abs(c.value) * 1e-14);
  }
}

TEST(ParameterList, LookupAndRemoveFindTheFirstOfAName) {
  TParameterList p;
  p.SetState(u"Name=first|NAME=second");
  std::u16string v;
  EXPECT_TRUE(p.GetState_ParameterAsString(u"  nAmE ", v));
  EXPECT_EQ(v, u"first");
  EXPECT_TRUE(p.SetState_RemoveByName(u"NAME"));
  EXPECT_TRUE(p.GetState_ParameterAsString(u"name", v));
  EXPECT_EQ(v, u"second");
  EXPECT_TRUE(p.SetState_RemoveByName(u"name"));
  EXPECT_FALSE(p.SetState_RemoveByName(u"name"));
  v = u"stale";
  EXPECT_FALSE(p.GetState_ParameterAsString(u"name", v));
  EXPECT_EQ(v, u"");
}

TEST(ParameterList, TypedReads) {
  TParameterList p;
  p.SetState(u"T1=True|T2= tRUE |F1=1|F2=yes|I=-42|Trail=12ab|Hex=$FF|Big=4294967296|Neg=-2147483649|"
             u"W=70000|R=2.5|Bad=2,5|Wide=\x4E2D");
  bool b = true;
  for (const char16_t* n : {u"T1", u"T2"}) {
    b = false;
    EXPECT_TRUE(p.GetState_ParameterAsBoolean(n, b));
    EXPECT_TRUE(b) << Utf16ToUtf8(n);
  }
  for (const char16_t* n : {u"F1", u"F2", u"I"}) {
    b = true;
    EXPECT_TRUE(p.GetState_ParameterAsBoolean(n, b));
    EXPECT_FALSE(b) << Utf16ToUtf8(n);
  }
  b = true;
  EXPECT_FALSE(p.GetState_ParameterAsBoolean(u"Missing", b));
  EXPECT_TRUE(b);
  std::int16_t wb = 0;
  EXPECT_TRUE(p.GetState_ParameterAsWordBool(u"T1", wb));
  EXPECT_EQ(wb, -1);

  struct IntCase {
    const char16_t* name;
    bool ok;
    std::int32_t value;
  } ints[] = {
      {u"I", true, -42}, {u"Hex", true, 255}, {u"Trail", false, 7}, {u"Big", false, 7}, {u"Neg", false, 7},
      {u"R", false, 7},  {u"Wide", false, 7}, {u"Missing", false, 7},
  };
  for (const IntCase& c : ints) {
    std::int32_t v = 7;
    EXPECT_EQ(p.GetState_ParameterAsInteger(c.name, v), c.ok) << Utf16ToUtf8(c.name);
    EXPECT_EQ(v, c.value) << Utf16ToUtf8(c.name);
  }
  std::int64_t l = 0;
  EXPECT_TRUE(p.GetState_ParameterAsInt64(u"Big", l));
  EXPECT_EQ(l, 4294967296ll);
  std::uint16_t w = 0;
  EXPECT_TRUE(p.GetState_ParameterAsWord(u"W", w));
  EXPECT_EQ(w, 70000 & 0xFFFF);
  std::uint8_t by = 0;
  EXPECT_TRUE(p.GetState_ParameterAsByte(u"I", by));
  EXPECT_EQ(by, static_cast<std::uint8_t>(-42));

  float f = 9;
  EXPECT_TRUE(p.GetState_ParameterAsReal(u"R", f));
  EXPECT_EQ(f, 2.5f);
  f = 9;
  EXPECT_FALSE(p.GetState_ParameterAsReal(u"Bad", f));
  EXPECT_EQ(f, 9);
  double d = 0;
  EXPECT_FALSE(p.GetState_ParameterAsDouble(u"Missing", d));
  EXPECT_THROW(p.GetState_ParameterAsDouble(u"Bad", d), std::invalid_argument);

  char16_t* text = nullptr;
  EXPECT_TRUE(p.GetState_ParameterAsPChar(u"I", text));
  EXPECT_EQ(std::u16string_view(text), u"-42");
  ReleaseParameterPChar(text);
  EXPECT_FALSE(p.GetState_ParameterAsPChar(u"Missing", text));
  EXPECT_EQ(std::u16string_view(text), u"");
  ReleaseParameterPChar(text);
}

TEST(ParameterList, FromStringKeepsTheLastTextParsed) {
  std::u16string v = u"stale";
  EXPECT_FALSE(GetParameterFromString(u"", u"A", v));
  EXPECT_EQ(v, u"");
  EXPECT_TRUE(GetParameterFromString(u"A=1|B=2", u"b", v));
  EXPECT_EQ(v, u"2");
  EXPECT_TRUE(GetParameterFromString(u"A=1|B=2", u"A", v));
  EXPECT_EQ(v, u"1");
  // A different text is parsed again, not answered from the last one.
  EXPECT_FALSE(GetParameterFromString(u"A=3", u"B", v));
  EXPECT_EQ(v, u"");
  EXPECT_TRUE(GetParameterFromString(u"A=3", u"A", v));
  EXPECT_EQ(v, u"3");
}

}  // namespace
}  // namespace s4
