// Prepared pages written as files, the headless output of the program: a
// PDF of one page per prepared page, each with its own paper size and
// orientation (fonts embedded as subsets, text selectable, JPEG pictures as
// they are), and PNG pictures, one file a page, at a chosen resolution.
// Pictures need a QGuiApplication (the offscreen platform serves); PDF files
// do not.
//
// Pages are drawn through TfrEMFPages::DrawPage as the preview and the
// printer draw them; a page that does not keep its margins is fitted into
// its sheet's printable area inside its margins. Each page's objects are
// released once it is written.
#pragma once

#include <string>
#include <vector>

class QPainter;

namespace talven {

class Canvas;
class TfrEMFPages;
struct TfrRect;

// Draws one page on a canvas whose sheet lies in `sheet` (device pixels,
// `factor` of them to the report unit), then releases its objects.
void DrawPreparedSheet(TfrEMFPages& pages, int index, Canvas& canvas, const TfrRect& sheet, double factor);

// The pages (0-based indices, in the order given) as one PDF file (a UTF-8
// path); the title (GBK) goes into the document information. The file takes
// its name only once it is complete. Fails with an Error when the file
// cannot be written, there is no page to write, or a page has no paper size.
void WritePreparedPdf(TfrEMFPages& pages, const std::vector<int>& indices, const std::string& path,
                      const std::string& title = "");

// The name of a page's picture: "OUT.png" becomes "OUT-7.png" for page 7,
// the number padded with zeros to the width of the page count, so that the
// files sort in page order.
std::string NumberedPngPath(const std::string& path, int pageNo, int pageCount);

// One page on a painter whose device shows the page's sheet from its
// top-left corner at `resolution` pixels to the inch.
void PaintPreparedPage(TfrEMFPages& pages, int index, QPainter& painter, int resolution);

// The pages as PNG pictures at `dpi` pixels to the inch, on white; returns
// the files written (NumberedPngPath).
std::vector<std::string> WritePreparedPng(TfrEMFPages& pages, const std::vector<int>& indices,
                                          const std::string& path, int dpi);

}  // namespace talven
