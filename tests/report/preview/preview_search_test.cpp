// Finding text on prepared pages: letter case, resuming after a match, the
// end of the report, and what stays in memory.
#include <gtest/gtest.h>

#include "base/text.h"
#include "report/preview/preview_fixture.h"
#include "report/preview/preview_search.h"

namespace talven {
namespace {

class SearchTest : public PreviewTest {
 protected:
  TfrEMFPages& pages = PreparedPagesOf(report);
  TfrTextSearch search;

  int LoadedPages() const {
    int n = 0;
    for (int i = 0; i < pages.PageCount(); ++i) n += pages.PageAt(i).LoadedPage != nullptr;
    return n;
  }
};

TEST_F(SearchTest, ASmallLetterWordIsFoundInCapitalsUnlessCaseCounts) {
  AddPages(2, 5);
  search.SetText("english", false);
  EXPECT_EQ(search.Text, "ENGLISH");
  ASSERT_TRUE(FindNext(pages, search));
  EXPECT_EQ(search.FoundPage, 0);
  // The heading line: its text output's bounds, in report units on the sheet.
  EXPECT_GE(search.Bounds.Left, 36);
  EXPECT_GE(search.Bounds.Top, 84);
  EXPECT_LE(search.Bounds.Bottom, 108);

  search.SetText("english", true);
  EXPECT_FALSE(FindNext(pages, search));
  EXPECT_EQ(search.Page, 2);
  EXPECT_EQ(search.Record, 0);
  search.SetText("English", true);
  EXPECT_TRUE(FindNext(pages, search));
}

TEST_F(SearchTest, NextMatchesResumeAfterTheLastAndEndAfterTheLastPage) {
  AddPages(3, 5);
  // The footer is the last text output of every page: after it the search
  // moves on to the next page.
  search.SetText("监考员签名"_gbk, false);
  for (int page = 0; page < 3; ++page) {
    ASSERT_TRUE(FindNext(pages, search)) << page;
    EXPECT_EQ(search.FoundPage, page);
  }
  EXPECT_FALSE(FindNext(pages, search));
  EXPECT_FALSE(search.Found);
  EXPECT_EQ(search.Page, 3);

  // Two matches on one page come one after the other.
  search.SetText("110108", false);
  ASSERT_TRUE(FindNext(pages, search));
  const int first = search.Record;
  const TfrRect bounds = search.Bounds;
  ASSERT_TRUE(FindNext(pages, search));
  EXPECT_GT(search.Record, first);
  EXPECT_NE(search.Bounds, bounds);
}

TEST_F(SearchTest, OnlyThePageOfTheMatchKeepsItsObjects) {
  AddPages(6, 5);
  search.SetText("第 6 页"_gbk, false);
  ASSERT_TRUE(FindNext(pages, search));
  EXPECT_EQ(search.FoundPage, 5);
  EXPECT_EQ(LoadedPages(), 1);
  EXPECT_TRUE(pages.PageAt(5).LoadedPage);
}

TEST_F(SearchTest, BoundsAreWhereAPageInsideItsMarginsShowsTheText) {
  AddPages(1, 1);
  TfrPreparedPage& page = pages.PageAt(0);
  page.KeepMargins = false;
  page.Margins = {36, 36, 36, 36};
  search.SetText("考点"_gbk, false);
  ASSERT_TRUE(FindNext(pages, search));
  // The page's content is fitted into the printable area (18-unit borders
  // on the virtual printer) inside the margins; the heading starts 36 units
  // into the content, at the left.
  const TfrRect sheet{0, 0, SheetWidthUnits(page), SheetHeightUnits(page)};
  const TfrRect inner = PageDrawRect(page, sheet, 1.0);
  ASSERT_EQ(inner.Left, 18 + 36);
  const double sx = double(inner.Right - inner.Left) / sheet.Right;
  const double sy = double(inner.Bottom - inner.Top) / sheet.Bottom;
  EXPECT_NEAR(search.Bounds.Left, inner.Left + 36 * sx, 4);
  EXPECT_GE(search.Bounds.Top, inner.Top + 84 * sy);
  EXPECT_LE(search.Bounds.Bottom, inner.Top + 108 * sy + 1);
}

TEST(HoldsText, MatchesStartOnCharacterBoundaries) {
  // 啊 is B0 A1: "啊啊" holds the bytes A1 B0 across its characters, which
  // are no character of the text.
  struct Case {
    std::string text, part;
    bool holds;
  };
  for (const Case& c : {Case{"啊啊"_gbk, "\xA1\xB0", false}, Case{"啊啊"_gbk, "啊"_gbk, true},
                        Case{"x啊"_gbk, "啊"_gbk, true}, Case{"ab", "", false}, Case{"ab", "abc", false},
                        Case{"CET-4 English", "4 E", true}})
    EXPECT_EQ(HoldsText(c.text, c.part), c.holds) << GbkToUtf8(c.text) << " / " << GbkToUtf8(c.part);
}

}  // namespace
}  // namespace talven
