#include "report/print/qt/pdf_file_printer.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/print/printer.h"
#include "report/print/qt/qt_paper.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/text_metrics.h"

namespace talven {

namespace {

// The printable area's border: 5 mm, as on the virtual printer.
const int kBorder = RoundHalfEven(50.0 / 254 * PdfFilePrinter::kResolution);

QPageLayout LayoutOf(const PrinterDeviceSettings& s) {
  return QPageLayout(TablePageSize(s), SheetIsLandscape(s) ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0));
}

}  // namespace

PdfFilePrinter::PdfFilePrinter(std::string fileName) : fileName_(std::move(fileName)) {}

PdfFilePrinter::~PdfFilePrinter() {
  canvas_.reset();
  if (painter_.isActive()) painter_.end();
  writer_.reset();
  if (file_) file_->cancelWriting();
}

std::vector<std::string> PdfFilePrinter::PrinterNames() { return {Utf8ToGbk(fileName_)}; }

PrinterIdentity PdfFilePrinter::Identity() { return {Utf8ToGbk(fileName_), "PDF", "FILE:"}; }

void PdfFilePrinter::SetDeviceSettings(const PrinterIdentity&, const PrinterDeviceSettings& settings) {
  if (printing_) throw Error("打印时不能更改打印机设置"_gbk);
  LayoutOf(settings);  // refuses a paper it cannot make
  settings_ = settings;
  settings_.SupportsDefaultSource = false;
}

PrinterPageGeometry PdfFilePrinter::PageGeometry() {
  const QRect full = LayoutOf(settings_).fullRectPixels(kResolution);
  PrinterPageGeometry g;
  g.DpiX = g.DpiY = kResolution;
  g.PhysicalWidth = full.width();
  g.PhysicalHeight = full.height();
  g.OffsetX = g.OffsetY = kBorder;
  g.PrintableWidth = full.width() - 2 * kBorder;
  g.PrintableHeight = full.height() - 2 * kBorder;
  return g;
}

std::vector<PrinterPaper> PdfFilePrinter::Papers() {
  std::vector<PrinterPaper> out;
  for (const TPaperInfo& p : PaperTable()) out.push_back({p.Code, p.Name});
  return out;
}

void PdfFilePrinter::BeginJob(const std::string& title) {
  if (printing_) throw Error("打印作业已经开始"_gbk);
  const QPageLayout layout = LayoutOf(settings_);
  if (!writer_) {
    file_ = std::make_unique<QSaveFile>(QString::fromUtf8(fileName_.c_str()));
    if (!file_->open(QIODevice::WriteOnly)) throw Error(Utf8ToGbk("cannot write " + fileName_));
    writer_ = std::make_unique<QPdfWriter>(file_.get());
    writer_->setResolution(kResolution);
    writer_->setCreator(QStringLiteral("talven"));
    writer_->setTitle(QString::fromUtf8(GbkToUtf8(title).c_str()));
    writer_->setPageLayout(layout);
    if (!painter_.begin(writer_.get())) throw Error(Utf8ToGbk("cannot write " + fileName_));
    canvas_ = std::make_unique<QtCanvas>(painter_, ProductionMetrics(), kResolution);
  } else {
    // A later job's paper applies from its first sheet on.
    writer_->setPageLayout(layout);
    StartSheet();
  }
  painter_.resetTransform();
  painter_.translate(kBorder, kBorder);
  printing_ = true;
  jobs_.push_back({title, 1, settings_});
}

void PdfFilePrinter::StartSheet() {
  if (!writer_->newPage()) throw Error(Utf8ToGbk("cannot write " + fileName_));
  painter_.resetTransform();
  painter_.translate(kBorder, kBorder);
}

void PdfFilePrinter::NewPage() {
  if (!printing_) throw Error("没有打印作业"_gbk);
  StartSheet();
  ++jobs_.back().Sheets;
}

void PdfFilePrinter::EndJob() { printing_ = false; }

void PdfFilePrinter::AbortJob() {
  printing_ = false;
  dropped_ = true;
}

Canvas* PdfFilePrinter::JobCanvas() { return printing_ ? canvas_.get() : nullptr; }

int PdfFilePrinter::Sheets() const {
  int n = 0;
  for (const Job& j : jobs_) n += j.Sheets;
  return n;
}

void PdfFilePrinter::Finish() {
  if (printing_) EndJob();
  canvas_.reset();
  if (painter_.isActive()) painter_.end();
  writer_.reset();
  if (!file_) return;
  if (dropped_) {
    file_->cancelWriting();
    file_.reset();
    return;
  }
  const bool written = file_->commit();
  file_.reset();
  if (!written) throw Error(Utf8ToGbk("cannot write " + fileName_));
}

}  // namespace talven
