#include "report/print/qt/pdf_file_printer.h"

#include <QPageLayout>

#include <algorithm>

#include "base/error.h"
#include "base/text.h"
#include "report/print/printer.h"
#include "report/print/qt/qt_paper.h"
#include "report/render/cairo/pdf_document.h"

namespace talven {

namespace {

// The border as the page's margins: the printable area.
QPageLayout LayoutOf(const PrinterDeviceSettings& s) {
  const double border = 50.0 / 254 * 72;
  return QPageLayout(TablePageSize(s), SheetIsLandscape(s) ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(border, border, border, border), QPageLayout::Point);
}

}  // namespace

PdfFilePrinter::PdfFilePrinter(std::string fileName) : fileName_(std::move(fileName)) {}

// Without Finish the document leaves nothing behind.
PdfFilePrinter::~PdfFilePrinter() = default;

std::vector<std::string> PdfFilePrinter::PrinterNames() { return {Utf8ToGbk(fileName_)}; }

PrinterIdentity PdfFilePrinter::Identity() { return {Utf8ToGbk(fileName_), "PDF", "FILE:"}; }

void PdfFilePrinter::SetDeviceSettings(const PrinterIdentity&, const PrinterDeviceSettings& settings) {
  if (printing_) throw Error("打印时不能更改打印机设置"_gbk);
  LayoutOf(settings);  // refuses a paper it cannot make
  settings_ = settings;
  settings_.SupportsDefaultSource = false;
}

PrinterPageGeometry PdfFilePrinter::PageGeometry() { return GeometryOf(LayoutOf(settings_), kResolution, settings_); }

std::vector<PrinterPaper> PdfFilePrinter::Papers() {
  std::vector<PrinterPaper> out;
  for (const TPaperInfo& p : PaperTable()) out.push_back({p.Code, p.Name});
  return out;
}

void PdfFilePrinter::BeginJob(const std::string& title) {
  if (printing_) throw Error("打印作业已经开始"_gbk);
  // A paper of the table keeps its size in whole points, of which its page
  // geometry was reckoned; a custom one is its exact size, as its geometry.
  const QPageLayout layout = LayoutOf(settings_);
  const PrinterPageGeometry g = GeometryOf(layout, kResolution, settings_);
  Sheet sheet;
  if (IsCustomPaper(settings_)) {
    sheet.WidthPoints = TenthsToPoints(std::max(1, settings_.PaperWidth));
    sheet.HeightPoints = TenthsToPoints(std::max(1, settings_.PaperLength));
  } else {
    const QRect full = layout.fullRectPoints();
    sheet.WidthPoints = full.width();
    sheet.HeightPoints = full.height();
  }
  sheet.OriginX = g.OffsetX;
  sheet.OriginY = g.OffsetY;
  if (!pdf_) pdf_ = std::make_unique<PdfDocument>(Utf8ToGbk(fileName_), title);
  sheet_ = sheet;
  StartSheet();
  printing_ = true;
  jobs_.push_back({title, 1, settings_});
}

void PdfFilePrinter::StartSheet() {
  canvas_ = &pdf_->BeginPage(sheet_.WidthPoints, sheet_.HeightPoints, sheet_.OriginX, sheet_.OriginY);
}

void PdfFilePrinter::NewPage() {
  if (!printing_) throw Error("没有打印作业"_gbk);
  StartSheet();
  ++jobs_.back().Sheets;
}

void PdfFilePrinter::EndJob() {
  if (printing_) pdf_->EndPage();
  printing_ = false;
  canvas_ = nullptr;
}

void PdfFilePrinter::AbortJob() {
  printing_ = false;
  canvas_ = nullptr;
  dropped_ = true;
}

Canvas* PdfFilePrinter::JobCanvas() { return printing_ ? canvas_ : nullptr; }

int PdfFilePrinter::Sheets() const {
  int n = 0;
  for (const Job& j : jobs_) n += j.Sheets;
  return n;
}

void PdfFilePrinter::Finish() {
  if (printing_) EndJob();
  if (!pdf_) return;
  std::unique_ptr<PdfDocument> pdf = std::move(pdf_);
  if (!dropped_) pdf->Finish();
}

}  // namespace talven
