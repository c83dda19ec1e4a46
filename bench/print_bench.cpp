// The print run's overhead: a 500-page sign-in report (a title, a header
// row and 30 rows of six framed cells a page, Chinese text in the Song face)
// printed into a PDF file through the print run (page list, copies, paper
// checks, the PDF printer's jobs, metrics, releasing every page), against
// the same pages drawn straight into a PDF document with DrawPage. Counter:
// pages per second; the run's overhead is the ratio of the two rates.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"
#include "report/print/qt/pdf_file_printer.h"
#include "report/print/qt/printing.h"
#include "report/render/cairo/pdf_document.h"

namespace talven {
namespace {

// 500 pages; BENCH_PRINT_PAGES sets another count (for instruction counts
// under callgrind, say).
const int kPages = std::getenv("BENCH_PRINT_PAGES") != nullptr ? std::atoi(std::getenv("BENCH_PRINT_PAGES")) : 500;

TfrMemoView Cell(int left, int top, int width, int height, const std::string& text, int size = 10) {
  TfrMemoView m;
  m.Name = "Memo1";
  m.Left = left;
  m.Top = top;
  m.Width = width;
  m.Height = height;
  m.Font.Name = "宋体"_gbk;
  m.Font.Size = size;
  m.FrameTyp = 15;
  m.Alignment = 10;
  m.OutputText = {text};
  return m;
}

// The prepared sign-in report, built once.
TfrReport& SignInReport() {
  static TfrReport* report = [] {
    auto* r = new TfrReport;
    r->ShowProgress = false;
    TfrPage& page = r->TemplatePages.Add(9, 0, 0, -1, 0);
    TfrEMFPages& pages = PreparedPagesOf(*r);
    const char* heads[] = {"准考证号", "姓名", "身份证号", "座位号", "考场", "签名"};
    const int widths[] = {130, 90, 170, 60, 90, 150};
    for (int p = 0; p < kPages; ++p) {
      pages.AppendPage(page);
      TfrStream& s = pages.PageAt(p).ObjectStream;
      TfrMemoView title = Cell(40, 30, 690, 40, Utf8ToGbk("笔试考场签到表 第" + std::to_string(p + 1) + "页"), 18);
      WritePreparedObject(s, title);
      for (int row = 0; row < 31; ++row) {
        int left = 40;
        for (int col = 0; col < 6; ++col) {
          std::string text = row == 0 ? Utf8ToGbk(heads[col])
                                      : col == 0 ? "1101" + std::to_string(100000 + p * 30 + row)
                                      : col == 1 ? Utf8ToGbk("考生姓名")
                                      : col == 2 ? "11010819900101" + std::to_string(1000 + row)
                                      : col == 3 ? std::to_string(row)
                                      : col == 4 ? Utf8ToGbk("第") + std::to_string(p + 1) + Utf8ToGbk("考场")
                                                 : std::string();
          TfrMemoView cell = Cell(left, 80 + row * 30, widths[col], 30, text);
          WritePreparedObject(s, cell);
          left += widths[col];
        }
      }
    }
    return r;
  }();
  return *report;
}

std::string OutFile(const char* name) {
  return std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") + "/talven-bench-" +
         std::to_string(getpid()) + "-" + name + ".pdf";
}

void BM_PrintRunToPdf(benchmark::State& state) {
  TfrReport& report = SignInReport();
  const std::string file = OutFile("run");
  for (auto _ : state) {
    const TfrPdfJobs jobs = PrintReportTo(report, TfrPrintChoice{}, {"", file});
    if (jobs.size() != 1 || jobs[0].Sheets != kPages) state.SkipWithError("pages missing");
  }
  std::remove(file.c_str());
  state.counters["pages_per_s"] =
      benchmark::Counter(static_cast<double>(kPages) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintRunToPdf)->Unit(benchmark::kMillisecond)->MinTime(5);

void BM_DrawStraightToPdf(benchmark::State& state) {
  TfrReport& report = SignInReport();
  TfrEMFPages& pages = PreparedPagesOf(report);
  const std::string file = OutFile("straight");
  for (auto _ : state) {
    PdfDocument pdf(file, "Untitled");
    for (int i = 0; i < pages.PageCount(); ++i) {
      Canvas& canvas = pdf.BeginPage(TenthsToPoints(2100), TenthsToPoints(2970));
      TfrPreparedPage& p = pages.PageAt(i);
      p.InView = true;
      pages.DrawPage(i, canvas, pdf.PageRect());
      p.InView = false;
      pages.DrawPage(i, canvas, TfrRect{});
      pdf.EndPage();
    }
    pdf.Finish();
  }
  std::remove(file.c_str());
  state.counters["pages_per_s"] =
      benchmark::Counter(static_cast<double>(kPages) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawStraightToPdf)->Unit(benchmark::kMillisecond)->MinTime(5);

}  // namespace
}  // namespace talven

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  char name[] = "bench_print_run";
  char* qtArgv[] = {name, nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  talven::StartReportEngine(nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
