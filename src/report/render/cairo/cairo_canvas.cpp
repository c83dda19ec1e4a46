#include "report/render/cairo/cairo_canvas.h"

#include <cairo-ft.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/render/font_faces.h"

namespace talven {

namespace {

// The cairo face of a FreeType face, made once for the process: faces live
// as long as the process does (font_faces.h), and so do these.
cairo_font_face_t* CairoFace(FT_Face face) {
  static std::map<FT_Face, cairo_font_face_t*> faces;
  auto it = faces.find(face);
  if (it != faces.end()) return it->second;
  cairo_font_face_t* f = cairo_ft_font_face_create_for_ft_face(face, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
  return faces.emplace(face, f).first->second;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The normalised rectangle of r, and whether it runs right to left or
// bottom up (a mirrored picture).
struct Target {
  double x, y, w, h;
  bool flipX, flipY;
};

Target TargetOf(const TfrRect& r) {
  return Target{double(std::min(r.Left, r.Right)), double(std::min(r.Top, r.Bottom)),
                double(std::abs(r.Right - r.Left)), double(std::abs(r.Bottom - r.Top)), r.Right < r.Left,
                r.Bottom < r.Top};
}

// As many pixels as the decoding takes (256 MiB of 8-bit RGB).
constexpr std::int64_t kMaxJpegPixels = (256LL << 20) / 3;

void FreeBytes(void* data) { delete[] static_cast<unsigned char*>(data); }

// Attaches a copy of JPEG data to a surface.
bool AttachJpeg(cairo_surface_t* surface, const unsigned char* data, std::size_t size) {
  auto* copy = new unsigned char[size];
  std::memcpy(copy, data, size);
  if (cairo_surface_set_mime_data(surface, CAIRO_MIME_TYPE_JPEG, copy, size, FreeBytes, copy) == CAIRO_STATUS_SUCCESS)
    return true;
  delete[] copy;
  return false;
}

// Another picture surface with the same pixels and JPEG data.
cairo_surface_t* CopyPicture(cairo_surface_t* s) {
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  cairo_surface_t* t = cairo_image_surface_create(cairo_image_surface_get_format(s), w, h);
  cairo_surface_flush(t);
  std::memcpy(cairo_image_surface_get_data(t), cairo_image_surface_get_data(s),
              std::size_t(cairo_image_surface_get_stride(s)) * h);
  cairo_surface_mark_dirty(t);
  const unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  cairo_surface_get_mime_data(s, CAIRO_MIME_TYPE_JPEG, &jpeg, &size);
  if (jpeg != nullptr) AttachJpeg(t, jpeg, size);
  return t;
}

}  // namespace

bool JpegPassesThrough(std::string_view jpeg, int width, int height) {
  const auto* p = reinterpret_cast<const unsigned char*>(jpeg.data());
  const std::size_t n = jpeg.size();
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) return false;
  std::size_t i = 2;
  while (i + 4 <= n) {
    if (p[i] != 0xFF) return false;
    const unsigned marker = p[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      i += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // no frame header before the data
    const std::size_t length = std::size_t{p[i + 2]} << 8 | p[i + 3];
    if (length < 2 || i + 2 + length > n) return false;
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
      if (marker > 0xC2 || length < 8) return false;  // lossless, hierarchical or arithmetic coding
      const unsigned precision = p[i + 4];
      const int h = p[i + 5] << 8 | p[i + 6];
      const int w = p[i + 7] << 8 | p[i + 8];
      const unsigned components = p[i + 9];
      return precision == 8 && (components == 1 || components == 3) && w == width && h == height && w > 0 && h > 0;
    }
    i += 2 + length;
  }
  return false;
}

CairoCanvas::CairoCanvas(cairo_t* cr, TextMetrics& metrics, int resolution)
    : Canvas(metrics),
      cr_(cr),
      resolution_(resolution),
      pdf_(cairo_surface_get_type(cairo_get_target(cr)) == CAIRO_SURFACE_TYPE_PDF),
      options_(cairo_font_options_create()) {
  cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
  // Shapes are placed pixel for pixel by the frame rules.
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
}

CairoCanvas::~CairoCanvas() {
  Flush();
  for (auto& [key, font] : fonts_) cairo_scaled_font_destroy(font);
  for (auto& [key, s] : jpegs_) cairo_surface_destroy(s);
  for (auto& [key, s] : images_) cairo_surface_destroy(s);
  cairo_font_options_destroy(options_);
}

void CairoCanvas::SetColor(TColor color) {
  const Rgb c = ColorToRgb(color);
  cairo_set_source_rgb(cr_, c.R / 255.0, c.G / 255.0, c.B / 255.0);
}

void CairoCanvas::SetClipRect(const std::optional<TfrRect>& clip) {
  Flush();
  Canvas::SetClipRect(clip);
  cairo_reset_clip(cr_);
  if (clip) {
    cairo_rectangle(cr_, clip->Left, clip->Top, clip->Right - clip->Left, clip->Bottom - clip->Top);
    cairo_clip(cr_);
  }
}

void CairoCanvas::Line(int x1, int y1, int x2, int y2) {
  const CanvasPen& pen = Pen();
  if (pen.Style == PenStyle::Clear || pen.Color == clNone) return;
  const bool horizontal = y1 == y2, vertical = !horizontal && x1 == x2;
  if ((horizontal || vertical) && pen.Style != PenStyle::Solid && pen.Width <= 1) {
    PendingLine& p = pending_;
    const bool beside =
        p.Count > 0 && p.Pen == pen &&
        (horizontal ? p.Y1 == p.Y2 && p.X1 == x1 && p.X2 == x2 && y1 == p.Y1 + p.Count
                    : p.X1 == p.X2 && p.Y1 != p.Y2 && p.Y1 == y1 && p.Y2 == y2 && x1 == p.X1 + p.Count);
    if (!beside) {
      PutDashes();
      p = PendingLine{x1, y1, x2, y2, 0, pen};
    }
    ++p.Count;
    return;
  }
  PutDashes();
  const int w = std::max(1, pen.Width);
  if ((horizontal || vertical) && pen.Style == PenStyle::Solid) {
    // An axis-parallel line is a band w pixels across, centred on the line,
    // its ends squared off so that frame corners close.
    const int lo = (w - 1) / 2, ext = w > 1 ? w / 2 : 0;
    if (horizontal) {
      const int a = std::min(x1, x2) - ext, b = std::max(x1, x2) + ext + (w > 1 ? 1 : 0);
      AddBand(TfrRect{a, y1 - lo, a + std::max(1, b - a), y1 - lo + w}, pen.Color);
    } else {
      const int a = std::min(y1, y2) - ext, b = std::max(y1, y2) + ext + (w > 1 ? 1 : 0);
      AddBand(TfrRect{x1 - lo, a, x1 - lo + w, a + std::max(1, b - a)}, pen.Color);
    }
    return;
  }
  BandsUnder(TfrRect{std::min(x1, x2) - w, std::min(y1, y2) - w, std::max(x1, x2) + w, std::max(y1, y2) + w});
  // Pixel centres: a 1-pixel line at x covers the pixel column x.
  const double d = (w % 2) ? 0.5 : 0.0;
  StrokeLine(x1 + d, y1 + d, x2 + d, y2 + d, w, pen);
}

namespace {

bool Overlap(const TfrRect& a, const TfrRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

void CairoCanvas::AddBand(const TfrRect& box, TColor color) {
  if (!bands_.empty() && (!oneColor_ || bands_.front().Color != color)) {
    // Over a band of another colour: the one below goes down first.
    for (int s = box.Top / kStrip - (box.Top < 0); s * kStrip < box.Bottom; ++s) {
      auto it = strips_.find(s);
      if (it == strips_.end()) continue;
      for (std::size_t i : it->second)
        if (bands_[i].Color != color && Overlap(bands_[i].Box, box)) {
          PutBands();
          break;
        }
      if (bands_.empty()) break;
    }
    oneColor_ = bands_.empty();
  }
  for (int s = box.Top / kStrip - (box.Top < 0); s * kStrip < box.Bottom; ++s) strips_[s].push_back(bands_.size());
  bands_.push_back(Band{box, color});
}

void CairoCanvas::BandsUnder(const TfrRect& box) {
  if (bands_.empty()) return;
  for (int s = box.Top / kStrip - (box.Top < 0); s * kStrip < box.Bottom; ++s) {
    auto it = strips_.find(s);
    if (it == strips_.end()) continue;
    for (std::size_t i : it->second)
      if (Overlap(bands_[i].Box, box)) {
        PutBands();
        return;
      }
  }
}

void CairoCanvas::PutBands() {
  if (bands_.empty()) return;
  // By colour; in a colour the bands that lie along a row, then those along
  // a column, each run of touching or overlapping ones as one rectangle
  // (filled one by one: a path of many rectangles is written longer).
  std::stable_sort(bands_.begin(), bands_.end(), [](const Band& a, const Band& b) { return a.Color < b.Color; });
  std::vector<TfrRect> rows, columns;
  for (std::size_t i = 0; i < bands_.size();) {
    const TColor color = bands_[i].Color;
    rows.clear();
    columns.clear();
    for (; i < bands_.size() && bands_[i].Color == color; ++i) {
      const TfrRect& r = bands_[i].Box;
      (r.Right - r.Left >= r.Bottom - r.Top ? rows : columns).push_back(r);
    }
    std::sort(rows.begin(), rows.end(), [](const TfrRect& a, const TfrRect& b) {
      return std::tie(a.Top, a.Bottom, a.Left) < std::tie(b.Top, b.Bottom, b.Left);
    });
    std::sort(columns.begin(), columns.end(), [](const TfrRect& a, const TfrRect& b) {
      return std::tie(a.Left, a.Right, a.Top) < std::tie(b.Left, b.Right, b.Top);
    });
    SetColor(color);
    for (std::size_t k = 0; k < rows.size();) {
      TfrRect run = rows[k++];
      while (k < rows.size() && rows[k].Top == run.Top && rows[k].Bottom == run.Bottom && rows[k].Left <= run.Right)
        run.Right = std::max(run.Right, rows[k++].Right);
      cairo_rectangle(cr_, run.Left, run.Top, run.Right - run.Left, run.Bottom - run.Top);
      cairo_fill(cr_);
    }
    for (std::size_t k = 0; k < columns.size();) {
      TfrRect run = columns[k++];
      while (k < columns.size() && columns[k].Left == run.Left && columns[k].Right == run.Right &&
             columns[k].Top <= run.Bottom)
        run.Bottom = std::max(run.Bottom, columns[k++].Bottom);
      cairo_rectangle(cr_, run.Left, run.Top, run.Right - run.Left, run.Bottom - run.Top);
      cairo_fill(cr_);
    }
  }
  bands_.clear();
  strips_.clear();
  oneColor_ = true;
}

void CairoCanvas::Flush() {
  PutDashes();
  PutBands();
}

void CairoCanvas::PutDashes() {
  PendingLine& p = pending_;
  if (p.Count == 0) return;
  const bool horizontal = p.Y1 == p.Y2;
  BandsUnder(horizontal ? TfrRect{std::min(p.X1, p.X2), p.Y1, std::max(p.X1, p.X2) + 1, p.Y1 + p.Count}
                        : TfrRect{p.X1, std::min(p.Y1, p.Y2), p.X1 + p.Count, std::max(p.Y1, p.Y2) + 1});
  // n lines of one pixel side by side cover n pixels from the first one on.
  const double across = p.Count / 2.0;
  if (horizontal) StrokeLine(p.X1 + 0.5, p.Y1 + across, p.X2 + 0.5, p.Y2 + across, p.Count, p.Pen);
  else StrokeLine(p.X1 + across, p.Y1 + 0.5, p.X2 + across, p.Y2 + 0.5, p.Count, p.Pen);
  p.Count = 0;
}

void CairoCanvas::StrokeLine(double x1, double y1, double x2, double y2, int width, const CanvasPen& pen) {
  SetColor(pen.Color);
  cairo_set_line_width(cr_, width);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  const std::vector<double> dashes = DashPattern(pen.Style, resolution_);
  cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), 0);
  cairo_move_to(cr_, x1, y1);
  cairo_line_to(cr_, x2, y2);
  cairo_stroke(cr_);
  if (!dashes.empty()) cairo_set_dash(cr_, nullptr, 0, 0);
}

void CairoCanvas::FillAndStroke() {
  const CanvasBrush& brush = Brush();
  if (!brush.Clear && brush.Color != clNone) {
    SetColor(brush.Color);
    cairo_fill_preserve(cr_);
  }
  const CanvasPen& pen = Pen();
  if (pen.Style != PenStyle::Clear && pen.Color != clNone) {
    SetColor(pen.Color);
    cairo_set_line_width(cr_, std::max(1, pen.Width));
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    const std::vector<double> dashes = DashPattern(pen.Style, resolution_);
    cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), 0);
    cairo_stroke_preserve(cr_);
    if (!dashes.empty()) cairo_set_dash(cr_, nullptr, 0, 0);
  }
  cairo_new_path(cr_);
}

void CairoCanvas::Polygon(const std::vector<CanvasPoint>& points) {
  if (points.size() < 2) return;
  Flush();
  // Outlines on pixel centres, as lines are.
  const double d = (std::max(1, Pen().Width) % 2) ? 0.5 : 0.0;
  cairo_move_to(cr_, points[0].X + d, points[0].Y + d);
  for (std::size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].X + d, points[i].Y + d);
  cairo_close_path(cr_);
  FillAndStroke();
}

void CairoCanvas::Ellipse(const TfrRect& r) {
  if (r.Right == r.Left || r.Bottom == r.Top) return;
  Flush();
  const double d = (std::max(1, Pen().Width) % 2) ? 0.5 : 0.0;
  cairo_save(cr_);
  cairo_translate(cr_, (r.Left + r.Right) / 2.0 + d, (r.Top + r.Bottom) / 2.0 + d);
  cairo_scale(cr_, std::abs(r.Right - r.Left) / 2.0, std::abs(r.Bottom - r.Top) / 2.0);
  cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_restore(cr_);
  FillAndStroke();
}

void CairoCanvas::NewPage() {
  Flush();
  onPage_.clear();
}

void CairoCanvas::FillRect(const TfrRect& r) {
  const CanvasBrush& brush = Brush();
  if (brush.Clear || brush.Color == clNone || r.Right <= r.Left || r.Bottom <= r.Top) return;
  PutDashes();
  BandsUnder(r);
  SetColor(brush.Color);
  cairo_rectangle(cr_, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  cairo_fill(cr_);
}

void CairoCanvas::PaintPicture(const TfrRect& r, cairo_surface_t* surface) {
  PutDashes();
  const Target t = TargetOf(r);
  BandsUnder(TfrRect{int(t.x), int(t.y), int(t.x + t.w), int(t.y + t.h)});
  const bool again = !onPage_.insert(surface).second;
  if (again) surface = CopyPicture(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  cairo_save(cr_);
  cairo_translate(cr_, t.flipX ? t.x + t.w : t.x, t.flipY ? t.y + t.h : t.y);
  cairo_scale(cr_, (t.flipX ? -t.w : t.w) / w, (t.flipY ? -t.h : t.h) / h);
  cairo_set_source_surface(cr_, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint(cr_);
  cairo_restore(cr_);
  if (again) cairo_surface_destroy(surface);
}

void CairoCanvas::StretchImage(const TfrRect& r, const CanvasImage& image) {
  if (image.Width <= 0 || image.Height <= 0 || r.Right == r.Left || r.Bottom == r.Top) return;
  const std::size_t pixels = std::size_t(image.Width) * image.Height;
  if (image.Rgba.size() < pixels * 4) return;
  std::string key;
  key.reserve(8 + pixels * 4);
  key.append(reinterpret_cast<const char*>(&image.Width), sizeof image.Width);
  key.append(reinterpret_cast<const char*>(&image.Height), sizeof image.Height);
  key.append(reinterpret_cast<const char*>(image.Rgba.data()), pixels * 4);
  cairo_surface_t*& surface = images_[key];
  if (surface == nullptr) {
    bool opaque = true;
    for (std::size_t i = 0; i < pixels && opaque; ++i) opaque = image.Rgba[i * 4 + 3] == 255;
    surface = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, image.Width, image.Height);
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.Height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
      const std::uint8_t* src = image.Rgba.data() + std::size_t(y) * image.Width * 4;
      for (int x = 0; x < image.Width; ++x, src += 4) {
        // Premultiplied, native-endian 0xAARRGGBB.
        const std::uint32_t a = src[3];
        const std::uint32_t rr = src[0] * a / 255, g = src[1] * a / 255, b = src[2] * a / 255;
        row[x] = a << 24 | rr << 16 | g << 8 | b;
      }
    }
    cairo_surface_mark_dirty(surface);
  }
  PaintPicture(r, surface);
}

unsigned char* CairoCanvas::Blank(std::size_t bytes) {
  if (bytes > blankSize_) {
    blanks_.push_back(std::make_unique<unsigned char[]>(bytes));
    blankSize_ = bytes;
  }
  return blanks_.back().get();
}

bool CairoCanvas::StretchJpeg(const TfrRect& r, std::string_view jpeg, int width, int height) {
  if (!pdf_ || !JpegPassesThrough(jpeg, width, height)) return false;
  // A header asking for more pixels than a picture may have is damage: the
  // decoding refuses it.
  if (std::int64_t{width} * height > kMaxJpegPixels) return false;
  if (r.Right == r.Left || r.Bottom == r.Top) return true;
  auto found = jpegs_.find(jpeg);
  cairo_surface_t* surface = found != jpegs_.end() ? found->second : nullptr;
  if (surface == nullptr) {
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    surface = cairo_image_surface_create_for_data(Blank(std::size_t(stride) * height), CAIRO_FORMAT_RGB24, width,
                                                  height, stride);
    if (!AttachJpeg(surface, reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size())) {
      cairo_surface_destroy(surface);
      return false;
    }
    jpegs_.emplace(std::string(jpeg), surface);
  }
  PaintPicture(r, surface);
  return true;
}

cairo_scaled_font_t* CairoCanvas::ScaledFont(const FaceInfo& face, int pixelHeight, bool upward, bool italic) {
  FT_Face ft = OpenFace(face.File, face.Index);
  if (ft == nullptr) return nullptr;
  auto key = std::make_tuple(static_cast<const void*>(ft), pixelHeight, upward, italic);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  const double h = std::max(1, pixelHeight);
  // Glyph space to the canvas: the em at the pixel height, sheared for a
  // synthetic italic (the top leans right by a fifth of the height), turned
  // so that the text runs upward.
  cairo_matrix_t matrix{h, 0, italic ? -0.2 * h : 0, h, 0, 0};
  if (upward) {
    cairo_matrix_t turn;
    cairo_matrix_init_rotate(&turn, -std::numbers::pi / 2);
    cairo_matrix_multiply(&matrix, &matrix, &turn);
  }
  cairo_matrix_t ctm;
  cairo_get_matrix(cr_, &ctm);
  ctm.x0 = ctm.y0 = 0;
  cairo_scaled_font_t* font = cairo_scaled_font_create(CairoFace(ft), &matrix, &ctm, options_);
  if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
    cairo_scaled_font_destroy(font);
    font = nullptr;
  }
  fonts_.emplace(key, font);
  return font;
}

void CairoCanvas::DrawText(const PlacedText& text) {
  if (text.Chars.empty() || text.Measure == nullptr) return;
  const FaceSet& faces = text.Measure->Faces();
  const bool upward = text.Font.Escapement == 900;
  const bool bold = (text.Font.Style & fsBoldBit) != 0, italic = (text.Font.Style & fsItalicBit) != 0;
  const int pixelHeight = text.Font.PixelHeight;
  {
    // Where the ink may go: the text's cell (its face's ascent and descent
    // hold every glyph), widened along the text for glyphs that reach past
    // their advance, a slant and a doubled bold run.
    PutDashes();
    const int along = pixelHeight / 8 + (italic ? pixelHeight / 4 : 0) + (bold ? pixelHeight / 24 + 1 : 0);
    TfrRect ink = text.Bounds;
    if (upward) {
      ink.Top -= along;
      ink.Bottom += along;
      --ink.Left, ++ink.Right;
    } else {
      ink.Left -= along;
      ink.Right += along;
      --ink.Top, ++ink.Bottom;
    }
    if (text.Clip) {
      ink.Left = std::max(ink.Left, text.Clip->Left);
      ink.Top = std::max(ink.Top, text.Clip->Top);
      ink.Right = std::min(ink.Right, text.Clip->Right);
      ink.Bottom = std::min(ink.Bottom, text.Clip->Bottom);
    }
    BandsUnder(ink);
  }
  cairo_save(cr_);
  if (text.Clip) {
    const TfrRect& c = *text.Clip;
    cairo_rectangle(cr_, c.Left, c.Top, c.Right - c.Left, c.Bottom - c.Top);
    cairo_clip(cr_);
  }
  SetColor(text.Font.Color);
  std::vector<cairo_glyph_t> glyphs;
  std::vector<cairo_text_cluster_t> clusters;
  std::string utf8;
  glyphs.reserve(text.Chars.size());
  clusters.reserve(text.Chars.size());
  // Runs of characters drawn by the same face.
  for (std::size_t i = 0; i < text.Chars.size();) {
    const std::uint8_t face = faces.Lookup(text.Chars[i].Code).Face;
    glyphs.clear();
    clusters.clear();
    utf8.clear();
    std::size_t j = i;
    for (; j < text.Chars.size(); ++j) {
      const PlacedChar& pc = text.Chars[j];
      const FaceSet::Glyph& g = faces.Lookup(pc.Code);
      if (g.Face != face) break;
      const char32_t cp = GbkCharToUnicode(pc.Code);
      if (cp < 0x20) continue;
      const std::size_t before = utf8.size();
      AppendUtf8(utf8, cp);
      glyphs.push_back(cairo_glyph_t{g.Index, pc.X, pc.Y});
      clusters.push_back(cairo_text_cluster_t{static_cast<int>(utf8.size() - before), 1});
    }
    const FaceInfo& info = faces.Faces()[face];
    cairo_scaled_font_t* font =
        glyphs.empty() ? nullptr : ScaledFont(info, pixelHeight, upward, italic && info.SyntheticItalic);
    if (font != nullptr) {
      cairo_set_scaled_font(cr_, font);
      const int n = static_cast<int>(glyphs.size());
      cairo_show_text_glyphs(cr_, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(), n, clusters.data(), n,
                             cairo_text_cluster_flags_t{});
      if (bold && info.SyntheticBold) {
        // A bold the face has not: the run once more, a little further on.
        const double shift = std::max(1.0, pixelHeight / 24.0);
        for (cairo_glyph_t& g : glyphs) (upward ? g.y : g.x) += upward ? -shift : shift;
        cairo_show_glyphs(cr_, glyphs.data(), n);
      }
    }
    i = j;
  }
  if (text.Font.Style & (fsUnderlineBit | fsStrikeOutBit)) {
    const int width = upward ? text.Bounds.Bottom - text.Bounds.Top : text.Bounds.Right - text.Bounds.Left;
    const double h = pixelHeight;
    const double thick = std::max(1.0, std::round(h / 16));
    cairo_translate(cr_, text.Chars[0].X, text.Chars[0].Y);
    if (upward) cairo_rotate(cr_, -std::numbers::pi / 2);
    if (text.Font.Style & fsUnderlineBit) cairo_rectangle(cr_, 0, std::max(1.0, std::round(h / 10)), width, thick);
    if (text.Font.Style & fsStrikeOutBit) cairo_rectangle(cr_, 0, -std::round(h * 0.28), width, thick);
    cairo_fill(cr_);
  }
  cairo_restore(cr_);
}

}  // namespace talven
