#include "report/preview/preview_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/rounding.h"

namespace talven {

namespace {

// A sheet's size at the factor, in pixels; geometry from a damaged file
// stays inside what a rectangle can hold.
int Scaled(std::int32_t units, double factor) {
  const double v = std::clamp(units * factor, 0.0, 1e8);
  return RoundHalfEven(v);
}

}  // namespace

TfrZoomState& EngineZoomState() {
  static TfrZoomState zoom;
  return zoom;
}

double ZoomFactorFor(int mode, double factor, int areaWidth, int areaHeight, const TfrPreparedPage& reference) {
  const double width = SheetWidthUnits(reference), height = SheetHeightUnits(reference);
  double f = factor;
  switch (mode) {
    case zmPageWidth:
      if (width > 0) f = (areaWidth - 20) / width;
      break;
    case zmOnePage:
      if (height > 0) f = (areaHeight - 20) / height;
      break;
    case zmTwoPages:
      if (width > 0) f = (areaWidth - 30) / (2 * width);
      break;
    default:
      break;
  }
  // A window squeezed to nothing still shows its pages as dots rather than
  // turning them inside out.
  const double smallest = width > 0 ? 1.0 / std::max(width, height) : 0.01;
  return std::max(f, smallest);
}

int PagesPerRow(const TfrEMFPages& pages, double factor, int mode, int areaWidth) {
  if (mode == zmOnePage) return 1;
  if (mode == zmTwoPages) return 2;
  std::int64_t x = 10;
  int count = 0, most = 0;
  for (int i = 0; i < pages.PageCount(); ++i) {
    const std::int64_t next = x + Scaled(SheetWidthUnits(pages.PageAt(i)), factor) + 10;
    if (next > areaWidth) {
      // The row is full; the page that did not fit starts no count of its
      // own, as the layout always has.
      most = std::max(most, count);
      x = 10;
      count = 0;
    } else {
      x = next;
      ++count;
    }
  }
  most = std::max(most, count);
  return std::max(most, 1);
}

TfrLayoutExtent LayoutPages(TfrEMFPages& pages, double factor, int mode, int areaWidth) {
  const int perRow = PagesPerRow(pages, factor, mode, areaWidth);
  TfrLayoutExtent extent;
  std::int64_t y = 10;
  for (int first = 0; first < pages.PageCount(); first += perRow) {
    std::int64_t x = 10;
    int rowHeight = 0;
    const int end = std::min(pages.PageCount(), first + perRow);
    for (int i = first; i < end; ++i) {
      TfrPreparedPage& p = pages.PageAt(i);
      const int w = Scaled(SheetWidthUnits(p), factor), h = Scaled(SheetHeightUnits(p), factor);
      std::int64_t left = x;
      if (perRow == 1 && w < areaWidth) left = (areaWidth - w) / 2;
      const auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::min<std::int64_t>(v, std::numeric_limits<std::int32_t>::max()));
      };
      p.LayoutRect = {clamp(left), clamp(y), clamp(left + w), clamp(y + h)};
      extent.Right = std::max(extent.Right, p.LayoutRect.Right);
      extent.Bottom = std::max(extent.Bottom, p.LayoutRect.Bottom);
      x += w + 10;
      rowHeight = std::max(rowHeight, h);
    }
    y += rowHeight + 10;
  }
  return extent;
}

int ScrollRange(int extent, int area) {
  const int range = extent - area;
  return range > 0 ? range + 10 : 0;
}

int PageCrossing(const TfrEMFPages& pages, int y) {
  for (int i = 0; i < pages.PageCount(); ++i) {
    const TfrRect& r = pages.PageAt(i).LayoutRect;
    if (r.Top < y && y < r.Bottom) return i;
  }
  return -1;
}

bool LayoutHolds(const TfrPreparedPage& page, int x, int y) {
  const TfrRect& r = page.LayoutRect;
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

}  // namespace talven
