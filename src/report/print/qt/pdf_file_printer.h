// A PDF file as a printer, so that a print run can go to a file through the
// same path as to paper: one printer that takes every paper of the paper
// table and custom sizes, at 1200 dpi with a printable area 5 mm in from
// each edge, as the virtual printer lays pages out. Every job of a run goes
// into the one file, in order, each sheet with its own paper; the jobs are
// kept so that their boundaries, titles and copies can be told. It makes no
// copies itself (the run prints them). The sheets are written through the
// PDF document of the cairo canvas (subset fonts with their text, JPEG
// photographs as they are); the first job's title is the document's. The
// file is written beside its name and put in place by Finish; a run that is
// dropped or fails leaves any earlier file of that name as it was. The
// sheets' sizes and printable areas are those of Qt's page layouts, as the
// system's printers have them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "report/print/printer_system.h"

namespace talven {

class PdfDocument;

class PdfFilePrinter : public PrinterSystem {
 public:
  struct Job {
    std::string Title;  // GBK
    int Sheets = 0;
    PrinterDeviceSettings Settings;  // the paper it printed on
  };

  // The file name is UTF-8.
  explicit PdfFilePrinter(std::string fileName);
  ~PdfFilePrinter() override;

  std::vector<std::string> PrinterNames() override;
  int CurrentPrinter() override { return 0; }
  void SelectPrinter(int) override {}
  PrinterIdentity Identity() override;
  std::optional<PrinterDeviceSettings> DeviceSettings() override { return settings_; }
  void SetDeviceSettings(const PrinterIdentity& identity, const PrinterDeviceSettings& settings) override;
  PrinterPageGeometry PageGeometry() override;
  std::vector<PrinterPaper> Papers() override;
  std::vector<PrinterBin> Bins() override { return {}; }
  bool ShowProperties() override { return false; }

  bool Printing() override { return printing_; }
  bool SetCopies(int copies) override { return copies <= 1; }
  void BeginJob(const std::string& title) override;
  void NewPage() override;
  void EndJob() override;
  void AbortJob() override;
  Canvas* JobCanvas() override;

  // Closes the file and puts it in place (nothing is written when no sheet
  // was printed, or a job was dropped). Fails with an Error when the file
  // cannot be written.
  void Finish();
  const std::vector<Job>& Jobs() const { return jobs_; }
  int Sheets() const;

  static constexpr int kResolution = 1200;

 private:
  // The paper of the current job: its size in points as it lies, and the
  // printable area's corner in device pixels.
  struct Sheet {
    double WidthPoints = 0, HeightPoints = 0;
    int OriginX = 0, OriginY = 0;
  };
  void StartSheet();

  std::string fileName_;
  PrinterDeviceSettings settings_;
  std::unique_ptr<PdfDocument> pdf_;
  Sheet sheet_;
  Canvas* canvas_ = nullptr;
  std::vector<Job> jobs_;
  bool printing_ = false;
  bool dropped_ = false;
};

}  // namespace talven
