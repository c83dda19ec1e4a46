// The cell-layout matrix on small layouts of objects: boundaries from
// edges, merging within the tolerance, the row limit, placements, pieces of
// overlapping objects with their borders, fills, stacked pages, styles.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "report/export/matrix.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/prepare_state.h"
#include "report/model/progress_box.h"
#include "report/render/canvas.h"
#include "report/render/render_view.h"

namespace talven {
namespace {

using Positions = std::vector<TfrExtended>;

class Matrix : public ::testing::Test {
 protected:
  Matrix() {
    EngineState().Reset();
    EngineState().DocMode = TfrDocMode::Printing;
    SetScratchMetrics(&metrics);
    StartRenderEngine();
  }
  ~Matrix() override {
    SetScratchMetrics(nullptr);
    EngineState().Reset();
  }

  TfrMemoView& Memo(int left, int top, int width, int height, const std::string& text = "",
                    std::uint16_t frame = 0) {
    auto m = std::make_unique<TfrMemoView>();
    m->Left = left, m->Top = top, m->Width = width, m->Height = height;
    if (!text.empty()) m->Memo = {text};
    m->FrameTyp = frame;
    views.push_back(std::move(m));
    return static_cast<TfrMemoView&>(*views.back());
  }
  void AddAll() {
    for (auto& v : views) matrix.AddObject(*v);
    views.clear();
  }
  static Positions Columns(const TfrIEMatrix& m) {
    Positions out;
    for (int i = 0; i < m.ColumnPositionCount(); ++i) out.push_back(m.ColumnPosition(i));
    return out;
  }
  static Positions Rows(const TfrIEMatrix& m) {
    Positions out;
    for (int i = 0; i < m.RowPositionCount(); ++i) out.push_back(m.RowPosition(i));
    return out;
  }
  std::string TextAt(int col, int row) const {
    TfrIEMObject* o = matrix.ObjectAt(col, row);
    return o == nullptr || o->Text.empty() ? "" : o->Text.front();
  }
  std::int32_t BitsAt(int col, int row) const {
    return matrix.StyleByNumber(matrix.ObjectAt(col, row)->StyleIndex).FrameTyp;
  }

  FixedTextMetrics metrics;
  TfrIEMatrix matrix;
  std::vector<std::unique_ptr<TfrView>> views;
};

TEST_F(Matrix, AGridOfMemosGivesOneCellEach) {
  matrix.ProgressShown = false;
  const char* names[2][3] = {{"a", "b", "c"}, {"d", "e", "f"}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) Memo(10 + c * 50, 20 + r * 18, 50, 18, names[r][c], 15);
  AddAll();
  matrix.Prepare();
  EXPECT_EQ(Columns(matrix), (Positions{10, 60, 110, 160}));
  EXPECT_EQ(Rows(matrix), (Positions{20, 38, 56}));
  ASSERT_EQ(matrix.Width(), 4);
  ASSERT_EQ(matrix.Height(), 3);
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(TextAt(c, r), names[r][c]);
      const int n = matrix.CellAt(c, r);
      EXPECT_EQ(n, r * 3 + c);
      const TfrIEMPlacement p = matrix.Placement(n);
      EXPECT_EQ(p.Col, c);
      EXPECT_EQ(p.Row, r);
      EXPECT_EQ(p.ColSpan, 1);
      EXPECT_EQ(p.RowSpan, 1);
      EXPECT_TRUE(matrix.Entry(n).Placed);
      EXPECT_EQ(BitsAt(c, r), 15);
    }
  // The extra column and row past the last boundary stay empty; outside
  // the grid is empty too.
  EXPECT_EQ(matrix.CellAt(3, 0), -1);
  EXPECT_EQ(matrix.CellAt(0, 2), -1);
  EXPECT_EQ(matrix.CellAt(-1, 0), -1);
  EXPECT_EQ(matrix.ObjectByNumber(6), nullptr);
  EXPECT_EQ(matrix.StyleCount(), 1);
  EXPECT_EQ(matrix.ContentRight, 160);
  EXPECT_EQ(matrix.ContentBottom, 56);
}

TEST_F(Matrix, EdgesWithinTheToleranceShareTheLaterBoundary) {
  matrix.ProgressShown = false;
  matrix.MergeTolerance = 0.5;
  // The second memo lies 0.4 units lower than the first (through a
  // fractional page offset, as stacked pages give).
  Memo(0, 0, 100, 20, "left");
  matrix.AddObject(*views.back());
  matrix.PageOffsetY = 0.4L;
  TfrMemoView& right = Memo(0, 0, 50, 20, "right");
  right.Left = 100;
  matrix.AddObject(right);
  views.clear();
  matrix.Prepare();
  // Rows 0 and 0.4 merge into 0.4, rows 20 and 20.4 into 20.4.
  EXPECT_EQ(Rows(matrix), (Positions{0.4L, 20.4L}));
  EXPECT_EQ(Columns(matrix), (Positions{0, 100, 150}));
  // The first memo's top edge was merged away: it starts at the first
  // boundary below it.
  EXPECT_EQ(matrix.Placement(0).Row, 0);
  EXPECT_EQ(matrix.Placement(0).RowSpan, 1);
  EXPECT_EQ(TextAt(0, 0), "left");
  EXPECT_EQ(TextAt(1, 0), "right");
  // A run of close values ends in its last one.
  TfrIEMatrix chain;
  chain.ProgressShown = false;
  chain.MergeTolerance = 0.5;
  TfrMemoView a, b;
  a.Left = 0, a.Width = 10, a.Height = 5;
  b.Left = 0, b.Width = 10, b.Height = 5;
  chain.AddObject(a);
  chain.PageOffsetY = 0.4L;
  chain.AddObject(b);
  chain.PageOffsetY = 0.8L;
  chain.AddObject(b);
  chain.Prepare();
  EXPECT_EQ(Rows(chain), (Positions{0.8L, 5.8L}));
}

TEST_F(Matrix, TallGapsAreSplitAtTheRowLimit) {
  matrix.ProgressShown = false;
  matrix.RowLimit = 535.79L;
  Memo(0, 0, 50, 18, "top");
  Memo(0, 1218, 50, 18, "far below");
  Memo(60, 18, 50, 600, "tall");
  AddAll();
  matrix.Prepare();
  // 18 → 618 (600) gets 18 + 535.79; 618 → 1218 (600) gets 618 + 535.79.
  EXPECT_EQ(Rows(matrix), (Positions{0, 18, 18 + 535.79L, 618, 618 + 535.79L, 1218, 1236}));
  EXPECT_EQ(matrix.Placement(2).RowSpan, 2);

  TfrIEMatrix gap;
  gap.ProgressShown = false;
  gap.RowLimit = 535.79L;
  TfrMemoView a, b;
  a.Width = b.Width = 10;
  a.Height = b.Height = 10;
  b.Top = 1210;  // boundaries 10 and 1210: 1200 apart
  gap.AddObject(a);
  gap.AddObject(b);
  gap.Prepare();
  EXPECT_EQ(Rows(gap), (Positions{0, 10, 10 + 535.79L, 10 + 2 * 535.79L, 1210, 1220}));
}

TEST_F(Matrix, AnObjectOverTheMiddleOfALargerOneCutsItIntoPieces) {
  matrix.ProgressShown = false;
  Memo(0, 0, 90, 90, "under", 15).FillColor = 0x00FF00;
  Memo(30, 30, 30, 30, "over", 15);
  AddAll();
  matrix.Prepare();
  ASSERT_EQ(matrix.Width(), 4);
  ASSERT_EQ(matrix.Height(), 4);
  // Top strip across, left and right below it two rows deep, bottom middle.
  const int top = matrix.CellAt(0, 0), left = matrix.CellAt(0, 1), right = matrix.CellAt(2, 1),
            bottom = matrix.CellAt(1, 2), middle = matrix.CellAt(1, 1);
  EXPECT_EQ(matrix.CellAt(2, 0), top);
  EXPECT_EQ(matrix.CellAt(0, 2), left);
  EXPECT_EQ(matrix.CellAt(2, 2), right);
  EXPECT_EQ(middle, 1);
  struct Piece {
    int number;
    TfrIEMPlacement at;
    const char* text;
    std::int32_t bits;
  };
  const Piece pieces[] = {
      {top, {0, 0, 3, 1}, "under", frbTop | frbLeft | frbRight},
      {left, {0, 1, 1, 2}, "", frbLeft | frbBottom},
      {right, {2, 1, 1, 2}, "", frbRight | frbBottom},
      {bottom, {1, 2, 1, 1}, "", frbBottom},
  };
  TfrIEMObject* under = matrix.ObjectByNumber(0);
  EXPECT_TRUE(under->Text.empty());
  for (const Piece& p : pieces) {
    SCOPED_TRACE(p.bits);
    ASSERT_GT(p.number, 1);
    const TfrIEMPlacement at = matrix.Placement(p.number);
    EXPECT_EQ(at.Col, p.at.Col);
    EXPECT_EQ(at.Row, p.at.Row);
    EXPECT_EQ(at.ColSpan, p.at.ColSpan);
    EXPECT_EQ(at.RowSpan, p.at.RowSpan);
    EXPECT_TRUE(matrix.Entry(p.number).Placed);
    TfrIEMObject* o = matrix.ObjectByNumber(p.number);
    EXPECT_EQ(o->Source, under);
    EXPECT_EQ(o->Text.empty() ? "" : o->Text.front(), p.text);
    const TfrIEMStyle& s = matrix.StyleByNumber(o->StyleIndex);
    EXPECT_EQ(s.FrameTyp, p.bits);
    EXPECT_EQ(s.FillColor, 0x00FF00);
  }
  EXPECT_EQ(matrix.ObjectByNumber(bottom)->Left, 30);
  EXPECT_EQ(matrix.ObjectByNumber(bottom)->Top, 60);
  EXPECT_EQ(matrix.ObjectByNumber(bottom)->Width, 30);
  EXPECT_EQ(matrix.ObjectByNumber(left)->Height, 60);
  // The transparent memo on top took the fill of the one under it.
  EXPECT_EQ(matrix.StyleByNumber(matrix.ObjectAt(1, 1)->StyleIndex).FillColor, 0x00FF00);
  EXPECT_EQ(BitsAt(1, 1), 15);
}

TEST_F(Matrix, APieceOnAnEdgeMergedAwayKeepsThatEdgesBorder) {
  matrix.ProgressShown = false;
  matrix.MergeTolerance = 0.5;
  // The wide memo's top edge (0) merges into the 0.3 of its neighbour; its
  // top-left piece still lies on its top edge and keeps the top border.
  Memo(0, 0, 90, 40, "wide", 15);
  matrix.AddObject(*views.back());
  matrix.PageOffsetY = 0.3L;
  Memo(100, 0, 10, 40, "side");
  matrix.AddObject(*views.back());
  matrix.PageOffsetY = 0;
  Memo(30, 20, 30, 20, "cover");
  matrix.AddObject(*views.back());
  views.clear();
  matrix.Prepare();
  EXPECT_EQ(TextAt(0, 0), "wide");
  EXPECT_EQ(BitsAt(0, 0), frbTop | frbLeft | frbRight);
}

TEST_F(Matrix, PagesAreStackedBelowTheLowestObject) {
  matrix.ProgressShown = false;
  Memo(0, 10, 50, 30, "page 1");
  Memo(60, 0, 50, 20, "page 1 right");
  AddAll();
  matrix.AddPageBreak();
  Memo(0, 0, 50, 30, "page 2");
  AddAll();
  matrix.AddPageBreak();
  EXPECT_EQ(matrix.PageBreaks(), (Positions{40, 70}));
  matrix.Prepare();
  EXPECT_EQ(matrix.ObjectByNumber(2)->Top, 40);
  EXPECT_EQ(Rows(matrix), (Positions{0, 10, 20, 40, 70}));
  EXPECT_EQ(TextAt(0, 3), "page 2");
  EXPECT_EQ(matrix.Placement(2).Row, 3);
  matrix.Clear();
  EXPECT_EQ(matrix.PageOffsetY, 0);
  EXPECT_EQ(matrix.ObjectCount(), 0);
  EXPECT_EQ(matrix.ContentBottom, 70);  // the extent stays
}

TEST_F(Matrix, AnObjectOfZeroWidthOccupiesNoCell) {
  matrix.ProgressShown = false;
  Memo(0, 0, 50, 20, "a");
  Memo(50, 0, 0, 20, "thin");
  AddAll();
  matrix.Prepare();
  EXPECT_EQ(matrix.Placement(1).ColSpan, 0);
  for (int c = 0; c < matrix.Width(); ++c) EXPECT_NE(matrix.CellAt(c, 0), 1);
  EXPECT_EQ(TextAt(0, 0), "a");
}

TEST_F(Matrix, EqualStylesAreStoredOnce) {
  matrix.ProgressShown = false;
  TfrMemoView& a = Memo(0, 0, 10, 10, "a", 15);
  TfrMemoView& b = Memo(10, 0, 10, 10, "b", 15);
  b.Font.Charset = 134;  // the character set is no part of a style
  TfrMemoView& c = Memo(20, 0, 10, 10, "c", 15);
  c.Font.Color = 0xFF;
  TfrMemoView& d = Memo(30, 0, 10, 10, "d", 15);
  d.Font.Name = "arial";  // names are compared exactly
  TfrMemoView& e = Memo(40, 0, 10, 10, "e", 15);
  e.Alignment = frtaCenter | frtaMiddle;
  (void)a;
  AddAll();
  TfrLineView line;
  line.Left = 50, line.Width = 10, line.Height = 1;
  line.FillColor = clNone;
  matrix.AddObject(line);
  EXPECT_EQ(matrix.StyleCount(), 5);
  EXPECT_EQ(matrix.ObjectByNumber(0)->StyleIndex, matrix.ObjectByNumber(1)->StyleIndex);
  // Anything but a memo: no frame, Arial 10 black, its own fill.
  const TfrIEMStyle& s = matrix.StyleByNumber(matrix.ObjectByNumber(5)->StyleIndex);
  EXPECT_EQ(s.FrameTyp, 0);
  EXPECT_EQ(s.Font.Name, "Arial");
  EXPECT_EQ(s.Font.Size, 10);
  EXPECT_EQ(s.Font.Color, clBlack);
}

TEST_F(Matrix, APictureIsDrawnAtOnePixelPerUnit) {
  matrix.ProgressShown = false;
  TfrPictureView picture;
  picture.Left = 40, picture.Top = 30, picture.Width = 20, picture.Height = 10;
  picture.FrameTyp = 15;
  picture.FillColor = 0x0000FF;  // red
  matrix.AddObject(picture);
  EXPECT_EQ(picture.Left, 40);  // put back after drawing
  EXPECT_EQ(picture.Top, 30);
  TfrIEMObject* o = matrix.ObjectByNumber(0);
  ASSERT_FALSE(o->IsText);
  ASSERT_NE(o->Image, nullptr);
  EXPECT_EQ(o->Image->Width, 21);
  EXPECT_EQ(o->Image->Height, 11);
  const std::string& png = o->Image->Png;
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&png](std::size_t at) {
    return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
           (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(be32(16), 21u);
  EXPECT_EQ(be32(20), 11u);
}

TEST_F(Matrix, BackgroundAndSharedBorders) {
  matrix.ProgressShown = false;
  matrix.Background = true;
  matrix.DropSharedBorders = true;
  Memo(10, 10, 40, 20, "a", 15);
  Memo(50, 10, 40, 20, "b", 15);
  Memo(10, 30, 40, 20, "c", 15);
  AddAll();
  matrix.Prepare();
  // The white background is object 0 and spans from (0, 0) to the content's
  // extent; the memos cut it into pieces around them.
  EXPECT_EQ(matrix.ColumnPosition(0), 0);
  EXPECT_EQ(matrix.RowPosition(0), 0);
  EXPECT_EQ(matrix.StyleByNumber(matrix.ObjectByNumber(0)->StyleIndex).FillColor, clWhite);
  EXPECT_EQ(TextAt(1, 1), "a");
  EXPECT_EQ(BitsAt(1, 1), 15);
  EXPECT_EQ(BitsAt(2, 1), frbTop | frbRight | frbBottom);  // "a" draws the shared left line
  EXPECT_EQ(BitsAt(1, 2), frbLeft | frbRight | frbBottom);  // "a" draws the shared top line
  // A memo on top of the white background took its fill.
  EXPECT_EQ(matrix.StyleByNumber(matrix.ObjectAt(1, 1)->StyleIndex).FillColor, clWhite);
}

TEST_F(Matrix, PrepareAdvancesItsBoxElevenTimes) {
  struct Log {
    std::string message;
    int maximum = 0, steps = 0;
    bool cancel = true, closed = false;
  } log;
  class Box : public TfrProgress {
   public:
    explicit Box(Log& log) : log_(log) {}
    void Start(int maximum, const std::string& message, bool, bool showCancel) override {
      log_.maximum = maximum, log_.message = message, log_.cancel = showCancel;
    }
    void Step() override { ++log_.steps; }
    bool Cancelled() const override { return false; }
    void Close() override { log_.closed = true; }

   private:
    Log& log_;
  };
  auto previous = SetProgressBoxFactory([&log] { return std::make_unique<Box>(log); });
  Memo(0, 0, 10, 10, "a");
  AddAll();
  matrix.Prepare();
  SetProgressBoxFactory(previous);
  EXPECT_EQ(log.message, "Prepare export");
  EXPECT_EQ(log.maximum, 11);
  EXPECT_EQ(log.steps, 11);
  EXPECT_FALSE(log.cancel);
  EXPECT_TRUE(log.closed);
}

TEST(RichText, PlainLinesLeaveTheMarkupOut) {
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
      "\\f0\\fs20 First \\b bold\\b0\\par Second\\'41\\par {\\*\\generator x;}\\par}";
  EXPECT_EQ(RichTextPlainLines(rtf), (TfrStrings{"First bold", "SecondA"}));
}

}  // namespace
}  // namespace talven
