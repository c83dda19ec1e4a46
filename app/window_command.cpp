// talven window: the stand-in host. It opens the exam database, loads the
// module from its own folder, asks its version and opens its window, as the
// exam-administration program does.
#include <dlfcn.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/command.h"
#include "base/error.h"
#include "base/text.h"
#include "data/host_connection.h"

namespace talven::app {
namespace {

using GetVersionFn = const char* (*)();
using ShowFormFn = void (*)(void*, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t,
                            std::intptr_t, void*);

std::filesystem::path ProgramFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

bool HasDisplay() {
  return std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

// Once the window's start-up has run: saves a picture of it, answers any
// box it raised, and closes it.
void ShootAndClose(const QString& file) {
  QTimer::singleShot(50, [file] {
    QDialog* form = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == QLatin1String("TTALVEN_Form") && w->isVisible()) form = qobject_cast<QDialog*>(w);
    bool answered = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
        std::fprintf(stderr, "talven window: [%s] %s\n", box->windowTitle().toStdString().c_str(),
                     box->text().toStdString().c_str());
        box->accept();
        answered = true;
      }
    }
    // A box raised by the start-up runs its own loop inside the window's
    // show: the start-up goes on once it is answered, and closing the window
    // from in there would leave its own loop waiting for ever.
    if (!form || answered) {
      ShootAndClose(file);
      return;
    }
    if (!form->grab().save(file)) std::fprintf(stderr, "talven window: cannot write %s\n", file.toStdString().c_str());
    else std::printf("%s\n", file.toStdString().c_str());
    form->reject();
  });
}

int RunWindow(const Args& args) {
  std::string url;
  std::string screenshot;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db" && i + 1 < args.size()) url = args[++i];
    else if (args[i] == "--screenshot" && i + 1 < args.size()) screenshot = args[++i];
    else return UsageError("window: unexpected argument '" + args[i] + "'");
  }
  const std::filesystem::path folder = ProgramFolder();
  if (url.empty()) url = "sqlite:" + (folder / "exam.db").string();
  if (!HasDisplay()) {
    // No display to open the window on: draw it off screen and keep a picture.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (screenshot.empty()) screenshot = "talven-window.png";
  }

  std::unique_ptr<HostConnection> connection = HostConnection::Open(url);

  static int argc = 1;
  static char name[] = "talven";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("talven"));

  const std::string module = (folder / "TALVENDLL.so").string();
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) throw Error(Utf8ToGbk("cannot load " + module + ": " + dlerror()));
  auto getVersion = reinterpret_cast<GetVersionFn>(dlsym(handle, "GetVersion"));
  auto showForm = reinterpret_cast<ShowFormFn>(dlsym(handle, "ShowForm"));
  if (!getVersion || !showForm) throw Error(Utf8ToGbk(module + " does not export GetVersion and ShowForm"));
  std::fprintf(stderr, "talven window: module version %s\n", getVersion());

  if (!screenshot.empty()) ShootAndClose(QString::fromStdString(screenshot));
  showForm(nullptr, 0, 0, 0, 0, 0, 0, connection.get());
  // The module never closes the host's connection; the host does.
  connection->Close();
  return 0;
}

const char kHelp[] =
    "Loads TALVENDLL.so from the program's folder and opens its window on the host connection,\n"
    "as the exam-administration program does. Without a display the window is drawn off screen\n"
    "and saved as talven-window.png.\n"
    "\n"
    "  --db URL               sqlite:PATH, or odbc:CONNECTION-STRING[?dialect=mssql|sqlite]\n"
    "                         (default: sqlite: and exam.db beside the program)\n"
    "  --screenshot FILE.png  save a picture of the window once its start-up has run, and close it\n";

}  // namespace

TALVEN_COMMAND(window, "window", "window [--db URL] [--screenshot FILE.png]",
               "open the sign-in sheet window on a database (default: the demo beside the program)", RunWindow,
               kHelp);

}  // namespace talven::app
