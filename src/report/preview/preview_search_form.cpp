#include "report/preview/preview_search_form.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace talven {

TfrPreviewSearchForm::TfrPreviewSearchForm(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("TfrPreviewSearchForm"));
  setWindowTitle(QString::fromUtf8("查找文本"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  auto* layout = new QVBoxLayout(this);
  Label1 = new QLabel(QString::fromUtf8("待查文本(&F)"), this);
  Edit1 = new QLineEdit(this);
  Edit1->setMinimumWidth(260);
  Label1->setBuddy(Edit1);
  layout->addWidget(Label1);
  layout->addWidget(Edit1);

  auto* groups = new QHBoxLayout;
  GroupBox1 = new QGroupBox(QString::fromUtf8("选项"), this);
  auto* options = new QVBoxLayout(GroupBox1);
  CB1 = new QCheckBox(QString::fromUtf8("大小写敏感(&C)"), GroupBox1);
  options->addWidget(CB1);
  options->addStretch();
  GroupBox2 = new QGroupBox(QString::fromUtf8("起点"), this);
  auto* origin = new QVBoxLayout(GroupBox2);
  RB1 = new QRadioButton(QString::fromUtf8("首页(&1)"), GroupBox2);
  RB2 = new QRadioButton(QString::fromUtf8("当前页(&P)"), GroupBox2);
  RB1->setChecked(true);
  origin->addWidget(RB1);
  origin->addWidget(RB2);
  groups->addWidget(GroupBox1);
  groups->addWidget(GroupBox2);
  layout->addLayout(groups);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  Button1 = new QPushButton(QString::fromUtf8("确认"), this);
  Button1->setDefault(true);
  Button2 = new QPushButton(QString::fromUtf8("取消"), this);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  layout->addLayout(buttons);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrPreviewSearchForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Edit1->setFocus();
  Edit1->selectAll();
}

}  // namespace talven
