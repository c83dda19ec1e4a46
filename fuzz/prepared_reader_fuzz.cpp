// The prepared-report reader on any bytes: loading, reading every page's
// objects and hit testing must end without a crash, a hang or a sanitizer
// report (fuzz_prepared_draw also draws every page). What was read must
// save and read back to the same file, and its text form must build the
// file with every page's objects as they were read.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/error.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/prepared_text_form.h"
#include "report/pages/shell.h"
#include "report/print/printer.h"
#include "report/render/recording_canvas.h"

namespace {

using namespace talven;

std::string Save(TfrEMFPages& pages) {
  TfrStream s;
  pages.SaveToStream(s);
  return s.TakeBytes();
}

// Text measured at one unit a byte, so that runs stay fast.
FixedTextMetrics& Metrics() {
  static FixedTextMetrics metrics;
  return metrics;
}

// The file with every page's objects written again as they were read (a
// page that cannot be read stays as it stands): what the text form must
// give back, since it shows exactly what the objects hold.
std::string Rewritten(const std::string& file) {
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
  TfrStream in(file);
  pages.LoadFromStream(in);
  for (int i = 0; i < pages.PageCount(); ++i) {
    TfrPreparedPage& p = pages.PageAt(i);
    TfrPage page(p.SheetCode, p.SheetWidth, p.SheetHeight, p.SheetBin, p.SheetOrientation);
    try {
      if (ReadPreparedObjects(p.ObjectStream, page) < 0) continue;
    } catch (const Error&) {
      continue;
    }
    TfrStream out;
    out.WriteU8(kPreparedVersion);
    for (const auto& view : page.ObjectList) {
      view->OutputText = view->Memo;
      WritePreparedObject(out, *view);
    }
    p.ObjectStream = std::move(out);
  }
  TfrStream s;
  pages.SaveToStream(s, report.PrinterName);
  return s.TakeBytes();
}

// Every run starts from the same paper, as a fresh engine would.
void ResetPrinter() { Printer().SetPaper(9, 0, 0, -1, 0, true); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool started = [] {
    StartReportEngine(nullptr);
    SetScratchMetrics(&Metrics());
    return true;
  }();
  (void)started;
  RecordingShell shell;
  ShellScope scope(shell);

  ResetPrinter();
  TfrReport report;
  TfrEMFPages& pages = PreparedPagesOf(report);
  TfrStream input(std::string(reinterpret_cast<const char*>(data), size), TfrStream::Origin::File);
  try {
    pages.LoadFromStream(input);
  } catch (const Error&) {
    // A damaged file keeps the pages read before the damage.
  }
  for (int i = 0; i < pages.PageCount(); ++i) {
    TfrPreparedPage& p = pages.PageAt(i);
#ifdef TALVEN_FUZZ_DRAW
    // fuzz_prepared_draw rebuilds and draws every page as the preview draws
    // an opened file, into a rectangle of half the sheet: the drawing of
    // every object class meets any geometry, font and picture a file holds.
    try {
      pages.MaterializePage(i);
    } catch (const Error&) {
    }
    RecordingCanvas canvas(Metrics());
    p.InView = true;
    try {
      pages.DrawPage(i, canvas, TfrRect{10, 10, 10 + p.Metrics.PaperWidthUnits / 2, 10 + p.Metrics.PaperHeightUnits / 2});
    } catch (const Error&) {
    }
#else
    // The page stream's reader: what MaterializePage reads, without the
    // drawing that measures automatic widths.
    auto page = std::make_unique<TfrPage>(p.SheetCode, p.SheetWidth, p.SheetHeight, p.SheetBin, p.SheetOrientation);
    try {
      ReadPreparedObjects(p.ObjectStream, *page);
    } catch (const Error&) {
    }
    p.LoadedPage = std::move(page);
#endif
    std::string hint;
    int cursor = 0;
    try {
      pages.HitTest(i, 20, 20, true, hint, cursor);
      pages.HitTest(i, 20, 20, false, hint, cursor);
    } catch (const Error&) {
    }
  }

  const std::string saved = Save(pages);
  ResetPrinter();
  TfrReport again;
  TfrStream back(saved);
  PreparedPagesOf(again).LoadFromStream(back);
  if (Save(PreparedPagesOf(again)) != saved) std::abort();

  if (BuildPrepared(DumpPrepared(saved)) != Rewritten(saved)) std::abort();
  return 0;
}
