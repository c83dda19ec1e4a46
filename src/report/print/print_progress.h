// The progress window of a print run as the run sees it: a caption, a
// label, a modal loop that the run works inside, and the processing of
// pending events after every page, through which the window's cancel button
// sets the report's Cancelled flag. A window with widgets installs its own;
// without one the labels go to stderr (or nowhere when quiet).
#pragma once

#include <functional>
#include <string>

namespace talven {

class TfrPrintProgress {
 public:
  virtual ~TfrPrintProgress() = default;
  // Texts are GBK.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetLabel(const std::string& label) = 0;
  // Shows the window and runs the job from inside its loop; returns once
  // the job (or the cancel button) has closed it: true for OK.
  virtual bool RunModal(const std::function<void()>& job) = 0;
  virtual void Close(bool ok) = 0;
  virtual void ProcessEvents() = 0;
};

class HeadlessPrintProgress : public TfrPrintProgress {
 public:
  explicit HeadlessPrintProgress(bool quiet) : quiet_(quiet) {}
  void SetCaption(const std::string& caption) override;
  void SetLabel(const std::string& label) override;
  bool RunModal(const std::function<void()>& job) override;
  void Close(bool ok) override { ok_ = ok; }
  void ProcessEvents() override {}

 private:
  bool quiet_;
  bool ok_ = true;
  bool wrote_ = false;
};

// The installed progress window (labels on stderr until one is installed);
// SetPrintProgress(nullptr) returns to it. The caller keeps ownership.
TfrPrintProgress& CurrentPrintProgress();
void SetPrintProgress(TfrPrintProgress* window);

}  // namespace talven
