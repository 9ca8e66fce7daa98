// The pin-level interface of the host's JTAG channel, a binary interface of the host like
// IDispatch: the channel object answers QueryInterface for it. A level is set first and driven
// onto the line by Apply; Sample latches TDO for GetTDO. Levels are 8-bit booleans. Declared once
// here so that the module and the simulated host use the same type.
#pragma once

#include "platform/com.h"

namespace s4 {

// {F07D3E29-9EE8-4972-8DE0-CCC740E03959}
inline constexpr IID IID_IJTagPinAccess = {
    0xF07D3E29, 0x9EE8, 0x4972, {0x8D, 0xE0, 0xCC, 0xC7, 0x40, 0xE0, 0x39, 0x59}};

struct IJTagPinAccess : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTCK(bool* level) = 0;       // 3
  virtual HRESULT STDMETHODCALLTYPE GetTMS(bool* level) = 0;       // 4
  virtual HRESULT STDMETHODCALLTYPE SetTCK(bool level) = 0;        // 5
  virtual HRESULT STDMETHODCALLTYPE GetTDI(bool* level) = 0;       // 6
  virtual HRESULT STDMETHODCALLTYPE SetTDI(bool level) = 0;        // 7
  virtual HRESULT STDMETHODCALLTYPE SetTMS(bool level) = 0;        // 8
  virtual HRESULT STDMETHODCALLTYPE GetTRST(bool* level) = 0;      // 9
  virtual HRESULT STDMETHODCALLTYPE GetTDO(bool* level) = 0;       // 10
  virtual HRESULT STDMETHODCALLTYPE SetTRST(bool level) = 0;       // 11
  virtual HRESULT STDMETHODCALLTYPE GetLineCount(int* count) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE Apply() = 0;                   // 13
  virtual HRESULT STDMETHODCALLTYPE Sample() = 0;                  // 14

 protected:
  ~IJTagPinAccess() = default;
};

}  // namespace s4
