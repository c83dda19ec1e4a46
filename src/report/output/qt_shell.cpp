#include "report/output/qt_shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QString>
#include <QUrl>

#include <string>

#include "base/text.h"

namespace talven {

void QtShell::Open(std::string_view target) {
  const QString text = QString::fromUtf8(GbkToUtf8(std::string(target)).c_str());
  QDesktopServices::openUrl(QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile));
}

}  // namespace talven
