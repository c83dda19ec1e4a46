#include "report/print/print_run.h"

#include <exception>
#include <vector>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/engine/progress.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/pages/page_list.h"
#include "report/pages/prepared_pages.h"
#include "report/print/printer.h"

namespace talven {

namespace {

// Every template page takes its own paper again from the selected printer.
void ApplyPagePapers(TfrReport& report, TfrPrinter& printer) {
  printer.ForgetPaper();
  for (const auto& page : report.TemplatePages)
    page->SetPaper(page->Size, page->PaperWidth, page->PaperHeight, page->PaperSource, page->Orientation);
}

void SelectForReport(TfrReport& report, TfrPrinter& printer, int index) {
  printer.SelectIndex(index);
  if (printer.PrinterIndex() != index) throw Error("the printer cannot be read");
  report.PrinterName = printer.PrinterNames().at(static_cast<std::size_t>(index));
  ApplyPagePapers(report, printer);
}

std::int32_t Scaled(std::int32_t margin, std::int32_t dev, std::int32_t units) {
  return units != 0 ? RoundHalfEven(static_cast<double>(margin) * dev / units) : 0;
}

class PrintRun {
 public:
  PrintRun(TfrReport& report, const std::string& pageList, int copies, int oddEven, bool collate)
      : report_(report), pages_(PreparedPagesOf(report)), printer_(Printer()), pageList_(pageList),
        copies_(copies < 1 ? 1 : copies), oddEven_(oddEven), collate_(collate) {}

  void Job();
  // Drops an open job after a failure; the printer is free again.
  void Abandon() noexcept;

 private:
  void BeginJob();
  void EndJob();
  void PrintPage(int index);
  void Progress(int n);

  TfrReport& report_;
  TfrEMFPages& pages_;
  TfrPrinter& printer_;
  PrinterSystem* system_ = nullptr;
  std::string pageList_;
  int copies_, oddEven_;
  bool collate_;
  std::string title_;
  // Copies of each page that the run prints itself, when the printer cannot.
  int ownCopies_ = 1;
  bool jobOpen_ = false;
};

void PrintRun::Job() {
  if (printer_.IsVirtual() || printer_.System() == nullptr) throw Error("没有可用的打印机"_gbk);
  printer_.Attach(printer_.System());
  system_ = printer_.System();
  if (printer_.IsVirtual()) throw Error("没有可用的打印机"_gbk);
  const std::vector<bool> selected = SelectedPages(pageList_, pages_.PageCount());
  // Nothing prepared: nothing to put on paper.
  if (pages_.PageCount() == 0) return;

  TfrPreparedPage& first = pages_.PageAt(0);
  printer_.SetPaper(first.SheetCode, first.SheetWidth, first.SheetHeight, first.SheetBin, first.SheetOrientation,
                    true);
  printer_.FillMetrics(first.Metrics);
  title_ = report_.Title.empty() ? std::string(kUntitled) : report_.Title;
  if (report_.OnPrintReport) report_.OnPrintReport();
  const int printerCopies = collate_ ? 1 : copies_;
  ownCopies_ = system_->SetCopies(printerCopies) ? 1 : printerCopies;

  const int passes = collate_ ? copies_ : 1;
  for (int pass = 0; pass < passes; ++pass) {
    for (int i = 0; i < pages_.PageCount(); ++i) {
      if (!selected[static_cast<std::size_t>(i)]) continue;
      PrintPage(i);
      if (report_.Cancelled) {
        Abandon();
        return;
      }
    }
  }
  if (jobOpen_) EndJob();
}

// A job begins with the first sheet that goes into it, so that a selection
// that prints nothing hands the printer no job, and no blank sheet.
void PrintRun::BeginJob() {
  system_->BeginJob(title_);
  jobOpen_ = true;
  SetPrinterCanvas(system_->JobCanvas());
}

void PrintRun::EndJob() {
  SetPrinterCanvas(nullptr);
  jobOpen_ = false;
  system_->EndJob();
}

void PrintRun::Abandon() noexcept {
  SetPrinterCanvas(nullptr);
  jobOpen_ = false;
  try {
    if (system_ != nullptr && system_->Printing()) system_->AbortJob();
  } catch (...) {
  }
}

void PrintRun::PrintPage(int index) {
  const int number = index + 1;
  if (oddEven_ == oeOdd && number % 2 == 0) return;
  if (oddEven_ == oeEven && number % 2 == 1) return;

  TfrPreparedPage& p = pages_.PageAt(index);
  for (int copy = 0; copy < ownCopies_; ++copy) {
    if (printer_.PaperMatches(p.SheetCode, p.SheetWidth, p.SheetHeight, p.SheetBin, p.SheetOrientation)) {
      if (jobOpen_) {
        system_->NewPage();
        SetPrinterCanvas(system_->JobCanvas());
      } else {
        BeginJob();
      }
    } else {
      if (jobOpen_) EndJob();
      printer_.SetPaper(p.SheetCode, p.SheetWidth, p.SheetHeight, p.SheetBin, p.SheetOrientation, true);
      BeginJob();
    }
    Canvas* canvas = PrinterCanvas();
    if (canvas == nullptr) throw Error("the print job has no canvas");
    printer_.FillMetrics(p.Metrics);
    p.InView = true;
    pages_.DrawPage(index, *canvas, PrinterTargetRect(p));
    p.InView = false;
    pages_.DrawPage(index, *canvas, TfrRect{});
  }
  Progress(number);
  CurrentProgressWindow().ProcessEvents();
}

void PrintRun::Progress(int n) {
  if (report_.OnProgress) report_.OnProgress(n);
  else if (report_.ShowProgress) CurrentProgressWindow().SetLabel("正在打印页:"_gbk + " " + std::to_string(n));
}

}  // namespace

bool SwitchPrinter(TfrReport& report, int oldIndex, int newIndex) {
  TfrPrinter& printer = Printer();
  try {
    SelectForReport(report, printer, newIndex);
    return true;
  } catch (const std::exception&) {
    CurrentUi().MessageBox("所选打印机错误"_gbk, "错误"_gbk, MB_OK | MB_ICONERROR);
    try {
      SelectForReport(report, printer, oldIndex);
    } catch (const std::exception&) {
      // The old printer was usable a moment ago; if it no longer is, the
      // adapter stays where it fell back to.
    }
    return false;
  }
}

void PrintPrepared(TfrReport& report, const std::string& pageList, int copies, int oddEven, bool collate) {
  EngineState().CurrentReport = &report;
  EngineState().MasterReport = &report;
  report.Cancelled = false;
  PrintRun run(report, pageList, copies, oddEven, collate);
  const auto guarded = [&run] {
    try {
      run.Job();
    } catch (...) {
      run.Abandon();
      throw;
    }
  };
  if (report.OnProgress || !report.ShowProgress) return guarded();

  TfrProgressWindow& window = CurrentProgressWindow();
  std::string caption = "正在准备报表"_gbk;
  if (!report.Title.empty()) caption += " - " + report.Title;
  window.SetCaption(caption);
  window.SetLabel("正在打印页:"_gbk);
  // The job runs inside the window's loop; its error comes out after the
  // window has closed.
  std::exception_ptr failure;
  window.RunModal([&] {
    try {
      guarded();
    } catch (...) {
      failure = std::current_exception();
    }
    // A cancelled run closes as the cancel button left it.
    window.Close(failure == nullptr && !report.Cancelled);
  });
  if (failure) std::rethrow_exception(failure);
}

TfrRect PrinterTargetRect(const TfrPreparedPage& p) {
  const TfrPrinterMetrics& m = p.Metrics;
  if (p.KeepMargins)
    return {-m.OffsetXDev, -m.OffsetYDev, m.PaperWidthDev - m.OffsetXDev, m.PaperHeightDev - m.OffsetYDev};
  return {Scaled(p.Margins.Left, m.PrintWidthDev, m.PrintWidthUnits),
          Scaled(p.Margins.Top, m.PrintHeightDev, m.PrintHeightUnits),
          m.PrintWidthDev - Scaled(p.Margins.Right, m.PrintWidthDev, m.PrintWidthUnits),
          m.PrintHeightDev - Scaled(p.Margins.Bottom, m.PrintHeightDev, m.PrintHeightUnits)};
}

}  // namespace talven
