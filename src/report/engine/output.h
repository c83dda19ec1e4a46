// Where a preparation puts its output pages: the list of prepared pages as
// the band engine needs it (append a page with the paper of a template page,
// the object stream of a page, delete, clear), and TfrMemoryPages, a plain
// list of page records that can be written as a prepared-report file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/model/printer_adapter.h"
#include "report/model/stream.h"

namespace talven {

class TfrPage;
class TfrReport;
class TfrView;

class TfrOutputPages {
 public:
  virtual ~TfrOutputPages() = default;
  virtual int PageCount() const = 0;
  // A new page at the end with the paper, margins and metrics of the
  // template page; then OnBeginPage of the current report (and of the
  // master report when that is another) with EngineState().PageIndex.
  virtual void AppendPage(TfrPage& page) = 0;
  // The object stream of a page: the version byte 25, then the objects.
  virtual TfrStream& PageStream(int index) = 0;
  virtual void DeletePage(int index) = 0;
  virtual void Clear() = 0;
};

// One object at the end of a page stream in printing form: the type code,
// the class name for add-ins (type 10), the object's printing record.
void WritePreparedObject(TfrStream& pageStream, TfrView& view);

// Fires OnBeginPage for a page just appended (current and master report).
void AnnounceNewPage();

struct TfrMemoryPage {
  std::uint16_t SheetCode = 0;
  std::int32_t SheetWidth = 0, SheetHeight = 0;
  std::uint8_t SheetOrientation = 0;
  std::int32_t SheetBin = -1;
  bool KeepMargins = true;
  std::int32_t Margins[4] = {0, 0, 0, 0};
  TfrPrinterMetrics Metrics;
  TfrStream ObjectStream;
};

class TfrMemoryPages : public TfrOutputPages {
 public:
  int PageCount() const override { return static_cast<int>(pages_.size()); }
  void AppendPage(TfrPage& page) override;
  TfrStream& PageStream(int index) override { return pages_.at(static_cast<std::size_t>(index)).ObjectStream; }
  void DeletePage(int index) override;
  void Clear() override { pages_.clear(); }

  const TfrMemoryPage& PageAt(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  // Bytes held by the page streams.
  std::size_t StreamBytes() const;

  // The prepared-report file: version 25, compression 0, the printer name,
  // the page count, per page its end offset, paper and stream, and the
  // report's generator version at the end.
  void SaveToStream(TfrStream& stream, const std::string& printerName, int generatorVersion) const;

 private:
  std::vector<TfrMemoryPage> pages_;
};

}  // namespace talven
