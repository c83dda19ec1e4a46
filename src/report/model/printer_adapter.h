// What the object model needs of the printer adapter. Template pages take
// their paper from the printer adapter, which sits above the model (it drives
// the printing system and later the print run); so the model talks to it
// through this interface, and report/print's TfrPrinter implements it and is
// installed when the engine starts (StartReportEngine). Without an installed
// adapter pages keep the paper they are given.
//
// Units: paper sizes are tenths of a millimetre; report units are 93 / 1.015
// to the inch (18 units to 5 mm).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace talven {

// Report units per inch.
constexpr double kReportUnitsPerInch = 93.0 / 1.015;

// The paper code of a custom size.
constexpr int kCustomPaper = 256;

// The name of the engine's virtual printer, the last entry of the printer
// list ("虚拟打印机", GBK).
const std::string& VirtualPrinterName();

// Paper and printable-area measures of the printer and paper selected for a
// page, in printer device pixels and in report units.
struct TfrPrinterMetrics {
  std::int32_t PaperWidthDev = 0;
  std::int32_t PaperHeightDev = 0;
  std::int32_t PaperWidthUnits = 0;
  std::int32_t PaperHeightUnits = 0;
  std::int32_t OffsetXDev = 0;
  std::int32_t OffsetYDev = 0;
  std::int32_t OffsetXUnits = 0;
  std::int32_t OffsetYUnits = 0;
  std::int32_t PrintWidthDev = 0;
  std::int32_t PrintHeightDev = 0;
  std::int32_t PrintWidthUnits = 0;
  std::int32_t PrintHeightUnits = 0;

  bool operator==(const TfrPrinterMetrics&) const = default;
};

class TfrPrinterAdapter {
 public:
  virtual ~TfrPrinterAdapter() = default;

  // The system's printers, then the virtual printer.
  virtual const std::vector<std::string>& PrinterNames() const = 0;
  virtual int PrinterIndex() const = 0;
  virtual int VirtualIndex() const = 0;
  bool IsVirtual() const { return PrinterIndex() == VirtualIndex(); }
  // Makes the printer current (nothing when it already is).
  virtual void SelectIndex(int index) = 0;
  // A print job is open; paper changes are refused meanwhile.
  virtual bool Printing() const = 0;

  // The selected paper: code, size as oriented (tenths of a millimetre),
  // orientation (0 portrait, 1 landscape) and bin (-1 the default source).
  virtual int CurPaperCode() const = 0;
  virtual int CurPaperWidth() const = 0;
  virtual int CurPaperHeight() const = 0;
  virtual int CurOrientation() const = 0;
  virtual int CurBin() const = 0;

  virtual bool PaperMatches(int code, int width, int height, int bin, int orientation) const = 0;
  // Nothing while printing, nor, unless forced, when the paper already
  // matches; else the paper becomes the printer's. May fail with an Error
  // when the printing system refuses the paper.
  virtual void SetPaper(int code, int width, int height, int bin, int orientation, bool force) = 0;
  virtual void FillMetrics(TfrPrinterMetrics& metrics) const = 0;
};

// The engine's printer adapter, or none before the engine started. The
// caller of SetEnginePrinter keeps ownership.
TfrPrinterAdapter* EnginePrinter();
void SetEnginePrinter(TfrPrinterAdapter* printer);

// The paper code new template pages get: the current printer's code when the
// engine started. Before that, and on the virtual printer, A4 (9).
int EngineDefaultPaperCode();
void SetEngineDefaultPaperCode(int code);

// Set once the printer adapter has started; templates are read afterwards.
bool EngineReady();
void SetEngineReady(bool ready);

}  // namespace talven
