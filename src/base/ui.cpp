#include "base/ui.h"

#include <cstdio>

#include "base/error.h"
#include "base/text.h"

namespace talven {
namespace {

HeadlessUi& Headless() {
  static HeadlessUi ui;
  return ui;
}

Ui*& Installed() {
  static Ui* ui = nullptr;
  return ui;
}

std::string& Title() {
  static std::string title = "talven";
  return title;
}

}  // namespace

int DefaultAnswer(int flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}

Ui& CurrentUi() {
  Ui* ui = Installed();
  return ui ? *ui : Headless();
}

void SetUi(Ui* ui) { Installed() = ui; }

UiScope::UiScope(Ui& ui) : previous_(Installed()) { Installed() = &ui; }
UiScope::~UiScope() { Installed() = previous_; }

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(std::string title) { Title() = std::move(title); }

void ShowErrorBox(std::string_view message) {
  CurrentUi().MessageBox(ErrorBoxText(message), ApplicationTitle(), MB_OK | MB_ICONERROR);
}

int HeadlessUi::MessageBox(std::string_view text, std::string_view caption, int flags) {
  std::fprintf(stderr, "[%s] %s\n", GbkToUtf8(caption).c_str(), GbkToUtf8(text).c_str());
  return DefaultAnswer(flags);
}

std::optional<std::string> HeadlessUi::InputBox(std::string_view, std::string_view, std::string_view, bool) {
  return std::nullopt;
}

void HeadlessUi::ShowProgressText(std::string_view text) {
  std::fprintf(stderr, "progress: %s\n", GbkToUtf8(text).c_str());
}

int RecordingUi::MessageBox(std::string_view text, std::string_view caption, int flags) {
  boxes.push_back({std::string(text), std::string(caption), flags});
  if (answers.empty()) return DefaultAnswer(flags);
  int a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> RecordingUi::InputBox(std::string_view caption, std::string_view prompt,
                                                 std::string_view initial, bool password) {
  inputs.push_back({std::string(caption), std::string(prompt), std::string(initial), password});
  if (inputAnswers.empty()) return std::nullopt;
  auto a = inputAnswers.front();
  inputAnswers.pop_front();
  return a;
}

void RecordingUi::BeginBusy() {
  ++busyDepth;
  ++busyCount;
}

void RecordingUi::EndBusy() { --busyDepth; }

}  // namespace talven
