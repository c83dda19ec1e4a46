#include "report/export/pixel_canvas.h"

#include <ft2build.h>
#include FT_SYNTHESIS_H
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/error.h"
#include "report/render/font_faces.h"

namespace talven {

PixelCanvas::PixelCanvas(TextMetrics& metrics, int width, int height, TColor background) : Canvas(metrics) {
  image_.Width = std::max(width, 0);
  image_.Height = std::max(height, 0);
  image_.Rgba.resize(static_cast<std::size_t>(image_.Width) * image_.Height * 4);
  const Rgb c = ColorToRgb(background);
  for (std::size_t i = 0; i < image_.Rgba.size(); i += 4) {
    image_.Rgba[i] = c.R;
    image_.Rgba[i + 1] = c.G;
    image_.Rgba[i + 2] = c.B;
    image_.Rgba[i + 3] = 255;
  }
}

bool PixelCanvas::Inside(int x, int y) const {
  if (x < 0 || y < 0 || x >= image_.Width || y >= image_.Height) return false;
  if (const auto& clip = ClipRect()) return x >= clip->Left && x < clip->Right && y >= clip->Top && y < clip->Bottom;
  return true;
}

void PixelCanvas::Blend(int x, int y, Rgb c, int alpha) {
  if (alpha <= 0 || !Inside(x, y)) return;
  std::uint8_t* p = &image_.Rgba[(static_cast<std::size_t>(y) * image_.Width + x) * 4];
  if (alpha >= 255) {
    p[0] = c.R, p[1] = c.G, p[2] = c.B;
    return;
  }
  auto mix = [alpha](std::uint8_t under, std::uint8_t over) {
    return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha) + 127) / 255);
  };
  p[0] = mix(p[0], c.R), p[1] = mix(p[1], c.G), p[2] = mix(p[2], c.B);
}

void PixelCanvas::FillRect(const TfrRect& r) {
  if (Brush().Clear) return;
  const Rgb c = ColorToRgb(Brush().Color);
  const int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, image_.Width);
  const int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, image_.Height);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) Blend(x, y, c, 255);
}

namespace {

// Dash patterns in pixels, on and off in turn, as the frame styles draw.
const std::vector<int>& PatternOf(PenStyle style) {
  static const std::vector<int> solid, dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
  switch (style) {
    case PenStyle::Dash: return dash;
    case PenStyle::Dot: return dot;
    case PenStyle::DashDot: return dashDot;
    case PenStyle::DashDotDot: return dashDotDot;
    default: return solid;
  }
}

bool PatternOn(const std::vector<int>& pattern, int step) {
  if (pattern.empty()) return true;
  int period = 0;
  for (int v : pattern) period += v;
  int at = step % period;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (at < pattern[i]) return i % 2 == 0;
    at -= pattern[i];
  }
  return true;
}

}  // namespace

void PixelCanvas::Line(int x1, int y1, int x2, int y2) {
  const CanvasPen& pen = Pen();
  if (pen.Style == PenStyle::Clear) return;
  const Rgb c = ColorToRgb(pen.Color);
  const int width = std::max(pen.Width, 1);
  const int before = (width - 1) / 2;
  const std::vector<int>& pattern = PatternOf(pen.Style);
  // Bresenham; the end point is left out, as on every canvas.
  const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
  const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
  int err = dx + dy, x = x1, y = y1;
  for (int step = 0; x != x2 || y != y2; ++step) {
    if (PatternOn(pattern, step)) {
      for (int oy = 0; oy < width; ++oy)
        for (int ox = 0; ox < width; ++ox) Blend(x - before + ox, y - before + oy, c, 255);
    }
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, x += sx;
    if (e2 <= dx) err += dx, y += sy;
  }
}

void PixelCanvas::StretchImage(const TfrRect& given, const CanvasImage& image) {
  // A rectangle given right to left or bottom up mirrors the picture.
  const bool mirrorX = given.Right < given.Left, mirrorY = given.Bottom < given.Top;
  const TfrRect r{std::min(given.Left, given.Right), std::min(given.Top, given.Bottom),
                  std::max(given.Left, given.Right), std::max(given.Top, given.Bottom)};
  const int w = r.Right - r.Left, h = r.Bottom - r.Top;
  if (w <= 0 || h <= 0 || image.Width <= 0 || image.Height <= 0) return;
  const int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, image_.Width);
  const int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, image_.Height);
  for (int y = y0; y < y1; ++y) {
    int sy = static_cast<int>((static_cast<std::int64_t>(y - r.Top) * image.Height) / h);
    if (mirrorY) sy = image.Height - 1 - sy;
    for (int x = x0; x < x1; ++x) {
      int sx = static_cast<int>((static_cast<std::int64_t>(x - r.Left) * image.Width) / w);
      if (mirrorX) sx = image.Width - 1 - sx;
      const std::uint8_t* p = &image.Rgba[(static_cast<std::size_t>(sy) * image.Width + sx) * 4];
      Blend(x, y, Rgb{p[0], p[1], p[2]}, p[3]);
    }
  }
}

void PixelCanvas::FillSpan(int y, int x0, int x1) {
  if (Brush().Clear) return;
  const Rgb c = ColorToRgb(Brush().Color);
  for (int x = std::max(x0, 0); x < std::min(x1, image_.Width); ++x) Blend(x, y, c, 255);
}

void PixelCanvas::Polygon(const std::vector<CanvasPoint>& points) {
  if (points.size() < 2) return;
  // Even-odd fill through pixel centres, then the outline.
  int top = points[0].Y, bottom = points[0].Y;
  for (const CanvasPoint& p : points) top = std::min(top, p.Y), bottom = std::max(bottom, p.Y);
  std::vector<double> xs;
  for (int y = std::max(top, 0); y < std::min(bottom, image_.Height); ++y) {
    const double cy = y + 0.5;
    xs.clear();
    for (std::size_t i = 0; i < points.size(); ++i) {
      const CanvasPoint& a = points[i];
      const CanvasPoint& b = points[(i + 1) % points.size()];
      if ((a.Y <= cy) == (b.Y <= cy)) continue;
      xs.push_back(a.X + (cy - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
      FillSpan(y, static_cast<int>(std::lround(xs[i])), static_cast<int>(std::lround(xs[i + 1])));
  }
  for (std::size_t i = 0; i < points.size(); ++i) {
    const CanvasPoint& a = points[i];
    const CanvasPoint& b = points[(i + 1) % points.size()];
    Line(a.X, a.Y, b.X, b.Y);
  }
}

void PixelCanvas::Ellipse(const TfrRect& r) {
  const double cx = (r.Left + r.Right) / 2.0, cy = (r.Top + r.Bottom) / 2.0;
  const double rx = (r.Right - r.Left) / 2.0, ry = (r.Bottom - r.Top) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, image_.Height); ++y) {
    const double dy = (y + 0.5 - cy) / ry;
    if (dy * dy > 1) continue;
    const double half = rx * std::sqrt(1 - dy * dy);
    FillSpan(y, static_cast<int>(std::lround(cx - half)), static_cast<int>(std::lround(cx + half)));
  }
  std::vector<CanvasPoint> outline;
  const int steps = std::clamp(static_cast<int>(2 * (rx + ry)), 16, 720);
  for (int i = 0; i <= steps; ++i) {
    const double t = 2 * 3.14159265358979323846 * i / steps;
    outline.push_back({static_cast<int>(std::lround(cx + (rx - 0.5) * std::cos(t))),
                       static_cast<int>(std::lround(cy + (ry - 0.5) * std::sin(t)))});
  }
  for (std::size_t i = 0; i + 1 < outline.size(); ++i)
    Line(outline[i].X, outline[i].Y, outline[i + 1].X, outline[i + 1].Y);
}

void PixelCanvas::DrawText(const PlacedText& text) {
  if (text.Measure == nullptr) return;
  const FaceSet& faces = text.Measure->Faces();
  const Rgb c = ColorToRgb(text.Font.Color);
  const bool upward = text.Font.Escapement == 900;
  std::optional<TfrRect> saved = ClipRect();
  if (text.Clip) {
    TfrRect clip = *text.Clip;
    if (saved) {
      clip.Left = std::max(clip.Left, saved->Left), clip.Top = std::max(clip.Top, saved->Top);
      clip.Right = std::min(clip.Right, saved->Right), clip.Bottom = std::min(clip.Bottom, saved->Bottom);
    }
    SetClipRect(clip);
  }
  for (const PlacedChar& ch : text.Chars) {
    const FaceSet::Glyph& g = faces.Lookup(ch.Code);
    if (g.Index == 0 || g.Face >= faces.Faces().size()) continue;
    const FaceInfo& info = faces.Faces()[g.Face];
    FT_Face face = OpenFace(info.File, info.Index);
    if (face == nullptr || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(text.Measure->PixelHeight())) != 0)
      continue;
    FT_Matrix m{0x10000, 0, 0, 0x10000};
    if (info.SyntheticItalic) m.xy = 0x3333;  // a shear of about 11°
    if (upward) m = FT_Matrix{m.xy, -0x10000, 0x10000, 0};
    FT_Set_Transform(face, &m, nullptr);
    const bool loaded = FT_Load_Glyph(face, g.Index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0;
    if (loaded && info.SyntheticBold) FT_GlyphSlot_Embolden(face->glyph);
    const bool rendered = loaded && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
    FT_Set_Transform(face, nullptr, nullptr);
    if (!rendered) continue;
    const FT_Bitmap& bm = face->glyph->bitmap;
    const int ox = static_cast<int>(std::lround(ch.X)) + face->glyph->bitmap_left;
    const int oy = static_cast<int>(std::lround(ch.Y)) - face->glyph->bitmap_top;
    for (unsigned row = 0; row < bm.rows; ++row)
      for (unsigned col = 0; col < bm.width; ++col) {
        const int a = bm.buffer[static_cast<std::ptrdiff_t>(row) * bm.pitch + col];
        Blend(ox + static_cast<int>(col), oy + static_cast<int>(row), c, a);
      }
  }
  if (text.Clip) SetClipRect(saved);
}

namespace {

void PutBe32(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out += data;
  const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
  PutBe32(out, static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(out.size() - start))));
}

}  // namespace

std::string EncodePng(const CanvasImage& image) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBe32(header, static_cast<std::uint32_t>(image.Width));
  PutBe32(header, static_cast<std::uint32_t>(image.Height));
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);
  // Each row starts with its filter byte (0, none).
  const std::size_t rowBytes = static_cast<std::size_t>(image.Width) * 4;
  std::string raw;
  raw.reserve((rowBytes + 1) * image.Height);
  for (int y = 0; y < image.Height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(image.Rgba.data()) + y * rowBytes, rowBytes);
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                static_cast<uLong>(raw.size()), 6) != Z_OK)
    throw Error("PNG encoding failed");
  packed.resize(size);
  PutChunk(out, "IDAT", packed);
  PutChunk(out, "IEND", {});
  return out;
}

}  // namespace talven
