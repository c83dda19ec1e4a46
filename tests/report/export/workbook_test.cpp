// The workbook writer, read back with a real reader: cell names, texts,
// merged ranges, borders, styles, row and column sizes, pictures, print
// setup, write errors and cancelling.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "report/export/matrix.h"
#include "report/export/workbook.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/prepare_state.h"
#include "report/model/progress_box.h"
#include "report/render/canvas.h"
#include "report/render/render_view.h"
#include "support/fixture.h"
#include "workbook_reader.h"

namespace talven {
namespace {

using nlohmann::json;

TEST(CellNames, CountColumnsInLettersFromOne) {
  const std::pair<int, const char*> cases[] = {{1, "A"},   {26, "Z"},   {27, "AA"},  {52, "AZ"},
                                               {53, "BA"}, {702, "ZZ"}, {703, "AAA"}};
  for (auto [n, name] : cases) EXPECT_EQ(ColumnName(n), name) << n;
  EXPECT_EQ(CellName(2, 3), "B3");
}

TEST(CellTexts, DropCarriageReturnsParagraphMarksAndTrailingBreaks) {
  const std::pair<TfrStrings, const char*> cases[] = {
      {{"a", "b"}, "a\nb"},
      {{"last", "", ""}, "last"},
      {{"x\r", "\x01y\x01", ""}, "x\ny"},
      {{"", "mid", ""}, "\nmid"},
      {{}, ""},
  };
  for (const auto& [lines, text] : cases) EXPECT_EQ(CellText(lines), text);
}

class Workbook : public ::testing::Test {
 protected:
  Workbook() {
    EngineState().Reset();
    EngineState().DocMode = TfrDocMode::Printing;
    SetScratchMetrics(&metrics);
    StartRenderEngine();
    matrix.ProgressShown = false;
  }
  ~Workbook() override {
    SetScratchMetrics(nullptr);
    EngineState().Reset();
  }

  TfrMemoView& Memo(int left, int top, int width, int height, TfrStrings text, std::uint16_t frame = 0) {
    auto m = std::make_unique<TfrMemoView>();
    m->Left = left, m->Top = top, m->Width = width, m->Height = height;
    m->Memo = std::move(text);
    m->FrameTyp = frame;
    views.push_back(std::move(m));
    return static_cast<TfrMemoView&>(*views.back());
  }
  json Write(const TfrWorkbookOptions& options = {}, const TfrWorkbookPageSetup& setup = {}) {
    for (auto& v : views) matrix.AddObject(*v);
    matrix.Prepare();
    WriteWorkbook(matrix, file, options, setup);
    return test::ReadWorkbook(file);
  }

  FixedTextMetrics metrics;
  TfrIEMatrix matrix;
  std::vector<std::unique_ptr<TfrView>> views;
  test::TempDir dir;
  std::string file = dir.File("out.xlsx");
};

TEST_F(Workbook, AMemoOverThreeColumnsIsOneMergedRangeWithItsTextFirst) {
  // Three narrow memos give the columns, the wide one below spans them.
  Memo(0, 0, 40, 18, {"A"});
  Memo(40, 0, 40, 18, {"B"});
  Memo(80, 0, 40, 18, {"C"});
  TfrMemoView& wide = Memo(0, 18, 120, 18, {"wide text"}, 15);
  wide.Font.Name = "Liberation Serif";
  wide.Font.Size = 14;
  wide.Font.Style = fsBoldBit | fsItalicBit;
  wide.Font.Color = 0x0000FF;  // red
  wide.FillColor = 0xFF0000;   // blue
  wide.Alignment = frtaCenter | frtaMiddle;
  json merged = Write();
  EXPECT_EQ(merged["merged"], json::array({"A2:C2"}));
  const json& a2 = merged["cells"]["A2"];
  EXPECT_EQ(a2["value"], "wide text");
  EXPECT_EQ(a2["font"], "Liberation Serif");
  EXPECT_EQ(a2["size"], 14);
  EXPECT_TRUE(a2["bold"]);
  EXPECT_TRUE(a2["italic"]);
  EXPECT_FALSE(a2["underline"]);
  EXPECT_EQ(a2["color"], "FF0000");
  EXPECT_EQ(a2["fill"], "0000FF");
  EXPECT_EQ(a2["horizontal"], "center");
  EXPECT_EQ(a2["vertical"], "center");
  EXPECT_TRUE(a2["wrap"]);
  EXPECT_EQ(merged["cells"]["C1"]["value"], "C");

  // Without merging the three cells stay apart, the text in the first, and
  // the frame runs round the outside of the range.
  TfrWorkbookOptions separate;
  separate.CellsMerged = false;
  matrix.Clear();
  json apart = Write(separate);
  EXPECT_TRUE(apart["merged"].empty());
  EXPECT_EQ(apart["cells"]["A2"]["value"], "wide text");
  EXPECT_TRUE(apart["cells"]["B2"]["value"].is_null());
  EXPECT_EQ(apart["cells"]["A2"]["borders"], "LTB");
  EXPECT_EQ(apart["cells"]["B2"]["borders"], "TB");
  EXPECT_EQ(apart["cells"]["C2"]["borders"], "RTB");
  EXPECT_EQ(apart["cells"]["B2"]["fill"], "0000FF");
}

TEST_F(Workbook, OptionsLeaveOutStylesBordersAndWrapping) {
  TfrMemoView& m = Memo(0, 0, 80, 20, {"plain"}, 15);
  m.Font.Style = fsBoldBit;
  TfrWorkbookOptions fast;
  fast.HighQuality = false;
  fast.CellsBorders = false;
  fast.CellsWrapWords = false;
  json wb = Write(fast);
  const json& a1 = wb["cells"]["A1"];
  EXPECT_EQ(a1["value"], "plain");
  EXPECT_FALSE(a1["bold"]);
  EXPECT_EQ(a1["borders"], "");
  EXPECT_FALSE(a1["wrap"]);
}

TEST_F(Workbook, RowsAndColumnsTakeTheirSizesWithTheScales) {
  Memo(0, 0, 80, 131, {"a"});
  Memo(80, 131, 16, 600, {"tall"});  // no row limit here: the height is capped
  TfrWorkbookOptions scaled;
  scaled.ScaleX = 2.0;
  scaled.ScaleY = 0.5;
  json wb = Write(scaled);
  EXPECT_DOUBLE_EQ(wb["rows"]["1"].get<double>(), 50);
  EXPECT_NEAR(wb["rows"]["2"].get<double>(), 600 * 0.5 / 1.31, 0.01);
  EXPECT_NEAR(wb["cols"]["A"].get<double>(), 20, 0.01);
  EXPECT_NEAR(wb["cols"]["B"].get<double>(), 4, 0.01);
  matrix.Clear();
  json unscaled = Write();
  EXPECT_DOUBLE_EQ(unscaled["rows"]["2"].get<double>(), kMaxRowHeight);
}

TEST_F(Workbook, APictureIsInsertedAtItsCellAndSize) {
  Memo(0, 0, 30, 20, {"left of it"});
  auto picture = std::make_unique<TfrPictureView>();
  picture->Left = 30, picture->Top = 20, picture->Width = 100, picture->Height = 50;
  picture->FillColor = 0x00FF00;
  views.push_back(std::move(picture));
  json wb = Write();
  ASSERT_EQ(wb["pictures"].size(), 1u);
  const json& p = wb["pictures"][0];
  EXPECT_EQ(p["anchor"], "B2");
  // The drawing is (100 + 1) × (50 + 1) pixels, 1/1.33 point each.
  EXPECT_NEAR(p["width"].get<double>(), 101 / 1.33, 0.05);
  EXPECT_NEAR(p["height"].get<double>(), 51 / 1.33, 0.05);
  matrix.Clear();
  TfrWorkbookOptions without;
  without.Pictures = false;
  EXPECT_TRUE(Write(without)["pictures"].empty());
}

TEST_F(Workbook, PrintSetupComesFromTheFirstPage) {
  Memo(0, 0, 30, 20, {"x"});
  TfrWorkbookPageSetup setup;
  setup.Known = true;
  setup.Margins = {72, 36, 144, 0};  // left, top, right, bottom
  setup.Landscape = true;
  json wb = Write({}, setup);
  // A quarter of the units in points: 18 pt = 0.25 inch and so on.
  EXPECT_EQ(wb["margins"], json::array({0.25, 0.5, 0.125, 0.0}));
  EXPECT_EQ(wb["orientation"], "landscape");
}

TEST_F(Workbook, ATextLongerThanACellHoldsKeepsItsStart) {
  Memo(0, 0, 80, 20, {std::string(40000, 'x')});
  json wb = Write();
  EXPECT_EQ(wb["cells"]["A1"]["value"], std::string(32767, 'x'));
}

TEST_F(Workbook, NothingPlacedGivesAnEmptyWorkbook) {
  json wb = Write();
  EXPECT_TRUE(wb["cells"].empty());
  EXPECT_TRUE(wb["merged"].empty());
}

TEST_F(Workbook, AFileThatCannotBeWrittenIsAnErrorNamingIt) {
  Memo(0, 0, 30, 20, {"x"});
  for (auto& v : views) matrix.AddObject(*v);
  matrix.Prepare();
  const std::string missing = dir.File("no such folder/out.xlsx");
  try {
    WriteWorkbook(matrix, missing, {}, {});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(e.message().find(missing), std::string::npos) << e.message();
  }
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool canStillWrite = ::access(dir.path().c_str(), W_OK) == 0;  // root ignores the bits
  if (!canStillWrite) {
    EXPECT_THROW(WriteWorkbook(matrix, file, {}, {}), Error);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
  // Nothing half-written stays behind.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    ADD_FAILURE() << "left behind: " << entry.path();
}

TEST_F(Workbook, CancelStopsThePassesAndKeepsWhatWasWritten) {
  class CancelAfterRows : public TfrProgress {
   public:
    void Start(int, const std::string& message, bool, bool) override { started_ = message; }
    void Step() override {}
    bool Cancelled() const override { return started_ == "Please wait"; }
    void Close() override {}

   private:
    std::string started_;
  };
  auto previous = SetProgressBoxFactory([] { return std::make_unique<CancelAfterRows>(); });
  Memo(0, 0, 80, 131, {"a"});
  json wb = Write();
  SetProgressBoxFactory(previous);
  EXPECT_DOUBLE_EQ(wb["rows"]["1"].get<double>(), 100);
  EXPECT_TRUE(wb["cols"].empty());
  EXPECT_TRUE(wb["cells"].empty());
}

}  // namespace
}  // namespace talven
