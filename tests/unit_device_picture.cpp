// The device picture: the generic picture with the family picture centred on it.
#include <gtest/gtest.h>

#include "driver/device_picture.h"
#include "platform/files.h"
#include "tests/host_test_folder.h"

namespace s4 {
namespace {

constexpr Rgb kGrey{128, 128, 128}, kRed{255, 0, 0};

class DevicePicture : public ::testing::Test {
 protected:
  void Generic(std::int32_t w, std::int32_t h) { tmp.Write("sys/Generic_Hard_Device.bmp", Bitmap(w, h, kGrey).ToBmp()); }
  void Family(std::int32_t w, std::int32_t h) {
    tmp.Write("lib/DeviceImages/Stratix4.bmp", Bitmap(w, h, kRed).ToBmp());
  }
  std::optional<Bitmap> Build() { return BuildDevicePicture(tmp.host("sys/"), tmp.host("lib/"), u"Stratix4"); }
  // The picture as rows of '.' (generic) and 'R' (family).
  static std::vector<std::string> Rows(const Bitmap& b) {
    std::vector<std::string> rows;
    for (std::int32_t y = 0; y < b.height(); ++y) {
      std::string r;
      for (std::int32_t x = 0; x < b.width(); ++x) r += b.at(x, y) == kRed ? 'R' : '.';
      rows.push_back(r);
    }
    return rows;
  }
  test::TempFolder tmp;
};

TEST_F(DevicePicture, FamilyCentredWithoutCornersAndClipped) {
  EXPECT_FALSE(Build().has_value());  // no generic picture: none
  Generic(7, 5);
  EXPECT_EQ(Rows(*Build()), std::vector<std::string>(5, "......."));  // no family picture
  Family(4, 3);
  EXPECT_EQ(Rows(*Build()), (std::vector<std::string>{".......", "..RR...", ".RRRR..", "..RR...", "......."}));
  // Larger than the generic picture: offset (-1, -1), clipped inside both.
  Family(9, 7);
  EXPECT_EQ(Rows(*Build()), std::vector<std::string>(5, "RRRRRRR"));
  Family(9, 1);  // offset (-1, 2); the row's corners (x = 0 and 8) are outside anyway
  EXPECT_EQ(Rows(*Build())[2], "RRRRRRR");
  Family(0, 3);
  EXPECT_EQ(Rows(*Build()), std::vector<std::string>(5, "......."));
}

TEST_F(DevicePicture, BrokenFiles) {
  Generic(4, 4);
  const std::string good = Bitmap(4, 4, kRed).ToBmp();
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a bitmap", "hello world, this is no picture at all; it is text of some length"},
      {"cut short", good.substr(0, good.size() - 5)},
      {"huge size", [&] {
         std::string s = good;
         s[18] = s[19] = s[20] = '\x7F';
         return s;
       }()},
      {"compressed", [&] {
         std::string s = good;
         s[30] = 1;
         return s;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string why;
    EXPECT_FALSE(Bitmap::FromBmp(c.bytes, &why).has_value());
    EXPECT_FALSE(why.empty());
    // A broken family picture leaves the generic one; a broken generic picture is an error.
    tmp.Write("lib/DeviceImages/Stratix4.bmp", c.bytes);
    EXPECT_EQ(Rows(*Build()), std::vector<std::string>(4, "...."));
    tmp.Write("sys/Generic_Hard_Device.bmp", c.bytes);
    EXPECT_THROW(Build(), std::runtime_error);
    Generic(4, 4);
  }
  // Round trip of a picture with odd row widths and a palette picture.
  Bitmap b(3, 2);
  b.set(0, 0, {1, 2, 3});
  b.set(2, 1, {4, 5, 6});
  const auto back = Bitmap::FromBmp(b.ToBmp(), nullptr);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->at(0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(back->at(2, 1), (Rgb{4, 5, 6}));
  // 1 bit per pixel, 2 x 1, palette black/white, pixels "white, black".
  std::string mono = "BM";
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) mono += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put32(14 + 40 + 8 + 4);
  put32(0);
  put32(14 + 40 + 8);
  put32(40);
  put32(2);
  put32(1);
  mono += std::string("\x01\x00\x01\x00", 4);
  for (int i = 0; i < 6; ++i) put32(0);
  mono += std::string("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
  mono += std::string("\x80\x00\x00\x00", 4);
  const auto m = Bitmap::FromBmp(mono, nullptr);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->at(0, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(m->at(1, 0), (Rgb{0, 0, 0}));
}

}  // namespace
}  // namespace s4
