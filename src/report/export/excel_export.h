// TfrOLEExcelExport: the export of prepared pages into a spreadsheet
// workbook. The objects of the selected pages go into the cell-layout
// matrix; when the run has closed the file, the matrix is prepared and the
// workbook written (.xlsx) under the file's name, and opened with the
// desktop's program for it when asked.
//
// The options dialog and opening the workbook go through seams (a program
// with widgets installs the dialog; tests record the opening), so that the
// export runs headless with the options given as values.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/export/export_filters.h"
#include "report/export/matrix.h"
#include "report/export/workbook.h"

namespace talven {

class TfrReport;

// What the options dialog shows and gives back: the check boxes and the
// texts of the edit fields, as the user left them.
struct TfrExcelDialogFields {
  bool CB_Merged = true, CB_Borders = true, CB_WrapWords = true, CB_HQ = true;
  bool CB_PageBreaks = true, CB_Pictures = true, CB_OpenExcel = false;
  std::string E_Range;  // GBK
  std::string E_LMargin = "0", E_TMargin = "0";
  std::string E_ScaleX = "100", E_ScaleY = "100";
};

// Shows the dialog with the fields and returns its modal result (1 OK).
using ExcelOptionsDialog = std::function<int(TfrExcelDialogFields& fields)>;
// Installs the dialog (none: ShowOptions answers OK with the options as
// they are) and gives the previous one back.
ExcelOptionsDialog SetExcelOptionsDialog(ExcelOptionsDialog dialog);

// Opens a saved workbook (GBK name) with the desktop's program for it;
// false when that failed. None installed: nothing is opened.
using DesktopOpener = std::function<bool(const std::string& fileName)>;
DesktopOpener SetDesktopOpener(DesktopOpener opener);

// The pages a page range text selects: spaces removed, items separated by
// ",", each a number or a range "a-b" with both ends (none when b < a);
// empty selects every page. A number that is not one fails with the
// runtime's conversion error. Kept as ranges, so that "1-2000000000" costs
// no more than "1-2".
struct TfrPageSelection {
  // Sorted, disjoint and not touching; each pair is first and last page.
  std::vector<std::pair<std::int32_t, std::int32_t>> Ranges;
  // Every page.
  bool Empty() const { return Ranges.empty(); }
  bool Contains(std::int32_t page) const;
  void Clear() { Ranges.clear(); }
};
TfrPageSelection ParseExcelPageRange(const std::string& text);

class TfrOLEExcelExport : public TfrExportFilter {
 public:
  // Registers itself as "Excel file (*.xlsx)" with the mask "*.xlsx".
  explicit TfrOLEExcelExport(std::string name = "frOLEExcelExport1");
  ~TfrOLEExcelExport() override;

  // Options.
  bool CellsMerged = true;
  bool CellsBorders = true;
  bool CellsWrapWords = true;
  bool HighQuality = true;
  bool OpenExcelAfterExport = false;
  bool PageBreaks = true;      // a printing page break where each page ended
  bool ExportPictures = true;  // pictures drawn and inserted
  double LeftMargin = 0, TopMargin = 0;  // edited in the dialog only
  bool CellsAlign = false, CellsFillColor = false, CellsFontColor = false, CellsFontName = false,
       CellsFontSize = false, CellsFontStyle = false;  // kept, never read

  double ScaleX = 1.0, ScaleY = 1.0;
  // The selected pages; empty: every page.
  TfrPageSelection SelectedPages;

  // The options dialog (when ShowDialog) and the page selection. Every
  // field is read back whichever button closed the dialog, so a number
  // that is not one fails even after cancel.
  int ShowOptions() override;
  void BeginDocument() override;
  void BeginPage() override { ++pageNumber_; }
  void ExportObject(std::int32_t x, std::int32_t y, TfrView& view) override;
  void EndPage() override;
  void AbortDocument() override { matrix_.reset(); }

  // Builds and writes the workbook for the file of the run (the run calls
  // it through OnAfterExport, which BeginDocument sets).
  void Finish(const std::string& fileName);

  // The running export's matrix; none outside a run.
  TfrIEMatrix* Matrix() const { return matrix_.get(); }

 protected:
  // A filter that stays out of the registry.
  TfrOLEExcelExport(std::string name, bool registered);

 private:
  bool Selected() const;

  int pageNumber_ = 0;
  std::unique_ptr<TfrIEMatrix> matrix_;
  TfrWorkbookPageSetup setup_;
};

// The workbook options of the filter.
TfrWorkbookOptions WorkbookOptionsOf(const TfrOLEExcelExport& filter);

// One call for a whole report: its prepared pages into a workbook (GBK
// file name) with the options given, no dialog. Returns false when nothing
// was exported (OnBeforeExport declined). Errors are Errors.
struct TfrExcelExportOptions {
  bool CellsMerged = true, CellsBorders = true, CellsWrapWords = true, HighQuality = true;
  bool PageBreaks = true, Pictures = true;
  double ScaleX = 1.0, ScaleY = 1.0;
  std::string Pages;  // a page range text; empty: every page
  bool OpenAfterExport = false;
};
bool ExportToWorkbook(TfrReport& report, const std::string& fileName, const TfrExcelExportOptions& options = {});

}  // namespace talven
