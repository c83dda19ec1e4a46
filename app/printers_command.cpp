// talven printers: the printers the report engine sees, with their papers
// and bins.
#include <cstdio>
#include <string>

#include "app/command.h"
#include "app/gui_app.h"
#include "base/text.h"
#include "report/print/printer.h"
#include "report/print/qt/printing.h"
#include "report/print/qt/qt_printer_system.h"

namespace talven::app {
namespace {

std::string Joined(const std::vector<std::string>& names, const std::vector<int>& codes, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < names.size() && i < codes.size(); ++i)
    out += (out.empty() ? "" : ", ") + GbkToUtf8(names[i]) + " (" + std::to_string(codes[i]) + ")";
  return out.empty() ? "-" : out;
}

int RunPrinters(const Args& args) {
  if (!args.empty()) return UsageError("printers: takes no arguments");
  const auto app = MakeGuiApp();

  QtPrinterSystem& system = StartPrinting();
  TfrPrinter& printer = Printer();
  if (printer.VirtualIndex() == 0) {
    std::printf("no printers: reports are laid out for the virtual printer %s\n",
                GbkToUtf8(VirtualPrinterName()).c_str());
    return 0;
  }
  const int defaultPrinter = system.DefaultPrinter();
  const std::vector<std::string> names = printer.PrinterNames();
  for (int i = 0; i < printer.VirtualIndex(); ++i) {
    printer.SelectIndex(i);
    std::printf("%s%s\n", GbkToUtf8(names[static_cast<std::size_t>(i)]).c_str(), i == defaultPrinter ? "  (default)" : "");
    if (printer.PrinterIndex() != i) {
      std::printf("  cannot be read\n");
      continue;
    }
    std::printf("  papers: %s\n", Joined(printer.PaperNames(), printer.PaperCodes(), 0).c_str());
    std::printf("  bins: %s\n", Joined(printer.BinNames(), printer.BinCodes(), 1).c_str());
  }
  return 0;
}

}  // namespace

TALVEN_COMMAND(printers, "printers", "printers", "list the printers with their papers and bins", RunPrinters);

}  // namespace talven::app
