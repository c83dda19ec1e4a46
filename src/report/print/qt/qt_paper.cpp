#include "report/print/qt/qt_paper.h"

#include <algorithm>
#include <string>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/printer_adapter.h"
#include "report/print/printer.h"

namespace talven {

bool IsCustomPaper(const PrinterDeviceSettings& s) { return s.PaperSizeSet || s.PaperCode == kCustomPaper; }

bool SheetIsLandscape(const PrinterDeviceSettings& s) {
  return IsCustomPaper(s) ? s.PaperWidth > s.PaperLength : !s.Portrait;
}

QPageSize TablePageSize(const PrinterDeviceSettings& s) {
  if (IsCustomPaper(s)) {
    const double w = std::max(1, s.PaperWidth) / 10.0, l = std::max(1, s.PaperLength) / 10.0;
    return QPageSize(QSizeF(std::min(w, l), std::max(w, l)), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
  }
  const TPaperInfo* row = FindPaper(s.PaperCode);
  if (row == nullptr || row->Width <= 0) throw Error("打印机不支持该纸张: "_gbk + std::to_string(s.PaperCode));
  // The table's sizes are what pages were laid out for; a paper Qt knows
  // by that size keeps its name.
  return QPageSize(QSizeF(std::min(row->Width, row->Height) / 10.0, std::max(row->Width, row->Height) / 10.0),
                   QPageSize::Millimeter, QString::fromUtf8(row->Name), QPageSize::FuzzyMatch);
}

PrinterPageGeometry GeometryOf(const QPageLayout& layout, int resolution, const PrinterDeviceSettings& s) {
  const QRect full = layout.fullRectPixels(resolution), paint = layout.paintRectPixels(resolution);
  PrinterPageGeometry g;
  g.DpiX = g.DpiY = resolution;
  g.PhysicalWidth = full.width();
  g.PhysicalHeight = full.height();
  if (IsCustomPaper(s)) {
    g.PhysicalWidth = RoundHalfEven(s.PaperWidth / 254.0 * resolution);
    g.PhysicalHeight = RoundHalfEven(s.PaperLength / 254.0 * resolution);
  }
  g.OffsetX = paint.x();
  g.OffsetY = paint.y();
  g.PrintableWidth = g.PhysicalWidth - (full.width() - paint.width());
  g.PrintableHeight = g.PhysicalHeight - (full.height() - paint.height());
  return g;
}

}  // namespace talven
