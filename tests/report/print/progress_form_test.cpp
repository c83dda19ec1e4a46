// The progress window: the preparation runs inside its modal loop, its
// labels show the pages, and its cancel button stops the preparation.
#include "report/print/progress_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "base/text.h"
#include "base/ui.h"
#include "qtui/qt_ui.h"
#include "report/engine/band_engine.h"
#include "report/pages/prepared_pages.h"
#include "report/model/band_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"

namespace talven {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

TEST(ProgressForm, PreparationRunsInsideAndCancelStopsIt) {
  App();
  EngineState().Reset();
  TfrReport report;
  report.Title = "Sheet";
  TfrPage& page = report.TemplatePages.Add(256, 2000, 1000, 65535, 0);
  auto band = std::make_unique<TfrBandView>();
  band->SetBandType(btMasterData);
  band->Name = "MasterData1";
  band->Height = 100;
  band->DisplayFormatText = "20";
  page.Add(std::move(band));

  TfrProgressForm form;
  QString caption, labelOnSecondPage;
  bool shownWhilePreparing = false;
  report.OnBeginPage = [&](int n) {
    shownWhilePreparing = form.isVisible();
    caption = form.windowTitle();
    if (n == 1) {
      labelOnSecondPage = form.Label1->text();
      form.Button1->click();
    }
  };
  RecordingUi ui;
  UiScope uiScope(ui);
  ProgressWindowScope scope(form);
  EXPECT_FALSE(PrepareReport(report));
  TfrEMFPages& pages = PreparedPagesOf(report);
  EXPECT_TRUE(shownWhilePreparing);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(caption, ToQt("正在准备报表 - Sheet"_gbk));
  EXPECT_EQ(labelOnSecondPage, ToQt("正在处理页: 1"_gbk)) << "the page just finished";
  EXPECT_EQ(pages.PageCount(), 2) << "nothing more after the cancel";
  EXPECT_TRUE(ui.boxes.empty());
  EngineState().Reset();
}

}  // namespace
}  // namespace talven
