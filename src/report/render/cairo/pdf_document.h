// A PDF file written page by page through the cairo canvas: fonts embedded
// as subsets with their text, JPEG pictures as they are, every page of its
// own paper size. The file is written beside its name and takes that name
// only when it is complete, so a failed run leaves an earlier file alone.
//
//   PdfDocument pdf(fileName, title);
//   for each page: Canvas& c = pdf.BeginPage(w, h); draw into pdf.PageRect(); pdf.EndPage();
//   pdf.Finish();
#pragma once

#include <cairo.h>

#include <cstdio>
#include <memory>
#include <string>

#include "report/render/cairo/cairo_canvas.h"
#include "report/render/text_metrics.h"

namespace talven {

// Points (1/72 inch) of a length in tenths of a millimetre or in report
// units.
double TenthsToPoints(double tenths);
double UnitsToPoints(double units);

class PdfDocument {
 public:
  // Device pixels per inch of the pages' canvas: fine enough that frame
  // lines of one report unit keep their width to a few per cent.
  static constexpr int kResolution = 1200;

  // Starts the file (GBK name); the title (GBK) goes into the document
  // information with the author "talven" and the time of creation. Fails
  // with "Cannot create file "<name>"" when the file cannot be written.
  PdfDocument(const std::string& fileName, const std::string& title, TextMetrics& metrics = ProductionMetrics());
  // Without Finish, nothing is left behind.
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // A new page of the paper size in points, as the page lies (a landscape
  // page is wider than high); its canvas, with no clip. The canvas's origin
  // lies originX, originY device pixels in from the page's top-left corner
  // (a printer's printable area, say).
  Canvas& BeginPage(double widthPoints, double heightPoints, int originX = 0, int originY = 0);
  // The page in device pixels of its canvas: the rectangle a page is drawn
  // into.
  TfrRect PageRect() const { return pageRect_; }
  void EndPage();
  int PageCount() const { return pages_; }

  // Writes the rest and puts the file in place. Fails with "Cannot write
  // file "<name>"" when the data could not be written, and with "No pages
  // to write to "<name>"" for a document without pages.
  void Finish();

 private:
  static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length);
  void Discard();

  std::string fileName_;  // GBK
  std::string path_, partPath_;  // UTF-8
  std::FILE* file_ = nullptr;
  bool writeFailed_ = false;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::unique_ptr<CairoCanvas> canvas_;
  TfrRect pageRect_;
  int pages_ = 0;
  bool inPage_ = false;
};

class TfrPage;

// A one-page PDF file (GBK name) of a template page as it stands, on the
// page's paper (talven template render).
void WriteTemplatePagePdf(TfrPage& page, const std::string& fileName, const std::string& title);

}  // namespace talven
