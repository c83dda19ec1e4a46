// PDF files from prepared pages: the cairo canvas (the program's PDF
// output) side by side with Qt's QPdfWriter under the Qt canvas, on the same
// pages in the same process. Two documents: 200 pages of a plain sign-in
// sheet (150 short Chinese cells in ruled boxes a page) and 100 pages of
// photo cards (30 photographs a page, each a different one of the demo
// installation's, written at start into a temporary folder and not timed).
// Counters: pages per second and bytes per page; the ratios (Qt's processor
// time over cairo's, cairo's size over Qt's) are printed after the run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/rounding.h"
#include "base/text.h"
#include "data/demo/demo_db.h"
#include "report/model/graphic.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/printer_adapter.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"
#include "report/render/cairo/pdf_document.h"
#include "report/render/qt/qt_canvas.h"
#include "support/fixture.h"

namespace talven {
namespace {

namespace fs = std::filesystem;

struct Document {
  explicit Document(const std::string& name) : name(name) {
    StartReportEngine(nullptr);
    EngineState().Reset();
  }
  TfrPage& Sheet() {
    if (report.TemplatePages.Count() == 0) report.TemplatePages.Add(9, 2100, 2970, -1, 0);
    return report.TemplatePages[0];
  }
  void NewPage() { pages.AppendPage(Sheet()); }
  void Emit(TfrView& view) { WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, view); }
  void Cell(int left, int top, int width, int height, const std::string& text, int size = 10) {
    TfrMemoView m;
    m.Left = left;
    m.Top = top;
    m.Width = width;
    m.Height = height;
    m.FrameTyp = 15;
    m.Alignment = frtaCenter | frtaMiddle;
    m.Font.Name = "宋体"_gbk;
    m.Font.Size = size;
    m.OutputText = {text};
    Emit(m);
  }

  std::string name;
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
};

const char* const kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
const char* const kNames[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "洋", "艳", "勇", "军"};

std::string Name(int i) {
  return Utf8ToGbk(std::string(kSurnames[i % 10]) + kNames[i % 12] + (i % 3 ? kNames[(i / 7) % 12] : ""));
}

// 30 rows of five cells: seat, admission ticket, name, identity card,
// signature line.
Document& TextDocument() {
  static Document* doc = [] {
    auto* d = new Document("text");
    int candidate = 0;
    for (int page = 0; page < 200; ++page) {
      d->NewPage();
      d->Cell(36, 30, 648, 40, "笔试考场签到表 第"_gbk + std::to_string(page + 1) + "考场"_gbk, 16);
      for (int row = 0; row < 30; ++row, ++candidate) {
        const int top = 90 + row * 30;
        d->Cell(36, top, 60, 30, std::to_string(row + 1));
        d->Cell(96, top, 160, 30, "11" + std::to_string(10100000 + candidate));
        d->Cell(256, top, 120, 30, Name(candidate));
        d->Cell(376, top, 200, 30, "1101051990" + std::to_string(1000 + candidate % 9000) + "21");
        d->Cell(576, top, 108, 30, "签名"_gbk);
      }
    }
    return d;
  }();
  return *doc;
}

// Cards of five columns and six rows: the photograph, the name and the
// admission ticket under it.
Document& PhotoDocument() {
  static Document* doc = [] {
    static test::TempDir dir;
    demo::DemoOptions options;
    options.outDir = dir.path();
    options.provinces = 1;
    options.centresPerCity = 1;
    options.roomsPerCentre = 26;
    const demo::DemoSummary summary = demo::WriteDemoInstallation(options);
    std::vector<std::string> photos;
    for (const auto& entry : fs::recursive_directory_iterator(summary.photoDir))
      if (entry.path().extension() == ".jpg") photos.push_back(test::ReadFile(entry.path().string()));
    auto* d = new Document("photo");
    std::size_t next = 0;
    for (int page = 0; page < 100; ++page) {
      d->NewPage();
      for (int card = 0; card < 30; ++card) {
        const int left = 36 + (card % 5) * 130, top = 40 + (card / 5) * 170;
        TfrPictureView p;
        p.Left = left + 20;
        p.Top = top;
        p.Width = 90;
        p.Height = 120;
        p.FrameTyp = 15;
        p.Picture = TfrGraphic::FromBytes(TfrGraphicKind::Jpeg, photos[next++ % photos.size()]);
        d->Emit(p);
        d->Cell(left, top + 122, 130, 20, Name(page * 30 + card), 9);
        d->Cell(left, top + 142, 130, 20, "11" + std::to_string(10100000 + page * 30 + card), 9);
      }
    }
    return d;
  }();
  return *doc;
}

constexpr double kFactor = PdfDocument::kResolution / kReportUnitsPerInch;

// Draws one page into a sheet of w × h device pixels, its objects released
// after.
void DrawSheet(TfrEMFPages& pages, int index, Canvas& canvas, int w, int h) {
  TfrPreparedPage& p = pages.PageAt(index);
  p.InView = true;
  pages.DrawPage(index, canvas, PageDrawRect(p, TfrRect{0, 0, w, h}, kFactor));
  p.LoadedPage.reset();
}

void WriteCairo(TfrEMFPages& pages, const std::string& path) {
  PdfDocument pdf(path, "bench"_gbk);
  for (int i = 0; i < pages.PageCount(); ++i) {
    const TfrPreparedPage& p = pages.PageAt(i);
    Canvas& canvas = pdf.BeginPage(TenthsToPoints(p.SheetWidth), TenthsToPoints(p.SheetHeight));
    DrawSheet(pages, i, canvas, pdf.PageRect().Right, pdf.PageRect().Bottom);
    pdf.EndPage();
  }
  pdf.Finish();
}

// The comparison: Qt's PDF engine under the Qt canvas, at the same
// resolution.
void WriteQt(TfrEMFPages& pages, const std::string& path) {
  QPdfWriter writer(QString::fromStdString(path));
  writer.setResolution(PdfDocument::kResolution);
  writer.setCreator(QStringLiteral("talven"));
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
  QPainter painter(&writer);
  QtCanvas canvas(painter, ProductionMetrics(), PdfDocument::kResolution);
  const int w = RoundHalfEven(2100 / 254.0 * PdfDocument::kResolution);
  const int h = RoundHalfEven(2970 / 254.0 * PdfDocument::kResolution);
  for (int i = 0; i < pages.PageCount(); ++i) {
    if (i > 0) writer.newPage();
    DrawSheet(pages, i, canvas, w, h);
  }
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

struct Measured {
  double secondsPerDocument = 0;
  double bytesPerPage = 0;
};
std::map<std::string, Measured>& Results() {
  static std::map<std::string, Measured> results;
  return results;
}

void BM_Pdf(benchmark::State& state, Document& (*document)(), bool cairo) {
  Document& doc = document();
  // BENCH_PDF_OUT names a folder that keeps the files to look at.
  static test::TempDir temp;
  const char* keep = std::getenv("BENCH_PDF_OUT");
  const std::string path = (keep ? std::string(keep) : temp.path()) + "/" + doc.name + (cairo ? "-cairo.pdf" : "-qt.pdf");
  // The ratios compare the processor time the process spent: the machine
  // is shared, and both writers run on this one thread.
  double seconds = 0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    if (cairo) WriteCairo(doc.pages, path);
    else WriteQt(doc.pages, path);
    seconds += CpuSeconds() - start;
  }
  const double pages = doc.pages.PageCount();
  const double bytes = static_cast<double>(fs::file_size(path));
  state.counters["pages_per_s"] = benchmark::Counter(pages * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["bytes_per_page"] = bytes / pages;
  Results()[doc.name + (cairo ? "/cairo" : "/qt")] = Measured{seconds / state.iterations(), bytes / pages};
}

BENCHMARK_CAPTURE(BM_Pdf, text_cairo, TextDocument, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pdf, text_qt, TextDocument, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pdf, photo_cairo, PhotoDocument, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Pdf, photo_qt, PhotoDocument, false)->Unit(benchmark::kMillisecond)->UseRealTime();

void PrintRatios() {
  for (const char* doc : {"text", "photo"}) {
    auto c = Results().find(std::string(doc) + "/cairo"), q = Results().find(std::string(doc) + "/qt");
    if (c == Results().end() || q == Results().end()) continue;
    std::printf("%-5s  speed cairo/Qt %.2fx (processor time %.0f vs %.0f ms)   size cairo/Qt %.3f   (%.0f vs %.0f bytes a page)\n",
                doc, q->second.secondsPerDocument / c->second.secondsPerDocument,
                c->second.secondsPerDocument * 1000, q->second.secondsPerDocument * 1000,
                c->second.bytesPerPage / q->second.bytesPerPage, c->second.bytesPerPage, q->second.bytesPerPage);
  }
}

}  // namespace
}  // namespace talven

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  talven::PrintRatios();
  return 0;
}
