// TfrProgress, the small progress box of long export steps (building the
// cell grid, writing a workbook): a message, a bar and an optional cancel
// button, shown without a modal loop while the work goes on. The work
// starts the box, steps it and asks whether cancel was pressed; the box
// lets pending events run at every start and step.
//
// Logic asks NewProgressBox() for one. A program with widgets installs a
// factory for its Qt box; without one the box shows nothing (or writes its
// messages to stderr, see StderrProgressBox), so exports run headless.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace talven {

class TfrProgress {
 public:
  virtual ~TfrProgress() = default;
  // Clears the cancelled flag, shows or hides the bar and the cancel
  // button, puts the bar at its start with the new maximum, shows the
  // message (GBK) and lets events run.
  virtual void Start(int maximum, const std::string& message, bool showBar, bool showCancel) = 0;
  // One step further; the box comes to the front and events run.
  virtual void Step() = 0;
  // Whether cancel was pressed since the last Start.
  virtual bool Cancelled() const = 0;
  // Hides the box.
  virtual void Close() = 0;
};

// Shows nothing, never cancelled; counts what it was told (tests read it).
class SilentProgressBox : public TfrProgress {
 public:
  void Start(int maximum, const std::string& message, bool, bool) override {
    Maximum = maximum;
    Message = message;
    Position = 0;
  }
  void Step() override { ++Position; }
  bool Cancelled() const override { return false; }
  void Close() override {}

  int Maximum = 0, Position = 0;
  std::string Message;
};

// Writes every message it is started with as one line on stderr (UTF-8).
class StderrProgressBox : public TfrProgress {
 public:
  void Start(int maximum, const std::string& message, bool showBar, bool showCancel) override;
  void Step() override {}
  bool Cancelled() const override { return false; }
  void Close() override {}
};

using ProgressBoxFactory = std::function<std::unique_ptr<TfrProgress>()>;

// A new box from the installed factory; a SilentProgressBox without one.
std::unique_ptr<TfrProgress> NewProgressBox();
// Installs a factory (an empty one returns to the silent box) and gives the
// previous one back.
ProgressBoxFactory SetProgressBoxFactory(ProgressBoxFactory factory);

}  // namespace talven
