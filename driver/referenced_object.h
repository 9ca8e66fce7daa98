// The light family of COM objects: the object's own method table begins with the IUnknown
// (and, for TDispatchObject, IDispatch) methods, so a pointer to the object is itself a COM
// pointer.
//
// Life cycle: an object starts with a count of 1 while its constructors run, so references
// taken inside them cannot free it; Create() then drops that count (normally to 0) and the
// creator takes the first reference. Destroy() refuses ("Invalid Pointer") while references
// are outstanding.
#pragma once

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "platform/com.h"

namespace s4 {

template <class Interface>
class TReferencedObjectOf : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = FindInterface(iid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++FRefCount); }
  ULONG STDMETHODCALLTYPE Release() override {
    const std::int32_t n = --FRefCount;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  std::int32_t RefCount() const { return FRefCount.load(); }

  // Constructs an object and ends its construction phase (count 1 -> 0).
  template <class T, class... A>
  static T* Create(A&&... args) {
    T* obj = new T(std::forward<A>(args)...);
    obj->AfterConstruction();
    return obj;
  }

  // Frees an object that nobody references any more; its owner calls this.
  void Destroy() {
    if (FRefCount.load() != 0) throw std::logic_error("Invalid Pointer");
    delete this;
  }

 protected:
  TReferencedObjectOf() = default;
  TReferencedObjectOf(const TReferencedObjectOf&) = delete;
  TReferencedObjectOf& operator=(const TReferencedObjectOf&) = delete;
  virtual ~TReferencedObjectOf() = default;

  void AfterConstruction() { --FRefCount; }

  // The declared interfaces: own class first, then ancestors. Answers null when the class
  // does not declare the interface.
  virtual void* FindInterface(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown)) return static_cast<IUnknown*>(this);
    return nullptr;
  }

 private:
  std::atomic<std::int32_t> FRefCount{1};
};

using TReferencedObject = TReferencedObjectOf<IUnknown>;

// Adds IDispatch; every IDispatch method answers E_NOTIMPL until a descendant replaces Invoke.
class TDispatchObject : public TReferencedObjectOf<IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;

 protected:
  void* FindInterface(REFIID iid) override;
};

// Objects owned by whoever made them: AddRef and Release answer 0 and change nothing, and
// the owner frees the object with Destroy() (the count stays 0, so that always succeeds).
class TDispatchObjectNoRef : public TDispatchObject {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return 0; }
  ULONG STDMETHODCALLTYPE Release() override { return 0; }
};

}  // namespace s4
