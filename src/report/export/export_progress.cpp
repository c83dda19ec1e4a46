#include "report/export/export_progress.h"

#include "base/text.h"
#include "report/model/report.h"

namespace talven {

void ExportPageProgress::Report(int n) {
  if (report_.OnProgress) {
    report_.OnProgress(n);
  } else if (report_.ShowProgress && window_ != nullptr) {
    window_->SetLabel(prefix_ + " " + std::to_string(n) + " " + "从"_gbk + " " + std::to_string(total_));
  }
  ProcessEvents();
}

void ExportPageProgress::ProcessEvents() {
  if (window_ != nullptr) window_->ProcessEvents();
}

void RunPagesWithProgress(TfrReport& report, const std::string& labelPrefix, int total,
                          const std::function<void(ExportPageProgress&)>& job) {
  TfrProgressWindow* w = report.ShowProgress ? &CurrentProgressWindow() : nullptr;
  ExportPageProgress progress(report, labelPrefix, total, w);
  if (w == nullptr) {
    job(progress);
    return;
  }
  std::string caption = "正在准备报表"_gbk;
  if (!report.Title.empty()) caption += " - " + report.Title;
  w->SetCaption(caption);
  w->SetLabel(labelPrefix + " 1");
  // An error inside the window's loop closes it and comes out here.
  std::exception_ptr failure;
  w->RunModal([&] {
    try {
      job(progress);
      w->Close(true);
    } catch (...) {
      failure = std::current_exception();
      w->Close(false);
    }
  });
  if (failure) std::rethrow_exception(failure);
}

}  // namespace talven
