#include "report/model/report.h"

#include "base/convert.h"
#include "base/text.h"
#include "report/model/dataset.h"
#include "report/model/prepare_state.h"
#include "report/model/printer_adapter.h"
#include "report/model/view.h"

namespace talven {

void TfrReportInfo::Reset() {
  *this = TfrReportInfo{};
  InfoCreated = InfoModified = Now();
}

TfrReport::TfrReport(std::string name) : TfrComponent(std::move(name)) { Info.Reset(); }

TfrReport::~TfrReport() {
  PrepareState& state = EngineState();
  if (state.CurrentReport == this) state.CurrentReport = nullptr;
  if (state.MasterReport == this) state.MasterReport = nullptr;
}

void TfrReport::SetDataset(TfrDataset* dataset) {
  if (dataset_ == dataset) return;
  if (dataset_ != nullptr) dataset_->RemoveFreeNotification(*this);
  dataset_ = dataset;
  if (dataset_ != nullptr) dataset_->FreeNotification(*this);
}

void TfrReport::Notification(TfrComponent& destroyed) {
  if (&destroyed == dataset_) dataset_ = nullptr;
}

void TfrReport::SelectPrinterByName(const std::string& name) {
  TfrPrinterAdapter* printer = EnginePrinter();
  if (!UseDefaultPrinter && printer != nullptr) {
    const auto& names = printer->PrinterNames();
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == name) {
        printer->SelectIndex(static_cast<int>(i));
        break;
      }
  }
  PrinterName = name;
}

TfrView* TfrReport::ObjectByName(std::string_view name) const {
  for (const auto& page : TemplatePages)
    for (const auto& view : page->ObjectList)
      if (SameText(view->Name, name)) return view.get();
  return nullptr;
}

TfrPage* TfrReport::PageByName(std::string_view name) const {
  for (const auto& page : TemplatePages)
    if (SameText(page->Name, name)) return page.get();
  return nullptr;
}

void MakeUniqueName(TfrView& view, const TfrReport* report) {
  if (report == nullptr) report = EngineState().CurrentReport;
  view.Name.clear();
  for (int n = 1; n <= 10000; ++n) {
    std::string candidate = view.NameStem + IntToStr(n);
    if (report == nullptr || report->ObjectByName(candidate) == nullptr) {
      view.SetPropertyValue("Name", candidate);
      return;
    }
  }
}

void MakeUniquePageName(TfrPage& page, const TfrReport* report) {
  if (report == nullptr) report = EngineState().CurrentReport;
  page.Name = "Page";
  for (int n = 1; n <= 10000; ++n) {
    std::string candidate = "Page" + IntToStr(n);
    if (report == nullptr || report->PageByName(candidate) == nullptr) {
      page.Name = candidate;
      return;
    }
  }
}

}  // namespace talven
