#include "driver/support_service.h"

#include "platform/com_ptr.h"
#include "platform/widestring.h"

namespace s4 {

HRESULT TAbstractSupportService::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = FindInterface(iid);
  if (!*out) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

void* TAbstractSupportService::FindInterface(REFIID iid) {
  if (IsEqualIID(iid, IID_ISupportService)) return static_cast<ISupportService*>(this);
  if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IUnknown)) return static_cast<IDispatch*>(this);
  return nullptr;
}

ULONG TAbstractSupportService::AddRef() { return static_cast<ULONG>(++FRefCount); }

ULONG TAbstractSupportService::Release() {
  const std::int32_t n = --FRefCount;
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

HRESULT TAbstractSupportService::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return E_NOTIMPL;
}
HRESULT TAbstractSupportService::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT TAbstractSupportService::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT TAbstractSupportService::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                        EXCEPINFO*, UINT* argErr) {
  return dispatch::Invoke(DispatchTable(), *this, id, params, result, argErr);
}

HRESULT TAbstractSupportService::SupportsService(BSTR name, Boolean* result) {
  if (!result) return E_POINTER;
  *result = 0;
  try {
    *result = SupportsService(BstrView(name)) ? 1 : 0;
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

bool TAbstractSupportService::SupportsService(std::u16string_view) { return false; }

const TAbstractSupportService::DispatchTableType& TAbstractSupportService::ClassTable() {
  static const DispatchTableType table{
      dispatch::Bind<Root, 1023, static_cast<bool (Root::*)(std::u16string_view)>(&Root::SupportsService)>()};
  return table;
}

const TAbstractSupportService::DispatchTableType& TAbstractSupportService::DispatchTable() const {
  return ClassTable();
}

bool ObjectSupportsService(IUnknown* object, std::u16string_view name) {
  if (!object) return false;
  auto service = ComPtr<IUnknown>::Share(object).As<ISupportService>(IID_ISupportService);
  if (!service) return false;
  WideString n(name);
  Boolean answer = 0;
  return SUCCEEDED(service->SupportsService(n.get(), &answer)) && answer != 0;
}

}  // namespace s4
