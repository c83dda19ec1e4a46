// The prepared-report file, all integers little-endian:
//
//   uint8   version, 25
//   uint8   compression flag (the compressor's Active; 0 here)
//   string  the name of the printer selected now (uint16 length, bytes, 0)
//   int32   page count
//   per page:
//     int32   end offset: the absolute position just after the page's data
//             (written as a placeholder holding its own position, patched
//             once the page is written)
//     uint16  paper code; int32 width, int32 height (tenths of a mm);
//     uint8   orientation; int32 bin; uint8 keep-margins flag;
//     4 × int32 margins (left, top, right, bottom)
//     bytes   the page's object stream, up to the end offset
//   uint8   the owner report's InfoGeneratorVersion
//
// A first byte outside 24-31 is no version: the file is read from its
// first byte as version 0 (no bins, no margins). A compression byte other
// than 0, 1 or 255 marks the legacy form: a text block whose first line is
// the printer name, the page count, and per page its end offset, paper code,
// width, height, orientation, keep-margins flag and an enhanced metafile.
#include "report/pages/prepared_pages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

#include "base/error.h"
#include "base/format.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/factory.h"
#include "report/model/graphic.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/prepare_state.h"
#include "report/pages/shell.h"
#include "report/render/canvas.h"
#include "report/render/render_view.h"

namespace talven {

namespace {

// The stream version of the page being read, for the length of the read.
class StreamVersionScope {
 public:
  explicit StreamVersionScope(int version) : saved_(EngineState().StreamVersion) {
    EngineState().StreamVersion = version;
  }
  ~StreamVersionScope() { EngineState().StreamVersion = saved_; }
  StreamVersionScope(const StreamVersionScope&) = delete;
  StreamVersionScope& operator=(const StreamVersionScope&) = delete;

 private:
  int saved_;
};

[[noreturn]] void IndexError(int index) {
  throw Error(Format("List index out of bounds (%d)", {index}));
}

// The name the file records: the printer selected now.
std::string SelectedPrinterName(const TfrReport* owner) {
  const TfrPrinterAdapter* printer = EnginePrinter();
  if (printer == nullptr) return owner != nullptr ? owner->PrinterName : std::string();
  const auto& names = printer->PrinterNames();
  const int i = printer->PrinterIndex();
  return i >= 0 && i < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(i)] : std::string();
}

// Puts the printer on the page's paper and takes its metrics. A paper the
// printing system refuses leaves the printer where it is, and the page is
// laid out for that. Without a printer adapter the metrics stay empty.
void TakePaperMetrics(TfrPreparedPage& page) {
  TfrPrinterAdapter* printer = EnginePrinter();
  if (printer == nullptr) return;
  try {
    printer->SetPaper(page.SheetCode, page.SheetWidth, page.SheetHeight, page.SheetBin, page.SheetOrientation, false);
  } catch (const Error&) {
  }
  printer->FillMetrics(page.Metrics);
}

// An end offset must lie ahead of what the page has read so far; anything
// else would move the reader backwards.
void CheckAhead(const TfrStream& s, std::size_t end) {
  if (end < s.Position()) throw TfrStreamError("Invalid end position");
}

// A page's paper: code, width, height, orientation, then the bin when the
// file has bins, the keep-margins flag, and the margins when it has bins.
// Without them the bin is the default and the margins are 0.
void ReadPageFields(TfrStream& s, TfrPreparedPage& p, bool binsAndMargins) {
  p.SheetCode = s.ReadU16();
  p.SheetWidth = s.ReadI32();
  p.SheetHeight = s.ReadI32();
  p.SheetOrientation = s.ReadU8();
  p.SheetBin = binsAndMargins ? s.ReadI32() : -1;
  p.KeepMargins = s.ReadU8() != 0;
  if (binsAndMargins) {
    p.Margins.Left = s.ReadI32();
    p.Margins.Top = s.ReadI32();
    p.Margins.Right = s.ReadI32();
    p.Margins.Bottom = s.ReadI32();
  }
}

// Whether the page loop reads another page. A count of zero or less still
// reads one page, as the format's reader always has, unless only the
// trailing byte is left: such a file holds no pages.
bool MorePages(std::int32_t count, int read, const TfrStream& s) {
  if (count > 0) return read < count;
  return read == 0 && s.Remaining() > 1;
}

Canvas* printerCanvas = nullptr;

// Memos of automatic width measure their text once when they are rebuilt.
void FitAutoWidths(TfrPage& page) {
  for (const auto& view : page.ObjectList)
    if (auto* memo = dynamic_cast<TfrMemoView*>(view.get()); memo != nullptr && (memo->Flags & flAutoWidth) != 0)
      RenderView(*memo, ScratchCanvas());
}

// Geometry from files may lie anywhere: sums are taken in 64 bits.
std::int64_t Rounded(double v) { return RoundHalfEven(v); }

std::int32_t Clamped(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

void CheckFileSize(const TfrStream& s) {
  if (s.Position() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
    throw Error("A prepared report cannot be larger than 2 GB");
}

}  // namespace

TfrCompressor& Compressor() {
  static TfrCompressor compressor;
  return compressor;
}

TfrEMFPages::TfrEMFPages(TfrReport* owner) : owner_(owner) {}

TfrEMFPages::~TfrEMFPages() { Clear(); }

TfrPreparedPage& TfrEMFPages::PageAt(int index) {
  if (index < 0 || index >= PageCount()) IndexError(index);
  return *pages_[static_cast<std::size_t>(index)];
}

const TfrPreparedPage& TfrEMFPages::PageAt(int index) const {
  if (index < 0 || index >= PageCount()) IndexError(index);
  return *pages_[static_cast<std::size_t>(index)];
}

TfrPreparedPage& TfrEMFPages::NewPage(int index, TfrPage& t) {
  if (index < 0) IndexError(index);
  auto page = std::make_unique<TfrPreparedPage>();
  page->ObjectStream.WriteU8(kPreparedVersion);
  page->SheetCode = static_cast<std::uint16_t>(t.Size);
  page->SheetWidth = t.PaperWidth;
  page->SheetHeight = t.PaperHeight;
  page->SheetOrientation = t.Orientation;
  page->SheetBin = t.PaperSource;
  page->KeepMargins = t.KeepMargins;
  page->Margins = {t.LeftMargin, t.TopMargin, t.RightMargin, t.BottomMargin};
  page->Metrics = t.PrinterMetrics;
  const auto at = pages_.begin() + std::min<std::ptrdiff_t>(index, PageCount());
  return **pages_.insert(at, std::move(page));
}

void TfrEMFPages::InsertPage(int index, TfrPage& templatePage) { NewPage(index, templatePage); }

void TfrEMFPages::AppendPage(TfrPage& templatePage) {
  // The page before is complete: its stream gives back the room it grew
  // beyond its bytes.
  if (!pages_.empty()) pages_.back()->ObjectStream.Compact();
  NewPage(PageCount(), templatePage);
  const PrepareState& state = EngineState();
  const int pageNo = state.PageIndex;
  TfrReport* current = state.CurrentReport;
  TfrReport* master = state.MasterReport;
  if (current != nullptr && current->OnBeginPage) current->OnBeginPage(pageNo);
  if (master != nullptr && master != current && master->OnBeginPage) master->OnBeginPage(pageNo);
}

void TfrEMFPages::DeletePage(int index) {
  PageAt(index);
  pages_.erase(pages_.begin() + index);
}

void TfrEMFPages::Clear() {
  while (!pages_.empty()) DeletePage(0);
}

void WritePreparedObject(TfrStream& s, TfrView& view) {
  s.Seek(s.Size());
  const std::uint8_t mode = view.StorageMode;
  view.StorageMode = smPrinting;
  s.WriteU8(view.TypeCode);
  if (view.TypeCode == gtAddIn) WriteStreamString(s, view.ClassName());
  view.WriteToStream(s);
  view.StorageMode = mode;
}

int ReadPreparedObjects(TfrStream& s, TfrPage& page) {
  s.Seek(0);
  // A compressed file's pages come back empty here: no version, no objects.
  if (s.AtEnd()) return -1;
  const int version = s.ReadU8();
  StreamVersionScope scope(version);
  PrepareState& state = EngineState();
  while (!s.AtEnd()) {
    const int type = s.ReadU8();
    const std::string className = type == gtAddIn ? ReadStreamString(s) : std::string();
    std::unique_ptr<TfrView> view;
    // The factory notes a missing class for the template reader's message;
    // here the page's own error says it, and the engine's state stays as it
    // was.
    const bool errorFlag = state.ErrorFlag;
    const std::string errorText = state.ErrorText;
    try {
      view = MakeObject(type, className);
    } catch (const TfrClassNotFound&) {
      state.ErrorFlag = errorFlag;
      state.ErrorText = errorText;
      throw Error("Class " + className + " not found");
    }
    if (!view) throw Error(Format("Unknown object type %d", {type}));
    view->StorageMode = smPrinting;
    view->ReadFromStream(s);
    view->StorageMode = smDesign;
    page.Add(std::move(view));
  }
  return version;
}

void TfrEMFPages::MaterializePage(int index) {
  TfrPreparedPage& p = PageAt(index);
  p.LoadedPage.reset();
  p.LoadedPage = std::make_unique<TfrPage>(p.SheetCode, p.SheetWidth, p.SheetHeight, p.SheetBin, p.SheetOrientation);
  TfrPage& page = *p.LoadedPage;
  page.LeftMargin = p.Margins.Left;
  page.TopMargin = p.Margins.Top;
  page.RightMargin = p.Margins.Right;
  page.BottomMargin = p.Margins.Bottom;
  page.KeepMargins = p.KeepMargins;
  // Rebuilt objects are drawn, printed, searched or exported: document mode,
  // in which automatic widths are measured.
  EngineState().DocMode = TfrDocMode::Printing;
  EngineState().CurrentPage = &page;
  try {
    ReadPreparedObjects(p.ObjectStream, page);
  } catch (...) {
    FitAutoWidths(page);
    throw;
  }
  FitAutoWidths(page);
}

void TfrEMFPages::StorePage(int index) {
  TfrPreparedPage& p = PageAt(index);
  if (!p.LoadedPage) return;
  p.ObjectStream.Clear();
  EngineState().StreamVersion = kPreparedVersion;
  p.ObjectStream.WriteU8(kPreparedVersion);
  for (const auto& view : p.LoadedPage->ObjectList) {
    view->OutputText = view->Memo;
    WritePreparedObject(p.ObjectStream, *view);
  }
}

void TfrEMFPages::DrawPage(int index, Canvas& canvas, const TfrRect& rect) {
  TfrPreparedPage& p = PageAt(index);
  const TfrPrinterAdapter* printer = EnginePrinter();
  const bool printing = printer != nullptr && printer->Printing() && &canvas == printerCanvas;
  EngineState().DocMode = TfrDocMode::Printing;
  if (!p.InView) {
    p.LoadedPage.reset();
    return;
  }
  if (!p.LoadedPage) MaterializePage(index);

  const double width = SheetWidthUnits(p);
  const double height = SheetHeightUnits(p);
  if (width <= 0 || height <= 0) return;  // a sheet of no size shows nothing
  const double sx = (static_cast<double>(rect.Right) - rect.Left) / width;
  const double sy = (static_cast<double>(rect.Bottom) - rect.Top) / height;
  const std::optional<TfrRect> clip = printing || canvas.IsMetafile() ? std::nullopt : canvas.ClipRect();
  for (const auto& object : p.LoadedPage->ObjectList) {
    TfrView& v = *object;
    if (clip) {
      const double left = v.Left, top = v.Top;
      const std::int64_t l = Rounded(left * sx) + rect.Left - 10, t = Rounded(top * sy) + rect.Top - 10;
      const std::int64_t r = Rounded((left + v.Width) * sx) + rect.Left + 10;
      const std::int64_t b = Rounded((top + v.Height) * sy) + rect.Top + 10;
      if (!(l < clip->Right && clip->Left < r && t < clip->Bottom && clip->Top < b)) continue;
    }
    v.DrawScaleX = sx;
    v.DrawScaleY = sy;
    v.DrawOffsetX = rect.Left;
    v.DrawOffsetY = rect.Top;
    v.Printing = printing;
    RenderView(v, canvas);
  }
}

void TfrEMFPages::ExportPage(int index) {
  MaterializePage(index);
  TfrPreparedPage& p = PageAt(index);
  for (const auto& object : p.LoadedPage->ObjectList) ExportView(*object);
  p.LoadedPage.reset();
}

bool TfrEMFPages::HitTest(int index, int x, int y, bool click, std::string& hint, int& cursor) {
  TfrPreparedPage& p = PageAt(index);
  if (!p.LoadedPage) MaterializePage(index);
  bool result = false;
  hint.clear();

  // The page's content fitted into the printable area inside the margins,
  // unless the page keeps its own coordinates. A page without metrics maps
  // 1:1.
  double sx = 1, sy = 1, ox = 0, oy = 0;
  if (!p.KeepMargins) {
    const TfrPrinterMetrics& m = p.Metrics;
    if (m.PaperWidthUnits != 0)
      sx = (static_cast<double>(m.PrintWidthUnits) - p.Margins.Left - p.Margins.Right) / m.PaperWidthUnits;
    if (m.PaperHeightUnits != 0)
      sy = (static_cast<double>(m.PrintHeightUnits) - p.Margins.Top - p.Margins.Bottom) / m.PaperHeightUnits;
    ox = static_cast<double>(p.Margins.Left) + m.OffsetXUnits;
    oy = static_cast<double>(p.Margins.Top) + m.OffsetYUnits;
  }

  const auto& objects = p.LoadedPage->ObjectList;
  TfrView* hit = nullptr;
  for (auto it = objects.rbegin(); it != objects.rend() && hit == nullptr; ++it) {
    TfrView& v = **it;
    const double left = v.Left, top = v.Top;
    const std::int32_t l = RoundHalfEven(left * sx + ox), t = RoundHalfEven(top * sy + oy);
    const std::int32_t r = RoundHalfEven(ox + (left + v.Width) * sx), b = RoundHalfEven(oy + (top + v.Height) * sy);
    // A box holds its left and top edges but not its right and bottom ones.
    if (x >= l && x < r && y >= t && y < b) hit = &v;
  }
  if (hit == nullptr) return false;

  const bool link = UpperCase(hit->Name).starts_with("URL");
  if (click) {
    if (owner_ != nullptr && owner_->OnObjectClick) {
      owner_->OnObjectClick(hit);
      result = true;
    }
    if (link) {
      if (hit->Tag.find('@') == std::string::npos) CurrentShell().Open(hit->Tag);
      else hint = hit->Tag;
      result = true;
    }
  } else {
    if (owner_ != nullptr && owner_->OnMouseOverObject) {
      owner_->OnMouseOverObject(hit, cursor);
      result = true;
    }
    if (link) {
      cursor = crHandPoint;
      hint = hit->Tag;
      result = true;
    }
  }
  return result;
}

void TfrEMFPages::SaveToStream(TfrStream& s) { SaveToStream(s, SelectedPrinterName(owner_)); }

void TfrEMFPages::SaveToStream(TfrStream& s, const std::string& printerName) {
  TfrCompressor& compressor = Compressor();
  // The whole file is allocated once: its size is known before it is
  // written.
  std::size_t size = s.Position() + 2 + 3 + printerName.size() + 4 + 1;
  for (const auto& page : pages_) size += 36 + page->ObjectStream.Size();
  s.Reserve(size);
  s.WriteU8(kPreparedVersion);
  s.WriteU8(compressor.Active ? 1 : 0);
  WriteStreamString(s, printerName);
  s.WriteI32(PageCount());
  for (const auto& page : pages_) {
    const TfrPreparedPage& p = *page;
    const std::size_t placeholder = s.Position();
    CheckFileSize(s);
    s.WriteI32(static_cast<std::int32_t>(placeholder));
    s.WriteU16(p.SheetCode);
    s.WriteI32(p.SheetWidth);
    s.WriteI32(p.SheetHeight);
    s.WriteU8(p.SheetOrientation);
    s.WriteI32(p.SheetBin);
    s.WriteU8(p.KeepMargins ? 1 : 0);
    s.WriteI32(p.Margins.Left);
    s.WriteI32(p.Margins.Top);
    s.WriteI32(p.Margins.Right);
    s.WriteI32(p.Margins.Bottom);
    if (compressor.Active) {
      TfrStream source(p.ObjectStream.Bytes());
      TfrStream packed;
      compressor.PackStream(source, packed);
      s.WriteBytes(packed.Bytes());
    } else {
      s.WriteBytes(p.ObjectStream.Bytes());
    }
    CheckFileSize(s);
    s.PatchI32(placeholder, static_cast<std::int32_t>(s.Position()));
  }
  s.WriteU8(static_cast<std::uint8_t>(owner_ != nullptr ? owner_->Info.InfoGeneratorVersion : 88));
}

void TfrEMFPages::LoadFromStream(TfrStream& s) {
  Clear();
  const std::size_t start = s.Position();
  int version = s.ReadU8();
  if (version < 24 || version > 31) {
    version = 0;
    s.Seek(start);
  }
  const std::uint8_t compression = s.ReadU8();
  if (compression == 0 || compression == 1 || compression == 255) {
    LoadCurrentForm(s, version, compression);
  } else {
    s.Seek(start);
    LoadLegacyForm(s);
  }
}

void TfrEMFPages::LoadCurrentForm(TfrStream& s, int version, std::uint8_t compression) {
  const std::string printer = ReadNewStreamString(s);
  if (owner_ != nullptr) owner_->SelectPrinterByName(printer);
  const std::int32_t count = s.ReadI32();
  for (int read = 0; MorePages(count, read, s); ++read) {
    const std::size_t end = ReadEndPosition(s);
    auto page = std::make_unique<TfrPreparedPage>();
    TfrPreparedPage& p = *page;
    ReadPageFields(s, p, version > 23);
    CheckAhead(s, end);
    std::string data = s.ReadBytes(end - s.Position());
    if (compression != 0) {
      TfrStream packed(std::move(data));
      Compressor().UnpackStream(packed, p.ObjectStream);
    } else {
      p.ObjectStream = TfrStream(std::move(data));
    }
    TakePaperMetrics(p);
    pages_.push_back(std::move(page));
    s.Seek(end);
  }
  const std::uint8_t generator = s.ReadU8();
  if (owner_ != nullptr) owner_->Info.InfoGeneratorVersion = generator;
}

void TfrEMFPages::LoadLegacyForm(TfrStream& s) {
  // The text block: lines ended by carriage returns, the block by a zero
  // byte; only its first line, the printer name, is used.
  std::optional<std::string> printer;
  std::string line;
  for (;;) {
    const char c = static_cast<char>(s.ReadU8());
    if (c == '\0') break;
    if (c == '\r') {
      if (!printer) printer = line;
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!printer && !line.empty()) printer = line;
  if (printer && owner_ != nullptr) owner_->SelectPrinterByName(*printer);

  const std::int32_t count = s.ReadI32();
  for (int read = 0; MorePages(count, read, s); ++read) {
    const std::size_t end = ReadEndPosition(s);
    auto page = std::make_unique<TfrPreparedPage>();
    TfrPreparedPage& p = *page;
    ReadPageFields(s, p, false);
    CheckAhead(s, end);
    TakePaperMetrics(p);
    // The page's picture becomes a picture object over the whole sheet.
    std::unique_ptr<TfrView> view = MakeObject(gtPicture, "");
    auto& picture = static_cast<TfrPictureView&>(*view);
    picture.Left = 0;
    picture.Top = 0;
    picture.Width = p.Metrics.PaperWidthUnits;
    picture.Height = p.Metrics.PaperHeightUnits;
    picture.Picture = TfrGraphic::FromBytes(TfrGraphicKind::Metafile, s.ReadBytes(end - s.Position()));
    p.ObjectStream.WriteU8(kPreparedVersion);
    WritePreparedObject(p.ObjectStream, picture);
    pages_.push_back(std::move(page));
    s.Seek(end);
  }
}

std::int32_t SheetWidthUnits(const TfrPreparedPage& p) {
  return p.Metrics.PaperWidthUnits > 0 ? p.Metrics.PaperWidthUnits : TenthsToUnits(p.SheetWidth);
}

std::int32_t SheetHeightUnits(const TfrPreparedPage& p) {
  return p.Metrics.PaperHeightUnits > 0 ? p.Metrics.PaperHeightUnits : TenthsToUnits(p.SheetHeight);
}

TfrRect PageDrawRect(const TfrPreparedPage& p, const TfrRect& sheet, double factor) {
  if (p.KeepMargins) return sheet;
  const TfrPrinterMetrics& m = p.Metrics;
  const TfrRect& margins = p.Margins;
  const std::int64_t left = sheet.Left + Rounded((static_cast<double>(m.OffsetXUnits) + margins.Left) * factor);
  const std::int64_t top = sheet.Top + Rounded((static_cast<double>(m.OffsetYUnits) + margins.Top) * factor);
  return {Clamped(left), Clamped(top),
          Clamped(left + Rounded((static_cast<double>(m.PrintWidthUnits) - margins.Left - margins.Right) * factor)),
          Clamped(top + Rounded((static_cast<double>(m.PrintHeightUnits) - margins.Top - margins.Bottom) * factor))};
}

Canvas* PrinterCanvas() { return printerCanvas; }
void SetPrinterCanvas(Canvas* canvas) { printerCanvas = canvas; }

TfrEMFPages& PreparedPagesOf(TfrReport& report) {
  if (!report.PreparedPages) report.PreparedPages = std::make_shared<TfrEMFPages>(&report);
  return *report.PreparedPages;
}

void LoadPrepared(TfrReport& report, const std::string& fileName) {
  report.Info.Reset();
  TfrStream s(ReadWholeFile(fileName), TfrStream::Origin::File);
  PreparedPagesOf(report).LoadFromStream(s);
  report.Rebuildable = false;
}

void SavePrepared(TfrReport& report, const std::string& fileName) {
  TfrStream s;
  PreparedPagesOf(report).SaveToStream(s);
  std::ofstream out(std::filesystem::path(GbkToUtf8(fileName)), std::ios::binary | std::ios::trunc);
  if (!out) throw Error("Cannot create file \"" + fileName + "\"");
  out.write(s.Bytes().data(), static_cast<std::streamsize>(s.Size()));
  out.close();
  if (!out) throw Error("Cannot write file \"" + fileName + "\"");
}

}  // namespace talven
