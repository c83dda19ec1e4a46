// Preparation: the passes, the pages of a pass, forming a template page into
// output pages, page and column breaks, the data loop.
#include <algorithm>
#include <cstdio>

#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/engine/band_engine.h"
#include "report/engine/datasets.h"
#include "report/engine/engine_run.h"
#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/values.h"
#include "report/model/memo_view.h"
#include "report/pages/report_actions.h"
#include "report/render/canvas.h"
#include "report/render/paint.h"
#include "report/render/render_view.h"
#include "report/template/template.h"

namespace talven {

namespace {
TfrEngineRun* active = nullptr;

bool HasFlag(const TfrBand* band, std::uint16_t bit) { return band != nullptr && (band->Flags & bit) != 0; }

void ForgetPrintedTexts(TfrBand* band) {
  if (band == nullptr) return;
  for (TfrView* view : band->Objects)
    if (auto* memo = dynamic_cast<TfrMemoView*>(view)) memo->LastPrintedText.clear();
}
}  // namespace

TfrEngineRun::TfrEngineRun(TfrReport& report, TfrEMFPages& output, TfrProgressWindow& progress)
    : report_(report), output_(output), progress_(progress), previous_(active) {
  active = this;
}

TfrEngineRun::~TfrEngineRun() { active = previous_; }

TfrEngineRun* TfrEngineRun::Active() { return active; }

// ---- geometry of a page -----------------------------------------------

int TfrEngineRun::TopMargin(const TfrPage& page) const {
  if (!page.KeepMargins) return 0;
  return page.TopMargin != 0 ? page.TopMargin : page.PrinterMetrics.OffsetYUnits;
}

int TfrEngineRun::LeftMargin(const TfrPage& page) const {
  if (!page.KeepMargins) return 0;
  return page.LeftMargin != 0 ? page.LeftMargin : page.PrinterMetrics.OffsetXUnits;
}

int TfrEngineRun::BottomLimit(const TfrPage& page) const {
  const TfrPrinterMetrics& m = page.PrinterMetrics;
  const int sheet = m.PaperHeightUnits != 0 ? m.PaperHeightUnits : TenthsToUnits(page.PaperHeight);
  int limit = sheet;
  if (page.KeepMargins) {
    if (page.BottomMargin != 0) limit = sheet - page.BottomMargin;
    else if (m.PrintHeightUnits != 0) limit = m.OffsetYUnits + m.PrintHeightUnits;
  }
  const TfrBand* footer = page.KindBands[btPageFooter];
  if (EngineState().DocMode == TfrDocMode::Printing && Printable(footer)) limit -= footer->Height;
  return limit;
}

bool TfrEngineRun::Printable(const TfrBand* band) {
  return band != nullptr && (band->BandView != nullptr || (band->Kind == btNone && !band->Objects.empty()));
}

bool TfrEngineRun::IsDataBand(const TfrBand* band) {
  return band != nullptr &&
         (band->Kind == btMasterData || band->Kind == btDetailData || band->Kind == btSubDetailData);
}

void TfrEngineRun::RunScript(const TfrStrings& code) {
  if (!code.empty()) EngineInterpreter().RunScript(code);
}

void TfrEngineRun::RunPageScript(TfrPage& page) {
  if (page.PageScript.empty()) return;
  if (page.PageScriptCode.empty()) {
    std::vector<std::string> errors;
    EngineInterpreter().CompileScript(page.PageScript, page.PageScriptCode, errors);
  }
  RunScript(page.PageScriptCode);
}

// ---- PrepareReport ----------------------------------------------------

bool TfrEngineRun::Prepare() {
  PrepareState& state = EngineState();
  report_.SelectPrinterByName(report_.PrinterName);
  state.DocMode = TfrDocMode::Printing;
  state.RunDate = Date();
  state.RunTime = Time();
  for (const auto& page : report_.TemplatePages)
    for (const auto& view : page->ObjectList)
      if (view->BandAlign != baNone) SettleBandAlign(*view, ScratchCanvas());

  state.CurrentPage = nullptr;
  state.CurrentBand = nullptr;
  state.MasterReport = state.CurrentReport = &report_;
  twoPass_ = report_.TwoPass;
  binding_ = std::make_unique<TfrReportBinding>(report_);

  TfrStream snapshot;
  WriteTemplate(report_, snapshot, TfrWriteOptions{report_.Info.InfoModified});

  bool result = false;
  try {
    if (report_.OnBeginDoc) report_.OnBeginDoc();
    result = RunPasses(false);
    if (report_.OnEndDoc) report_.OnEndDoc();
  } catch (const std::exception& e) {
    Recover(e);
    result = false;
  }

  const bool error = state.ErrorFlag;
  const std::string errorText = state.ErrorText;
  for (const auto& page : report_.TemplatePages) page->BandList.clear();
  snapshot.Seek(0);
  ReadTemplate(report_, snapshot);
  state.ErrorFlag = error;
  state.ErrorText = errorText;
  report_.TwoPass = twoPass_;

  report_.InFinalPass = false;
  if (state.StopRequested) result = false;
  if (error) {
    result = false;
    state.DocMode = TfrDocMode::Designing;
    CurrentUi().MessageBox(errorText, "错误"_gbk, MB_OK | MB_ICONERROR);
    output_.Clear();
  } else if (state.StopRequested) {
    output_.Clear();
  }
  state.PreparatoryPass = false;
  state.CurrentBand = nullptr;
  state.CurrentObject = nullptr;
  state.CurrentPage = nullptr;
  binding_.reset();
  return result;
}

// An error outside the printing of objects (a dataset, a band or page
// script, a template that cannot be laid out): reported as errors of objects
// are, after the bands have been taken down.
void TfrEngineRun::Recover(const std::exception& e) {
  ReportError(e);
  for (const auto& page : report_.TemplatePages) {
    try {
      DoneReport(*page);
    } catch (const std::exception&) {
      // Releasing the datasets of a failed run: its first error is the one
      // the user sees.
    }
  }
  try {
    if (report_.Dataset() != nullptr && report_.ReportType == rtMultiple) report_.Dataset()->Exit();
  } catch (const std::exception&) {
  }
  try {
    if (report_.OnEndDoc) report_.OnEndDoc();
  } catch (const std::exception&) {
  }
}

bool TfrEngineRun::RunPasses(bool finalAfterPreparatory) {
  PrepareState& state = EngineState();
  report_.Cancelled = false;
  state.StopRequested = false;
  state.PreparatoryPass = false;
  report_.InFinalPass = true;
  output_.Clear();
  std::string caption = "正在准备报表"_gbk;
  if (!report_.Title.empty()) caption += " - " + report_.Title;
  const bool direct = static_cast<bool>(report_.OnProgress) || !report_.ShowProgress;

  bool ok = true;
  if (report_.TwoPass) {
    state.PreparatoryPass = true;
    report_.InFinalPass = false;
    labelPrefix_ = "进行第一次处理:"_gbk;
    if (direct) {
      BuildStep();
    } else {
      progress_.SetCaption(caption);
      progress_.SetLabel(labelPrefix_ + " 1");
      windowShown_ = true;
      ok = progress_.RunModal([this] { BuildStep(); });
      windowShown_ = false;
    }
  } else {
    labelPrefix_ = "正在处理页:"_gbk;
    if (direct || finalAfterPreparatory) {
      if (!direct) progress_.SetLabel(labelPrefix_ + " 1");
      BuildStep();
    } else {
      progress_.SetCaption(caption);
      progress_.SetLabel(labelPrefix_ + " 1");
      state.TotalPages = 0;
      windowShown_ = true;
      ok = progress_.RunModal([this] { BuildStep(); });
      windowShown_ = false;
    }
  }
  return ok && !report_.Cancelled;
}

void TfrEngineRun::BuildStep() {
  PrepareState& state = EngineState();
  BuildPages();
  if (report_.InFinalPass) {
    if (windowShown_) progress_.Close(!report_.Cancelled);
    return;
  }
  state.TotalPages = output_.PageCount();
  report_.TwoPass = false;
  if (report_.Cancelled) {
    output_.Clear();
    if (windowShown_) progress_.Close(false);
  } else {
    RunPasses(true);
  }
  report_.TwoPass = true;
}

void TfrEngineRun::Progress(int n) {
  if (report_.OnProgress) {
    report_.OnProgress(n);
    return;
  }
  if (!report_.ShowProgress) return;
  std::string label = labelPrefix_ + " " + IntToStr(n);
  if (twoPass_ && !EngineState().PreparatoryPass)
    label += " " + "从"_gbk + " " + IntToStr(EngineState().TotalPages);
  progress_.SetLabel(label);
  progress_.ProcessEvents();
}

// ---- BuildPages -------------------------------------------------------

void TfrEngineRun::BuildPages() {
  PrepareState& state = EngineState();
  progress_.ProcessEvents();
  report_.Rebuildable = true;
  state.DocMode = TfrDocMode::Printing;
  state.CurrentReport = &report_;
  report_.Dictionary.Cache.clear();
  state.ErrorFlag = false;
  state.ErrorText.clear();
  state.PageIndex = 0;
  state.AppendMode = false;
  pageRuns_.clear();

  TfrDataset* multi = report_.ReportType == rtMultiple ? report_.Dataset() : nullptr;
  if (multi != nullptr) {
    multi->Init();
    multi->First();
  }
  if (!FinalOfTwo()) {
    state.HookObjects.clear();
    for (const auto& page : report_.TemplatePages) page->SubreportOnly = false;
    state.StopRequested = false;
  }
  for (const auto& page : report_.TemplatePages) {
    if (page->Type != ptDialog) continue;
    InitPage(*page);
    if (state.StopRequested) break;
  }
  if (!state.StopRequested) {
    for (const auto& page : report_.TemplatePages)
      if (page->Type == ptReport) InitPage(*page);
    if (!FinalOfTwo())
      for (const auto& page : report_.TemplatePages)
        if (page->Type == ptReport && !report_.Cancelled) {
          state.CurrentPage = page.get();
          BindFields(*page);
          RegisterAggregates(*page);
        }

    const int count = report_.TemplatePages.Count();
    do {
      Progress(state.PageIndex + 1);
      for (int j = 0; j < count && !report_.Cancelled; ++j) {
        TfrPage& page = report_.TemplatePages[j];
        state.CurrentPage = &page;
        if (!page.Visible) RunPageScript(page);
        if (page.SubreportOnly || page.Type != ptReport || !page.Visible) continue;
        page.RecordMode = 0;
        FormPage(page);
        state.AppendMode = j + 1 < count && report_.TemplatePages[j + 1].PrintToPrevPage;
        if (state.AppendMode) {
          state.PageIndex -= 1;
        } else {
          state.PageIndex = output_.PageCount();
          Progress(state.PageIndex);
        }
      }
      Progress(state.PageIndex);
      if (multi == nullptr) break;
      multi->Next();
    } while (!report_.Cancelled && !multi->Eof());
  }

  for (const auto& page : report_.TemplatePages)
    if (page->Type == ptReport) DoneReport(*page);
  for (const auto& page : report_.TemplatePages)
    if (page->Type == ptDialog) DoneReport(*page);
  if (multi != nullptr) multi->Exit();
}

void TfrEngineRun::InitPage(TfrPage& page) {
  PrepareState& state = EngineState();
  if (FinalOfTwo()) {
    if (page.Type == ptReport) {
      for (const auto& view : page.ObjectList)
        if (auto* memo = dynamic_cast<TfrMemoView*>(view.get())) memo->LastPrintedText.clear();
      for (const auto& band : page.BandList) {
        if (band->BandDataset != nullptr) band->BandDataset->First();
        // The first pass's sums would otherwise be counted again: a summary
        // or page footer starts again only after it printed.
        RestartAccumulators(*band);
      }
    }
    page.Prepared = true;
    return;
  }
  if (page.Type == ptDialog) {
    // Dialog pages have no controls here: showing one is running its script;
    // a modal result of cancel stops the report.
    state.CurrentPage = &page;
    page.ModalResult = 0;
    RunPageScript(page);
    if (page.ModalResult == IDCANCEL) state.StopRequested = true;
  } else {
    BuildBands(page);
    page.PagePosition = 1;
    page.CrossColumn = 1;
  }
  page.Prepared = true;
}

void TfrEngineRun::DoneReport(TfrPage& page) {
  if (EngineState().PreparatoryPass) return;
  if (page.Prepared && page.Type == ptReport) {
    for (const auto& view : page.ObjectList)
      if (auto* bandView = dynamic_cast<TfrBandView*>(view.get())) bandView->RuntimeBand = nullptr;
    std::vector<std::unique_ptr<TfrBand>> bands = std::move(page.BandList);
    page.BandList.clear();
    page.KindBands = {};
    for (auto& band : bands) band->ReleaseDatasets();
  }
  page.Prepared = false;
}

// ---- FormPage ---------------------------------------------------------

void TfrEngineRun::FormPage(TfrPage& page) {
  PrepareState& state = EngineState();
  if (!report_.PrintIfEmpty) {
    bool empty = true;
    try {
      if (TfrDataset* data = page.KindBands[btMasterData]->BandDataset; data != nullptr) {
        data->First();
        empty = data->Eof();
      }
    } catch (const std::exception&) {
      empty = true;
    }
    if (empty) {
      if (state.AppendMode) state.PageIndex += 1;
      return;
    }
  }
  page.NoRepeatHeaders = false;
  if (page.RecordMode == 0) {
    RunPageScript(page);
    if (state.AppendMode && state.SavedPrintY == state.SavedBottomY) {
      state.AppendMode = false;
      state.AppendFooterPrinted = false;
      state.PageIndex = output_.PageCount();
    }
    page.BottomY = state.AppendMode && state.AppendFooterPrinted ? state.SavedBottomY : BottomLimit(page);
    page.PageColumn = 0;
    page.ColumnX = LeftMargin(page);
    if (state.AppendMode) {
      page.PrintY = state.SavedPrintY;
    } else {
      output_.AppendPage(page);
      page.PrintY = TopMargin(page);
      PrintBand(page.KindBands[btOverlay]);
      PrintBand(page.KindBands[btNone]);
    }
    const int pages = output_.PageCount();
    if (!report_.OnManualBuild) PrintBand(page.KindBands[btReportTitle]);
    if (output_.PageCount() == pages) {
      TfrBand* header = page.KindBands[btPageHeader];
      if (Printable(header) && HasFlag(header, flBandOnFirstPage)) PrintBand(header);
      PrintBand(page.KindBands[btColumnHeader]);
    }
  }
  if (!report_.OnManualBuild && !report_.Cancelled) DataLoop(1);

  if (page.RecordMode == 0 && !report_.Cancelled) {
    if (report_.OnManualBuild) {
      report_.OnManualBuild(&page);
    } else {
      page.NoRepeatHeaders = true;
      TfrBand* columnFooter = page.KindBands[btColumnFooter];
      PrintBand(columnFooter);
      const int height = columnFooter->Height;
      columnFooter->Height = 0;
      PrintBand(page.KindBands[btReportSummary]);
      columnFooter->Height = height;
      page.NoRepeatHeaders = false;
    }
    state.SavedPrintY = page.PageColumn > 0 ? BottomLimit(page) : page.PrintY;
    state.SavedBottomY = page.BottomY;
    page.PageColumn = 0;
    page.ColumnX = LeftMargin(page);
    const int p = state.PageIndex;
    state.AppendFooterPrinted = false;
    TfrBand* footer = page.KindBands[btPageFooter];
    if (!report_.OnManualBuild &&
        ((p == 0 && HasFlag(footer, flBandOnFirstPage)) || HasFlag(footer, flBandOnLastPage))) {
      const std::uint16_t flags = footer->Flags;
      footer->Flags |= flBandOnFirstPage;
      PrintFinishedFooters();
      footer->Flags = flags;
      state.AppendFooterPrinted = Printable(footer);
    }
    if (report_.OnEndPage) report_.OnEndPage(state.PageIndex);
    if (state.MasterReport != nullptr && state.MasterReport != &report_ && state.MasterReport->OnEndPage)
      state.MasterReport->OnEndPage(state.PageIndex);
    state.PageIndex = p + 1;
  }
  page.LastPrintedBand = nullptr;
}

void TfrEngineRun::PrintFinishedFooters() {
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  page.PageColumn = 0;
  page.ColumnX = LeftMargin(page);
  TfrBand* footer = page.KindBands[btPageFooter];
  if (state.PageIndex > 0 || HasFlag(footer, flBandOnFirstPage)) {
    for (; state.PageIndex < output_.PageCount(); ++state.PageIndex) {
      if (state.AppendMode && state.AppendFooterPrinted) continue;
      if (report_.OnEndPage) report_.OnEndPage(state.PageIndex);
      if (state.MasterReport != nullptr && state.MasterReport != &report_ && state.MasterReport->OnEndPage)
        state.MasterReport->OnEndPage(state.PageIndex);
      PrintBand(footer);
    }
  }
  state.PageIndex = output_.PageCount();
}

void TfrEngineRun::NewPage() {
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  Progress(state.PageIndex + 1);
  if (!page.NoRepeatHeaders) PrintBand(page.KindBands[btColumnFooter]);
  PrintFinishedFooters();
  page.BottomY = BottomLimit(page);
  output_.AppendPage(page);
  state.AppendMode = false;
  PrintBand(page.KindBands[btOverlay]);
  page.PrintY = TopMargin(page);
  PrintBand(page.KindBands[btPageHeader]);
  PrintBand(page.KindBands[btColumnHeader]);
}

void TfrEngineRun::NewColumn(TfrBand* band) {
  TfrPage& page = Page();
  if (page.PageColumn < page.Columns - 1) {
    PrintBand(page.KindBands[btColumnFooter]);
    page.PageColumn += 1;
    page.ColumnX += page.ColumnWidth + page.ColumnGap;
    page.PrintY = page.ColumnTopY;
    PrintBand(page.KindBands[btColumnHeader]);
  } else {
    NewPage();
  }
  for (TfrBand* group = page.KindBands[btGroupHeader]; group != nullptr && group != band; group = group->NextBand) {
    group->RepeatMode = true;
    if (HasFlag(group, flBandRepeatHeader) && !page.NoRepeatHeaders) PrintBand(group);
    group->RepeatMode = false;
  }
  if (IsDataBand(band) && HasFlag(band->HeaderLink, flBandRepeatHeader)) PrintBand(band->HeaderLink);
}

// ---- the data loop ----------------------------------------------------

void TfrEngineRun::Flush(TfrPageRun& run) {
  std::vector<TfrBand*> bands;
  bands.swap(run.pending);
  for (TfrBand* band : bands)
    if (Printable(band)) PrintBand(band);
}

void TfrEngineRun::DataLoop(int level) {
  TfrPage& page = Page();
  TfrPageRun& run = RunOf(page);
  int deepest = 1;
  if (Printable(page.KindBands[btSubDetailData])) deepest = 3;
  else if (Printable(page.KindBands[btDetailData])) deepest = 2;

  for (TfrBand* band = page.KindBands[static_cast<std::size_t>(kDataKinds[level - 1])]; band != nullptr;
       band = band->NextBand) {
    TfrDataset* data = band->BandDataset;
    if (data == nullptr) continue;
    data->First();
    if (page.RecordMode == 1) {
      run.actions.push_back({TfrBandAction::First, band});
    } else {
      band->LineNo = 1;
      ForgetPrintedTexts(band);
      band->LineThroughNo = 1;
    }
    for (TfrBand* group = band->GroupHead; group != nullptr; group = group->NextGroup) {
      group->LineNo = 0;
      group->LineThroughNo = 0;
      ForgetPrintedTexts(group);
    }
    if (data->Eof()) continue;

    if (band->HeaderLink != nullptr) run.pending.push_back(band->HeaderLink);
    for (TfrBand* group = band->GroupHead; group != nullptr; group = group->NextGroup) {
      ++group->LineNo;
      ++group->LineThroughNo;
      run.pending.push_back(group);
    }
    if (band->FooterLink != nullptr) ResetAggregates(band->FooterLink);

    while (!report_.Cancelled) {
      if (data->Eof()) break;
      run.pending.push_back(band);
      if (band->PrintIfSubsetEmpty) Flush(run);
      bool printed = true;
      if (level < deepest) {
        DataLoop(level + 1);
        if (!run.pending.empty()) {
          if (band->PrintIfSubsetEmpty) {
            Flush(run);
          } else {
            run.pending.pop_back();
            printed = false;
          }
        }
      } else {
        Flush(run);
      }
      data->Next();

      TfrBand* broken = nullptr;
      for (TfrBand* group = band->GroupHead; group != nullptr; group = group->NextGroup) {
        if (data->Eof() || group->GroupValue.IsUnassigned() ||
            VarCompare(EngineParser().EvaluatePostfix(group->GroupExpr), group->GroupValue) != 0) {
          broken = group;
          break;
        }
      }
      if (broken != nullptr) {
        bool steppedBack = true;
        if (!data->Eof()) {
          try {
            data->Prior();
          } catch (const std::exception&) {
            steppedBack = false;
          }
        }
        for (TfrBand* group = band->GroupTail; group != nullptr && group != broken; group = group->PrevGroup) {
          if (group->FooterLink != nullptr) {
            run.pending.push_back(group->FooterLink);
            group->FooterLink->LineNo = 0;
          }
          group->LineNo = 0;
          ForgetPrintedTexts(group);
        }
        if (broken->FooterLink != nullptr) run.pending.push_back(broken->FooterLink);
        Flush(run);
        if (!data->Eof()) {
          if (steppedBack) data->Next();
          if (broken->FormNewPage && broken->Visible) NewPage();
          for (TfrBand* group = broken; group != nullptr; group = group->NextGroup) {
            ++group->LineNo;
            ++group->LineThroughNo;
            run.pending.push_back(group);
          }
          band->LineNo = 0;
          ForgetPrintedTexts(band);
        }
      }
      if (page.RecordMode == 1) {
        run.actions.push_back({TfrBandAction::Next, band});
      } else if (printed) {
        ++page.PagePosition;
        ++band->LineThroughNo;
        ++band->LineNo;
        if (!data->Eof() && band->FormNewPage && band->Visible) NewPage();
      }
    }
    if (!run.pending.empty()) run.pending.pop_back();
    else PrintBand(band->FooterLink);
  }
}

// ---- entry points -----------------------------------------------------

void TfrEngineRun::ShowBandByName(std::string_view name) {
  if (EngineState().CurrentPage == nullptr) return;
  for (TfrBand* first : Page().KindBands)
    for (TfrBand* band = first; band != nullptr; band = band->NextBand)
      if (band->BandView != nullptr && SameText(band->BandView->Name, name)) {
        PrintBand(band);
        return;
      }
}

void ShowBandByName(std::string_view name) {
  if (TfrEngineRun* run = TfrEngineRun::Active()) run->ShowBandByName(name);
}

void StartBandEngine() { ReportActions().PrepareReport = [](TfrReport& report) { return PrepareReport(report); }; }

bool PrepareReport(TfrReport& report) {
  StartRenderEngine();
  TfrEngineRun run(report, PreparedPagesOf(report), CurrentProgressWindow());
  TfrReportHooks savedReportHooks = ReportHooks();
  auto savedDataSource = Hooks().BandDataSourceChanged;
  ReportHooks().ShowBand = [](TfrBand& band) {
    if (TfrEngineRun* active = TfrEngineRun::Active()) active->PrintBand(&band);
  };
  Hooks().BandDataSourceChanged = [&report](TfrBand& band, const std::string& text) {
    SetBandDataSource(band, report, text);
  };
  // A long-running script lets the progress window's events run, so that
  // its cancel button can stop the script too.
  ReportHooks().ProcessMessages = [] { CurrentProgressWindow().ProcessEvents(); };
  bool result = false;
  try {
    result = run.Prepare();
  } catch (...) {
    ReportHooks().ShowBand = savedReportHooks.ShowBand;
    Hooks().BandDataSourceChanged = savedDataSource;
    throw;
  }
  ReportHooks().ShowBand = savedReportHooks.ShowBand;
  Hooks().BandDataSourceChanged = savedDataSource;
  return result;
}

}  // namespace talven
