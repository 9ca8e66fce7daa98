#include "platform/bitmap.h"

#include <cstring>

#include "platform/files.h"

namespace s4 {

namespace {

// Largest side accepted, so that a hostile header cannot ask for gigabytes.
constexpr std::int64_t kMaxSide = 16384;

std::uint32_t U32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& s, std::uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

std::optional<Bitmap> Refuse(std::string* error, const char* why) {
  if (error) *error = why;
  return std::nullopt;
}

}  // namespace

Bitmap::Bitmap(std::int32_t width, std::int32_t height, Rgb fill)
    : width_(width < 0 ? 0 : width),
      height_(height < 0 ? 0 : height),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

std::optional<Bitmap> Bitmap::FromBmp(std::string_view b, std::string* error) {
  if (b.size() < 14 + 40 || b[0] != 'B' || b[1] != 'M') return Refuse(error, "not a BMP file");
  const std::uint32_t dataOffset = U32(b, 10);
  const std::uint32_t headerSize = U32(b, 14);
  if (headerSize < 40 || 14 + std::uint64_t(headerSize) > b.size()) return Refuse(error, "unknown BMP header");
  const auto width = static_cast<std::int32_t>(U32(b, 18));
  const auto rawHeight = static_cast<std::int32_t>(U32(b, 22));
  const std::uint16_t bpp = U16(b, 28);
  const std::uint32_t compression = U32(b, 30);
  std::uint32_t colours = U32(b, 46);
  if (compression != 0 && !(compression == 3 && bpp == 32)) return Refuse(error, "compressed BMP files are not read");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return Refuse(error, "unsupported bits per pixel");
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  if (width < 0 || width > kMaxSide || height > kMaxSide) return Refuse(error, "picture too large");

  std::vector<Rgb> palette;
  if (bpp <= 8) {
    if (colours == 0) colours = 1u << bpp;
    if (colours > (1u << bpp)) return Refuse(error, "palette too large");
    const std::uint64_t at = 14 + std::uint64_t(headerSize);
    if (at + 4ull * colours > b.size()) return Refuse(error, "palette cut short");
    for (std::uint32_t i = 0; i < colours; ++i) {
      const std::size_t p = static_cast<std::size_t>(at + 4ull * i);
      palette.push_back({static_cast<std::uint8_t>(b[p + 2]), static_cast<std::uint8_t>(b[p + 1]),
                         static_cast<std::uint8_t>(b[p])});
    }
  }
  const std::uint64_t stride = ((std::uint64_t(width) * bpp + 31) / 32) * 4;
  if (dataOffset > b.size() || stride * std::uint64_t(height) > b.size() - dataOffset)
    return Refuse(error, "pixel data cut short");

  Bitmap bmp(width, static_cast<std::int32_t>(height));
  for (std::int64_t row = 0; row < height; ++row) {
    const std::size_t rowStart = static_cast<std::size_t>(dataOffset + stride * std::uint64_t(row));
    const auto y = static_cast<std::int32_t>(topDown ? row : height - 1 - row);
    for (std::int32_t x = 0; x < width; ++x) {
      Rgb c;
      if (bpp == 24 || bpp == 32) {
        const std::size_t p = rowStart + static_cast<std::size_t>(x) * (bpp / 8);
        c = {static_cast<std::uint8_t>(b[p + 2]), static_cast<std::uint8_t>(b[p + 1]), static_cast<std::uint8_t>(b[p])};
      } else {
        const std::size_t bit = static_cast<std::size_t>(x) * bpp;
        const auto byte = static_cast<std::uint8_t>(b[rowStart + bit / 8]);
        const unsigned index = (byte >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        if (index >= palette.size()) return Refuse(error, "colour index outside the palette");
        c = palette[index];
      }
      bmp.set(x, y, c);
    }
  }
  return bmp;
}

std::optional<Bitmap> Bitmap::LoadBmp(std::u16string_view hostPath, std::string* error) {
  auto bytes = ReadWholeFile(hostPath);
  if (!bytes) return Refuse(error, "cannot read the file");
  return FromBmp(*bytes, error);
}

std::string Bitmap::ToBmp() const {
  const std::uint32_t stride = ((static_cast<std::uint32_t>(width_) * 24 + 31) / 32) * 4;
  const std::uint32_t dataSize = stride * static_cast<std::uint32_t>(height_);
  std::string s = "BM";
  Put32(s, 14 + 40 + dataSize);
  Put32(s, 0);
  Put32(s, 14 + 40);
  Put32(s, 40);
  Put32(s, static_cast<std::uint32_t>(width_));
  Put32(s, static_cast<std::uint32_t>(height_));
  Put16(s, 1);
  Put16(s, 24);
  for (int i = 0; i < 6; ++i) Put32(s, 0);
  for (std::int32_t y = height_ - 1; y >= 0; --y) {
    std::size_t written = 0;
    for (std::int32_t x = 0; x < width_; ++x) {
      const Rgb c = at(x, y);
      s += static_cast<char>(c.b);
      s += static_cast<char>(c.g);
      s += static_cast<char>(c.r);
      written += 3;
    }
    s.append(stride - written, '\0');
  }
  return s;
}

void Bitmap::OverlayWithoutCorners(const Bitmap& picture, std::int32_t x, std::int32_t y) {
  if (empty() || picture.empty()) return;
  const std::int32_t pw = picture.width(), ph = picture.height();
  for (std::int32_t py = 0; py < ph; ++py) {
    const std::int64_t ty = std::int64_t(y) + py;
    if (ty < 0 || ty >= height_) continue;
    for (std::int32_t px = 0; px < pw; ++px) {
      const bool corner = (px == 0 || px == pw - 1) && (py == 0 || py == ph - 1);
      const std::int64_t tx = std::int64_t(x) + px;
      if (corner || tx < 0 || tx >= width_) continue;
      set(static_cast<std::int32_t>(tx), static_cast<std::int32_t>(ty), picture.at(px, py));
    }
  }
}

}  // namespace s4
