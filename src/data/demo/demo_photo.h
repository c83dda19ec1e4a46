// The portrait cards of the demo installation: a plain head-and-shoulders
// figure on a tinted ground, with the admission-ticket number printed under
// it in a small bitmap digit font. The picture depends only on its inputs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/jpeg.h"

namespace talven::demo {

inline constexpr int kPhotoWidth = 120;
inline constexpr int kPhotoHeight = 160;

RgbImage DrawPortrait(std::string_view ticket, std::uint64_t tint);

// Draws text (digits; other characters leave a gap) with its top-left corner
// at (x, y), each dot `scale` pixels square. Returns the width drawn.
int DrawDigits(RgbImage& image, int x, int y, std::string_view text, int scale, std::uint8_t r, std::uint8_t g,
               std::uint8_t b);

}  // namespace talven::demo
