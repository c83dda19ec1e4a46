#include "report/export/qt/options_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "qtui/qt_ui.h"

namespace talven {

namespace {
QString U(const char* utf8) { return QString::fromUtf8(utf8); }
}  // namespace

TfrOLEExcelSet::TfrOLEExcelSet(QWidget* parent) : QDialog(parent) {
  setObjectName("TfrOLEExcelSet");
  setWindowTitle(U("Export to Excel"));
  auto* top = new QVBoxLayout(this);

  GroupCellProp = new QGroupBox(U(" Quality settings "), this);
  auto* cells = new QGridLayout(GroupCellProp);
  CB_Merged = new QCheckBox(U("Merged"), GroupCellProp);
  CB_Borders = new QCheckBox(U("Borders"), GroupCellProp);
  CB_WrapWords = new QCheckBox(U("Words wrap"), GroupCellProp);
  CB_HQ = new QCheckBox(U("Styles"), GroupCellProp);
  CB_PageBreaks = new QCheckBox(U("Page breaks"), GroupCellProp);
  CB_Pictures = new QCheckBox(U("Pictures"), GroupCellProp);
  Better = new QPushButton(U("Better"), GroupCellProp);
  Faster = new QPushButton(U("Faster"), GroupCellProp);
  cells->addWidget(CB_Merged, 0, 0);
  cells->addWidget(CB_Borders, 1, 0);
  cells->addWidget(CB_WrapWords, 2, 0);
  cells->addWidget(CB_HQ, 0, 1);
  cells->addWidget(CB_PageBreaks, 1, 1);
  cells->addWidget(CB_Pictures, 2, 1);
  cells->addWidget(Better, 0, 2);
  cells->addWidget(Faster, 1, 2);
  top->addWidget(GroupCellProp);

  GroupPageRange = new QGroupBox(U("页范围"), this);
  auto* range = new QGridLayout(GroupPageRange);
  Pages = new QLabel(U("页(&P):"), GroupPageRange);
  E_Range = new QLineEdit(GroupPageRange);
  Pages->setBuddy(E_Range);
  Descr = new QLabel(U("输入页号或页范围,逗号分隔.例如: 1,3,5-12"), GroupPageRange);
  Descr->setWordWrap(true);
  range->addWidget(Pages, 0, 0);
  range->addWidget(E_Range, 0, 1);
  range->addWidget(Descr, 1, 0, 1, 2);
  top->addWidget(GroupPageRange);

  GroupPageSettings = new QGroupBox(U(" Page properties "), this);
  auto* page = new QGridLayout(GroupPageSettings);
  TopM = new QLabel(U("Top margin"), GroupPageSettings);
  LeftM = new QLabel(U("Left margin"), GroupPageSettings);
  ScX = new QLabel(U("Scale on X"), GroupPageSettings);
  ScY = new QLabel(U("Scale on Y"), GroupPageSettings);
  E_TMargin = new QLineEdit(U("0"), GroupPageSettings);
  E_LMargin = new QLineEdit(U("0"), GroupPageSettings);
  E_ScaleX = new QLineEdit(U("100"), GroupPageSettings);
  E_ScaleY = new QLineEdit(U("100"), GroupPageSettings);
  page->addWidget(TopM, 0, 0);
  page->addWidget(E_TMargin, 0, 1);
  page->addWidget(LeftM, 1, 0);
  page->addWidget(E_LMargin, 1, 1);
  page->addWidget(ScX, 0, 2);
  page->addWidget(E_ScaleX, 0, 3);
  page->addWidget(new QLabel(U("%"), GroupPageSettings), 0, 4);
  page->addWidget(ScY, 1, 2);
  page->addWidget(E_ScaleY, 1, 3);
  page->addWidget(new QLabel(U("%"), GroupPageSettings), 1, 4);
  top->addWidget(GroupPageSettings);

  CB_OpenExcel = new QCheckBox(U("Open Excel after export"), this);
  top->addWidget(CB_OpenExcel);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  OK = new QPushButton(U("确认"), this);
  Cancel = new QPushButton(U("取消"), this);
  OK->setDefault(true);
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);
  top->addLayout(buttons);

  connect(OK, &QPushButton::clicked, this, [this] { done(1); });
  connect(Cancel, &QPushButton::clicked, this, [this] { done(2); });
  connect(Better, &QPushButton::clicked, this, [this] { BetterClick(); });
  connect(Faster, &QPushButton::clicked, this, [this] { FasterClick(); });
}

void TfrOLEExcelSet::BetterClick() {
  for (QCheckBox* b : {CB_Merged, CB_WrapWords, CB_PageBreaks, CB_HQ, CB_Borders, CB_Pictures}) b->setChecked(true);
}

void TfrOLEExcelSet::FasterClick() {
  for (QCheckBox* b : {CB_Merged, CB_WrapWords, CB_PageBreaks}) b->setChecked(true);
  for (QCheckBox* b : {CB_HQ, CB_Borders, CB_Pictures}) b->setChecked(false);
}

void TfrOLEExcelSet::Show(const TfrExcelDialogFields& f) {
  CB_Merged->setChecked(f.CB_Merged);
  CB_WrapWords->setChecked(f.CB_WrapWords);
  CB_Borders->setChecked(f.CB_Borders);
  CB_PageBreaks->setChecked(f.CB_PageBreaks);
  CB_Pictures->setChecked(f.CB_Pictures);
  CB_OpenExcel->setChecked(f.CB_OpenExcel);
  CB_HQ->setChecked(f.CB_HQ);
  E_Range->setText(ToQt(f.E_Range));
  E_ScaleX->setText(ToQt(f.E_ScaleX));
  E_ScaleY->setText(ToQt(f.E_ScaleY));
  E_TMargin->setText(ToQt(f.E_TMargin));
  E_LMargin->setText(ToQt(f.E_LMargin));
}

TfrExcelDialogFields TfrOLEExcelSet::Fields() const {
  TfrExcelDialogFields f;
  f.CB_Merged = CB_Merged->isChecked();
  f.CB_WrapWords = CB_WrapWords->isChecked();
  f.CB_Borders = CB_Borders->isChecked();
  f.CB_PageBreaks = CB_PageBreaks->isChecked();
  f.CB_Pictures = CB_Pictures->isChecked();
  f.CB_OpenExcel = CB_OpenExcel->isChecked();
  f.CB_HQ = CB_HQ->isChecked();
  f.E_Range = FromQt(E_Range->text());
  f.E_ScaleX = FromQt(E_ScaleX->text());
  f.E_ScaleY = FromQt(E_ScaleY->text());
  f.E_TMargin = FromQt(E_TMargin->text());
  f.E_LMargin = FromQt(E_LMargin->text());
  return f;
}

int RunExcelOptionsDialog(TfrExcelDialogFields& fields, QWidget* parent) {
  TfrOLEExcelSet dialog(parent);
  dialog.Show(fields);
  const int result = dialog.exec();
  fields = dialog.Fields();
  return result == 1 ? 1 : 2;
}

}  // namespace talven
