// Progress of an export run over its pages. With the report's OnProgress
// assigned, every page number goes there; otherwise, when the report shows
// progress, the engine's progress window (CurrentProgressWindow) shows
// "正在处理页: n 从 total" under the caption "正在准备报表 - title", and the
// pages run from inside its loop.
#pragma once

#include <functional>
#include <string>

#include "report/engine/progress.h"

namespace talven {

class TfrReport;

class ExportPageProgress {
 public:
  ExportPageProgress(TfrReport& report, std::string prefix, int total, TfrProgressWindow* window)
      : report_(report), prefix_(std::move(prefix)), total_(total), window_(window) {}
  // Page n (from 1) is done.
  void Report(int n);
  void ProcessEvents();

 private:
  TfrReport& report_;
  std::string prefix_;
  int total_;
  TfrProgressWindow* window_;
};

// Runs the job with the report's progress as the file comment says; an
// error inside the window's loop closes the window and comes out here.
void RunPagesWithProgress(TfrReport& report, const std::string& labelPrefix, int total,
                          const std::function<void(ExportPageProgress&)>& job);

}  // namespace talven
