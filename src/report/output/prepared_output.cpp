#include "report/output/prepared_output.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

#include "base/error.h"
#include "base/format.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/printer_adapter.h"
#include "report/pages/prepared_pages.h"
#include "report/render/qt/qt_canvas.h"

namespace talven {

namespace {

// The PDF's device resolution: fine enough that frame lines of one report
// unit keep their width to a few per cent.
constexpr int kPdfResolution = 1200;

// The sheet of a page in millimetres, as oriented; fails for a page without
// a paper size.
QSizeF SheetMillimetres(const TfrPreparedPage& p, int index) {
  const double units = 25.4 / kReportUnitsPerInch;
  double w = p.SheetWidth / 10.0, h = p.SheetHeight / 10.0;
  if (w <= 0) w = p.Metrics.PaperWidthUnits * units;
  if (h <= 0) h = p.Metrics.PaperHeightUnits * units;
  if (w <= 0 || h <= 0) throw Error(Format("Page %d has no paper size", {index + 1}));
  return {w, h};
}

// The page's own paper and orientation, without margins: the page is drawn
// over the whole sheet.
QPageLayout LayoutOf(const TfrPreparedPage& p, int index) {
  const QSizeF mm = SheetMillimetres(p, index);
  const bool landscape = mm.width() > mm.height();
  const QPageSize size(landscape ? mm.transposed() : mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
  return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

// Qt's PNG quality 80 is zlib's fastest level: page pictures of text and
// lines compress nearly as well as at the default, several times faster.
constexpr int kPngQuality = 80;

QString PathOf(const std::string& path) { return QString::fromUtf8(path.c_str()); }

[[noreturn]] void CannotWrite(const std::string& path) { throw Error(Utf8ToGbk("cannot write " + path)); }

}  // namespace

void PaintPreparedPage(TfrEMFPages& pages, int index, QPainter& painter, int resolution) {
  TfrPreparedPage& p = pages.PageAt(index);
  const double factor = resolution / kReportUnitsPerInch;
  const TfrRect sheet{0, 0, RoundHalfEven(SheetWidthUnits(p) * factor),
                      RoundHalfEven(SheetHeightUnits(p) * factor)};
  QtCanvas canvas(painter, ProductionMetrics(), resolution);
  const bool inView = p.InView;
  p.InView = true;
  try {
    pages.DrawPage(index, canvas, PageDrawRect(p, sheet, factor));
  } catch (...) {
    p.InView = inView;
    p.LoadedPage.reset();
    throw;
  }
  p.InView = inView;
  p.LoadedPage.reset();
}

void WritePreparedPdf(TfrEMFPages& pages, const std::vector<int>& indices, const std::string& path,
                      const std::string& title) {
  if (indices.empty()) throw Error("No pages to write");
  QFile file(PathOf(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) CannotWrite(path);
  QPdfWriter writer(&file);
  writer.setResolution(kPdfResolution);
  writer.setCreator(QStringLiteral("talven"));
  writer.setTitle(QString::fromUtf8(GbkToUtf8(title).c_str()));
  writer.setPageLayout(LayoutOf(pages.PageAt(indices.front()), indices.front()));
  QPainter painter;
  if (!painter.begin(&writer)) CannotWrite(path);
  for (std::size_t k = 0; k < indices.size(); ++k) {
    if (k > 0) {
      writer.setPageLayout(LayoutOf(pages.PageAt(indices[k]), indices[k]));
      writer.newPage();
    }
    PaintPreparedPage(pages, indices[k], painter, kPdfResolution);
  }
  painter.end();
  file.close();
  if (file.error() != QFileDevice::NoError) CannotWrite(path);
}

std::string NumberedPngPath(const std::string& path, int pageNo, int pageCount) {
  std::string stem = path;
  if (stem.size() >= 4 && SameText(stem.substr(stem.size() - 4), ".png")) stem.resize(stem.size() - 4);
  std::string number = std::to_string(pageNo);
  const std::size_t width = std::to_string(std::max(pageCount, 1)).size();
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  return stem + "-" + number + ".png";
}

std::vector<std::string> WritePreparedPng(TfrEMFPages& pages, const std::vector<int>& indices,
                                          const std::string& path, int dpi) {
  std::vector<std::string> written;
  const double factor = dpi / kReportUnitsPerInch;
  for (int index : indices) {
    const TfrPreparedPage& p = pages.PageAt(index);
    const int w = std::max(1, RoundHalfEven(SheetWidthUnits(p) * factor));
    const int h = std::max(1, RoundHalfEven(SheetHeightUnits(p) * factor));
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull()) throw Error(Format("Page %d is too large a picture at %d dpi", {index + 1, dpi}));
    image.setDotsPerMeterX(RoundHalfEven(dpi / 0.0254));
    image.setDotsPerMeterY(RoundHalfEven(dpi / 0.0254));
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      PaintPreparedPage(pages, index, painter, dpi);
    }
    const std::string file = NumberedPngPath(path, index + 1, pages.PageCount());
    if (!image.save(PathOf(file), "PNG", kPngQuality)) CannotWrite(file);
    written.push_back(file);
  }
  return written;
}

}  // namespace talven
