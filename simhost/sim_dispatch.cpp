#include "simhost/sim_dispatch.h"

#include <stdexcept>

#include "platform/widestring.h"

namespace s4::sim {

std::int32_t RecordedCall::Int(std::size_t i) const {
  std::int32_t v = 0;
  if (i >= args.size() || FAILED(args[i].ToInt32(v))) throw std::runtime_error(object + ": argument not an integer");
  return v;
}
bool RecordedCall::Bool(std::size_t i) const {
  bool v = false;
  if (i >= args.size() || FAILED(args[i].ToBool(v))) throw std::runtime_error(object + ": argument not a boolean");
  return v;
}
std::u16string RecordedCall::Text(std::size_t i) const {
  std::u16string v;
  if (i >= args.size() || FAILED(args[i].ToText(v))) throw std::runtime_error(object + ": argument not a text");
  return v;
}
IDispatch* RecordedCall::Object(std::size_t i) const {
  if (i >= args.size() || args[i].vt() != VT_DISPATCH) throw std::runtime_error(object + ": argument not an object");
  return args[i].raw().pdispVal;
}

void SimCall::SetVarText(std::size_t i, std::u16string_view text) {
  if (i >= live.size() || !live[i] || live[i]->vt != (VT_BSTR | VT_BYREF) || !live[i]->pbstrVal)
    throw std::runtime_error(object + ": argument is not a by-reference text");
  SysFreeString(*live[i]->pbstrVal);
  *live[i]->pbstrVal = WideString(text).detach();
}

ComPtr<SimObject> SimObject::Make(std::string name) { return ComPtr<SimObject>::Adopt(new SimObject(std::move(name))); }

SimObject& SimObject::On(DISPID id, Handler h) {
  handlers_[id] = std::move(h);
  return *this;
}
SimObject& SimObject::Answer(DISPID id, Variant v) {
  return On(id, [v](SimCall&) { return v; });
}
SimObject& SimObject::Fail(DISPID id, HRESULT hr) {
  return On(id, [hr](SimCall&) -> Variant { throw hr; });
}
void SimObject::Reset() {
  handlers_.clear();
  calls_.clear();
}

std::vector<RecordedCall> SimObject::CallsTo(DISPID id) const {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls_)
    if (c.id == id) out.push_back(c);
  return out;
}
std::size_t SimObject::CountOf(DISPID id) const {
  std::size_t n = 0;
  for (const RecordedCall& c : calls_) n += c.id == id;
  return n;
}

std::vector<RecordedCall>& SimObject::Journal() {
  static std::vector<RecordedCall> journal;
  return journal;
}

HRESULT SimObject::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}
ULONG SimObject::AddRef() { return static_cast<ULONG>(++refs_); }
ULONG SimObject::Release() {
  const long n = --refs_;
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}
HRESULT SimObject::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return E_NOTIMPL;
}
HRESULT SimObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT SimObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT SimObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                          UINT*) {
  SimCall call;
  call.object = name_;
  call.id = id;
  if (params) {
    // DISPPARAMS holds the arguments last first.
    for (UINT i = params->cArgs; i-- > 0;) {
      VARIANT& a = params->rgvarg[i];
      call.live.push_back(&a);
      if (a.vt == (VT_BSTR | VT_BYREF) && a.pbstrVal)
        call.args.emplace_back(BstrView(*a.pbstrVal));
      else {
        Variant copy;
        VariantCopy(copy.get(), &a);
        call.args.push_back(std::move(copy));
      }
    }
  }
  calls_.push_back(call);
  Journal().push_back(call);
  auto it = handlers_.find(id);
  if (it == handlers_.end()) return E_NOTIMPL;
  try {
    Variant v = it->second(call);
    if (result) {
      VariantClear(result);
      *result = v.detach();
    }
    return S_OK;
  } catch (HRESULT hr) {
    return hr;
  } catch (...) {
    return E_FAIL;
  }
}

Variant ObjectResult(const ComPtr<SimObject>& o) { return Variant::Dispatch(o ? o->dispatch() : nullptr); }

}  // namespace s4::sim
