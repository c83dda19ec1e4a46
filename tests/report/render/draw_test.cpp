// Drawing report objects onto the recording canvas: the geometry step,
// frames, text placement, pictures, lines, BandAlign positions, the export
// hook and memo evaluation while measuring.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

#include "base/text.h"
#include "render_fixture.h"
#include "report/expr/report_scope.h"
#include "report/model/export_filter.h"
#include "report/model/line_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/report.h"
#include "report/model/variables.h"
#include "report/render/images.h"
#include "report/render/memo_layout.h"
#include "report/render/paint.h"

namespace talven {
namespace {

using Draw = FixedLayout;
using Lines = std::vector<std::string>;

TEST_F(Draw, BeginPaintScalesTheGeometryAndPutsDrawRectInsideTheFrame) {
  struct Case {
    float frameWidth;
    double scale;
    int offset;
    std::int32_t left, top, gapX, gapY;
    TfrRect drawRect;
  };
  const Case cases[] = {
      {1, 1.0, 0, 10, 20, 2, 1, {10, 20, 111, 71}},
      {2, 1.0, 0, 10, 20, 3, 1, {10, 20, 110, 70}},
      {3, 1.5, 5, 20, 35, 5, 3, {22, 37, 169, 109}},
  };
  EngineState().DocMode = TfrDocMode::Printing;
  for (const Case& c : cases) {
    TfrMemoView m;
    Place(m, 10, 20, 100, 50);
    m.FrameTyp = 15;
    m.FrameWidth = c.frameWidth;
    m.DrawScaleX = m.DrawScaleY = c.scale;
    m.DrawOffsetX = m.DrawOffsetY = c.offset;
    BeginPaint(m);
    EXPECT_EQ(m.Left, c.left);
    EXPECT_EQ(m.Top, c.top);
    EXPECT_EQ(m.GapX, c.gapX);
    EXPECT_EQ(m.GapY, c.gapY);
    EXPECT_EQ(m.DrawRect, c.drawRect) << c.frameWidth << " at " << c.scale;
    EndPaint(m);
    EXPECT_EQ(m.Left, 10);
    EXPECT_EQ(m.GapY, 1);
    EXPECT_EQ(m.FrameWidth, c.frameWidth);
  }
}

TEST_F(Draw, FrameLinesComeRightLeftBottomTop) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 10, 20, 100, 50);
  m.FrameTyp = 15;
  RenderMemo(m, canvas);
  const CanvasPen pen{clBlack, 1, PenStyle::Solid};
  EXPECT_EQ(canvas.Lines(), (std::vector<RecordedLine>{{110, 20, 110, 70, pen},
                                                        {10, 20, 10, 70, pen},
                                                        {10, 70, 110, 70, pen},
                                                        {10, 20, 110, 20, pen}}));
  EXPECT_TRUE(canvas.Fills().empty());  // no fill colour: nothing painted
}

TEST_F(Draw, DoubleAndDashedFramesDrawParallelLines) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 10, 20, 100, 50);
  m.FrameTyp = frbRight;
  m.FrameWidth = 2;
  m.FrameStyle = psDouble;
  m.FrameColor = 0x0000FF;
  m.FillColor = 0x00FF00;
  RenderMemo(m, canvas);
  EXPECT_EQ(canvas.Lines(), (std::vector<RecordedLine>{{108, 20, 108, 70, {0x0000FF, 2, PenStyle::Solid}},
                                                        {110, 20, 110, 70, {0x00FF00, 2, PenStyle::Solid}},
                                                        {112, 20, 112, 70, {0x0000FF, 2, PenStyle::Solid}}}));
  canvas.Clear();
  m.FrameStyle = psDash;
  m.FrameWidth = 3;
  m.FrameTyp = frbTop;
  RenderMemo(m, canvas);
  const CanvasPen thin{0x0000FF, 1, PenStyle::Dash};
  EXPECT_EQ(canvas.Lines(),
            (std::vector<RecordedLine>{{10, 19, 110, 19, thin}, {10, 20, 110, 20, thin}, {10, 21, 110, 21, thin}}));
}

TEST_F(Draw, JustifiedLinesSpreadOverTheBlanksButNotTheLastLineOfAParagraph) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 0, 0, 14, 100);  // limit 10
  m.Alignment = 3;
  m.Memo = {"aa bb cc dd ee"};
  RenderMemo(m, canvas);
  const auto texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "aa bb cc");
  // 11 units inside the gaps, 8 used: 3 more over the two blanks (2 and 1).
  EXPECT_EQ(texts[0].Chars[3].X, 2 + 3 + 2);
  EXPECT_EQ(texts[0].Chars.back().X, 2 + 7 + 3);
  EXPECT_EQ(texts[1].Text, "dd ee");
  EXPECT_EQ(texts[1].Chars.back().X, 2 + 4);
  // Nothing carries over to the next object.
  TfrMemoView next;
  Place(next, 0, 100, 100, 20);
  next.Memo = {"x y"};
  RenderMemo(next, canvas);
  EXPECT_EQ(canvas.Texts().back().Chars.back().X, 2 + 2);
}

TEST_F(Draw, VerticalAlignmentCentresOrBottomsTheBlockOfLines) {
  EngineState().DocMode = TfrDocMode::Printing;
  struct Case {
    std::int32_t alignment;
    int firstTop;
  };
  // DrawRect 101 high, three lines 47: centred starts at (101 - 47) / 2 + 1.
  for (const Case& c : {Case{8, 27 + 1}, Case{16, 101 - 47 - 1 + 1}, Case{24, 1}, Case{0, 1}}) {
    canvas.Clear();
    TfrMemoView m;
    Place(m, 0, 0, 100, 100);
    m.Alignment = c.alignment;
    m.Memo = {"a", "b", "c"};
    RenderMemo(m, canvas);
    ASSERT_EQ(canvas.Texts().size(), 3u);
    EXPECT_EQ(canvas.Texts()[0].Y, c.firstTop) << c.alignment;
    EXPECT_EQ(canvas.Texts()[1].Y, c.firstTop + 15) << c.alignment;
  }
}

TEST_F(Draw, TurnedTextRunsUpwardFromTheBottom) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 10, 10, 40, 100);
  m.Alignment = frtaVertical;
  m.Memo = {"abc", "de"};
  RenderMemo(m, canvas);
  const auto texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Font.Escapement, 900);
  EXPECT_EQ(texts[0].X, 10 + 2);
  EXPECT_EQ(texts[0].Y, 111 - 1);  // DrawRect bottom less GapY
  EXPECT_EQ(texts[0].Chars[1].Y, texts[0].Chars[0].Y - 1);
  EXPECT_EQ(texts[1].X, 10 + 2 + 15);
}

TEST_F(Draw, ClippedTextKeepsInsideTheFrame) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrMemoView m;
  Place(m, 0, 0, 10, 20);
  m.Flags = flStretched;
  m.Memo = {"a very long line"};
  RenderMemo(m, canvas);
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_EQ(canvas.Texts()[0].Clip, (TfrRect{1, 0, 9, 20}));
}

// A 24-bit bitmap file of the given size, all grey.
std::string GreyBmp(int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  std::string f(54 + static_cast<std::size_t>(stride) * h, '\x80');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, static_cast<std::uint32_t>(f.size()));
  put32(6, 0);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(w));
  put32(22, static_cast<std::uint32_t>(h));
  put32(26, 1 | 24 << 16);
  for (std::size_t i = 30; i < 54; ++i) f[i] = 0;
  return f;
}

TEST_F(Draw, PicturesKeepTheirAspectAndCentre) {
  EngineState().DocMode = TfrDocMode::Printing;
  struct Case {
    std::uint16_t flags;
    TfrRect area;
  };
  const Case cases[] = {
      {flStretched | flPictRatio | flPictCenter, {0, 25, 101, 75}},
      {flStretched | flPictRatio, {0, 0, 101, 50}},
      {flStretched | flPictCenter, {0, 0, 101, 101}},
      {flPictCenter, {-49, 0, 151, 100}},
  };
  for (const Case& c : cases) {
    canvas.Clear();
    TfrPictureView p;
    Place(p, 0, 0, 100, 100);
    p.Flags = c.flags;
    p.Picture = TfrGraphic::FromBytes(TfrGraphicKind::Bitmap, GreyBmp(200, 100));
    RenderView(p, canvas);
    ASSERT_EQ(canvas.Images().size(), 1u);
    EXPECT_EQ(canvas.Images()[0].Rect, c.area) << c.flags;
    EXPECT_EQ(canvas.Images()[0].Width, 200);
  }
}

TEST_F(Draw, ABitmapDecodesToItsPixels) {
  auto image = DecodeBmp(GreyBmp(3, 2));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Width, 3);
  EXPECT_EQ(image->Height, 2);
  EXPECT_EQ(image->Rgba[0], 0x80);
  EXPECT_EQ(image->Rgba[3], 0xFF);
  EXPECT_FALSE(DecodeBmp("BM and nothing else"));
  // Damaged bitmaps decode to something or nothing, never past their bytes.
  const std::string good = GreyBmp(5, 3);
  std::uint32_t seed = 7;
  for (int round = 0; round < 300; ++round) {
    std::string bad = good;
    seed = seed * 1664525 + 1013904223;
    bad[2 + seed % 40] = static_cast<char>(seed >> 24);
    DecodeBmp(bad);
  }
}

TEST_F(Draw, AnIconKeepsItsMaskAsTransparency) {
  // 2 × 2, 32 bits without alpha, the AND mask clearing the bottom left
  // pixel (the first row of a bottom-up bitmap).
  std::string ico;
  auto put = [&](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) ico += static_cast<char>(v >> (8 * i));
  };
  put(0, 2), put(1, 2), put(1, 2);
  put(2, 1), put(2, 1), put(0, 1), put(0, 1), put(1, 2), put(32, 2), put(40 + 16 + 8, 4), put(22, 4);
  put(40, 4), put(2, 4), put(4, 4), put(1, 2), put(32, 2);
  for (int i = 0; i < 6; ++i) put(0, 4);
  for (int i = 0; i < 4; ++i) put(0x00336699, 4);
  put(0x80, 4), put(0, 4);
  auto image = DecodeIcon(ico);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Width, 2);
  EXPECT_EQ(image->Height, 2);
  EXPECT_EQ(image->Rgba[(1 * 2 + 0) * 4 + 3], 0);
  EXPECT_EQ(image->Rgba[(0 * 2 + 0) * 4 + 3], 255);
  EXPECT_EQ(image->Rgba[0], 0x33);
}

TEST_F(Draw, ALineObjectWithEqualSidesIsVertical) {
  EngineState().DocMode = TfrDocMode::Printing;
  TfrLineView line;
  Place(line, 10, 10, 30, 30);
  RenderView(line, canvas);
  ASSERT_EQ(canvas.Lines().size(), 1u);
  EXPECT_EQ(canvas.Lines()[0], (RecordedLine{10, 10, 10, 40, {clBlack, 1, PenStyle::Solid}}));
  EXPECT_EQ(line.Width, 0);
  EXPECT_EQ(line.FrameTyp, frbLeft);
}

// Ruled memos draw a rule a line step apart down their height; a memo made
// absurdly tall (a damaged prepared file) draws only the rules that can show
// instead of running for minutes and filling the memory.
TEST_F(Draw, UnderlinesRuleTheMemoAndOnlyWhereTheyCanShow) {
  EngineState().DocMode = TfrDocMode::Printing;
  const auto rules = [&](std::int32_t height, const std::optional<TfrRect>& clip) {
    TfrMemoView m;
    Place(m, 10, 20, 100, height);
    m.Flags |= flUnderlines;
    canvas.Clear();
    canvas.SetClipRect(clip);
    RenderMemo(m, canvas);
    std::vector<RecordedLine> lines = canvas.Lines();
    for (const RecordedLine& l : lines) EXPECT_EQ(std::pair(l.X1, l.X2), std::pair(10, 109));
    return lines;
  };
  const std::vector<RecordedLine> ruled = rules(100, std::nullopt);
  ASSERT_GE(ruled.size(), 2u);
  const int step = ruled[1].Y1 - ruled[0].Y1;
  ASSERT_GT(step, 0);
  EXPECT_EQ(static_cast<int>(ruled.size()), 100 / step);
  for (std::size_t i = 1; i < ruled.size(); ++i) EXPECT_EQ(ruled[i].Y1 - ruled[i - 1].Y1, step);

  struct Case {
    std::optional<TfrRect> clip;
    std::int64_t top, bottom;  // the rules between them, and all of them
  };
  const Case cases[] = {
      {std::nullopt, ruled[0].Y1, kMaxDevicePixels},
      {TfrRect{0, 500, 300, 700}, 500, 699},
  };
  for (const Case& c : cases) {
    const std::vector<RecordedLine> tall = rules(1 << 30, c.clip);
    ASSERT_FALSE(tall.empty());
    EXPECT_EQ((tall.front().Y1 - ruled[0].Y1) % step, 0);
    EXPECT_LE(c.top, tall.front().Y1);
    EXPECT_LT(tall.front().Y1 - step, c.top);
    EXPECT_GE(c.bottom, tall.back().Y1);
    EXPECT_GT(tall.back().Y1 + step, c.bottom);
    EXPECT_EQ(static_cast<std::int64_t>(tall.size()), (tall.back().Y1 - tall.front().Y1) / step + 1);
  }
}

// A damaged file may give an object any geometry: drawing it must not
// overflow anywhere (the sanitizer build checks), whatever it then shows.
TEST_F(Draw, ExtremeGeometryDrawsWithoutOverflow) {
  EngineState().DocMode = TfrDocMode::Printing;
  constexpr std::int32_t kMax = INT32_MAX, kMin = INT32_MIN;
  struct Case {
    std::int32_t left, top, width, height, gap, spacing;
    float frame;
  };
  const Case cases[] = {
      {kMax, kMax, kMax, kMax, 0, 0, 1},        {kMin, kMin, kMax, kMax, kMax, kMax, 1e30f},
      {10, 20, 100, 50, kMin, kMin, -1e30f},   {10, 20, kMin, kMin, kMax, kMin, 1},
      {1 << 30, 0, 1 << 30, 1 << 30, 1 << 29, 1 << 29, 1 << 20},
  };
  for (const Case& c : cases) {
    TfrMemoView m;
    Place(m, c.left, c.top, c.width, c.height);
    m.GapX = m.GapY = c.gap;
    m.LineSpacing = m.CharSpacing = c.spacing;
    m.FrameWidth = c.frame;
    m.FrameTyp = frbLeft | frbTop | frbRight | frbBottom;
    m.Flags |= flWordWrap;
    m.Memo = {"第一行 a b c"_gbk, "second"};
    canvas.Clear();
    RenderMemo(m, canvas);
  }
}

TEST_F(Draw, BandAlignSettlesAgainstNeighboursAndMargins) {
  TfrReport report;
  TfrPage& page = report.TemplatePages.Add(256, 2100, 2970, -1, 0);
  page.LeftMargin = 20;
  page.RightMargin = 20;
  EngineState().CurrentReport = &report;
  auto add = [&](int left, int top, int width, std::uint8_t align) -> TfrView& {
    auto v = std::make_unique<TfrMemoView>();
    Place(*v, left, top, width, 10);
    v->BandAlign = align;
    return page.Add(std::move(v));
  };
  const int r = page.RightLimit();
  TfrView& a = add(50, 0, 30, baLeft);
  TfrView& b = add(90, 0, 40, baLeft);
  TfrView& c = add(400, 0, 50, baRight);
  TfrView& rest = add(200, 0, 10, baRest);
  TfrView& centre = add(0, 50, 100, baCenter);
  TfrView& wide = add(0, 80, 10, baWidth);
  for (TfrView* v : {&a, &b, &c, &rest, &centre, &wide}) SettleBandAlign(*v, canvas);
  EXPECT_EQ(a.Left, 20);
  EXPECT_EQ(b.Left, 50);
  EXPECT_EQ(c.Left, r - 50);
  EXPECT_EQ(rest.Left, 90);
  EXPECT_EQ(rest.Width, r - 50 - 90);
  EXPECT_EQ(centre.Left, 20 + (r - 20 - 100) / 2);
  EXPECT_EQ(wide.Left, 20);
  EXPECT_EQ(wide.Width, r - 20);
  EXPECT_EQ(EngineState().CurrentObject, &wide);
}

class LineCollector : public TfrExportFilter {
 public:
  void ExportObject(std::int32_t x, std::int32_t y, TfrView& view) override {
    lines.push_back(view.Name + "@" + std::to_string(x) + "," + std::to_string(y));
  }
  void ExportTextLine(const TfrRect&, std::int32_t, std::int32_t y, const std::string& text, std::uint16_t bits,
                      TfrMemoView&) override {
    lines.push_back(text + "@" + std::to_string(y) + "/" + std::to_string(bits));
  }
  Lines lines;
};

TEST_F(Draw, ExportingHandsEveryLineToTheFilterWithItsFrameBits) {
  EngineState().DocMode = TfrDocMode::Printing;
  LineCollector filter;
  SetCurrentExportFilter(&filter);
  TfrMemoView m;
  Place(m, 0, 0, 100, 100);
  m.FrameTyp = 15;
  m.FillColor = clWhite;
  m.Exporting = true;
  m.Memo = {"a", "b", "c"};
  RenderMemo(m, canvas);
  EXPECT_EQ(filter.lines, (Lines{"a@1/13", "b@16/5", "c@31/7"}));
  EXPECT_TRUE(canvas.Items().empty());  // nothing drawn
  m.Memo = {"one"};
  m.Name = "Memo1";
  filter.lines.clear();
  m.Exporting = false;
  ExportView(m);
  EXPECT_EQ(filter.lines, (Lines{"Memo1@0,0", "one@1/15"}));
  EXPECT_FALSE(m.Exporting);
  SetCurrentExportFilter(nullptr);
}

class Measuring : public FixedLayout {
 protected:
  Measuring() {
    EngineVariables().Clear();
    form.Insert(report);
    EngineState().CurrentReport = &report;
    EngineState().DocMode = TfrDocMode::Printing;
    report.TemplatePages.Add();
    auto m = std::make_unique<TfrMemoView>();
    m->Name = "Memo1";
    Place(*m, 0, 0, 100, 20);
    memo = static_cast<TfrMemoView*>(&report.TemplatePages[0].Add(std::move(m)));
  }
  ~Measuring() override { EngineVariables().Clear(); }

  TfrComponentOwner form{"Form1"};
  TfrReport report;
  TfrMemoView* memo = nullptr;
};

TEST_F(Measuring, ContentHeightExpandsBracketsAndLeavesTheLaidOutText) {
  TfrReportBinding binding(report);
  memo->Memo = {"[1+2] rooms", "[COPY('abcdef', 1, 3)]"};
  EXPECT_EQ(memo->ContentHeight(), 2 * 15 + 2);
  EXPECT_EQ(Shown(memo->OutputText), (Lines{"3 rooms|", "abc|"}));
  EXPECT_EQ(memo->EvalState, 1);
}

TEST_F(Measuring, AHandlerThatChangesTheTextKeepsItUnexpanded) {
  TfrReportBinding binding(report);
  report.OnBeforePrint = [](TfrStrings& text, TfrView*) { text = {"[not expanded]"}; };
  memo->Memo = {"[1+2]"};
  PrepareMemoText(*memo, false);
  EXPECT_EQ(memo->OutputText, (Lines{"[not expanded]"}));
  report.OnBeforePrint = [](TfrStrings&, TfrView*) {};
  PrepareMemoText(*memo, false);
  EXPECT_EQ(memo->OutputText, (Lines{"3"}));
}

TEST_F(Measuring, TheHighlightFontIsMeasuredAndPutBackAndABadConditionIsIgnored) {
  TfrReportBinding binding(report);
  memo->Memo = {"x"};
  memo->HighlightCondition = "1 = 1";
  memo->HighlightFontStyle = fsBoldBit;
  memo->ContentHeight();
  EXPECT_EQ(memo->Font.Style, 0);
  memo->HighlightCondition = "(((";
  EXPECT_FALSE(ApplyHighlight(*memo));
  memo->HighlightCondition = "1";
  EXPECT_TRUE(ApplyHighlight(*memo));
  EXPECT_EQ(memo->Font.Style, fsBoldBit);
}

TEST_F(Measuring, SuppressedRepeatsMeasureNothing) {
  TfrReportBinding binding(report);
  memo->Flags |= flSuppress;
  memo->Memo = {"same"};
  memo->LastPrintedText = "same\x01";
  EXPECT_EQ(memo->ContentHeight(), 0);
  memo->Memo = {"other"};
  EXPECT_EQ(memo->ContentHeight(), 17);
}

}  // namespace
}  // namespace talven
