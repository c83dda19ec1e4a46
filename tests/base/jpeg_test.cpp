#include "base/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/error.h"

namespace talven {
namespace {

RgbImage Gradient(int w, int h) {
  RgbImage img{w, h, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      img.pixels.push_back(static_cast<std::uint8_t>(x * 255 / w));
      img.pixels.push_back(static_cast<std::uint8_t>(y * 255 / h));
      img.pixels.push_back(128);
    }
  return img;
}

TEST(Jpeg, EncodesAndDecodes) {
  const RgbImage img = Gradient(40, 30);
  const std::string bytes = EncodeJpeg(img, 95);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
  int w = 0, h = 0;
  JpegSize(bytes, w, h);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 30);
  const RgbImage back = DecodeJpeg(bytes);
  ASSERT_EQ(back.pixels.size(), img.pixels.size());
  int worst = 0;
  for (std::size_t i = 0; i < img.pixels.size(); ++i) worst = std::max(worst, std::abs(img.pixels[i] - back.pixels[i]));
  EXPECT_LT(worst, 24);
  EXPECT_EQ(DecodeJpeg(EncodeJpeg(img, 80, true)).width, 40);
}

TEST(Jpeg, DamagedDataFailsWithTheLibrarysCode) {
  const std::string bytes = EncodeJpeg(Gradient(16, 16));
  for (const std::string& bad : {std::string(), std::string("not a jpeg"), bytes.substr(0, 20)}) {
    try {
      DecodeJpeg(bad);
      ADD_FAILURE() << "decoded " << bad.size() << " bytes";
    } catch (const Error& e) {
      EXPECT_EQ(e.message().rfind("JPEG error #", 0), 0u) << e.message();
    }
  }
  EXPECT_THROW(EncodeJpeg(RgbImage{}), Error);
}

}  // namespace
}  // namespace talven
