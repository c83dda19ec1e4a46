// The canvas on Qt's painter, over any paint device: a QImage for pictures
// and PNG files, a QPrinter for printing (PDF files go through the cairo
// canvas; QPdfWriter serves bench_pdf's comparison only). Text is drawn
// as glyph runs at the positions the canvas's layout gives (text_metrics.h),
// with the faces the font layer chose, so that every output breaks and
// places text alike; shapes are drawn without antialiasing, pixel for pixel
// as the frame rules place them.
#pragma once

#include <QHash>
#include <QPainter>
#include <QRawFont>

#include "report/render/canvas.h"

namespace talven {

class QtCanvas : public Canvas {
 public:
  // The painter must be active on its device; resolution is the device's
  // pixels per inch.
  QtCanvas(QPainter& painter, TextMetrics& metrics, int resolution = 96);

  int ResolutionX() const override { return resolution_; }
  int ResolutionY() const override { return resolution_; }

  void SetClipRect(const std::optional<TfrRect>& clip) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(const TfrRect& r) override;
  void StretchImage(const TfrRect& r, const CanvasImage& image) override;
  void Polygon(const std::vector<CanvasPoint>& points) override;
  void Ellipse(const TfrRect& r) override;

 protected:
  void DrawText(const PlacedText& text) override;

 private:
  // The face at a pixel height with the bold and italic asked for: the
  // face's own variant, or one the font engine synthesizes.
  // The canvas's pen and brush on the painter for shapes.
  void SetShapeTools();
  const QRawFont& RawFont(const FaceInfo& face, int pixelHeight, bool bold, bool italic);

  QPainter& painter_;
  int resolution_;
  QHash<QString, QRawFont> rawFonts_;
};

QColor ToQColor(TColor color);

}  // namespace talven
