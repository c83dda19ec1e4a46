#include "report/render/paint.h"

#include <algorithm>
#include <cmath>

#include "base/rounding.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/page.h"
#include "report/model/report.h"

namespace talven {

namespace {
constexpr double kDeviceReach = 1 << 28;
}  // namespace

bool DocumentMode() { return EngineState().DocMode == TfrDocMode::Printing; }

void BeginPaint(TfrView& v) {
  TfrView::PaintState& k = v.Kept;
  k.Left = v.Left;
  k.Top = v.Top;
  k.Width = v.Width;
  k.Height = v.Height;
  k.FrameWidth = v.FrameWidth;
  k.GapX = v.GapX;
  k.GapY = v.GapY;
  if (!DocumentMode()) {
    v.DrawScaleX = v.DrawScaleY = 1.0;
    v.DrawOffsetX = v.DrawOffsetY = 0;
  }
  const double sx = v.DrawScaleX, sy = v.DrawScaleY;
  const int ox = v.DrawOffsetX, oy = v.DrawOffsetY;
  const double w = k.FrameWidth;
  // Geometry read from a damaged file may hold any values: on the device
  // every coordinate and size stays within reach of the sums made of them.
  const auto device = [](double v) { return RoundHalfEven(std::clamp(v, -kDeviceReach, kDeviceReach)); };
  v.Left = device(k.Left * sx) + ox;
  v.Top = device(k.Top * sy) + oy;
  v.Width = device(k.Width * sx);
  v.Height = device(k.Height * sy);
  v.FrameWidth = static_cast<float>(std::clamp(w * sx, -kDeviceReach, kDeviceReach));
  v.GapX = device(k.GapX * sx) + device(w * sx / 2);
  v.GapY = device(k.GapY * sy) + device(w * sy / 2) / 2;
  k.Right = device((double(k.Left) + k.Width) * sx + ox);
  k.Bottom = device((double(k.Top) + k.Height) * sy + oy);
  v.DrawRect.Left = (v.FrameTyp & frbLeft) ? v.Left + device((w * sx - 1) / 2) : v.Left;
  v.DrawRect.Top = (v.FrameTyp & frbTop) ? v.Top + device((w * sy - 1) / 2) : v.Top;
  v.DrawRect.Right = ((v.FrameTyp & frbRight) ? k.Right - device(w * sx / 2) : k.Right) + 1;
  v.DrawRect.Bottom = ((v.FrameTyp & frbBottom) ? k.Bottom - device(w * sy / 2) : k.Bottom) + 1;
}

void EndPaint(TfrView& v) {
  const TfrView::PaintState& k = v.Kept;
  v.Left = k.Left;
  v.Top = k.Top;
  v.Width = k.Width;
  v.Height = k.Height;
  v.FrameWidth = k.FrameWidth;
  v.GapX = k.GapX;
  v.GapY = k.GapY;
}

void PaintBackground(TfrView& v, Canvas& c) {
  if (EngineState().PreparatoryPass) return;
  c.SetOpaque(true);
  c.SetBrush(CanvasBrush{v.FillColor == clNone ? clWhite : v.FillColor, false});
  if (DocumentMode()) {
    if (v.FillColor == clNone) return;
    c.FillRect(TfrRect{v.Left, v.Top, v.Kept.Right, v.Kept.Bottom});
  } else {
    c.FillRect(v.DrawRect);
  }
}

namespace {

PenStyle PenStyleOf(std::uint16_t frameStyle) {
  switch (frameStyle) {
    case psDash: return PenStyle::Dash;
    case psDot: return PenStyle::Dot;
    case psDashDot: return PenStyle::DashDot;
    case psDashDotDot: return PenStyle::DashDotDot;
    default: return PenStyle::Solid;
  }
}

}  // namespace

void DrawFrameLine(TfrView& v, Canvas& c, int x1, int y1, int x2, int y2) {
  const bool horizontal = y1 == y2;
  auto across = [&](int d) {
    if (horizontal) c.Line(x1, y1 + d, x2, y2 + d);
    else c.Line(x1 + d, y1, x2 + d, y2);
  };
  CanvasPen pen = c.Pen();
  if (v.FrameStyle >= psDash && v.FrameStyle <= psDashDotDot) {
    CanvasBrush brush = c.Brush();
    brush.Color = v.FillColor;
    c.SetBrush(brush);
    // A pen thinner than half a pixel still draws its one line.
    const int n = pen.Width > 0 ? pen.Width : 1;
    CanvasPen thin = pen;
    thin.Width = 1;
    c.SetPen(thin);
    for (int i = 0; i < n; ++i) across(i - n / 2);
    c.SetPen(pen);
  } else if (v.FrameStyle == psDouble) {
    const int d = RoundHalfEven(v.FrameWidth);
    across(-d);
    CanvasPen erase = pen;
    // The middle is erased to the fill, or to the paper when there is none.
    erase.Color = v.FillColor == clNone ? clWhite : v.FillColor;
    c.SetPen(erase);
    across(0);
    CanvasPen outer = pen;
    outer.Color = v.FrameColor;
    c.SetPen(outer);
    across(d);
  } else {
    across(0);
  }
}

void PaintFrame(TfrView& v, Canvas& c) {
  if (EngineState().PreparatoryPass) return;
  if (DocumentMode() && (v.FrameTyp & 0xF) == 0) return;
  CanvasBrush brush = c.Brush();
  brush.Clear = false;
  c.SetBrush(brush);
  if (!DocumentMode() && v.Width > 0 && v.Height > 0) {
    // Corner marks of the design view.
    c.SetPen(CanvasPen{clBlack, 1, PenStyle::Solid});
    const int l = v.Left, t = v.Top, r = v.Kept.Right, b = v.Kept.Bottom;
    c.Line(l, t, l + 4, t);
    c.Line(l, t, l, t + 4);
    c.Line(r, t, r - 4, t);
    c.Line(r, t, r, t + 4);
    c.Line(l, b, l + 4, b);
    c.Line(l, b, l, b - 4);
    c.Line(r, b, r - 4, b);
    c.Line(r, b, r, b - 4);
  }
  c.SetPen(CanvasPen{v.FrameColor, RoundHalfEven(v.FrameWidth),
                     v.FrameStyle == psDouble ? PenStyle::Solid : PenStyleOf(v.FrameStyle)});
  const int l = v.Left, t = v.Top, r = v.Kept.Right, b = v.Kept.Bottom;
  if (v.FrameTyp & frbRight) DrawFrameLine(v, c, r, t, r, b);
  if (v.FrameTyp & frbLeft) DrawFrameLine(v, c, l, t, l, b);
  if (v.FrameTyp & frbBottom) DrawFrameLine(v, c, l, b, r, b);
  if (v.FrameTyp & frbTop) DrawFrameLine(v, c, l, t, r, t);
}

namespace {

TfrPage* PageOf(const TfrView& view) {
  const PrepareState& state = EngineState();
  if (state.CurrentPage != nullptr && state.CurrentPage->IndexOf(&view) >= 0) return state.CurrentPage;
  for (TfrReport* report : {state.CurrentReport, state.MasterReport}) {
    if (report == nullptr) continue;
    for (const auto& page : report->TemplatePages)
      if (page->IndexOf(&view) >= 0) return page.get();
  }
  return state.CurrentPage;
}

bool IsBand(const TfrView& v) { return v.TypeCode == gtBand; }

}  // namespace

void SettleBandAlign(TfrView& v, Canvas&) {
  EngineState().CurrentObject = &v;
  if (v.BandAlign == baNone) return;
  TfrPage* page = PageOf(v);
  if (page == nullptr) return;
  const bool doc = DocumentMode();
  const TfrBand* band = doc ? EngineState().CurrentBand : nullptr;
  const int l = page->LeftMargin, r = page->RightLimit();

  std::vector<TfrView*> others;
  if (band != nullptr) {
    others = band->Objects;
  } else {
    for (const auto& o : page->ObjectList) others.push_back(o.get());
  }
  const TfrView* leftN = nullptr;
  const TfrView* rightN = nullptr;
  for (const TfrView* o : others) {
    if (o == &v || IsBand(*o) || o->Top != v.Top) continue;
    if (o->BandAlign == baLeft && o->Left < v.Left && (leftN == nullptr || o->Left > leftN->Left)) leftN = o;
    if (o->BandAlign == baRight && o->Left > v.Left && (rightN == nullptr || o->Left < rightN->Left)) rightN = o;
  }
  // The band object under the object (design view).
  auto bandUnder = [&](bool vertical) -> const TfrView* {
    for (const auto& o : page->ObjectList) {
      if (!IsBand(*o) || IsVerticalBand(o->FrameTyp) != vertical) continue;
      if (vertical ? (v.Left >= o->Left && v.Left < o->Left + o->Width)
                   : (v.Top >= o->Top && v.Top < o->Top + o->Height))
        return o.get();
    }
    return nullptr;
  };

  switch (v.BandAlign) {
    case baLeft: v.Left = leftN ? leftN->Left + leftN->Width : l; break;
    case baRight: v.Left = rightN ? rightN->Left - v.Width - 1 : r - v.Width; break;
    case baCenter: v.Left = l + (r - l - v.Width) / 2; break;
    case baWidth:
      if (doc) {
        if (EngineState().CurrentBand != nullptr) break;
        v.Left = l;
        v.Width = r - l - 1;
      } else if (const TfrView* vb = bandUnder(true)) {
        v.Left = vb->Left;
        v.Width = vb->Width;
      } else {
        v.Left = l;
        v.Width = r - l;
      }
      break;
    case baRest:
      v.Left = leftN ? leftN->Left + leftN->Width : l;
      v.Width = (rightN ? rightN->Left : r) - v.Left;
      break;
    case baBottom:
    case baTop:
      if (!doc) {
        if (const TfrView* hb = bandUnder(false))
          v.Top = v.BandAlign == baTop ? hb->Top : hb->Top + hb->Height - v.Height;
      }
      break;
    default: break;
  }
}

}  // namespace talven
