// Edit2KeyPress for both range boxes: a typed character passes only when it
// is a digit 0 to 9 or backspace; keys that type nothing (arrows, Home) are
// not characters and pass too. Tab and Delete carry a control character in
// their text on some platforms, yet they never type one: Tab moves the
// focus and Delete edits, so both pass.
#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>

namespace talven {

class DigitOnlyFilter : public QObject {
 public:
  using QObject::QObject;

  static bool Passes(int key, const QString& typed) {
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete) return true;
    if (typed.isEmpty()) return true;
    for (QChar c : typed)
      if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('\b')) return false;
    return true;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (!Passes(key->key(), key->text())) return true;  // the character is discarded
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace talven
