// A canvas that keeps what is drawn on it, in order: every text output with
// its device bounds and font, every line with its pen, every filled
// rectangle with its brush, every picture with its rectangle. The preview's
// text search and the export path read it; drawing tests assert on it.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "report/render/canvas.h"

namespace talven {

struct RecordedLine {
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  CanvasPen Pen;
  bool operator==(const RecordedLine&) const = default;
};

struct RecordedFill {
  TfrRect Rect;
  CanvasBrush Brush;
};

struct RecordedImage {
  TfrRect Rect;
  int Width = 0, Height = 0;  // the picture's own pixels
};

// A polygon or an ellipse (two points: the rectangle's corners).
struct RecordedShape {
  bool Ellipse = false;
  std::vector<CanvasPoint> Points;
  CanvasPen Pen;
  CanvasBrush Brush;
};

using RecordedItem = std::variant<PlacedText, RecordedLine, RecordedFill, RecordedImage, RecordedShape>;

class RecordingCanvas : public Canvas {
 public:
  using Canvas::Canvas;
  bool IsMetafile() const override { return true; }

  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(const TfrRect& r) override;
  void StretchImage(const TfrRect& r, const CanvasImage& image) override;
  void Polygon(const std::vector<CanvasPoint>& points) override;
  void Ellipse(const TfrRect& r) override;

  const std::vector<RecordedItem>& Items() const { return items_; }
  void Clear() { items_.clear(); }

  // The items of one kind, in order.
  std::vector<PlacedText> Texts() const { return Of<PlacedText>(); }
  std::vector<RecordedLine> Lines() const { return Of<RecordedLine>(); }
  std::vector<RecordedFill> Fills() const { return Of<RecordedFill>(); }
  std::vector<RecordedImage> Images() const { return Of<RecordedImage>(); }
  std::vector<RecordedShape> Shapes() const { return Of<RecordedShape>(); }

 protected:
  void DrawText(const PlacedText& text) override { items_.push_back(text); }

 private:
  template <typename T>
  std::vector<T> Of() const {
    std::vector<T> out;
    for (const RecordedItem& item : items_)
      if (const T* t = std::get_if<T>(&item)) out.push_back(*t);
    return out;
  }

  std::vector<RecordedItem> items_;
};

}  // namespace talven
