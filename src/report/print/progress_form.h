// TfrProgressForm: the progress window of preparing, printing and exporting
// a report. A dialog centred on the screen with two centred labels and the
// button "取消"; the job runs from inside its modal loop, and the button sets
// the report's Cancelled flag and closes the window with cancel.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "report/engine/progress.h"

class QLabel;
class QPushButton;

namespace talven {

class TfrReport;

class TfrProgressForm : public QDialog, public TfrProgressWindow {
 public:
  // The report whose Cancelled flag the button sets; none: the report being
  // prepared (the engine's current report).
  explicit TfrProgressForm(QWidget* parent = nullptr, TfrReport* report = nullptr);

  void SetCaption(const std::string& caption) override;
  void SetLabel(const std::string& label) override;
  // The second label (a script's PROGRESS text).
  void SetSecondLabel(const std::string& text);
  bool RunModal(const std::function<void()>& job) override;
  void Close(bool ok) override;
  void ProcessEvents() override;

  QLabel* Label1;
  QLabel* Label2;
  QPushButton* Button1;

 private:
  void Cancel();

  TfrReport* report_;
  bool running_ = false;
};

}  // namespace talven
