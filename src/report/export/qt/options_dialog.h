// TfrOLEExcelSet: the options dialog of the workbook export. It shows the
// fields it is given and gives back what the user left in them, whichever
// button closed it; "Better" checks every quality box, "Faster" keeps only
// merging, wrapping and page breaks.
#pragma once

#include <QDialog>

#include "report/export/excel_export.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace talven {

class TfrOLEExcelSet : public QDialog {
 public:
  explicit TfrOLEExcelSet(QWidget* parent = nullptr);

  void Show(const TfrExcelDialogFields& fields);
  TfrExcelDialogFields Fields() const;

  QGroupBox *GroupCellProp, *GroupPageRange, *GroupPageSettings;
  QCheckBox *CB_Merged, *CB_Borders, *CB_WrapWords, *CB_HQ, *CB_PageBreaks, *CB_Pictures, *CB_OpenExcel;
  QPushButton *Better, *Faster, *OK, *Cancel;
  QLabel *Pages, *Descr, *TopM, *LeftM, *ScX, *ScY;
  QLineEdit *E_Range, *E_LMargin, *E_TMargin, *E_ScaleX, *E_ScaleY;

 private:
  void BetterClick();
  void FasterClick();
};

// Shows the dialog modally over the parent with the fields and returns its
// modal result (1 OK, 2 cancel) with the fields read back.
int RunExcelOptionsDialog(TfrExcelDialogFields& fields, QWidget* parent);

}  // namespace talven
