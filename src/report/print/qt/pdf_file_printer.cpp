#include "report/print/qt/pdf_file_printer.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>

#include "base/error.h"
#include "base/text.h"
#include "report/print/printer.h"
#include "report/print/qt/qt_paper.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/text_metrics.h"

namespace talven {

namespace {

// The border as the page's margins: the writer puts the painter's origin at
// the printable area itself, so the painter needs no transform (which
// would make the PDF engine restate its graphics state for every shape).
// Drawing may still reach into the border.
QPageLayout LayoutOf(const PrinterDeviceSettings& s) {
  const double border = 50.0 / 254 * 72;
  return QPageLayout(TablePageSize(s), SheetIsLandscape(s) ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(border, border, border, border), QPageLayout::Point);
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

PrinterPageGeometry PdfFilePrinter::PageGeometry() { return GeometryOf(LayoutOf(settings_), kResolution, settings_); }

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
  printing_ = true;
  jobs_.push_back({title, 1, settings_});
}

void PdfFilePrinter::StartSheet() {
  if (!writer_->newPage()) throw Error(Utf8ToGbk("cannot write " + fileName_));
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
