// The workbook export of a long sign-in report: prepared pages of a title,
// the room line, a header row and 25 framed candidate rows of six columns
// (158 objects a page; 500 pages hold 79,000 objects), through the
// cell-layout matrix into a workbook.
//
// Reported: objects per second of the whole export, the matrix's share
// (walking the pages, adding the objects, Prepare) against writing the
// workbook, the cost of 500 pages against 250 (the baseline in the same
// run: boundaries and overlaps must stay linear, so about 2 and at most
// 2.2), and the peak memory of a whole 500-page export in a child process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "base/text.h"
#include "report/engine/progress.h"
#include "report/export/excel_export.h"
#include "report/export/export_filters.h"
#include "report/export/matrix.h"
#include "report/export/workbook.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"
#include "support/fixture.h"

namespace talven {
namespace {

constexpr int kRowsPerPage = 25;

void Emit(TfrEMFPages& pages, int left, int top, int width, int height, const std::string& text, std::uint16_t frame,
          int align = frtaMiddle) {
  TfrMemoView m;
  m.Left = left, m.Top = top, m.Width = width, m.Height = height;
  if (!text.empty()) m.OutputText = {text};
  m.FrameTyp = frame;
  m.Alignment = align;
  m.Font.Name = "宋体"_gbk;
  WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, m);
}

struct SignInReport {
  explicit SignInReport(int pageCount) {
    StartReportEngine(nullptr);
    TfrPage& page = report.TemplatePages.Add(9, 2100, 2970, -1, 0);
    TfrEMFPages& pages = PreparedPagesOf(report);
    const int lefts[] = {30, 70, 200, 280, 450, 500}, widths[] = {40, 130, 80, 170, 50, 120};
    const char* titles[] = {"序号", "准考证号", "姓名", "身份证号", "座位号", "签名"};
    const std::string names[] = {"王伟"_gbk, "李秀英"_gbk, "张丽"_gbk, "刘军"_gbk, "陈娜"_gbk};
    int seat = 0;
    for (int p = 0; p < pageCount; ++p) {
      pages.AppendPage(page);
      Emit(pages, 30, 20, 590, 30, "笔试考场签到表"_gbk, 0, frtaCenter | frtaMiddle);
      Emit(pages, 30, 54, 300, 18, "考场：" + std::to_string(10101 + p), 0);
      for (int c = 0; c < 6; ++c) Emit(pages, lefts[c], 80, widths[c], 22, Utf8ToGbk(titles[c]), 15);
      for (int r = 0; r < kRowsPerPage; ++r, ++seat) {
        const std::string texts[] = {std::to_string(seat + 1), "1101" + std::to_string(210000 + seat),
                                     names[seat % 5], "110101199001" + std::to_string(100000 + seat),
                                     std::to_string(r + 1), ""};
        for (int c = 0; c < 6; ++c) Emit(pages, lefts[c], 102 + r * 22, widths[c], 22, texts[c], 15);
      }
    }
    objects = pageCount * (8 + 6 * kRowsPerPage);
  }
  TfrReport report;
  int objects = 0;
};

SignInReport& ReportOf(int pages) {
  static std::map<int, std::unique_ptr<SignInReport>> reports;
  auto& r = reports[pages];
  if (!r) r = std::make_unique<SignInReport>(pages);
  return *r;
}

// CPU seconds of this process: the machine is shared, so the summary's
// ratios are taken on CPU time rather than on the wall clock.
double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds per iteration of each benchmark, for the summary.
std::map<std::string, double>& Seconds() {
  static std::map<std::string, double> seconds;
  return seconds;
}

// The matrix half: a filter that only collects, then Prepare.
class MatrixOnly : public TfrExportFilter {
 public:
  void BeginDocument() override {
    matrix = std::make_unique<TfrIEMatrix>();
    matrix->ProgressShown = false;
    matrix->RowLimit = 535.79L;
    matrix->MergeTolerance = 0.5L;
  }
  void ExportObject(std::int32_t, std::int32_t, TfrView& view) override { matrix->AddObject(view); }
  void EndPage() override { matrix->AddPageBreak(); }
  std::unique_ptr<TfrIEMatrix> matrix;
};

std::unique_ptr<TfrIEMatrix> BuildMatrix(SignInReport& r) {
  MatrixOnly filter;
  filter.ShowDialog = false;
  test::TempDir dir;
  ExportWith(r.report, filter, dir.File("pages.bin"));
  filter.matrix->Prepare();
  return std::move(filter.matrix);
}

void BM_Matrix(benchmark::State& state) {
  SignInReport& r = ReportOf(static_cast<int>(state.range(0)));
  const double start = CpuSeconds();
  for (auto _ : state) benchmark::DoNotOptimize(BuildMatrix(r));
  const double s = CpuSeconds() - start;
  Seconds()["matrix/" + std::to_string(state.range(0))] = s / static_cast<double>(state.iterations());
  state.counters["objects"] = r.objects;
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(r.objects), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Matrix)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_Workbook(benchmark::State& state) {
  SignInReport& r = ReportOf(static_cast<int>(state.range(0)));
  test::TempDir dir;
  double total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<TfrIEMatrix> m = BuildMatrix(r);
    state.ResumeTiming();
    const double start = CpuSeconds();
    WriteWorkbook(*m, dir.File("out.xlsx"), {}, {});
    total += CpuSeconds() - start;
  }
  Seconds()["workbook/" + std::to_string(state.range(0))] = total / static_cast<double>(state.iterations());
  state.counters["objects"] = r.objects;
}
BENCHMARK(BM_Workbook)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_WholeExport(benchmark::State& state) {
  SignInReport& r = ReportOf(static_cast<int>(state.range(0)));
  test::TempDir dir;
  const double start = CpuSeconds();
  for (auto _ : state) ExportToWorkbook(r.report, dir.File("out.xlsx"));
  const double s = CpuSeconds() - start;
  Seconds()["whole/" + std::to_string(state.range(0))] = s / static_cast<double>(state.iterations());
  state.counters["objects"] = r.objects;
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(r.objects), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WholeExport)->Arg(250)->Arg(500)->Unit(benchmark::kMillisecond);

// The peak resident memory of one whole 500-page export, made from scratch
// in a child process so that nothing else of this run counts.
void BM_PeakMemory(benchmark::State& state) {
  for (auto _ : state) {
    const pid_t child = fork();
    if (child == 0) {
      SignInReport r(500);
      test::TempDir dir;
      ExportToWorkbook(r.report, dir.File("out.xlsx"));
      _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  }
}
BENCHMARK(BM_PeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

int main(int argc, char** argv) {
  talven::HeadlessProgress quiet(true);
  talven::ProgressWindowScope quietScope(quiet);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto& s = talven::Seconds();
  auto ratio = [&s](const std::string& a, const std::string& b) {
    return s.count(a) && s.count(b) && s[b] > 0 ? s[a] / s[b] : 0.0;
  };
  std::printf("\nCPU time, 500 pages against 250: matrix %.2f x, workbook %.2f x, whole export %.2f x\n",
              ratio("matrix/500", "matrix/250"), ratio("workbook/500", "workbook/250"),
              ratio("whole/500", "whole/250"));
  if (s.count("matrix/500") && s.count("workbook/500"))
    std::printf("500 pages: matrix %.0f%%, workbook %.0f%% of matrix + workbook\n",
                100 * s["matrix/500"] / (s["matrix/500"] + s["workbook/500"]),
                100 * s["workbook/500"] / (s["matrix/500"] + s["workbook/500"]));
  return 0;
}
