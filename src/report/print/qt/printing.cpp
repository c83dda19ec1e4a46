#include "report/print/qt/printing.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>

#include <cmath>

#include "base/error.h"
#include "base/text.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/print/print_run.h"
#include "report/print/printer.h"
#include "report/print/progress_form.h"
#include "report/print/qt/print_form.h"
#include "report/print/qt/qt_printer_system.h"

namespace talven {

namespace {

QtPrinterSystem* started = nullptr;

// The printers go before the application does: they hold Qt's printer
// objects.
void StopPrinting() {
  StartReportEngine(nullptr);
  delete started;
  started = nullptr;
}

int Hundredths(double millimetres) { return static_cast<int>(std::lround(millimetres * 100)); }

// The engine's printer is the file for the lifetime of the guard.
class PrinterOnFile {
 public:
  explicit PrinterOnFile(PdfFilePrinter& file) : previous_(Printer().System()) { Printer().Attach(&file); }
  ~PrinterOnFile() { Printer().Attach(previous_); }
  PrinterOnFile(const PrinterOnFile&) = delete;
  PrinterOnFile& operator=(const PrinterOnFile&) = delete;

 private:
  PrinterSystem* previous_;
};

void SelectPrinterNamed(TfrReport& report, const std::string& name) {
  TfrPrinter& printer = Printer();
  const std::vector<std::string>& names = printer.PrinterNames();
  for (int i = 0; i < static_cast<int>(names.size()); ++i) {
    if (i == printer.VirtualIndex() || names[static_cast<std::size_t>(i)] != name) continue;
    printer.SelectIndex(i);
    if (printer.PrinterIndex() != i) throw Error("打印机无法使用: "_gbk + name);
    report.PrinterName = name;
    return;
  }
  std::string known;
  for (int i = 0; i < printer.VirtualIndex(); ++i) known += (known.empty() ? "" : ", ") + names[static_cast<std::size_t>(i)];
  throw Error("没有这台打印机: "_gbk + name + (known.empty() ? "（系统中没有打印机）"_gbk : "（现有: "_gbk + known + "）"_gbk));
}

}  // namespace

QtPrinterSystem& StartPrinting() {
  if (started == nullptr) {
    started = new QtPrinterSystem;
    qAddPostRoutine(StopPrinting);
  }
  StartReportEngine(started);

  TfrReportActions& actions = ReportActions();
  actions.HasPrinters = [] { return Printer().VirtualIndex() > 0; };
  actions.PrintDialog = ShowPrintForm;
  actions.SwitchPrinter = SwitchPrinter;
  actions.PrintPrepared = [](TfrReport& report, const TfrPrintChoice& c) {
    // From a window, the run shows its pages in the progress window, whose
    // cancel button stops it.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
      TfrProgressForm window(QApplication::activeWindow(), &report);
      ProgressWindowScope scope(window);
      return PrintPrepared(report, c.PageList, c.Copies, c.OddEven, c.Collate);
    }
    PrintPrepared(report, c.PageList, c.Copies, c.OddEven, c.Collate);
  };
  actions.PageSetup = ShowPageSetup;
  return *started;
}

bool ShowPageSetup(TfrReport& report) {
  TfrPrinter& printer = Printer();
  if (started == nullptr || printer.System() != started || printer.IsVirtual()) return false;
  QPrinter* device = started->SelectedQPrinter();
  if (device == nullptr) return false;

  TfrEMFPages& pages = PreparedPagesOf(report);
  const TfrRect m = pages.PageCount() > 0 ? pages.PageAt(0).Margins : TfrRect{};
  // Report units to hundredths of a millimetre, as whole numbers.
  const auto hundredths = [](std::int32_t units) { return static_cast<std::int64_t>(units) * 500 / 18; };
  device->setPageMargins(QMarginsF(hundredths(m.Left) / 100.0, hundredths(m.Top) / 100.0,
                                   hundredths(m.Right) / 100.0, hundredths(m.Bottom) / 100.0),
                         QPageLayout::Millimeter);
  QPageSetupDialog dialog(device, QApplication::activeWindow());
  const bool confirmed = dialog.exec() == QDialog::Accepted;
  const QMarginsF chosen = device->pageLayout().margins(QPageLayout::Millimeter);
  // The printer's own margins again; the page margins are the pages'.
  started->TakePrinterSettings();
  if (!confirmed) return false;

  printer.ReadPrinter();
  for (const auto& page : report.TemplatePages) {
    if (page->Type != ptReport) continue;
    page->LeftMargin = Hundredths(chosen.left()) * 18 / 500;
    page->TopMargin = Hundredths(chosen.top()) * 18 / 500;
    page->RightMargin = Hundredths(chosen.right()) * 18 / 500;
    page->BottomMargin = Hundredths(chosen.bottom()) * 18 / 500;
    page->SetPaper(printer.CurPaperCode(), 0, 0, printer.CurBin(), printer.CurOrientation());
  }
  return true;
}

TfrPdfJobs PrintReportTo(TfrReport& report, const TfrPrintChoice& choice, const TfrPrintTarget& target) {
  if (target.PdfFile.empty()) {
    if (!target.PrinterName.empty()) SelectPrinterNamed(report, target.PrinterName);
    PrintPrepared(report, choice.PageList, choice.Copies, choice.OddEven, choice.Collate);
    return {};
  }
  PdfFilePrinter file(target.PdfFile);
  {
    PrinterOnFile onFile(file);
    PrintPrepared(report, choice.PageList, choice.Copies, choice.OddEven, choice.Collate);
  }
  file.Finish();
  return file.Jobs();
}

}  // namespace talven
