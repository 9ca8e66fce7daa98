// Bitmap handles away from Windows: numbers naming bitmaps in a process-wide table.
#include <map>
#include <mutex>

#include "platform/bitmap.h"

namespace s4 {

namespace {
struct Table {
  std::mutex lock;
  std::map<BitmapHandle, std::shared_ptr<const Bitmap>> bitmaps;
  BitmapHandle next = 0x1000;
};
Table& Handles() {
  static auto* t = new Table();
  return *t;
}
}  // namespace

BitmapHandle MakeBitmapHandle(std::shared_ptr<const Bitmap> bitmap) {
  if (!bitmap) return 0;
  Table& t = Handles();
  std::lock_guard<std::mutex> g(t.lock);
  const BitmapHandle h = t.next++;
  t.bitmaps.emplace(h, std::move(bitmap));
  return h;
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
  t.bitmaps.erase(handle);
}

}  // namespace s4
