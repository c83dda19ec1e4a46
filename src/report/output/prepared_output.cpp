#include "report/output/prepared_output.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

#include "base/error.h"
#include "base/format.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/printer_adapter.h"
#include "report/pages/prepared_pages.h"
#include "report/render/cairo/pdf_document.h"
#include "report/render/qt/qt_canvas.h"

namespace talven {

namespace {

// The sheet of a page in device pixels at `factor` to the report unit.
TfrRect SheetRect(const TfrPreparedPage& p, double factor) {
  return {0, 0, std::max(1, RoundHalfEven(SheetWidthUnits(p) * factor)),
          std::max(1, RoundHalfEven(SheetHeightUnits(p) * factor))};
}

// Qt's PNG quality 80 is zlib's fastest level: page pictures of text and
// lines compress nearly as well as at the default, several times faster.
constexpr int kPngQuality = 80;

}  // namespace

void DrawPreparedSheet(TfrEMFPages& pages, int index, Canvas& canvas, const TfrRect& sheet, double factor) {
  TfrPreparedPage& p = pages.PageAt(index);
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
  PdfDocument pdf(Utf8ToGbk(path), title);
  const double factor = PdfDocument::kResolution / kReportUnitsPerInch;
  for (int index : indices) {
    const TfrPreparedPage& p = pages.PageAt(index);
    const double width = p.SheetWidth > 0 ? TenthsToPoints(p.SheetWidth) : UnitsToPoints(SheetWidthUnits(p));
    const double height = p.SheetHeight > 0 ? TenthsToPoints(p.SheetHeight) : UnitsToPoints(SheetHeightUnits(p));
    if (width <= 0 || height <= 0) throw Error(Format("Page %d has no paper size", {index + 1}));
    Canvas& canvas = pdf.BeginPage(width, height);
    DrawPreparedSheet(pages, index, canvas, pdf.PageRect(), factor);
    pdf.EndPage();
  }
  pdf.Finish();
}

std::string NumberedPngPath(const std::string& path, int pageNo, int pageCount) {
  std::string stem = path;
  if (stem.size() >= 4 && SameText(stem.substr(stem.size() - 4), ".png")) stem.resize(stem.size() - 4);
  std::string number = std::to_string(pageNo);
  const std::size_t width = std::to_string(std::max(pageCount, 1)).size();
  if (number.size() < width) number.insert(0, width - number.size(), '0');
  return stem + "-" + number + ".png";
}

void PaintPreparedPage(TfrEMFPages& pages, int index, QPainter& painter, int resolution) {
  const double factor = resolution / kReportUnitsPerInch;
  QtCanvas canvas(painter, ProductionMetrics(), resolution);
  DrawPreparedSheet(pages, index, canvas, SheetRect(pages.PageAt(index), factor), factor);
}

std::vector<std::string> WritePreparedPng(TfrEMFPages& pages, const std::vector<int>& indices,
                                          const std::string& path, int dpi) {
  std::vector<std::string> written;
  for (int index : indices) {
    const TfrRect sheet = SheetRect(pages.PageAt(index), dpi / kReportUnitsPerInch);
    QImage image(sheet.Right, sheet.Bottom, QImage::Format_RGB32);
    if (image.isNull()) throw Error(Format("Page %d is too large a picture at %d dpi", {index + 1, dpi}));
    image.setDotsPerMeterX(RoundHalfEven(dpi / 0.0254));
    image.setDotsPerMeterY(RoundHalfEven(dpi / 0.0254));
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      PaintPreparedPage(pages, index, painter, dpi);
    }
    const std::string file = NumberedPngPath(path, index + 1, pages.PageCount());
    if (!image.save(QString::fromUtf8(file.c_str()), "PNG", kPngQuality))
      throw Error(Utf8ToGbk("cannot write " + file));
    written.push_back(file);
  }
  return written;
}

}  // namespace talven
