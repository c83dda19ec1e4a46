// The operating system's printing as the printer adapter sees it: the list
// of printers, the selected printer's device settings, what it can do, its
// page geometry, and print jobs. The adapter's logic does not depend on how
// this is answered; a printing-system implementation plugs in here, and with
// none the engine runs on its virtual printer.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace talven {

class Canvas;

// The device settings of a printer, with what its driver supports.
struct PrinterDeviceSettings {
  int PaperCode = 9;
  bool Portrait = true;
  int DefaultSource = -1;  // bin code; -1 the default
  // A custom paper size is set (length and width in tenths of a millimetre).
  bool PaperSizeSet = false;
  int PaperLength = 0;
  int PaperWidth = 0;
  int Copies = 1;

  bool SupportsPaperCode = true;
  bool SupportsOrientation = true;
  bool SupportsCopies = true;
  bool SupportsDefaultSource = true;
};

// The selected printer's device, driver and port.
struct PrinterIdentity {
  std::string Device, Driver, Port;
};

// The page of the selected printer with its current settings, in device
// pixels.
struct PrinterPageGeometry {
  int PhysicalWidth = 0, PhysicalHeight = 0;
  int DpiX = 0, DpiY = 0;
  int OffsetX = 0, OffsetY = 0;  // the printable area's top-left corner
  int PrintableWidth = 0, PrintableHeight = 0;
};

struct PrinterPaper {
  int Code = 0;
  std::string Name;
};

struct PrinterBin {
  int Code = 0;
  std::string Name;
};

class PrinterSystem {
 public:
  virtual ~PrinterSystem() = default;

  // Printer names (GBK) and the index of the current printer (-1 for none).
  virtual std::vector<std::string> PrinterNames() = 0;
  virtual int CurrentPrinter() = 0;
  virtual void SelectPrinter(int index) = 0;

  virtual PrinterIdentity Identity() = 0;
  // None when they cannot be read.
  virtual std::optional<PrinterDeviceSettings> DeviceSettings() = 0;
  // The settings become the printer's; fails with an Error when refused.
  virtual void SetDeviceSettings(const PrinterIdentity& identity, const PrinterDeviceSettings& settings) = 0;
  virtual PrinterPageGeometry PageGeometry() = 0;
  virtual std::vector<PrinterPaper> Papers() = 0;
  virtual std::vector<PrinterBin> Bins() = 0;

  // The driver's own settings dialog for the selected printer; true when
  // the user confirmed it (the settings have changed).
  virtual bool ShowProperties() = 0;

  // Print jobs. A job prints on the selected printer with its settings as
  // they stand when it begins. SetCopies asks the printer to make that many
  // uncollated copies of each page of the next job; false when it cannot
  // (the caller then prints the copies itself). BeginJob opens the job with
  // its title and its first sheet, NewPage starts the next sheet, EndJob
  // hands the job to the printer, AbortJob drops it. Each fails with an
  // Error the user can read when the printing system refuses.
  virtual bool Printing() = 0;
  virtual bool SetCopies(int copies) = 0;
  virtual void BeginJob(const std::string& title) = 0;
  virtual void NewPage() = 0;
  virtual void EndJob() = 0;
  virtual void AbortJob() = 0;
  // The canvas of the open job's current sheet: device pixels, the origin
  // at the top-left corner of the printable area. None without a job.
  virtual Canvas* JobCanvas() = 0;
};

}  // namespace talven
