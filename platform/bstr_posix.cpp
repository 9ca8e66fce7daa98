// BSTR allocation away from Windows: one malloc() block holding the 32-bit byte length,
// the UTF-16 text and a 16-bit terminating null. The BSTR points just past the length.
#include <cstdlib>
#include <cstring>

#include "platform/com.h"

namespace {
constexpr std::size_t kPrefix = sizeof(std::uint32_t);

std::uint32_t& ByteLength(BSTR s) {
  return *reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(s) - kPrefix);
}
}  // namespace

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
  // The byte length must fit the 32-bit prefix; refuse anything larger rather than wrap.
  if (ui > (0xFFFFFFFFu - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR)) return nullptr;
  const std::size_t bytes = std::size_t(ui) * sizeof(OLECHAR);
  auto* block = static_cast<char*>(std::malloc(kPrefix + bytes + sizeof(OLECHAR)));
  if (!block) return nullptr;
  const auto len32 = static_cast<std::uint32_t>(bytes);
  std::memcpy(block, &len32, kPrefix);
  auto* text = reinterpret_cast<OLECHAR*>(block + kPrefix);
  if (strIn)
    std::memcpy(text, strIn, bytes);
  else
    std::memset(text, 0, bytes);
  text[ui] = 0;
  return text;
}

BSTR SysAllocString(const OLECHAR* psz) {
  if (!psz) return nullptr;
  UINT n = 0;
  while (psz[n]) ++n;
  return SysAllocStringLen(psz, n);
}

void SysFreeString(BSTR bstrString) {
  if (bstrString) std::free(reinterpret_cast<char*>(bstrString) - kPrefix);
}

UINT SysStringByteLen(BSTR bstr) { return bstr ? ByteLength(bstr) : 0; }

UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / sizeof(OLECHAR); }
