// The progress window of a preparation, as the band engine sees it: a
// caption, a label, a modal loop that the preparation runs inside, and the
// processing of pending events after every progress report, through which
// the window's cancel button sets the report's Cancelled flag. A window with
// widgets installs its own; without one, HeadlessProgress shows the labels
// on stderr, or nothing when quiet.
#pragma once

#include <functional>
#include <string>

namespace talven {

class TfrProgressWindow {
 public:
  virtual ~TfrProgressWindow() = default;
  // Texts are GBK.
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetLabel(const std::string& label) = 0;
  // Shows the window modally and runs the job from inside its loop; returns
  // once the job (or the cancel button) has closed it: true for OK.
  virtual bool RunModal(const std::function<void()>& job) = 0;
  // Ends the modal loop with OK or cancel.
  virtual void Close(bool ok) = 0;
  // Lets pending events run (the cancel button is noticed here).
  virtual void ProcessEvents() = 0;
};

class HeadlessProgress : public TfrProgressWindow {
 public:
  explicit HeadlessProgress(bool quiet) : quiet_(quiet) {}
  void SetCaption(const std::string& caption) override;
  void SetLabel(const std::string& label) override;
  bool RunModal(const std::function<void()>& job) override;
  void Close(bool ok) override { ok_ = ok; }
  void ProcessEvents() override {}

 private:
  bool quiet_;
  bool ok_ = true;
  bool shown_ = false;
  bool wrote_ = false;
};

// The installed progress window (a HeadlessProgress on stderr until one is
// installed); SetProgressWindow(nullptr) returns to it. The caller keeps
// ownership.
TfrProgressWindow& CurrentProgressWindow();
void SetProgressWindow(TfrProgressWindow* window);

class ProgressWindowScope {
 public:
  explicit ProgressWindowScope(TfrProgressWindow& window);
  ~ProgressWindowScope();
  ProgressWindowScope(const ProgressWindowScope&) = delete;
  ProgressWindowScope& operator=(const ProgressWindowScope&) = delete;

 private:
  TfrProgressWindow* previous_;
};

}  // namespace talven
