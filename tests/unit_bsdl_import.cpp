// Vendor BSDL files imported into the boundary-scan object model and read through Invoke.
#include <gtest/gtest.h>

#include "boundaryscan/bsdl/reader.h"
#include "boundaryscan/import_entity.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"

namespace s4 {
namespace {

namespace E = dispid::BSDLEntity;

std::int32_t Int(IDispatch* o, DISPID id, std::initializer_list<Variant> args = {}) {
  const CallResult r = CallDispatch(o, id, args);
  EXPECT_TRUE(r.ok());
  return r.value.raw().lVal;
}
IDispatch* Obj(IDispatch* o, DISPID id, std::initializer_list<Variant> args = {}) {
  const CallResult r = CallDispatch(o, id, args);
  EXPECT_TRUE(r.ok());
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}
std::string Text(IDispatch* o, DISPID id) {
  const CallResult r = CallDispatch(o, id);
  return r.value.vt() == VT_BSTR ? Utf16ToUtf8(BstrView(r.value.raw().bstrVal)) : "";
}

TEST(BSDLImport, VendorFilesBecomeEntitiesWithWhatTheyDeclare) {
  struct Case {
    const char* file;
    int pins, cells, irLength;
    std::uint32_t idcode, bypass, sample;
    const char* tckPin;
  } cases[] = {
      {"EP4CE40F29.bsdl", 780, 1632, 10, 0x020F41BBu, 0x3FF, 0x005, "P5"},
      {"ATMEGA128.bsdl", 64, 205, 4, 0xE970203Fu, 0xF, 0x2, "57"},
      {"sctm002.bsm", 24, 18, 8, 0, 0xFF, 0x02, "13"},  // first pin map (JT); merged cells once
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const bsdl::Description d = bsdl::ReadFile(std::string(S4_FIXTURES_DIR) + "/bsdl/" + c.file);
    Owned<TBSDLEntity> owner = ImportEntity(d, Utf8ToUtf16(c.file));
    IDispatch* e = owner->Dispatch();
    EXPECT_EQ(Text(e, E::GetFilename), c.file);
    EXPECT_EQ(Int(e, E::GetBoundaryCellCount), c.cells);
    EXPECT_EQ(Int(e, E::GetInstructionLength), c.irLength);
    EXPECT_EQ(static_cast<std::uint32_t>(Int(e, E::GetIdCode)), c.idcode);
    EXPECT_EQ(static_cast<std::uint32_t>(Int(e, E::GetInstruction_BYPASS)), c.bypass);
    EXPECT_EQ(static_cast<std::uint32_t>(Int(e, E::GetInstruction_SAMPLE)), c.sample);
    EXPECT_EQ(Text(Obj(e, E::GetPin_TCK), dispid::ScanPin::GetPinNumber), c.tckPin);
    EXPECT_GE(Int(e, E::GetPinCount), c.pins);
    EXPECT_EQ(Int(e, E::GetPinMappingCount), Int(e, E::GetPinCount));
  }
}

TEST(BSDLImport, APackageOfSeveralCanBeChosen) {
  const bsdl::Description d = bsdl::ReadFile(std::string(S4_FIXTURES_DIR) + "/bsdl/sctm002.bsm");
  Owned<TBSDLEntity> fk = ImportEntity(d, u"sctm002.bsm", "fk");
  EXPECT_EQ(Text(Obj(fk->Dispatch(), E::GetPin_TCK), dispid::ScanPin::GetPinNumber), "23");
  EXPECT_EQ(Int(fk->Dispatch(), E::GetPinCount), 28);  // NC is mapped only in FK
  EXPECT_THROW(ImportEntity(d, u"sctm002.bsm", "QFN"), std::runtime_error);
}

TEST(BSDLImport, AnInstructionTheFileNeverDefinesShowsAsNoOpcode) {
  const bsdl::Description d = bsdl::ReadFile(std::string(S4_FIXTURES_DIR) + "/bsdl/SCAN90CP02.bsdl");
  Owned<TBSDLEntity> owner = ImportEntity(d, u"SCAN90CP02.bsdl");
  std::string bypass;
  for (std::int32_t i = 0; i < Int(owner->Dispatch(), E::GetRegisterAssociationCount); ++i) {
    const std::string text = Text(Obj(owner->Dispatch(), E::GetRegisterAssociation, {Variant(i)}), dispid::BSDLObject::GetDescription);
    if (text.rfind("BYPASS", 0) == 0) bypass = text;
  }
  EXPECT_NE(bypass.find("BYPASS(NoOpcode)"), std::string::npos) << bypass;
  EXPECT_EQ(static_cast<std::uint32_t>(Int(owner->Dispatch(), E::GetInstruction_BYPASS)), 4294967295u);
}

}  // namespace
}  // namespace s4
