#include "report/print/printer.h"

#include <cmath>
#include <exception>
#include <memory>

#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/engine/band_engine.h"
#include "report/expr/report_scope.h"
#include "report/render/render_view.h"

namespace talven {

namespace {

constexpr std::size_t kMaxPapers = 256;
constexpr std::size_t kMaxBinNames = 64;
constexpr std::size_t kPaperNameWidth = 64;
constexpr std::size_t kBinNameWidth = 24;
constexpr std::size_t kIdentityWidth = 127;  // buffers of 128 bytes

constexpr std::array<TPaperInfo, 67> kPapers = {{
    {1, "Letter", 2159, 2794},
    {2, "Letter Small", 2159, 2794},
    {3, "Tabloid", 2794, 4318},
    {4, "Ledger", 4318, 2794},
    {5, "Legal", 2159, 3556},
    {6, "Statement", 1397, 2159},
    {7, "Executive", 1842, 2667},
    {8, "A3", 2970, 4200},
    {9, "A4", 2100, 2970},
    {10, "A4 Small", 2100, 2970},
    {11, "A5", 1480, 2100},
    {12, "B4 (JIS)", 2500, 3540},
    {13, "B5 (JIS)", 1820, 2570},
    {14, "Folio", 2159, 3302},
    {15, "Quarto", 2150, 2750},
    {16, "10x14", 2540, 3556},
    {17, "11x17", 2794, 4318},
    {18, "Note", 2159, 2794},
    {19, "Envelope #9", 984, 2254},
    {20, "Envelope #10", 1048, 2413},
    {21, "Envelope #11", 1143, 2635},
    {22, "Envelope #12", 1207, 2794},
    {23, "Envelope #14", 1270, 2921},
    {24, "C size sheet", 4318, 5588},
    {25, "D size sheet", 5588, 8636},
    {26, "E size sheet", 8636, 11176},
    {27, "Envelope DL", 1100, 2200},
    {28, "Envelope C5", 1620, 2290},
    {29, "Envelope C3", 3240, 4580},
    {30, "Envelope C4", 2290, 3240},
    {31, "Envelope C6", 1140, 1620},
    {32, "Envelope C65", 1140, 2290},
    {33, "Envelope B4", 2500, 3530},
    {34, "Envelope B5", 1760, 2500},
    {35, "Envelope B6", 1760, 1250},
    {36, "Envelope Italy", 1100, 2300},
    {37, "Envelope Monarch", 984, 1905},
    {38, "6 3/4 Envelope", 920, 1651},
    {39, "US Std Fanfold", 3778, 2794},
    {40, "German Std Fanfold", 2159, 3048},
    {41, "German Legal Fanfold", 2159, 3302},
    {42, "B4 (ISO)", 2500, 3530},
    {43, "Japanese Postcard", 1000, 1480},
    {44, "9x11", 2286, 2794},
    {45, "10x11", 2540, 2794},
    {46, "15x11", 3810, 2794},
    {47, "Envelope Invite", 2200, 2200},
    {50, "Letter Extra", 2355, 3048},
    {51, "Legal Extra", 2355, 3810},
    {52, "Tabloid Extra", 2969, 4572},
    {53, "A4 Extra", 2354, 3223},
    {54, "Letter Transverse", 2101, 2794},
    {55, "A4 Transverse", 2100, 2970},
    {56, "Letter Extra Transverse", 2355, 3048},
    {57, "Super A", 2270, 3560},
    {58, "Super B", 3050, 4870},
    {59, "Letter Plus", 2159, 3223},
    {60, "A4 Plus", 2100, 3300},
    {61, "A5 Transverse", 1480, 2100},
    {62, "B5 (JIS) Transverse", 1820, 2570},
    {63, "A3 Extra", 3220, 4450},
    {64, "A5 Extra", 1740, 2350},
    {65, "B5 (ISO) Extra", 2010, 2760},
    {66, "A2", 4200, 5940},
    {67, "A3 Transverse", 2970, 4200},
    {68, "A3 Extra Transverse", 3220, 4450},
    {256, "Custom size", 0, 0},
}};

std::int32_t ToUnits(double v, double perInch) { return RoundHalfEven(v * kReportUnitsPerInch / perInch); }

}  // namespace

const std::array<TPaperInfo, 67>& PaperTable() { return kPapers; }

const TPaperInfo* FindPaper(int code) {
  for (const TPaperInfo& p : kPapers)
    if (p.Code == code) return &p;
  return nullptr;
}

const std::string& DefaultBinName() { return "默认纸盒"_gbk; }

TfrPrinter::TfrPrinter() { Attach(nullptr); }

void TfrPrinter::Attach(PrinterSystem* system) {
  system_ = system;
  names_ = system_ != nullptr ? system_->PrinterNames() : std::vector<std::string>{};
  const int systemCount = static_cast<int>(names_.size());
  names_.push_back(VirtualPrinterName());
  virtualIndex_ = systemCount;
  if (systemCount == 0) {
    SelectVirtual();
    return;
  }
  int current = system_->CurrentPrinter();
  index_ = current >= 0 && current < systemCount ? current : 0;
  if (index_ != current) system_->SelectPrinter(index_);
  ReadPrinter();
}

void TfrPrinter::SelectIndex(int index) {
  if (index == index_ || index < 0 || index >= static_cast<int>(names_.size())) return;
  if (index == virtualIndex_) {
    SelectVirtual();
    return;
  }
  index_ = index;
  if (system_ == nullptr) return;
  try {
    system_->SelectPrinter(index);
  } catch (const std::exception&) {
    SelectVirtual();
    return;
  }
  ReadPrinter();
}

bool TfrPrinter::Printing() const { return system_ != nullptr && system_->Printing(); }

void TfrPrinter::SelectVirtual() {
  index_ = virtualIndex_;
  device_.clear();
  driver_.clear();
  port_.clear();
  settings_.reset();
  binCodes_ = {-1};
  binNames_ = {DefaultBinName()};
  ApplySettings();
}

void TfrPrinter::ReadPrinter() {
  if (IsVirtual() || system_ == nullptr) return SelectVirtual();
  try {
    PrinterIdentity id = system_->Identity();
    device_ = CutToWidth(id.Device, kIdentityWidth);
    driver_ = CutToWidth(id.Driver, kIdentityWidth);
    port_ = CutToWidth(id.Port, kIdentityWidth);
    settings_ = system_->DeviceSettings();
    if (!settings_) settings_ = system_->DeviceSettings();
    if (!settings_) throw Error("no device settings");

    paperCode_ = settings_->PaperCode;
    PrinterPageGeometry page = system_->PageGeometry();
    if (page.DpiX <= 0 || page.DpiY <= 0) throw Error("no printer resolution");
    paperWidth_ = RoundHalfEven(static_cast<double>(page.PhysicalWidth) / page.DpiX * 254);
    paperHeight_ = RoundHalfEven(static_cast<double>(page.PhysicalHeight) / page.DpiY * 254);

    paperCodes_.clear();
    paperNames_.clear();
    for (const PrinterPaper& p : system_->Papers()) {
      if (paperCodes_.size() == kMaxPapers) break;
      paperCodes_.push_back(static_cast<std::int16_t>(p.Code));
      paperNames_.push_back(CutToWidth(p.Name, kPaperNameWidth));
    }

    bin_ = settings_->DefaultSource;
    binCodes_ = {-1};
    binNames_ = {DefaultBinName()};
    for (const PrinterBin& b : system_->Bins()) {
      if (binNames_.size() == kMaxBinNames) break;
      binCodes_.push_back(static_cast<std::int16_t>(b.Code));
      binNames_.push_back(CutToWidth(b.Name, kBinNameWidth));
    }
    orientation_ = settings_->Portrait ? 0 : 1;
  } catch (const std::exception&) {
    SelectVirtual();
  }
}

void TfrPrinter::ApplySettings() {
  if (IsVirtual() || system_ == nullptr) {
    paperCodes_.clear();
    paperNames_.clear();
    for (const TPaperInfo& p : kPapers) {
      paperCodes_.push_back(p.Code);
      paperNames_.push_back(p.Name);
    }
    const TPaperInfo* row = paperCode_ != kCustomPaper ? FindPaper(paperCode_) : nullptr;
    if (row != nullptr) {
      paperWidth_ = orientation_ == 0 ? row->Width : row->Height;
      paperHeight_ = orientation_ == 0 ? row->Height : row->Width;
    }
    return;
  }
  std::optional<PrinterDeviceSettings> current = system_->DeviceSettings();
  if (!current) throw Error("Printer settings cannot be read");
  PrinterDeviceSettings s = *current;
  s.PaperSizeSet = paperCode_ == kCustomPaper;
  if (s.PaperSizeSet) {
    s.PaperLength = paperHeight_;
    s.PaperWidth = paperWidth_;
  }
  if (s.SupportsPaperCode) s.PaperCode = paperCode_;
  if (s.SupportsOrientation) s.Portrait = orientation_ == 0;
  if (s.SupportsCopies) s.Copies = 1;
  if (bin_ != -1 && s.SupportsDefaultSource) s.DefaultSource = bin_;
  system_->SetDeviceSettings(PrinterIdentity{device_, driver_, port_}, s);
  ReadPrinter();
}

bool TfrPrinter::PaperMatches(int code, int width, int height, int bin, int orientation) const {
  if (code != paperCode_) return false;
  if (code == kCustomPaper)
    // Sizes read from files may be anything: compared without overflow.
    return std::abs(static_cast<long long>(width) - paperWidth_) <= 1 &&
           std::abs(static_cast<long long>(height) - paperHeight_) <= 1 && orientation == orientation_;
  return orientation == orientation_ && (bin == bin_ || bin == -1);
}

void TfrPrinter::SetPaper(int code, int width, int height, int bin, int orientation, bool force) {
  if (Printing()) return;
  if (!force && PaperMatches(code, width, height, bin, orientation)) return;
  paperCode_ = code;
  paperWidth_ = width;
  paperHeight_ = height;
  bin_ = bin;
  orientation_ = orientation;
  ApplySettings();
}

void TfrPrinter::FillMetrics(TfrPrinterMetrics& m) const {
  if (IsVirtual() || system_ == nullptr) {
    m.PaperWidthUnits = ToUnits(paperWidth_, 254);
    m.PaperHeightUnits = ToUnits(paperHeight_, 254);
    m.OffsetXUnits = m.OffsetYUnits = ToUnits(50, 254);
    m.PrintWidthUnits = m.PaperWidthUnits - 2 * m.OffsetXUnits;
    m.PrintHeightUnits = m.PaperHeightUnits - 2 * m.OffsetYUnits;
    return;
  }
  PrinterPageGeometry page = system_->PageGeometry();
  const double dx = page.DpiX > 0 ? page.DpiX : 1, dy = page.DpiY > 0 ? page.DpiY : 1;
  m.PaperWidthDev = page.PhysicalWidth;
  m.PaperHeightDev = page.PhysicalHeight;
  m.OffsetXDev = page.OffsetX;
  m.OffsetYDev = page.OffsetY;
  m.PrintWidthDev = page.PrintableWidth;
  m.PrintHeightDev = page.PrintableHeight;
  m.PaperWidthUnits = ToUnits(m.PaperWidthDev, dx);
  m.PaperHeightUnits = ToUnits(m.PaperHeightDev, dy);
  m.OffsetXUnits = ToUnits(m.OffsetXDev, dx);
  m.OffsetYUnits = ToUnits(m.OffsetYDev, dy);
  m.PrintWidthUnits = ToUnits(m.PrintWidthDev, dx);
  m.PrintHeightUnits = ToUnits(m.PrintHeightDev, dy);
}

bool TfrPrinter::Properties() {
  if (IsVirtual() || system_ == nullptr) return false;
  if (!system_->ShowProperties()) return false;
  ReadPrinter();
  return true;
}

TfrPrinter& StartReportEngine(PrinterSystem* system) {
  static TfrPrinter printer;
  SetEngineReady(false);
  printer.Attach(system);
  SetEnginePrinter(&printer);
  // A new page gets the printer's own paper; on the virtual printer A4, so
  // that pages never come out without a size.
  SetEngineDefaultPaperCode(!printer.IsVirtual() && printer.DeviceSettings() ? printer.CurPaperCode() : 9);
  StartExpressionEngine();
  StartRenderEngine();
  StartBandEngine();
  SetEngineReady(true);
  return printer;
}

TfrPrinter& Printer() {
  if (auto* p = dynamic_cast<TfrPrinter*>(EnginePrinter())) return *p;
  return StartReportEngine(nullptr);
}

}  // namespace talven
