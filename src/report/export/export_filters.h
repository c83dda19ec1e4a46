// The export-filter registry and the export run.
//
// A filter registers itself under a description and a file-name mask when
// it is made and leaves the registry when it goes; the preview's save
// dialog offers the registered filters in registration order. ExportWith
// walks a report's prepared pages and hands every object of every page to
// the filter (through TfrEMFPages::ExportPage), between BeginDocument and
// EndDocument and BeginPage and EndPage.
#pragma once

#include <string>
#include <vector>

#include "report/model/export_filter.h"
#include "report/model/printer_adapter.h"
#include "report/model/view.h"

namespace talven {

class TfrReport;

struct TfrExportFilterInfo {
  TfrExportFilter* Filter = nullptr;
  std::string FilterDesc;  // shown in the save dialog
  std::string FilterExt;   // the file-name mask, "*.xlsx"
};

// The registry holds at most this many filters.
inline constexpr int kMaxExportFilters = 64;

// Appends the filter; refused (false) when a filter of the same class is
// registered with the same mask, or when the registry is full.
bool RegisterExportFilter(TfrExportFilter& filter, const std::string& description, const std::string& mask);
// Removes the filter's own row (a filter that was refused has none).
void UnregisterExportFilter(TfrExportFilter& filter);
const std::vector<TfrExportFilterInfo>& ExportFilters();

// What an export run walks: prepared pages, or anything shaped like them.
class TfrExportSource {
 public:
  virtual ~TfrExportSource() = default;
  virtual int PageCount() = 0;
  // Hands every object of the page to CurrentExportFilter().
  virtual void ExportPage(int index) = 0;
  // The paper of a page: its margins (report units) and orientation.
  struct Paper {
    TfrRect Margins;
    bool Landscape = false;
  };
  virtual Paper PaperOf(int index) = 0;
};

// The source of the export that runs, or none: a filter reads the paper of
// the pages from it.
TfrExportSource* CurrentExportSource();

// The export run over a source (see ExportWith). Returns whether the pages
// were exported: false when OnBeforeExport or the options dialog declined
// (then no file is made). The file (GBK name, as OnBeforeExport left it) is
// made empty before the first page and holds the filter's Stream when the
// run ends; OnAfterExport follows. An error anywhere ends the run with the
// filter released from the engine, the file removed and the error passed
// on.
bool RunExport(TfrReport& report, TfrExportFilter& filter, const std::string& fileName, TfrExportSource& source);

// Exports the report's prepared pages with the filter.
bool ExportWith(TfrReport& report, TfrExportFilter& filter, const std::string& fileName);

// Fills the export entries of ReportActions() (the registered filters and
// ExportWith), through which the preview reaches the export; idempotent.
// Making a workbook filter does it too.
void StartExportEngine();

}  // namespace talven
