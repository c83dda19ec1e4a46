// Memo text layout on fixed-width metrics: wrapping, hyphenation, heights,
// automatic width and the lines of a continued part.
#include "report/render/memo_layout.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "render_fixture.h"
#include "report/render/paint.h"

namespace talven {
namespace {

using Layout = FixedLayout;
using Lines = std::vector<std::string>;

TEST_F(Layout, TenPointMemoHeightsFollowTheLineStepAndTheGaps) {
  TfrMemoView m;
  Place(m, 0, 0, 200, 50);
  m.FrameTyp = 15;
  m.Memo = {"one", "two", "three"};
  EXPECT_EQ(m.ContentHeight(), 47);  // 3 × (13 + 2) + 2 × 1
  EXPECT_EQ(m.LineStep, 15);
  EXPECT_EQ(m.EvalState, 1);
  EXPECT_EQ(Shown(m.OutputText), (Lines{"one|", "two|", "three|"}));
  EXPECT_EQ(m.MinimumHeight(), 19);
  EXPECT_EQ(m.RemainingHeight(), 5);  // (50 - 2 - 2) mod 15 + 2 + 2
  m.Visible = false;
  EXPECT_EQ(m.ContentHeight(), 0);
}

struct WrapCase {
  const char* text;
  int limit;
  std::uint16_t flags;
  Lines lines;
};

TEST_F(Layout, WrapParagraphBreaksAtTheLastSpaceOrBeforeTheOverflowingCharacter) {
  const WrapCase cases[] = {
      {"abc", 5, 0, {"abc|"}},
      {"hello world abc", 7, 0, {"hello", "world", "abc|"}},
      {"abcdefghij", 4, 0, {"abcd", "efgh", "ij|"}},
      {"a  b   c", 1, 0, {"a ", "b  ", "c|"}},
      {"ab\r\n\r\nab", 10, 0, {"ab|", "ab|"}},
      {"ab\r\n", 10, 0, {"ab|"}},
      {"ab", 0, 0, {"", "a", "b|"}},
      // Hyphenation finds nothing in single-byte Latin text: the same lines.
      {"abcdefghij", 4, flWordBreak, {"abcd", "efgh", "ij|"}},
  };
  MeasuringCanvas c(metrics);
  for (const WrapCase& w : cases) {
    TfrMemoView m;
    m.Flags |= w.flags;
    Lines out;
    WrapParagraph(m, c, w.text, w.limit, out);
    EXPECT_EQ(Shown(out), w.lines) << w.text << " in " << w.limit;
  }
}

TEST_F(Layout, DoubleByteTextWrapsBetweenCharactersNeverInsideOne) {
  MeasuringCanvas c(metrics);
  for (std::uint16_t flags : {std::uint16_t{0}, flWordBreak}) {
    TfrMemoView m;
    m.Flags |= flags;
    Lines out;
    WrapParagraph(m, c, "中文字体考场签到"_gbk, 4, out);
    EXPECT_EQ(Shown(out), (Lines{"中文"_gbk, "字体"_gbk, "考场"_gbk, "签到|"_gbk}));
  }
}

TEST_F(Layout, BreakWordFollowsTheCyrillicSyllableRule) {
  // МОЛОКО in code page 1251, upper and lower case: МО-ЛО-КО.
  EXPECT_EQ(BreakWord("\xCC\xCE\xCB\xCE\xCA\xCE"), (std::vector<int>{2, 4}));
  EXPECT_EQ(BreakWord("\xEC\xEE\xEB\xEE\xEA\xEE"), (std::vector<int>{2, 4}));
  // ПОДЪЕЗД: after the hard sign.
  EXPECT_EQ(BreakWord("\xCF\xCE\xC4\xDA\xC5\xC7\xC4"), (std::vector<int>{4}));
  EXPECT_TRUE(BreakWord("\xCC\xCE\xCB").empty());
  EXPECT_TRUE(BreakWord("abcdefgh").empty());
}

TEST_F(Layout, WithoutWordWrapALongLineStaysOneLine) {
  TfrMemoView m;
  Place(m, 0, 0, 20, 100);
  m.Flags = flStretched;
  m.OutputText = {"a line much wider than the memo"};
  BeginPaint(m);
  LayoutText(m);
  EndPaint(m);
  EXPECT_EQ(Shown(LayoutLines()), (Lines{"a line much wider than the memo|"}));
}

TEST_F(Layout, LaidOutTextIsTakenLineByLineAndTurnedTextMeasuresAcross) {
  TfrMemoView m;
  Place(m, 10, 10, 30, 40);
  m.OutputText = {"abc", "defghijk\x01"};
  m.LaidOut = true;
  BeginPaint(m);
  LayoutText(m);
  EndPaint(m);
  EXPECT_EQ(Shown(LayoutLines()), (Lines{"abc", "defghijk|"}));
  EXPECT_EQ(m.TextHeight, 2 * 15 + 2 * 1);

  m.LaidOut = false;
  m.Alignment = frtaVertical;
  m.OutputText = {"abcdefghijklmnopqrstuvwxyz"};  // the limit is the height: 40 - 2 × 1
  BeginPaint(m);
  LayoutText(m);
  EndPaint(m);
  EXPECT_EQ(LayoutLines().size(), 1u);
  EXPECT_EQ(m.TextHeight, 15 + 2 * 2);  // across: twice GapX
}

TEST_F(Layout, MeasureTextWidthTakesTheWidestLineWithFrameAndGaps) {
  TfrMemoView m;
  EXPECT_EQ(MeasureTextWidth(m, {"abc\x01", "abcdef", ""}, canvas), 6 + 1 + 2 * 2 + 1);
  m.CharSpacing = 1;
  EXPECT_EQ(MeasureTextWidth(m, {"abc"}, canvas), 6 + 1 + 2 * 2 + 1);
}

TEST_F(Layout, AutoWidthFollowsTheTextAndKeepsARightAlignedMemoItsRightEdge) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 100, 0, 50, 20);
  m.Flags |= flAutoWidth;
  m.Memo = {"abcdef"};
  RenderMemo(m, canvas);
  EXPECT_EQ(m.Width, 12);
  EXPECT_EQ(m.Left, 100);

  TfrMemoView r;
  Place(r, 100, 0, 50, 20);
  r.Flags |= flAutoWidth;
  r.Alignment = frtaRight;
  r.Memo = {"abcdef"};
  RenderMemo(r, canvas);
  EXPECT_EQ(r.Width, 12);
  EXPECT_EQ(r.Left, 138);
}

TEST_F(Layout, AContinuedPartKeepsTheLinesThatFitAndLeavesTheRest) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 0, 0, 100, 31);  // lines 0 and 1 fit: 1 + 2 × 15 <= 31
  m.OutputText = {"one", "two", "three", "four\x01"};
  m.EvalState = 2;
  EXPECT_EQ(FitContinuedLines(m), 2);
  EXPECT_EQ(Shown(m.OutputText), (Lines{"one", "two", "|"}));
  DropPrintedLines(m);
  EXPECT_EQ(Shown(m.OutputText), (Lines{"three", "four|"}));
  EXPECT_EQ(FitContinuedLines(m), 2);
  EXPECT_EQ(Shown(m.OutputText), (Lines{"three", "four|"}));
}

}  // namespace
}  // namespace talven
