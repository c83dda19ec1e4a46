#include "report/render/qt/page_files.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/page.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/render_view.h"

namespace talven {

namespace {

// The PDF's device resolution: fine enough that frame lines of one report
// unit keep their width to a few per cent.
constexpr int kPdfResolution = 1200;

QString FileName(const std::string& path) { return QString::fromUtf8(path.c_str()); }

}  // namespace

void WriteTemplatePagePng(TfrPage& page, const std::string& path, double scale) {
  const int w = std::max(1, RoundHalfEven(TenthsToUnits(page.PaperWidth) * scale));
  const int h = std::max(1, RoundHalfEven(TenthsToUnits(page.PaperHeight) * scale));
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QtCanvas canvas(painter, ProductionMetrics(), RoundHalfEven(96 * scale));
    DrawTemplatePage(page, canvas, scale, scale);
  }
  if (!image.save(FileName(path), "PNG")) throw Error(Utf8ToGbk("cannot write " + path));
}

void WriteTemplatePagePdf(TfrPage& page, const std::string& path, const std::string& title) {
  QPdfWriter writer(FileName(path));
  writer.setResolution(kPdfResolution);
  writer.setPageSize(QPageSize(QSizeF(page.PaperWidth / 10.0, page.PaperHeight / 10.0), QPageSize::Millimeter));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  writer.setCreator(QStringLiteral("talven"));
  writer.setTitle(QString::fromUtf8(GbkToUtf8(title).c_str()));
  QPainter painter;
  if (!painter.begin(&writer)) throw Error(Utf8ToGbk("cannot write " + path));
  const double scale = kPdfResolution / kReportUnitsPerInch;
  QtCanvas canvas(painter, ProductionMetrics(), kPdfResolution);
  DrawTemplatePage(page, canvas, scale, scale);
  painter.end();
}

}  // namespace talven
