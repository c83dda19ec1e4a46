#include "report/export/qt/progress_box_qt.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "qtui/qt_ui.h"

namespace talven {

namespace {
constexpr int kWidth = 300, kHeight = 100;
}

TfrProgressBox::TfrProgressBox(QWidget* parent) : QFrame(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName("TfrProgress");
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setFixedSize(kWidth, kHeight);
  LMessage = new QLabel(this);
  LMessage->setAlignment(Qt::AlignCenter);
  LMessage->setGeometry(10, 15, kWidth - 20, 18);
  Bar = new QProgressBar(this);
  Bar->setGeometry(15, 40, kWidth - 30, 16);
  Bar->setTextVisible(false);
  Bar->setRange(0, 100);
  Bar->setValue(0);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setGeometry((kWidth - 80) / 2, 66, 80, 24);
  connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelClick(); });
}

void TfrProgressBox::Centre() {
  const QRect area = parentWidget() != nullptr ? parentWidget()->window()->geometry()
                     : QApplication::primaryScreen() != nullptr ? QApplication::primaryScreen()->availableGeometry()
                                                                : QRect(0, 0, kWidth, kHeight);
  move(area.center() - QPoint(kWidth / 2, kHeight / 2));
}

void TfrProgressBox::Start(int maximum, const std::string& message, bool showBar, bool showCancel) {
  cancelled_ = false;
  CancelBtn->setVisible(showCancel);
  Bar->setVisible(showBar);
  // Without the bar the message sits lower, in the middle of the box.
  LMessage->move(LMessage->x(), showBar ? 15 : 35);
  Bar->setMinimum(0);
  Bar->setValue(Bar->minimum());
  Bar->setMaximum(std::max(maximum, 0));
  LMessage->setText(ToQt(message));
  if (!isVisible()) {
    Centre();
    show();
  }
  QApplication::processEvents();
}

void TfrProgressBox::Step() {
  Bar->setValue(std::min(Bar->value() + 1, Bar->maximum()));
  raise();
  QApplication::processEvents();
}

void TfrProgressBox::Close() { hide(); }

void TfrProgressBox::CancelClick() {
  cancelled_ = true;
  hide();
}

void TfrProgressBox::mousePressEvent(QMouseEvent* event) {
  grab_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TfrProgressBox::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - grab_);
}

}  // namespace talven
