// TTALVEN_Form, the sign-in sheet window: the organisation tree on the left,
// the room grid on the right, the record range, the photo options and the
// buttons 打印, 过滤 and 退出 below. The widgets are thin; what they do is
// TMainWindowLogic's.
#pragma once

#include <QDialog>
#include <map>
#include <memory>

#include "host/main_window.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace talven {

class RoomGrid;
class TFilter_Form;

class TTALVEN_Form : public QDialog, public MainWindowView {
 public:
  TTALVEN_Form(QWidget* owner, HostConnection* connection);
  ~TTALVEN_Form() override;

  TMainWindowLogic& Logic() { return *logic_; }

  // Handlers of the widgets.
  void TreeView1Change();
  void BitBtn1Click();  // 过滤
  void BitBtn9Click();  // 打印
  void SpeedButton1Click();  // 退出

  // MainWindowView
  std::string Edit2Text() const override;
  void SetEdit2Text(const std::string& text) override;
  std::string Edit3Text() const override;
  void SetEdit3Text(const std::string& text) override;
  void SetStatusText(int panel, const std::string& text) override;
  void ShowTree(const OrgTree& tree) override;
  void ShowSelectedNode(const OrgNode& node) override;
  bool PhotosChecked() const override;
  void SetPhotosChecked(bool checked) override;
  void SetPhotosEnabled(bool enabled) override;
  bool SeatOrderChecked() const override;
  void SetSeatOrderVisible(bool visible) override;

  // The controls, under their design names.
  QFrame* Panel1;
  QGroupBox* GroupBox1;
  QTreeWidget* TreeView1;
  QSplitter* Splitter1;
  RoomGrid* DBGrid1;
  QLabel* Label6;
  QLineEdit* Edit2;
  QLabel* Label7;
  QLineEdit* Edit3;
  QLabel* Label8;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox1;
  QPushButton* BitBtn9;
  QPushButton* BitBtn1;
  QToolButton* SpeedButton1;
  QLabel* StatusPanel0;
  QLabel* StatusPanel1;
  TFilter_Form* FilterDialog = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  // Escape does not close the window: only 退出 and the close box do.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();

  std::unique_ptr<TMainWindowLogic> logic_;
  std::map<QTreeWidgetItem*, const OrgNode*> nodes_;
  std::map<const OrgNode*, QTreeWidgetItem*> items_;
  bool shown_ = false;
  bool quietTree_ = false;  // a selection made by the program runs no handler
};

}  // namespace talven
