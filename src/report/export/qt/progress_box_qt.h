// The Qt progress box: a borderless box centred over its parent (or the
// screen) with a message, a bar and a cancel button, shown without a modal
// loop; the work steps it and pending events run at every start and step.
// The box can be dragged by its body.
#pragma once

#include <QFrame>
#include <QPoint>

#include "report/model/progress_box.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace talven {

class TfrProgressBox : public QFrame, public TfrProgress {
 public:
  explicit TfrProgressBox(QWidget* parent = nullptr);

  void Start(int maximum, const std::string& message, bool showBar, bool showCancel) override;
  void Step() override;
  bool Cancelled() const override { return cancelled_; }
  void Close() override;

  QLabel* LMessage;
  QProgressBar* Bar;
  QPushButton* CancelBtn;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void CancelClick();
  void Centre();

  bool cancelled_ = false;
  QPoint grab_;
};

}  // namespace talven
