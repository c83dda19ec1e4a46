// Prepared pages written as files through the Qt canvas, the headless output
// of the program: a PDF of one page per prepared page, each with its own
// paper size and orientation (fonts embedded, text selectable), and PNG
// pictures, one file a page, at a chosen resolution. Needs a
// QGuiApplication (the offscreen platform serves).
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

class TfrEMFPages;

// Draws one page on a painter whose device shows the page's sheet from its
// top-left corner at `resolution` pixels to the inch.
void PaintPreparedPage(TfrEMFPages& pages, int index, QPainter& painter, int resolution);

// The pages (0-based indices, in the order given) as one PDF file (a UTF-8
// path); the title goes into the document information. Fails with an Error
// when the file cannot be written or a page has no paper size.
void WritePreparedPdf(TfrEMFPages& pages, const std::vector<int>& indices, const std::string& path,
                      const std::string& title = "");

// The name of a page's picture: "OUT.png" becomes "OUT-7.png" for page 7,
// the number padded with zeros to the width of the page count, so that the
// files sort in page order.
std::string NumberedPngPath(const std::string& path, int pageNo, int pageCount);

// The pages as PNG pictures at `dpi` pixels to the inch, on white; returns
// the files written (NumberedPngPath).
std::vector<std::string> WritePreparedPng(TfrEMFPages& pages, const std::vector<int>& indices,
                                          const std::string& path, int dpi);

}  // namespace talven
