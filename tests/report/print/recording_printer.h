// A printing system without CUPS that keeps every job it is given: the
// settings each job began with, its copies, and per sheet what was drawn on
// it (a recording canvas at 300 dpi, printable area 50 pixels in from every
// edge).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "report/print/printer_system.h"
#include "report/render/recording_canvas.h"

namespace talven {

class RecordingPrinterSystem : public PrinterSystem {
 public:
  struct Job {
    std::string Title;
    int Copies = 1;
    PrinterDeviceSettings Settings;
    std::vector<std::unique_ptr<RecordingCanvas>> Sheets;
    bool Ended = false, Aborted = false;
  };

  explicit RecordingPrinterSystem(TextMetrics& metrics) : metrics_(metrics) {}

  std::vector<std::string> PrinterNames() override { return names; }
  int CurrentPrinter() override { return current; }
  void SelectPrinter(int index) override { current = index; }
  PrinterIdentity Identity() override { return {names.at(static_cast<std::size_t>(current)), "test", "file"}; }
  std::optional<PrinterDeviceSettings> DeviceSettings() override {
    if (current == unreadablePrinter) return std::nullopt;
    return settings;
  }
  void SetDeviceSettings(const PrinterIdentity&, const PrinterDeviceSettings& s) override {
    if (printing) throw Error("settings changed during a job");
    settings = s;
  }
  PrinterPageGeometry PageGeometry() override {
    PrinterPageGeometry g;
    g.DpiX = g.DpiY = 300;
    int w = 2100, h = 2970;  // A4
    if (settings.PaperSizeSet) w = settings.PaperWidth, h = settings.PaperLength;
    else if (settings.PaperCode == 11) w = 1480, h = 2100;
    if (!settings.Portrait) std::swap(w, h);
    g.PhysicalWidth = w * 300 / 254;
    g.PhysicalHeight = h * 300 / 254;
    g.OffsetX = g.OffsetY = 50;
    g.PrintableWidth = g.PhysicalWidth - 100;
    g.PrintableHeight = g.PhysicalHeight - 100;
    return g;
  }
  std::vector<PrinterPaper> Papers() override { return {{9, "A4"}, {11, "A5"}}; }
  std::vector<PrinterBin> Bins() override { return {{7, "Auto"}}; }
  bool ShowProperties() override { return false; }

  bool Printing() override { return printing; }
  bool SetCopies(int copies) override {
    copiesAsked = copies;
    return makesCopies;
  }
  void BeginJob(const std::string& title) override {
    if (printing) throw Error("a job is open");
    printing = true;
    Job& job = jobs.emplace_back();
    job.Title = title;
    job.Copies = copiesAsked;
    job.Settings = settings;
    job.Sheets.push_back(std::make_unique<RecordingCanvas>(metrics_));
  }
  void NewPage() override { jobs.back().Sheets.push_back(std::make_unique<RecordingCanvas>(metrics_)); }
  void EndJob() override {
    printing = false;
    jobs.back().Ended = true;
  }
  void AbortJob() override {
    printing = false;
    jobs.back().Aborted = true;
  }
  Canvas* JobCanvas() override { return printing ? jobs.back().Sheets.back().get() : nullptr; }

  // The jobs that reached the printer, each as the texts of its sheets.
  std::vector<std::vector<std::string>> Printed() const {
    std::vector<std::vector<std::string>> out;
    for (const Job& job : jobs) {
      if (!job.Ended) continue;
      auto& sheets = out.emplace_back();
      for (const auto& sheet : job.Sheets) {
        std::string text;
        for (const PlacedText& t : sheet->Texts()) text += t.Text;
        sheets.push_back(text);
      }
    }
    return out;
  }

  std::vector<std::string> names = {"Office", "Label"};
  int current = 0;
  int unreadablePrinter = -1;
  bool makesCopies = true;
  PrinterDeviceSettings settings;
  int copiesAsked = 1;
  bool printing = false;
  std::vector<Job> jobs;

 private:
  TextMetrics& metrics_;
};

}  // namespace talven
