// The preview's tests: one application for the program, the engine on the
// virtual printer, the user's settings in a temporary folder, the report
// actions recorded, and sign-in sheet pages to show.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>

#include <memory>
#include <string>
#include <vector>

#include "base/ui.h"
#include "qtui/qt_ui.h"
#include "report/pages/report_actions.h"
#include "report/pages/shell.h"
#include "report/preview/preview_form.h"
#include "report/preview/preview_layout.h"
#include "report/print/printer.h"
#include "report/preview/signin_pages.h"
#include "support/fixture.h"

namespace talven {

inline QApplication& PreviewApp() {
  static int argc = 1;
  static char name[] = "test_report_preview";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    InstallFontSubstitutions();
    return a;
  }();
  return *app;
}

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest() {
    PreviewApp();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settingsDir.path()));
    StartReportEngine(nullptr);
    EngineState().Reset();
    EngineZoomState() = {};
    savedActions = ReportActions();
    ReportActions() = {};
    report.Title = "签到表"_gbk;
    report.PreviewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbFind | pbExit | pbPageSetup;
  }
  ~PreviewTest() override {
    ReportActions() = savedActions;
    EngineZoomState() = {};
  }

  void AddPages(int count, int rows = 30) { signin::AppendPages(report, PreparedPagesOf(report), count, rows); }

  test::TempDir settingsDir;
  RecordingUi ui;
  UiScope uiScope{ui};
  RecordingShell shell;
  ShellScope shellScope{shell};
  TfrReportActions savedActions;
  TfrReport report;
};

}  // namespace talven
