// Laying prepared pages out: zoom factors, pages per row, centring, the
// two-pages mode, scroll ranges and the page under a line.
#include <gtest/gtest.h>

#include "report/pages/pages_fixture.h"
#include "report/preview/preview_layout.h"

namespace talven {
namespace {

class LayoutTest : public PagesTest {
 protected:
  // A4 portrait on the virtual printer: 758 × 1071 report units.
  void AddA4(int count) {
    for (int i = 0; i < count; ++i) pages.AppendPage(TemplatePage());
  }
};

TEST_F(LayoutTest, A4AtFullSizeInAThousandPixelsStandsAloneInItsRowCentred) {
  AddA4(3);
  ASSERT_EQ(pages.PageAt(0).Metrics.PaperWidthUnits, 758);
  ASSERT_EQ(pages.PageAt(0).Metrics.PaperHeightUnits, 1071);
  EXPECT_EQ(PagesPerRow(pages, 1.0, zmPercent, 1000), 1);
  const TfrLayoutExtent extent = LayoutPages(pages, 1.0, zmPercent, 1000);
  EXPECT_EQ(pages.PageAt(0).LayoutRect, (TfrRect{121, 10, 879, 1081}));
  EXPECT_EQ(pages.PageAt(1).LayoutRect, (TfrRect{121, 1091, 879, 2162}));
  EXPECT_EQ(pages.PageAt(2).LayoutRect.Top, 2172);
  EXPECT_EQ(extent.Right, 879);
  EXPECT_EQ(extent.Bottom, 3243);
  // Nothing to scroll across; down, what is hidden and 10 more.
  EXPECT_EQ(ScrollRange(extent.Right, 1000), 0);
  EXPECT_EQ(ScrollRange(extent.Bottom, 700), 3243 - 700 + 10);
}

TEST_F(LayoutTest, PagesPerRowAreThoseThatFitBetweenTenPixelGaps) {
  AddA4(12);
  struct Case {
    double factor;
    int area;
    int perRow;
  };
  // 758 units: 379 pixels at 50 %, 190 at 25 % (189.5 to even), 76 at 10 %.
  for (const Case& c : {Case{1.0, 1000, 1}, Case{1.0, 500, 1}, Case{0.5, 1000, 2}, Case{0.5, 788, 2},
                        Case{0.5, 787, 1}, Case{0.25, 1000, 4}, Case{0.1, 1000, 11}})
    EXPECT_EQ(PagesPerRow(pages, c.factor, zmPercent, c.area), c.perRow) << c.factor << " in " << c.area;

  // Rows of four from the left, each 10 pixels after the last.
  LayoutPages(pages, 0.25, zmPercent, 1000);
  EXPECT_EQ(pages.PageAt(0).LayoutRect, (TfrRect{10, 10, 200, 278}));
  EXPECT_EQ(pages.PageAt(3).LayoutRect.Left, 10 + 3 * 200);
  EXPECT_EQ(pages.PageAt(4).LayoutRect, (TfrRect{10, 288, 200, 556}));
}

TEST_F(LayoutTest, TwoPagesModeAlwaysPutsTwoInARowAndWholePageOne) {
  AddA4(5);
  EXPECT_EQ(PagesPerRow(pages, 1.0, zmTwoPages, 600), 2);
  LayoutPages(pages, 1.0, zmTwoPages, 600);
  EXPECT_EQ(pages.PageAt(0).LayoutRect.Left, 10);
  EXPECT_EQ(pages.PageAt(1).LayoutRect.Left, 778);  // beyond the area: it does not fit
  EXPECT_EQ(pages.PageAt(2).LayoutRect.Top, 1091);
  EXPECT_EQ(PagesPerRow(pages, 0.1, zmOnePage, 1000), 1);
}

TEST_F(LayoutTest, ZoomModesFitTheReferencePage) {
  AddA4(1);
  const TfrPreparedPage& a4 = pages.PageAt(0);
  EXPECT_DOUBLE_EQ(ZoomFactorFor(zmPercent, 0.75, 1000, 700, a4), 0.75);
  EXPECT_DOUBLE_EQ(ZoomFactorFor(zmPageWidth, 0.75, 1000, 700, a4), 980.0 / 758);
  EXPECT_DOUBLE_EQ(ZoomFactorFor(zmOnePage, 0.75, 1000, 700, a4), 680.0 / 1071);
  EXPECT_DOUBLE_EQ(ZoomFactorFor(zmTwoPages, 0.75, 1000, 700, a4), 970.0 / 1516);
  // A window squeezed to nothing keeps its pages the right way round.
  EXPECT_GT(ZoomFactorFor(zmPageWidth, 1.0, 5, 5, a4), 0);
}

TEST_F(LayoutTest, TheLineCrossesAPageOnlyStrictlyInsideIt) {
  AddA4(2);
  LayoutPages(pages, 1.0, zmPercent, 1000);  // tops 10 and 1091, bottoms 1081 and 2162
  struct Case {
    int y, page;
  };
  for (const Case& c : {Case{10, -1}, Case{11, 0}, Case{1080, 0}, Case{1081, -1}, Case{1085, -1}, Case{1092, 1}})
    EXPECT_EQ(PageCrossing(pages, c.y), c.page) << c.y;
}

}  // namespace
}  // namespace talven
