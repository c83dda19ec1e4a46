// The canvas on a cairo context: PDF files through cairo's PDF surface (and
// pictures on an image surface, which the tests look at). Text is drawn as
// glyph runs at the positions the canvas's layout gives, with the FreeType
// faces of the font layer — the very faces the metrics measured — so that a
// PDF breaks and places text exactly as every other output does; the PDF
// surface embeds the faces as subsets and maps every glyph back to its text.
// Shapes follow the same pixel rules as the Qt canvas. JPEG pictures go into
// a PDF as their own data, undecoded.
#pragma once

#include <cairo.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "report/render/canvas.h"

namespace talven {

class CairoCanvas : public Canvas {
 public:
  // One user unit of the context is one device pixel of the canvas;
  // resolution is the device's pixels per inch.
  CairoCanvas(cairo_t* cr, TextMetrics& metrics, int resolution = 96);
  ~CairoCanvas() override;

  int ResolutionX() const override { return resolution_; }
  int ResolutionY() const override { return resolution_; }

  void SetClipRect(const std::optional<TfrRect>& clip) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void FillRect(const TfrRect& r) override;
  void StretchImage(const TfrRect& r, const CanvasImage& image) override;
  void Polygon(const std::vector<CanvasPoint>& points) override;
  void Ellipse(const TfrRect& r) override;
  // Taken on a PDF surface for baseline and progressive JPEG data of one or
  // three colour components; other data (and other surfaces) are decoded.
  bool StretchJpeg(const TfrRect& r, std::string_view jpeg, int width, int height) override;

  // Puts what is still held back onto the surface; call before the surface
  // is read or its page ends (the destructor does too).
  void Flush();
  // A new page of the surface begins.
  void NewPage();

 protected:
  void DrawText(const PlacedText& text) override;

 private:
  // A dashed line of one pixel is held back while the next ones lie beside
  // it (a frame line of n pixels is drawn as n of them), and the run is
  // stroked as one line of its whole width.
  struct PendingLine {
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    int Count = 0;  // lines held back
    CanvasPen Pen;
  };
  // Solid lines parallel to the axes are bands of pixels. They are held
  // back while nothing drawn after them covers them, and put down at once:
  // bands of one colour that continue each other become one (the ruled
  // lines of a table become one line a row and a column), all in one path.
  // Held-back bands of different colours never overlap, so their order does
  // not show.
  struct Band {
    TfrRect Box;
    TColor Color;
  };
  void AddBand(const TfrRect& box, TColor color);
  // Puts the held-back bands down before something that covers `box` is
  // drawn (nothing when none touches it).
  void BandsUnder(const TfrRect& box);
  void PutBands();
  // The dashed run held back, stroked.
  void PutDashes();

  // Fills the current path with the brush and outlines it with the pen.
  void FillAndStroke();
  void StrokeLine(double x1, double y1, double x2, double y2, int width, const CanvasPen& pen);
  // Paints a picture surface into the rectangle (a copy of it when the page
  // has it already).
  void PaintPicture(const TfrRect& r, cairo_surface_t* surface);

  cairo_scaled_font_t* ScaledFont(const FaceInfo& face, int pixelHeight, bool upward, bool italic);
  void SetColor(TColor color);
  // A zero-filled pixel buffer of at least `bytes`, alive as long as the
  // canvas (JPEG surfaces stand on it: the PDF surface reads their data, not
  // their pixels).
  unsigned char* Blank(std::size_t bytes);

  cairo_t* cr_;
  int resolution_;
  bool pdf_;
  cairo_font_options_t* options_;
  std::map<std::tuple<const void*, int, bool, bool>, cairo_scaled_font_t*> fonts_;
  // Pictures already given to the surface, by their data: a picture drawn
  // again (a logo on every page) is embedded once.
  struct DataHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view data) const { return std::hash<std::string_view>{}(data); }
  };
  std::unordered_map<std::string, cairo_surface_t*, DataHash, std::equal_to<>> jpegs_;
  std::unordered_map<std::string, cairo_surface_t*> images_;
  // Pictures painted on the current page: painting one surface twice on a
  // page would name it twice in the page's resources, so a second use takes
  // a copy.
  std::unordered_set<cairo_surface_t*> onPage_;
  std::vector<std::unique_ptr<unsigned char[]>> blanks_;
  std::size_t blankSize_ = 0;
  PendingLine pending_;
  std::vector<Band> bands_;
  // The held-back bands by strips of the page (kStrip pixels high), so
  // that looking for the ones under a box does not go through all of them.
  static constexpr int kStrip = 256;
  std::unordered_map<int, std::vector<std::size_t>> strips_;
  bool oneColor_ = true;  // all held-back bands have one colour
};

// Whether JPEG data can go into a PDF file as it is: a baseline or
// progressive 8-bit image of one or three components whose size is
// width × height.
bool JpegPassesThrough(std::string_view jpeg, int width, int height);

}  // namespace talven
