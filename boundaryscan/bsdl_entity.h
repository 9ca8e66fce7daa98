// The boundary-scan model of one device: a TBSDLEntity and the objects of its tree (scan
// pins, boundary cells, pin mappings, instruction opcodes, register associations).
//
// The model objects are light dispatch objects that are not reference counted: the entity
// owns every object it lists, and whoever made the entity (the driver) frees it. The host
// never talks to a model object directly; it gets the object's implementors, one per level
// of the host's class hierarchy (TBSDLObject_Impl for the common operations, then
// TScanPin_Impl, TBoundaryCell_Impl, ...). Each implementor is embedded in its model object,
// so it lives exactly as long as that object, and handing it to the host adds no life.
//
// Invoke on a model object tries the object's own table (only the service query) and then
// offers the call to each implementor in the order they were added, stopping at the first
// that knows the DISPID.
#pragma once

#include <array>
#include <cstdint>
#include <new>
#include <memory>
#include <type_traits>
#include <string>
#include <utility>
#include <vector>

#include "boundaryscan/abstract_bsdl.h"
#include "driver/referenced_object.h"

namespace s4 {

class TBSDLEntity;
class TBSDLObject;
class TScanPin;
class TBoundaryCell;
class TPinMapping;
class TInstructionOpCode;
class TRegisterAssociation;

// An implementor lives inside its model object: AddRef and Release change nothing, and the
// model object's lifetime is the implementor's.
template <class HostBase, class Model>
class TBSDLImplOf : public HostBase {
 public:
  explicit TBSDLImplOf(Model* ex) : Ex(ex) {}
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  Model* const Ex;
};

template <class HostBase, class Model>
class TBSDLObjectImplOf : public TBSDLImplOf<HostBase, Model> {
 public:
  using TBSDLImplOf<HostBase, Model>::TBSDLImplOf;
  WideString GetDescription() override;
  WideString GetShortDescription() override;
  ComPtr<IDispatch> GetEntity() override;
};

class TBSDLObject_Impl final : public TBSDLObjectImplOf<TAbstractBSDLObject, TBSDLObject> {
 public:
  using TBSDLObjectImplOf::TBSDLObjectImplOf;
};

// Keeps objects by value in chunks of 256, so that making thousands of them costs a few
// allocations; objects never move and are destroyed with the arena.
template <class T>
class TObjectArena {
 public:
  TObjectArena() = default;
  TObjectArena(const TObjectArena&) = delete;
  TObjectArena& operator=(const TObjectArena&) = delete;
  ~TObjectArena() {
    for (std::size_t c = 0; c < chunks_.size(); ++c) {
      const std::size_t n = c + 1 == chunks_.size() ? used_ : kChunk;
      for (std::size_t i = 0; i < n; ++i) At(c, i)->~T();
    }
  }
  template <class... A>
  T* Emplace(A&&... args) {
    if (chunks_.empty() || used_ == kChunk) {
      chunks_.emplace_back(new Chunk);
      used_ = 0;
    }
    T* p = new (chunks_.back()->bytes + used_ * sizeof(T)) T(std::forward<A>(args)...);
    ++used_;
    return p;
  }

 private:
  static constexpr std::size_t kChunk = 256;
  struct Chunk {
    alignas(T) unsigned char bytes[sizeof(T) * kChunk];
  };
  T* At(std::size_t c, std::size_t i) { return std::launder(reinterpret_cast<T*>(chunks_[c]->bytes + i * sizeof(T))); }
  std::vector<std::unique_ptr<Chunk>> chunks_;
  std::size_t used_ = 0;
};

// Deletes a model object through its owner's Destroy(). Runs in destructors, so it never
// raises: an object Destroy() refuses (still referenced) is left alive.
struct DestroyDispatchObject {
  void operator()(TDispatchObject* p) const noexcept;
};
template <class T>
using Owned = std::unique_ptr<T, DestroyDispatchObject>;

// Makes a model object (its construction phase ends, so Destroy() accepts it later).
template <class T, class... A>
Owned<T> MakeOwned(A&&... args) {
  return Owned<T>(TDispatchObject::Create<T>(std::forward<A>(args)...));
}

// The base of every model object other than the entity.
class TBSDLObject : public TDispatchObjectNoRef {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

  // The most specific implementor: what the host is handed for this object.
  IDispatch* Dispatch() const { return FImplementators[FImplementatorCount - 1]; }
  ComPtr<IDispatch> DispatchRef() const { return ComPtr<IDispatch>::Share(Dispatch()); }
  TBSDLEntity* Entity() const { return FEntity; }

  virtual std::u16string Description() const { return {}; }
  virtual std::u16string ShortDescription() const { return Description(); }

 protected:
  explicit TBSDLObject(TBSDLEntity* entity);
  void AddImplementor(TAbstractSupportService* impl) { FImplementators[FImplementatorCount++] = impl; }

 private:
  TBSDLEntity* FEntity;
  std::array<TAbstractSupportService*, 2> FImplementators{};
  std::size_t FImplementatorCount = 0;
  TBSDLObject_Impl FObjectImpl{this};
};

class TScanPin_Impl final : public TBSDLObjectImplOf<TAbstractScanPin, TScanPin> {
 public:
  using TBSDLObjectImplOf::TBSDLObjectImplOf;
  using TAbstractScanPin::SupportsService;
  bool SupportsService(std::u16string_view name) override;
  TPinElectrical GetDirection() override;
  WideString GetPinName() override;
  WideString GetPinNumber() override;
  TScanPinKind GetKind() override;
  ComPtr<IDispatch> GetPinMapping() override;
  std::int32_t GetBoundaryCellCount() override;
  ComPtr<IDispatch> GetBoundaryCell(std::int32_t index) override;
  std::int32_t GetCurrentValue() override;
  void SetCurrentValue(std::int32_t value) override;
};

class TScanPin final : public TBSDLObject {
 public:
  explicit TScanPin(TBSDLEntity* entity) : TBSDLObject(entity) { AddImplementor(&FImpl); }
  ~TScanPin() override = default;  // public: the entity keeps its objects by value

  TPinElectrical Direction = eElectricPassive;
  std::u16string PinName;
  std::u16string PinNumber;
  TScanPinKind Kind = eScanPinKind_Normal;
  TPinMapping* PinMapping = nullptr;
  std::int32_t CurrentValue = 0;
  std::vector<TBoundaryCell*> BoundaryCells;

  void SetDirection(TPinElectrical v) { Direction = v; }
  void SetPinName(std::u16string_view v) { PinName = v; }
  void SetPinNumber(std::u16string_view v) { PinNumber = v; }
  void SetKind(TScanPinKind v) { Kind = v; }
  void SetPinMapping(TPinMapping* v) { PinMapping = v; }
  void AddBoundaryCell(TBoundaryCell* c) { BoundaryCells.push_back(c); }

  std::u16string Description() const override;
  std::u16string ShortDescription() const override;

 private:
  TScanPin_Impl FImpl{this};
};

class TBoundaryCell_Impl final : public TBSDLObjectImplOf<TAbstractBoundaryCell, TBoundaryCell> {
 public:
  using TBSDLObjectImplOf::TBSDLObjectImplOf;
  using TAbstractBoundaryCell::SupportsService;
  bool SupportsService(std::u16string_view name) override;
  std::int32_t GetCellNumber() override;
  TCellKind GetCellKind() override;
  WideString GetPortId() override;
  TCellFunction GetCellFunction() override;
  TBitValue GetSafeBit() override;
  std::int32_t GetControlCellNumber() override;
  TBitValue GetDisableValue() override;
  TDisableResult GetDisableResult() override;
  ComPtr<IDispatch> GetPin() override;
  ComPtr<IDispatch> GetControlCell() override;
  ComPtr<IDispatch> GetTargetCell() override;
  std::int32_t GetCurrentValue() override;
  void SetCurrentValue(std::int32_t value) override;
};

class TBoundaryCell final : public TBSDLObject {
 public:
  explicit TBoundaryCell(TBSDLEntity* entity) : TBSDLObject(entity) { AddImplementor(&FImpl); }
  ~TBoundaryCell() override = default;  // public: the entity keeps its objects by value

  std::int32_t CellNumber = -1;
  TCellKind CellKind = eCellKind_Undefined;
  std::u16string PortId = u"*";
  TBitValue SafeBit = eBit_X;
  std::int32_t ControlCellNumber = -1;
  TBitValue DisableValue = eBit_0;
  TDisableResult DisableResult = eDisableResult_Undefined;
  TScanPin* Pin = nullptr;
  TBoundaryCell* ControlCell = nullptr;
  TBoundaryCell* TargetCell = nullptr;
  TCellFunction CellFunction = eCellFunction_Undefined;
  std::int32_t CurrentValue = 0;

  void SetCellNumber(std::int32_t v) { CellNumber = v; }
  void SetCellKind(TCellKind v) { CellKind = v; }
  void SetPortId(std::u16string_view v) { PortId = v; }
  void SetCellFunction(TCellFunction v) { CellFunction = v; }
  void SetSafeBit(TBitValue v) { SafeBit = v; }
  void SetControlCellNumber(std::int32_t v) { ControlCellNumber = v; }
  void SetDisableValue(TBitValue v) { DisableValue = v; }
  void SetDisableResult(TDisableResult v) { DisableResult = v; }
  void SetPin(TScanPin* v) { Pin = v; }
  void SetControlCell(TBoundaryCell* v) { ControlCell = v; }
  void SetTargetCell(TBoundaryCell* v) { TargetCell = v; }

  std::u16string Description() const override;

 private:
  TBoundaryCell_Impl FImpl{this};
};

class TPinMapping_Impl final : public TBSDLObjectImplOf<TAbstractPinMapping, TPinMapping> {
 public:
  using TBSDLObjectImplOf::TBSDLObjectImplOf;
  WideString GetPinName() override;
  WideString GetPinNumber() override;
  ComPtr<IDispatch> GetScanPin() override;
};

class TPinMapping final : public TBSDLObject {
 public:
  explicit TPinMapping(TBSDLEntity* entity) : TBSDLObject(entity) { AddImplementor(&FImpl); }
  ~TPinMapping() override = default;  // public: the entity keeps its objects by value

  std::u16string PinName;
  std::u16string PinNumber;
  TScanPin* ScanPin = nullptr;

  void SetPinName(std::u16string_view v) { PinName = v; }
  void SetPinNumber(std::u16string_view v) { PinNumber = v; }
  void SetScanPin(TScanPin* v) { ScanPin = v; }

 private:
  TPinMapping_Impl FImpl{this};
};

class TInstructionOpCode_Impl final : public TBSDLObjectImplOf<TAbstractInstructionOpCode, TInstructionOpCode> {
 public:
  using TBSDLObjectImplOf::TBSDLObjectImplOf;
  WideString GetInstructionName() override;
  WideString GetOpCodePattern() override;
};

class TInstructionOpCode final : public TBSDLObject {
 public:
  explicit TInstructionOpCode(TBSDLEntity* entity) : TBSDLObject(entity) { AddImplementor(&FImpl); }
  ~TInstructionOpCode() override = default;  // public: the entity keeps its objects by value

  std::u16string InstructionName;
  std::u16string OpCodePattern;  // "0", "1" and "X", most significant bit first
  std::uint32_t InstructionCode = 0;

  void SetInstructionName(std::u16string_view v) { InstructionName = v; }
  void SetOpCodePattern(std::u16string_view v) { OpCodePattern = v; }

  std::u16string Description() const override;

 private:
  TInstructionOpCode_Impl FImpl{this};
};

class TRegisterAssociation_Impl final
    : public TBSDLObjectImplOf<TAbstractRegisterAssociation, TRegisterAssociation> {
 public:
  using TBSDLObjectImplOf::TBSDLObjectImplOf;
  WideString GetRegisterName() override;
  std::int32_t GetRegisterLength() override;
  std::int32_t GetInstructionOpcodeCount() override;
  ComPtr<IDispatch> GetInstructionOpcode(std::int32_t index) override;
};

class TRegisterAssociation final : public TBSDLObject {
 public:
  explicit TRegisterAssociation(TBSDLEntity* entity) : TBSDLObject(entity) { AddImplementor(&FImpl); }
  ~TRegisterAssociation() override = default;  // public: the entity keeps its objects by value

  std::u16string RegisterName;
  std::int32_t RegisterLength = 0;
  // Instruction names, each with the opcode it stands for (or none).
  std::vector<std::pair<std::u16string, TInstructionOpCode*>> InstructionOpCodes;

  void SetRegisterName(std::u16string_view v) { RegisterName = v; }
  void SetRegisterLength(std::int32_t v) { RegisterLength = v; }
  void AddOpCode(TInstructionOpCode* op) { InstructionOpCodes.emplace_back(op->InstructionName, op); }
  // An instruction that names no known opcode.
  void AddInstructionName(std::u16string_view name) { InstructionOpCodes.emplace_back(name, nullptr); }

  std::u16string Description() const override;

 private:
  TRegisterAssociation_Impl FImpl{this};
};

class TBSDLEntity_Impl final : public TBSDLImplOf<TAbstractBSDLEntity, TBSDLEntity> {
 public:
  using TBSDLImplOf::TBSDLImplOf;
  WideString GetName() override;
  std::int32_t GetInstructionLength() override;
  std::uint32_t GetIdCode() override;
  std::int32_t GetBoundaryLength() override;
  ComPtr<IDispatch> GetPin(std::int32_t index) override;
  ComPtr<IDispatch> GetPinMapping(std::int32_t index) override;
  ComPtr<IDispatch> GetBoundaryCell(std::int32_t index) override;
  ComPtr<IDispatch> GetInstructionOpcode(std::int32_t index) override;
  ComPtr<IDispatch> GetRegisterAssociation(std::int32_t index) override;
  std::int32_t GetPinCount() override;
  std::int32_t GetPinMappingCount() override;
  std::int32_t GetBoundaryCellCount() override;
  std::int32_t GetInstructionOpcodeCount() override;
  std::int32_t GetRegisterAssociationCount() override;
  ComPtr<IDispatch> GetPin_TDI() override;
  ComPtr<IDispatch> GetPin_TDO() override;
  ComPtr<IDispatch> GetPin_TMS() override;
  ComPtr<IDispatch> GetPin_TCK() override;
  ComPtr<IDispatch> GetPin_TRST() override;
  std::uint32_t GetInstruction_BYPASS() override;
  std::uint32_t GetInstruction_EXTEST() override;
  std::uint32_t GetInstruction_SAMPLE() override;
  std::uint32_t GetInstruction_IDCODE() override;
  std::uint32_t GetInstruction_USERCODE() override;
  std::uint32_t GetInstruction_CLAMP() override;
  std::uint32_t GetInstruction_HIGHZ() override;
  double GetScanClockMaxSpeed() override;
  TScanClockHaltMode GetScanClockHaltMode() override;
  WideString GetConformanceStatement() override;
  WideString GetCompliancePattern() override;
  WideString GetDesignWarning() override;
  WideString GetFilename() override;
};

class TEntity : public TDispatchObjectNoRef {
 public:
  std::u16string Name;
};

class TBSDLEntity final : public TEntity {
 public:
  TBSDLEntity() = default;

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

  // The entity as the host gets it: its own dispatch interface, which forwards to Impl.
  IDispatch* Dispatch() { return static_cast<IDispatch*>(this); }
  IDispatch* ImplDispatch() { return &Impl; }

  TBSDLEntity_Impl Impl{this};
  std::int32_t InstructionLength = 0;
  std::uint32_t IdCode = 0;
  std::vector<TPinMapping*> PinMappings;
  std::u16string DesignWarning;
  std::uint32_t Instruction_BYPASS = kUndefinedInstruction;
  std::uint32_t Instruction_EXTEST = kUndefinedInstruction;
  std::uint32_t Instruction_IDCODE = kUndefinedInstruction;
  std::uint32_t Instruction_USERCODE = kUndefinedInstruction;
  std::uint32_t Instruction_CLAMP = kUndefinedInstruction;
  std::uint32_t Instruction_HIGHZ = kUndefinedInstruction;
  std::uint32_t Instruction_SAMPLE = kUndefinedInstruction;
  std::vector<TScanPin*> Pins;
  std::vector<TInstructionOpCode*> InstructionOpCodes;
  std::vector<TRegisterAssociation*> RegisterAssociations;
  std::vector<TBoundaryCell*> BoundaryCells;
  std::int32_t BoundaryLength = 0;
  double ScanClockMaxSpeed = 0.0;
  TScanClockHaltMode ScanClockHaltMode = eScanClockHaltMode_None;
  std::u16string ConformanceStatement;
  std::u16string CompliancePattern;
  std::u16string Filename;
  TScanPin* TAP_TDI = nullptr;
  TScanPin* TAP_TDO = nullptr;
  TScanPin* TAP_TMS = nullptr;
  TScanPin* TAP_TCK = nullptr;
  TScanPin* TAP_TRST = nullptr;

  // Makes an object of the entity's tree; the entity owns it from then on, whether or not it
  // is appended to one of the lists. Objects are kept by value in chunked storage, so that
  // building thousands of cells costs few allocations; they never move.
  template <class T>
  T* NewObject() {
    return Storage<T>().Emplace(this);
  }

  void AddPin(TScanPin* p) { Pins.push_back(p); }
  void AddPinMapping(TPinMapping* m) { PinMappings.push_back(m); }
  void AddBoundaryCell(TBoundaryCell* c) { BoundaryCells.push_back(c); }
  void AddInstructionOpCode(TInstructionOpCode* o) { InstructionOpCodes.push_back(o); }
  void AddRegisterAssociation(TRegisterAssociation* r) { RegisterAssociations.push_back(r); }

 private:
  template <class T>
  TObjectArena<T>& Storage() {
    if constexpr (std::is_same_v<T, TScanPin>) return FScanPins;
    else if constexpr (std::is_same_v<T, TBoundaryCell>) return FCells;
    else if constexpr (std::is_same_v<T, TPinMapping>) return FPinMappings;
    else if constexpr (std::is_same_v<T, TInstructionOpCode>) return FOpCodes;
    else return FRegisterAssociations;
  }
  TObjectArena<TScanPin> FScanPins;
  TObjectArena<TBoundaryCell> FCells;
  TObjectArena<TPinMapping> FPinMappings;
  TObjectArena<TInstructionOpCode> FOpCodes;
  TObjectArena<TRegisterAssociation> FRegisterAssociations;
};

// The host's reference to an object: its most specific implementor, or empty.
template <class T>
ComPtr<IDispatch> DispatchOf(T* object) {
  return object ? object->DispatchRef() : ComPtr<IDispatch>();
}
inline ComPtr<IDispatch> DispatchOf(TBSDLEntity* entity) {
  return entity ? ComPtr<IDispatch>::Share(entity->Dispatch()) : ComPtr<IDispatch>();
}

}  // namespace s4
