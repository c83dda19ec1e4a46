// The system's printers for the printer adapter: Qt's printer support over
// CUPS. Each printer keeps its own device settings (paper, orientation,
// bin, copies) for as long as the program runs, mirrored onto a QPrinter
// of that printer; jobs are painted on that QPrinter through the Qt canvas
// at the printer's own resolution, the origin at the printable area. The
// bins come from CUPS itself (cups_sources.h). Needs a QGuiApplication.
#pragma once

#include <QPageSize>
#include <QPainter>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "report/print/printer_system.h"
#include "report/print/qt/cups_sources.h"

class QPrinter;

namespace talven {

class QtCanvas;

class QtPrinterSystem : public PrinterSystem {
 public:
  QtPrinterSystem();
  ~QtPrinterSystem() override;

  std::vector<std::string> PrinterNames() override;
  int CurrentPrinter() override;
  void SelectPrinter(int index) override;
  PrinterIdentity Identity() override;
  std::optional<PrinterDeviceSettings> DeviceSettings() override;
  void SetDeviceSettings(const PrinterIdentity& identity, const PrinterDeviceSettings& settings) override;
  PrinterPageGeometry PageGeometry() override;
  std::vector<PrinterPaper> Papers() override;
  std::vector<PrinterBin> Bins() override;
  bool ShowProperties() override;

  bool Printing() override { return printing_; }
  bool SetCopies(int copies) override;
  void BeginJob(const std::string& title) override;
  void NewPage() override;
  void EndJob() override;
  void AbortJob() override;
  Canvas* JobCanvas() override;

  // The index of the system's default printer, or -1.
  int DefaultPrinter();
  // The QPrinter of the selected printer with its current settings (the
  // page-setup dialog works on it); none without printers. After changing
  // it, TakePrinterSettings makes its settings the printer's.
  QPrinter* SelectedQPrinter();
  void TakePrinterSettings();

 private:
  struct Paper {
    int Code;
    std::string Name;  // GBK
    QPageSize Size;
  };
  struct Entry {
    QString Name;
    std::unique_ptr<QPrinter> Printer;
    int Resolution = 600;
    std::vector<Paper> Papers;
    std::vector<CupsSource> Sources;
    PrinterDeviceSettings Settings;
  };

  void Refresh();
  Entry& Selected();
  Entry& Open(Entry& entry);
  // The page size of a paper code on the printer (its own, or a standard
  // one); custom sizes are built from the settings.
  QPageSize PageSizeOf(const Entry& entry, const PrinterDeviceSettings& s) const;
  void Mirror(Entry& entry);
  // The settings read back from the QPrinter (after a dialog changed it).
  void ReadBack(Entry& entry);

  std::vector<Entry> entries_;
  int current_ = -1;
  bool printing_ = false;
  QPainter painter_;
  std::unique_ptr<QtCanvas> canvas_;
};

}  // namespace talven
