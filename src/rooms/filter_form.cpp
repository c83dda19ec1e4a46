#include "rooms/filter_form.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStyle>

#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "qtui/qt_ui.h"

namespace talven {
namespace {

QComboBox* OperatorList(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const FilterOperator& o : FilterOperators()) box->addItem(ToQt(o.item));
  return box;
}

}  // namespace

TFilter_Form::TFilter_Form(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setWindowTitle(ToQt("数据过滤"_gbk));
  setFont(QFont(QString::fromUtf8("宋体"), 9));
  setFixedSize(408, 105);
  setModal(false);

  auto* label1 = new QLabel(ToQt("字段："_gbk), this);
  label1->move(6, 12);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setGeometry(47, 7, 100, 20);
  ComboBox2 = OperatorList(this);
  ComboBox2->setGeometry(155, 7, 69, 20);
  ComboBox2->setCurrentIndex(1);  // 等于
  Edit1 = new QLineEdit(this);
  Edit1->setGeometry(231, 7, 169, 20);
  RadioButton1 = new QRadioButton(ToQt("与"_gbk), this);
  RadioButton1->move(4, 31);
  RadioButton1->setChecked(true);
  RadioButton2 = new QRadioButton(ToQt("或"_gbk), this);
  RadioButton2->move(52, 31);
  auto* bevel = new QFrame(this);
  bevel->setFrameShape(QFrame::HLine);
  bevel->setFrameShadow(QFrame::Sunken);
  bevel->setGeometry(97, 36, 294, 2);
  auto* label2 = new QLabel(ToQt("字段："_gbk), this);
  label2->move(6, 53);
  ComboBox4 = new QComboBox(this);
  ComboBox4->setGeometry(47, 48, 100, 20);
  ComboBox3 = OperatorList(this);
  ComboBox3->setGeometry(155, 48, 69, 20);
  ComboBox3->setCurrentIndex(0);
  Edit2 = new QLineEdit(this);
  Edit2->setGeometry(231, 48, 169, 20);
  BitBtn3 = new QPushButton(ToQt("取消过滤"_gbk), this);
  BitBtn3->setGeometry(176, 76, 75, 25);
  BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), ToQt("过滤"_gbk), this);
  BitBtn1->setGeometry(251, 76, 75, 25);
  BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), ToQt("关闭"_gbk), this);
  BitBtn2->setGeometry(327, 76, 75, 25);
  for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3}) b->setAutoDefault(false);

  const std::pair<QWidget*, const char*> names[] = {
      {ComboBox1, "ComboBox1"}, {ComboBox2, "ComboBox2"},       {Edit1, "Edit1"},   {RadioButton1, "RadioButton1"},
      {RadioButton2, "RadioButton2"}, {ComboBox4, "ComboBox4"}, {ComboBox3, "ComboBox3"}, {Edit2, "Edit2"},
      {BitBtn3, "BitBtn3"},     {BitBtn1, "BitBtn1"},           {BitBtn2, "BitBtn2"}};
  for (const auto& [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));
  setObjectName(QStringLiteral("TFilter_Form"));

  QWidget* order[] = {ComboBox1, ComboBox2, Edit1,   ComboBox4,    ComboBox3,   Edit2,
                      BitBtn3,   BitBtn1,   BitBtn2, RadioButton1, RadioButton2};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

  connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Change(); });
  connect(ComboBox4, &QComboBox::activated, this, [this] { ComboBox4Change(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

void TFilter_Form::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFilter_Form::FormShow() {
  ComboBox1->clear();
  ComboBox4->clear();
  for (const std::string& field : model_.FieldList()) {
    ComboBox1->addItem(ToQt(field));
    ComboBox4->addItem(ToQt(field));
  }
  ComboBox1->setCurrentIndex(SavedFieldIndex1() < ComboBox1->count() ? SavedFieldIndex1() : -1);
  ComboBox4->setCurrentIndex(SavedFieldIndex2() < ComboBox4->count() ? SavedFieldIndex2() : -1);
}

void TFilter_Form::ComboBox1Change() { SavedFieldIndex1() = ComboBox1->currentIndex(); }
void TFilter_Form::ComboBox4Change() { SavedFieldIndex2() = ComboBox4->currentIndex(); }

FilterCondition TFilter_Form::Condition(QComboBox* field, QComboBox* op, QLineEdit* value) const {
  FilterCondition c;
  if (field->currentIndex() >= 0) c.field = FromQt(field->currentText());
  c.operatorPos = op->currentIndex();
  c.value = FromQt(value->text());
  return c;
}

void TFilter_Form::BitBtn1Click() {
  RunShowingErrors([&] {
    model_.Apply(Condition(ComboBox1, ComboBox2, Edit1), Condition(ComboBox4, ComboBox3, Edit2),
                 RadioButton1->isChecked());
  });
}

void TFilter_Form::BitBtn3Click() {
  RunShowingErrors([&] { model_.Remove(); });
}

void TFilter_Form::BitBtn2Click() { hide(); }

}  // namespace talven
