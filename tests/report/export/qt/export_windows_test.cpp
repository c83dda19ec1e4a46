// The export's windows under the offscreen platform: the options dialog's
// fields, its Better and Faster buttons and its result; the progress box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "report/export/qt/options_dialog.h"
#include "report/export/qt/progress_box_qt.h"

namespace talven {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

TEST(ExcelOptionsDialog, ShowsTheFieldsAndGivesBackWhatWasLeftWhicheverButtonClosedIt) {
  App();
  TfrExcelDialogFields fields;
  fields.CB_Borders = false;
  fields.CB_OpenExcel = true;
  fields.E_ScaleX = "75";
  fields.E_Range = "1,3";
  QTimer::singleShot(0, [] {
    auto* dialog = dynamic_cast<TfrOLEExcelSet*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Export to Excel");
    EXPECT_FALSE(dialog->CB_Borders->isChecked());
    EXPECT_EQ(dialog->E_ScaleX->text(), "75");
    EXPECT_TRUE(dialog->OK->isDefault());
    dialog->E_Range->setText("2-4");
    dialog->CB_HQ->setChecked(false);
    dialog->Cancel->click();
  });
  EXPECT_EQ(RunExcelOptionsDialog(fields, nullptr), 2);
  EXPECT_EQ(fields.E_Range, "2-4");
  EXPECT_FALSE(fields.CB_HQ);
  EXPECT_TRUE(fields.CB_OpenExcel);
  QTimer::singleShot(0, [] { dynamic_cast<TfrOLEExcelSet*>(QApplication::activeModalWidget())->OK->click(); });
  EXPECT_EQ(RunExcelOptionsDialog(fields, nullptr), 1);
}

TEST(ExcelOptionsDialog, BetterChecksEveryQualityBoxAndFasterOnlyTheQuickOnes) {
  App();
  TfrOLEExcelSet dialog;
  TfrExcelDialogFields none;
  none.CB_Merged = none.CB_Borders = none.CB_WrapWords = none.CB_HQ = none.CB_PageBreaks = none.CB_Pictures = false;
  dialog.Show(none);
  dialog.Better->click();
  TfrExcelDialogFields f = dialog.Fields();
  EXPECT_TRUE(f.CB_Merged && f.CB_Borders && f.CB_WrapWords && f.CB_HQ && f.CB_PageBreaks && f.CB_Pictures);
  EXPECT_FALSE(f.CB_OpenExcel);
  dialog.Faster->click();
  f = dialog.Fields();
  EXPECT_TRUE(f.CB_Merged && f.CB_WrapWords && f.CB_PageBreaks);
  EXPECT_FALSE(f.CB_HQ || f.CB_Borders || f.CB_Pictures);
}

TEST(ProgressBox, StartsStepsAndCancels) {
  App();
  TfrProgressBox box;
  box.Start(3, "Please wait", true, true);
  EXPECT_TRUE(box.isVisible());
  EXPECT_EQ(box.LMessage->text(), "Please wait");
  EXPECT_EQ(box.LMessage->y(), 15);
  box.Step();
  box.Step();
  EXPECT_EQ(box.Bar->value(), 2);
  EXPECT_EQ(box.Bar->maximum(), 3);
  box.CancelBtn->click();
  EXPECT_TRUE(box.Cancelled());
  EXPECT_FALSE(box.isVisible());
  // A new start clears the flag; without the bar the message sits lower.
  box.Start(11, "Prepare export", false, false);
  EXPECT_FALSE(box.Cancelled());
  EXPECT_FALSE(box.Bar->isVisible());
  EXPECT_FALSE(box.CancelBtn->isVisible());
  EXPECT_EQ(box.LMessage->y(), 35);
  EXPECT_EQ(box.Bar->value(), 0);
  box.Close();
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace talven
