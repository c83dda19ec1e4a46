// The canvas every report object draws on, shaped like a device context:
// a font, a pen, a brush, a background mode, extra character spacing and text
// justification, text output with an optional clip rectangle, lines,
// rectangles, images, a clip region. Coordinates are device pixels with
// integer positions; rectangles are (left, top, right, bottom) with the right
// and bottom edge outside, and a line from (x1, y1) to (x2, y2) leaves out its
// end point.
//
// The base class keeps the drawing state and lays text out (every glyph's
// position, from the canvas's TextMetrics), so that every canvas places text
// identically; a concrete canvas only puts what it is given onto its device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/model/view.h"
#include "report/render/text_metrics.h"

namespace talven {

// A picture for the canvas: rows top to bottom, 4 bytes (R, G, B, alpha) a
// pixel, alpha 0 transparent.
struct CanvasImage {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> Rgba;
};

// Pen styles of frame lines (the FrameStyle values 0-4; double frames are
// drawn as solid lines).
enum class PenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear };

// The dashes of a styled pen, on and off, in pixels of a device of the given
// resolution: the lengths the screen draws at 96 pixels to the inch, kept on
// the paper at any other. Empty for a solid or clear pen.
std::vector<double> DashPattern(PenStyle style, int resolution = 96);

struct CanvasPen {
  TColor Color = clBlack;
  int Width = 1;
  PenStyle Style = PenStyle::Solid;
  bool operator==(const CanvasPen&) const = default;
};

struct CanvasBrush {
  TColor Color = clWhite;
  bool Clear = false;  // no fill
  bool operator==(const CanvasBrush&) const = default;
};

struct CanvasPoint {
  int X = 0, Y = 0;
  bool operator==(const CanvasPoint&) const = default;
};

// One text output, laid out: where every character goes.
struct PlacedChar {
  std::uint16_t Code = 0;  // GBK code: a byte, or lead << 8 | trail
  double X = 0, Y = 0;     // the start of the character on its baseline
};

struct PlacedText {
  std::string Text;  // GBK, as given to TextOut
  const FontMeasure* Measure = nullptr;
  CanvasFont Font;
  int X = 0, Y = 0;          // the reference point (top left of the text cell)
  TfrRect Bounds;            // the cell of the whole text, device pixels
  std::optional<TfrRect> Clip;
  bool RightToLeft = false;
  std::vector<PlacedChar> Chars;
};

// The largest font pixel height a canvas takes.
constexpr int kMaxFontPixels = 1 << 16;
// The furthest from the origin a device reaches, in pixels: no sheet at any
// resolution a canvas is made for is wider or taller.
constexpr int kMaxDevicePixels = 1 << 18;

class Canvas {
 public:
  explicit Canvas(TextMetrics& metrics) : metrics_(&metrics) {}
  virtual ~Canvas() = default;
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  TextMetrics& Metrics() const { return *metrics_; }

  // Device pixels per inch; a font given in points gets its pixel height from
  // the vertical resolution.
  virtual int ResolutionX() const { return 96; }
  virtual int ResolutionY() const { return 96; }
  // Whether the canvas records what is drawn (a metafile, the recording
  // canvas) rather than putting pixels anywhere.
  virtual bool IsMetafile() const { return false; }
  // A canvas that shows no pictures (measuring) says so, so that nothing
  // decodes an image for it.
  virtual bool WantsImages() const { return true; }

  // ---- state
  void SetFont(const CanvasFont& font);
  const CanvasFont& Font() const { return font_; }
  // The current font's pixel height (from its point size when it has no
  // pixel height).
  int FontPixelHeight() const { return fontHeight_; }
  const FontMeasure& Measure() const { return *measure_; }

  void SetPen(const CanvasPen& pen) { pen_ = pen; }
  const CanvasPen& Pen() const { return pen_; }
  void SetBrush(const CanvasBrush& brush) { brush_ = brush; }
  const CanvasBrush& Brush() const { return brush_; }
  // Whether text and styled lines fill their background.
  void SetOpaque(bool opaque) { opaque_ = opaque; }
  bool Opaque() const { return opaque_; }
  // Pixels added after every character of a text output.
  void SetCharExtra(int extra) { charExtra_ = extra; }
  int CharExtra() const { return charExtra_; }
  // Spreads extra pixels over the blanks (0x20, 0xA0) of the next text
  // outputs until it is switched off with (0, 0); breakCount is the number
  // of blanks of the text to come.
  void SetTextJustification(int extra, int breakCount);
  // The clip region (device pixels); none: the whole device.
  virtual void SetClipRect(const std::optional<TfrRect>& clip) { clip_ = clip; }
  const std::optional<TfrRect>& ClipRect() const { return clip_; }

  // ---- measuring with the current font and character spacing
  int TextWidth(std::string_view text) const;
  // The widest of the lines of a text split at line breaks only.
  int MultiLineWidth(std::string_view text) const;

  // ---- drawing
  // Text with the current font at the reference point (the top left of its
  // cell; for text turned by 90° the cell runs upward from it).
  void TextOut(int x, int y, std::string_view text, const std::optional<TfrRect>& clip = std::nullopt,
               bool rightToLeft = false);
  // Text laid out outside the canvas (rich text): the characters of the
  // text, each at its given baseline position, with the current font;
  // bounds is the cell of the whole text. Drawn as TextOut draws.
  void GlyphsOut(std::string_view text, std::vector<PlacedChar> chars, const TfrRect& bounds,
                 const std::optional<TfrRect>& clip = std::nullopt);
  // A line in the current pen.
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  // A rectangle filled with the current brush (no outline).
  virtual void FillRect(const TfrRect& r) = 0;
  // A picture stretched into the rectangle (a rectangle given right to left
  // or bottom up mirrors it).
  virtual void StretchImage(const TfrRect& r, const CanvasImage& image) = 0;
  // A JPEG picture (the bytes of its file, width × height pixels) stretched
  // into the rectangle, for a canvas that keeps the compressed data as it is
  // (a PDF file). False: the canvas takes no JPEG data, and the caller draws
  // the decoded pixels with StretchImage.
  virtual bool StretchJpeg(const TfrRect& r, std::string_view jpeg, int width, int height);
  // Connected lines in the current pen.
  virtual void Polyline(const std::vector<CanvasPoint>& points);
  // A closed figure filled with the current brush and outlined with the
  // current pen; an ellipse inside a rectangle likewise.
  virtual void Polygon(const std::vector<CanvasPoint>& points) = 0;
  virtual void Ellipse(const TfrRect& r) = 0;

  // The placement of a text output, as TextOut draws it.
  PlacedText Place(int x, int y, std::string_view text) const;

 protected:
  virtual void DrawText(const PlacedText& text) = 0;
  // Called when the font changes.
  virtual void FontChanged() {}

 private:
  TextMetrics* metrics_;
  CanvasFont font_;
  int fontHeight_ = 13;
  const FontMeasure* measure_ = nullptr;
  CanvasPen pen_;
  CanvasBrush brush_;
  bool opaque_ = true;
  int charExtra_ = 0;
  int justifyExtra_ = 0, justifyCount_ = 0;
  std::optional<TfrRect> clip_;

  void EnsureMeasure();
};

// A canvas that draws nothing: the engine measures and lays out on it.
class MeasuringCanvas : public Canvas {
 public:
  using Canvas::Canvas;
  bool WantsImages() const override { return false; }
  void Line(int, int, int, int) override {}
  void FillRect(const TfrRect&) override {}
  void StretchImage(const TfrRect&, const CanvasImage&) override {}
  void Polyline(const std::vector<CanvasPoint>&) override {}
  void Polygon(const std::vector<CanvasPoint>&) override {}
  void Ellipse(const TfrRect&) override {}

 protected:
  void DrawText(const PlacedText&) override {}
};

// The engine's scratch canvas: a measuring canvas over the production text
// metrics (or the metrics SetScratchMetrics installed).
Canvas& ScratchCanvas();
// Tests lay out on fixed-width metrics; nullptr returns to the production
// metrics. The previous scratch canvas goes.
void SetScratchMetrics(TextMetrics* metrics);

// An RGB colour from a colour value: 0x00BBGGRR; the system button-face
// colour as light grey.
struct Rgb {
  std::uint8_t R = 0, G = 0, B = 0;
  bool operator==(const Rgb&) const = default;
};
Rgb ColorToRgb(TColor color);

}  // namespace talven
