// Text metrics: the one source of character widths for layout and drawing.
//
// Widths are additive: the width of a text is the sum of its characters'
// advances (in 1/64 pixel, rounded to whole pixels once for the whole text)
// plus the extra character spacing for every character. So the width of any
// prefix of a text follows from a running sum, and a line breaks at the same
// place on every output. A text that ends with the lead byte of a
// double-byte character counts that byte as one character of the font's
// ideograph width (one byte's width in the fixed metrics).
//
// Production metrics are FreeType's (font_faces.h): the faces' unhinted
// advances at the pixel size. FixedTextMetrics gives every byte the same
// width, for layout tests.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "report/model/view.h"

namespace talven {

// The font a canvas is asked for.
struct CanvasFont {
  std::string Name = "Arial";  // GBK, as templates name it
  int PixelHeight = 0;         // em height in device pixels; 0: from PointSize
  double PointSize = 10;
  std::uint16_t Style = 0;     // fsItalicBit, fsBoldBit, fsUnderlineBit, fsStrikeOutBit
  TColor Color = clBlack;
  std::uint8_t Charset = 1;
  int Escapement = 0;          // tenths of a degree; 900: the text runs upward
  bool operator==(const CanvasFont&) const = default;
};

// One face a family is drawn with: the family's own, or the fallback that
// holds the characters it lacks.
struct FaceInfo {
  std::string Family;  // UTF-8, as the font system names the face
  std::string File;
  int Index = 0;       // face index inside a collection file
  bool SyntheticBold = false;    // bold asked for, the face has none
  bool SyntheticItalic = false;  // italic asked for, the face has none
};

// A family at one style, independent of size: for every GBK code the face
// that draws it, its glyph and its advance in font units. Filled lazily, a
// block of 256 codes at a time, so measuring a character is a table lookup.
class FaceSet {
 public:
  struct Glyph {
    std::uint32_t Index = 0;
    std::int32_t Units = 0;
    std::uint8_t Face = 0;
  };

  virtual ~FaceSet() = default;

  const Glyph& Lookup(std::uint16_t code) const {
    auto& block = blocks_[code >> 8];
    if (!block) Fill(code >> 8);
    return (*block)[code & 0xFF];
  }

  const std::vector<FaceInfo>& Faces() const { return faces_; }
  int UnitsPerEm() const { return unitsPerEm_; }
  int AscenderUnits() const { return ascender_; }
  int DescenderUnits() const { return descender_; }  // positive, below the baseline
  // The advance of a lone lead byte at the end of a text.
  std::int32_t LoneLeadUnits() const { return loneLead_; }

 protected:
  virtual Glyph Resolve(std::uint16_t code) const = 0;

  std::vector<FaceInfo> faces_;
  int unitsPerEm_ = 1;
  int ascender_ = 1, descender_ = 0;
  std::int32_t loneLead_ = 1;

 private:
  void Fill(unsigned block) const;
  mutable std::array<std::unique_ptr<std::array<Glyph, 256>>, 256> blocks_{};
};

// A face set at one size: advances in 1/64 pixel.
class FontMeasure {
 public:
  // An advance of u font units is u × mul / div in 1/64 pixel, rounded.
  FontMeasure(const FaceSet& faces, std::int64_t mul, std::int64_t div, int pixelHeight, std::int32_t ascent64,
              std::int32_t descent64)
      : faces_(&faces), mul_(mul), div_(div), pixelHeight_(pixelHeight), ascent64_(ascent64), descent64_(descent64) {}

  const FaceSet& Faces() const { return *faces_; }
  int PixelHeight() const { return pixelHeight_; }

  std::int32_t Scale64(std::int64_t units) const {
    std::int64_t v = units * mul_;
    return static_cast<std::int32_t>(v >= 0 ? (2 * v + div_) / (2 * div_) : -((-2 * v + div_) / (2 * div_)));
  }
  std::int32_t Advance64(std::uint16_t code) const { return Scale64(faces_->Lookup(code).Units); }
  std::int32_t LoneLead64() const { return Scale64(faces_->LoneLeadUnits()); }
  // Distance from the top of the text cell to the baseline.
  std::int32_t Ascent64() const { return ascent64_; }
  std::int32_t Descent64() const { return descent64_; }

  // The sum of the advances of a text, 1/64 pixel; chars receives the number
  // of characters.
  std::int64_t Width64(std::string_view text, int* chars = nullptr) const;

 private:
  const FaceSet* faces_;
  std::int64_t mul_, div_;
  int pixelHeight_;
  std::int32_t ascent64_, descent64_;
};

// Whole pixels from 1/64 pixel (ties away from zero).
inline int Round64(std::int64_t v) { return static_cast<int>(v >= 0 ? (v + 32) >> 6 : -((-v + 32) >> 6)); }

// The width of a text with extra character spacing, whole pixels.
int TextWidthOf(const FontMeasure& measure, std::string_view text, int charExtra);

class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  // The measure of a font at a pixel height; it lives as long as the
  // metrics do.
  virtual const FontMeasure& MeasureFor(const CanvasFont& font, int pixelHeight) = 0;
};

// Every byte the same width (one unit by default), whatever the font; the
// cell is the pixel height high with the baseline at 4/5 of it.
class FixedTextMetrics : public TextMetrics {
 public:
  explicit FixedTextMetrics(int byteWidth = 1);
  const FontMeasure& MeasureFor(const CanvasFont& font, int pixelHeight) override;

 private:
  int byteWidth_;
  std::unique_ptr<FaceSet> faces_;
  std::vector<std::unique_ptr<FontMeasure>> measures_;
};

// The production metrics (FreeType), created on first use.
TextMetrics& ProductionMetrics();

}  // namespace talven
