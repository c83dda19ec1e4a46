// Building the run-time bands of a template page, binding objects to data
// fields and registering the accumulators of aggregate functions.
#include <algorithm>
#include <set>

#include "base/text.h"
#include "report/engine/datasets.h"
#include "report/engine/engine_run.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/splitter.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/subreport_view.h"

namespace talven {

namespace {

void Compile(const TfrStrings& source, TfrStrings& code) {
  code.clear();
  if (source.empty()) return;
  std::vector<std::string> errors;
  EngineInterpreter().CompileScript(source, code, errors);
}

// What a band takes from its band object.
void TakeFromObject(TfrBand& band, TfrBandView& view) {
  band.BandView = &view;
  view.RuntimeBand = &band;
  band.Name = view.Name;
  band.Flags = view.Flags;
  band.Visible = view.Visible;
  band.BandScript = view.ScriptCode;
}

bool Within(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

void TfrEngineRun::BuildBands(TfrPage& page) {
  PrepareState& state = EngineState();
  page.BandList.clear();
  for (int kind = 0; kind < kBandKindCount; ++kind) {
    page.BandList.push_back(std::make_unique<TfrBand>(kind, &page));
    page.KindBands[static_cast<std::size_t>(kind)] = page.BandList.back().get();
  }

  // Every object in printing mode, with its script compiled.
  std::set<TfrView*> unassigned;
  for (const auto& owned : page.ObjectList) {
    TfrView* view = owned.get();
    view->StorageMode = smPrinting;
    if (auto* memo = dynamic_cast<TfrMemoView*>(view))
      memo->HighlightPostfix = memo->HighlightCondition.empty() ? std::string()
                                                                  : EngineParser().ToPostfix(memo->HighlightCondition);
    if ((view->Flags & flHookObject) != 0) state.HookObjects.push_back(view);
    if (dynamic_cast<TfrBandView*>(view) == nullptr) unassigned.insert(view);
    view->ParentBand = nullptr;
    Compile(view->BeforePrintScript, view->ScriptCode);
    if (auto* sub = dynamic_cast<TfrSubReportView*>(view);
        sub != nullptr && sub->ShownPage >= 0 && sub->ShownPage < report_.TemplatePages.Count())
      report_.TemplatePages[sub->ShownPage].SubreportOnly = true;
  }

  std::vector<TfrBandView*> bandViews;
  for (const auto& owned : page.ObjectList)
    if (auto* view = dynamic_cast<TfrBandView*>(owned.get()); view != nullptr && view->BandType() < kBandKindCount)
      bandViews.push_back(view);
  auto resolve = [this](TfrBand& band, const std::string& text) {
    if (text.find(';') != std::string::npos) return;
    TfrResolvedDataset resolved = ResolveDataSource(report_, text);
    band.BandDataset = resolved.Dataset;
    band.OwnsDataset = resolved.Owned != nullptr;
    resolved.Owned.release();
  };

  // Vertical bands and the objects within their width.
  bool anyVertical = false;
  for (TfrBandView* view : bandViews) {
    if (!IsVerticalBand(view->BandType())) continue;
    TfrBand& band = *page.KindBands[view->BandType()];
    TakeFromObject(band, *view);
    band.Left = view->Left;
    band.Width = view->Width;
    resolve(band, view->DataSource());
    anyVertical = true;
  }
  if (anyVertical)
    for (int kind : {btCrossHeader, btCrossData, btCrossFooter}) {
      TfrBand& band = *page.KindBands[static_cast<std::size_t>(kind)];
      if (band.BandView == nullptr) continue;
      for (const auto& owned : page.ObjectList) {
        TfrView* view = owned.get();
        if (!unassigned.count(view) || view->ParentBand != nullptr) continue;
        if (view->Left >= band.Left && view->Left + view->Width <= band.Left + band.Width) {
          band.Objects.push_back(view);
          view->Left -= band.Left;
          view->ParentBand = &band;
        }
      }
    }

  // Horizontal bands, in three sweeps over the objects.
  const bool subreportOnly = page.SubreportOnly;
  std::array<std::vector<TfrBand*>, kBandKindCount> lists;
  for (int kind = 0; kind < kBandKindCount; ++kind) {
    if (IsVerticalBand(kind) || kind == btNone) continue;
    for (TfrBandView* view : bandViews) {
      if (view->BandType() != kind) continue;
      TfrBand* band = page.KindBands[static_cast<std::size_t>(kind)];
      if (band->BandView != nullptr) {
        page.BandList.push_back(std::make_unique<TfrBand>(kind, &page));
        band = page.BandList.back().get();
      }
      lists[static_cast<std::size_t>(kind)].push_back(band);
      TakeFromObject(*band, *view);
      band->Top = view->Top;
      band->Height = view->Height;
      band->Left = view->Left;
      band->Width = view->Width;
      band->ColumnNo = 1;
      if (kind == btGroupHeader)
        band->GroupExpr = view->DataSource().empty() ? std::string() : EngineParser().ToPostfix(view->DataSource());
      else
        resolve(*band, view->DataSource());
      const std::uint16_t f = view->Flags;
      band->Stretched = (f & flStretched) != 0;
      band->PrintIfSubsetEmpty = (f & flBandPrintIfSubsetEmpty) != 0;
      band->PrintChildIfInvisible = (f & flBandPrintChildIfInvisible) != 0;
      band->FormNewPage = !subreportOnly && (f & flBandFormNewPage) != 0;
      band->Breaked = !subreportOnly && (f & flBandBreaked) != 0;

      auto join = [&](TfrView* object, bool setParent) {
        if (!Within(object->Top, band->Top, band->Top + band->Height)) return;
        band->Objects.push_back(object);
        if (setParent) object->ParentBand = band;
        object->Top -= band->Top;
        unassigned.erase(object);
      };
      for (const auto& owned : page.ObjectList)
        if (unassigned.count(owned.get()) && owned->ParentBand == nullptr &&
            dynamic_cast<TfrSubReportView*>(owned.get()) == nullptr)
          join(owned.get(), true);
      for (const auto& owned : page.ObjectList)
        if (unassigned.count(owned.get()) && owned->ParentBand != nullptr) join(owned.get(), false);
      for (const auto& owned : page.ObjectList)
        if (unassigned.count(owned.get()) && dynamic_cast<TfrSubReportView*>(owned.get()) != nullptr)
          join(owned.get(), true);
    }
  }

  // Each kind ordered by Top and linked; the first is the page's band.
  for (int kind = 0; kind < kBandKindCount; ++kind) {
    std::vector<TfrBand*>& list = lists[static_cast<std::size_t>(kind)];
    if (list.empty()) continue;
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
      std::size_t lowest = i;
      for (std::size_t j = i + 1; j < list.size(); ++j)
        if (list[j]->Top < list[lowest]->Top) lowest = j;
      std::swap(list[i], list[lowest]);
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
      list[i]->PrevBand = i > 0 ? list[i - 1] : nullptr;
      list[i]->NextBand = i + 1 < list.size() ? list[i + 1] : nullptr;
    }
    page.KindBands[static_cast<std::size_t>(kind)] = list.front();
  }
  auto bandsOf = [&page](int kind) {
    std::vector<TfrBand*> result;
    for (TfrBand* b = page.KindBands[static_cast<std::size_t>(kind)]; b != nullptr; b = b->NextBand)
      result.push_back(b);
    return result;
  };

  // The objects outside all bands.
  TfrBand& outside = *page.KindBands[btNone];
  outside.Top = 0;
  for (const auto& owned : page.ObjectList)
    if (unassigned.count(owned.get()) && owned->ParentBand == nullptr) {
      outside.Objects.push_back(owned.get());
      owned->ParentBand = &outside;
    }

  // Headers and footers paired with the data bands of their level.
  for (int level = 0; level < 3; ++level) {
    const int data = kDataKinds[level];
    const std::vector<TfrBand*> datas = bandsOf(data);
    for (TfrBand* header : bandsOf(data - 1)) {
      for (TfrBand* d : datas)
        if (d->Top > header->Top + header->Height) {
          if (d->HeaderLink == nullptr) {
            d->HeaderLink = header;
            header->DataLink = d;
          }
          break;
        }
    }
    for (TfrBand* footer : bandsOf(data + 1)) {
      TfrBand* passed = nullptr;
      for (TfrBand* d : datas) {
        if (d->Top + d->Height > footer->Top) break;
        passed = d;
      }
      if (passed != nullptr && passed->FooterLink == nullptr) {
        passed->FooterLink = footer;
        footer->DataLink = passed;
      }
    }
  }

  // Group headers and footers, innermost first.
  {
    const std::vector<TfrBand*> headers = bandsOf(btGroupHeader), footers = bandsOf(btGroupFooter);
    for (std::size_t i = 0; i < headers.size() && i < footers.size(); ++i)
      headers[headers.size() - 1 - i]->FooterLink = footers[i];
  }

  // The cross-tab list of the cross data band: "band=source;" entries.
  if (const TfrBand& cross = *page.KindBands[btCrossData];
      cross.BandView != nullptr && cross.BandView->DataSource().find(';') != std::string::npos) {
    const std::string& text = cross.BandView->DataSource();
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find(';', start);
      const std::string entry = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      start = end == std::string::npos ? text.size() : end + 1;
      const std::size_t eq = entry.find('=');
      if (eq == std::string::npos) continue;
      const std::string name = Trim(entry.substr(0, eq)), source = Trim(entry.substr(eq + 1));
      for (int kind = btMasterHeader; kind <= btChild; ++kind)
        for (TfrBand* b : bandsOf(kind)) {
          if (b->BandView == nullptr || !SameText(b->BandView->Name, name)) continue;
          if (b->OwnsCrossDataset) delete b->CrossDataset;
          TfrResolvedDataset resolved = ResolveDataSource(report_, source);
          b->CrossDataset = resolved.Dataset;
          b->OwnsCrossDataset = resolved.Owned != nullptr;
          resolved.Owned.release();
        }
    }
  }

  // Child bands.
  for (const auto& band : page.BandList) {
    if (band->BandView == nullptr || band->BandView->ChildBand.empty()) continue;
    for (const auto& other : page.BandList)
      if (other->BandView != nullptr && SameText(other->BandView->Name, band->BandView->ChildBand)) {
        band->ChildLink = other.get();
        break;
      }
  }

  // Group headers attached to their data band.
  for (TfrBand* group : bandsOf(btGroupHeader)) {
    if (group->BandView == nullptr) continue;
    TfrBand* data = page.KindBands[btMasterData];
    if (!group->BandView->Master.empty()) {
      data = nullptr;
      for (const auto& band : page.BandList)
        if (band->BandView != nullptr && SameText(band->BandView->Name, group->BandView->Master)) {
          data = band.get();
          break;
        }
    }
    if (data == nullptr) continue;
    group->PrevGroup = data->GroupTail;
    if (data->GroupTail != nullptr) data->GroupTail->NextGroup = group;
    else data->GroupHead = group;
    data->GroupTail = group;
  }

  // Page columns.
  if (page.Columns <= 0) page.Columns = 1;
  page.ColumnWidth = (page.RightLimit() - LeftMargin(page) - (page.Columns - 1) * page.ColumnGap) / page.Columns;
}

void TfrEngineRun::BindFields(TfrPage& page) {
  PrepareState& state = EngineState();
  for (const auto& owned : page.ObjectList) {
    TfrView& view = *owned;
    view.BoundDataSet = nullptr;
    view.BoundField.clear();
    if (view.Memo.empty()) continue;
    const std::string& first = view.Memo.front();
    const auto* memo = dynamic_cast<const TfrMemoView*>(&view);
    if (first.size() <= 2 || first[0] != '[' || (memo != nullptr && (memo->Flags & flTextOnly) != 0)) continue;
    const std::size_t close = first.rfind(']');
    const std::string name = first.substr(1, close == std::string::npos || close < 1 ? std::string::npos : close - 1);
    state.CurrentBand = report_.UseDefaultDataSetName ? view.ParentBand : nullptr;
    try {
      const TfrFieldTarget target = binding_->Scope().FindField(name);
      if (target.DataSet != nullptr && !target.FieldName.empty()) {
        view.BoundDataSet = target.DataSet;
        view.BoundField = target.FieldName;
      }
    } catch (const std::exception&) {
      // A first line that names no field binds nothing.
    }
  }
  state.CurrentBand = nullptr;
}

void TfrEngineRun::ScanForAggregates(TfrBand* band) {
  if (band == nullptr) return;
  std::vector<std::string> calls;
  TAggregateFunctionsSplitter splitter(calls, report_.Dictionary.VariableList);
  splitter.SplitScript(band->BandScript);
  for (TfrView* view : band->Objects) {
    if (dynamic_cast<TfrMemoView*>(view) != nullptr) splitter.SplitMemo(view->Memo);
    splitter.SplitScript(view->ScriptCode);
  }
  EngineState().CurrentBand = band;
  for (const std::string& call : calls) EngineParser().Evaluate(call);
}

void TfrEngineRun::RegisterAggregates(TfrPage& page) {
  PrepareState& state = EngineState();
  static constexpr int kMaster[] = {btPageFooter, btColumnFooter, btMasterFooter, btGroupFooter, btReportSummary};
  static constexpr int kDetail[] = {btPageFooter,   btColumnFooter, btMasterFooter,
                                    btDetailFooter, btGroupFooter,  btReportSummary};
  static constexpr int kSubDetail[] = {btPageFooter,      btColumnFooter, btMasterFooter, btDetailFooter,
                                       btSubDetailFooter, btGroupFooter,  btReportSummary};
  auto scanKind = [&](int kind) {
    TfrBand* first = page.KindBands[static_cast<std::size_t>(kind)];
    for (TfrBand* b = first; b != nullptr; b = b->ChildLink) {
      ScanForAggregates(b);
      if (b->ChildLink == first) break;
    }
    for (TfrBand* b = first != nullptr ? first->NextBand : nullptr; b != nullptr; b = b->NextBand) ScanForAggregates(b);
  };
  auto scanTargets = [&](int dataKind, const int* kinds, std::size_t n) {
    for (TfrBand* data = page.KindBands[static_cast<std::size_t>(dataKind)]; data != nullptr;
         data = data->NextBand != nullptr && data->NextBand->BandDataset != nullptr ? data->NextBand : nullptr) {
      state.AggregateTarget = data;
      for (std::size_t i = 0; i < n; ++i) scanKind(kinds[i]);
    }
  };
  state.RegistrationMode = true;
  try {
    scanTargets(btMasterData, kMaster, std::size(kMaster));
    scanTargets(btDetailData, kDetail, std::size(kDetail));
    scanTargets(btSubDetailData, kSubDetail, std::size(kSubDetail));
    state.AggregateTarget = page.KindBands[btCrossData];
    scanKind(btCrossFooter);
  } catch (const std::exception& e) {
    ReportError(e);
  }
  state.RegistrationMode = false;
  state.AggregateTarget = nullptr;
  state.CurrentBand = nullptr;
}

}  // namespace talven
