#include "report/engine/output.h"

#include "report/model/page.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/view.h"

namespace talven {

void WritePreparedObject(TfrStream& pageStream, TfrView& view) {
  pageStream.WriteU8(view.TypeCode);
  if (view.TypeCode == gtAddIn) WriteStreamString(pageStream, view.ClassName());
  const std::uint8_t mode = view.StorageMode;
  view.StorageMode = smPrinting;
  view.WriteToStream(pageStream);
  view.StorageMode = mode;
}

void AnnounceNewPage() {
  PrepareState& state = EngineState();
  if (TfrReport* report = state.CurrentReport; report != nullptr && report->OnBeginPage)
    report->OnBeginPage(state.PageIndex);
  if (TfrReport* master = state.MasterReport;
      master != nullptr && master != state.CurrentReport && master->OnBeginPage)
    master->OnBeginPage(state.PageIndex);
}

void TfrMemoryPages::AppendPage(TfrPage& page) {
  TfrMemoryPage& p = pages_.emplace_back();
  p.ObjectStream.WriteU8(25);
  p.SheetCode = static_cast<std::uint16_t>(page.Size);
  p.SheetWidth = page.PaperWidth;
  p.SheetHeight = page.PaperHeight;
  p.SheetOrientation = page.Orientation;
  p.SheetBin = page.PaperSource == 65535 ? -1 : page.PaperSource;
  p.KeepMargins = page.KeepMargins;
  p.Margins[0] = page.LeftMargin;
  p.Margins[1] = page.TopMargin;
  p.Margins[2] = page.RightMargin;
  p.Margins[3] = page.BottomMargin;
  p.Metrics = page.PrinterMetrics;
  AnnounceNewPage();
}

void TfrMemoryPages::DeletePage(int index) {
  if (index >= 0 && index < PageCount()) pages_.erase(pages_.begin() + index);
}

std::size_t TfrMemoryPages::StreamBytes() const {
  std::size_t n = 0;
  for (const TfrMemoryPage& p : pages_) n += p.ObjectStream.Size();
  return n;
}

void TfrMemoryPages::SaveToStream(TfrStream& s, const std::string& printerName, int generatorVersion) const {
  s.WriteU8(25);
  s.WriteU8(0);
  WriteStreamString(s, printerName);
  s.WriteI32(PageCount());
  for (const TfrMemoryPage& p : pages_) {
    const std::size_t at = s.Position();
    s.WriteI32(static_cast<std::int32_t>(at));
    s.WriteU16(p.SheetCode);
    s.WriteI32(p.SheetWidth);
    s.WriteI32(p.SheetHeight);
    s.WriteU8(p.SheetOrientation);
    s.WriteI32(p.SheetBin);
    s.WriteU8(p.KeepMargins ? 1 : 0);
    for (std::int32_t m : p.Margins) s.WriteI32(m);
    s.WriteBytes(p.ObjectStream.Bytes());
    s.PatchI32(at, static_cast<std::int32_t>(s.Position()));
  }
  s.WriteU8(static_cast<std::uint8_t>(generatorVersion));
}

}  // namespace talven
