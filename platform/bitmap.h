// Bitmaps: device pictures read from BMP files, composed, and handed to the host as bitmap
// handles.
//
// Pixels are kept as 24-bit RGB rows from the top. BMP files of 1, 4, 8, 24 and 32 bits per
// pixel without compression are read, top-down or bottom-up; anything else, and any file whose
// sizes do not add up, is refused with a message (never read past the data).
//
// Handles: on Windows a handle is the system's bitmap handle; elsewhere it is a number this
// layer hands out (never 0) that names the bitmap in a process-wide table until released.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace s4 {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Bitmap {
 public:
  Bitmap() = default;
  Bitmap(std::int32_t width, std::int32_t height, Rgb fill = {});

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  Rgb at(std::int32_t x, std::int32_t y) const { return pixels_[Index(x, y)]; }
  void set(std::int32_t x, std::int32_t y, Rgb c) { pixels_[Index(x, y)] = c; }

  // Parses a BMP file; the message says why it was refused.
  static std::optional<Bitmap> FromBmp(std::string_view bytes, std::string* error);
  static std::optional<Bitmap> LoadBmp(std::u16string_view hostPath, std::string* error);
  // A 24-bit bottom-up BMP file.
  std::string ToBmp() const;

  // Copies `picture` onto this bitmap with its top-left corner at (x, y), leaving out the
  // picture's four corner pixels. Only the part that lies inside both bitmaps is copied;
  // nothing is when either is empty.
  void OverlayWithoutCorners(const Bitmap& picture, std::int32_t x, std::int32_t y);

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  }
  std::int32_t width_ = 0, height_ = 0;
  std::vector<Rgb> pixels_;
};

using BitmapHandle = std::uint32_t;

// Makes a handle for a bitmap (shared with the caller) and looks one up; null for an unknown
// handle. ReleaseBitmapHandle forgets it.
BitmapHandle MakeBitmapHandle(std::shared_ptr<const Bitmap> bitmap);
std::shared_ptr<const Bitmap> BitmapFromHandle(BitmapHandle handle);
void ReleaseBitmapHandle(BitmapHandle handle);

}  // namespace s4
