// TFilter_Form, the filter dialog "数据过滤": not modal, always on top, one
// per main window; hiding it keeps its state.
#pragma once

#include <QDialog>

#include "rooms/filter_dialog_model.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace talven {

class TFilter_Form : public QDialog {
 public:
  explicit TFilter_Form(QWidget* owner);

  FilterDialogModel& Model() { return model_; }

  // The handlers of the dialog.
  void FormShow();
  void ComboBox1Change();
  void ComboBox4Change();
  void BitBtn1Click();  // 过滤
  void BitBtn3Click();  // 取消过滤
  void BitBtn2Click();  // 关闭

  QComboBox* ComboBox1;
  QComboBox* ComboBox2;
  QLineEdit* Edit1;
  QRadioButton* RadioButton1;
  QRadioButton* RadioButton2;
  QComboBox* ComboBox4;
  QComboBox* ComboBox3;
  QLineEdit* Edit2;
  QPushButton* BitBtn3;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  FilterCondition Condition(QComboBox* field, QComboBox* op, QLineEdit* value) const;

  FilterDialogModel model_;
};

}  // namespace talven
