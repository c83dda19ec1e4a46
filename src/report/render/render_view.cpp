#include "report/render/render_view.h"

#include <map>

#include "base/rounding.h"
#include "base/text.h"
#include "report/expr/report_scope.h"
#include "report/model/export_filter.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/subreport_view.h"
#include "report/render/images.h"
#include "report/render/memo_layout.h"
#include "report/render/metafile.h"
#include "report/render/paint.h"

namespace talven {

namespace {

std::map<std::string, TfrViewRenderer>& Renderers() {
  static std::map<std::string, TfrViewRenderer> renderers;
  return renderers;
}

int Width(const TfrRect& r) { return r.Right - r.Left; }
int Height(const TfrRect& r) { return r.Bottom - r.Top; }

void Offset(TfrRect& r, int dx, int dy) {
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}

}  // namespace

void RegisterViewRenderer(const std::string& className, TfrViewRenderer renderer) {
  Renderers()[className] = std::move(renderer);
}

const TfrViewRenderer* FindViewRenderer(const std::string& className) {
  auto it = Renderers().find(className);
  return it == Renderers().end() ? nullptr : &it->second;
}

void RenderView(TfrView& view, Canvas& canvas) {
  if (const TfrViewRenderer* r = FindViewRenderer(view.ClassName()); r != nullptr && r->Render) r->Render(view, canvas);
}

void ExportView(TfrView& view) {
  TfrExportFilter* filter = CurrentExportFilter();
  if (filter == nullptr) return;
  filter->ExportObject(view.Left, view.Top, view);
  if (auto* memo = dynamic_cast<TfrMemoView*>(&view)) {
    memo->Exporting = true;
    try {
      RenderView(*memo, ScratchCanvas());
    } catch (...) {
      memo->Exporting = false;
      throw;
    }
    memo->Exporting = false;
  }
}

void DrawGraphic(Canvas& canvas, const TfrRect& area, const TfrGraphic& graphic, bool printing) {
  if (graphic.Empty()) return;
  if (graphic.Kind() == TfrGraphicKind::Metafile) {
    PlayMetafile(canvas, area, graphic);
    return;
  }
  if (printing && graphic.Kind() == TfrGraphicKind::Icon) return;
  if (!canvas.WantsImages()) return;
  if (graphic.Kind() == TfrGraphicKind::Jpeg &&
      canvas.StretchJpeg(area, graphic.Bytes(), graphic.Width(), graphic.Height()))
    return;
  if (auto image = DecodeGraphicImage(graphic)) canvas.StretchImage(area, *image);
}

void RenderPicture(TfrPictureView& p, Canvas& c) {
  SettleBandAlign(p, c);
  BeginPaint(p);
  PaintBackground(p, c);
  if (!p.Picture.Empty() && p.Picture.Width() > 0 && p.Picture.Height() > 0) {
    const double pw = p.Picture.Width(), ph = p.Picture.Height();
    const TfrRect& dr = p.DrawRect;
    TfrRect area = dr;
    const bool center = (p.Flags & flPictCenter) != 0;
    if (p.Stretched()) {
      if (p.Flags & flPictRatio) {
        const double kx = p.Width / pw, ky = p.Height / ph;
        if (kx >= ky) area.Right = dr.Left + RoundHalfEven(pw * ky);
        else area.Bottom = dr.Top + RoundHalfEven(ph * kx);
        if (center) Offset(area, (Width(dr) - Width(area)) / 2, (Height(dr) - Height(area)) / 2);
      }
    } else {
      const int w = RoundHalfEven(pw * p.DrawScaleX), h = RoundHalfEven(ph * p.DrawScaleY);
      if (center) Offset(area, (Width(dr) - w) / 2, (Height(dr) - h) / 2);
      area.Right = area.Left + w;
      area.Bottom = area.Top + h;
    }
    DrawGraphic(c, area, p.Picture, p.Printing);
  }
  PaintFrame(p, c);
  EndPaint(p);
}

void RenderLine(TfrLineView& line, Canvas& c) {
  SettleBandAlign(line, c);
  line.Normalize();
  BeginPaint(line);
  PaintFrame(line, c);
  EndPaint(line);
}

void RenderSubReport(TfrSubReportView& s, Canvas& c) {
  // Only editing tools show the placeholder; it never reaches a page.
  if (DocumentMode()) return;
  BeginPaint(s);
  c.SetBrush(CanvasBrush{clWhite, false});
  c.FillRect(TfrRect{s.Left, s.Top, s.Kept.Right + 1, s.Kept.Bottom + 1});
  c.SetPen(CanvasPen{clBlack, 1, PenStyle::Solid});
  const int l = s.Left, t = s.Top, r = s.Kept.Right, b = s.Kept.Bottom;
  c.Line(l, t, r, t);
  c.Line(r, t, r, b);
  c.Line(r, b, l, b);
  c.Line(l, b, l, t);
  CanvasFont font;
  font.Name = "Arial";
  font.PointSize = 8;
  c.SetFont(font);
  c.SetOpaque(false);
  c.TextOut(l + 2, t + 2, s.Name, s.DrawRect);
  EndPaint(s);
}

void DrawTemplatePage(TfrPage& page, Canvas& canvas, double scaleX, double scaleY, int offsetX, int offsetY) {
  PrepareState& state = EngineState();
  const TfrDocMode mode = state.DocMode;
  state.DocMode = TfrDocMode::Printing;
  struct Saved {
    std::int32_t left, top, width, height;
    std::uint16_t frameTyp;
    double sx, sy;
    std::int32_t ox, oy;
    TfrStrings output;
  };
  try {
    for (const auto& object : page.ObjectList) {
      TfrView& v = *object;
      if (v.TypeCode == gtBand) continue;
      const Saved saved{v.Left, v.Top, v.Width, v.Height, v.FrameTyp, v.DrawScaleX, v.DrawScaleY,
                        v.DrawOffsetX, v.DrawOffsetY, v.OutputText};
      v.DrawScaleX = scaleX;
      v.DrawScaleY = scaleY;
      v.DrawOffsetX = offsetX;
      v.DrawOffsetY = offsetY;
      RenderView(v, canvas);
      v.Left = saved.left;
      v.Top = saved.top;
      v.Width = saved.width;
      v.Height = saved.height;
      v.FrameTyp = saved.frameTyp;
      v.DrawScaleX = saved.sx;
      v.DrawScaleY = saved.sy;
      v.DrawOffsetX = saved.ox;
      v.DrawOffsetY = saved.oy;
      v.OutputText = saved.output;
    }
  } catch (...) {
    state.DocMode = mode;
    throw;
  }
  state.DocMode = mode;
}

void StartRenderEngine() {
  static const bool started = [] {
    RegisterViewRenderer("TfrMemoView",
                         {[](TfrView& v, Canvas& c) { RenderMemo(static_cast<TfrMemoView&>(v), c); },
                          [](TfrStretcheable& v, TfrHeightKind kind) -> std::int32_t {
                            auto& m = static_cast<TfrMemoView&>(v);
                            switch (kind) {
                              case TfrHeightKind::Content: return MemoContentHeight(m);
                              case TfrHeightKind::Minimum: return MemoMinimumHeight(m);
                              case TfrHeightKind::Remaining: return MemoRemainingHeight(m);
                            }
                            return m.Height;
                          }});
    RegisterViewRenderer("TfrPictureView",
                         {[](TfrView& v, Canvas& c) { RenderPicture(static_cast<TfrPictureView&>(v), c); }, {}});
    RegisterViewRenderer("TfrLineView", {[](TfrView& v, Canvas& c) { RenderLine(static_cast<TfrLineView&>(v), c); }, {}});
    RegisterViewRenderer("TfrSubReportView",
                         {[](TfrView& v, Canvas& c) { RenderSubReport(static_cast<TfrSubReportView&>(v), c); }, {}});
    return true;
  }();
  (void)started;
  Hooks().Height = [](TfrStretcheable& v, TfrHeightKind kind) -> int {
    if (const TfrViewRenderer* r = FindViewRenderer(v.ClassName()); r != nullptr && r->Height) return r->Height(v, kind);
    return kind == TfrHeightKind::Remaining ? 0 : v.Height;
  };
  ReportHooks().MemoWidth = [](TfrMemoView& memo, const TfrStrings& lines) {
    return MeasureTextWidth(memo, lines, ScratchCanvas());
  };
}

}  // namespace talven
