// 打印 of a whole test centre of the demo, as talven print runs it: 100
// rooms of 30 candidates (about 2,900 once the empty room, the merged rooms
// and the candidates who left are counted), plain and with photographs in
// seat order, from the database to a finished PDF. Counters: the seconds of
// each step (start-up, collection with arrangement and template, preparation,
// PDF writing, through the print run's file target as talven print writes
// it), the pages and the PDF's size. The baseline is the least any
// printing of these sheets has to do: the centre's candidates read by one
// query through the host connection; the whole run is reported against it.
// End to end with the process start: time talven print --home DIR --out X.pdf.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "data/host_connection.h"
#include "data/paths.h"
#include "host/headless_print.h"
#include "report/engine/progress.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/report_actions.h"
#include "report/print/qt/printing.h"
#include "sheets/sheet_templates.h"
#include "support/fixture.h"

namespace talven {
namespace {

using Clock = std::chrono::steady_clock;

struct Installation {
  Installation() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "bench_print";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
    StartPrinting();
    demo::DemoOptions options = test::DemoSize(dir.path(), 1, 1, 100, 30);
    options.photos = true;
    summary = demo::WriteDemoInstallation(options);
    WriteSheetTemplates(Utf8ToGbk(dir.path()));
    SetHostExeDir(Utf8ToGbk(dir.path()));
    connection = HostConnection::Open("sqlite:" + summary.databasePath);
  }
  std::unique_ptr<QGuiApplication> app;
  test::TempDir dir;
  demo::DemoSummary summary;
  std::unique_ptr<HostConnection> connection;
};

Installation& TheInstallation() {
  static Installation installation;
  return installation;
}

// The centre's candidates by one query: the median of seven runs, seconds.
double BaselineSeconds(Installation& it) {
  static const double seconds = [&] {
    std::vector<double> runs;
    for (int i = 0; i < 7; ++i) {
      const Clock::time_point start = Clock::now();
      QueryResult result = it.connection->Run(
          "select kd,zkzh,bmh,xm,sfzh,jb,kch,wzh from v_ksxx where kd=? and blcjzl<>'1' order by kch,zkzh",
          {Variant(it.summary.firstCentre)});
      benchmark::DoNotOptimize(result.RowCount());
      runs.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
  }();
  return seconds;
}

void BM_PrintCentre(benchmark::State& state) {
  Installation& it = TheInstallation();
  HeadlessPrintOptions options;
  options.Photos = state.range(0) != 0;
  const std::string out = it.dir.File(options.Photos ? "photos.pdf" : "sheets.pdf");
  HeadlessProgress quiet(true);
  ProgressWindowScope progressScope(quiet);
  const double baseline = BaselineSeconds(it);
  HeadlessPrintTimes sum;
  double total = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const HeadlessPrintTimes t = PrintHeadless(it.connection.get(), options, [&](TfrReport& report) {
      TfrPrintTarget target;
      target.PdfFile = out;
      PrintReportTo(report, TfrPrintChoice{}, target);
    });
    sum.StartUp += t.StartUp;
    sum.Collection += t.Collection;
    sum.Preparation += t.Preparation;
    sum.Output += t.Output;
    sum.Candidates = t.Candidates;
    sum.Pages = t.Pages;
    total += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["startup_s"] = sum.StartUp / n;
  state.counters["collection_s"] = sum.Collection / n;
  state.counters["preparation_s"] = sum.Preparation / n;
  state.counters["output_s"] = sum.Output / n;
  state.counters["candidates"] = sum.Candidates;
  state.counters["pages"] = sum.Pages;
  state.counters["baseline_s"] = baseline;
  state.counters["x_baseline"] = total / n / baseline;
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(out));
}
BENCHMARK(BM_PrintCentre)->Arg(0)->Arg(1)->ArgName("photos")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
