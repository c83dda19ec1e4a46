// The preview against its targets, on a 1,000-page report of sign-in sheets
// (30 ruled rows of candidates a page, 189 objects), in a page area of a
// full-HD screen (1900 × 1000 pixels), off screen:
// - a repaint of the page area within a display frame (16 ms), at 100 % (two
//   pages a row) and at page width; once with the pages in view already
//   loaded, and once scrolling to the next page, which loads the pages that
//   come into view;
// - a search through all 1,000 pages for a text on the last one: within a
//   second;
// - memory that does not grow with the pages scrolled past: the pages that
//   hold objects, and the resident memory, after scrolling through the
//   whole report.
// Baselines measured in the same process: the same visible pages drawn
// straight onto a picture through the Qt canvas (what any preview has to
// do), and, for the search, rebuilding every page's objects from its stream
// without drawing them.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ctime>
#include <map>
#include <memory>
#include <string>

#include "base/text.h"
#include "qtui/qt_ui.h"
#include "report/preview/preview_form.h"
#include "report/preview/signin_pages.h"
#include "report/print/printer.h"
#include "report/render/qt/qt_canvas.h"

namespace talven {
namespace {

constexpr int kPages = 1000;
constexpr int kAreaWidth = 1900, kAreaHeight = 1000;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_preview";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    auto* a = new QApplication(argc, argv);
    InstallFontSubstitutions();
    StartReportEngine();
    return a;
  }();
  return *app;
}

// The report and a preview on it, made once.
struct Preview {
  Preview() {
    signin::AppendPages(report, PreparedPagesOf(report), kPages);
    form.Connect(report);
    form.show();
    QApplication::processEvents();
    form.resize(form.width() - form.AreaWidth() + kAreaWidth, form.height() - form.AreaHeight() + kAreaHeight);
    QApplication::processEvents();
  }
  bool started = (App(), true);
  TfrReport report;
  TfrPreviewForm form;
};

Preview& Shared() {
  static Preview* preview = new Preview;
  return *preview;
}

void Zoom(Preview& p, int tag) {
  p.form.ChooseZoom(tag);
  p.form.ShowPage(kPages / 2);
}

int LoadedPages(const TfrEMFPages& pages) {
  int n = 0;
  for (int i = 0; i < pages.PageCount(); ++i) n += pages.PageAt(i).LoadedPage != nullptr;
  return n;
}

// Processor time of this thread, in milliseconds: the machine may be busy
// with others, so ratios are taken of what this process spent.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The baselines' milliseconds per iteration, by name, for the ratios.
std::map<std::string, double>& Baselines() {
  static std::map<std::string, double> baselines;
  return baselines;
}

void Report(benchmark::State& state, double startMs, const std::string& baseline, bool isBaseline) {
  const double ms = (CpuMs() - startMs) / static_cast<double>(state.iterations());
  state.counters["cpu ms"] = ms;
  if (isBaseline) Baselines()[baseline] = ms;
  else if (Baselines().count(baseline) != 0) state.counters["x baseline"] = ms / Baselines()[baseline];
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * 4;
}

// Baseline: the pages the preview shows, drawn straight onto a picture of
// the area at their places (their objects loaded, as in a repaint).
void BM_BaselineDrawVisible(benchmark::State& state) {
  Preview& p = Shared();
  Zoom(p, static_cast<int>(state.range(0)));
  QImage image(p.form.PBox->size(), QImage::Format_RGB32);
  p.form.PBox->render(&image);
  TfrEMFPages& pages = *p.form.Pages();
  const int dy = -p.form.VScrollBar->value(), dx = -p.form.HScrollBar->value();
  const double start = CpuMs();
  for (auto _ : state) {
    image.fill(Qt::gray);
    QPainter painter(&image);
    QtCanvas canvas(painter, ProductionMetrics(), 96);
    canvas.SetClipRect(TfrRect{0, 0, image.width(), image.height()});
    for (int i = 0; i < pages.PageCount(); ++i) {
      TfrPreparedPage& page = pages.PageAt(i);
      if (!page.InView) continue;
      const TfrRect& r = page.LayoutRect;
      pages.DrawPage(i, canvas, TfrRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy});
    }
    benchmark::DoNotOptimize(image.constBits());
  }
  Report(state, start, "draw " + std::to_string(state.range(0)), true);
}
// Zoom tags: 100 %, and 1: page width.
BENCHMARK(BM_BaselineDrawVisible)->Arg(100)->Arg(1)->Unit(benchmark::kMillisecond);

// A repaint of the whole page area; with `scroll`, each one a page further,
// so that the pages coming into view are loaded.
void BM_Repaint(benchmark::State& state) {
  Preview& p = Shared();
  Zoom(p, static_cast<int>(state.range(0)));
  const bool scroll = state.range(1) != 0;
  QImage image(p.form.PBox->size(), QImage::Format_RGB32);
  int page = kPages / 2;
  p.form.PBox->render(&image);
  const double start = CpuMs();
  for (auto _ : state) {
    if (scroll) {
      if (++page > kPages - 2) page = 10;
      p.form.ShowPage(page);
    }
    p.form.PBox->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  Report(state, start, "draw " + std::to_string(state.range(0)), false);
  state.counters["loaded pages"] = LoadedPages(*p.form.Pages());
  state.SetLabel(QString::number(p.form.ZoomFactor() * 100, 'f', 0).toStdString() + "%" +
                 (scroll ? ", a page further each" : ", pages loaded"));
}
BENCHMARK(BM_Repaint)->Args({100, 0})->Args({100, 1})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

// Baseline: every page's objects rebuilt from its stream and let go.
void BM_BaselineMaterializeAll(benchmark::State& state) {
  Preview& p = Shared();
  TfrEMFPages& pages = *p.form.Pages();
  const double start = CpuMs();
  for (auto _ : state) {
    for (int i = 0; i < pages.PageCount(); ++i) {
      pages.MaterializePage(i);
      pages.PageAt(i).LoadedPage.reset();
    }
  }
  Report(state, start, "materialize", true);
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BaselineMaterializeAll)->Unit(benchmark::kMillisecond)->Iterations(5);

// The search from the first page for the footer of the last one.
void BM_SearchLastPage(benchmark::State& state) {
  Preview& p = Shared();
  const std::string text = "第 1000 页 共 1000 页"_gbk;
  const double start = CpuMs();
  for (auto _ : state) {
    p.form.StartFind(text, false, true);
    if (!p.form.Search().Found || p.form.Search().FoundPage != kPages - 1) state.SkipWithError("not found");
  }
  Report(state, start, "materialize", false);
  state.counters["loaded pages"] = LoadedPages(*p.form.Pages());
  state.counters["pages/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPages, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SearchLastPage)->Unit(benchmark::kMillisecond)->Iterations(5);

// Scrolling through the whole report, a screen at a time: what stays
// loaded, and what the process holds, before and after.
void BM_ScrollThrough(benchmark::State& state) {
  Preview& p = Shared();
  Zoom(p, 100);
  QImage image(p.form.PBox->size(), QImage::Format_RGB32);
  long before = 0, after = 0;
  int most = 0;
  for (auto _ : state) {
    p.form.ShowPage(1);
    p.form.PBox->render(&image);
    before = ResidentKiB();
    for (int page = 1; page <= kPages; page += 2) {
      p.form.ShowPage(page);
      p.form.PBox->render(&image);
      most = std::max(most, LoadedPages(*p.form.Pages()));
    }
    after = ResidentKiB();
  }
  state.counters["most loaded pages"] = most;
  state.counters["resident KiB before"] = static_cast<double>(before);
  state.counters["resident KiB growth"] = static_cast<double>(after - before);
}
BENCHMARK(BM_ScrollThrough)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
