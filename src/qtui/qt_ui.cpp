#include "qtui/qt_ui.h"

#include <QApplication>
#include <QFont>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "base/fontfaces.h"
#include "base/text.h"

namespace talven {
namespace {

struct ButtonSet {
  QMessageBox::StandardButton button;
  int answer;
};

std::vector<ButtonSet> ButtonsFor(int flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    case MB_YESNOCANCEL: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
    default: return {{QMessageBox::Ok, IDOK}};
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
  for (const ButtonSet& b : buttons) box.addButton(b.button);
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
  bool ok = false;
  QString answer = QInputDialog::getText(owner_, ToQt(caption), ToQt(prompt),
                                         password ? QLineEdit::Password : QLineEdit::Normal, ToQt(initial), &ok);
  if (!ok) return std::nullopt;
  return FromQt(answer);
}

void QtUi::ShowProgressText(std::string_view) { QCoreApplication::processEvents(); }

void QtUi::BeginBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void QtUi::EndBusy() { QApplication::restoreOverrideCursor(); }

void InstallFontSubstitutions() {
  for (const FontFace& f : FontFaces())
    QFont::insertSubstitution(QString::fromUtf8(f.family), QString::fromUtf8(f.installed));
}

}  // namespace talven
