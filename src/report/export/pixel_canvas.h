// A canvas that puts pixels into an RGBA bitmap of its own, without Qt: the
// matrix draws the objects that are not text (pictures, lines, rich text)
// onto one to get their picture. Fills, lines in the frame pen styles,
// stretched images and text (glyphs from the font layer's FreeType faces at
// the positions the base class lays out) are drawn; nothing is
// anti-aliased but glyphs.
#pragma once

#include <string>

#include "report/render/canvas.h"

namespace talven {

class PixelCanvas : public Canvas {
 public:
  // A bitmap of width × height pixels filled with the colour.
  PixelCanvas(TextMetrics& metrics, int width, int height, TColor background = clWhite);

  const CanvasImage& Image() const { return image_; }

  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(const TfrRect& r) override;
  void StretchImage(const TfrRect& r, const CanvasImage& image) override;
  void Polygon(const std::vector<CanvasPoint>& points) override;
  void Ellipse(const TfrRect& r) override;

 protected:
  void DrawText(const PlacedText& text) override;

 private:
  void Blend(int x, int y, Rgb c, int alpha);
  bool Inside(int x, int y) const;
  // Fills the pixels of a row from x0 to x1 (end outside) with the brush.
  void FillSpan(int y, int x0, int x1);

  CanvasImage image_;
};

// The picture as a PNG file's bytes (8-bit RGBA, no interlace).
std::string EncodePng(const CanvasImage& image);

}  // namespace talven
