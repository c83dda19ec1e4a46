// TfrReport: the report component. It owns the template pages and the data
// dictionary, carries the published properties a window stores with it, the
// report information of the template file, and the events through which the
// program takes part in a preparation.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"
#include "base/variant.h"
#include "report/model/component.h"
#include "report/model/dictionary.h"
#include "report/model/page.h"
#include "report/model/stream.h"

namespace talven {

class TfrBand;
class TfrDataset;
class TfrEMFPages;
class TfrObject;
class TfrPreview;
class TfrView;

enum TfrReportType { rtSimple = 0, rtMultiple = 1 };
enum TfrPreviewZoom { pzDefault = 0, pzPageWidth = 1, pzOnePage = 2, pzTwoPages = 3 };
// PreviewButtons bits.
enum TfrPreviewButton : int {
  pbZoom = 1,
  pbLoad = 2,
  pbSave = 4,
  pbPrint = 8,
  pbFind = 16,
  pbHelp = 32,
  pbExit = 64,
  pbPageSetup = 128,
};

// The report information of a template.
struct TfrReportInfo {
  std::string InfoComment, InfoName, InfoAuthor;
  std::string InfoVersionMajor, InfoVersionMinor, InfoVersionRelease, InfoVersionBuild;
  std::string InfoPassword;
  bool InfoPasswordProtected = false;
  int InfoGeneratorVersion = 88;
  TDateTime InfoCreated = 0;
  TDateTime InfoModified = 0;

  // Texts empty, not protected, generator version 88, both dates now.
  void Reset();
};

// The engine's text "Untitled", a report's file name until a file is loaded.
inline constexpr const char* kUntitled = "Untitled";

class TfrReport : public TfrComponent {
 public:
  explicit TfrReport(std::string name = "frReport1");
  ~TfrReport() override;

  // Published properties.
  TfrDataset* Dataset() const { return dataset_; }
  void SetDataset(TfrDataset* dataset);
  int DefaultCopies = 1;
  bool DefaultCollate = true;
  bool GrayedButtons = false;
  TfrPreviewZoom InitialZoom = pzDefault;
  bool MDIPreview = false;
  bool ModalPreview = true;
  bool ModifyPrepared = true;
  TfrPreview* Preview = nullptr;
  int PreviewButtons = 127;
  bool PrintIfEmpty = true;
  TfrReportType ReportType = rtSimple;
  bool ShowPrintDialog = true;
  bool ShowProgress = true;
  bool StoreInDFM = false;
  std::string Title;
  bool RebuildPrinter = false;
  bool UseDefaultDataSetName = false;

  // Events.
  std::function<void()> OnBeginDoc, OnEndDoc, OnPrintReport;
  std::function<void(int pgNo)> OnBeginPage, OnEndPage;
  std::function<void(TfrBand* Band)> OnBeginBand, OnEndBand;
  std::function<void(const std::string& ParName, Variant& ParValue)> OnGetValue;
  std::function<void(TfrStrings& Memo, TfrView* View)> OnBeforePrint;
  std::function<void(const std::string& Name, const Variant& p1, const Variant& p2, const Variant& p3, Variant& Val)>
      OnUserFunction;
  std::function<void(int n)> OnProgress;
  std::function<void(TfrBand* Band)> OnBeginColumn;
  std::function<void(int ColNo, int& Width)> OnPrintColumn;
  std::function<void(TfrPage* Page)> OnManualBuild;
  std::function<void(TfrView* View)> OnObjectClick;
  std::function<void(TfrView* View, int& Cursor)> OnMouseOverObject;
  std::function<void(TfrObject* Sender)> OnCustomizeObject;

  TfrPages TemplatePages{this};
  // The prepared pages; set up by the prepared-page store.
  std::shared_ptr<TfrEMFPages> PreparedPages;
  TfrDataDictionary Dictionary;
  std::string TemplateFileName = kUntitled;
  bool UseDefaultPrinter = false;
  bool TwoPass = false;
  std::string PrinterName;
  TfrReportInfo Info;

  // Preparation state of the report.
  bool InFinalPass = false;
  bool Cancelled = false;
  bool Rebuildable = true;
  // The template stored with the window, between reading the component
  // data and the end of the window's loading.
  std::optional<std::string> StoredTemplate;

  // Unless UseDefaultPrinter is set, selects the printer of that name when
  // the printer list holds it; always remembers the name as PrinterName.
  void SelectPrinterByName(const std::string& name);

  // Deletes every page and its objects.
  void ClearPages() { TemplatePages.Clear(); }
  // The first object of that name (any letter case): pages in order, and in
  // each page its objects in list order.
  TfrView* ObjectByName(std::string_view name) const;
  // The page of that name (any letter case), or none.
  TfrPage* PageByName(std::string_view name) const;

 protected:
  void Notification(TfrComponent& destroyed) override;

 private:
  TfrDataset* dataset_ = nullptr;
};

// Gives the view a generated name: its NameStem and the first n (1 to 10000)
// that no object of the report has; the name stays empty when all are taken.
// The report is the engine's current report unless given.
void MakeUniqueName(TfrView& view, const TfrReport* report = nullptr);
// "Page" and the first n (1 to 10000) that no page of the report has.
void MakeUniquePageName(TfrPage& page, const TfrReport* report = nullptr);

}  // namespace talven
