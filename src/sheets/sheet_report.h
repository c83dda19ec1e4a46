// The report side of the print action: the window's report component and
// user dataset, bound to the sheet data, and the launch that follows the
// collection — the template of the mode from the installation's 报表
// folder, the sheet title in "memo5", the photo folder in the report
// variable "path" (photo sheets only), the user dataset's row count, then
// the report prepared and handed to whatever shows it (the preview in the
// window, a file when printing headless).
#pragma once

#include <functional>
#include <string>

#include "report/engine/datasets.h"
#include "report/export/excel_export.h"
#include "report/model/component.h"
#include "report/model/report.h"

namespace talven {

class TSheetData;

// The sheet title that "memo5" receives: the month text and the exam's name.
std::string SheetTitle(const std::string& titleMonthText);

class TSheetReport {
 public:
  // Shows a prepared report (pages exist when it is called).
  using ShowPrepared = std::function<void(TfrReport& report)>;

  // Binds the report's events and the dataset's row steps to the sheet
  // data's handlers; they choose the active table at every call.
  explicit TSheetReport(TSheetData& sheets);
  TSheetReport(const TSheetReport&) = delete;
  TSheetReport& operator=(const TSheetReport&) = delete;

  // The window as the report sees it: the master data band's data source
  // "frUserDataset1" names a component of the report's owner.
  TfrComponentOwner Form{"TALVEN_Form"};
  TfrReport frReport1{"frReport1"};
  TfrUserDataset frUserDataset1{"frUserDataset1"};
  // On the window so that the preview's save dialog offers the workbook
  // export (it registers itself while it exists); its six cell options
  // (alignment, fill and font colour, font name, size and style) are off.
  TfrOLEExcelExport frOLEExcelExport1{"frOLEExcelExport1"};

  // The launch, after the candidates are collected and, with photographs,
  // arranged: loads the template of the mode (SheetTemplatePath), sets the
  // title and, with photographs, "path" (GetPhotoPath, then kcText and
  // "/"), moves MemTable1 to its first row, sets the dataset's count and
  // prepares the report; when pages were prepared, calls show. True when
  // the report was prepared; a preparation error has then been shown
  // through the Ui seam by the engine.
  //
  // A template file that is missing, or that holds no object "memo5",
  // fails with a message naming the file (the report keeps what it held);
  // so does GetPhotoPath when the ini file cannot be written. The report
  // engine must have been started.
  bool Launch(const std::string& titleMonthText, const std::string& kcText, const ShowPrepared& show);

  // Called by Launch once the template is loaded and set, right before the
  // preparation (headless printing times its steps by it).
  std::function<void()> BeforePrepare;

 private:
  TSheetData& sheets_;
};

}  // namespace talven
