// TfrPrintForm: the print dialog. The printer (the system's printers, never
// the virtual one; choosing one selects it in the printer adapter at once,
// "属性" opens its driver settings), the pages (all, the current one, or a
// page list), the copies with up and down buttons and collation with its
// picture, and odd or even pages. Leaving it by anything but OK selects the
// printer it opened with again.
#pragma once

#include <QDialog>
#include <QWidget>

#include "report/pages/report_actions.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace talven {

class TfrReport;

// The collation picture: two collated sets, or the copies of each page
// lying together.
class TfrCollatePicture : public QWidget {
 public:
  explicit TfrCollatePicture(QWidget* parent = nullptr);
  void SetCollated(bool collated);
  bool Collated() const { return collated_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool collated_ = true;
};

class TfrPrintForm : public QDialog {
 public:
  explicit TfrPrintForm(QWidget* parent = nullptr);

  // The printer index the dialog opened with.
  int OldIndex() const { return oldIndex_; }
  // What OK hands to the print run: the page list (empty for every page,
  // the current page's number, or E2's text), the copies field read as a
  // decimal number (fails with the runtime's conversion error), odd/even,
  // collation and the printer chosen.
  TfrPrintChoice Choice(int currentPage) const;

  // Up adds one copy, down takes one away but never goes below 1; both
  // read the field as a decimal number (an error box when it is not).
  void CopiesUp();
  void CopiesDown();

  QGroupBox* GroupBox1;
  QLabel* Label4;
  QComboBox* CB1;
  QPushButton* PropButton;
  QGroupBox* GroupBox2;
  QRadioButton* RB1;
  QRadioButton* RB2;
  QRadioButton* RB3;
  QLineEdit* E2;
  QLabel* Label2;
  QGroupBox* GroupBox3;
  QLabel* Label1;
  QLineEdit* E1;
  QToolButton* UpButton;
  QToolButton* DownButton;
  QCheckBox* CollateCB;
  QLabel* Label3;
  TfrCollatePicture* PB1;
  QLabel* Label5;
  QComboBox* CB2;
  QPushButton* OkButton;
  QPushButton* CancelButton;

 protected:
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Adapter indices of CB1's rows.
  std::vector<int> indices_;
  int oldIndex_ = 0;
};

// The print-dialog entry of the report actions: the dialog with the
// report's DefaultCopies and DefaultCollate; true and the choice on OK.
bool ShowPrintForm(TfrReport& report, int currentPage, TfrPrintChoice& choice);

// The printer picture of the printer list, 18 × 16 pixels.
QPixmap PrinterIcon();

}  // namespace talven
