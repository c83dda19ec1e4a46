// Prepared pages: what preparing a report produces. Every output page is a
// compact record, TfrPreparedPage, holding the page's paper and a stream of
// the objects printed onto it in their printing form; the preview, printing
// and export rebuild a page's objects only while they need them. The same
// records are what a prepared-report file (".frp") holds.
//
// Reading a file is safe on any bytes: every read is bounds-checked by
// TfrStream, end offsets must point ahead inside the file, a page count never
// allocates ahead of the data and every page consumes bytes, so a damaged
// file ends in an Error with the pages read before the damage, never in a
// crash or a loop without end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/model/page.h"
#include "report/model/printer_adapter.h"
#include "report/model/report.h"
#include "report/model/stream.h"
#include "report/model/view.h"

namespace talven {

class Canvas;

// The version byte this engine writes first in page streams and files.
inline constexpr std::uint8_t kPreparedVersion = 25;

// The hand-point cursor that link objects show under the mouse.
inline constexpr int crHandPoint = -21;

// One prepared page. Created zero-filled: bin 0, not in view.
struct TfrPreparedPage {
  // Where the preview has laid the page out at its zoom, preview pixels.
  TfrRect LayoutRect;
  std::uint16_t SheetCode = 0;  // paper code; 256 custom
  std::int32_t SheetWidth = 0;  // tenths of a millimetre
  std::int32_t SheetHeight = 0;
  std::uint8_t SheetOrientation = 0;  // 0 portrait, 1 landscape
  std::int32_t SheetBin = 0;          // -1 (or 65535 from a template page): the default source
  // True: the page's coordinates cover the whole sheet, drawn 1:1; false:
  // the content is fitted into the printable area inset by Margins.
  bool KeepMargins = false;
  TfrRect Margins;  // left, top, right, bottom; report units
  TfrPrinterMetrics Metrics;
  // Drawing a page that is not in view releases its objects instead.
  bool InView = false;
  // The version byte, then every object: type byte, class name for add-ins,
  // record in printing form; no count, no terminator.
  TfrStream ObjectStream;
  // The objects rebuilt from ObjectStream; none while not needed.
  std::unique_ptr<TfrPage> LoadedPage;
};

// The compressor plug point of the file writer and reader. Nothing in this
// program sets Active: pages are stored as they are. A file written with
// compression reads back with empty pages, since UnpackStream gives nothing.
struct TfrCompressor {
  bool Active = false;
  void PackStream(TfrStream& source, TfrStream& target) { (void)source, (void)target; }
  void UnpackStream(TfrStream& source, TfrStream& target) { (void)source, (void)target; }
};
TfrCompressor& Compressor();

// The prepared pages of one report, owned by it (PreparedPagesOf).
class TfrEMFPages {
 public:
  // The owner gives the events, the printer selection and the generator
  // version; it may be none (no events, no printer name).
  explicit TfrEMFPages(TfrReport* owner);
  ~TfrEMFPages();
  TfrEMFPages(const TfrEMFPages&) = delete;
  TfrEMFPages& operator=(const TfrEMFPages&) = delete;

  TfrReport* Owner() const { return owner_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  // Fails with "List index out of bounds (N)" outside 0 .. PageCount - 1.
  TfrPreparedPage& PageAt(int index);
  const TfrPreparedPage& PageAt(int index) const;

  // A new page at the end with the template page's paper, margins and
  // metrics; then OnBeginPage of the report being prepared, and of the
  // master report when that is another one, with the engine's page index.
  void AppendPage(TfrPage& templatePage);
  // A new page before index, or at the end when index >= PageCount; no
  // event. Its stream holds the version byte.
  void InsertPage(int index, TfrPage& templatePage);
  void DeletePage(int index);
  void Clear();

  // Rebuilds LoadedPage from ObjectStream (the page's version byte governs
  // the reading; an empty stream gives an empty page). The page becomes the
  // engine's current page. A damaged stream fails with an Error; the
  // objects read before the damage stay in LoadedPage.
  void MaterializePage(int index);
  // Rewrites ObjectStream from LoadedPage (each object's Memo becomes its
  // OutputText); nothing without a loaded page.
  void StorePage(int index);

  // Draws the page scaled from its metrics into the rectangle (device
  // pixels of the canvas): the page's PaperWidthUnits × PaperHeightUnits
  // fill it. Sets the engine's document mode to printing. A page that is
  // not InView releases its objects instead and draws nothing. Objects
  // whose box, with 10 pixels to spare, lies outside the canvas's clip are
  // skipped, except on the printer's canvas while it prints and on a
  // metafile canvas.
  void DrawPage(int index, Canvas& canvas, const TfrRect& rect);
  // Hands every object of the page to the current export filter (its
  // position and the object; a memo then draws its lines to the filter in
  // export mode), then releases the objects.
  void ExportPage(int index);

  // The topmost object under a point in report units from the page's
  // top-left corner. A click calls the owner's OnObjectClick; an object
  // whose name begins with "URL" is a link: a Tag holding "@" becomes the
  // hint (the preview jumps to the page number after it), any other Tag is
  // opened through the shell seam. Hovering calls OnMouseOverObject; over a
  // link the cursor becomes crHandPoint and the hint its Tag.
  bool HitTest(int index, int x, int y, bool click, std::string& hint, int& cursor);

  // The prepared-report file: version 25, compression flag, printer name,
  // page count, per page its end offset, paper, margins and stream, and the
  // owner's InfoGeneratorVersion (see prepared_pages.cpp for the layout).
  void SaveToStream(TfrStream& stream);
  // The same with the printer name given (the text form keeps a file's own).
  void SaveToStream(TfrStream& stream, const std::string& printerName);
  // Replaces every page by the file's: the current form, the versionless
  // one (first byte 0, 1 or 255) and the legacy one (a metafile per page,
  // kept as a picture object). A damaged file fails with an Error and
  // leaves the pages read before the damage. A page count of zero or less
  // reads one page, as the format's reader always has, unless nothing but
  // the trailing byte follows: then the file holds no pages.
  void LoadFromStream(TfrStream& stream);

 private:
  TfrPreparedPage& NewPage(int index, TfrPage& templatePage);
  void LoadCurrentForm(TfrStream& s, int version, std::uint8_t compression);
  void LoadLegacyForm(TfrStream& s);

  TfrReport* owner_;
  std::vector<std::unique_ptr<TfrPreparedPage>> pages_;
};

// Appends one object at the end of a page stream in printing form: its type
// byte, the class name for an add-in (type 10), its record with OutputText
// as the text. The band engine emits every printed object through it.
void WritePreparedObject(TfrStream& pageStream, TfrView& view);

// Reads the objects of a page stream onto a page (which owns them), in
// stream order, from the start of the stream; the version byte is kept as
// the engine's stream version while they are read. Fails with an Error for
// an unknown type byte or class, or a record cut short; the objects read
// before stay on the page. Returns the version byte (-1 for an empty
// stream).
int ReadPreparedObjects(TfrStream& pageStream, TfrPage& page);

// The page's sheet in report units as its metrics give it; a page without
// metrics (no printer adapter) has its paper's own size.
std::int32_t SheetWidthUnits(const TfrPreparedPage& page);
std::int32_t SheetHeightUnits(const TfrPreparedPage& page);

// The rectangle a page is drawn into inside its sheet's rectangle, at
// `factor` device pixels to the report unit: the sheet itself for a page
// that keeps its margins, else the printable area inset by the margins.
TfrRect PageDrawRect(const TfrPreparedPage& page, const TfrRect& sheet, double factor);

// The canvas of the print job that is open: the print run sets it while it
// prints, and DrawPage draws every object on it. None otherwise.
Canvas* PrinterCanvas();
void SetPrinterCanvas(Canvas* canvas);

// The report's prepared pages, created on first use.
TfrEMFPages& PreparedPagesOf(TfrReport& report);

// Resets the report information (generator version 88, both dates now),
// reads the file (GBK name) into the prepared pages and marks the report as
// not rebuildable. Fails when the file cannot be read or is damaged.
void LoadPrepared(TfrReport& report, const std::string& fileName);
// Writes the prepared pages to a file (GBK name), created or truncated.
void SavePrepared(TfrReport& report, const std::string& fileName);

}  // namespace talven
