// TfrPrinter: the engine's printer adapter. It keeps the printer list (the
// system's printers, then the virtual printer), the selected printer's
// paper, bin and orientation and the papers and bins it offers, converts
// between paper sizes, device pixels and report units, and pushes a page's
// paper to the printing system. On the virtual printer every paper of the
// paper table is available and pages have 5 mm (18-unit) borders.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "report/model/printer_adapter.h"
#include "report/print/printer_system.h"

namespace talven {

// A row of the paper table: code, name, width and height (tenths of a
// millimetre, portrait).
struct TPaperInfo {
  int Code;
  const char* Name;
  int Width;
  int Height;
};

// The 67 papers: codes 1-47 and 50-68, then 256 (custom, 0 × 0).
const std::array<TPaperInfo, 67>& PaperTable();
// The row of a code, or none.
const TPaperInfo* FindPaper(int code);

// The name of the default bin, the first of the bin names.
const std::string& DefaultBinName();

class TfrPrinter : public TfrPrinterAdapter {
 public:
  // Only the virtual printer, on A4 portrait.
  TfrPrinter();

  // Rebuilds the printer list from the system (none: only the virtual
  // printer) and selects the system's current printer, or the virtual one
  // when the system has no printers. The caller keeps ownership.
  void Attach(PrinterSystem* system);
  PrinterSystem* System() const { return system_; }

  const std::vector<std::string>& PrinterNames() const override { return names_; }
  int PrinterIndex() const override { return index_; }
  int VirtualIndex() const override { return virtualIndex_; }
  void SelectIndex(int index) override;
  bool Printing() const override;

  int CurPaperCode() const override { return paperCode_; }
  int CurPaperWidth() const override { return paperWidth_; }
  int CurPaperHeight() const override { return paperHeight_; }
  int CurOrientation() const override { return orientation_; }
  int CurBin() const override { return bin_; }

  bool PaperMatches(int code, int width, int height, int bin, int orientation) const override;
  // Forgets the current paper code (-1), so that the next SetPaper applies
  // whatever it is given, as after a change of printer.
  void ForgetPaper() { paperCode_ = -1; }
  void SetPaper(int code, int width, int height, int bin, int orientation, bool force) override;
  void FillMetrics(TfrPrinterMetrics& metrics) const override;

  // Reads paper, papers, bins and orientation of the selected system
  // printer; when that fails the virtual printer is selected instead.
  void ReadPrinter();
  // Pushes the current paper, orientation and bin to the printer (on the
  // virtual printer: takes the paper's size from the table).
  void ApplySettings();
  // The driver's settings dialog; true when confirmed (settings re-read).
  bool Properties();

  // The selected printer's device, driver and port, and device settings
  // (none on the virtual printer).
  const std::string& Device() const { return device_; }
  const std::string& Driver() const { return driver_; }
  const std::string& Port() const { return port_; }
  const std::optional<PrinterDeviceSettings>& DeviceSettings() const { return settings_; }

  // The papers the printer offers (at most 256) and their names, and the
  // bins: first -1 (the default source), then the printer's (64 at most in
  // all), with their names.
  const std::vector<int>& PaperCodes() const { return paperCodes_; }
  const std::vector<std::string>& PaperNames() const { return paperNames_; }
  const std::vector<int>& BinCodes() const { return binCodes_; }
  const std::vector<std::string>& BinNames() const { return binNames_; }

 private:
  void SelectVirtual();

  PrinterSystem* system_ = nullptr;
  std::vector<std::string> names_;
  int index_ = 0;
  int virtualIndex_ = 0;
  std::string device_, driver_, port_;
  std::optional<PrinterDeviceSettings> settings_;
  int paperCode_ = 9;
  int paperWidth_ = 0, paperHeight_ = 0;
  int orientation_ = 0;
  int bin_ = -1;
  std::vector<int> paperCodes_;
  std::vector<std::string> paperNames_;
  std::vector<int> binCodes_;
  std::vector<std::string> binNames_;
};

// Engine start: creates the printer adapter, attaches it to the printing
// system (none: the virtual printer only), installs it as the engine's,
// takes the default paper code from the printer's device settings (A4 on the
// virtual printer), starts the expression engine (function libraries, model
// hooks), starts drawing (the height and CALCWIDTH hooks) and marks the
// engine ready. Calling it again re-attaches.
TfrPrinter& StartReportEngine(PrinterSystem* system = nullptr);
// The engine's adapter (started without a printing system if need be).
TfrPrinter& Printer();

}  // namespace talven
