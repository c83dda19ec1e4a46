#include "data/demo/demo_photo.h"

#include <algorithm>
#include <array>

namespace talven::demo {
namespace {

// 5 x 7 dot digits, one byte a row, the high five bits from left to right.
constexpr std::array<std::array<std::uint8_t, 7>, 10> kDigits = {{
    {0x70, 0x88, 0x98, 0xA8, 0xC8, 0x88, 0x70},  // 0
    {0x20, 0x60, 0x20, 0x20, 0x20, 0x20, 0x70},  // 1
    {0x70, 0x88, 0x08, 0x10, 0x20, 0x40, 0xF8},  // 2
    {0xF8, 0x10, 0x20, 0x10, 0x08, 0x88, 0x70},  // 3
    {0x10, 0x30, 0x50, 0x90, 0xF8, 0x10, 0x10},  // 4
    {0xF8, 0x80, 0xF0, 0x08, 0x08, 0x88, 0x70},  // 5
    {0x30, 0x40, 0x80, 0xF0, 0x88, 0x88, 0x70},  // 6
    {0xF8, 0x08, 0x10, 0x20, 0x40, 0x40, 0x40},  // 7
    {0x70, 0x88, 0x88, 0x70, 0x88, 0x88, 0x70},  // 8
    {0x70, 0x88, 0x88, 0x78, 0x08, 0x10, 0x60},  // 9
}};

constexpr int kGlyphWidth = 5, kGlyphHeight = 7, kGlyphAdvance = 6;

void Put(RgbImage& image, int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
  std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                   static_cast<std::size_t>(x)) * 3];
  p[0] = r;
  p[1] = g;
  p[2] = b;
}

}  // namespace

int DrawDigits(RgbImage& image, int x, int y, std::string_view text, int scale, std::uint8_t r, std::uint8_t g,
               std::uint8_t b) {
  int cx = x;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      const auto& glyph = kDigits[static_cast<std::size_t>(c - '0')];
      for (int row = 0; row < kGlyphHeight; ++row)
        for (int col = 0; col < kGlyphWidth; ++col)
          if (glyph[static_cast<std::size_t>(row)] & (0x80 >> col))
            for (int dy = 0; dy < scale; ++dy)
              for (int dx = 0; dx < scale; ++dx) Put(image, cx + col * scale + dx, y + row * scale + dy, r, g, b);
    }
    cx += kGlyphAdvance * scale;
  }
  return cx - x - (text.empty() ? 0 : scale);
}

RgbImage DrawPortrait(std::string_view ticket, std::uint64_t tint) {
  RgbImage image;
  image.width = kPhotoWidth;
  image.height = kPhotoHeight;
  image.pixels.assign(static_cast<std::size_t>(kPhotoWidth * kPhotoHeight * 3), 0);
  // A light ground in one of a few tints, as studio backdrops are.
  const std::uint8_t gr = static_cast<std::uint8_t>(200 + (tint & 0x1F));
  const std::uint8_t gg = static_cast<std::uint8_t>(210 + ((tint >> 5) & 0x1F));
  const std::uint8_t gb = static_cast<std::uint8_t>(225 + ((tint >> 10) & 0x1F) % 30);
  const std::uint8_t shade = static_cast<std::uint8_t>(70 + ((tint >> 16) & 0x3F));
  const int stripTop = kPhotoHeight - 20;
  for (int y = 0; y < kPhotoHeight; ++y)
    for (int x = 0; x < kPhotoWidth; ++x) {
      const int hx = x - kPhotoWidth / 2, hy = y - 58;   // head
      const int sx = x - kPhotoWidth / 2, sy = y - 150;  // shoulders
      if (y >= stripTop)
        Put(image, x, y, 255, 255, 255);
      else if (hx * hx * 100 / (26 * 26) + hy * hy * 100 / (32 * 32) <= 100)
        Put(image, x, y, static_cast<std::uint8_t>(shade + 40), static_cast<std::uint8_t>(shade + 30),
            static_cast<std::uint8_t>(shade + 25));
      else if (sy < 0 && sx * sx * 100 / (52 * 52) + sy * sy * 100 / (58 * 58) <= 100)
        Put(image, x, y, shade, shade, static_cast<std::uint8_t>(shade + 15));
      else
        Put(image, x, y, gr, gg, gb);
    }
  const int scale = static_cast<int>(ticket.size()) * kGlyphAdvance * 2 <= kPhotoWidth - 6 ? 2 : 1;
  const int width = static_cast<int>(ticket.size()) * kGlyphAdvance * scale - scale;
  DrawDigits(image, std::max(0, (kPhotoWidth - width) / 2), stripTop + (20 - kGlyphHeight * scale) / 2, ticket,
             scale, 0, 0, 0);
  return image;
}

}  // namespace talven::demo
