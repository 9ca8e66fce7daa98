// Bitmap handles on Windows: the system's own bitmap handles (HBITMAP), made as 24-bit
// device-independent bitmaps with the pixels of the bitmap. A table remembers the bitmap
// behind each handle made here, so that it can be looked up without reading pixels back.
// GDI handles carry 32 significant bits also in 64-bit processes, so the 32-bit handle type
// holds them; they are sign-extended back into a handle.
#include <cstring>
#include <map>
#include <mutex>

#include "platform/bitmap.h"
#include "platform/com.h"

namespace s4 {

namespace {
struct Table {
  std::mutex lock;
  std::map<BitmapHandle, std::shared_ptr<const Bitmap>> bitmaps;
};
Table& Handles() {
  static auto* t = new Table();
  return *t;
}

HBITMAP ToSystem(BitmapHandle h) {
  return reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(static_cast<std::int32_t>(h)));
}
}  // namespace

BitmapHandle MakeBitmapHandle(std::shared_ptr<const Bitmap> bitmap) {
  if (!bitmap || bitmap->empty()) return 0;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bitmap->width();
  info.bmiHeader.biHeight = -bitmap->height();  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h || !bits) return 0;
  const std::size_t stride = (static_cast<std::size_t>(bitmap->width()) * 3 + 3) & ~std::size_t(3);
  auto* rows = static_cast<std::uint8_t*>(bits);
  for (std::int32_t y = 0; y < bitmap->height(); ++y) {
    std::uint8_t* row = rows + static_cast<std::size_t>(y) * stride;
    for (std::int32_t x = 0; x < bitmap->width(); ++x) {
      const Rgb c = bitmap->at(x, y);
      row[3 * x] = c.b;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.r;
    }
  }
  const auto handle = static_cast<BitmapHandle>(reinterpret_cast<UINT_PTR>(h));
  Table& t = Handles();
  std::lock_guard<std::mutex> g(t.lock);
  t.bitmaps[handle] = std::move(bitmap);
  return handle;
}

std::shared_ptr<const Bitmap> BitmapFromHandle(BitmapHandle handle) {
  Table& t = Handles();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.bitmaps.find(handle);
  return it == t.bitmaps.end() ? nullptr : it->second;
}

void ReleaseBitmapHandle(BitmapHandle handle) {
  Table& t = Handles();
  std::lock_guard<std::mutex> g(t.lock);
  if (t.bitmaps.erase(handle)) DeleteObject(ToSystem(handle));
}

}  // namespace s4
