#include "report/engine/progress.h"

#include <cstdio>

#include "base/text.h"

namespace talven {

void HeadlessProgress::SetCaption(const std::string& caption) {
  if (quiet_) return;
  std::fprintf(stderr, "%s\n", GbkToUtf8(caption).c_str());
}

void HeadlessProgress::SetLabel(const std::string& label) {
  if (quiet_ || !shown_) return;
  std::fprintf(stderr, "\r%s", GbkToUtf8(label).c_str());
  wrote_ = true;
}

bool HeadlessProgress::RunModal(const std::function<void()>& job) {
  ok_ = true;
  const bool outer = !shown_;
  shown_ = true;
  try {
    job();
  } catch (...) {
    if (outer) shown_ = false;
    if (wrote_ && !quiet_) std::fputc('\n', stderr);
    wrote_ = false;
    throw;
  }
  if (outer) shown_ = false;
  if (wrote_ && !quiet_) std::fputc('\n', stderr);
  wrote_ = false;
  return ok_;
}

namespace {
TfrProgressWindow* installed = nullptr;
}

TfrProgressWindow& CurrentProgressWindow() {
  static HeadlessProgress onStderr(false);
  return installed != nullptr ? *installed : onStderr;
}

void SetProgressWindow(TfrProgressWindow* window) { installed = window; }

ProgressWindowScope::ProgressWindowScope(TfrProgressWindow& window) : previous_(installed) { installed = &window; }
ProgressWindowScope::~ProgressWindowScope() { installed = previous_; }

}  // namespace talven
