#include "report/render/text_metrics.h"

#include <algorithm>

#include "base/text.h"

namespace talven {

void FaceSet::Fill(unsigned block) const {
  auto glyphs = std::make_unique<std::array<Glyph, 256>>();
  for (unsigned i = 0; i < 256; ++i) (*glyphs)[i] = Resolve(static_cast<std::uint16_t>(block << 8 | i));
  blocks_[block] = std::move(glyphs);
}

std::int64_t FontMeasure::Width64(std::string_view text, int* chars) const {
  std::int64_t sum = 0;
  int count = 0;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++count) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      if (i + 1 < n) {
        sum += Advance64(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(text[i + 1])));
        i += 2;
      } else {
        sum += LoneLead64();
        i += 1;
      }
    } else {
      sum += Advance64(b);
      i += 1;
    }
  }
  if (chars) *chars = count;
  return sum;
}

int TextWidthOf(const FontMeasure& measure, std::string_view text, int charExtra) {
  int chars = 0;
  const std::int64_t w = measure.Width64(text, &chars);
  const std::int64_t rounded = w >= 0 ? (w + 32) >> 6 : -((-w + 32) >> 6);
  // A damaged character spacing can make any width: it saturates, with room
  // left for the positions the layout adds to it.
  constexpr std::int64_t kWidest = 1 << 30;
  return static_cast<int>(std::clamp(rounded + std::int64_t{charExtra} * chars, -kWidest, kWidest));
}

namespace {

// Every byte one unit: a double-byte character two.
class FixedFaceSet : public FaceSet {
 public:
  FixedFaceSet() {
    faces_.push_back(FaceInfo{"fixed", "", 0, false, false});
    unitsPerEm_ = 1;
    loneLead_ = 1;
  }

 protected:
  Glyph Resolve(std::uint16_t code) const override {
    return Glyph{code, code > 0xFF ? 2 : 1, 0};
  }
};

}  // namespace

FixedTextMetrics::FixedTextMetrics(int byteWidth) : byteWidth_(byteWidth), faces_(std::make_unique<FixedFaceSet>()) {}

const FontMeasure& FixedTextMetrics::MeasureFor(const CanvasFont&, int pixelHeight) {
  for (const auto& m : measures_)
    if (m->PixelHeight() == pixelHeight) return *m;
  const auto ascent = static_cast<std::int32_t>(std::int64_t{pixelHeight} * 64 * 4 / 5);
  measures_.push_back(std::make_unique<FontMeasure>(*faces_, std::int64_t{byteWidth_} * 64, 1, pixelHeight, ascent,
                                                    static_cast<std::int32_t>(std::int64_t{pixelHeight} * 64 - ascent)));
  return *measures_.back();
}

}  // namespace talven
