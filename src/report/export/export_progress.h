// Progress of an export run over its pages. With the report's OnProgress
// assigned, every page number goes there; otherwise, when the report shows
// progress, the run's progress window shows "正在处理页: n 从 total" under
// the caption "正在准备报表 - title", and the pages run from inside its
// loop. A program with widgets installs its window; without one the pages
// run directly and the labels go nowhere.
#pragma once

#include <functional>
#include <string>

namespace talven {

class TfrReport;

// The window the pages run in (the print run's progress window).
class TfrPagesProgressWindow {
 public:
  virtual ~TfrPagesProgressWindow() = default;
  virtual void SetCaption(const std::string& caption) = 0;  // GBK
  virtual void SetLabel(const std::string& label) = 0;      // GBK
  // Shows the window modally with the job running inside; true for OK.
  virtual bool RunModal(const std::function<void()>& job) = 0;
  virtual void Close(bool ok) = 0;
  // Lets pending events run; its cancel button sets the report's Cancelled.
  virtual void ProcessEvents() = 0;
};

// The installed window, or none; the caller keeps ownership.
TfrPagesProgressWindow* ExportProgressWindow();
void SetExportProgressWindow(TfrPagesProgressWindow* window);

class ExportPageProgress {
 public:
  ExportPageProgress(TfrReport& report, std::string prefix, int total, TfrPagesProgressWindow* window)
      : report_(report), prefix_(std::move(prefix)), total_(total), window_(window) {}
  // Page n (from 1) is done.
  void Report(int n);
  void ProcessEvents();

 private:
  TfrReport& report_;
  std::string prefix_;
  int total_;
  TfrPagesProgressWindow* window_;
};

// Runs the job with the report's progress as the file comment says.
void RunPagesWithProgress(TfrReport& report, const std::string& labelPrefix, int total,
                          const std::function<void(ExportPageProgress&)>& job);

}  // namespace talven
