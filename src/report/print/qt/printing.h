// Printing with the system's printers: the engine's start on Qt's printer
// support over CUPS, the report actions it fills in (whether there are
// printers, the print dialog, SwitchPrinter, the print run, the page
// setup), and one call that prints a report's prepared pages to a printer
// by name or to a PDF file through the same print run.
#pragma once

#include <string>
#include <vector>

#include "report/pages/report_actions.h"
#include "report/print/qt/pdf_file_printer.h"

namespace talven {

class QtPrinterSystem;
class TfrReport;

// Starts the report engine on the system's printers (the virtual printer
// alone when CUPS has none) and fills the print entries of ReportActions().
// Needs a QGuiApplication; the dialogs need a QApplication. Calling it
// again re-reads the printers.
QtPrinterSystem& StartPrinting();

// The page-setup entry: the system's page-setup dialog on the selected
// printer, with the first prepared page's margins; on OK the printer takes
// the paper chosen and every report page of the template the margins and
// the paper. True when confirmed (the report is then prepared again).
bool ShowPageSetup(TfrReport& report);

// Where a print run goes: the printer of that name (GBK; empty: the
// selected one), or, when PdfFile (UTF-8) is set, that file.
struct TfrPrintTarget {
  std::string PrinterName;
  std::string PdfFile;
};

// What a run to a PDF file wrote: its jobs (one per paper run), in order.
using TfrPdfJobs = std::vector<PdfFilePrinter::Job>;

// Prints the report's prepared pages as chosen, through PrintPrepared. A
// printer name that the system does not have fails with an Error naming
// the printers there are; to a file, the engine's printer is the file for
// the run and is the system's printer again afterwards (the report's
// PrinterName is kept). Returns the file's jobs (none for a printer).
TfrPdfJobs PrintReportTo(TfrReport& report, const TfrPrintChoice& choice, const TfrPrintTarget& target);

}  // namespace talven
