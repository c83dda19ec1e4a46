#include "report/render/metafile.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "base/rounding.h"
#include "base/text.h"
#include "report/render/images.h"

namespace talven {

namespace {

// Little-endian fields of a record; reading past the end gives 0.
struct Bytes {
  std::string_view d;
  std::uint32_t U32(std::size_t at) const {
    if (at + 4 > d.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  std::uint16_t U16(std::size_t at) const {
    if (at + 2 > d.size()) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(d.data() + at);
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
  }
  std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
  std::uint8_t U8(std::size_t at) const { return at < d.size() ? static_cast<std::uint8_t>(d[at]) : 0; }
};

// A GDI object of the metafile's table.
struct GdiObject {
  // Other: an object this player does not draw with (a palette, a region,
  // a pattern brush) that still takes its place in the table.
  enum Kind { None, Pen, Brush, Font, Other } kind = None;
  CanvasPen pen;
  CanvasBrush brush;
  CanvasFont font;
  int fontHeight = 0;  // logical: negative the em height, positive the cell
};

PenStyle PenStyleOf(std::uint32_t style) {
  switch (style & 0xF) {
    case 1: return PenStyle::Dash;
    case 2: return PenStyle::Dot;
    case 3: return PenStyle::DashDot;
    case 4: return PenStyle::DashDotDot;
    case 5: return PenStyle::Clear;
    default: return PenStyle::Solid;
  }
}

// Colour references: 0x00BBGGRR; palette and system forms are taken as
// their low three bytes.
TColor ColorOf(std::uint32_t ref) { return static_cast<TColor>(ref & 0xFFFFFF); }

// UTF-16 text of a record as GBK; what code page 936 cannot hold becomes
// "?".
std::string Utf16ToGbk(std::string_view bytes, std::size_t count) {
  std::string gbk;
  Bytes b{bytes};
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t c = b.U16(i * 2);
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) ++i;  // beyond the BMP: no GBK character
    const std::uint16_t code = c >= 0xD800 && c < 0xE000 ? 0 : UnicodeToGbkChar(c);
    if (code == 0) gbk += '?';
    else if (code > 0xFF) gbk += {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    else gbk += static_cast<char>(code);
  }
  return gbk;
}

// The drawing state of a metafile being played and what both formats do
// with it: mapping logical coordinates into the area, the selected objects,
// text.
class Player {
 public:
  Player(Canvas& canvas, const TfrRect& area) : c_(canvas), area_(area) {}

  // The logical rectangle that fills the area unless the metafile sets its
  // own window (WMF) or mapping (EMF).
  void SetFrame(double left, double top, double right, double bottom) {
    frameL_ = left;
    frameT_ = top;
    frameW_ = right - left;
    frameH_ = bottom - top;
    if (frameW_ == 0) frameW_ = 1;
    if (frameH_ == 0) frameH_ = 1;
  }

  // ---- mapping
  struct Mapping {
    int mode = 1;  // MM_TEXT
    double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
    double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
    bool windowSet = false;
  };
  Mapping map;
  // WMF: the window maps straight onto the area.
  bool windowToArea = false;
  // EMF: reference-device pixels per millimetre.
  double pxPerMmX = 96 / 25.4, pxPerMmY = 96 / 25.4;

  double DevX(double x) const {
    double d;
    if (windowToArea) {
      d = map.windowSet ? (x - map.winOrgX) / map.winExtX : (x - frameL_) / frameW_;
      return area_.Left + d * (area_.Right - area_.Left);
    }
    d = ToReference(x, true);
    return area_.Left + (d - frameL_) / frameW_ * (area_.Right - area_.Left);
  }
  double DevY(double y) const {
    double d;
    if (windowToArea) {
      d = map.windowSet ? (y - map.winOrgY) / map.winExtY : (y - frameT_) / frameH_;
      return area_.Top + d * (area_.Bottom - area_.Top);
    }
    d = ToReference(y, false);
    return area_.Top + (d - frameT_) / frameH_ * (area_.Bottom - area_.Top);
  }
  // Device pixels per logical unit (for widths and font heights).
  double ScaleX() const { return std::abs(DevX(1) - DevX(0)); }
  double ScaleY() const { return std::abs(DevY(1) - DevY(0)); }
  int X(double x) const { return RoundHalfEven(DevX(x)); }
  int Y(double y) const { return RoundHalfEven(DevY(y)); }
  CanvasPoint P(double x, double y) const { return CanvasPoint{X(x), Y(y)}; }
  TfrRect R(double l, double t, double r, double b) const { return TfrRect{X(l), Y(t), X(r), Y(b)}; }

  // ---- objects
  std::vector<GdiObject> objects;
  GdiObject pen, brush, font;
  TColor textColor = clBlack, bkColor = clWhite;
  bool opaque = true;
  std::uint32_t textAlign = 0;
  double curX = 0, curY = 0;

  struct Saved {
    Mapping map;
    GdiObject pen, brush, font;
    TColor textColor, bkColor;
    bool opaque;
    std::uint32_t textAlign;
  };
  std::vector<Saved> stack;

  void Reset() {
    pen = GdiObject{};
    pen.kind = GdiObject::Pen;
    brush = GdiObject{};
    brush.kind = GdiObject::Brush;
    font = GdiObject{};
    font.kind = GdiObject::Font;
    font.font.Name = "Arial";
    font.fontHeight = -12;
  }
  void Save() { stack.push_back(Saved{map, pen, brush, font, textColor, bkColor, opaque, textAlign}); }
  void Restore(int relative) {
    // relative < 0: that many levels back.
    int n = relative < 0 ? -relative : 1;
    while (n-- > 1 && !stack.empty()) stack.pop_back();
    if (stack.empty()) return;
    const Saved s = stack.back();
    stack.pop_back();
    map = s.map;
    pen = s.pen;
    brush = s.brush;
    font = s.font;
    textColor = s.textColor;
    bkColor = s.bkColor;
    opaque = s.opaque;
    textAlign = s.textAlign;
  }
  void Select(const GdiObject& o) {
    if (o.kind == GdiObject::Pen) pen = o;
    else if (o.kind == GdiObject::Brush) brush = o;
    else if (o.kind == GdiObject::Font) font = o;
  }
  // Stock objects (EMF indexes with the high bit set).
  void SelectStock(std::uint32_t index) {
    GdiObject o;
    switch (index & 0x7FFFFFFF) {
      case 0: o.kind = GdiObject::Brush; o.brush = {clWhite, false}; break;
      case 1: o.kind = GdiObject::Brush; o.brush = {0xC0C0C0, false}; break;
      case 2: o.kind = GdiObject::Brush; o.brush = {0x808080, false}; break;
      case 3: o.kind = GdiObject::Brush; o.brush = {0x404040, false}; break;
      case 4: o.kind = GdiObject::Brush; o.brush = {clBlack, false}; break;
      case 5: o.kind = GdiObject::Brush; o.brush = {clWhite, true}; break;
      case 6: o.kind = GdiObject::Pen; o.pen = {clWhite, 1, PenStyle::Solid}; break;
      case 7: o.kind = GdiObject::Pen; o.pen = {clBlack, 1, PenStyle::Solid}; break;
      case 8: o.kind = GdiObject::Pen; o.pen = {clBlack, 1, PenStyle::Clear}; break;
      default: return;
    }
    Select(o);
  }

  // ---- drawing
  void UsePen() {
    CanvasPen p = pen.pen;
    p.Width = std::max(1, RoundHalfEven(pen.pen.Width * ScaleX()));
    c_.SetPen(p);
  }
  void UseShapeTools() {
    UsePen();
    c_.SetBrush(brush.brush);
  }
  void LineTo(double x, double y) {
    UsePen();
    c_.Line(X(curX), Y(curY), X(x), Y(y));
    curX = x;
    curY = y;
  }
  void Poly(const std::vector<CanvasPoint>& pts, bool closed) {
    if (pts.size() < 2) return;
    if (closed) {
      UseShapeTools();
      c_.Polygon(pts);
    } else {
      UsePen();
      c_.Polyline(pts);
    }
  }
  void Rectangle(double l, double t, double r, double b) {
    UseShapeTools();
    const TfrRect rect = R(l, t, r, b);
    c_.Polygon({{rect.Left, rect.Top}, {rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left, rect.Bottom}});
  }
  void Ellipse(double l, double t, double r, double b) {
    UseShapeTools();
    c_.Ellipse(R(l, t, r, b));
  }
  void Text(double x, double y, const std::string& text, const TfrRect* opaqueRect) {
    if (opaqueRect) {
      c_.SetBrush(CanvasBrush{bkColor, false});
      c_.FillRect(*opaqueRect);
    }
    if (text.empty()) return;
    CanvasFont f = font.font;
    f.Color = textColor;
    const double h = std::abs(font.fontHeight) * ScaleY();
    if (font.fontHeight > 0) {
      // A cell height: the em is the cell less what the face puts around it.
      c_.SetFont(f);
      const FaceSet& faces = c_.Measure().Faces();
      const double cell = faces.AscenderUnits() + faces.DescenderUnits();
      f.PixelHeight = std::max(1, RoundHalfEven(h * faces.UnitsPerEm() / (cell > 0 ? cell : faces.UnitsPerEm())));
    } else {
      f.PixelHeight = std::max(1, RoundHalfEven(h == 0 ? 12 * ScaleY() : h));
    }
    c_.SetFont(f);
    c_.SetOpaque(false);
    c_.SetCharExtra(0);
    int px = X(x), py = Y(y);
    const int width = c_.TextWidth(text);
    const int ascent = Round64(c_.Measure().Ascent64());
    const int cell = Round64(std::int64_t{c_.Measure().Ascent64()} + c_.Measure().Descent64());
    if (f.Escapement != 900) {
      if ((textAlign & 6) == 6) px -= width / 2;
      else if (textAlign & 2) px -= width;
      if ((textAlign & 24) == 24) py -= ascent;
      else if (textAlign & 8) py -= cell;
    }
    c_.TextOut(px, py, text);
  }
  void Image(const TfrRect& dest, std::optional<CanvasImage> image, int xSrc, int ySrc, int cxSrc, int cySrc) {
    if (!image || !c_.WantsImages()) return;
    // Only the source rectangle (counted from the bottom row of the bitmap)
    // is shown.
    if (cxSrc > 0 && cySrc > 0 && (xSrc != 0 || ySrc != 0 || cxSrc != image->Width || cySrc != image->Height)) {
      const int top = image->Height - ySrc - cySrc;
      if (xSrc < 0 || top < 0 || xSrc + cxSrc > image->Width || top + cySrc > image->Height) return;
      CanvasImage part;
      part.Width = cxSrc;
      part.Height = cySrc;
      part.Rgba.resize(static_cast<std::size_t>(cxSrc) * cySrc * 4);
      for (int row = 0; row < cySrc; ++row)
        std::memcpy(&part.Rgba[static_cast<std::size_t>(row) * cxSrc * 4],
                    &image->Rgba[(static_cast<std::size_t>(top + row) * image->Width + xSrc) * 4],
                    static_cast<std::size_t>(cxSrc) * 4);
      image = std::move(part);
    }
    c_.StretchImage(dest, *image);
  }

  Canvas& canvas() { return c_; }

 private:
  // EMF: logical units to reference-device pixels by the map mode.
  double ToReference(double v, bool horizontal) const {
    const double org = horizontal ? map.winOrgX : map.winOrgY;
    const double vpOrg = horizontal ? map.vpOrgX : map.vpOrgY;
    const double perMm = horizontal ? pxPerMmX : pxPerMmY;
    const double flip = horizontal ? 1 : -1;
    switch (map.mode) {
      case 2: return (v - org) * perMm / 10 * flip + vpOrg;     // LOMETRIC
      case 3: return (v - org) * perMm / 100 * flip + vpOrg;    // HIMETRIC
      case 4: return (v - org) * perMm * 0.254 * flip + vpOrg;  // LOENGLISH
      case 5: return (v - org) * perMm * 0.0254 * flip + vpOrg; // HIENGLISH
      case 6: return (v - org) * perMm * 25.4 / 1440 * flip + vpOrg;  // TWIPS
      case 7:
      case 8: {
        const double wExt = horizontal ? map.winExtX : map.winExtY;
        const double vExt = horizontal ? map.vpExtX : map.vpExtY;
        return (v - org) * (wExt != 0 ? vExt / wExt : 1) + vpOrg;
      }
      default: return v - org + vpOrg;
    }
  }

  Canvas& c_;
  TfrRect area_;
  double frameL_ = 0, frameT_ = 0, frameW_ = 1, frameH_ = 1;
};

// ---- EMF ---------------------------------------------------------------

void PlayEmf(Player& pl, std::string_view d) {
  Bytes h{d};
  // The frame (0.01 mm) in reference-device pixels.
  const double devX = h.I32(72), devY = h.I32(76), mmX = h.I32(80), mmY = h.I32(84);
  if (devX > 0 && mmX > 0) pl.pxPerMmX = devX / mmX;
  if (devY > 0 && mmY > 0) pl.pxPerMmY = devY / mmY;
  pl.SetFrame(h.I32(24) * pl.pxPerMmX / 100, h.I32(28) * pl.pxPerMmY / 100, h.I32(32) * pl.pxPerMmX / 100,
              h.I32(36) * pl.pxPerMmY / 100);
  pl.objects.assign(std::min<std::uint32_t>(h.U16(56), 65535), GdiObject{});
  pl.Reset();

  std::size_t at = 0;
  while (at + 8 <= d.size()) {
    const char* record = d.data() + at;
    const std::uint32_t type = h.U32(at), size = h.U32(at + 4);
    if (size < 8 || size % 4 != 0 || size > d.size() - at) break;
    std::string_view rec = d.substr(at, size);
    at += size;
    if (type == U_EMR_EOF) break;
    // A font record may stop after the plain logical font (92 bytes), which
    // the record check takes for short.
    if (type == U_EMR_EXTCREATEFONTINDIRECTW ? size < 104 : type != U_EMR_HEADER && !U_emf_record_safe(record))
      continue;
    Bytes r{rec};
    // A metafile that counts its handles short still gets the objects it
    // creates (up to the format's 65535).
    auto object = [&](std::uint32_t index) -> GdiObject* {
      if (index >= pl.objects.size() && index < 65536 && type != U_EMR_SELECTOBJECT && type != U_EMR_DELETEOBJECT)
        pl.objects.resize(index + 1);
      return index < pl.objects.size() ? &pl.objects[index] : nullptr;
    };
    auto points = [&](std::size_t from, bool small, std::size_t count) {
      std::vector<CanvasPoint> pts;
      const std::size_t step = small ? 4 : 8;
      if (count > (rec.size() - std::min(rec.size(), from)) / step) return pts;
      pts.reserve(count);
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t p = from + i * step;
        pts.push_back(small ? pl.P(r.I16(p), r.I16(p + 2)) : pl.P(r.I32(p), r.I32(p + 4)));
      }
      return pts;
    };
    switch (type) {
      case U_EMR_SETMAPMODE: pl.map.mode = r.I32(8); break;
      case U_EMR_SETWINDOWEXTEX: pl.map.winExtX = r.I32(8); pl.map.winExtY = r.I32(12); pl.map.windowSet = true; break;
      case U_EMR_SETWINDOWORGEX: pl.map.winOrgX = r.I32(8); pl.map.winOrgY = r.I32(12); break;
      case U_EMR_SETVIEWPORTEXTEX: pl.map.vpExtX = r.I32(8); pl.map.vpExtY = r.I32(12); break;
      case U_EMR_SETVIEWPORTORGEX: pl.map.vpOrgX = r.I32(8); pl.map.vpOrgY = r.I32(12); break;
      case U_EMR_SAVEDC: pl.Save(); break;
      case U_EMR_RESTOREDC: pl.Restore(r.I32(8)); break;
      case U_EMR_SETTEXTCOLOR: pl.textColor = ColorOf(r.U32(8)); break;
      case U_EMR_SETBKCOLOR: pl.bkColor = ColorOf(r.U32(8)); break;
      case U_EMR_SETBKMODE: pl.opaque = r.U32(8) == 2; break;
      case U_EMR_SETTEXTALIGN: pl.textAlign = r.U32(8); break;
      case U_EMR_CREATEPEN:
        if (GdiObject* o = object(r.U32(8))) {
          o->kind = GdiObject::Pen;
          o->pen = CanvasPen{ColorOf(r.U32(24)), r.I32(16), PenStyleOf(r.U32(12))};
        }
        break;
      case U_EMR_EXTCREATEPEN:
        if (GdiObject* o = object(r.U32(8))) {
          o->kind = GdiObject::Pen;
          o->pen = CanvasPen{ColorOf(r.U32(40)), static_cast<int>(r.U32(32)), PenStyleOf(r.U32(28))};
        }
        break;
      case U_EMR_CREATEBRUSHINDIRECT:
        if (GdiObject* o = object(r.U32(8))) {
          o->kind = GdiObject::Brush;
          o->brush = CanvasBrush{ColorOf(r.U32(16)), r.U32(12) == 1};
        }
        break;
      case U_EMR_EXTCREATEFONTINDIRECTW:
        if (GdiObject* o = object(r.U32(8))) {
          o->kind = GdiObject::Font;
          o->fontHeight = r.I32(12);
          o->font.Escapement = r.I32(20) == 900 ? 900 : 0;
          o->font.Style = static_cast<std::uint16_t>((r.I32(28) >= 600 ? 2 : 0) | (r.U8(32) ? 1 : 0) |
                                                     (r.U8(33) ? 4 : 0) | (r.U8(34) ? 8 : 0));
          o->font.Charset = r.U8(35);
          o->font.Name = Utf16ToGbk(rec.substr(std::min<std::size_t>(40, rec.size())), 32);
        }
        break;
      case U_EMR_SELECTOBJECT: {
        const std::uint32_t index = r.U32(8);
        if (index & 0x80000000u) pl.SelectStock(index);
        else if (GdiObject* o = object(index)) pl.Select(*o);
        break;
      }
      case U_EMR_DELETEOBJECT:
        if (GdiObject* o = object(r.U32(8))) *o = GdiObject{};
        break;
      case U_EMR_MOVETOEX: pl.curX = r.I32(8); pl.curY = r.I32(12); break;
      case U_EMR_LINETO: pl.LineTo(r.I32(8), r.I32(12)); break;
      case U_EMR_POLYLINE16: pl.Poly(points(28, true, r.U32(24)), false); break;
      case U_EMR_POLYGON16: pl.Poly(points(28, true, r.U32(24)), true); break;
      case U_EMR_POLYLINE: pl.Poly(points(28, false, r.U32(24)), false); break;
      case U_EMR_POLYGON: pl.Poly(points(28, false, r.U32(24)), true); break;
      case U_EMR_POLYPOLYLINE16:
      case U_EMR_POLYPOLYGON16:
      case U_EMR_POLYPOLYLINE:
      case U_EMR_POLYPOLYGON: {
        const bool small = type == U_EMR_POLYPOLYLINE16 || type == U_EMR_POLYPOLYGON16;
        const bool closed = type == U_EMR_POLYPOLYGON16 || type == U_EMR_POLYPOLYGON;
        const std::uint32_t polys = r.U32(24);
        if (polys > rec.size() / 4) break;
        std::size_t from = 32 + std::size_t{polys} * 4;
        for (std::uint32_t i = 0; i < polys; ++i) {
          const std::uint32_t n = r.U32(32 + std::size_t{i} * 4);
          auto pts = points(from, small, n);
          if (pts.size() != n) break;
          pl.Poly(pts, closed);
          from += std::size_t{n} * (small ? 4 : 8);
        }
        break;
      }
      case U_EMR_RECTANGLE:
      case U_EMR_ROUNDRECT: pl.Rectangle(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
      case U_EMR_ELLIPSE: pl.Ellipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20)); break;
      case U_EMR_EXTTEXTOUTW:
      case U_EMR_EXTTEXTOUTA: {
        const std::uint32_t chars = r.U32(44), offString = r.U32(48), options = r.U32(52);
        const bool wide = type == U_EMR_EXTTEXTOUTW;
        if (offString > rec.size() || chars > (rec.size() - offString) / (wide ? 2 : 1)) break;
        const std::string text = wide ? Utf16ToGbk(rec.substr(offString), chars)
                                      : std::string(rec.substr(offString, chars));
        TfrRect opaqueRect;
        const bool opaque = (options & 2) != 0 && (options & 0x100) == 0;
        if (opaque) opaqueRect = pl.R(r.I32(56), r.I32(60), r.I32(64), r.I32(68));
        pl.Text(r.I32(36), r.I32(40), text, opaque ? &opaqueRect : nullptr);
        break;
      }
      case U_EMR_STRETCHDIBITS: {
        const TfrRect dest = pl.R(r.I32(24), r.I32(28), r.I32(24) + r.I32(72), r.I32(28) + r.I32(76));
        pl.Image(dest, DecodeDibParts(rec, r.U32(48), r.U32(56)), r.I32(32), r.I32(36), r.I32(40), r.I32(44));
        break;
      }
      case U_EMR_SETDIBITSTODEVICE: {
        const TfrRect dest = pl.R(r.I32(24), r.I32(28), r.I32(24) + r.I32(40), r.I32(28) + r.I32(44));
        pl.Image(dest, DecodeDibParts(rec, r.U32(48), r.U32(56)), r.I32(32), r.I32(36), r.I32(40), r.I32(44));
        break;
      }
      case U_EMR_BITBLT:
      case U_EMR_STRETCHBLT: {
        const TfrRect dest = pl.R(r.I32(24), r.I32(28), r.I32(24) + r.I32(32), r.I32(28) + r.I32(36));
        if (r.U32(88) == 0) {
          // No bitmap: the rectangle is filled with the brush.
          pl.canvas().SetBrush(pl.brush.brush);
          pl.canvas().FillRect(dest);
          break;
        }
        const int cx = type == U_EMR_STRETCHBLT ? r.I32(100) : r.I32(32);
        const int cy = type == U_EMR_STRETCHBLT ? r.I32(104) : r.I32(36);
        pl.Image(dest, DecodeDibParts(rec, r.U32(84), r.U32(92)), r.I32(44), r.I32(48), cx, cy);
        break;
      }
      default: break;  // not drawn here
    }
  }
}

// ---- WMF ---------------------------------------------------------------

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

void PlayWmf(Player& pl, std::string_view d) {
  Bytes h{d};
  std::size_t at = 0;
  pl.windowToArea = true;
  if (h.U32(0) == kPlaceableKey) {
    pl.SetFrame(h.I16(6), h.I16(8), h.I16(10), h.I16(12));
    at = 22;
  } else {
    pl.SetFrame(0, 0, 1000, 1000);
  }
  // The standard header: type, header size in words, version, size, objects.
  const std::size_t headerWords = h.U16(at + 2);
  const std::uint16_t objectCount = h.U16(at + 10);
  pl.objects.assign(objectCount, GdiObject{});
  pl.Reset();
  at += std::max<std::size_t>(headerWords, 9) * 2;

  // An object goes into the first free slot of the table.
  auto place = [&](const GdiObject& o) {
    for (GdiObject& slot : pl.objects)
      if (slot.kind == GdiObject::None) {
        slot = o;
        return;
      }
  };
  while (at + 6 <= d.size()) {
    const std::uint64_t words = h.U32(at);
    const std::uint16_t function = h.U16(at + 4);
    if (words < 3 || words * 2 > d.size() - at) break;
    Bytes r{d.substr(at, static_cast<std::size_t>(words * 2))};
    const std::string_view rec = r.d;
    at += static_cast<std::size_t>(words * 2);
    auto p16 = [&](std::size_t i) { return r.I16(6 + i * 2); };  // the i-th parameter word
    const std::size_t params = (rec.size() - 6) / 2;
    switch (function) {
      case 0x0000: return;  // end
      case 0x020B: pl.map.winOrgY = p16(0); pl.map.winOrgX = p16(1); break;
      case 0x020C:
        pl.map.winExtY = p16(0) != 0 ? p16(0) : 1;
        pl.map.winExtX = p16(1) != 0 ? p16(1) : 1;
        pl.map.windowSet = true;
        break;
      case 0x001E: pl.Save(); break;
      case 0x0127: pl.Restore(p16(0)); break;
      case 0x0209: pl.textColor = ColorOf(r.U32(6)); break;
      case 0x0201: pl.bkColor = ColorOf(r.U32(6)); break;
      case 0x0102: pl.opaque = r.U16(6) == 2; break;
      case 0x012E: pl.textAlign = r.U16(6); break;
      case 0x02FA: {
        GdiObject o;
        o.kind = GdiObject::Pen;
        o.pen = CanvasPen{ColorOf(r.U32(12)), p16(1), PenStyleOf(r.U16(6))};
        place(o);
        break;
      }
      case 0x02FC: {
        GdiObject o;
        o.kind = GdiObject::Brush;
        o.brush = CanvasBrush{ColorOf(r.U32(8)), r.U16(6) == 1};
        place(o);
        break;
      }
      case 0x02FB: {
        GdiObject o;
        o.kind = GdiObject::Font;
        o.fontHeight = p16(0);
        o.font.Escapement = p16(2) == 900 ? 900 : 0;
        o.font.Style = static_cast<std::uint16_t>((p16(4) >= 600 ? 2 : 0) | (r.U8(16) ? 1 : 0) | (r.U8(17) ? 4 : 0) |
                                                  (r.U8(18) ? 8 : 0));
        o.font.Charset = r.U8(19);
        const std::string_view face = rec.substr(std::min<std::size_t>(24, rec.size()));
        o.font.Name = std::string(face.substr(0, std::min(face.find('\0'), std::size_t{32})));
        place(o);
        break;
      }
      case 0x00F7:  // palette, region and pattern brushes: kept as slots only
      case 0x06FF:
      case 0x01F9:
      case 0x0142: {
        GdiObject o;
        o.kind = GdiObject::Other;
        place(o);
        break;
      }
      case 0x012D: {
        const std::uint16_t index = r.U16(6);
        if (index < pl.objects.size()) pl.Select(pl.objects[index]);
        break;
      }
      case 0x01F0: {
        const std::uint16_t index = r.U16(6);
        if (index < pl.objects.size()) pl.objects[index] = GdiObject{};
        break;
      }
      case 0x0214: pl.curY = p16(0); pl.curX = p16(1); break;
      case 0x0213: pl.LineTo(p16(1), p16(0)); break;
      case 0x0325:
      case 0x0324: {
        const std::size_t n = static_cast<std::uint16_t>(p16(0));
        if (1 + 2 * n > params) break;
        std::vector<CanvasPoint> pts;
        for (std::size_t i = 0; i < n; ++i) pts.push_back(pl.P(p16(1 + 2 * i), p16(2 + 2 * i)));
        pl.Poly(pts, function == 0x0324);
        break;
      }
      case 0x0538: {
        const std::size_t polys = static_cast<std::uint16_t>(p16(0));
        if (1 + polys > params) break;
        std::size_t next = 1 + polys;
        for (std::size_t k = 0; k < polys; ++k) {
          const std::size_t n = static_cast<std::uint16_t>(p16(1 + k));
          if (next + 2 * n > params) break;
          std::vector<CanvasPoint> pts;
          for (std::size_t i = 0; i < n; ++i) pts.push_back(pl.P(p16(next + 2 * i), p16(next + 2 * i + 1)));
          pl.Poly(pts, true);
          next += 2 * n;
        }
        break;
      }
      case 0x041B:
      case 0x061C: {
        const std::size_t o = function == 0x061C ? 2 : 0;  // a rounded one has its corners first
        pl.Rectangle(p16(o + 3), p16(o + 2), p16(o + 1), p16(o));
        break;
      }
      case 0x0418: pl.Ellipse(p16(3), p16(2), p16(1), p16(0)); break;
      case 0x0521: {
        const std::size_t n = static_cast<std::uint16_t>(p16(0));
        const std::size_t words = (n + 1) / 2;
        if (1 + words + 2 > params) break;
        const std::string text(rec.substr(8, n));
        pl.Text(p16(1 + words + 1), p16(1 + words), text, nullptr);
        break;
      }
      case 0x0A32: {
        const int y = p16(0), x = p16(1);
        const std::size_t n = static_cast<std::uint16_t>(p16(2));
        const std::uint16_t options = r.U16(12);
        std::size_t textAt = 14;
        TfrRect opaqueRect;
        const bool hasRect = (options & 6) != 0;
        if (hasRect) {
          opaqueRect = pl.R(r.I16(14), r.I16(16), r.I16(18), r.I16(20));
          textAt += 8;
        }
        if (textAt + n > rec.size()) break;
        pl.Text(x, y, std::string(rec.substr(textAt, n)), hasRect && (options & 2) ? &opaqueRect : nullptr);
        break;
      }
      case 0x0F43: {  // StretchDIB: rop, usage, src h, w, y, x, dest h, w, y, x, bitmap
        if (params < 11) break;
        const TfrRect dest = pl.R(p16(10), p16(9), p16(10) + p16(8), p16(9) + p16(7));
        pl.Image(dest, DecodeDib(rec.substr(28)), p16(6), p16(5), p16(4), p16(3));
        break;
      }
      case 0x0B41: {  // DIBStretchBlt: rop, src h, w, y, x, dest h, w, y, x, bitmap
        if (params < 10 || rec.size() <= 26) break;
        const TfrRect dest = pl.R(p16(9), p16(8), p16(9) + p16(7), p16(8) + p16(6));
        pl.Image(dest, DecodeDib(rec.substr(26)), p16(5), p16(4), p16(3), p16(2));
        break;
      }
      case 0x0940: {  // DIBBitBlt: rop, src y, x, h, w, dest y, x, bitmap
        if (params < 8 || rec.size() <= 22) break;
        const TfrRect dest = pl.R(p16(7), p16(6), p16(7) + p16(5), p16(6) + p16(4));
        pl.Image(dest, DecodeDib(rec.substr(22)), p16(3), p16(2), p16(5), p16(4));
        break;
      }
      default: break;  // not drawn here
    }
  }
}

}  // namespace

void PlayMetafile(Canvas& canvas, const TfrRect& area, const TfrGraphic& metafile) {
  const std::string& bytes = metafile.Bytes();
  if (bytes.size() < 16) return;
  Player player(canvas, area);
  // Nothing of the metafile reaches outside its area.
  const std::optional<TfrRect> clip = canvas.ClipRect();
  TfrRect inside{std::min(area.Left, area.Right), std::min(area.Top, area.Bottom), std::max(area.Left, area.Right),
                 std::max(area.Top, area.Bottom)};
  if (clip) {
    inside.Left = std::max(inside.Left, clip->Left);
    inside.Top = std::max(inside.Top, clip->Top);
    inside.Right = std::min(inside.Right, clip->Right);
    inside.Bottom = std::min(inside.Bottom, clip->Bottom);
  }
  canvas.SetClipRect(inside);
  const CanvasPen pen = canvas.Pen();
  const CanvasBrush brush = canvas.Brush();
  if (Bytes{bytes}.U32(0) == 1 && Bytes{bytes}.U32(40) == 0x464D4520) PlayEmf(player, bytes);
  else PlayWmf(player, bytes);
  canvas.SetClipRect(clip);
  canvas.SetPen(pen);
  canvas.SetBrush(brush);
}

}  // namespace talven
