// JPEG pictures through libjpeg(-turbo): decoding into 8-bit RGB and encoding
// from it. Used by the picture graphics of the report engine and by the demo
// installation's photographs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // rows top to bottom, 3 bytes (R, G, B) a pixel
};

// Fails with "JPEG error #N" (N the library's message code) on data that is
// no JPEG image or is damaged, and with "JPEG image too large" when the
// picture would need more than 256 MiB of pixels.
RgbImage DecodeJpeg(std::string_view bytes);

// Reads only the size of the picture (same failures as DecodeJpeg).
void JpegSize(std::string_view bytes, int& width, int& height);

// quality 1..100; a grayscale image is written when `gray` is set. Fails
// with "JPEG image is empty" for an image without pixels.
std::string EncodeJpeg(const RgbImage& image, int quality = 90, bool gray = false);

}  // namespace talven
