// The module as the host sees it: loaded with dlopen, two exports, a modal
// window per ShowForm call.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "data/host_connection.h"
#include "support/exam_fixture.h"
#include "support/fixture.h"

namespace talven {
namespace {

using GetVersionFn = const char* (*)();
using ShowFormFn = void (*)(void*, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t,
                            std::intptr_t, void*);

QWidget* TopLevel(const char* objectName) {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String(objectName) && w->isVisible()) return w;
  return nullptr;
}

// Runs step once the window is up (inside ShowForm's modal loop), then
// closes the window.
void WhenShown(std::function<void(QWidget*)> step) {
  QTimer::singleShot(20, [step] {
    QWidget* form = TopLevel("TTALVEN_Form");
    if (!form) return WhenShown(step);
    step(form);
    if (QWidget* filter = TopLevel("TFilter_Form")) filter->hide();
    static_cast<QDialog*>(form)->reject();
  });
}

TEST(Module, LoadsAndOpensTheWindowTwice) {
  static int argc = 1;
  static char name[] = "test_module";
  static char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  void* handle = dlopen(TALVEN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  auto getVersion = reinterpret_cast<GetVersionFn>(dlsym(handle, "GetVersion"));
  auto showForm = reinterpret_cast<ShowFormFn>(dlsym(handle, "ShowForm"));
  ASSERT_NE(getVersion, nullptr);
  ASSERT_NE(showForm, nullptr);
  EXPECT_STREQ(getVersion(), "3.00");

  test::TempDir dir;
  test::MakeExamFixture(dir.File("exam.db"));
  std::unique_ptr<HostConnection> connection = HostConnection::Open(test::SqliteUrl(dir.File("exam.db")));

  QString caption;
  int rooms = -1;
  WhenShown([&](QWidget* form) {
    caption = form->windowTitle();
    rooms = form->findChild<QLineEdit*>("Edit3") ? form->findChild<QLineEdit*>("Edit3")->text().toInt() : -1;
    form->findChild<QPushButton*>("BitBtn1")->click();  // 过滤
    auto* fields = TopLevel("TFilter_Form")->findChild<QComboBox*>("ComboBox1");
    fields->setCurrentIndex(2);
    emit fields->activated(2);
  });
  showForm(nullptr, 1, 2, 3, 4, 5, 6, connection.get());
  EXPECT_EQ(caption, QString::fromUtf8("笔试考场签到表打印(V3.00)"));
  EXPECT_EQ(rooms, 5);

  int remembered = -2;
  WhenShown([&](QWidget* form) {
    form->findChild<QPushButton*>("BitBtn1")->click();
    remembered = TopLevel("TFilter_Form")->findChild<QComboBox*>("ComboBox1")->currentIndex();
  });
  showForm(nullptr, 0, 0, 0, 0, 0, 0, connection.get());
  EXPECT_EQ(remembered, 2);  // the field positions outlive the first window

  // The host's connection is still open and usable.
  EXPECT_TRUE(connection->Connected());
  EXPECT_EQ(connection->Run("select dbversion from t_version").At(0, 0).AsText(), "3.00");
  EXPECT_STREQ(getVersion(), "3.00");
}

}  // namespace
}  // namespace talven
