// The report's operations that stand above its prepared pages: the print
// dialog and the print run, the page setup, preparing again, and export.
// The preview window and the program reach them through this one table, and
// the parts that provide them fill their entries in when they start, so
// that the preview depends on none of them at build time and tests can
// record the calls. An entry that is empty is not available (the preview
// then leaves its button disabled).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace talven {

class TfrExportFilter;
class TfrReport;

// One row of the export-filter registry as the save dialog shows it.
struct TfrExportFilterEntry {
  TfrExportFilter* Filter = nullptr;
  std::string Description;  // GBK, e.g. "Excel file (*.xlsx)"
  std::string Mask;         // e.g. "*.xlsx"
  bool Default = false;     // the filter's Default property
};

// What the print dialog hands to the print run.
struct TfrPrintChoice {
  std::string PageList;  // "" for every page; "1,3,5-12" as typed
  int Copies = 1;
  int OddEven = 0;       // 0 all pages, 1 odd, 2 even
  bool Collate = true;
  int PrinterIndex = -1; // the adapter's index chosen in the dialog
};

struct TfrReportActions {
  // Whether the system has a printer to print on (the virtual printer does
  // not count).
  std::function<bool()> HasPrinters;
  // The print dialog, opened with the report's default copies and collation
  // and the preview's current page (1-based); false when it was left by
  // anything but OK, which restores the printer it opened with.
  std::function<bool(TfrReport& report, int currentPage, TfrPrintChoice& choice)> PrintDialog;
  // The report's SwitchPrinter: false (after its message and rollback) when
  // the new printer fails.
  std::function<bool(TfrReport& report, int oldIndex, int newIndex)> SwitchPrinter;
  // The print run over the report's prepared pages.
  std::function<void(TfrReport& report, const TfrPrintChoice& choice)> PrintPrepared;
  // The system page-setup dialog on the report's template pages; true when
  // the pages' paper or margins were changed, so the report is prepared
  // again.
  std::function<bool(TfrReport& report)> PageSetup;
  // Prepares the report again into its prepared pages; false when it was
  // cancelled or failed.
  std::function<bool(TfrReport& report)> PrepareReport;
  // The registered export filters, in registry order.
  std::function<std::vector<TfrExportFilterEntry>()> ExportFilters;
  // The export run of a filter over the report's prepared pages into a
  // file.
  std::function<void(TfrReport& report, TfrExportFilter& filter, const std::string& fileName)> ExportWith;
};

// The engine-wide table; entries stay empty until their part fills them.
TfrReportActions& ReportActions();

}  // namespace talven
