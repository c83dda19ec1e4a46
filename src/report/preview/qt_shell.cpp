#include "report/preview/qt_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "qtui/qt_ui.h"

namespace talven {

void QtShell::Open(std::string_view target) {
  const QString text = ToQt(target).trimmed();
  if (text.isEmpty()) return;
  // A path that exists is a file or folder; anything else is taken as an
  // address (with its scheme, or a web address without one).
  QUrl url;
  if (QFileInfo::exists(text)) url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
  else url = QUrl::fromUserInput(text);
  if (url.isValid()) QDesktopServices::openUrl(url);
}

}  // namespace talven
