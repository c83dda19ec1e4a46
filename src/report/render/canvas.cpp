#include "report/render/canvas.h"

#include <algorithm>
#include <memory>

#include "base/rounding.h"
#include "base/text.h"

namespace talven {

void Canvas::EnsureMeasure() {
  if (measure_ == nullptr) measure_ = &metrics_->MeasureFor(font_, fontHeight_);
}

void Canvas::SetFont(const CanvasFont& font) {
  // Heights beyond any page (a damaged record, a wild script value) are cut
  // to what arithmetic on pixel positions can carry.
  const int asked = font.PixelHeight > 0 ? font.PixelHeight : RoundHalfEven(font.PointSize * ResolutionY() / 72.0);
  const int height = std::clamp(asked, 1, kMaxFontPixels);
  if (measure_ != nullptr && font == font_ && height == fontHeight_) return;
  font_ = font;
  fontHeight_ = height;
  measure_ = &metrics_->MeasureFor(font_, fontHeight_);
  FontChanged();
}

void Canvas::SetTextJustification(int extra, int breakCount) {
  justifyExtra_ = breakCount > 0 ? extra : 0;
  justifyCount_ = breakCount > 0 ? breakCount : 0;
}

int Canvas::TextWidth(std::string_view text) const {
  const_cast<Canvas*>(this)->EnsureMeasure();
  return TextWidthOf(*measure_, text, charExtra_);
}

int Canvas::MultiLineWidth(std::string_view text) const {
  int widest = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    widest = std::max(widest, TextWidth(text.substr(start, end - start)));
    if (end == text.size()) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return widest;
}

PlacedText Canvas::Place(int x, int y, std::string_view text) const {
  const_cast<Canvas*>(this)->EnsureMeasure();
  const FontMeasure& m = *measure_;
  PlacedText out;
  out.Text = std::string(text);
  out.Measure = measure_;
  out.Font = font_;
  out.Font.PixelHeight = fontHeight_;
  out.X = x;
  out.Y = y;
  const bool upward = font_.Escapement == 900;
  const double ascent = m.Ascent64() / 64.0;
  // Justification: every blank gets the same share, the first ones a pixel
  // more while the surplus does not divide evenly.
  int blanksLeft = justifyCount_;
  int extraLeft = justifyExtra_;
  std::int64_t pen64 = 0;
  out.Chars.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::uint16_t code = b;
    std::int32_t advance;
    if (IsLeadByte(b) && i + 1 < text.size()) {
      code = static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(text[i + 1]));
      advance = m.Advance64(code);
      i += 2;
    } else {
      advance = IsLeadByte(b) ? m.LoneLead64() : m.Advance64(code);
      i += 1;
    }
    const double offset = pen64 / 64.0;
    if (upward) out.Chars.push_back(PlacedChar{code, x + ascent, y - offset});
    else out.Chars.push_back(PlacedChar{code, x + offset, y + ascent});
    pen64 += advance + std::int64_t{charExtra_} * 64;
    if ((code == 0x20 || code == 0xA0) && blanksLeft > 0) {
      const int share = extraLeft >= 0 ? (extraLeft + blanksLeft - 1) / blanksLeft
                                       : -((-extraLeft + blanksLeft - 1) / blanksLeft);
      pen64 += std::int64_t{share} * 64;
      extraLeft -= share;
      --blanksLeft;
    }
  }
  const std::int64_t width = pen64 >= 0 ? (pen64 + 32) >> 6 : -((-pen64 + 32) >> 6);
  const std::int64_t cell = Round64(std::int64_t{m.Ascent64()} + m.Descent64());
  out.Bounds = upward ? TfrRect{x, Saturated32(y - width), Saturated32(x + cell), y}
                      : TfrRect{x, y, Saturated32(x + width), Saturated32(y + cell)};
  return out;
}

void Canvas::TextOut(int x, int y, std::string_view text, const std::optional<TfrRect>& clip, bool rightToLeft) {
  PlacedText placed = Place(x, y, text);
  placed.Clip = clip;
  placed.RightToLeft = rightToLeft;
  DrawText(placed);
}

void Canvas::GlyphsOut(std::string_view text, std::vector<PlacedChar> chars, const TfrRect& bounds,
                       const std::optional<TfrRect>& clip) {
  EnsureMeasure();
  PlacedText placed;
  placed.Text = std::string(text);
  placed.Measure = measure_;
  placed.Font = font_;
  placed.Font.PixelHeight = fontHeight_;
  placed.X = bounds.Left;
  placed.Y = bounds.Top;
  placed.Bounds = bounds;
  placed.Clip = clip;
  placed.Chars = std::move(chars);
  DrawText(placed);
}

bool Canvas::StretchJpeg(const TfrRect&, std::string_view, int, int) { return false; }

void Canvas::Polyline(const std::vector<CanvasPoint>& points) {
  for (std::size_t i = 1; i < points.size(); ++i) Line(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
}

namespace {

TextMetrics* scratchMetrics = nullptr;
std::unique_ptr<MeasuringCanvas> scratch;

}  // namespace

Canvas& ScratchCanvas() {
  if (!scratch) scratch = std::make_unique<MeasuringCanvas>(scratchMetrics ? *scratchMetrics : ProductionMetrics());
  return *scratch;
}

void SetScratchMetrics(TextMetrics* metrics) {
  scratchMetrics = metrics;
  scratch.reset();
}

std::vector<double> DashPattern(PenStyle style, int resolution) {
  std::vector<double> dashes;
  switch (style) {
    case PenStyle::Dash: dashes = {18, 6}; break;
    case PenStyle::Dot: dashes = {3, 3}; break;
    case PenStyle::DashDot: dashes = {9, 6, 3, 6}; break;
    case PenStyle::DashDotDot: dashes = {9, 3, 3, 3, 3, 3}; break;
    default: break;
  }
  for (double& d : dashes) d = d * resolution / 96.0;
  return dashes;
}

Rgb ColorToRgb(TColor color) {
  if (color == clBtnFace) return Rgb{0xF0, 0xF0, 0xF0};
  const auto c = static_cast<std::uint32_t>(color);
  return Rgb{static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
             static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

}  // namespace talven
