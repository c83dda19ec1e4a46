#include "qtui/qt_ui.h"

#include <QApplication>
#include <QFont>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "base/fontfaces.h"
#include "base/text.h"

namespace talven {
namespace {

struct ButtonSet {
  QMessageBox::StandardButton button;
  int answer;
  const char* text;  // as a Chinese system labels it
};

const ButtonSet kOk{QMessageBox::Ok, IDOK, "确定"};
const ButtonSet kCancel{QMessageBox::Cancel, IDCANCEL, "取消"};
const ButtonSet kAbort{QMessageBox::Abort, IDABORT, "中止(&A)"};
const ButtonSet kRetry{QMessageBox::Retry, IDRETRY, "重试(&R)"};
const ButtonSet kIgnore{QMessageBox::Ignore, IDIGNORE, "忽略(&I)"};
const ButtonSet kYes{QMessageBox::Yes, IDYES, "是(&Y)"};
const ButtonSet kNo{QMessageBox::No, IDNO, "否(&N)"};

std::vector<ButtonSet> ButtonsFor(int flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL: return {kOk, kCancel};
    case MB_ABORTRETRYIGNORE: return {kAbort, kRetry, kIgnore};
    case MB_YESNOCANCEL: return {kYes, kNo, kCancel};
    case MB_YESNO: return {kYes, kNo};
    case MB_RETRYCANCEL: return {kRetry, kCancel};
    default: return {kOk};
  }
}

QMessageBox::Icon IconFor(int flags) {
  switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

QString ToQt(std::string_view gbk) { return QString::fromStdString(GbkToUtf8(gbk)); }
std::string FromQt(const QString& s) { return Utf8ToGbk(s.toStdString()); }

int QtUi::MessageBox(std::string_view text, std::string_view caption, int flags) {
  QMessageBox box(IconFor(flags), ToQt(caption), ToQt(text), QMessageBox::NoButton, owner_);
  const std::vector<ButtonSet> buttons = ButtonsFor(flags);
  for (const ButtonSet& b : buttons) box.addButton(b.button)->setText(QString::fromUtf8(b.text));
  if (flags & MB_SYSTEMMODAL) box.setWindowModality(Qt::ApplicationModal);
  // Nobody can answer while the busy cursor is up; show the arrow over the box.
  bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  QAbstractButton* clicked = box.clickedButton();
  for (const ButtonSet& b : buttons)
    if (clicked && box.standardButton(clicked) == b.button) return b.answer;
  // Closed with Escape or the close box: the box's cancel answer, else its first.
  for (const ButtonSet& b : buttons)
    if (b.answer == IDCANCEL) return IDCANCEL;
  return buttons.size() == 1 ? buttons[0].answer : DefaultAnswer(flags);
}

std::optional<std::string> QtUi::InputBox(std::string_view caption, std::string_view prompt,
                                          std::string_view initial, bool password) {
  QInputDialog dialog(owner_);
  dialog.setWindowTitle(ToQt(caption));
  dialog.setLabelText(ToQt(prompt));
  dialog.setTextValue(ToQt(initial));
  dialog.setOkButtonText(QString::fromUtf8("确认"));
  dialog.setCancelButtonText(QString::fromUtf8("取消"));
  if (password) {
    dialog.setTextEchoMode(QLineEdit::Password);
    // The entry is masked with "*".
    if (auto* edit = dialog.findChild<QLineEdit*>()) edit->setStyleSheet("lineedit-password-character: 42");
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return FromQt(dialog.textValue());
}

void QtUi::ShowProgressText(std::string_view) { QCoreApplication::processEvents(); }

void QtUi::BeginBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void QtUi::EndBusy() { QApplication::restoreOverrideCursor(); }

void InstallFontSubstitutions() {
  for (const FontFace& f : FontFaces())
    QFont::insertSubstitution(QString::fromUtf8(f.family), QString::fromUtf8(f.installed));
}

}  // namespace talven
