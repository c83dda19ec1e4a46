#include "report/print/progress_form.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "base/text.h"
#include "qtui/qt_ui.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"

namespace talven {

TfrProgressForm::TfrProgressForm(QWidget* parent, TfrReport* report) : QDialog(parent), report_(report) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint);
  setModal(true);
  Label1 = new QLabel(this);
  Label2 = new QLabel(this);
  Label1->setAlignment(Qt::AlignCenter);
  Label2->setAlignment(Qt::AlignCenter);
  Button1 = new QPushButton(ToQt("取消"_gbk), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(Label2);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  setMinimumWidth(300);
  connect(Button1, &QPushButton::clicked, this, [this] { Cancel(); });
}

void TfrProgressForm::SetCaption(const std::string& caption) { setWindowTitle(ToQt(caption)); }

void TfrProgressForm::SetLabel(const std::string& label) { Label1->setText(ToQt(label)); }

void TfrProgressForm::SetSecondLabel(const std::string& text) { Label2->setText(ToQt(text)); }

bool TfrProgressForm::RunModal(const std::function<void()>& job) {
  Label2->clear();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    adjustSize();
    move(screen->availableGeometry().center() - rect().center());
  }
  std::exception_ptr failure;
  setResult(QDialog::Accepted);
  // The job starts once the window shows, from inside its own loop.
  QTimer::singleShot(0, this, [this, &job, &failure] {
    running_ = true;
    try {
      job();
    } catch (...) {
      failure = std::current_exception();
      reject();
    }
    running_ = false;
    if (isVisible()) done(result());
  });
  const int answer = exec();
  if (failure) std::rethrow_exception(failure);
  return answer == QDialog::Accepted;
}

void TfrProgressForm::Close(bool ok) {
  setResult(ok ? QDialog::Accepted : QDialog::Rejected);
  if (!running_) done(result());
}

void TfrProgressForm::ProcessEvents() { QCoreApplication::processEvents(); }

void TfrProgressForm::Cancel() {
  TfrReport* report = report_ != nullptr ? report_ : EngineState().CurrentReport;
  if (report != nullptr) report->Cancelled = true;
  setResult(QDialog::Rejected);
  if (!running_) done(QDialog::Rejected);
}

}  // namespace talven
