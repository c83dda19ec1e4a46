#include "report/preview/show_prepared.h"

#include <QApplication>

#include "base/error.h"
#include "report/pages/prepared_pages.h"
#include "report/preview/preview_form.h"

namespace talven {

void ShowPrepared(TfrReport& report) {
  if (!report.PreparedPages || report.PreparedPages->PageCount() == 0) return;
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    throw Error("The preview needs a window system");
  QWidget* owner = QApplication::activeWindow();
  if (report.ModalPreview) {
    TfrPreviewForm form(owner);
    form.PresentReport(report);
    return;
  }
  auto* form = new TfrPreviewForm(owner);
  form->setAttribute(Qt::WA_DeleteOnClose);
  form->PresentReport(report);
  QCoreApplication::processEvents();
}

}  // namespace talven
