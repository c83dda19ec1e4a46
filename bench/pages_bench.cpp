// Prepared pages of a long run: 1,000 sign-in sheet pages of 150 framed
// memos each (30 candidates of five cells). Reported: the memory a page
// holds (counter bytes_per_page), saving and loading the prepared-report
// file against copying its bytes (the memory bandwidth they should be bound
// by), and pages drawn to PDF and to 150-dpi PNG against drawing them on
// the recording canvas (the engine's own work of rebuilding, laying out and
// placing every text).
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/format.h"
#include "base/text.h"
#include "report/model/memo_view.h"
#include "report/output/prepared_output.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"
#include "report/render/recording_canvas.h"

namespace talven {
namespace {

constexpr int kPages = 1000;
constexpr int kRows = 30;

const char* const kNames[] = {"张伟", "王芳", "李娜", "刘洋", "陈静", "杨磊", "赵敏", "黄强", "周杰", "吴霞"};

// One sign-in sheet page: a row of five framed cells per candidate.
void EmitSheet(TfrStream& page, int pageNo) {
  static const int widths[] = {50, 160, 100, 220, 150};
  TfrMemoView cell;
  cell.FrameTyp = frbLeft | frbTop | frbRight | frbBottom;
  cell.Font = {"宋体"_gbk, 10, 0, clBlack, 134};
  cell.Alignment = frtaCenter | frtaMiddle;
  cell.Height = 28;
  for (int row = 0; row < kRows; ++row) {
    const int seat = pageNo * kRows + row + 1;
    const std::string texts[] = {std::to_string(row + 1), Format("1100140%.6d", {seat}), Utf8ToGbk(kNames[seat % 10]),
                                 Format("1101011990%.8d", {seat}), ""};
    int x = 40;
    for (int col = 0; col < 5; ++col) {
      cell.Name = Format("Memo%d", {row * 5 + col + 1});
      cell.Left = x;
      cell.Top = 90 + row * 28;
      cell.Width = widths[col];
      cell.OutputText = {texts[col]};
      WritePreparedObject(page, cell);
      x += widths[col];
    }
  }
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

struct Run {
  Run() {
    StartReportEngine(nullptr);
    TfrPage& a4 = report.TemplatePages.Add(9, 2100, 2970, -1, 0);
    const std::size_t before = HeapInUse();
    auto made = std::make_unique<TfrEMFPages>(&report);
    for (int i = 0; i < kPages; ++i) {
      made->AppendPage(a4);
      EmitSheet(made->PageAt(i).ObjectStream, i);
    }
    bytesPerPage = static_cast<double>(HeapInUse() - before) / kPages;
    pages = std::move(made);
    TfrStream s;
    pages->SaveToStream(s);
    file = s.TakeBytes();
  }
  TfrReport report;
  std::unique_ptr<TfrEMFPages> pages;
  std::string file;
  double bytesPerPage = 0;
};

Run& TheRun() {
  static Run run;
  return run;
}

// The file's bytes copied into a new buffer: what saving and loading cannot
// do faster.
void BM_CopyBaseline(benchmark::State& state) {
  const std::string& file = TheRun().file;
  for (auto _ : state) {
    std::string copy;
    copy.reserve(file.size());
    copy.append(file);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
  Run& run = TheRun();
  for (auto _ : state) {
    TfrStream s;
    run.pages->SaveToStream(s);
    benchmark::DoNotOptimize(s.Size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * run.file.size()));
  state.counters["bytes_per_page"] = run.bytesPerPage;
  state.counters["file_bytes_per_page"] = static_cast<double>(run.file.size()) / kPages;
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
  Run& run = TheRun();
  TfrReport report;
  TfrEMFPages loaded(&report);
  for (auto _ : state) {
    TfrStream s(run.file);
    loaded.LoadFromStream(s);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * run.file.size()));
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// Pages drawn per iteration of the drawing benchmarks.
constexpr int kDrawn = 50;

void BM_RecordingBaseline(benchmark::State& state) {
  Run& run = TheRun();
  int next = 0;
  for (auto _ : state) {
    for (int k = 0; k < kDrawn; ++k, next = (next + 1) % kPages) {
      RecordingCanvas canvas(ProductionMetrics());
      TfrPreparedPage& p = run.pages->PageAt(next);
      p.InView = true;
      const double factor = 1200 / kReportUnitsPerInch;
      run.pages->DrawPage(next, canvas,
                          TfrRect{0, 0, static_cast<int>(p.Metrics.PaperWidthUnits * factor),
                                  static_cast<int>(p.Metrics.PaperHeightUnits * factor)});
      p.LoadedPage.reset();
      benchmark::DoNotOptimize(canvas.Items().size());
    }
  }
  state.SetItemsProcessed(state.iterations() * kDrawn);
}
BENCHMARK(BM_RecordingBaseline)->Unit(benchmark::kMillisecond);

void BM_Pdf(benchmark::State& state) {
  Run& run = TheRun();
  std::vector<int> indices;
  for (int k = 0; k < kDrawn; ++k) indices.push_back(k);
  const std::string path = "/tmp/talven-bench-pages.pdf";
  for (auto _ : state) WritePreparedPdf(*run.pages, indices, path);
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * kDrawn);
}
BENCHMARK(BM_Pdf)->Unit(benchmark::kMillisecond);

void BM_Png150(benchmark::State& state) {
  Run& run = TheRun();
  const std::string path = "/tmp/talven-bench-pages.png";
  std::vector<std::string> written;
  for (auto _ : state) written = WritePreparedPng(*run.pages, {0, 1, 2, 3, 4}, path, 150);
  for (const std::string& f : written) std::remove(f.c_str());
  state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_Png150)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  char name[] = "bench_pages";
  char* qtArgv[] = {name, nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
