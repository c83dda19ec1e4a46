// The widget application of the printing tests, made on first use and never
// destroyed: Qt's input devices must not go in the exit handlers.
#pragma once

#include <QApplication>

namespace talven {

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace talven
