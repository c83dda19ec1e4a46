// The Qt canvas on pictures and PDF files (needs the CJK fonts of
// scripts/setup.sh and poppler's pdftotext).
#include "report/render/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/render/memo_layout.h"
#include "report/render/render_view.h"

namespace talven {
namespace {

class QtCanvasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_report_render_qt";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
  }
  QtCanvasTest() {
    EngineState().Reset();
    EngineState().DocMode = TfrDocMode::Printing;
    StartRenderEngine();
  }
  ~QtCanvasTest() override { EngineState().Reset(); }

  // A framed memo in the Song face at (20, 10), 160 × 40.
  static void FramedMemo(TfrMemoView& m, const std::string& text) {
    m.Left = 20;
    m.Top = 10;
    m.Width = 160;
    m.Height = 40;
    m.FrameTyp = 15;
    m.Font.Name = "宋体"_gbk;
    m.Font.Size = 12;
    m.Memo = {text};
  }

  static bool Ink(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 160; }
};

TEST_F(QtCanvasTest, AFramedChineseMemoHasItsFrameWhereTheGeometrySaysAndInkInside) {
  QImage image(220, 70, QImage::Format_RGB32);
  image.fill(Qt::white);
  TfrMemoView m;
  FramedMemo(m, "考场签到表"_gbk);
  {
    QPainter painter(&image);
    QtCanvas canvas(painter, ProductionMetrics());
    RenderView(m, canvas);
  }
  // The frame: columns 20 and 180, rows 10 and 50, and nothing just outside.
  for (int y = 12; y < 48; y += 6) {
    EXPECT_TRUE(Ink(image, 20, y) && Ink(image, 180, y)) << y;
    EXPECT_FALSE(Ink(image, 19, y) || Ink(image, 181, y) || Ink(image, 21, y)) << y;
  }
  for (int x = 22; x < 178; x += 10) EXPECT_TRUE(Ink(image, x, 10) && Ink(image, x, 50)) << x;
  // Five characters of 16 pixels from x = 22 (GapX 2), on the first line.
  int inked = 0, right = 0;
  for (int y = 11; y < 30; ++y)
    for (int x = 21; x < 180; ++x)
      if (Ink(image, x, y)) ++inked, right = std::max(right, x);
  EXPECT_GT(inked, 150);
  EXPECT_LE(right, 22 + 5 * 16);
  EXPECT_GE(right, 22 + 4 * 16);
}

TEST_F(QtCanvasTest, APageInAPdfGivesItsChineseTextBack) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "talven_qt_canvas_test";
  std::filesystem::create_directories(dir);
  const std::string pdf = (dir / "page.pdf").string();
  {
    QPdfWriter writer(QString::fromStdString(pdf));
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A5));
    QPainter painter(&writer);
    QtCanvas canvas(painter, ProductionMetrics(), 600);
    TfrMemoView m;
    FramedMemo(m, "准考证号 考生姓名 Signature"_gbk);
    m.Width = 320;
    m.Font.Style = fsBoldBit;  // the Song face has no bold: drawn twice
    m.DrawScaleX = m.DrawScaleY = 600 / 96.0;
    RenderView(m, canvas);
    TfrMemoView turned;
    FramedMemo(turned, "竖排文字"_gbk);
    turned.Top = 100;
    turned.Width = 40;
    turned.Height = 120;
    turned.Alignment = frtaVertical;
    turned.DrawScaleX = turned.DrawScaleY = 600 / 96.0;
    RenderView(turned, canvas);
  }
  const std::string command = "pdftotext -enc UTF-8 '" + pdf + "' -";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string text;
  char buffer[512];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_NE(text.find("准考证号 考生姓名 Signature"), std::string::npos) << text;
  EXPECT_NE(text.find("竖排文字"), std::string::npos) << text;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace talven
