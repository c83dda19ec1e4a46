// The module's two exports. Everything the module does happens inside the
// window that ShowForm opens.
#include <QApplication>

#include <cstdint>
#include <memory>

#include "base/formatsettings.h"
#include "base/ui.h"
#include "base/version.h"
#include "host/module_state.h"
#include "host/talven_form.h"
#include "qtui/qt_ui.h"
#include "report/export/qt/export_qt.h"
#include "report/pages/shell.h"
#include "report/preview/qt_shell.h"

#define TALVEN_EXPORT extern "C" __attribute__((visibility("default")))

TALVEN_EXPORT const char* GetVersion() { return talven::kModuleVersion; }

// hostWindow: the host's window (a QWidget*, or null); arguments 2 to 7 are
// accepted and ignored; connection: the host's talven::HostConnection, which
// the module uses and never closes or frees.
TALVEN_EXPORT void ShowForm(void* hostWindow, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t,
                            std::intptr_t, std::intptr_t, void* connection) {
  using namespace talven;
  // A host without a Qt application gets one for the call.
  std::unique_ptr<QApplication> ownApp;
  if (!QCoreApplication::instance()) {
    static int argc = 1;
    static char name[] = "talven";
    static char* argv[] = {name, nullptr};
    ownApp = std::make_unique<QApplication>(argc, argv);
  }
  InstallFontSubstitutions();

  Settings().dateSeparator = '-';
  ModuleState& module = Module();
  module.HostWindow = static_cast<QWidget*>(hostWindow);
  module.Connection = static_cast<HostConnection*>(connection);

  QtUi ui(module.HostWindow);
  UiScope uiScope(ui);
  // Links of the preview open on the desktop; the workbook export shows its
  // options dialog and progress box.
  QtShell shell;
  ShellScope shellScope(shell);
  InstallExportWindows(module.HostWindow);
  struct ExportWindows {
    ~ExportWindows() { RemoveExportWindows(); }
  } exportWindows;
  {
    TTALVEN_Form form(module.HostWindow, module.Connection);
    form.setWindowTitle(form.windowTitle() + "(V" + QString::fromLatin1(GetVersion()) + ")");
    ui.SetOwner(&form);
    form.exec();
    ui.SetOwner(module.HostWindow);
  }
}
