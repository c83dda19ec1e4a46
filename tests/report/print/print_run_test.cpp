// The print run and SwitchPrinter on a recording printing system: which
// pages reach which job in which order, with what copies, where they are
// drawn, and what happens on cancel and on failure.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/pages/prepared_pages.h"
#include "report/engine/progress.h"
#include "report/print/print_run.h"
#include "report/print/printer.h"
#include "report/print/numbered_pages.h"
#include "report/print/recording_printer.h"
#include "report/render/memo_layout.h"

namespace talven {
namespace {

using Jobs = std::vector<std::vector<std::string>>;

class PrintRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetScratchMetrics(&metrics);
    StartReportEngine(&system);
    EngineState().Reset();
    report.ShowProgress = false;
  }
  void TearDown() override {
    StartReportEngine(nullptr);
    SetScratchMetrics(nullptr);
  }

  // Prepared pages "P1" … "Pn", each with its number in a filled memo at
  // its top-left corner; landscape for the numbers given.
  void Prepare(int count, const std::vector<int>& landscape = {}) {
    AppendNumberedPages(report, count, landscape, [](TfrMemoView& memo, int n) {
      memo.Width = 200;
      memo.Height = 30;
      memo.FillColor = 0x00FF00;
      memo.OutputText = {"P" + std::to_string(n)};
    });
  }

  Jobs Print(const std::string& list, int copies = 1, int oddEven = oeAll, bool collate = true) {
    PrintPrepared(report, list, copies, oddEven, collate);
    return system.Printed();
  }

  static std::vector<std::string> Numbered(std::initializer_list<int> numbers) {
    std::vector<std::string> out;
    for (int n : numbers) out.push_back("P" + std::to_string(n));
    return out;
  }

  FixedTextMetrics metrics;
  RecordingPrinterSystem system{metrics};
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
};

TEST_F(PrintRunTest, PageListsSelectPagesInOrder) {
  struct Case {
    const char* list;
    int count;
    std::vector<std::string> printed;
  };
  const Case cases[] = {
      {"", 3, Numbered({1, 2, 3})},
      {"1,3,5-12", 20, Numbered({1, 3, 5, 6, 7, 8, 9, 10, 11, 12})},
      {"8-", 10, Numbered({8, 9, 10})},
      {" 2 , 4 - 5 ", 10, Numbered({2, 4, 5})},
      {"3,1", 3, Numbered({1, 3})},  // pages come in their own order
      {"0,11", 10, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    pages.Clear();
    system.jobs.clear();
    Prepare(c.count);
    const Jobs jobs = Print(c.list);
    // Nothing selected: no job at all, rather than a blank sheet.
    if (c.printed.empty()) EXPECT_TRUE(system.jobs.empty());
    else EXPECT_EQ(jobs, Jobs{c.printed});
  }
}

TEST_F(PrintRunTest, ARangeRunningBackwardsPrintsNothing) {
  Prepare(10);
  EXPECT_TRUE(Print("7-5").empty());
  EXPECT_TRUE(system.jobs.empty());
}

TEST_F(PrintRunTest, AListItemThatIsNoNumberPrintsNothing) {
  Prepare(5);
  for (const char* list : {"-3", "1,x", "2-a"}) {
    SCOPED_TRACE(list);
    try {
      Print(list);
      ADD_FAILURE() << "printed";
    } catch (const ConvertError& e) {
      EXPECT_NE(e.message().find("is not a valid integer value"), std::string::npos);
    }
    EXPECT_TRUE(system.jobs.empty());
  }
}

TEST_F(PrintRunTest, CollatedCopiesRepeatTheSequenceUncollatedOnesAreThePrinters) {
  Prepare(3);
  EXPECT_EQ(Print("", 3, oeAll, true), Jobs{Numbered({1, 2, 3, 1, 2, 3, 1, 2, 3})});
  EXPECT_EQ(system.jobs[0].Copies, 1);

  system.jobs.clear();
  EXPECT_EQ(Print("", 3, oeAll, false), Jobs{Numbered({1, 2, 3})});
  EXPECT_EQ(system.jobs[0].Copies, 3);

  // A printer that makes no copies gets each page as often, in a row.
  system.jobs.clear();
  system.makesCopies = false;
  EXPECT_EQ(Print("", 2, oeAll, false), Jobs{Numbered({1, 1, 2, 2, 3, 3})});

  // Copies below one print once.
  system.jobs.clear();
  system.makesCopies = true;
  EXPECT_EQ(Print("", 0, oeAll, true), Jobs{Numbered({1, 2, 3})});
}

TEST_F(PrintRunTest, OddAndEvenPagesOfTheSelection) {
  Prepare(6);
  EXPECT_EQ(Print("2-5", 1, oeOdd), Jobs{Numbered({3, 5})});
  system.jobs.clear();
  EXPECT_EQ(Print("", 1, oeEven), Jobs{Numbered({2, 4, 6})});
}

TEST_F(PrintRunTest, APaperChangeStartsANewJob) {
  Prepare(4, {3});
  report.Title = "签到表"_gbk;
  const Jobs jobs = Print("");
  EXPECT_EQ(jobs, (Jobs{Numbered({1, 2}), Numbered({3}), Numbered({4})}));
  ASSERT_EQ(system.jobs.size(), 3u);
  EXPECT_TRUE(system.jobs[0].Settings.Portrait);
  EXPECT_FALSE(system.jobs[1].Settings.Portrait);
  EXPECT_TRUE(system.jobs[2].Settings.Portrait);
  for (const auto& job : system.jobs) EXPECT_EQ(job.Title, "签到表"_gbk);

  // Collated copies split the same way on every pass.
  system.jobs.clear();
  EXPECT_EQ(Print("3-4", 2), (Jobs{Numbered({3}), Numbered({4}), Numbered({3}), Numbered({4})}));
}

TEST_F(PrintRunTest, PagesAreDrawnIntoTheSheetOrThePrintableAreaAndReleased) {
  Prepare(2);
  TfrPreparedPage& fitted = pages.PageAt(1);
  fitted.KeepMargins = false;
  fitted.Margins = {36, 18, 0, 0};
  Print("");
  ASSERT_EQ(system.jobs.size(), 1u);

  const TfrPrinterMetrics& m = pages.PageAt(0).Metrics;
  EXPECT_EQ(m.PaperWidthDev, 2100 * 300 / 254);
  EXPECT_EQ(m.OffsetXDev, 50);
  EXPECT_EQ(PrinterTargetRect(pages.PageAt(0)), (TfrRect{-50, -50, m.PaperWidthDev - 50, m.PaperHeightDev - 50}));
  // 36 units of margin at PrintWidthDev / PrintWidthUnits pixels a unit.
  const int left = RoundHalfEven(36.0 * m.PrintWidthDev / m.PrintWidthUnits);
  const int top = RoundHalfEven(18.0 * m.PrintHeightDev / m.PrintHeightUnits);
  EXPECT_EQ(PrinterTargetRect(fitted), (TfrRect{left, top, m.PrintWidthDev, m.PrintHeightDev}));

  // The memo at the page's top-left corner lands at the sheet's corner on
  // the first page and at the margins' corner on the second.
  const auto fills = [&](int sheet) { return system.jobs[0].Sheets[static_cast<std::size_t>(sheet)]->Fills(); };
  ASSERT_FALSE(fills(0).empty());
  EXPECT_EQ(fills(0)[0].Rect.Left, -50);
  EXPECT_EQ(fills(0)[0].Rect.Top, -50);
  ASSERT_FALSE(fills(1).empty());
  EXPECT_EQ(fills(1)[0].Rect.Left, left);
  EXPECT_EQ(fills(1)[0].Rect.Top, top);

  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(pages.PageAt(i).InView);
    EXPECT_FALSE(pages.PageAt(i).LoadedPage);
  }
  EXPECT_EQ(PrinterCanvas(), nullptr);
}

TEST_F(PrintRunTest, TheJobIsTitledAndAnnouncedBeforeItBegins) {
  Prepare(1);
  int announced = 0;
  report.OnPrintReport = [&] {
    ++announced;
    EXPECT_TRUE(system.jobs.empty());
  };
  Print("");
  EXPECT_EQ(announced, 1);
  EXPECT_EQ(system.jobs[0].Title, "Untitled");
}

// A progress window that records what it shows and can press its cancel
// button at a page.
class RecordingProgress : public TfrProgressWindow {
 public:
  explicit RecordingProgress(TfrReport& report) : report_(report) {}
  void SetCaption(const std::string& c) override { caption = c; }
  void SetLabel(const std::string& l) override {
    labels.push_back(l);
    if (l == cancelAt) report_.Cancelled = true;
  }
  bool RunModal(const std::function<void()>& job) override {
    ++shown;
    job();
    return ok;
  }
  void Close(bool result) override { ok = result; }
  void ProcessEvents() override { ++processed; }

  std::string caption, cancelAt;
  std::vector<std::string> labels;
  int shown = 0, processed = 0;
  bool ok = true;

 private:
  TfrReport& report_;
};

TEST_F(PrintRunTest, ProgressShowsEachPageAndCancelDropsTheJobAfterThePage) {
  Prepare(4);
  report.ShowProgress = true;
  report.Title = "考场"_gbk;
  RecordingProgress window(report);
  window.cancelAt = "正在打印页: 2"_gbk;
  SetProgressWindow(&window);
  PrintPrepared(report, "", 1, oeAll, true);
  SetProgressWindow(nullptr);

  EXPECT_EQ(window.shown, 1);
  EXPECT_FALSE(window.ok);
  EXPECT_EQ(window.caption, "正在准备报表 - 考场"_gbk);
  EXPECT_EQ(window.labels, (std::vector<std::string>{"正在打印页:"_gbk, "正在打印页: 1"_gbk, "正在打印页: 2"_gbk}));
  EXPECT_EQ(window.processed, 2);
  ASSERT_EQ(system.jobs.size(), 1u);
  EXPECT_TRUE(system.jobs[0].Aborted);
  EXPECT_EQ(system.jobs[0].Sheets.size(), 2u);
  EXPECT_FALSE(system.printing);
}

TEST_F(PrintRunTest, OnProgressTakesThePageNumbersInsteadOfTheWindow) {
  Prepare(3);
  report.ShowProgress = true;
  RecordingProgress window(report);
  SetProgressWindow(&window);
  std::vector<int> numbers;
  report.OnProgress = [&](int n) { numbers.push_back(n); };
  Print("2-3");
  SetProgressWindow(nullptr);
  EXPECT_EQ(window.shown, 0);
  EXPECT_EQ(numbers, (std::vector<int>{2, 3}));
}

TEST_F(PrintRunTest, AFailureInsideTheWindowComesOutAndFreesThePrinter) {
  Prepare(2);
  report.ShowProgress = true;
  RecordingProgress window(report);
  SetProgressWindow(&window);
  // The second page is damaged: it fails while the job is open.
  pages.PageAt(1).ObjectStream.Clear();
  pages.PageAt(1).ObjectStream.WriteU8(kPreparedVersion);
  pages.PageAt(1).ObjectStream.WriteU8(200);  // no such object type
  EXPECT_THROW(PrintPrepared(report, "", 1, oeAll, true), Error);
  SetProgressWindow(nullptr);
  EXPECT_FALSE(window.ok);
  EXPECT_FALSE(system.printing);
  EXPECT_EQ(PrinterCanvas(), nullptr);
  EXPECT_TRUE(system.jobs.back().Aborted);
}

TEST_F(PrintRunTest, TheVirtualPrinterCannotPrint) {
  StartReportEngine(nullptr);
  Prepare(1);
  EXPECT_THROW(Print(""), Error);
}

TEST_F(PrintRunTest, SwitchPrinterTakesTheNewPrintersPaperOrRollsBack) {
  TfrPage& page = report.TemplatePages.Add(11, 0, 0, -1, 0);
  RecordingUi ui;
  UiScope scope(ui);

  system.settings.PaperCode = 9;  // the other printer is on A4
  EXPECT_TRUE(SwitchPrinter(report, 0, 1));
  EXPECT_EQ(Printer().PrinterIndex(), 1);
  EXPECT_EQ(report.PrinterName, "Label");
  EXPECT_EQ(system.settings.PaperCode, 11);  // the page's paper went to the new printer
  EXPECT_EQ(page.PaperWidth, 1480);
  EXPECT_TRUE(ui.boxes.empty());

  system.names.push_back("Broken");
  Printer().Attach(&system);
  system.unreadablePrinter = 2;
  EXPECT_FALSE(SwitchPrinter(report, 1, 2));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "所选打印机错误"_gbk);
  EXPECT_EQ(ui.boxes[0].caption, "错误"_gbk);
  EXPECT_EQ(ui.boxes[0].flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(Printer().PrinterIndex(), 1);
  EXPECT_EQ(report.PrinterName, "Label");
  EXPECT_EQ(page.Size, 11);
  EXPECT_EQ(page.PaperWidth, 1480);
}

}  // namespace
}  // namespace talven
