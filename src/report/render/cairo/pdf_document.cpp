#include "report/render/cairo/pdf_document.h"

#include <cairo-pdf.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/page.h"
#include "report/model/printer_adapter.h"
#include "report/render/render_view.h"

namespace talven {

namespace {

// The time of creation as the document information holds it:
// local time with its offset from UTC.
std::string CreationDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  const int offset = static_cast<int>(local.tm_gmtoff / 60) % (24 * 60);
  char zone[16];
  std::snprintf(zone, sizeof zone, "%c%02d:%02d", offset < 0 ? '-' : '+', std::abs(offset) / 60, std::abs(offset) % 60);
  return std::string(text) + zone;
}

}  // namespace

double TenthsToPoints(double tenths) { return tenths / 254.0 * 72.0; }
double UnitsToPoints(double units) { return units / kReportUnitsPerInch * 72.0; }

PdfDocument::PdfDocument(const std::string& fileName, const std::string& title, TextMetrics& metrics)
    : fileName_(fileName), path_(GbkToUtf8(fileName)), partPath_(path_ + ".part") {
  file_ = std::fopen(partPath_.c_str(), "wb");
  if (file_ == nullptr) throw Error("Cannot create file \"" + fileName_ + "\"");
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 18);
  // A4 until the first page says otherwise.
  surface_ = cairo_pdf_surface_create_for_stream(&PdfDocument::Write, this, 595.28, 841.89);
  cr_ = cairo_create(surface_);
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    Discard();
    throw Error("Cannot create file \"" + fileName_ + "\"");
  }
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, GbkToUtf8(title).c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_AUTHOR, "talven");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "talven");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATE_DATE, CreationDate().c_str());
  cairo_scale(cr_, 72.0 / kResolution, 72.0 / kResolution);
  canvas_ = std::make_unique<CairoCanvas>(cr_, metrics, kResolution);
}

PdfDocument::~PdfDocument() { Discard(); }

void PdfDocument::Discard() {
  canvas_.reset();
  if (cr_ != nullptr) cairo_destroy(cr_);
  cr_ = nullptr;
  if (surface_ != nullptr) {
    // Whatever cairo still writes goes nowhere.
    writeFailed_ = true;
    cairo_surface_finish(surface_);
    cairo_surface_destroy(surface_);
  }
  surface_ = nullptr;
  if (file_ != nullptr) {
    std::fclose(file_);
    std::remove(partPath_.c_str());
  }
  file_ = nullptr;
}

cairo_status_t PdfDocument::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* self = static_cast<PdfDocument*>(closure);
  if (self->writeFailed_ || self->file_ == nullptr) return CAIRO_STATUS_WRITE_ERROR;
  if (std::fwrite(data, 1, length, self->file_) != length) {
    self->writeFailed_ = true;
    return CAIRO_STATUS_WRITE_ERROR;
  }
  return CAIRO_STATUS_SUCCESS;
}

Canvas& PdfDocument::BeginPage(double widthPoints, double heightPoints, int originX, int originY) {
  if (inPage_) EndPage();
  cairo_pdf_surface_set_size(surface_, widthPoints, heightPoints);
  pageRect_ = TfrRect{-originX, -originY, RoundHalfEven(widthPoints * kResolution / 72.0) - originX,
                      RoundHalfEven(heightPoints * kResolution / 72.0) - originY};
  canvas_->NewPage();
  cairo_identity_matrix(cr_);
  cairo_scale(cr_, 72.0 / kResolution, 72.0 / kResolution);
  cairo_translate(cr_, originX, originY);
  canvas_->SetClipRect(std::nullopt);
  inPage_ = true;
  return *canvas_;
}

void PdfDocument::EndPage() {
  if (!inPage_) return;
  canvas_->Flush();
  cairo_show_page(cr_);
  inPage_ = false;
  ++pages_;
}

void PdfDocument::Finish() {
  if (surface_ == nullptr) return;
  EndPage();
  if (pages_ == 0) {
    Discard();
    throw Error("No pages to write to \"" + fileName_ + "\"");
  }
  canvas_.reset();
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (status != CAIRO_STATUS_SUCCESS || writeFailed_ || !closed ||
      std::rename(partPath_.c_str(), path_.c_str()) != 0) {
    std::remove(partPath_.c_str());
    throw Error("Cannot write file \"" + fileName_ + "\"");
  }
}

void WriteTemplatePagePdf(TfrPage& page, const std::string& fileName, const std::string& title) {
  PdfDocument pdf(fileName, title);
  Canvas& canvas = pdf.BeginPage(TenthsToPoints(page.PaperWidth), TenthsToPoints(page.PaperHeight));
  const double scale = PdfDocument::kResolution / kReportUnitsPerInch;
  DrawTemplatePage(page, canvas, scale, scale);
  pdf.EndPage();
  pdf.Finish();
}

}  // namespace talven
