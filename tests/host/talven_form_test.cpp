// The window's widgets, drawn off screen.
#include "host/talven_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <memory>

#include "base/text.h"
#include "base/ui.h"
#include "data/paths.h"
#include "report/engine/progress.h"
#include "report/pages/prepared_pages.h"
#include "report/pages/report_actions.h"
#include "report/preview/preview_form.h"
#include "sheets/sheet_templates.h"
#include "data/host_connection.h"
#include "host/module_state.h"
#include "host/room_grid.h"
#include "qtui/qt_ui.h"
#include "rooms/filter_form.h"
#include "rooms/filter_text.h"
#include "support/exam_fixture.h"
#include "support/fixture.h"

namespace talven {
namespace {

// One application for the whole program, never destroyed: Qt's SQL
// drivers clean up after it, and static destruction would run them too late.
QApplication& App() {
  static int argc = 1;
  static char name[] = "test_host";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

struct Shown {
  Shown() {
    App();
    Module() = ModuleState{};
    test::MakeExamFixture(dir.File("exam.db"));
    connection = HostConnection::Open(test::SqliteUrl(dir.File("exam.db")));
    form = std::make_unique<TTALVEN_Form>(nullptr, connection.get());
    form->show();
  }
  RecordingUi ui;
  UiScope scope{ui};
  test::TempDir dir;
  std::unique_ptr<HostConnection> connection;
  std::unique_ptr<TTALVEN_Form> form;
};

TEST(Form, LayoutAndStartUp) {
  Shown s;
  TTALVEN_Form& f = *s.form;
  EXPECT_EQ(f.size(), QSize(610, 354));
  EXPECT_EQ(f.windowTitle(), QString::fromUtf8("笔试考场签到表打印"));
  EXPECT_EQ(f.Edit2->geometry(), QRect(22, 307, 42, 20));
  EXPECT_EQ(f.Edit3->geometry(), QRect(93, 307, 42, 20));
  EXPECT_EQ(f.BitBtn9->geometry(), QRect(413, 303, 65, 25));
  EXPECT_EQ(f.Panel1->geometry(), QRect(0, 0, 610, 298));
  EXPECT_EQ(f.GroupBox1->width(), 184);
  EXPECT_EQ(f.font().pointSize(), 9);
  EXPECT_TRUE(s.ui.boxes.empty());
  ASSERT_NE(f.TreeView1->currentItem(), nullptr);
  EXPECT_EQ(f.TreeView1->currentItem()->text(0), QString::fromUtf8("110101-一中"));
  EXPECT_TRUE(f.TreeView1->currentItem()->parent()->isExpanded());
  EXPECT_EQ(f.Edit3->text(), "5");
  EXPECT_EQ(f.StatusPanel1->text(), QString::fromUtf8("考场数：1/5"));
  EXPECT_EQ(f.DBGrid1->model()->rowCount(), 5);
  EXPECT_EQ(f.DBGrid1->model()->headerData(4, Qt::Horizontal).toString(), QString::fromUtf8("语言级别"));
  EXPECT_EQ(f.DBGrid1->columnWidth(0), 53);
  EXPECT_EQ(f.DBGrid1->model()->index(2, 2).data().toString(), "14005  ");
  EXPECT_FALSE(f.CheckBox2->isVisible());
  EXPECT_TRUE(f.CheckBox2->isChecked());
}

TEST(Form, SmallHandlers) {
  Shown s;
  TTALVEN_Form& f = *s.form;
  QTest::keyClick(f.DBGrid1, Qt::Key_Escape);
  EXPECT_TRUE(f.isVisible());  // only 退出 and the close box close it
  f.Edit2->clear();
  QTest::keyClicks(f.Edit2, "1a- 2");
  EXPECT_EQ(f.Edit2->text(), "12");
  QTest::keyClick(f.Edit2, Qt::Key_Backspace);
  EXPECT_EQ(f.Edit2->text(), "1");
  // Delete and Tab type no character, whatever text the platform gives
  // their key events: Delete edits, Tab goes on to the next box.
  f.Edit2->setCursorPosition(0);
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
  QApplication::sendEvent(f.Edit2, &del);
  EXPECT_EQ(f.Edit2->text(), "");
  QApplication::setActiveWindow(&f);
  f.Edit2->setFocus();
  QTest::keyClick(f.Edit2, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), f.Edit3);
  f.CheckBox2->setChecked(false);
  f.CheckBox1->click();
  EXPECT_TRUE(f.CheckBox2->isVisible());
  EXPECT_FALSE(f.CheckBox2->isChecked());
  f.CheckBox1->click();
  EXPECT_FALSE(f.CheckBox2->isVisible());
  // Grid rows move the list and the status follows.
  f.DBGrid1->selectRow(3);
  EXPECT_EQ(f.Logic().List_Set.RecNo(), 4);
  EXPECT_EQ(f.StatusPanel1->text(), QString::fromUtf8("考场数：4/5"));
  // A title click sorts.
  emit f.DBGrid1->horizontalHeader()->sectionClicked(3);
  EXPECT_EQ(GbkToUtf8(f.Logic().List_Set.Sort()), "考生人数 DESC");
  EXPECT_EQ(f.DBGrid1->model()->headerData(3, Qt::Horizontal).toString(), QString::fromUtf8("考生人数 ▼"));
  EXPECT_EQ(f.DBGrid1->model()->index(0, 3).data().toString(), "28");
  // Another tree node reloads the grid.
  f.TreeView1->setCurrentItem(f.TreeView1->topLevelItem(0));
  EXPECT_EQ(f.Edit3->text(), "7");
  EXPECT_EQ(f.DBGrid1->model()->rowCount(), 7);
}

TEST(Form, FilterDialogIsOnePerWindowAndRemembersItsFields) {
  Shown s;
  TTALVEN_Form& f = *s.form;
  SavedFieldIndex1() = -1;
  f.BitBtn1->click();
  TFilter_Form* dialog = f.FilterDialog;
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("数据过滤"));
  EXPECT_EQ(dialog->ComboBox1->count(), 5);
  EXPECT_EQ(dialog->ComboBox1->currentIndex(), -1);
  EXPECT_EQ(dialog->ComboBox2->currentText(), QString::fromUtf8("等于"));
  dialog->ComboBox1->setCurrentIndex(2);
  emit dialog->ComboBox1->activated(2);
  EXPECT_EQ(SavedFieldIndex1(), 2);
  dialog->ComboBox2->setCurrentIndex(5);  // 大于
  dialog->ComboBox1->setCurrentIndex(3);  // 考生人数
  dialog->Edit1->setText("3");
  dialog->BitBtn1->click();
  EXPECT_EQ(f.Edit3->text(), "2");
  dialog->BitBtn2->click();
  EXPECT_FALSE(dialog->isVisible());
  f.BitBtn1->click();
  EXPECT_EQ(f.FilterDialog, dialog);
  EXPECT_EQ(dialog->ComboBox1->currentIndex(), 2);
  EXPECT_EQ(dialog->Edit1->text(), "3");  // the dialog keeps its state
  dialog->BitBtn3->click();
  EXPECT_EQ(f.Edit3->text(), "5");
}


TEST(QtUi, BoxesSpeakChineseAndMaskPasswords) {
  App();
  QtUi ui;
  QString okText, cancelText;
  bool masked = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    okText = dialog->okButtonText();
    cancelText = dialog->cancelButtonText();
    masked = dialog->textEchoMode() == QLineEdit::Password;
    dialog->setTextValue("secret");
    dialog->accept();
  });
  EXPECT_EQ(ui.InputBox("Password", "Enter password for opening report", "", true), std::optional<std::string>("secret"));
  EXPECT_EQ(okText, QString::fromUtf8("确认"));
  EXPECT_EQ(cancelText, QString::fromUtf8("取消"));
  EXPECT_TRUE(masked);
  QString yes;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    yes = box->button(QMessageBox::Yes)->text();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(ui.MessageBox("q", "c", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(yes, QString::fromUtf8("是(&Y)"));
}

// 打印 in the window ends in the preview of the prepared sheets, whose save
// dialog offers the workbook export of the window's frOLEExcelExport1.
// Needs the CJK fonts.
TEST(TalvenForm, PrintingOpensThePreview) {
  App();
  test::TempDir dir;
  SetHostExeDir(Utf8ToGbk(dir.path()));
  WriteSheetTemplates(Utf8ToGbk(dir.path()));
  Shown w;
  w.form->Edit2->setText("1");
  w.form->Edit3->setText("3");
  int pages = -1;
  std::vector<std::string> filters;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      auto* preview = dynamic_cast<TfrPreviewForm*>(top);
      if (preview == nullptr || !preview->isVisible()) continue;
      pages = preview->Pages() ? preview->Pages()->PageCount() : 0;
      for (const TfrExportFilterEntry& e : ReportActions().ExportFilters()) filters.push_back(e.Description);
      preview->close();
    }
  });
  poll.start(20);
  w.form->BitBtn9->click();
  poll.stop();
  SetHostExeDir({});
  EXPECT_TRUE(w.ui.boxes.empty());
  EXPECT_EQ(pages, 3);
  EXPECT_NE(std::find(filters.begin(), filters.end(), "Excel file (*.xlsx)"), filters.end());
  EXPECT_EQ(PreparedPagesOf(w.form->Logic().Report.frReport1).PageCount(), 0);  // they went with the preview
}

}  // namespace
}  // namespace talven
