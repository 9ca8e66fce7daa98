// ComPtr<T>: owns one reference to a COM interface and releases it when it goes.
#pragma once

#include <utility>

#include "platform/com.h"

namespace s4 {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference the caller already holds.
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Takes a new reference of its own.
  static ComPtr Share(T* p) {
    if (p) p->AddRef();
    return Adopt(p);
  }
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { reset(); }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Gives up ownership of the reference.
  T* detach() { return std::exchange(p_, nullptr); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out parameters: releases what is held and answers the slot.
  T** put() {
    reset();
    return &p_;
  }

  // QueryInterface for another interface; null when the object does not have it.
  template <class U>
  ComPtr<U> As(const IID& iid) const {
    void* out = nullptr;
    if (p_ && SUCCEEDED(p_->QueryInterface(iid, &out)) && out) return ComPtr<U>::Adopt(static_cast<U*>(out));
    return {};
  }

 private:
  T* p_ = nullptr;
};

}  // namespace s4
