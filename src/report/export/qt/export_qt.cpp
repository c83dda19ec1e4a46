#include "report/export/qt/export_qt.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include "qtui/qt_ui.h"
#include "report/export/excel_export.h"
#include "report/export/qt/options_dialog.h"
#include "report/export/qt/progress_box_qt.h"
#include "report/model/progress_box.h"

namespace talven {

void InstallExportWindows(QWidget* parent) {
  QPointer<QWidget> owner(parent);
  SetExcelOptionsDialog([owner](TfrExcelDialogFields& fields) { return RunExcelOptionsDialog(fields, owner); });
  SetProgressBoxFactory([owner]() -> std::unique_ptr<TfrProgress> { return std::make_unique<TfrProgressBox>(owner); });
  SetDesktopOpener(
      [](const std::string& fileName) { return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(fileName))); });
}

void RemoveExportWindows() {
  SetExcelOptionsDialog(nullptr);
  SetProgressBoxFactory(nullptr);
  SetDesktopOpener(nullptr);
}

}  // namespace talven
