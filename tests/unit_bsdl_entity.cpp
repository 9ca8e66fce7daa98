// The boundary-scan object model as the host drives it: every call goes through Invoke.
#include <gtest/gtest.h>

#include "boundaryscan/bsdl_entity.h"
#include "driver/dispids.h"
#include "platform/dispatch_call.h"

namespace s4 {
namespace {

namespace E = dispid::BSDLEntity;
namespace O = dispid::BSDLObject;
namespace P = dispid::ScanPin;
namespace C = dispid::BoundaryCell;
namespace M = dispid::PinMapping;
namespace R = dispid::RegisterAssociation;

std::string Text(const CallResult& r) {
  EXPECT_TRUE(r.ok());
  return r.value.vt() == VT_BSTR ? Utf16ToUtf8(BstrView(r.value.raw().bstrVal)) : "<not text>";
}
std::int32_t Int(const CallResult& r) {
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.value.vt(), VT_I4);
  return r.value.raw().lVal;
}
IDispatch* Obj(const CallResult& r) {
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.value.vt(), VT_DISPATCH);
  return r.value.vt() == VT_DISPATCH ? r.value.raw().pdispVal : nullptr;
}

// A small entity in the shape of the built-in ones: one I/O pin with its three cells, a
// configuration input with a BC_4 cell, an internal cell, TCK, two opcodes and one
// register association.
struct SmallEntity {
  Owned<TBSDLEntity> owner = MakeOwned<TBSDLEntity>();
  TBSDLEntity& e = *owner;
  TScanPin* io = nullptr;
  TScanPin* tck = nullptr;

  SmallEntity() {
    e.Name = u"EP4SGX70DF29";
    e.Instruction_SAMPLE = 5;
    e.ScanClockMaxSpeed = 10e6;
    e.ScanClockHaltMode = eScanClockHaltMode_Both;
    auto cell = [&](TCellKind k, std::u16string_view port, TCellFunction f, TBitValue safe) {
      TBoundaryCell* c = e.NewObject<TBoundaryCell>();
      c->SetCellNumber(static_cast<std::int32_t>(e.BoundaryCells.size()));
      c->SetCellKind(k);
      c->SetPortId(port);
      c->SetCellFunction(f);
      c->SetSafeBit(safe);
      e.AddBoundaryCell(c);
      return c;
    };
    TBoundaryCell* in = cell(eCellKind_BC_1, u"IOA25", eCellFunction_Input, eBit_X);
    TBoundaryCell* ctl = cell(eCellKind_BC_1, u"*", eCellFunction_Control, eBit_1);
    TBoundaryCell* out = cell(eCellKind_BC_1, u"IOA25", eCellFunction_Output3, eBit_X);
    out->SetControlCellNumber(1);
    out->SetDisableValue(eBit_1);
    out->SetDisableResult(eDisableResult_HiZ);
    out->SetControlCell(ctl);
    ctl->SetTargetCell(out);
    cell(eCellKind_BC_4, u"*", eCellFunction_Internal, eBit_X);

    io = e.NewObject<TScanPin>();
    io->SetDirection(eElectricIO);
    io->SetPinName(u"IOA25");
    io->SetPinNumber(u"A25");
    io->AddBoundaryCell(in);
    io->AddBoundaryCell(out);
    in->SetPin(io);
    out->SetPin(io);
    TPinMapping* m = e.NewObject<TPinMapping>();
    m->SetPinName(u"IOA25");
    m->SetPinNumber(u"A25");
    m->SetScanPin(io);
    io->SetPinMapping(m);
    e.AddPin(io);

    tck = e.NewObject<TScanPin>();
    tck->SetDirection(eElectricInput);
    tck->SetPinName(u"TCK");
    tck->SetPinNumber(u"D25");
    tck->SetKind(eScanPinKind_TCK);
    e.AddPin(tck);
    e.TAP_TCK = tck;

    TInstructionOpCode* bypass = e.NewObject<TInstructionOpCode>();
    bypass->SetInstructionName(u"BYPASS");
    bypass->SetOpCodePattern(u"1111111111");
    e.AddInstructionOpCode(bypass);
    TInstructionOpCode* idcode = e.NewObject<TInstructionOpCode>();
    idcode->SetInstructionName(u"IDCODE");
    idcode->SetOpCodePattern(u"0000000110");
    e.AddInstructionOpCode(idcode);
    TRegisterAssociation* ra = e.NewObject<TRegisterAssociation>();
    ra->SetRegisterName(u"DEVICE_ID");
    ra->AddOpCode(idcode);
    e.AddRegisterAssociation(ra);
  }
  IDispatch* entity() { return e.Dispatch(); }
};

TEST(BSDLEntityModel, EntityAnswersItsFieldsAndCounts) {
  SmallEntity s;
  IDispatch* e = s.entity();
  EXPECT_EQ(Text(CallDispatch(e, E::GetName)), "EP4SGX70DF29");
  EXPECT_EQ(Int(CallDispatch(e, E::GetPinCount)), 2);
  EXPECT_EQ(Int(CallDispatch(e, E::GetBoundaryCellCount)), 4);
  EXPECT_EQ(Int(CallDispatch(e, E::GetInstructionOpcodeCount)), 2);
  EXPECT_EQ(Int(CallDispatch(e, E::GetRegisterAssociationCount)), 1);
  EXPECT_EQ(Int(CallDispatch(e, E::GetPinMappingCount)), 0);
  EXPECT_EQ(Int(CallDispatch(e, E::GetInstructionLength)), 0);
  EXPECT_EQ(Int(CallDispatch(e, E::GetInstruction_SAMPLE)), 5);
  // Undefined instructions travel as the 32 bits of 4294967295.
  EXPECT_EQ(static_cast<std::uint32_t>(Int(CallDispatch(e, E::GetInstruction_BYPASS))), 4294967295u);
  EXPECT_EQ(Int(CallDispatch(e, E::GetScanClockHaltMode)), eScanClockHaltMode_Both);
  const CallResult speed = CallDispatch(e, E::GetScanClockMaxSpeed);
  ASSERT_EQ(speed.value.vt(), VT_R8);
  EXPECT_EQ(speed.value.raw().dblVal, 10e6);
  EXPECT_EQ(Text(CallDispatch(Obj(CallDispatch(e, E::GetPin_TCK)), P::GetPinName)), "TCK");
  }

TEST(BSDLEntityModel, IndexesOutsideAListGiveAnEmptyInterfaceAndSuccess) {
  SmallEntity s;
  IDispatch* e = s.entity();
  for (DISPID id : {E::GetPin, E::GetBoundaryCell, E::GetInstructionOpcode, E::GetRegisterAssociation,
                    E::GetPinMapping}) {
    for (std::int32_t index : {-1, 4, 1000}) {
      const CallResult r = CallDispatch(e, id, {Variant(index)});
      EXPECT_TRUE(r.ok()) << id << " " << index;
      EXPECT_EQ(r.value.vt(), VT_DISPATCH) << id << " " << index;
      EXPECT_EQ(r.value.raw().pdispVal, nullptr) << id << " " << index;
    }
  }
  EXPECT_NE(Obj(CallDispatch(e, E::GetPin, {Variant(1)})), nullptr);
  EXPECT_EQ(Obj(CallDispatch(e, E::GetPin, {Variant(2)})), nullptr);  // GetPin(GetPinCount)
  IDispatch* pin = Obj(CallDispatch(e, E::GetPin, {Variant(0)}));
  EXPECT_NE(Obj(CallDispatch(pin, P::GetBoundaryCell, {Variant(1)})), nullptr);
  EXPECT_EQ(Obj(CallDispatch(pin, P::GetBoundaryCell, {Variant(2)})), nullptr);
  IDispatch* ra = Obj(CallDispatch(e, E::GetRegisterAssociation, {Variant(0)}));
  EXPECT_EQ(Text(CallDispatch(Obj(CallDispatch(ra, R::GetInstructionOpcode, {Variant(0)})),
                              dispid::InstructionOpCode::GetInstructionName)),
            "IDCODE");
  EXPECT_EQ(Obj(CallDispatch(ra, R::GetInstructionOpcode, {Variant(1)})), nullptr);
  // Unset single references are empty too.
  EXPECT_EQ(Obj(CallDispatch(e, E::GetPin_TDI)), nullptr);
  IDispatch* tck = Obj(CallDispatch(e, E::GetPin, {Variant(1)}));
  EXPECT_EQ(Obj(CallDispatch(tck, P::GetPinMapping)), nullptr);
  IDispatch* internal = Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(3)}));
  EXPECT_EQ(Obj(CallDispatch(internal, C::GetPin)), nullptr);
  EXPECT_EQ(Obj(CallDispatch(internal, C::GetControlCell)), nullptr);
}

TEST(BSDLEntityModel, DescriptionsAreExact) {
  SmallEntity s;
  IDispatch* e = s.entity();
  auto cell = [&](std::int32_t n) { return Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(n)})); };
  EXPECT_EQ(Text(CallDispatch(cell(1), O::GetDescription)), "1   (BC_1      ,*         ,Control   ,1 ");
  EXPECT_EQ(Text(CallDispatch(cell(2), O::GetDescription)),
            "2   (BC_1      ,IOA25     ,Output3   ,X ,1   ,1 ,Z         , Pin:IOA25");
  EXPECT_EQ(Text(CallDispatch(cell(2), O::GetShortDescription)),
            "2   (BC_1      ,IOA25     ,Output3   ,X ,1   ,1 ,Z         , Pin:IOA25");
  EXPECT_EQ(Text(CallDispatch(cell(3), O::GetDescription)), "3   (BC_4      ,*         ,Internal  ,X ");
  IDispatch* pin = Obj(CallDispatch(e, E::GetPin, {Variant(0)}));
  EXPECT_EQ(Text(CallDispatch(pin, O::GetDescription)), " Pin Name:IOA25        Number:A25          IO:I/O");
  EXPECT_EQ(Text(CallDispatch(pin, O::GetShortDescription)), "IOA25(A25)-I/O");
  IDispatch* op = Obj(CallDispatch(e, E::GetInstructionOpcode, {Variant(0)}));
  EXPECT_EQ(Text(CallDispatch(op, O::GetDescription)), "BYPASS(1111111111)");
  IDispatch* ra = Obj(CallDispatch(e, E::GetRegisterAssociation, {Variant(0)}));
  EXPECT_EQ(Text(CallDispatch(ra, O::GetDescription)), "DEVICE_ID  (IDCODE(0000000110))");
  IDispatch* mapping = Obj(CallDispatch(pin, P::GetPinMapping));
  EXPECT_EQ(Text(CallDispatch(mapping, O::GetDescription)), "");

  // A long name stays whole; a length and an entry without an opcode show.
  TRegisterAssociation* big = s.e.NewObject<TRegisterAssociation>();
  big->SetRegisterName(u"IOCSR_REGISTER");
  big->SetRegisterLength(130175);
  big->AddOpCode(s.e.InstructionOpCodes[0]);
  big->AddInstructionName(u"CONFIG_IO");
  EXPECT_EQ(Text(CallDispatch(big->Dispatch(), O::GetDescription)),
            "IOCSR_REGISTER[130175] (BYPASS(1111111111),CONFIG_IO(NoOpcode))");
}

TEST(BSDLEntityModel, CrossReferencesLeadToTheSameObjects) {
  SmallEntity s;
  IDispatch* e = s.entity();
  IDispatch* c0 = Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(0)}));
  IDispatch* c1 = Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(1)}));
  IDispatch* c2 = Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(2)}));
  IDispatch* pin = Obj(CallDispatch(e, E::GetPin, {Variant(0)}));
  EXPECT_EQ(Obj(CallDispatch(c2, C::GetControlCell)), c1);
  EXPECT_EQ(Obj(CallDispatch(c1, C::GetTargetCell)), c2);
  EXPECT_EQ(Obj(CallDispatch(c0, C::GetPin)), pin);
  EXPECT_EQ(Obj(CallDispatch(c2, C::GetPin)), pin);
  EXPECT_EQ(Int(CallDispatch(c2, C::GetControlCellNumber)), 1);
  EXPECT_EQ(Int(CallDispatch(c1, C::GetControlCellNumber)), -1);
  EXPECT_EQ(Int(CallDispatch(c2, C::GetDisableResult)), eDisableResult_HiZ);
  EXPECT_EQ(Int(CallDispatch(c0, C::GetDisableValue)), eBit_0);
  EXPECT_EQ(Text(CallDispatch(c1, C::GetPortId)), "*");
  EXPECT_EQ(Obj(CallDispatch(pin, P::GetBoundaryCell, {Variant(1)})), c2);
  IDispatch* mapping = Obj(CallDispatch(pin, P::GetPinMapping));
  EXPECT_EQ(Obj(CallDispatch(mapping, M::GetScanPin)), pin);
  EXPECT_EQ(Text(CallDispatch(mapping, M::GetPinNumber)), "A25");
  // Every object's entity is the entity's implementor, whose answers are the entity's.
  IDispatch* owner = Obj(CallDispatch(pin, O::GetEntity));
  EXPECT_EQ(owner, s.e.ImplDispatch());
  EXPECT_EQ(Text(CallDispatch(owner, E::GetName)), "EP4SGX70DF29");
}

TEST(BSDLEntityModel, ServiceNamesFollowTheClassLevels) {
  SmallEntity s;
  IDispatch* e = s.entity();
  IDispatch* pin = Obj(CallDispatch(e, E::GetPin, {Variant(0)}));
  IDispatch* cell = Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(0)}));
  IDispatch* op = Obj(CallDispatch(e, E::GetInstructionOpcode, {Variant(0)}));
  IDispatch* ra = Obj(CallDispatch(e, E::GetRegisterAssociation, {Variant(0)}));
  IDispatch* mapping = Obj(CallDispatch(pin, P::GetPinMapping));
  auto supports = [](IDispatch* o, const char16_t* name) {
    const CallResult r = CallDispatch(o, 1023, {Variant(name)});
    EXPECT_TRUE(r.ok());
    return r.value.vt() == VT_BOOL && r.value.raw().boolVal == VARIANT_TRUE;
  };
  struct Case {
    IDispatch* object;
    const char16_t* name;
    bool expected;
  } cases[] = {
      {pin, u"ScanPin", true},           {pin, u"sCANpIN", true},          {pin, u"BSDLValueHolder", true},
      {pin, u"BSDLObject", true},        {pin, u"BSDLEntity", false},      {pin, u"BoundaryCell", false},
      {cell, u"boundarycell", true},     {cell, u"BSDLValueHolder", true}, {cell, u"ScanPin", false},
      {op, u"InstructionOpCode", true},  {op, u"BSDLValueHolder", false},  {ra, u"RegisterAssociation", true},
      {mapping, u"PinMapping", true},    {mapping, u"BSDLObject", true},   {e, u"BSDLEntity", true},
      {e, u"BSDLObject", false},         {e, u"bsdlentity", true},
      // The model object itself answers as its most specific implementor.
      {s.io, u"ScanPin", true},          {s.io, u"BSDLValueHolder", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(supports(c.object, c.name), c.expected) << Utf16ToUtf8(c.name);
}

TEST(BSDLEntityModel, ModelObjectsForwardToTheirImplementors) {
  SmallEntity s;
  // The scan pin object itself (not its implementor) answers the common and the pin
  // operations by offering the call to its implementors in turn.
  EXPECT_EQ(Text(CallDispatch(s.io, P::GetPinNumber)), "A25");
  EXPECT_EQ(Text(CallDispatch(s.io, O::GetShortDescription)), "IOA25(A25)-I/O");
  EXPECT_EQ(CallDispatch(s.io, 0).hr, E_NOTIMPL);
  EXPECT_EQ(CallDispatch(s.io, E::GetName).hr, E_NOTIMPL);
  EXPECT_EQ(CallDispatch(s.e.Dispatch(), P::GetPinName).hr, E_NOTIMPL);
  // Light objects are not counted.
  EXPECT_EQ(s.io->AddRef(), 0u);
  EXPECT_EQ(s.io->Release(), 0u);
  EXPECT_EQ(s.e.AddRef(), 0u);
}

TEST(BSDLEntityModel, TheHostWritesCurrentValuesAndNothingElseChanges) {
  SmallEntity s;
  IDispatch* e = s.entity();
  IDispatch* pin = Obj(CallDispatch(e, E::GetPin, {Variant(0)}));
  IDispatch* cell = Obj(CallDispatch(e, E::GetBoundaryCell, {Variant(2)}));
  const std::string before = Text(CallDispatch(cell, O::GetDescription));
  const Variant one(std::int32_t{1});
  const CallResult put = CallDispatch(pin, dispid::BSDLValueHolder::SetCurrentValue, std::span<const Variant>(&one, 1),
                                      DISPATCH_PROPERTYPUT);
  EXPECT_TRUE(put.ok());
  EXPECT_EQ(put.value.vt(), VT_EMPTY);
  EXPECT_EQ(Int(CallDispatch(pin, P::GetCurrentValue)), 1);
  EXPECT_EQ(Int(CallDispatch(cell, C::GetCurrentValue)), 0);
  EXPECT_TRUE(CallDispatch(cell, dispid::BSDLValueHolder::SetCurrentValue, {Variant(-7)}).ok());
  EXPECT_EQ(Int(CallDispatch(cell, C::GetCurrentValue)), -7);
  EXPECT_EQ(Int(CallDispatch(pin, P::GetCurrentValue)), 1);
  EXPECT_EQ(Text(CallDispatch(cell, O::GetDescription)), before);
  EXPECT_EQ(Int(CallDispatch(pin, P::GetDirection)), eElectricIO);
  // A wrong argument is refused without touching the value.
  EXPECT_EQ(CallDispatch(pin, dispid::BSDLValueHolder::SetCurrentValue).hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Int(CallDispatch(pin, P::GetCurrentValue)), 1);
}

}  // namespace
}  // namespace s4

#include "boundaryscan/builtin_entity.h"

namespace s4 {
namespace {

TEST(BSDLBuiltInRecords, ANameSelectsItsRecordIgnoringCaseAndAnUnknownOneRecordZero) {
  EXPECT_EQ(BuiltInRecordIndex(u"EP4SGX70DF29.bsd"), 0u);
  EXPECT_EQ(BuiltInRecordIndex(u"ep4se820f43.BSD"), 37u);
  EXPECT_EQ(BuiltInRecordIndex(u"EP4S100G5F45.bsd"), 44u);
  EXPECT_EQ(BuiltInRecordIndex(u"nothing.bsd"), 0u);
}

TEST(BSDLBuiltInRecords, TheListsFindWhatWasBuiltAndAFailedBuildLeavesThemEmpty) {
  NamedObjectList<void*> pins, cells, mappings, ops, regs;
  const TBSDLLookupLists lists{pins, cells, mappings, ops, regs};
  Owned<TBSDLEntity> e = BuildBuiltInEntity(37, lists);
  EXPECT_EQ(e->Pins.size(), 1760u);
  EXPECT_EQ(e->BoundaryCells.size(), 3402u);
  EXPECT_EQ(cells.size(), 3402u);
  EXPECT_EQ(pins.size(), 1760u);
  EXPECT_EQ(static_cast<TBoundaryCell*>(cells[*cells.IndexOf(u"3401")].object), e->BoundaryCells[3401]);
  EXPECT_EQ(static_cast<TScanPin*>(pins[*pins.IndexOf(u"h36")].object), e->TAP_TCK);
  EXPECT_THROW(BuildBuiltInEntity(45, lists), std::out_of_range);
  EXPECT_EQ(cells.size(), 0u);  // no entry may outlive the objects it points to
}

}  // namespace
}  // namespace s4

namespace s4 {
namespace {

TEST(NamedObjectList, LooksUpIgnoringCaseKeepsFirstEntriesAndSurvivesGrowth) {
  NamedObjectList<int> list;
  EXPECT_FALSE(list.IndexOf(u"x"));
  EXPECT_EQ(list.Add(u"IOA25", 1), 0u);
  EXPECT_EQ(list.Add(u"ioa25", 2), 0u);  // present: keeps its first entry
  EXPECT_EQ(list[0].object, 1);
  EXPECT_EQ(list[0].name, u"IOA25");
  for (int i = 0; i < 5000; ++i) list.Add(u"n" + Utf8ToUtf16(std::to_string(i)), i);
  EXPECT_EQ(list.size(), 5001u);
  EXPECT_EQ(*list.IndexOf(u"N4999"), 5000u);
  EXPECT_EQ(list[*list.IndexOf(u"n123")].object, 123);
  EXPECT_EQ(*list.IndexOf(u"Ioa25"), 0u);
  EXPECT_FALSE(list.IndexOf(u"n5000"));
  EXPECT_FALSE(list.IndexOf(u""));
  list.Reserve(20000);
  EXPECT_EQ(*list.IndexOf(u"n77"), 78u);
  list.clear();
  EXPECT_FALSE(list.IndexOf(u"n77"));
  EXPECT_EQ(list.Add(u"", 9), 0u);
  EXPECT_EQ(*list.IndexOf(u""), 0u);
}

}  // namespace
}  // namespace s4
