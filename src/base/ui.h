// The seam between the program's logic and the user: message boxes, input
// boxes and the busy cursor. Logic calls CurrentUi(); the module installs a
// Qt implementation when it opens its window, tests install a RecordingUi,
// and without either a HeadlessUi answers on the terminal's error stream.
// All texts are GBK.
#pragma once

#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"

namespace talven {

// Message box styles and answers, with the values templates and scripts use.
enum MessageBoxFlags : int {
  MB_OK = 0x0000,
  MB_OKCANCEL = 0x0001,
  MB_ABORTRETRYIGNORE = 0x0002,
  MB_YESNOCANCEL = 0x0003,
  MB_YESNO = 0x0004,
  MB_RETRYCANCEL = 0x0005,
  MB_ICONERROR = 0x0010,
  MB_ICONQUESTION = 0x0020,
  MB_ICONWARNING = 0x0030,
  MB_ICONINFORMATION = 0x0040,
  MB_SYSTEMMODAL = 0x1000,
};
enum MessageBoxAnswer : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

// The answer a box gives when nobody is there to press a button: its first
// button.
int DefaultAnswer(int flags);

class Ui {
 public:
  virtual ~Ui() = default;
  // A modal message box; returns the pressed button (IDOK ...).
  virtual int MessageBox(std::string_view text, std::string_view caption, int flags) = 0;
  // A modal input box; nullopt when cancelled.
  virtual std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt,
                                              std::string_view initial, bool password) = 0;
  // The busy (hourglass) cursor; calls nest.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;
  // The second line of the progress window of a long action (a report
  // script's PROGRESS); pending window messages run afterwards. Without a
  // progress window nothing is shown.
  virtual void ShowProgressText(std::string_view text) { (void)text; }
};

// The installed Ui (a HeadlessUi until one is installed). SetUi(nullptr)
// returns to the headless one; the caller keeps ownership.
Ui& CurrentUi();
void SetUi(Ui* ui);

// Installs a Ui for the lifetime of the guard and restores the previous one.
class UiScope {
 public:
  explicit UiScope(Ui& ui);
  ~UiScope();
  UiScope(const UiScope&) = delete;
  UiScope& operator=(const UiScope&) = delete;

 private:
  Ui* previous_;
};

// The caption of the general error box: the host program's title.
const std::string& ApplicationTitle();
void SetApplicationTitle(std::string title);

// The general error box: error icon, OK button, the message with "."
// appended when its last byte sorts after ".".
void ShowErrorBox(std::string_view message);

// Runs an action of the user's and shows any error it raises in the general
// error box (the action's own message), as the window's handlers do.
template <typename F>
void RunShowingErrors(F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    ShowErrorBox(MessageOf(e));
  }
}

// The busy cursor for the lifetime of the guard, restored in every case.
class BusyCursor {
 public:
  BusyCursor() { CurrentUi().BeginBusy(); }
  ~BusyCursor() { CurrentUi().EndBusy(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// Writes every box to stderr and answers it with its first button; input
// boxes are cancelled.
class HeadlessUi : public Ui {
 public:
  int MessageBox(std::string_view text, std::string_view caption, int flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt, std::string_view initial,
                                      bool password) override;
  void BeginBusy() override {}
  void EndBusy() override {}
  // Written to stderr as "progress: <text>".
  void ShowProgressText(std::string_view text) override;
};

// Keeps every box it is shown, for tests; answers from queues given in
// advance, else as a HeadlessUi would (without writing anything).
class RecordingUi : public Ui {
 public:
  struct Box {
    std::string text, caption;
    int flags = 0;
  };
  struct Input {
    std::string caption, prompt, initial;
    bool password = false;
  };

  int MessageBox(std::string_view text, std::string_view caption, int flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt, std::string_view initial,
                                      bool password) override;
  void BeginBusy() override;
  void EndBusy() override;
  void ShowProgressText(std::string_view text) override { progressTexts.emplace_back(text); }

  std::vector<Box> boxes;
  std::vector<std::string> progressTexts;
  std::vector<Input> inputs;
  std::deque<int> answers;                           // next MessageBox answers
  std::deque<std::optional<std::string>> inputAnswers;  // next InputBox answers
  int busyDepth = 0;
  int busyCount = 0;  // how many times the busy cursor was shown
};

}  // namespace talven
