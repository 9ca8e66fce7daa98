// Every driver operation whose base answer this module keeps, through Invoke.
#include "tests/driver_defaults.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

TEST(DriverDefaults, KeptBaseAnswers) {
  for (std::int32_t kind : {0, 485}) {
    auto d = Driver(kind);
    ASSERT_TRUE(d);
    for (const auto& e : KeptDriverDefaults()) {
      auto r = CallDispatch(d.get(), e.id, std::span<const Variant>(e.args));
      EXPECT_EQ(r.hr, e.hr) << "DISPID " << e.id << ": " << HresultName(r.hr);
      if (SUCCEEDED(e.hr)) {
        EXPECT_EQ(RenderResult(r), e.rendered) << "DISPID " << e.id;
      }
    }
  }
}

TEST(DriverDefaults, SetVireoDeviceStoresTheDeviceAndAnswersTrue) {
  auto d = Driver(1);
  auto other = Driver(2);  // any dispatch object serves as a device here
  auto r = CallDispatch(d.get(), 503754, {Variant::Dispatch(other.get())});
  ASSERT_EQ(r.hr, S_OK);
  EXPECT_EQ(RenderResult(r), "VT_BOOL True");
  r = CallDispatch(d.get(), 503753);
  ASSERT_EQ(r.value.vt(), VT_DISPATCH);
  EXPECT_EQ(r.value.raw().pdispVal, other.get());
  r = CallDispatch(d.get(), 503754, {Variant::Dispatch(nullptr)});
  EXPECT_EQ(RenderResult(r), "VT_BOOL True");
  EXPECT_EQ(RenderResult(CallDispatch(d.get(), 503753)), "VT_DISPATCH null");
}

TEST(DriverDefaults, LibraryFolderIsBesideTheModule) {
  auto d = Driver(0);
  auto r = CallDispatch(d.get(), 509312);
  ASSERT_EQ(r.hr, S_OK);
  const std::string folder = Text(r.value);
  EXPECT_TRUE(folder.size() > 8 && folder.substr(folder.size() - 8) == "Library\\") << folder;
  EXPECT_EQ(folder.find('/'), std::string::npos) << "host paths use \\ separators: " << folder;
}

TEST(DriverDefaults, TheDriverIsAnFpga) {
  auto d = Driver(0);
  EXPECT_EQ(RenderResult(CallDispatch(d.get(), 503761, {Variant(u"fpga")})), "VT_BOOL True");
  EXPECT_EQ(RenderResult(CallDispatch(d.get(), 503761, {Variant(u"FPGA")})), "VT_BOOL True");
  EXPECT_EQ(RenderResult(CallDispatch(d.get(), 503761, {Variant(u"CPLD")})), "VT_BOOL False");
  EXPECT_EQ(RenderResult(CallDispatch(d.get(), 503761, {Variant(u"PROM")})), "VT_BOOL False");
}

}  // namespace
}  // namespace s4::test
