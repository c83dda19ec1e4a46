// The export-filter registry, the export run over prepared pages, and the
// workbook filter end to end: options and page selection, stacking the
// selected pages, opening afterwards, failures, and a sign-in sheet.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "report/export/excel_export.h"
#include "report/export/export_filters.h"
#include "report/engine/progress.h"
#include "report/export/export_progress.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/stream.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/report_actions.h"
#include "report/print/printer.h"
#include "report/render/canvas.h"
#include "support/fixture.h"
#include "workbook_reader.h"

namespace talven {
namespace {

using nlohmann::json;
using Texts = std::vector<std::string>;

class Recorder : public TfrExportFilter {
 public:
  explicit Recorder(Texts& log) : log_(log) {}
  int ShowOptions() override {
    log_.push_back("options");
    return optionsResult;
  }
  void BeginDocument() override { log_.push_back("begin document"); }
  void EndDocument() override { log_.push_back("end document"); }
  void BeginPage() override { log_.push_back("begin page"); }
  void EndPage() override {
    log_.push_back("end page");
    Stream->WriteBytes("page;");
  }
  void ExportObject(std::int32_t x, std::int32_t y, TfrView& view) override {
    log_.push_back(view.Name + "@" + std::to_string(x) + "," + std::to_string(y));
  }
  void ExportTextLine(const TfrRect&, std::int32_t, std::int32_t, const std::string& text, std::uint16_t bits,
                      TfrMemoView&) override {
    log_.push_back("line " + text + "/" + std::to_string(bits));
  }
  int optionsResult = 1;

 private:
  Texts& log_;
};

class OtherRecorder : public Recorder {
  using Recorder::Recorder;
};

TEST(ExportRegistry, RefusesTheSameClassWithTheSameMaskAndForgetsFiltersThatGo) {
  Texts log;
  const std::size_t before = ExportFilters().size();
  Recorder a(log), b(log);
  OtherRecorder c(log);
  EXPECT_TRUE(RegisterExportFilter(a, "Text (*.txt)", "*.txt"));
  EXPECT_FALSE(RegisterExportFilter(b, "Text again", "*.txt"));
  EXPECT_TRUE(RegisterExportFilter(b, "Comma separated", "*.csv"));
  EXPECT_TRUE(RegisterExportFilter(c, "Other text", "*.txt"));
  ASSERT_EQ(ExportFilters().size(), before + 3);
  EXPECT_EQ(ExportFilters()[before].FilterDesc, "Text (*.txt)");
  EXPECT_EQ(ExportFilters()[before + 2].Filter, &c);
  // Only a's own row goes, not the last row of its class (b's).
  UnregisterExportFilter(a);
  ASSERT_EQ(ExportFilters().size(), before + 2);
  EXPECT_EQ(ExportFilters()[before].Filter, &b);
  UnregisterExportFilter(b);
  UnregisterExportFilter(c);
  EXPECT_EQ(ExportFilters().size(), before);
  {
    TfrOLEExcelExport excel;
    ASSERT_EQ(ExportFilters().size(), before + 1);
    EXPECT_EQ(ExportFilters().back().FilterDesc, "Excel file (*.xlsx)");
    EXPECT_EQ(ExportFilters().back().FilterExt, "*.xlsx");
    EXPECT_TRUE(excel.ShowDialog);
    EXPECT_FALSE(excel.OpenExcelAfterExport);
    // The preview reaches the registry through the report actions.
    ASSERT_TRUE(ReportActions().ExportFilters);
    EXPECT_EQ(ReportActions().ExportFilters().back().Filter, &excel);
    EXPECT_EQ(ReportActions().ExportFilters().back().Mask, "*.xlsx");
    EXPECT_TRUE(ReportActions().ExportWith);
  }
  EXPECT_EQ(ExportFilters().size(), before);
}

class ExportRun : public ::testing::Test {
 protected:
  ExportRun() {
    StartReportEngine(nullptr);
    EngineState().Reset();
    SetScratchMetrics(&metrics);
  }
  ~ExportRun() override {
    SetScratchMetrics(nullptr);
    EngineState().Reset();
  }

  TfrPage& TemplatePage(int orientation = 0) { return report.TemplatePages.Add(9, 2100, 2970, -1, orientation); }
  void NewPage(int orientation = 0) { pages.AppendPage(TemplatePage(orientation)); }
  void Emit(const std::string& name, int left, int top, int width, int height, const TfrStrings& text,
            std::uint16_t frame = 0) {
    TfrMemoView m;
    m.Name = name;
    m.Left = left, m.Top = top, m.Width = width, m.Height = height;
    m.OutputText = text;
    m.FrameTyp = frame;
    WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, m);
  }
  // Pages of one memo each, "page N" at the top left.
  void NumberedPages(int count) {
    for (int n = 1; n <= count; ++n) {
      NewPage();
      Emit("Memo" + std::to_string(n), 20, 20, 200, 18, {"page " + std::to_string(n)});
    }
  }

  FixedTextMetrics metrics;
  HeadlessProgress quiet{true};
  ProgressWindowScope quietScope{quiet};
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
  test::TempDir dir;
  std::string file = dir.File("out.xlsx");
  Texts log;
};

TEST_F(ExportRun, WalksThePagesBetweenTheDocumentAndPageCalls) {
  NewPage();
  Emit("A", 10, 20, 100, 40, {"one", "two"}, 15);
  NewPage();
  Emit("B", 30, 40, 100, 20, {"three"}, 15);
  Recorder filter(log);
  std::vector<int> progress;
  report.OnProgress = [&progress](int n) { progress.push_back(n); };
  std::string afterName;
  filter.OnAfterExport = [&](const std::string& name) {
    afterName = name;
    log.push_back("after");
    EXPECT_EQ(CurrentExportFilter(), &filter);
  };
  EXPECT_TRUE(ExportWith(report, filter, file));
  EXPECT_EQ(log, (Texts{"options", "begin document", "begin page", "A@10,20", "line one/13", "line two/7",
                        "end page", "begin page", "B@30,40", "line three/15", "end page", "end document", "after"}));
  EXPECT_EQ(progress, (std::vector<int>{1, 2}));
  EXPECT_EQ(afterName, file);
  EXPECT_EQ(test::ReadFile(file), "page;page;");  // the filter's stream went into the file
  EXPECT_EQ(CurrentExportFilter(), nullptr);
  EXPECT_EQ(filter.Stream, nullptr);
  EXPECT_EQ(EngineState().DocMode, TfrDocMode::Designing);
}

TEST_F(ExportRun, ADeclinedExportMakesNoFile) {
  NumberedPages(1);
  Recorder filter(log);
  filter.OnBeforeExport = [](std::string&, bool& goOn) { goOn = false; };
  EXPECT_FALSE(ExportWith(report, filter, file));
  EXPECT_TRUE(log.empty());
  filter.OnBeforeExport = nullptr;
  filter.optionsResult = 2;
  EXPECT_FALSE(ExportWith(report, filter, file));
  EXPECT_EQ(log, (Texts{"options"}));
  EXPECT_FALSE(std::filesystem::exists(file));
  // A name changed before the export is where the file goes.
  filter.optionsResult = 1;
  filter.OnBeforeExport = [this](std::string& name, bool&) { name = dir.File("renamed.dat"); };
  EXPECT_TRUE(ExportWith(report, filter, file));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::exists(dir.File("renamed.dat")));
}

TEST_F(ExportRun, TheProgressWindowCountsPagesOfTheTotalAndItsCancelStops) {
  NumberedPages(3);
  class Window : public TfrProgressWindow {
   public:
    Window(Texts& log, TfrReport& report) : log_(log), report_(report) {}
    void SetCaption(const std::string& caption) override { log_.push_back("caption " + GbkToUtf8(caption)); }
    void SetLabel(const std::string& label) override { log_.push_back(GbkToUtf8(label)); }
    bool RunModal(const std::function<void()>& job) override {
      job();
      return ok_;
    }
    void Close(bool ok) override { ok_ = ok; }
    void ProcessEvents() override {
      if (log_.back().starts_with("正在处理页: 2")) report_.Cancelled = true;  // cancel pressed on page 2
    }

   private:
    Texts& log_;
    TfrReport& report_;
    bool ok_ = false;
  } window(log, report);
  ProgressWindowScope scope(window);
  report.Title = "考场签到表"_gbk;
  TfrExportFilter plain;
  ExportWith(report, plain, file);
  EXPECT_EQ(log, (Texts{"caption 正在准备报表 - 考场签到表", "正在处理页: 1", "正在处理页: 1 从 3", "正在处理页: 2 从 3"}));
}

TEST_F(ExportRun, AFailingPageEndsTheRunAndRemovesTheEmptyFile) {
  NumberedPages(2);
  class Failing : public TfrExportFilter {
    void EndPage() override { throw Error("disk on fire"); }
  } filter;
  EXPECT_THROW(ExportWith(report, filter, file), Error);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(CurrentExportFilter(), nullptr);
  // The workbook filter lets its matrix go too.
  class FailingWorkbook : public TfrOLEExcelExport {
    void EndPage() override { throw Error("disk on fire"); }
  } workbook;
  workbook.ShowDialog = false;
  EXPECT_THROW(ExportWith(report, workbook, file), Error);
  EXPECT_EQ(workbook.Matrix(), nullptr);
}

TEST(ExcelPageRange, NumbersAndRangesWithBothEnds) {
  using Ranges = std::vector<std::pair<std::int32_t, std::int32_t>>;
  const std::pair<const char*, Ranges> cases[] = {
      {"1,3,5-12", {{1, 1}, {3, 3}, {5, 12}}},
      {" 2 - 4 , 2,5", {{2, 5}}},
      {"7-5", {}},
      {"", {}},
      {"1-2000000000", {{1, 2000000000}}},
  };
  for (const auto& [text, ranges] : cases) EXPECT_EQ(ParseExcelPageRange(text).Ranges, ranges) << text;
  const TfrPageSelection s = ParseExcelPageRange("1,3,5-12");
  for (int page : {1, 3, 5, 8, 12}) EXPECT_TRUE(s.Contains(page)) << page;
  for (int page : {0, 2, 4, 13}) EXPECT_FALSE(s.Contains(page)) << page;
  for (const char* bad : {"5-", "-5", "x", "1,,2", "1-y"}) EXPECT_THROW(ParseExcelPageRange(bad), ConvertError) << bad;
}

TEST_F(ExportRun, TheDialogsFieldsBecomeTheOptionsAndTheSelectedPagesAreStacked) {
  NumberedPages(12);
  TfrOLEExcelExport filter;
  TfrExcelDialogFields shown;
  auto previous = SetExcelOptionsDialog([&shown](TfrExcelDialogFields& f) {
    shown = f;
    f.E_Range = "1,3,5-12";
    f.E_ScaleX = "150";
    f.CB_HQ = false;
    return 1;
  });
  filter.ScaleX = 0.755;
  EXPECT_TRUE(ExportWith(report, filter, file));
  SetExcelOptionsDialog(previous);
  EXPECT_EQ(shown.E_ScaleX, "75");
  EXPECT_EQ(shown.E_ScaleY, "100");
  EXPECT_EQ(shown.E_LMargin, "0");
  EXPECT_DOUBLE_EQ(filter.ScaleX, 1.5);
  EXPECT_FALSE(filter.HighQuality);
  EXPECT_EQ(filter.Matrix(), nullptr);  // released with the export

  json wb = test::ReadWorkbook(file);
  Texts column;
  for (int row = 1; row <= wb["max_row"].get<int>(); ++row) {
    const json& cell = wb["cells"]["A" + std::to_string(row)];
    if (cell.is_object() && cell["value"].is_string()) column.push_back(cell["value"]);
  }
  EXPECT_EQ(column, (Texts{"page 1", "page 3", "page 5", "page 6", "page 7", "page 8", "page 9", "page 10",
                           "page 11", "page 12"}));
  // Each page starts right below the last, with its top gap as a row of
  // its own and nothing for the pages left out.
  EXPECT_EQ(wb["cells"]["A1"]["value"], "page 1");
  EXPECT_EQ(wb["cells"]["A3"]["value"], "page 3");
  EXPECT_EQ(wb["cells"]["A19"]["value"], "page 12");
  // A printing page break after each exported page but the last.
  EXPECT_EQ(wb["row_breaks"], json::array({1, 3, 5, 7, 9, 11, 13, 15, 17}));
}

TEST_F(ExportRun, ANumberThatIsNoneFailsEvenWhenTheDialogIsCancelled) {
  NumberedPages(1);
  TfrOLEExcelExport filter;
  auto previous = SetExcelOptionsDialog([](TfrExcelDialogFields& f) {
    f.E_ScaleY = "1,5";
    f.CB_Merged = false;
    return 2;
  });
  EXPECT_THROW(ExportWith(report, filter, file), ConvertError);
  SetExcelOptionsDialog(previous);
  EXPECT_FALSE(filter.CellsMerged);  // what was read before the failure stays
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(ExportRun, TheWorkbookOpensAfterwardsOnlyWhenAsked) {
  NumberedPages(1);
  std::vector<std::string> opened;
  auto previous = SetDesktopOpener([&opened](const std::string& name) {
    opened.push_back(name);
    return true;
  });
  TfrExcelExportOptions options;
  EXPECT_TRUE(ExportToWorkbook(report, file, options));
  EXPECT_TRUE(opened.empty());
  options.OpenAfterExport = true;
  EXPECT_TRUE(ExportToWorkbook(report, file, options));
  SetDesktopOpener(previous);
  EXPECT_EQ(opened, (Texts{file}));
}

TEST_F(ExportRun, AWorkbookThatCannotBeWrittenIsReportedAndNothingStays) {
  NumberedPages(1);
  const std::string target = dir.File("gone/out.xlsx");
  TfrOLEExcelExport filter;
  filter.ShowDialog = false;
  try {
    ExportWith(report, filter, target);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(e.message().find(target), std::string::npos) << e.message();
  }
  EXPECT_EQ(filter.Matrix(), nullptr);
  // The workbook itself failing: its folder goes away after the pages.
  const std::string sub = dir.File("sub");
  std::filesystem::create_directory(sub);
  class Late : public TfrOLEExcelExport {
   public:
    std::function<void()> beforeFinish;
    void EndDocument() override { beforeFinish(); }
  } late;
  late.ShowDialog = false;
  late.beforeFinish = [&sub] { std::filesystem::remove_all(sub); };
  EXPECT_THROW(ExportWith(report, late, sub + "/out.xlsx"), Error);
  EXPECT_EQ(late.Matrix(), nullptr);
}

TEST_F(ExportRun, AnExportOfNoObjectsWritesAnEmptyWorkbook) {
  NewPage();
  EXPECT_TRUE(ExportToWorkbook(report, file));
  json wb = test::ReadWorkbook(file);
  EXPECT_TRUE(wb["cells"].empty());
}

// A sign-in sheet as the list template prints it: a title over the table,
// a header row, one framed row per candidate, three pages.
TEST_F(ExportRun, ASignInSheetKeepsEveryAdmissionNumberAndNameInItsOwnCell) {
  struct Column {
    const char* title;
    int left, width;
  };
  const Column columns[] = {{"序号", 30, 40}, {"准考证号", 70, 130}, {"姓名", 200, 80},
                            {"身份证号", 280, 170}, {"座位号", 450, 50}, {"签名", 500, 120}};
  const char* surnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄"};
  const char* given[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军"};
  struct Candidate {
    std::string zkzh, xm;
  };
  std::vector<Candidate> candidates;
  int seat = 0;
  for (int page = 0; page < 3; ++page) {
    NewPage();
    Emit("Memo5", 30, 20, 590, 30, {"笔试考场签到表"_gbk});
    Emit("Room", 30, 54, 300, 18, {"考场：010101  地点：第一教学楼101"_gbk});
    for (const Column& c : columns) Emit("Head", c.left, 80, c.width, 22, {Utf8ToGbk(c.title)}, 15);
    for (int row = 0; row < 30; ++row, ++seat) {
      Candidate cand{"1101" + std::to_string(210000 + seat * 7),
                     std::string(surnames[seat % 8]) + given[(seat * 3) % 10]};
      candidates.push_back(cand);
      const int top = 102 + row * 22;
      const std::string texts[] = {std::to_string(seat + 1), cand.zkzh, Utf8ToGbk(cand.xm),
                                   "11010119900101" + std::to_string(1000 + seat), std::to_string(row + 1), ""};
      for (int i = 0; i < 6; ++i)
        Emit("Cell", columns[i].left, top, columns[i].width, 22, texts[i].empty() ? TfrStrings{} : TfrStrings{texts[i]},
             15);
    }
  }
  ASSERT_TRUE(ExportToWorkbook(report, file));
  json wb = test::ReadWorkbook(file);
  // Every candidate's admission number has a cell of its own in column B
  // (the serial number is in A), and the name stands beside it in C.
  std::map<std::string, std::string> cellOf;
  for (const auto& [name, cell] : wb["cells"].items())
    if (cell["value"].is_string()) cellOf[cell["value"]] = name;
  for (const Candidate& c : candidates) {
    ASSERT_TRUE(cellOf.count(c.zkzh)) << c.zkzh;
    const std::string at = cellOf[c.zkzh];
    EXPECT_EQ(at.substr(0, 1), "B") << c.zkzh;
    const std::string row = at.substr(1);
    EXPECT_EQ(wb["cells"]["C" + row]["value"], c.xm) << row;
    EXPECT_EQ(wb["cells"][at]["borders"], "LRTB");
  }
  // The title spans the table as one merged range.
  bool titleMerged = false;
  for (const auto& range : wb["merged"])
    if (range.get<std::string>().starts_with("A1:")) titleMerged = true;
  EXPECT_TRUE(titleMerged) << wb["merged"];
}

}  // namespace
}  // namespace talven
