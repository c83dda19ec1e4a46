#include "report/export/excel_export.h"

#include <algorithm>
#include <cmath>

#include "base/convert.h"
#include "base/error.h"
#include "report/model/report.h"

namespace talven {

namespace {

ExcelOptionsDialog& Dialog() {
  static ExcelOptionsDialog dialog;
  return dialog;
}

DesktopOpener& Opener() {
  static DesktopOpener opener;
  return opener;
}

}  // namespace

ExcelOptionsDialog SetExcelOptionsDialog(ExcelOptionsDialog dialog) {
  ExcelOptionsDialog previous = std::move(Dialog());
  Dialog() = std::move(dialog);
  return previous;
}

DesktopOpener SetDesktopOpener(DesktopOpener opener) {
  DesktopOpener previous = std::move(Opener());
  Opener() = std::move(opener);
  return previous;
}

bool TfrPageSelection::Contains(std::int32_t page) const {
  auto it = std::upper_bound(Ranges.begin(), Ranges.end(), page,
                             [](std::int32_t p, const std::pair<std::int32_t, std::int32_t>& r) { return p < r.first; });
  return it != Ranges.begin() && page <= std::prev(it)->second;
}

TfrPageSelection ParseExcelPageRange(const std::string& text) {
  std::string s;
  for (char c : text)
    if (c != ' ') s += c;
  TfrPageSelection selection;
  auto& ranges = selection.Ranges;
  if (!s.empty()) {
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = s.find(',', start);
      const std::string item = s.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      const std::size_t dash = item.find('-');
      if (dash == std::string::npos) {
        const std::int32_t n = StrToInt(item);
        ranges.emplace_back(n, n);
      } else {
        const std::int32_t from = StrToInt(item.substr(0, dash)), to = StrToInt(item.substr(dash + 1));
        if (from <= to) ranges.emplace_back(from, to);
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  // Sorted and joined where they overlap or touch.
  std::sort(ranges.begin(), ranges.end());
  std::size_t kept = 0;
  for (const auto& r : ranges) {
    if (kept > 0 && static_cast<std::int64_t>(r.first) <= static_cast<std::int64_t>(ranges[kept - 1].second) + 1)
      ranges[kept - 1].second = std::max(ranges[kept - 1].second, r.second);
    else
      ranges[kept++] = r;
  }
  ranges.resize(kept);
  return selection;
}

TfrOLEExcelExport::TfrOLEExcelExport(std::string name) : TfrOLEExcelExport(std::move(name), true) {}

TfrOLEExcelExport::TfrOLEExcelExport(std::string name, bool registered) : TfrExportFilter(std::move(name)) {
  StartExportEngine();
  // Workbooks are .xlsx files, whatever the name the user typed.
  if (registered) RegisterExportFilter(*this, "Excel file (*.xlsx)", "*.xlsx");
}

TfrOLEExcelExport::~TfrOLEExcelExport() { UnregisterExportFilter(*this); }

int TfrOLEExcelExport::ShowOptions() {
  if (!ShowDialog || !Dialog()) {
    // Without a dialog the options stand as they are; the page selection
    // is what the caller set when there is no dialog to ask.
    if (!ShowDialog) SelectedPages.Clear();
    return 1;
  }
  TfrExcelDialogFields f;
  f.CB_Merged = CellsMerged;
  f.CB_WrapWords = CellsWrapWords;
  f.CB_Borders = CellsBorders;
  f.CB_PageBreaks = PageBreaks;
  f.CB_Pictures = ExportPictures;
  f.CB_OpenExcel = OpenExcelAfterExport;
  f.CB_HQ = HighQuality;
  f.E_ScaleX = IntToStr(static_cast<std::int64_t>(std::trunc(ScaleX * 100)));
  f.E_ScaleY = IntToStr(static_cast<std::int64_t>(std::trunc(ScaleY * 100)));
  f.E_TMargin = FloatToStr(TopMargin);
  f.E_LMargin = FloatToStr(LeftMargin);
  const int result = Dialog()(f);
  CellsMerged = f.CB_Merged;
  CellsWrapWords = f.CB_WrapWords;
  CellsBorders = f.CB_Borders;
  PageBreaks = f.CB_PageBreaks;
  ExportPictures = f.CB_Pictures;
  OpenExcelAfterExport = f.CB_OpenExcel;
  HighQuality = f.CB_HQ;
  ScaleX = StrToInt(f.E_ScaleX) / 100.0;
  ScaleY = StrToInt(f.E_ScaleY) / 100.0;
  TopMargin = StrToFloat(f.E_TMargin);
  LeftMargin = StrToFloat(f.E_LMargin);
  SelectedPages = ParseExcelPageRange(f.E_Range);
  return result;
}

void TfrOLEExcelExport::BeginDocument() {
  matrix_ = std::make_unique<TfrIEMatrix>();
  matrix_->ProgressShown = true;
  matrix_->RowLimit = 535.79L;
  matrix_->MergeTolerance = 0.5L;
  matrix_->DrawPictures = ExportPictures;
  OnAfterExport = [this](const std::string& fileName) { Finish(fileName); };
  pageNumber_ = 0;
  setup_ = {};
  if (TfrExportSource* source = CurrentExportSource(); source != nullptr && source->PageCount() > 0) {
    const TfrExportSource::Paper paper = source->PaperOf(0);
    setup_.Known = true;
    setup_.Margins = paper.Margins;
    setup_.Landscape = paper.Landscape;
  }
}

bool TfrOLEExcelExport::Selected() const {
  return SelectedPages.Empty() || SelectedPages.Contains(pageNumber_);
}

void TfrOLEExcelExport::ExportObject(std::int32_t, std::int32_t, TfrView& view) {
  if (matrix_ && Selected()) matrix_->AddObject(view);
}

void TfrOLEExcelExport::EndPage() {
  if (matrix_ && Selected()) matrix_->AddPageBreak();
}

TfrWorkbookOptions WorkbookOptionsOf(const TfrOLEExcelExport& filter) {
  TfrWorkbookOptions o;
  o.CellsMerged = filter.CellsMerged;
  o.CellsBorders = filter.CellsBorders;
  o.CellsWrapWords = filter.CellsWrapWords;
  o.HighQuality = filter.HighQuality;
  o.PageBreaks = filter.PageBreaks;
  o.Pictures = filter.ExportPictures;
  o.ScaleX = filter.ScaleX;
  o.ScaleY = filter.ScaleY;
  return o;
}

void TfrOLEExcelExport::Finish(const std::string& fileName) {
  // The matrix goes with this export, written or not.
  std::unique_ptr<TfrIEMatrix> matrix = std::move(matrix_);
  if (!matrix) return;
  matrix->Prepare();
  TfrReport* report = EngineState().CurrentReport;
  WriteWorkbook(*matrix, fileName, WorkbookOptionsOf(*this), setup_, report != nullptr ? &report->Cancelled : nullptr);
  if (OpenExcelAfterExport && Opener()) {
    if (!Opener()(fileName)) throw Error("Cannot open \"" + fileName + "\" with the desktop's program for it");
  }
}

namespace {

// The export of one call: the options are given, so there is no dialog
// and the page selection stands; it is not offered in the save dialog.
class GivenOptionsExport : public TfrOLEExcelExport {
 public:
  GivenOptionsExport() : TfrOLEExcelExport("talvenWorkbookExport", false) {}
  int ShowOptions() override { return 1; }
};

}  // namespace

bool ExportToWorkbook(TfrReport& report, const std::string& fileName, const TfrExcelExportOptions& options) {
  GivenOptionsExport filter;
  filter.CellsMerged = options.CellsMerged;
  filter.CellsBorders = options.CellsBorders;
  filter.CellsWrapWords = options.CellsWrapWords;
  filter.HighQuality = options.HighQuality;
  filter.PageBreaks = options.PageBreaks;
  filter.ExportPictures = options.Pictures;
  filter.ScaleX = options.ScaleX;
  filter.ScaleY = options.ScaleY;
  filter.OpenExcelAfterExport = options.OpenAfterExport;
  filter.SelectedPages = ParseExcelPageRange(options.Pages);
  return ExportWith(report, filter, fileName);
}

}  // namespace talven
