// The band engine over reports built in code: data loops and their dataset
// calls, band columns, page footers, Suppress, groups, page breaks and
// splitting, two passes, errors, the event order of a sign-in sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "engine_fixture.h"
#include "report/pages/report_actions.h"
#include "report/template/template.h"

namespace talven {
namespace {

using testing::BandEngineTest;
using testing::PrintedObject;

using Strings = std::vector<std::string>;

Strings SplitBars(const std::string& text) {
  Strings parts;
  std::size_t start = 0;
  for (std::size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
    parts.push_back(text.substr(start, bar - start));
  parts.push_back(text.substr(start));
  return parts;
}

class BandEngine : public BandEngineTest {
 protected:
  // The program's table row, moved by the dataset's hooks.
  void TrackRows() {
    data.OnFirst = [this](TfrDataset&) { row = 1; };
    data.OnNext = [this](TfrDataset&) { ++row; };
    data.OnPrior = [this](TfrDataset&) { --row; };
  }
  // The program's row number as the variable "V".
  void AnswerRowAsV() {
    TrackRows();
    report.OnGetValue = [this](const std::string& name, Variant& value) {
      if (name == "V") value = Variant(row);
    };
  }
  int row = 0;
};

TEST_F(BandEngine, DataBandsWalkTheirDatasetsWithTheProgramsHooks) {
  struct Case {
    std::string source;
    int count;
    int prints, firsts, nexts;
  } cases[] = {
      {"frUserDataset1", 0, 0, 1, 0},
      {"frUserDataset1", 3, 3, 1, 2},
      {"5", 0, 5, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source + " " + std::to_string(c.count));
    report.ClearPages();
    pages.Clear();
    AddBand(btMasterHeader, "MasterHeader1", 20, 20);
    AddMemo("Head", 0, 20, 100, 20, {"Header"});
    AddBand(btMasterData, "MasterData1", 60, 20, c.source);
    AddMemo("Row", 0, 60, 100, 20, {"[LINE#]"});
    AddBand(btMasterFooter, "MasterFooter1", 100, 20);
    AddMemo("Foot", 0, 100, 100, 20, {"Footer"});
    data.RangeEndCount = c.count;
    int firsts = 0, nexts = 0;
    data.OnFirst = [&](TfrDataset&) { ++firsts; };
    data.OnNext = [&](TfrDataset&) { ++nexts; };

    EXPECT_TRUE(Prepare());
    ASSERT_EQ(pages.PageCount(), 1);
    Strings expected;
    for (int i = 1; i <= c.prints; ++i) expected.push_back(std::to_string(i));
    EXPECT_EQ(Texts(0, "Row"), expected);
    EXPECT_EQ(Texts(0, "Head").size(), c.prints > 0 ? 1u : 0u);
    EXPECT_EQ(Texts(0, "Foot").size(), c.prints > 0 ? 1u : 0u);
    EXPECT_EQ(firsts, c.firsts);
    EXPECT_EQ(nexts, c.nexts);
  }
}

TEST_F(BandEngine, BandColumnsLayRecordsAcrossAndTheNextBandStartsBelowTheLastRow) {
  TfrBandView& band = AddBand(btMasterData, "MasterData1", 20, 20, "12");
  band.Columns = 5;
  band.ColumnWidth = 100;
  band.ColumnGap = 20;
  AddMemo("Cell", 0, 20, 100, 20, {"[LINE#]"});
  AddBand(btReportSummary, "Summary1", 60, 20);
  AddMemo("After", 0, 60, 100, 20, {"end"});

  ASSERT_TRUE(Prepare());
  std::vector<std::pair<int, int>> cells;
  int afterTop = -1;
  for (const PrintedObject& o : Objects(0)) {
    if (o.name == "Cell") cells.emplace_back(o.left, o.top);
    if (o.name == "After") afterTop = o.top;
  }
  std::vector<std::pair<int, int>> expected;
  for (int i = 0; i < 12; ++i) expected.emplace_back((i % 5) * 120, (i / 5) * 20);
  EXPECT_EQ(cells, expected);
  EXPECT_EQ(afterTop, 60);
}

TEST_F(BandEngine, PageFooterWithoutOnFirstPageSkipsTheFirstPage) {
  TfrBandView& footer = AddBand(btPageFooter, "PageFooter1", 340, 20);
  footer.Flags = flBandOnLastPage;
  AddMemo("Foot", 0, 340, 100, 20, {"page [PAGE#]"});
  AddBand(btMasterData, "MasterData1", 20, 100, "5");
  AddMemo("Row", 0, 20, 100, 20, {"[LINE#]"});
  RecordEvents();

  ASSERT_TRUE(Prepare());
  ASSERT_EQ(pages.PageCount(), 2);
  EXPECT_EQ(CountPerPage("Row"), (std::vector<int>{3, 2}));
  EXPECT_TRUE(Texts(0, "Foot").empty());
  EXPECT_EQ(Texts(1, "Foot"), Strings{"page 2"});
  const auto second = std::find(events.begin(), events.end(), "BeginPage 1");
  ASSERT_NE(second, events.end());
  EXPECT_EQ(std::count(events.begin(), second, "EndPage 0"), 0);
}

TEST_F(BandEngine, SuppressPrintsAValueOnlyWhenItChanges) {
  const Strings values = {"A", "A", "B", "B", "A"};
  TrackRows();
  report.OnGetValue = [&](const std::string& name, Variant& value) {
    if (name == "v") value = Variant(values[static_cast<std::size_t>(row - 1)]);
  };
  AddBand(btMasterData, "MasterData1", 20, 20, "frUserDataset1");
  AddMemo("Value", 0, 20, 100, 20, {"[v]"}).SetFlag(flSuppress, true);
  data.RangeEndCount = 5;

  ASSERT_TRUE(Prepare());
  EXPECT_EQ(Texts(0, "Value"), (Strings{"A", "B", "A"}));
}

TEST_F(BandEngine, GroupFootersPrintOnTheLastRecordOfEachGroup) {
  TrackRows();
  report.OnGetValue = [&](const std::string& name, Variant& value) {
    if (name == "G") value = Variant((row - 1) / 3);
    if (name == "row") value = Variant(row);
  };
  AddBand(btGroupHeader, "GroupHeader1", 20, 20, "G");
  AddMemo("Head", 0, 20, 100, 20, {"group of [row]"});
  AddBand(btMasterData, "MasterData1", 60, 20, "frUserDataset1");
  AddMemo("Row", 0, 60, 100, 20, {"[row]/[LINE#]"});
  AddBand(btGroupFooter, "GroupFooter1", 100, 20);
  AddMemo("Foot", 0, 100, 100, 20, {"end [row]"});
  data.RangeEndCount = 7;

  ASSERT_TRUE(Prepare());
  EXPECT_EQ(Texts(0, "Head"), (Strings{"group of 1", "group of 4", "group of 7"}));
  EXPECT_EQ(Texts(0, "Foot"), (Strings{"end 3", "end 6", "end 7"}));
  // LINE# counts within the group.
  EXPECT_EQ(Texts(0, "Row"), (Strings{"1/1", "2/2", "3/3", "4/1", "5/2", "6/3", "7/1"}));
  std::vector<std::string> order;
  for (const PrintedObject& o : Objects(0)) order.push_back(o.name);
  EXPECT_EQ(order, (Strings{"Head", "Row", "Row", "Row", "Foot", "Head", "Row", "Row", "Row", "Foot", "Head", "Row",
                            "Foot"}));
}

TEST_F(BandEngine, ABandTallerThanAPageIsSplitInsteadOfLooping) {
  AddBand(btMasterData, "MasterData1", 0, 500, "1");
  AddMemo("Top", 0, 0, 100, 20, {"top"}).SetFlag(flStretched, false);
  AddMemo("Low", 0, 400, 100, 20, {"low"}).SetFlag(flStretched, false);

  ASSERT_TRUE(Prepare());
  ASSERT_EQ(pages.PageCount(), 2);
  EXPECT_EQ(Texts(0, "Top"), Strings{"top"});
  ASSERT_EQ(Objects(1).size(), 1u);
  EXPECT_EQ(Objects(1)[0].name, "Low");
  EXPECT_EQ(Objects(1)[0].top, 400 - 358);
}

TEST_F(BandEngine, ALongMemoInABreakedBandContinuesOverThreePages) {
  Strings lines;
  for (int i = 1; i <= 60; ++i) lines.push_back("line " + std::to_string(i));
  TfrBandView& band = AddBand(btMasterData, "MasterData1", 0, 30, "1");
  band.SetFlag(flBandBreaked, true);
  band.SetFlag(flStretched, true);
  AddMemo("Long", 0, 0, 300, 30, lines);

  ASSERT_TRUE(Prepare()) << (ui.boxes.empty() ? "" : GbkToUtf8(ui.boxes[0].text));
  ASSERT_EQ(pages.PageCount(), 3);
  Strings printed;
  for (int page = 0; page < 3; ++page) {
    const std::vector<PrintedObject> objects = Objects(page);
    ASSERT_EQ(objects.size(), 1u) << "page " << page;
    if (page > 0) {
      EXPECT_EQ(objects[0].top, 0) << "continues at the top of page " << page;
    }
    // Laid-out lines end their paragraph with the character 1.
    for (std::string line : SplitBars(objects[0].text)) {
      if (!line.empty() && line.back() == '\x01') line.pop_back();
      if (!line.empty()) printed.push_back(line);
    }
  }
  EXPECT_EQ(printed, lines);
}

TEST_F(BandEngine, TwoPassesShowTheFinalPageCountOnEveryPage) {
  report.TwoPass = true;
  TfrBandView& footer = AddBand(btPageFooter, "PageFooter1", 340, 20);
  (void)footer;
  AddMemo("Foot", 0, 340, 100, 20, {"[PAGE#]/[TOTALPAGES]"});
  AddBand(btMasterData, "MasterData1", 20, 100, "frUserDataset1");
  AddMemo("Row", 0, 20, 100, 20, {"[LINE#]"});
  data.RangeEndCount = 7;
  int firsts = 0;
  data.OnFirst = [&](TfrDataset&) { ++firsts; };

  ASSERT_TRUE(Prepare());
  ASSERT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(Texts(0, "Foot"), Strings{"1/3"});
  EXPECT_EQ(Texts(1, "Foot"), Strings{"2/3"});
  EXPECT_EQ(Texts(2, "Foot"), Strings{"3/3"});
  EXPECT_GE(firsts, 2);
}

TEST_F(BandEngine, AnErrorInABracketNamesMemoReportAndObjectAndLeavesNoPages) {
  AddBand(btMasterData, "MasterData1", 20, 20, "3");
  AddMemo("Memo1", 0, 20, 100, 20, {"before", "[Nope]"});

  EXPECT_FALSE(Prepare());
  EXPECT_EQ(pages.PageCount(), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "错误"_gbk);
  const std::string prefix = "计算时发生错误"_gbk + "\r\rbefore\r[Nope]\r\r" + "报表:"_gbk + " frReport1\r" +
                             "对象:"_gbk + " Memo1\r\r";
  EXPECT_EQ(ui.boxes[0].text.substr(0, prefix.size()), prefix);
  EXPECT_NE(ui.boxes[0].text.find("Nope"), std::string::npos);
}

TEST_F(BandEngine, AnErrorOutsideObjectsRestoresTheTemplateAndIsReported) {
  AddBand(btMasterData, "MasterData1", 20, 20, "frUserDataset1");
  TfrMemoView& memo = AddMemo("Memo1", 10, 20, 100, 20, {"x"});
  PageAt(0).PageScript = {"Memo1.Left := 300"};
  data.RangeEndCount = 2;
  data.OnFirst = [](TfrDataset&) { throw Error("table closed"); };

  EXPECT_FALSE(Prepare());
  EXPECT_EQ(pages.PageCount(), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "错误"_gbk);
  EXPECT_NE(ui.boxes[0].text.find("\r\rtable closed"), std::string::npos);
  EXPECT_EQ(EngineState().DocMode, TfrDocMode::Designing);
  // The template came back from its copy: the page script's change is gone.
  (void)memo;
  auto* restored = dynamic_cast<TfrMemoView*>(report.ObjectByName("Memo1"));
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->Left, 10);
}

TEST_F(BandEngine, SignInSheetEventOrder) {
  AddBand(btPageHeader, "PageHeader1", 0, 40);
  AddMemo("Title", 0, 0, 300, 40, {"[dwmc]"});
  AddBand(btMasterData, "MasterData1", 60, 150, "frUserDataset1");
  AddMemo("Name", 0, 60, 100, 20, {"[xm]"});
  data.RangeEndCount = 3;
  RecordEvents();
  report.OnGetValue = [this](const std::string& name, Variant& value) {
    events.push_back("Get " + name);
    value = Variant(name);
  };

  ASSERT_TRUE(Prepare());
  const Strings placeholder = {"BeginBand ", "EndBand "};
  Strings expected = {"BeginDoc", "BeginPage 0"};
  auto add = [&expected](const Strings& more) { expected.insert(expected.end(), more.begin(), more.end()); };
  add(placeholder);  // overlay
  add(placeholder);  // objects outside bands
  add(placeholder);  // report title
  add({"BeginBand PageHeader1", "Get dwmc", "EndBand PageHeader1"});
  add(placeholder);  // column header
  add({"First"});
  add({"BeginBand MasterData1", "Get xm", "EndBand MasterData1", "Next"});
  add({"BeginBand MasterData1", "Get xm", "EndBand MasterData1", "Next"});
  add({"BeginBand MasterData1"});
  add(placeholder);  // column footer
  add({"BeginPage 1"});
  add(placeholder);  // overlay
  add({"BeginBand PageHeader1", "Get dwmc", "EndBand PageHeader1"});
  add(placeholder);  // column header
  add({"Get xm", "EndBand MasterData1"});
  add(placeholder);  // column footer
  add(placeholder);  // report summary
  add({"EndPage 1", "EndDoc"});
  EXPECT_EQ(events, expected);
}

TEST_F(BandEngine, AggregatesSumCountInvisibleRecordsOnlyWithTheFlag) {
  AnswerRowAsV();
  for (bool visible : {true, false}) {
    SCOPED_TRACE(visible ? "visible" : "invisible");
    report.ClearPages();
    pages.Clear();
    AddBand(btMasterData, "MasterData1", 20, 20, "frUserDataset1").Visible = visible;
    AddMemo("Row", 0, 20, 100, 20, {"[V]"});
    AddBand(btMasterFooter, "MasterFooter1", 60, 20);
    AddMemo("Sum", 0, 60, 100, 20, {"[SUM(V)]"});
    AddMemo("All", 100, 60, 100, 20, {"[SUM(V, MasterData1, 1)]"});
    AddMemo("Avg", 200, 60, 100, 20, {"[AVG(V)]"});
    data.RangeEndCount = 4;

    ASSERT_TRUE(Prepare());
    EXPECT_EQ(Texts(0, "Sum"), Strings{visible ? "10" : "0"});
    EXPECT_EQ(Texts(0, "All"), Strings{"10"});
    EXPECT_EQ(Texts(0, "Avg"), Strings{visible ? "2.5" : "0"});
  }
}

TEST_F(BandEngine, TwoPassesCountEveryRecordOnce) {
  AnswerRowAsV();
  report.TwoPass = true;
  AddBand(btMasterData, "MasterData1", 20, 20, "frUserDataset1");
  AddBand(btReportSummary, "Summary1", 60, 20);
  AddMemo("Sum", 0, 60, 100, 20, {"[SUM(V)]"});
  AddMemo("Min", 100, 60, 100, 20, {"[MIN(V)]"});
  data.RangeEndCount = 4;

  ASSERT_TRUE(Prepare());
  EXPECT_EQ(Texts(0, "Sum"), Strings{"10"});
  EXPECT_EQ(Texts(0, "Min"), Strings{"1"});
}

TEST_F(BandEngine, AggregatesOverNoRecord) {
  AddBand(btMasterData, "MasterData1", 20, 20, "frUserDataset1");
  AddBand(btReportSummary, "Summary1", 60, 20);
  AddMemo("Avg", 0, 60, 100, 20, {"[AVG([V])]"});
  AddMemo("Min", 100, 60, 100, 20, {"[MIN([V])]"});
  AddMemo("Count", 200, 60, 100, 20, {"[COUNT(MasterData1)]"});
  data.RangeEndCount = 0;

  ASSERT_TRUE(Prepare());
  EXPECT_EQ(Texts(0, "Avg"), Strings{"0"});
  EXPECT_EQ(Texts(0, "Min"), Strings{"1E300"});
  EXPECT_EQ(Texts(0, "Count"), Strings{"0"});
}

TEST_F(BandEngine, AFooterSumStartsAgainForEachRunOfItsData) {
  AnswerRowAsV();
  // Detail rows under two master records: the detail footer sums each run.
  AddBand(btMasterData, "MasterData1", 20, 20, "2");
  AddBand(btDetailData, "DetailData1", 60, 20, "frUserDataset1");
  AddBand(btDetailFooter, "DetailFooter1", 100, 20);
  AddMemo("Sum", 0, 100, 100, 20, {"[SUM(V)]"});
  data.RangeEndCount = 3;

  ASSERT_TRUE(Prepare());
  EXPECT_EQ(Texts(0, "Sum"), (Strings{"6", "6"}));
}

TEST_F(BandEngine, ASubReportContinuesOnTheNextPagesAndThePageGoesOnBelowIt) {
  AddPage();
  AddPage();
  AddBand(btReportTitle, "Title1", 0, 40);
  AddBand(btMasterData, "MasterData1", 50, 40, "1");
  AddSubReport(50, 40, 1);
  AddBand(btReportSummary, "Summary1", 100, 20);
  AddMemo("After", 0, 100, 100, 20, {"after"});
  AddBand(btMasterData, "SubData1", 0, 20, "40", 1);
  AddMemo("SubRow", 0, 0, 100, 20, {"[LINE#]"}, 1);

  ASSERT_TRUE(Prepare());
  ASSERT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(CountPerPage("SubRow"), (std::vector<int>{16, 18, 6}));
  Strings rows;
  for (int page = 0; page < 3; ++page)
    for (const std::string& t : Texts(page, "SubRow")) rows.push_back(t);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(rows[static_cast<std::size_t>(i)], std::to_string(i + 1));
  ASSERT_EQ(Objects(2).back().name, "After");
  EXPECT_EQ(Objects(2).back().top, 6 * 20);
}

TEST_F(BandEngine, ASubReportThatCanNeverFitEndsWithAnError) {
  AddPage();
  AddBand(btPageHeader, "PageHeader1", 0, 20);
  AddBand(btMasterData, "MasterData1", 30, 40, "1");
  AddSubReport(30, 40, 1);
  AddBand(btMasterData, "Huge", 0, 400, "2", 1);

  EXPECT_FALSE(Prepare());
  EXPECT_EQ(pages.PageCount(), 0);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_NE(ui.boxes[0].text.find("MasterData1"), std::string::npos);
}

TEST_F(BandEngine, APageWithPrintToPrevPageContinuesOnTheSameOutputPage) {
  AddBand(btMasterData, "MasterData1", 20, 20, "3");
  AddMemo("First", 0, 20, 100, 20, {"a[LINE#]"});
  AddPage().PrintToPrevPage = true;
  AddBand(btMasterData, "MasterData2", 20, 20, "2", 1);
  AddMemo("Second", 0, 20, 100, 20, {"b[LINE#]"}, 1);

  ASSERT_TRUE(Prepare());
  ASSERT_EQ(pages.PageCount(), 1);
  std::vector<std::string> placed;
  for (const PrintedObject& o : Objects(0)) placed.push_back(o.text + "@" + std::to_string(o.top));
  EXPECT_EQ(placed, (Strings{"a1@0", "a2@20", "a3@40", "b1@60", "b2@80"}));
}

TEST_F(BandEngine, ThePreviewPreparesAgainThroughTheReportActions) {
  AddBand(btMasterData, "MasterData1", 20, 20, "2");
  AddMemo("Row", 0, 20, 100, 20, {"[LINE#]"});
  StartBandEngine();
  ASSERT_TRUE(ReportActions().PrepareReport);
  UiScope uiScope(ui);
  ProgressWindowScope progressScope(quiet);
  EXPECT_TRUE(ReportActions().PrepareReport(report));
  EXPECT_EQ(Texts(0, "Row"), (Strings{"1", "2"}));
  ReportActions().PrepareReport = nullptr;
}

TEST_F(BandEngine, AManualBuildPrintsTheBandsItShowsByName) {
  AddBand(btReportTitle, "Title1", 0, 20);
  AddMemo("Title", 0, 0, 100, 20, {"title"});
  AddBand(btMasterData, "Lines", 40, 20);
  AddMemo("Line", 0, 40, 100, 20, {"line"});
  report.OnManualBuild = [](TfrPage*) {
    for (int i = 0; i < 3; ++i) ShowBandByName("LINES");
  };

  ASSERT_TRUE(Prepare());
  std::vector<std::string> placed;
  for (const PrintedObject& o : Objects(0)) placed.push_back(o.text + "@" + std::to_string(o.top));
  EXPECT_EQ(placed, (Strings{"line@0", "line@20", "line@40"}));
}

TEST_F(BandEngine, WithoutPrintIfEmptyAnEmptyDatasetMakesNoPage) {
  report.PrintIfEmpty = false;
  AddBand(btPageHeader, "PageHeader1", 0, 20);
  AddMemo("Head", 0, 0, 100, 20, {"head"});
  AddBand(btMasterData, "MasterData1", 40, 20, "frUserDataset1");
  data.RangeEndCount = 0;

  ASSERT_TRUE(Prepare());
  EXPECT_EQ(pages.PageCount(), 0);
  report.PrintIfEmpty = true;
  ASSERT_TRUE(Prepare());
  EXPECT_EQ(Texts(0, "Head"), Strings{"head"});
}

TEST_F(BandEngine, CrossTabRowsPrintTheirCellsPerColumnAndContinueToTheRight) {
  AddBand(btMasterData, "MasterData1", 20, 20, "2");
  AddMemo("RowHead", 0, 20, 100, 20, {"row [LINE#]"});
  TfrBandView& columns = AddBand(btCrossData, "CrossData1", 0, 360, "8");
  columns.Left = 100;
  columns.Width = 100;
  AddMemo("Cell", 100, 20, 100, 20, {"[COLUMN#]:[LINE#]"});

  ASSERT_TRUE(Prepare());
  ASSERT_EQ(pages.PageCount(), 2);
  std::vector<std::string> first, second;
  for (const PrintedObject& o : Objects(0))
    if (o.name == "Cell") first.push_back(o.text + "@" + std::to_string(o.left) + "," + std::to_string(o.top));
  for (const PrintedObject& o : Objects(1))
    second.push_back(o.name + " " + o.text + "@" + std::to_string(o.left) + "," + std::to_string(o.top));
  EXPECT_EQ(first, (Strings{"1:1@100,0", "2:1@200,0", "3:1@300,0", "4:1@400,0", "5:1@500,0", "6:1@600,0",
                            "1:2@100,20", "2:2@200,20", "3:2@300,20", "4:2@400,20", "5:2@500,20", "6:2@600,20"}));
  EXPECT_EQ(second, (Strings{"Cell 7:1@0,0", "Cell 8:1@100,0", "Cell 7:2@0,20", "Cell 8:2@100,20"}));
  EXPECT_EQ(Texts(0, "RowHead"), (Strings{"row 1", "row 2"}));
}

// A progress window that answers as a person would: it records the labels
// and presses cancel at a given label.
class PressingProgress : public TfrProgressWindow {
 public:
  explicit PressingProgress(TfrReport& report) : report_(report) {}
  void SetCaption(const std::string& caption) override { captions.push_back(caption); }
  void SetLabel(const std::string& label) override {
    labels.push_back(label);
    eventsSinceLabel = 0;
    if (label == cancelAt) report_.Cancelled = true;
  }
  bool RunModal(const std::function<void()>& job) override {
    ++modalRuns;
    ok_ = true;
    job();
    return ok_;
  }
  void Close(bool ok) override { ok_ = ok; }
  void ProcessEvents() override {
    // The engine lets events run once or twice per progress report; more
    // in a row come from a script at work.
    if (cancelInScript && ++eventsSinceLabel > 3) report_.Cancelled = pressedInScript = true;
  }

  Strings captions, labels;
  std::string cancelAt;
  bool cancelInScript = false, pressedInScript = false;
  int modalRuns = 0, eventsSinceLabel = 0;

 private:
  TfrReport& report_;
  bool ok_ = true;
};

TEST_F(BandEngine, ProgressWindowShowsPassesAndItsCancelStopsThePreparation) {
  report.ShowProgress = true;
  report.TwoPass = true;
  report.Title = "Sheet";
  AddBand(btMasterData, "MasterData1", 0, 100, "7");
  PressingProgress progress(report);
  {
    ProgressWindowScope scope(progress);
    UiScope uiScope(ui);
    ASSERT_TRUE(PrepareReport(report));
  }
  EXPECT_EQ(progress.modalRuns, 1);
  EXPECT_EQ(progress.captions, Strings{"正在准备报表 - Sheet"_gbk});
  EXPECT_EQ(progress.labels.front(), "进行第一次处理: 1"_gbk);
  EXPECT_NE(std::find(progress.labels.begin(), progress.labels.end(), "正在处理页: 2 从 3"_gbk), progress.labels.end());

  report.TwoPass = false;
  report.TemplatePages[0].ObjectList[0]->DisplayFormatText = "20";
  progress.labels.clear();
  progress.cancelAt = "正在处理页: 2"_gbk;
  {
    ProgressWindowScope scope(progress);
    UiScope uiScope(ui);
    EXPECT_FALSE(PrepareReport(report));
  }
  EXPECT_EQ(pages.PageCount(), 3) << "stops at the next check after the cancel";
}

TEST_F(BandEngine, TheProgressWindowsCancelStopsARunawayScript) {
  report.ShowProgress = true;
  AddBand(btMasterData, "MasterData1", 0, 100, "3");
  PageAt(0).PageScript = {"begin i := 0; while 1 = 1 do i := i + 1 end"};
  PressingProgress progress(report);
  progress.cancelInScript = true;
  {
    ProgressWindowScope scope(progress);
    UiScope uiScope(ui);
    EXPECT_FALSE(PrepareReport(report));
  }
  EXPECT_TRUE(progress.pressedInScript);
}

}  // namespace
}  // namespace talven
