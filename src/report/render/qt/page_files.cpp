#include "report/render/qt/page_files.h"

#include <QImage>
#include <QPainter>

#include <cmath>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/page.h"
#include "report/render/qt/qt_canvas.h"
#include "report/render/render_view.h"

namespace talven {

namespace {

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

}  // namespace talven
