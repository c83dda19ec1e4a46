// One layout for every output: the same memo drawn on the Qt canvas (screen,
// printer) and on the cairo canvas (PDF) breaks at the same places and
// hands its glyphs the same positions. Needs the CJK fonts.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <vector>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/render/cairo/cairo_canvas.h"
#include "report/render/memo_layout.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/render_view.h"

namespace talven {
namespace {

// A canvas that keeps every text output it draws.
template <class Base>
class Keeping : public Base {
 public:
  using Base::Base;
  std::vector<PlacedText> drawn;

 protected:
  void DrawText(const PlacedText& text) override {
    drawn.push_back(text);
    Base::DrawText(text);
  }
};

// The text outputs of a wrapping memo of Chinese and Latin text.
template <class Base>
std::vector<PlacedText> Drawn(Keeping<Base>& canvas, std::int32_t alignment, double scale) {
  TfrMemoView m;
  m.Left = 20;
  m.Top = 10;
  m.Width = 150;
  m.Height = 200;
  m.FrameTyp = 15;
  m.Alignment = alignment;
  m.Font.Name = "宋体"_gbk;
  m.Font.Size = 11;
  m.Memo = {"考生须知：请 携带准考证和身份证，Exam room 12 opens at 8:30, 提前三十分钟到达考场。"_gbk};
  m.DrawScaleX = m.DrawScaleY = scale;
  RenderMemo(m, canvas);
  return canvas.drawn;
}

TEST(SameLayout, TheQtAndTheCairoCanvasBreakAndPlaceAMemoAlike) {
  static int argc = 1;
  static char name[] = "test_report_render_cairo";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  EngineState().Reset();
  EngineState().DocMode = TfrDocMode::Printing;
  StartRenderEngine();
  for (const int resolution : {96, 1200}) {
    const double scale = resolution / 96.0;
    for (const std::int32_t alignment : {frtaLeft, frtaLeft | 3, frtaVertical}) {
      QImage image(400, 400, QImage::Format_RGB32);
      QPainter painter(&image);
      Keeping<QtCanvas> qt(painter, ProductionMetrics(), resolution);
      const auto viaQt = Drawn(qt, alignment, scale);
      painter.end();

      cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 400);
      cairo_t* cr = cairo_create(surface);
      std::vector<PlacedText> viaCairo;
      {
        Keeping<CairoCanvas> cairo(cr, ProductionMetrics(), resolution);
        viaCairo = Drawn(cairo, alignment, scale);
      }
      cairo_destroy(cr);
      cairo_surface_destroy(surface);

      ASSERT_GT(viaQt.size(), 2u) << "the memo wraps";
      ASSERT_EQ(viaQt.size(), viaCairo.size()) << resolution << " " << alignment;
      for (std::size_t i = 0; i < viaQt.size(); ++i) {
        const PlacedText &q = viaQt[i], &c = viaCairo[i];
        EXPECT_EQ(q.Text, c.Text) << "line " << i;
        EXPECT_EQ(q.Font, c.Font) << "line " << i;
        EXPECT_EQ(q.Bounds, c.Bounds) << "line " << i;
        ASSERT_EQ(q.Chars.size(), c.Chars.size());
        for (std::size_t k = 0; k < q.Chars.size(); ++k) {
          EXPECT_EQ(q.Chars[k].X, c.Chars[k].X) << "line " << i << " char " << k;
          EXPECT_EQ(q.Chars[k].Y, c.Chars[k].Y) << "line " << i << " char " << k;
        }
      }
    }
  }
  EngineState().Reset();
}

}  // namespace
}  // namespace talven
