// How the preview lays prepared pages out on its page area: the zoom factor
// of each zoom mode, pages per row, each page's LayoutRect, the scroll
// ranges and the page under a line of the view. Also the zoom the previews
// of this process share, so that the next preview opens at the zoom chosen
// last. Pure geometry in preview pixels; the window only applies it.
#pragma once

#include "report/pages/prepared_pages.h"

namespace talven {

// The zoom modes: a percentage, the page width, the whole page, two pages
// side by side.
enum TfrZoomMode : int { zmPercent = 0, zmPageWidth = 1, zmOnePage = 2, zmTwoPages = 3 };

// Preview pixels per report unit (1.0 = 100 %) and the mode.
struct TfrZoomState {
  double Factor = 1.0;
  int Mode = zmPercent;
};

// The zoom every preview starts from and every choice in the zoom menu
// writes back.
TfrZoomState& EngineZoomState();

// The zoom factor of a mode for a page area: a percentage keeps the factor;
// the others fit the reference page's sheet (its width less 20 pixels, its
// height less 20, or two sheets in the width less 30). An area too small to
// show anything gives a factor that still draws a sheet of a pixel.
double ZoomFactorFor(int mode, double factor, int areaWidth, int areaHeight, const TfrPreparedPage& reference);

// How many pages go in a row: as many of them as fit between 10-pixel gaps
// in the area's width (the most in any row), at least 1; one in the
// whole-page mode, two in the two-pages mode.
int PagesPerRow(const TfrEMFPages& pages, double factor, int mode, int areaWidth);

// The right and bottom edges of the laid-out pages.
struct TfrLayoutExtent {
  int Right = 0, Bottom = 0;
};

// Sets every page's LayoutRect: rows of PagesPerRow pages from (10, 10),
// 10 pixels apart, each page its sheet at the factor; a page alone in its
// row and narrower than the area is centred in it.
TfrLayoutExtent LayoutPages(TfrEMFPages& pages, double factor, int mode, int areaWidth);

// A scroll bar's range for the pages' extent over an area: nothing when the
// pages fit, else what is hidden and 10 pixels more.
int ScrollRange(int extent, int area);

// The 0-based page whose LayoutRect the horizontal line y crosses
// (top < y < bottom), the first such page; -1 when none does.
int PageCrossing(const TfrEMFPages& pages, int y);

// Whether the page's LayoutRect holds the point (right and bottom edges
// outside).
bool LayoutHolds(const TfrPreparedPage& page, int x, int y);

}  // namespace talven
