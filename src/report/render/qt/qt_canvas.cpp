#include "report/render/qt/qt_canvas.h"

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QPainterPath>
#include <QVector>

#include <algorithm>

#include "base/text.h"

namespace talven {

QColor ToQColor(TColor color) {
  const Rgb c = ColorToRgb(color);
  return QColor(c.R, c.G, c.B);
}

QtCanvas::QtCanvas(QPainter& painter, TextMetrics& metrics, int resolution)
    : Canvas(metrics), painter_(painter), resolution_(resolution) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void QtCanvas::SetClipRect(const std::optional<TfrRect>& clip) {
  Canvas::SetClipRect(clip);
  if (clip) painter_.setClipRect(QRect(clip->Left, clip->Top, clip->Right - clip->Left, clip->Bottom - clip->Top));
  else painter_.setClipping(false);
}

namespace {

// A styled pen's dashes in pen widths, as Qt counts them.
QVector<qreal> DashesInWidths(PenStyle style, int resolution, int width) {
  QVector<qreal> dashes;
  for (double d : DashPattern(style, resolution)) dashes.push_back(d / width);
  return dashes;
}

}  // namespace

void QtCanvas::Line(int x1, int y1, int x2, int y2) {
  const CanvasPen& pen = Pen();
  if (pen.Style == PenStyle::Clear || pen.Color == clNone) return;
  const QColor colour = ToQColor(pen.Color);
  const int w = std::max(1, pen.Width);
  if ((x1 == x2 || y1 == y2) && pen.Style == PenStyle::Solid) {
    // An axis-parallel line is a filled band w pixels across, centred on
    // the line, its ends squared off so that frame corners close.
    const int lo = (w - 1) / 2, ext = w > 1 ? w / 2 : 0;
    if (y1 == y2) {
      const int a = std::min(x1, x2) - ext, b = std::max(x1, x2) + ext + (w > 1 ? 1 : 0);
      painter_.fillRect(QRect(a, y1 - lo, std::max(1, b - a), w), colour);
    } else {
      const int a = std::min(y1, y2) - ext, b = std::max(y1, y2) + ext + (w > 1 ? 1 : 0);
      painter_.fillRect(QRect(x1 - lo, a, w, std::max(1, b - a)), colour);
    }
    return;
  }
  QPen qpen(colour, w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  if (pen.Style != PenStyle::Solid) {
    qpen.setDashPattern(DashesInWidths(pen.Style, resolution_, w));
  }
  painter_.setPen(qpen);
  // Pixel centres: a 1-pixel line at x covers the pixel column x.
  const double d = (w % 2) ? 0.5 : 0.0;
  painter_.drawLine(QPointF(x1 + d, y1 + d), QPointF(x2 + d, y2 + d));
}

void QtCanvas::FillRect(const TfrRect& r) {
  const CanvasBrush& brush = Brush();
  if (brush.Clear || brush.Color == clNone || r.Right <= r.Left || r.Bottom <= r.Top) return;
  painter_.fillRect(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top), ToQColor(brush.Color));
}

void QtCanvas::StretchImage(const TfrRect& r, const CanvasImage& image) {
  if (image.Width <= 0 || image.Height <= 0 || r.Right == r.Left || r.Bottom == r.Top) return;
  const QImage q(image.Rgba.data(), image.Width, image.Height, image.Width * 4, QImage::Format_RGBA8888);
  // A rectangle given right to left or bottom up mirrors the picture.
  QImage shown = q.mirrored(r.Right < r.Left, r.Bottom < r.Top);
  const QRect target(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::abs(r.Right - r.Left),
                     std::abs(r.Bottom - r.Top));
  painter_.drawImage(target, shown);
}

void QtCanvas::SetShapeTools() {
  const CanvasPen& pen = Pen();
  if (pen.Style == PenStyle::Clear || pen.Color == clNone) {
    painter_.setPen(Qt::NoPen);
  } else {
    QPen qpen(ToQColor(pen.Color), std::max(1, pen.Width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    if (pen.Style != PenStyle::Solid) {
      qpen.setDashPattern(DashesInWidths(pen.Style, resolution_, std::max(1, pen.Width)));
    }
    painter_.setPen(qpen);
  }
  const CanvasBrush& brush = Brush();
  if (brush.Clear || brush.Color == clNone) painter_.setBrush(Qt::NoBrush);
  else painter_.setBrush(ToQColor(brush.Color));
}

void QtCanvas::Polygon(const std::vector<CanvasPoint>& points) {
  if (points.size() < 2) return;
  QPolygon polygon;
  for (const CanvasPoint& p : points) polygon << QPoint(p.X, p.Y);
  SetShapeTools();
  painter_.drawPolygon(polygon);
}

void QtCanvas::Ellipse(const TfrRect& r) {
  SetShapeTools();
  painter_.drawEllipse(QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
}

const QRawFont& QtCanvas::RawFont(const FaceInfo& face, int pixelHeight, bool bold, bool italic) {
  const QString key = QString::fromStdString(face.Family) + QLatin1Char('|') + QString::number(pixelHeight) +
                      QLatin1Char('|') + QString::number(bold) + QString::number(italic);
  auto it = rawFonts_.find(key);
  if (it != rawFonts_.end()) return *it;
  QFont font(QString::fromStdString(face.Family));
  font.setPixelSize(std::max(1, pixelHeight));
  font.setBold(bold);
  font.setItalic(italic);
  font.setKerning(false);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferMatch));
  return *rawFonts_.insert(key, QRawFont::fromFont(font));
}

void QtCanvas::DrawText(const PlacedText& text) {
  if (text.Chars.empty() || text.Measure == nullptr) return;
  const FaceSet& faces = text.Measure->Faces();
  const bool upward = text.Font.Escapement == 900;
  painter_.save();
  if (text.Clip) {
    const TfrRect& c = *text.Clip;
    painter_.setClipRect(QRect(c.Left, c.Top, c.Right - c.Left, c.Bottom - c.Top), Qt::IntersectClip);
  }
  const QPointF origin(text.Chars[0].X, text.Chars[0].Y);
  painter_.translate(origin);
  if (upward) painter_.rotate(-90);
  painter_.setPen(ToQColor(text.Font.Color));
  // Runs of characters drawn by the same face.
  std::size_t i = 0;
  while (i < text.Chars.size()) {
    const std::uint8_t face = faces.Lookup(text.Chars[i].Code).Face;
    std::size_t j = i;
    QVector<QChar> chars;
    QVector<QPointF> positions;
    while (j < text.Chars.size() && faces.Lookup(text.Chars[j].Code).Face == face) {
      const PlacedChar& pc = text.Chars[j];
      const char32_t cp = GbkCharToUnicode(pc.Code);
      if (cp >= 0x20 && cp < 0x10000) {
        chars.push_back(QChar(static_cast<char16_t>(cp)));
        positions.push_back(upward ? QPointF(origin.y() - pc.Y, 0) : QPointF(pc.X - origin.x(), 0));
      }
      ++j;
    }
    if (!chars.isEmpty()) {
      // The face's own bold or italic variant when it has one; else the
      // regular face, sheared or drawn twice a little apart.
      const FaceInfo& info = faces.Faces()[face];
      const bool bold = (text.Font.Style & 2) != 0, italic = (text.Font.Style & 1) != 0;
      const QRawFont& raw = RawFont(info, text.Font.PixelHeight, bold && !info.SyntheticBold,
                                    italic && !info.SyntheticItalic);
      QVector<quint32> glyphs(chars.size());
      int n = glyphs.size();
      raw.glyphIndexesForChars(chars.constData(), chars.size(), glyphs.data(), &n);
      QGlyphRun run;
      run.setRawFont(raw);
      run.setGlyphIndexes(glyphs);
      run.setPositions(positions);
      painter_.save();
      if (italic && info.SyntheticItalic) painter_.shear(-0.2, 0);
      painter_.drawGlyphRun(QPointF(0, 0), run);
      if (bold && info.SyntheticBold)
        painter_.drawGlyphRun(QPointF(std::max(1.0, text.Font.PixelHeight / 24.0), 0), run);
      painter_.restore();
    }
    i = j;
  }
  const int width = upward ? text.Bounds.Bottom - text.Bounds.Top : text.Bounds.Right - text.Bounds.Left;
  const double h = text.Font.PixelHeight;
  const double thick = std::max(1.0, std::round(h / 16));
  if (text.Font.Style & 4)  // underline
    painter_.fillRect(QRectF(0, std::max(1.0, std::round(h / 10)), width, thick), ToQColor(text.Font.Color));
  if (text.Font.Style & 8)  // strike-out
    painter_.fillRect(QRectF(0, -std::round(h * 0.28), width, thick), ToQColor(text.Font.Color));
  painter_.restore();
}

}  // namespace talven
