// TAbstractSupportService: the root of every object the host drives through Invoke.
//
// It is a reference-counted COM object (count 0 after construction, freed by the last
// Release) with two declared interfaces, IDispatch and ISupportService. Its Invoke looks the
// DISPID up in the class's dispatch table (see dispatch_table.h); at this level the table
// holds only DISPID 1023, SupportsService.
//
// Each abstract descendant (device information, driver, pin, ...) adds its own table and its
// service name: SupportsService(Name) asks the parent first and then compares Name, ignoring
// case, with the class's own name.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "driver/dispatch_table.h"
#include "platform/com.h"

namespace s4 {

using Boolean = std::uint8_t;  // the 8-bit boolean of the host's interfaces (True = 1)

// {1DEBA58E-0DF5-4081-93E9-0C1732E7DFAE}
inline constexpr IID IID_ISupportService = {
    0x1DEBA58E, 0x0DF5, 0x4081, {0x93, 0xE9, 0x0C, 0x17, 0x32, 0xE7, 0xDF, 0xAE}};

struct ISupportService : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SupportsService(BSTR name, Boolean* result) = 0;

 protected:
  ~ISupportService() = default;
};

class TAbstractSupportService : public IDispatch, public ISupportService {
 public:
  using Root = TAbstractSupportService;
  using DispatchTableType = dispatch::Table<Root>;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* argErr) override;
  // ISupportService
  HRESULT STDMETHODCALLTYPE SupportsService(BSTR name, Boolean* result) final;

  // The service-name query (DISPID 1023): False for every name at this level.
  virtual bool SupportsService(std::u16string_view name);

  // The merged dispatch table of the object's class.
  virtual const DispatchTableType& DispatchTable() const;
  static const DispatchTableType& ClassTable();

  std::int32_t RefCount() const { return FRefCount.load(); }

  // Constructs an object and ends its construction phase (count 1 -> 0).
  template <class T, class... A>
  static T* Create(A&&... args) {
    T* obj = new T(std::forward<A>(args)...);
    --obj->FRefCount;
    return obj;
  }

  // This object as IDispatch, with a new reference.
  ComPtr<IDispatch> DispatchRef() { return ComPtr<IDispatch>::Share(static_cast<IDispatch*>(this)); }

 protected:
  TAbstractSupportService() = default;
  TAbstractSupportService(const TAbstractSupportService&) = delete;
  TAbstractSupportService& operator=(const TAbstractSupportService&) = delete;
  virtual ~TAbstractSupportService() = default;

  // Declared interfaces, own class first; null when not declared.
  virtual void* FindInterface(REFIID iid);

 private:
  std::atomic<std::int32_t> FRefCount{1};
};

// Asks an arbitrary host object whether it supports a service: objects without
// ISupportService support nothing.
bool ObjectSupportsService(IUnknown* object, std::u16string_view name);

// Defines a class's DispatchTable() from its parent's table and its own entries.
#define S4_BIND(id, method) ::s4::dispatch::Bind<Root, id, &method>()

}  // namespace s4

// The two definitions every abstract dispatch class repeats: its service name, compared after
// the parent's, and the virtual access to its static ClassTable().
#define S4_DEFINE_SERVICE(Class, ServiceName)                                            \
  bool Class::SupportsService(std::u16string_view name) {                                \
    return Parent::SupportsService(name) || ::s4::EqualsIgnoreCase(name, ServiceName);   \
  }                                                                                      \
  const Class::DispatchTableType& Class::DispatchTable() const { return ClassTable(); }
