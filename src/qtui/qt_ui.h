// The Ui seam on Qt Widgets: message boxes and input boxes owned by the
// host's window, the busy cursor as an override cursor.
#pragma once

#include <QPointer>
#include <QWidget>

#include "base/ui.h"

namespace talven {

class QtUi : public Ui {
 public:
  // owner: the window that owns every box (may be null).
  explicit QtUi(QWidget* owner = nullptr) : owner_(owner) {}
  void SetOwner(QWidget* owner) { owner_ = owner; }

  int MessageBox(std::string_view text, std::string_view caption, int flags) override;
  std::optional<std::string> InputBox(std::string_view caption, std::string_view prompt, std::string_view initial,
                                      bool password) override;
  void BeginBusy() override;
  void EndBusy() override;
  // Lets pending window messages run; the progress window of a long action
  // shows the text where there is one.
  void ShowProgressText(std::string_view text) override;

 private:
  QPointer<QWidget> owner_;
};

// GBK <-> QString at the widget edge.
QString ToQt(std::string_view gbk);
std::string FromQt(const QString& s);

// Makes the family names of windows and templates (宋体, Arial …) resolve to
// the installed faces.
void InstallFontSubstitutions();

}  // namespace talven
