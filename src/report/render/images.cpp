#include "report/render/images.h"

#include <cstdint>
#include <cstring>

#include "base/error.h"
#include "base/jpeg.h"

namespace talven {

namespace {

// More pixels than this is damage, not a picture.
constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

std::uint32_t U32(std::string_view d, std::size_t at) {
  if (at + 4 > d.size()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(std::string_view d, std::size_t at) {
  if (at + 2 > d.size()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

struct Mask {
  std::uint32_t bits = 0;
  int shift = 0, width = 0;
  explicit Mask(std::uint32_t m = 0) : bits(m) {
    if (m == 0) return;
    while (((m >> shift) & 1) == 0) ++shift;
    while (shift + width < 32 && ((m >> (shift + width)) & 1)) ++width;
  }
  std::uint8_t Of(std::uint32_t v) const {
    if (width == 0) return 0;
    const std::uint32_t x = (v & bits) >> shift;
    const std::uint32_t max = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
    return static_cast<std::uint8_t>(x * 255 / max);
  }
};

// Expands run-length coded rows (RLE8 or RLE4) into one index per pixel,
// bottom row first.
std::vector<std::uint8_t> Unpack(std::string_view d, std::size_t at, int w, int h, bool rle4) {
  std::vector<std::uint8_t> idx(static_cast<std::size_t>(w) * h, 0);
  int x = 0, y = 0;
  auto put = [&](std::uint8_t v) {
    if (x < w && y < h) idx[static_cast<std::size_t>(y) * w + x] = v;
    ++x;
  };
  while (at + 1 < d.size() && y < h) {
    const auto n = static_cast<unsigned char>(d[at]), v = static_cast<unsigned char>(d[at + 1]);
    at += 2;
    if (n > 0) {
      for (int i = 0; i < n; ++i) put(rle4 ? ((i & 1) ? (v & 0xF) : (v >> 4)) : v);
    } else if (v == 0) {
      x = 0;
      ++y;
    } else if (v == 1) {
      break;
    } else if (v == 2) {
      if (at + 1 >= d.size()) break;
      x += static_cast<unsigned char>(d[at]);
      y += static_cast<unsigned char>(d[at + 1]);
      at += 2;
    } else {
      const int bytes = rle4 ? (v + 1) / 2 : v;
      for (int i = 0; i < v && at + static_cast<std::size_t>(rle4 ? i / 2 : i) < d.size(); ++i) {
        const auto b = static_cast<unsigned char>(d[at + static_cast<std::size_t>(rle4 ? i / 2 : i)]);
        put(rle4 ? ((i & 1) ? (b & 0xF) : (b >> 4)) : b);
      }
      at += static_cast<std::size_t>((bytes + 1) & ~1);
    }
  }
  return idx;
}

std::optional<CanvasImage> DecodeDibAt(std::string_view d, std::size_t header, std::size_t bits, bool haveBits,
                                       bool masked) {
  const std::uint32_t size = U32(d, header);
  int w, h, bpp;
  std::uint32_t compression = 0, colours = 0;
  std::size_t paletteEntry = 4;
  if (size == 12) {
    w = U16(d, header + 4);
    h = static_cast<std::int16_t>(U16(d, header + 6));
    bpp = U16(d, header + 10);
    paletteEntry = 3;
  } else if (size >= 40 && header + size <= d.size()) {
    w = static_cast<std::int32_t>(U32(d, header + 4));
    h = static_cast<std::int32_t>(U32(d, header + 8));
    bpp = U16(d, header + 14);
    compression = U32(d, header + 16);
    colours = U32(d, header + 32);
  } else {
    return std::nullopt;
  }
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (masked) h /= 2;
  if (w <= 0 || h <= 0 || static_cast<std::int64_t>(w) * h > kMaxPixels) return std::nullopt;
  Mask rm(0x00FF0000), gm(0x0000FF00), bm(0x000000FF), am(0);
  std::size_t palette = header + size;
  if (compression == 3 || compression == 6) {  // bit fields
    const std::size_t masks = size >= 52 ? header + 40 : header + size;
    rm = Mask(U32(d, masks));
    gm = Mask(U32(d, masks + 4));
    bm = Mask(U32(d, masks + 8));
    if (compression == 6 || size >= 56) am = Mask(U32(d, masks + 12));
    if (size == 40) palette += compression == 6 ? 16 : 12;
  } else if (bpp == 16) {
    rm = Mask(0x7C00);
    gm = Mask(0x03E0);
    bm = Mask(0x001F);
  }
  if (compression != 0 && compression != 1 && compression != 2 && compression != 3 && compression != 6)
    return std::nullopt;
  const int paletteSize = bpp <= 8 ? (colours > 0 && colours <= 256u ? static_cast<int>(colours) : 1 << bpp) : 0;
  if (!haveBits) bits = palette + static_cast<std::size_t>(paletteSize) * paletteEntry;
  auto paletteColour = [&](int i, std::uint8_t* px) {
    const std::size_t at = palette + static_cast<std::size_t>(i) * paletteEntry;
    if (i >= paletteSize || at + 3 > d.size()) {
      px[0] = px[1] = px[2] = 0;
      return;
    }
    px[0] = static_cast<std::uint8_t>(d[at + 2]);
    px[1] = static_cast<std::uint8_t>(d[at + 1]);
    px[2] = static_cast<std::uint8_t>(d[at]);
  };

  CanvasImage img;
  img.Width = w;
  img.Height = h;
  img.Rgba.assign(static_cast<std::size_t>(w) * h * 4, 255);
  const std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
  std::vector<std::uint8_t> unpacked;
  if (compression == 1 || compression == 2) unpacked = Unpack(d, bits, w, h, compression == 2);
  bool anyAlpha = false;
  for (int row = 0; row < h; ++row) {
    const int y = topDown ? row : h - 1 - row;
    std::uint8_t* out = &img.Rgba[static_cast<std::size_t>(y) * w * 4];
    const std::size_t line = bits + static_cast<std::size_t>(row) * stride;
    for (int x = 0; x < w; ++x, out += 4) {
      if (!unpacked.empty()) {
        paletteColour(unpacked[static_cast<std::size_t>(row) * w + x], out);
        continue;
      }
      if (bpp <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * bpp;
        if (line + bit / 8 >= d.size()) continue;
        const auto byte = static_cast<unsigned char>(d[line + bit / 8]);
        const int i = (byte >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
        paletteColour(i, out);
      } else if (bpp == 24) {
        const std::size_t at = line + static_cast<std::size_t>(x) * 3;
        if (at + 3 > d.size()) continue;
        out[0] = static_cast<std::uint8_t>(d[at + 2]);
        out[1] = static_cast<std::uint8_t>(d[at + 1]);
        out[2] = static_cast<std::uint8_t>(d[at]);
      } else if (bpp == 16 || bpp == 32) {
        const std::size_t at = line + static_cast<std::size_t>(x) * (bpp / 8);
        if (at + bpp / 8 > d.size()) continue;
        const std::uint32_t v = bpp == 16 ? U16(d, at) : U32(d, at);
        out[0] = rm.Of(v);
        out[1] = gm.Of(v);
        out[2] = bm.Of(v);
        if (bpp == 32 && masked) {
          out[3] = static_cast<std::uint8_t>(v >> 24);
          anyAlpha = anyAlpha || out[3] != 0;
        } else if (am.width > 0) {
          out[3] = am.Of(v);
          anyAlpha = true;
        }
      } else {
        return std::nullopt;
      }
    }
  }
  if (masked) {
    // The AND mask follows the colour rows: a set bit is transparent. An
    // icon with its own alpha channel keeps that instead.
    const std::size_t maskStart = bits + stride * static_cast<std::size_t>(h);
    const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    for (int row = 0; row < h && !anyAlpha; ++row) {
      const int y = topDown ? row : h - 1 - row;
      for (int x = 0; x < w; ++x) {
        const std::size_t at = maskStart + static_cast<std::size_t>(row) * maskStride + x / 8;
        const bool clear = at < d.size() && ((static_cast<unsigned char>(d[at]) >> (7 - x % 8)) & 1);
        img.Rgba[(static_cast<std::size_t>(y) * w + x) * 4 + 3] = clear ? 0 : 255;
      }
    }
  } else if (!anyAlpha) {
    for (std::size_t i = 3; i < img.Rgba.size(); i += 4) img.Rgba[i] = 255;
  }
  return img;
}

CanvasImage FromRgb(const RgbImage& rgb) {
  CanvasImage img;
  img.Width = rgb.width;
  img.Height = rgb.height;
  img.Rgba.resize(static_cast<std::size_t>(rgb.width) * rgb.height * 4);
  for (std::size_t i = 0, j = 0; j + 2 < rgb.pixels.size() && i + 3 < img.Rgba.size(); i += 4, j += 3) {
    img.Rgba[i] = rgb.pixels[j];
    img.Rgba[i + 1] = rgb.pixels[j + 1];
    img.Rgba[i + 2] = rgb.pixels[j + 2];
    img.Rgba[i + 3] = 255;
  }
  return img;
}

}  // namespace

std::optional<CanvasImage> DecodeBmp(std::string_view file) {
  if (file.size() < 26 || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint32_t bits = U32(file, 10);
  return DecodeDibAt(file, 14, bits, bits > 14 && bits < file.size(), false);
}

std::optional<CanvasImage> DecodeDib(std::string_view dib, bool masked) { return DecodeDibAt(dib, 0, 0, false, masked); }

std::optional<CanvasImage> DecodeDibParts(std::string_view record, std::size_t header, std::size_t bits) {
  if (header >= record.size() || bits > record.size()) return std::nullopt;
  return DecodeDibAt(record, header, bits, true, false);
}

std::optional<CanvasImage> DecodeIcon(std::string_view file) {
  if (file.size() < 6 || U16(file, 0) != 0 || U16(file, 2) != 1) return std::nullopt;
  const int count = U16(file, 4);
  int best = -1;
  std::int64_t bestScore = -1;
  for (int i = 0; i < count; ++i) {
    const std::size_t e = 6 + static_cast<std::size_t>(i) * 16;
    if (e + 16 > file.size()) break;
    const int w = static_cast<unsigned char>(file[e]) ? static_cast<unsigned char>(file[e]) : 256;
    const int h = static_cast<unsigned char>(file[e + 1]) ? static_cast<unsigned char>(file[e + 1]) : 256;
    const std::int64_t score = static_cast<std::int64_t>(w) * h * 64 + U16(file, e + 6);
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  if (best < 0) return std::nullopt;
  const std::size_t e = 6 + static_cast<std::size_t>(best) * 16;
  const std::uint32_t size = U32(file, e + 8), offset = U32(file, e + 12);
  if (offset >= file.size()) return std::nullopt;
  const std::string_view data = file.substr(offset, std::min<std::size_t>(size, file.size() - offset));
  // Icons that hold a PNG image are not drawn.
  if (data.size() >= 4 && data.substr(1, 3) == "PNG") return std::nullopt;
  return DecodeDib(data, true);
}

std::optional<CanvasImage> DecodeGraphicImage(const TfrGraphic& graphic) {
  try {
    switch (graphic.Kind()) {
      case TfrGraphicKind::Jpeg: return FromRgb(graphic.DecodeJpeg());
      case TfrGraphicKind::Bitmap: return DecodeBmp(graphic.Bytes());
      case TfrGraphicKind::Icon: return DecodeIcon(graphic.Bytes());
      default: return std::nullopt;
    }
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace talven
