#include "report/print/print_progress.h"

#include <cstdio>

#include "base/text.h"

namespace talven {

void HeadlessPrintProgress::SetCaption(const std::string& caption) {
  if (!quiet_) std::fprintf(stderr, "%s\n", GbkToUtf8(caption).c_str());
}

void HeadlessPrintProgress::SetLabel(const std::string& label) {
  if (quiet_) return;
  std::fprintf(stderr, "\r%s", GbkToUtf8(label).c_str());
  wrote_ = true;
}

bool HeadlessPrintProgress::RunModal(const std::function<void()>& job) {
  ok_ = true;
  const auto endLine = [this] {
    if (wrote_) std::fputc('\n', stderr);
    wrote_ = false;
  };
  try {
    job();
  } catch (...) {
    endLine();
    throw;
  }
  endLine();
  return ok_;
}

namespace {
TfrPrintProgress* installed = nullptr;
}

TfrPrintProgress& CurrentPrintProgress() {
  static HeadlessPrintProgress onStderr(false);
  return installed != nullptr ? *installed : onStderr;
}

void SetPrintProgress(TfrPrintProgress* window) { installed = window; }

}  // namespace talven
