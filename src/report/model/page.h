// TfrPage: one template page, owning its objects; TfrPages: the report's
// ordered list of template pages.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/model/object.h"
#include "report/model/printer_adapter.h"
#include "report/model/stream.h"
#include "report/model/view.h"

namespace talven {

class TfrBand;
class TfrReport;

enum TfrPageType : std::uint8_t { ptReport = 0, ptDialog = 1 };
enum TfrOrientation : std::uint8_t { poPortrait = 0, poLandscape = 1 };

// Report units from tenths of a millimetre and back (18 units to 5 mm).
std::int32_t TenthsToUnits(std::int32_t tenths);
std::int32_t UnitsToTenths(std::int32_t units);

class TfrPage : public TfrObject {
 public:
  // Applies the paper through the printer adapter (SetPaper).
  TfrPage(int size, int width, int height, int bin, int orientation);
  ~TfrPage() override;

  std::int32_t Size = 0;  // paper code; 256 custom
  std::int32_t PaperWidth = 0, PaperHeight = 0;  // tenths of a millimetre
  std::int32_t LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0;  // report units
  std::uint8_t Orientation = poPortrait;
  std::int32_t PaperSource = 65535;  // 65535: the printer's default bin
  bool PrintToPrevPage = false;
  bool KeepMargins = true;
  std::int32_t Columns = 1;
  std::int32_t ColumnWidth = 0;  // computed while preparing, not stored
  std::int32_t ColumnGap = 0;
  std::uint8_t Type = ptReport;
  std::string Name;
  std::uint8_t BorderStyle = 3;  // 3 dialog frame, 2 sizeable
  std::string Caption = "Form";
  TColor Color = clBtnFace;
  std::int32_t FormLeft = 220, FormTop = 120, FormWidth = 380, FormHeight = 300;  // dialog bounds, pixels
  std::uint8_t Position = 4;  // 0 designed, 4 screen centre
  TfrStrings PageScript;
  bool Visible = true;
  std::vector<std::unique_ptr<TfrView>> ObjectList;
  // Run-time bands of a preparation, owned by the page.
  std::vector<std::unique_ptr<TfrBand>> BandList;
  TfrPrinterMetrics PrinterMetrics;

  // Run-time state of a preparation.
  std::array<TfrBand*, 23> KindBands{};
  bool Prepared = false;
  int RecordMode = 0;
  bool SubreportOnly = false;
  int PrintY = 0;  // "CURY"
  int BottomY = 0;
  int ColumnX = 0;
  int PageColumn = 0;
  int ColumnTopY = 0;
  bool NoRepeatHeaders = false;
  TfrBand* LastPrintedBand = nullptr;
  int CrossColumn = 1;    // "COLUMN#"
  int PagePosition = 1;   // "CURRENT#"
  TfrBand* PendingBand = nullptr;
  TfrStrings PageScriptCode;
  // A dialog page's modal result, as its script sets MODALRESULT.
  int ModalResult = 0;

  // Hands the paper to the printer adapter and takes back the code, size
  // and orientation it selected and its metrics. When the adapter fails the
  // page tries custom paper with the default bin. A bin whose low 16 bits
  // are all ones is stored as 65535; any other is taken back from the
  // adapter.
  void SetPaper(int size, int width, int height, int bin, int orientation);

  // The right limit of the page's content, report units: the sheet width
  // less RightMargin; the printable area's right edge when RightMargin is 0;
  // the sheet width when the page is fitted to the printable area
  // (KeepMargins false).
  std::int32_t RightLimit() const;

  // Appends an object (the page owns it) and returns it.
  TfrView& Add(std::unique_ptr<TfrView> view);
  // Deletes the object at i.
  void Delete(std::size_t i);
  // The index of an object in ObjectList, or -1.
  int IndexOf(const TfrView* view) const;

  void SetPropertyValue(std::string_view name, const Variant& value) override;
  Variant GetPropertyValue(std::string_view name) override;

 protected:
  void RegisterProperties() override;
};

class TfrPages {
 public:
  explicit TfrPages(TfrReport* owner) : owner_(owner) {}

  TfrReport* Owner() const { return owner_; }
  int Count() const { return static_cast<int>(pages_.size()); }
  TfrPage& operator[](int i) const { return *pages_.at(static_cast<std::size_t>(i)); }
  // A page with the engine's default paper code, size 0 × 0, default bin,
  // portrait.
  TfrPage& Add();
  TfrPage& Add(int size, int width, int height, int bin, int orientation);
  void Delete(int i);
  void Clear() { pages_.clear(); }
  int IndexOf(const TfrPage* page) const;

  auto begin() const { return pages_.begin(); }
  auto end() const { return pages_.end(); }

 private:
  TfrReport* owner_;
  std::vector<std::unique_ptr<TfrPage>> pages_;
};

}  // namespace talven
