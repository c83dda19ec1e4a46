// The Qt application of the subcommands that draw or print: drawn off screen
// when there is no display. None when the program has one already (rich text
// starts one of its own where it needs it).
#pragma once

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace talven::app {

inline std::unique_ptr<QGuiApplication> MakeGuiApp() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "talven";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace talven::app
