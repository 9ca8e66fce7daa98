// The built-in boundary-scan entities, as the host gets them from GetBSDLEntity.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/bsdl/validate.h"
#include "boundaryscan/bsdl/writer.h"
#include "boundaryscan/export/entity_export.h"
#include "driver/dispids.h"
#include "tests/module_fixture.h"

namespace s4::test {
namespace {

namespace E = dispid::BSDLEntity;
namespace P = dispid::ScanPin;
namespace C = dispid::BoundaryCell;

std::int32_t Int(const CallResult& r) {
  EXPECT_TRUE(r.ok());
  return r.value.vt() == VT_I4 ? r.value.raw().lVal : -12345;
}
IDispatch* Obj(const CallResult& r) {
  EXPECT_TRUE(r.ok());
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}
std::string Str(const CallResult& r) {
  EXPECT_TRUE(r.ok());
  return Text(r.value);
}

// The entity of a device kind; the driver keeps it for its whole life.
IDispatch* EntityOf(std::int32_t kind) {
  static std::map<std::int32_t, ComPtr<IDispatch>> drivers;
  auto& d = drivers[kind];
  if (!d) d = Driver(kind);
  return Obj(CallDispatch(d.get(), dispid::DeviceInformation::GetBSDLEntity));
}

// One device kind for each of the 45 BSDL files, in the order of the first kind that names it.
const std::map<std::string, std::int32_t>& KindPerFile() {
  static const std::map<std::string, std::int32_t> files = [] {
    std::map<std::string, std::int32_t> m;
    for (std::int32_t k = 0; k < 486; ++k) {
      const ComPtr<IDispatch> d = Driver(k);
      m.emplace(Text(CallDispatch(d.get(), dispid::DeviceInformation::GetBSDLFilename).value), k);
    }
    return m;
  }();
  return files;
}

TEST(BSDLBuiltIn, DeviceKindZeroGetsItsEntityOnceWithTheFixedContent) {
  const ComPtr<IDispatch> driver = Driver(0);
  IDispatch* e = Obj(CallDispatch(driver.get(), dispid::DeviceInformation::GetBSDLEntity));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(Obj(CallDispatch(driver.get(), dispid::DeviceInformation::GetBSDLEntity)), e);
  EXPECT_EQ(Str(CallDispatch(e, E::GetName)), "EP4SGX70DF29");
  EXPECT_EQ(Str(CallDispatch(e, E::GetFilename)), "EP4SGX70DF29.bsd");
  EXPECT_EQ(Int(CallDispatch(e, E::GetPinCount)), 780);
  EXPECT_EQ(Int(CallDispatch(e, E::GetBoundaryCellCount)), 1506);
  EXPECT_EQ(Int(CallDispatch(e, E::GetBoundaryLength)), 1506);
  EXPECT_EQ(Int(CallDispatch(e, E::GetInstructionOpcodeCount)), 9);
  EXPECT_EQ(Int(CallDispatch(e, E::GetRegisterAssociationCount)), 2);
  EXPECT_EQ(Int(CallDispatch(e, E::GetInstruction_SAMPLE)), 5);
  EXPECT_EQ(static_cast<std::uint32_t>(Int(CallDispatch(e, E::GetInstruction_BYPASS))), 4294967295u);
  EXPECT_EQ(static_cast<std::uint32_t>(Int(CallDispatch(e, E::GetInstruction_IDCODE))), 4294967295u);
  EXPECT_EQ(Int(CallDispatch(e, E::GetInstructionLength)), 0);
  EXPECT_EQ(Int(CallDispatch(e, E::GetIdCode)), 0);
  EXPECT_EQ(Int(CallDispatch(e, E::GetPinMappingCount)), 0);
  EXPECT_EQ(Int(CallDispatch(e, E::GetScanClockHaltMode)), 2);
  EXPECT_EQ(CallDispatch(e, E::GetScanClockMaxSpeed).value.raw().dblVal, 10e6);
  EXPECT_EQ(Str(CallDispatch(e, E::GetConformanceStatement)), "STD_1149_1_1993");
  IDispatch* tck = Obj(CallDispatch(e, E::GetPin_TCK));
  EXPECT_EQ(Str(CallDispatch(tck, P::GetPinName)), "TCK");
  EXPECT_EQ(Str(CallDispatch(tck, P::GetPinNumber)), "D25");
  EXPECT_EQ(Int(CallDispatch(tck, P::GetKind)), 2);  // eScanPinKind_TCK

  const char* const opcodes[][2] = {{"BYPASS", "1111111111"},  {"EXTEST", "0000001111"}, {"SAMPLE", "0000000101"},
                                    {"IDCODE", "0000000110"},  {"USERCODE", "0000000111"}, {"CLAMP", "0000001010"},
                                    {"HIGHZ", "0000001011"},   {"PRIVATE", "1100010000"}, {"CONFIG_IO", "0000001101"}};
  for (std::int32_t i = 0; i < 9; ++i) {
    IDispatch* op = Obj(CallDispatch(e, E::GetInstructionOpcode, {Variant(i)}));
    EXPECT_EQ(Str(CallDispatch(op, dispid::BSDLObject::GetDescription)),
              std::string(opcodes[i][0]) + "(" + opcodes[i][1] + ")");
  }
  EXPECT_EQ(Str(CallDispatch(Obj(CallDispatch(e, E::GetRegisterAssociation, {Variant(0)})), dispid::BSDLObject::GetDescription)),
            "DEVICE_ID  (IDCODE(0000000110))");
  EXPECT_EQ(Str(CallDispatch(Obj(CallDispatch(e, E::GetRegisterAssociation, {Variant(1)})), dispid::BSDLObject::GetDescription)),
            "IOCSR[130175] (CONFIG_IO(0000001101))");
}

TEST(BSDLBuiltIn, TheSampleRowsOfDeviceKindZero) {
  IDispatch* e = EntityOf(0);
  auto cell = [&](std::int32_t n) { return Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(n)})); };
  struct Row {
    std::int32_t number, kind;
    const char* port;
    std::int32_t function, safe, disableValue, disableResult;
    const char* pin;  // pin number, "" for none
    std::int32_t control, target;
  } rows[] = {
      {0, 2, "IOA25", 1, 3, 1, 0, "A25", -1, -1},  {1, 2, "*", 5, 2, 1, 0, "", -1, 2},
      {2, 2, "IOA25", 4, 3, 2, 1, "A25", 1, -1},   {384, 5, "MSEL2", 1, 3, 1, 0, "J7", -1, -1},
      {385, 5, "*", 7, 3, 1, 0, "", -1, -1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.number);
    IDispatch* c = cell(r.number);
    EXPECT_EQ(Int(CallDispatch(c, C::GetCellNumber)), r.number);
    EXPECT_EQ(Int(CallDispatch(c, C::GetCellKind)), r.kind);
    EXPECT_EQ(Str(CallDispatch(c, C::GetPortId)), r.port);
    EXPECT_EQ(Int(CallDispatch(c, C::GetCellFunction)), r.function);
    EXPECT_EQ(Int(CallDispatch(c, C::GetSafeBit)), r.safe);
    EXPECT_EQ(Int(CallDispatch(c, C::GetDisableValue)), r.disableValue);
    EXPECT_EQ(Int(CallDispatch(c, C::GetDisableResult)), r.disableResult);
    EXPECT_EQ(Int(CallDispatch(c, C::GetControlCellNumber)), r.control);
    IDispatch* pin = Obj(CallDispatch(c, C::GetPin));
    EXPECT_EQ(pin ? Str(CallDispatch(pin, P::GetPinNumber)) : std::string(), r.pin);
    EXPECT_EQ(Obj(CallDispatch(c, C::GetControlCell)), r.control < 0 ? nullptr : cell(r.control));
    EXPECT_EQ(Obj(CallDispatch(c, C::GetTargetCell)), r.target < 0 ? nullptr : cell(r.target));
  }
  EXPECT_EQ(Str(CallDispatch(cell(2), dispid::BSDLObject::GetDescription)),
            "2   (BC_1      ,IOA25     ,Output3   ,X ,1   ,1 ,Z         , Pin:IOA25");
  // The pin IOA2 lists its input and output cells; its pin mapping leads back to it.
  IDispatch* ioa2 = nullptr;
  for (std::int32_t i = 0; i < 780 && !ioa2; ++i) {
    IDispatch* p = Obj(CallDispatch(e, E::GetPin, {Variant(i)}));
    if (Str(CallDispatch(p, P::GetPinName)) == "IOA2") ioa2 = p;
  }
  ASSERT_NE(ioa2, nullptr);
  EXPECT_EQ(Int(CallDispatch(ioa2, P::GetBoundaryCellCount)), 2);
  EXPECT_EQ(Obj(CallDispatch(ioa2, P::GetBoundaryCell, {Variant(0)})), cell(339));
  EXPECT_EQ(Obj(CallDispatch(ioa2, P::GetBoundaryCell, {Variant(1)})), cell(341));
  IDispatch* mapping = Obj(CallDispatch(ioa2, P::GetPinMapping));
  EXPECT_EQ(Str(CallDispatch(mapping, dispid::PinMapping::GetPinNumber)), "A2");
  EXPECT_EQ(Obj(CallDispatch(mapping, dispid::PinMapping::GetScanPin)), ioa2);
}

// The counts and TAP balls fixed for every record.
struct Fixed {
  const char* file;
  int pins, cells;
  const char* tap[5];  // TDI, TDO, TMS, TCK, TRST
};

TEST(BSDLBuiltIn, EveryPackageHasItsCountsTapPinsAndDevicePins) {
  const Fixed fixed[] = {
      {"EP4SGX70DF29.bsd", 780, 1506, {"J20", "E25", "G23", "D25", "D26"}},
      {"EP4SGX180KF40.bsd", 1517, 2274, {"J29", "F30", "N27", "G30", "A32"}},
      {"EP4SGX290NF45.bsd", 1932, 2970, {"A36", "E36", "B36", "G35", "F36"}},
      {"EP4SE820F43.bsd", 1760, 3402, {"L34", "J36", "J35", "H36", "H37"}},
      {"EP4S100G5H40.bsd", 1517, 2970, {"J29", "F30", "N27", "G30", "A32"}},
  };
  for (const Fixed& f : fixed) {
    SCOPED_TRACE(f.file);
    IDispatch* e = EntityOf(KindPerFile().at(f.file));
    EXPECT_EQ(Str(CallDispatch(e, E::GetFilename)), f.file);
    EXPECT_EQ(Int(CallDispatch(e, E::GetPinCount)), f.pins);
    EXPECT_EQ(Int(CallDispatch(e, E::GetBoundaryCellCount)), f.cells);
    const DISPID taps[] = {E::GetPin_TDI, E::GetPin_TDO, E::GetPin_TMS, E::GetPin_TCK, E::GetPin_TRST};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Str(CallDispatch(Obj(CallDispatch(e, taps[i])), P::GetPinNumber)), f.tap[i]);
  }
  // All 45 files: the entity's balls are the device's pins, and every scanned I/O pin is an
  // I/O pin of the device's pin set.
  EXPECT_EQ(KindPerFile().size(), 45u);
  for (const auto& [file, kind] : KindPerFile()) {
    SCOPED_TRACE(file);
    const ComPtr<IDispatch> driver = Driver(kind);
    std::map<std::string, bool> deviceIo;
    const std::int32_t n = Int(CallDispatch(driver.get(), dispid::DeviceInformation::GetDevicePinCount));
    for (std::int32_t i = 0; i < n; ++i) {
      IDispatch* pin = Obj(CallDispatch(driver.get(), dispid::DeviceInformation::GetDevicePin, {Variant(i)}));
      const CallResult io = CallDispatch(pin, dispid::DevicePin::GetIsIOPin);
      deviceIo[Str(CallDispatch(pin, dispid::DevicePin::GetPinNumber))] = io.value.raw().boolVal == VARIANT_TRUE;
    }
    IDispatch* e = EntityOf(kind);
    const std::int32_t pins = Int(CallDispatch(e, E::GetPinCount));
    EXPECT_EQ(pins, n);
    int scannedIo = 0;
    for (std::int32_t i = 0; i < pins; ++i) {
      IDispatch* p = Obj(CallDispatch(e, E::GetPin, {Variant(i)}));
      const std::string number = Str(CallDispatch(p, P::GetPinNumber));
      ASSERT_TRUE(deviceIo.count(number)) << number;
      if (Int(CallDispatch(p, P::GetBoundaryCellCount)) == 2 && Int(CallDispatch(p, P::GetDirection)) == 1) {
        EXPECT_TRUE(deviceIo[number]) << number;
        EXPECT_EQ(Str(CallDispatch(p, P::GetPinName)), "IO" + number);
        ++scannedIo;
      }
    }
    const int deviceIoCount = static_cast<int>(std::count_if(deviceIo.begin(), deviceIo.end(), [](auto& x) { return x.second; }));
    const int cells = Int(CallDispatch(e, E::GetBoundaryCellCount));
    // Every I/O pin has its triple, except the TAP balls that the pin set calls I/O and,
    // where the register is too short, the last pins of the chain.
    EXPECT_GE(scannedIo, std::min(deviceIoCount - 5, (cells - 28) / 3));
  }
}

TEST(BSDLBuiltIn, EveryEntityExportsToABSDLFileThatReadsBackValidatesAndRoundTrips) {
  for (const auto& [file, kind] : KindPerFile()) {
    SCOPED_TRACE(file);
    const bsdl::Description d = bsdl::DescribeEntity(EntityOf(kind));
    const bsdl::Description again = bsdl::Read(bsdl::Write(d), file);
    EXPECT_TRUE(again == d);
    for (const bsdl::Finding& f : bsdl::Validate(again)) ADD_FAILURE() << bsdl::Format(file, f);
    EXPECT_EQ(again.cells.size(), static_cast<std::size_t>(Int(CallDispatch(EntityOf(kind), E::GetBoundaryCellCount))));
  }
}

}  // namespace
}  // namespace s4::test
