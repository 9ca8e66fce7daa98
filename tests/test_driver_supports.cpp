// The driver's support query: device classes, actions by name or parameter string.
#include "driver/dispids.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

TEST(DriverSupports, ClassesActionsAndParameterStrings) {
  auto driver = Driver(0);
  ASSERT_TRUE(driver);
  struct Case {
    const char16_t* name;
    bool supported;
  } cases[] = {
      {u"FPGA", true},
      {u"fpga", true},
      {u"CPLD", false},
      {u"PROM", false},
      {u"gproc", false},
      {u"Target=HardDevice|Action=ResetDevice|Index=2", true},
      {u"Action=PauseProcessor", false},
      {u"Action=verifyprogram", false},
      {u"Action=Flash_ChooseAndDownload", false},
      {u"Action=ToggleFirmwareAutoUpdate", true},
      {u"Action=ShowViewer|ToolchainName=Quartus", false},
      {u"ToolchainName=X", false},
      {u"ToolchainName= |Action=ResetDevice", true},  // an empty toolchain name does not count
      {u"PauseProcessor", false},                      // an action named directly
      {u"ProcessorMenu", false},
      {u"ShowAboutDialog", true},
      {u"NoSuchAction", true},  // counts as entry 0, "None"
      {u"", true},
  };
  for (const Case& c : cases) {
    auto r = CallDispatch(driver.get(), dispid::VireoDriver::Supports, {Variant(std::u16string_view(c.name))});
    ASSERT_EQ(r.hr, S_OK);
    ASSERT_EQ(r.value.vt(), VT_BOOL);
    EXPECT_EQ(r.value.raw().boolVal != VARIANT_FALSE, c.supported) << Utf16ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace s4::test
