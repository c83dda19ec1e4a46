// talven frp print: a prepared-report file printed headless through the
// print run, on a printer or into a PDF file.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "app/frp_print_command.h"
#include "app/gui_app.h"
#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "report/model/report.h"
#include "report/pages/prepared_pages.h"
#include "report/print/print_run.h"
#include "report/print/printer.h"
#include "report/print/qt/printing.h"
#include "report/print/qt/qt_printer_system.h"

namespace talven::app {

// Prints a prepared report headless on a printer (the system's default
// unless named) or into a PDF file, through the print run.
int RunFrpPrint(const Args& args) {
  std::optional<std::string> file;
  TfrPrintTarget target;
  TfrPrintChoice choice;
  choice.Collate = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const bool more = i + 1 < args.size();
    if (args[i] == "--printer" && more) target.PrinterName = Utf8ToGbk(args[++i]);
    else if (args[i] == "--out" && more) target.PdfFile = args[++i];
    else if (args[i] == "--pages" && more) choice.PageList = Utf8ToGbk(args[++i]);
    else if (args[i] == "--copies" && more) choice.Copies = StrToInt(args[++i]);
    else if (args[i] == "--collate") choice.Collate = true;
    else if (args[i] == "--odd") choice.OddEven = oeOdd;
    else if (args[i] == "--even") choice.OddEven = oeEven;
    else if (!file && !args[i].starts_with("-")) file = args[i];
    else return UsageError("frp print: unexpected argument '" + args[i] + "'");
  }
  if (!file) return UsageError("frp print: which prepared-report file?");
  if (!target.PdfFile.empty() && !target.PrinterName.empty())
    return UsageError("frp print: --printer or --out, not both");

  const auto app = MakeGuiApp();
  QtPrinterSystem& system = StartPrinting();
  TfrReport report;
  LoadPrepared(report, Utf8ToGbk(*file));
  TfrPrinter& printer = Printer();
  // A report laid out on the virtual printer prints on the default one.
  if (target.PdfFile.empty() && target.PrinterName.empty() && printer.IsVirtual()) {
    if (printer.VirtualIndex() == 0) throw Error("没有可用的打印机"_gbk);
    printer.SelectIndex(std::max(0, system.DefaultPrinter()));
  }
  const TfrPdfJobs jobs = PrintReportTo(report, choice, target);
  if (report.Cancelled) return 1;
  if (!target.PdfFile.empty()) {
    int sheets = 0;
    for (const auto& job : jobs) sheets += job.Sheets;
    std::printf("%s: %d sheet(s) in %zu job(s)\n", target.PdfFile.c_str(), sheets, jobs.size());
  } else {
    std::printf("sent to %s\n", GbkToUtf8(printer.PrinterNames().at(static_cast<std::size_t>(printer.PrinterIndex()))).c_str());
  }
  return 0;
}

}  // namespace talven::app
