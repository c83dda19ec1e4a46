// The system's printers on a real CUPS scheduler: run by cups_gtest.sh
// against the private scheduler of private_cups.sh (queue "talven-test",
// fixtures/queue.ppd: A4, A5 and Letter, 12-point margins, 300 dpi, the
// sources "Tray 1" and "Manual"); skipped without it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPageSetupDialog>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/pages/prepared_pages.h"
#include "report/print/print_run.h"
#include "report/print/printer.h"
#include "report/print/qt/printing.h"
#include "report/print/qt/qt_printer_system.h"
#include "report/print/qt/test_app.h"
#include "support/fixture.h"

namespace talven {
namespace {

class CupsSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("CUPS_OUT") == nullptr) GTEST_SKIP() << "needs the private CUPS scheduler (cups_gtest.sh)";
    TestApp();
    system = &StartPrinting();
    EngineState().Reset();
  }
  void TearDown() override {
    if (system != nullptr) StartReportEngine(nullptr);
  }

  // The info files of the jobs that came out, waiting for n of them.
  static std::vector<std::string> JobInfos(std::size_t n) {
    const std::filesystem::path out = std::getenv("CUPS_OUT");
    std::vector<std::string> infos;
    for (int wait = 0; wait < 150; ++wait) {
      infos.clear();
      for (const auto& entry : std::filesystem::directory_iterator(out))
        if (entry.path().extension() == ".pdf") {
          auto info = entry.path();
          infos.push_back(test::ReadFile(info.replace_extension(".info").string()));
        }
      if (infos.size() >= n) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return infos;
  }

  QtPrinterSystem* system = nullptr;
};

TEST_F(CupsSystemTest, ThePrinterAnswersWithItsPapersBinsAndPrintableArea) {
  TfrPrinter& printer = Printer();
  ASSERT_EQ(printer.PrinterNames(), (std::vector<std::string>{"talven-test", VirtualPrinterName()}));
  EXPECT_EQ(printer.PrinterIndex(), 0);
  EXPECT_EQ(printer.PaperCodes(), (std::vector<int>{9, 11, 1}));
  EXPECT_EQ(printer.BinCodes(), (std::vector<int>{-1, 257, 4}));
  EXPECT_EQ(printer.BinNames()[1], "Tray 1");
  EXPECT_EQ(printer.CurPaperCode(), 9);
  // The driver's A4 is 595 × 842 points.
  EXPECT_EQ(printer.CurPaperWidth(), 2099);
  EXPECT_EQ(printer.CurPaperHeight(), 2970);
  EXPECT_EQ(EngineDefaultPaperCode(), 9);

  // 300 dpi, 12 points (50 pixels) of margin on every side.
  TfrPrinterMetrics m;
  printer.FillMetrics(m);
  EXPECT_EQ(m.PaperWidthDev, 2479);
  EXPECT_EQ(m.PaperHeightDev, 3508);
  EXPECT_EQ(m.OffsetXDev, 50);
  EXPECT_EQ(m.OffsetYDev, 50);
  EXPECT_EQ(m.PrintWidthDev, 2379);
  EXPECT_EQ(m.PrintHeightDev, 3408);
  EXPECT_EQ(m.PaperWidthUnits, 757);  // round(2479 × 91.63 / 300)
  EXPECT_EQ(m.OffsetXUnits, 15);
}

TEST_F(CupsSystemTest, PapersOrientationAndCustomSizesReachTheDevice) {
  TfrPrinter& printer = Printer();
  printer.SetPaper(11, 0, 0, -1, 1, true);
  EXPECT_EQ(printer.CurPaperCode(), 11);
  EXPECT_EQ(printer.CurOrientation(), 1);
  EXPECT_EQ(printer.CurPaperWidth(), 2099);  // A5 lying, 595 × 420 points
  EXPECT_EQ(printer.CurPaperHeight(), 1482);
  EXPECT_TRUE(printer.PaperMatches(11, 0, 0, -1, 1));

  printer.SetPaper(kCustomPaper, 1000, 1500, -1, 0, true);
  EXPECT_EQ(printer.CurPaperCode(), kCustomPaper);
  EXPECT_EQ(printer.CurPaperWidth(), 1000);
  EXPECT_EQ(printer.CurPaperHeight(), 1500);
  EXPECT_TRUE(printer.PaperMatches(kCustomPaper, 1001, 1499, -1, 0));
  TfrPrinterMetrics m;
  printer.FillMetrics(m);
  EXPECT_EQ(m.PaperWidthDev, 1181);
  EXPECT_EQ(m.PrintWidthDev, m.PaperWidthDev - 2 * m.OffsetXDev);
}

TEST_F(CupsSystemTest, AJobTakesItsTitleAndPaperSource) {
  TfrReport report;
  report.ShowProgress = false;
  report.Title = "考场 1"_gbk;
  TfrPage& page = report.TemplatePages.Add(9, 0, 0, 4, 0);  // the manual feed
  TfrEMFPages& pages = PreparedPagesOf(report);
  pages.AppendPage(page);
  pages.PageAt(0).SheetBin = 4;
  TfrMemoView memo;
  memo.Width = 200;
  memo.Height = 30;
  memo.OutputText = {"PAGE1"};
  WritePreparedObject(pages.PageAt(0).ObjectStream, memo);
  PrintPrepared(report, "", 1, oeAll, true);

  const std::vector<std::string> infos = JobInfos(1);
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_NE(infos[0].find("title=考场 1"), std::string::npos) << infos[0];
  EXPECT_NE(infos[0].find("media-source=manual"), std::string::npos) << infos[0];
}

TEST_F(CupsSystemTest, PageSetupGivesTheTemplatePagesItsMarginsAndPaper) {
  TfrReport report;
  TfrPage& page = report.TemplatePages.Add(9, 0, 0, -1, 0);
  TfrPage& dialogPage = report.TemplatePages.Add(9, 0, 0, -1, 0);
  dialogPage.Type = ptDialog;
  TfrEMFPages& pages = PreparedPagesOf(report);
  pages.AppendPage(page);
  pages.PageAt(0).Margins = {36, 72, 18, 36};  // 10, 20, 5 and 10 mm

  // OK in the dialog as it opens: the margins go out and come back.
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QPageSetupDialog*>(w)) d->accept();
  });
  ASSERT_TRUE(ShowPageSetup(report));
  EXPECT_EQ(page.LeftMargin, 36);
  EXPECT_EQ(page.TopMargin, 72);
  EXPECT_EQ(page.RightMargin, 18);
  EXPECT_EQ(page.BottomMargin, 36);
  EXPECT_EQ(page.Size, 9);
  EXPECT_EQ(dialogPage.LeftMargin, 0);
  // The printer keeps its own printable area; the margins are the pages'.
  TfrPrinterMetrics m;
  Printer().FillMetrics(m);
  EXPECT_EQ(m.OffsetXDev, 50);
}

}  // namespace
}  // namespace talven
