// Edit2KeyPress for both range boxes: a typed character passes only when it
// is a digit 0 to 9 or backspace; keys that type nothing (arrows, Delete,
// Home) are not characters and pass too.
#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>

namespace talven {

class DigitOnlyFilter : public QObject {
 public:
  using QObject::QObject;

  static bool Passes(const QString& typed) {
    if (typed.isEmpty()) return true;
    for (QChar c : typed)
      if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('\b')) return false;
    return true;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (!Passes(key->text())) return true;  // the character is discarded
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace talven
