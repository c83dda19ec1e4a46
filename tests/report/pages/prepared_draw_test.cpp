// Drawing and exporting prepared pages, on fixed-width text metrics.
#include <gtest/gtest.h>

#include "report/model/export_filter.h"
#include "report/pages/pages_fixture.h"
#include "report/render/memo_layout.h"
#include "report/render/recording_canvas.h"

namespace talven {
namespace {

// A recording canvas that is a screen, whose clip DrawPage honours.
class ScreenCanvas : public RecordingCanvas {
 public:
  using RecordingCanvas::RecordingCanvas;
  bool IsMetafile() const override { return false; }
};

// The virtual printer in the middle of a print job.
class PrintingPrinter : public TfrPrinter {
 public:
  bool Printing() const override { return true; }
};

class DrawTest : public PagesTest {
 protected:
  void SetUp() override {
    PagesTest::SetUp();
    SetScratchMetrics(&metrics);
    pages.AppendPage(TemplatePage());
  }
  void TearDown() override { SetScratchMetrics(nullptr); }

  void EmitFilled(const std::string& name, int left, int top, int width, int height) {
    TfrMemoView m = Memo(name, left, top, width, height);
    m.FillColor = 0x0000FF;
    Emit(m);
  }
  // The whole sheet at a scale.
  TfrRect Sheet(double scale, int left = 0, int top = 0) const {
    const TfrPrinterMetrics& m = pages.PageAt(0).Metrics;
    return {left, top, left + static_cast<int>(m.PaperWidthUnits * scale),
            top + static_cast<int>(m.PaperHeightUnits * scale)};
  }
  static std::vector<TfrRect> Filled(const RecordingCanvas& c) {
    std::vector<TfrRect> out;
    for (const RecordedFill& f : c.Fills()) out.push_back(f.Rect);
    return out;
  }

  FixedTextMetrics metrics;
};

TEST_F(DrawTest, APageIsScaledFromItsMetricsIntoTheRectangle) {
  EmitFilled("Memo1", 10, 20, 100, 30);
  TfrPreparedPage& p = pages.PageAt(0);
  p.InView = true;
  RecordingCanvas canvas(metrics);
  pages.DrawPage(0, canvas, Sheet(2, 100, 50));
  EXPECT_EQ(Filled(canvas), std::vector<TfrRect>{(TfrRect{120, 90, 320, 150})});
  EXPECT_EQ(EngineState().DocMode, TfrDocMode::Printing);
  EXPECT_FALSE(p.LoadedPage->ObjectList[0]->Printing);

  // Out of view the page lets go of its objects and draws nothing.
  p.InView = false;
  canvas.Clear();
  pages.DrawPage(0, canvas, Sheet(2));
  EXPECT_FALSE(p.LoadedPage);
  EXPECT_TRUE(canvas.Items().empty());
}

TEST_F(DrawTest, ObjectsOutsideTheClipAreSkippedOnlyOnScreens) {
  EmitFilled("Inside", 50, 50, 20, 20);
  EmitFilled("WithinTheSlack", 205, 50, 20, 20);  // its box begins at 195
  EmitFilled("Outside", 215, 50, 20, 20);
  pages.PageAt(0).InView = true;

  ScreenCanvas screen(metrics);
  screen.SetClipRect(TfrRect{0, 0, 200, 200});
  pages.DrawPage(0, screen, Sheet(1));
  EXPECT_EQ(Filled(screen).size(), 2u);

  RecordingCanvas metafile(metrics);
  metafile.SetClipRect(TfrRect{0, 0, 200, 200});
  pages.DrawPage(0, metafile, Sheet(1));
  EXPECT_EQ(Filled(metafile).size(), 3u);

  // On the printer's canvas while it prints nothing is skipped, and the
  // objects know they are printed.
  PrintingPrinter printer;
  SetEnginePrinter(&printer);
  ScreenCanvas paper(metrics);
  paper.SetClipRect(TfrRect{0, 0, 200, 200});
  SetPrinterCanvas(&paper);
  pages.DrawPage(0, paper, Sheet(1));
  SetPrinterCanvas(nullptr);
  SetEnginePrinter(&Printer());
  EXPECT_EQ(Filled(paper).size(), 3u);
  EXPECT_TRUE(pages.PageAt(0).LoadedPage->ObjectList[2]->Printing);
}

TEST_F(DrawTest, AFittedPageIsDrawnIntoThePrintableAreaInsideItsMargins) {
  TfrPreparedPage& p = pages.PageAt(0);
  p.KeepMargins = false;
  p.Margins = {10, 20, 30, 40};
  const TfrPrinterMetrics& m = p.Metrics;  // the virtual printer: 18-unit borders
  const TfrRect r = PageDrawRect(p, TfrRect{5, 5, 0, 0}, 2);
  EXPECT_EQ(r.Left, 5 + 2 * (18 + 10));
  EXPECT_EQ(r.Top, 5 + 2 * (18 + 20));
  EXPECT_EQ(r.Right, r.Left + 2 * (m.PrintWidthUnits - 40));
  EXPECT_EQ(r.Bottom, r.Top + 2 * (m.PrintHeightUnits - 60));
  p.KeepMargins = true;
  EXPECT_EQ(PageDrawRect(p, TfrRect{1, 2, 3, 4}, 2), (TfrRect{1, 2, 3, 4}));
}

TEST_F(DrawTest, AutomaticWidthsAreMeasuredWhenAPageIsRebuilt) {
  TfrMemoView m = Memo("Memo1", 10, 10, 500, 20, {"abcdef"});
  m.Flags |= flAutoWidth;
  Emit(m);
  pages.MaterializePage(0);
  TfrMemoView& loaded = dynamic_cast<TfrMemoView&>(*pages.PageAt(0).LoadedPage->ObjectList[0]);
  TfrMemoView fresh = Memo("Memo2", 10, 10, 500, 20);
  EXPECT_EQ(loaded.Width, MeasureTextWidth(fresh, {"abcdef"}, ScratchCanvas()));
  EXPECT_LT(loaded.Width, 100);
}

TEST_F(DrawTest, ALegacyPageIsDrawnAsItsMetafile) {
  // The legacy form: a text block, one page, and its metafile: a header
  // (bounds 0..99 × 0..49), a rectangle and the end record.
  TfrStream emf;
  emf.WriteI32(1);
  emf.WriteI32(88);
  for (int v : {0, 0, 99, 49, 0, 0, 2645, 1322}) emf.WriteI32(v);
  for (int v : {0x464D4520, 0x10000, 88 + 24 + 20, 3, 0, 0, 0, 0, 1024, 768, 320, 240}) emf.WriteI32(v);
  for (int v : {43, 24, 10, 10, 90, 40}) emf.WriteI32(v);
  for (int v : {14, 20, 0, 16, 20}) emf.WriteI32(v);
  TfrStream file;
  file.WriteBytes(std::string("Legacy\r\0", 8));
  file.WriteI32(1);
  file.WriteI32(static_cast<std::int32_t>(file.Position() + 16 + emf.Size()));
  file.WriteU16(9);
  file.WriteI32(2100);
  file.WriteI32(2970);
  file.WriteU8(0);
  file.WriteU8(1);
  file.WriteBytes(emf.Bytes());
  Load(file.Bytes());
  ASSERT_EQ(pages.PageCount(), 1);

  pages.PageAt(0).InView = true;
  RecordingCanvas canvas(metrics);
  pages.DrawPage(0, canvas, Sheet(1));
  ASSERT_EQ(canvas.Shapes().size(), 1u);  // the rectangle, stretched over the sheet
  EXPECT_FALSE(canvas.Shapes()[0].Ellipse);
}

// Keeps what an export hands over.
class RecordingFilter : public TfrExportFilter {
 public:
  void ExportObject(std::int32_t x, std::int32_t y, TfrView& view) override {
    calls.push_back("object " + view.Name + " " + std::to_string(x) + "," + std::to_string(y));
  }
  void ExportTextLine(const TfrRect&, std::int32_t, std::int32_t, const std::string& text, std::uint16_t frameTyp,
                      TfrMemoView& memo) override {
    calls.push_back("line " + memo.Name + " " + text + " " + std::to_string(frameTyp));
  }
  std::vector<std::string> calls;
};

TEST_F(DrawTest, ExportHandsEveryObjectAndMemoLineToTheFilterAndReleasesThePage) {
  TfrMemoView m = Memo("Memo1", 10, 20, 100, 60, {"one", "two"});
  m.FrameTyp = frbLeft | frbTop | frbRight | frbBottom;
  Emit(m);
  TfrPictureView picture;
  picture.Name = "Picture1";
  picture.Left = 5;
  picture.Top = 6;
  Emit(picture);

  RecordingFilter filter;
  SetCurrentExportFilter(&filter);
  pages.ExportPage(0);
  SetCurrentExportFilter(nullptr);
  EXPECT_EQ(filter.calls, (std::vector<std::string>{"object Memo1 10,20", "line Memo1 one 13", "line Memo1 two 7",
                                                     "object Picture1 5,6"}));
  EXPECT_FALSE(pages.PageAt(0).LoadedPage);
}

}  // namespace
}  // namespace talven
