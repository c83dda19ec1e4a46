// Reports built in code for tests of the band engine: pages of a known size,
// bands and memos placed by coordinates, a user dataset, a recording of the
// report's events, and the prepared pages read back as objects.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/convert.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/engine/band_engine.h"
#include "report/engine/datasets.h"
#include "report/engine/progress.h"
#include "report/expr/report_scope.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/factory.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/subreport_view.h"
#include "report/model/variables.h"
#include "report/pages/prepared_pages.h"

namespace talven::testing {

// An object as it stands on a prepared page.
struct PrintedObject {
  std::string name;
  int left = 0, top = 0, width = 0, height = 0;
  std::string text;  // the output lines joined with "|"
};

class BandEngineTest : public ::testing::Test {
 protected:
  BandEngineTest() {
    EngineState().Reset();
    EngineVariables().Clear();
    form.Insert(report);
    form.Insert(data);
    data.RangeEnd = reCount;
    report.ShowProgress = false;
  }
  ~BandEngineTest() override {
    EngineState().Reset();
    EngineVariables().Clear();
  }

  // A page of 720 × 360 units (2000 × 1000 tenths of a millimetre).
  TfrPage& AddPage() { return report.TemplatePages.Add(256, 2000, 1000, 65535, 0); }
  TfrPage& PageAt(int i) {
    while (report.TemplatePages.Count() <= i) AddPage();
    return report.TemplatePages[i];
  }
  TfrBandView& AddBand(int kind, const std::string& name, int top, int height, const std::string& source = {},
                       int page = 0) {
    auto band = std::make_unique<TfrBandView>();
    band->SetBandType(static_cast<std::uint16_t>(kind));
    band->Name = name;
    band->Left = 0;
    band->Top = top;
    band->Width = 720;
    band->Height = height;
    band->DisplayFormatText = source;
    return dynamic_cast<TfrBandView&>(PageAt(page).Add(std::move(band)));
  }
  TfrMemoView& AddMemo(const std::string& name, int left, int top, int width, int height,
                       std::vector<std::string> lines, int page = 0) {
    auto memo = std::make_unique<TfrMemoView>();
    memo->Name = name;
    memo->Left = left;
    memo->Top = top;
    memo->Width = width;
    memo->Height = height;
    memo->Memo = std::move(lines);
    return dynamic_cast<TfrMemoView&>(PageAt(page).Add(std::move(memo)));
  }

  TfrSubReportView& AddSubReport(int top, int height, int shownPage) {
    auto sub = std::make_unique<TfrSubReportView>();
    sub->Name = "SubReport1";
    sub->Top = top;
    sub->Width = 300;
    sub->Height = height;
    sub->ShownPage = shownPage;
    return dynamic_cast<TfrSubReportView&>(PageAt(0).Add(std::move(sub)));
  }

  // Records the events named in the report, as "BeginBand Name" lines.
  void RecordEvents() {
    report.OnBeginDoc = [this] { events.push_back("BeginDoc"); };
    report.OnEndDoc = [this] { events.push_back("EndDoc"); };
    report.OnBeginPage = [this](int n) { events.push_back("BeginPage " + IntToStr(n)); };
    report.OnEndPage = [this](int n) { events.push_back("EndPage " + IntToStr(n)); };
    report.OnBeginBand = [this](TfrBand* b) { events.push_back("BeginBand " + b->Name); };
    report.OnEndBand = [this](TfrBand* b) { events.push_back("EndBand " + b->Name); };
    data.OnFirst = [this](TfrDataset&) { events.push_back("First"); };
    data.OnNext = [this](TfrDataset&) { events.push_back("Next"); };
    data.OnPrior = [this](TfrDataset&) { events.push_back("Prior"); };
  }

  bool Prepare() {
    UiScope uiScope(ui);
    ProgressWindowScope progressScope(quiet);
    return PrepareReport(report);
  }

  // The objects of a prepared page.
  std::vector<PrintedObject> Objects(int page) {
    std::vector<PrintedObject> result;
    TfrStream stream(pages.PageAt(page).ObjectStream.Bytes());
    TfrPage printed(256, 2000, 1000, 65535, 0);
    ReadPreparedObjects(stream, printed);
    for (const auto& view : printed.ObjectList) {
      PrintedObject o{view->Name, view->Left, view->Top, view->Width, view->Height, {}};
      for (const std::string& line : view->Memo) o.text += (o.text.empty() ? "" : "|") + line;
      result.push_back(o);
    }
    return result;
  }
  // The printed texts of one object name on a page, in order.
  std::vector<std::string> Texts(int page, const std::string& name) {
    std::vector<std::string> texts;
    for (const PrintedObject& o : Objects(page))
      if (o.name == name) texts.push_back(o.text);
    return texts;
  }
  // How often each page shows the object.
  std::vector<int> CountPerPage(const std::string& name) {
    std::vector<int> counts;
    for (int i = 0; i < pages.PageCount(); ++i) counts.push_back(static_cast<int>(Texts(i, name).size()));
    return counts;
  }

  TfrComponentOwner form{"Form1"};
  TfrReport report;
  TfrUserDataset data{"frUserDataset1"};
  TfrEMFPages& pages = PreparedPagesOf(report);
  RecordingUi ui;
  HeadlessProgress quiet{true};
  std::vector<std::string> events;
};

}  // namespace talven::testing
