// TfrPreviewSearchForm, the find dialog of the preview: the text, whether
// letter case counts, and whether the search starts on the first page or on
// the current one.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace talven {

class TfrPreviewSearchForm : public QDialog {
 public:
  explicit TfrPreviewSearchForm(QWidget* owner = nullptr);

  QLabel* Label1;
  QLineEdit* Edit1;
  QGroupBox* GroupBox1;
  QCheckBox* CB1;
  QGroupBox* GroupBox2;
  QRadioButton* RB1;
  QRadioButton* RB2;
  QPushButton* Button1;
  QPushButton* Button2;

 protected:
  // The text is focused and selected whenever the dialog comes up.
  void showEvent(QShowEvent* event) override;
};

}  // namespace talven
