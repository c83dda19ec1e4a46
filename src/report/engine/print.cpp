// Printing a band: events, script and breaks, the fit test, the band's
// contents and band columns, and emitting its objects into the output page.
#include <algorithm>

#include "base/text.h"
#include "report/engine/band_engine.h"
#include "report/engine/engine_run.h"
#include "report/expr/parser.h"
#include "report/expr/resolver.h"
#include "report/expr/values.h"
#include "report/model/memo_view.h"
#include "report/model/report_data_set.h"
#include "report/model/subreport_view.h"
#include "report/render/canvas.h"
#include "report/render/memo_layout.h"
#include "report/render/paint.h"

namespace talven {

namespace {

bool FixedKind(int kind) { return kind == btPageFooter || kind == btOverlay || kind == btNone; }

void LoadBoundField(TfrView& view) {
  if (view.BoundDataSet == nullptr) return;
  const int field = view.BoundDataSet->FieldIndex(view.BoundField);
  if (field >= 0) view.LoadBlob(view.BoundDataSet->FieldBytes(field));
}

}  // namespace

std::string ComposeErrorText(const TfrReport& report, const TfrView* object, std::string_view message) {
  std::string text = "计算时发生错误"_gbk;
  if (object != nullptr) {
    text += '\r';
    for (const std::string& line : object->Memo) text += "\r" + line;
  }
  text += "\r\r" + "报表:"_gbk + " " + report.Name + "\r";
  if (object != nullptr) text += "对象:"_gbk + " " + object->Name + "\r";
  text += "\r";
  text += message;
  return text;
}

void TfrEngineRun::ReportError(const std::exception& e) {
  PrepareState& state = EngineState();
  if (!state.ErrorFlag) {
    state.ErrorFlag = true;
    state.ErrorText = ComposeErrorText(report_, state.CurrentObject, MessageOf(e));
  }
  report_.Cancelled = true;
}

// ---- printing a band --------------------------------------------------

bool TfrEngineRun::PrintBand(TfrBand* b) {
  if (b == nullptr) return false;
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  if (page.RecordMode == 1) {
    RunOf(page).actions.push_back({TfrBandAction::Print, b});
    return false;
  }
  const bool breaked = b->Breaked;
  state.CurrentObject = b->BandView;
  state.CurrentBand = b;
  b->MaxHeight = -1;
  b->NewPageRequests = 0;
  b->NewColumnRequests = 0;
  if (report_.OnBeginBand) report_.OnBeginBand(b);

  if (TfrBand* last = page.LastPrintedBand; last != nullptr && last != b && Printable(last) && last->ColumnNo > 1) {
    // Close the band's last row once: bands that print nothing keep it as
    // the last printed band.
    page.ColumnX = last->ColumnOriginX;
    page.PrintY += last->Height;
    last->ColumnNo = 1;
  }
  b->RestoreY = false;
  if (!b->ScriptDone) {
    state.CurrentObject = b->BandView;
    state.CurrentBand = b;
    RunScript(b->BandScript);
  }
  b->ScriptDone = false;
  const int y0 = page.PrintY;
  if (report_.Cancelled) return false;

  for (int i = b->NewPageRequests; i > 0; --i) {
    page.PageColumn = page.Columns - 1;
    NewColumn(b);
  }
  for (int i = b->NewColumnRequests; i > 0; --i) NewColumn(b);
  if (b->RestoreY) page.PrintY = y0;

  bool result = false;
  if (b->Visible) {
    if (b->Kind == btColumnHeader) page.ColumnTopY = page.PrintY;
    if (b->Kind == btPageFooter) b->Top = page.BottomY;
    if (Printable(b)) {
      b->MaxHeight = std::max(b->MaxHeight, b->Height);
      if (!FixedKind(b->Kind) && b->Kind != btColumnFooter) {
        const int h = NeededHeight(b);
        if (page.BottomY < page.PrintY + h && !b->Breaked) {
          if (page.BottomY - TopMargin(page) >= h || page.PrintY != TopMargin(page)) {
            if (page.SubreportOnly) {
              subreportBreak_ = true;
              b->Breaked = breaked;
              return true;
            }
            NewColumn(b);
            result = true;
          } else {
            b->Breaked = true;
          }
        }
      }
      b->SubreportsDone = true;
      state.CurrentBand = b;
      if (IsDataBand(b) && b->NextBand != nullptr && b->NextBand->BandDataset == nullptr &&
          b->BandDataset != nullptr) {
        for (TfrBand* c = b; c != nullptr; c = c->NextBand) {
          if (c != b && c->BandDataset != nullptr) break;
          if (c != b && !c->Visible) continue;
          state.CurrentBand = c;
          BandContents(c);
        }
        state.CurrentBand = b;
      } else {
        BandContents(b);
        if (b->ChildLink != nullptr) PrintBand(b->ChildLink);
        if (b->Kind != btMasterData && b->Kind != btDetailData && b->Kind != btSubDetailData &&
            b->Kind != btGroupHeader && b->FormNewPage && b->Visible)
          NewPage();
      }
      if (!b->SubreportsDone) result = true;
    }
  } else {
    if (b->ChildLink != nullptr && b->PrintChildIfInvisible) PrintBand(b->ChildLink);
    if (IsDataBand(b)) Accumulate(b, 0);
  }

  if (!b->RepeatMode && (b->Kind != btPageFooter || output_.PageCount() == state.PageIndex + 1))
    ResetAggregates(b);
  state.CurrentBand = b;
  if (report_.OnEndBand) report_.OnEndBand(b);
  b->Breaked = breaked;
  return result;
}

int TfrEngineRun::NeededHeight(TfrBand* b) {
  int h;
  if (IsDataBand(b) && b->NextBand != nullptr && b->NextBand->BandDataset == nullptr && b->BandDataset != nullptr) {
    h = 0;
    for (TfrBand* c = b; c != nullptr; c = c->NextBand) {
      if (c != b && c->BandDataset != nullptr) break;
      const int own = ContentHeight(c);
      if (c != b) c->MaxHeight = std::max(c->MaxHeight, own);
      h += own;
    }
  } else {
    h = b->Stretched ? ContentHeight(b) : b->Height;
  }
  b->MaxHeight = std::max(b->MaxHeight, h);
  return h;
}

int TfrEngineRun::ContentHeight(TfrBand* b) {
  PrepareState& state = EngineState();
  const bool crossRow = b->Kind != btPageFooter && IsCrossTabRow(*b);
  int h = b->Height;
  for (TfrView* view : b->Objects) {
    auto* stretching = dynamic_cast<TfrStretcheable*>(view);
    if (stretching == nullptr || (view->ParentBand != b && !crossRow)) continue;
    state.CurrentObject = view;
    h = std::max(h, view->Top + stretching->ContentHeight());
  }
  return h;
}

void TfrEngineRun::BandContents(TfrBand* b) {
  if (!Printable(b)) return;
  TfrPage& page = Page();
  const int saved = b->Top;
  const bool fixed = FixedKind(b->Kind);
  const int columnFooter = page.KindBands[btColumnFooter]->Height;
  if (!fixed) b->Top = page.PrintY;
  bool subreport = false;
  if (b->Stretched) {
    const int a = std::max(b->MaxHeight, b->Height);
    std::vector<std::pair<TfrView*, int>> heights;
    for (TfrView* view : b->Objects)
      if (dynamic_cast<TfrStretcheable*>(view) != nullptr && view->Stretched() && view->Height > 0) {
        heights.emplace_back(view, view->Height);
        view->Height = a - view->Top;
      }
    b->PrintedHeight = a;
    if (!fixed) {
      if (!b->Breaked && page.BottomY < b->Top + a + columnFooter) NewColumn(b);
      b->Top = page.PrintY;
    }
    if (b->Breaked) {
      PrintSplit(b);
    } else {
      subreport = PrintObjects(b);
      if (IsCrossTabRow(*b)) PrintCrossRow(b);
    }
    for (auto& [view, height] : heights) view->Height = height;
    if (!fixed && !subreport && !b->Breaked) page.PrintY += a;
  } else {
    if (!fixed) {
      if (!b->Breaked && page.BottomY < b->Top + b->Height + columnFooter) NewColumn(b);
      b->Top = page.PrintY;
    }
    if (b->Breaked) {
      b->PrintedHeight = std::max(b->MaxHeight, b->Height);
      PrintSplit(b);
    } else {
      subreport = PrintObjects(b);
      if (b->Kind != btPageFooter && IsCrossTabRow(*b)) PrintCrossRow(b);
      if (!fixed && !subreport) page.PrintY += b->Height;
    }
  }
  if (b != page.LastPrintedBand) b->ColumnNo = 1;
  page.LastPrintedBand = b;
  if (const TfrBandView* view = b->BandView; view != nullptr && view->Columns > 1 && view->NewColumnAfter == 1) {
    if (b->ColumnNo == 1) b->ColumnOriginX = page.ColumnX;
    b->ColumnNo += 1;
    if (b->ColumnNo > view->Columns) {
      page.ColumnX = b->ColumnOriginX;
      b->ColumnNo = 1;
    } else {
      page.ColumnX = b->ColumnOriginX + (view->ColumnWidth + view->ColumnGap) * (b->ColumnNo - 1);
      page.PrintY -= b->MaxHeight;
    }
  }
  b->Top = saved;
  if (IsDataBand(b)) Accumulate(b, 0);
}

bool TfrEngineRun::PrintObjects(TfrBand* b) {
  for (std::size_t i = 0; i < b->Objects.size(); ++i) {
    TfrView* view = b->Objects[i];
    if (dynamic_cast<TfrSubReportView*>(view) != nullptr && view->Visible) {
      PrintSubreports(b, i);
      return true;
    }
    if (report_.Cancelled) break;
    if (view->ParentBand != b) continue;
    if (!PrintOne(b, *view, Page().ColumnX - LeftMargin(Page()), nullptr)) break;
  }
  return false;
}

bool TfrEngineRun::PrintOne(TfrBand* b, TfrView& view, int shiftX, TfrBand* vertical) {
  PrepareState& state = EngineState();
  try {
    state.CurrentObject = &view;
    auto* memo = dynamic_cast<TfrMemoView*>(&view);
    if (!state.PreparatoryPass || b->Breaked) {
      const int savedLeft = view.Left, savedTop = view.Top;
      const bool continued = memo != nullptr && memo->EvalState == 2;
      view.Left += shiftX;
      view.Top = b->Top + view.Top;
      try {
        Emit(view, b, vertical);
      } catch (...) {
        view.Left = savedLeft;
        view.Top = savedTop;
        throw;
      }
      view.Left = savedLeft;
      view.Top = savedTop;
      if (memo != nullptr && !continued) NotifyHookObjects(view);
    } else if (memo == nullptr || (memo->EvalState != 1 && memo->EvalState != 2)) {
      RunScript(view.ScriptCode);
    }
  } catch (const std::exception& e) {
    ReportError(e);
    return false;
  }
  return true;
}

void TfrEngineRun::NotifyHookObjects(TfrView& printed) {
  for (TfrView* hook : EngineState().HookObjects) hook->NotifyPrinted(printed);
}

void TfrEngineRun::Emit(TfrView& view, TfrBand* band, TfrBand* vertical) {
  if (auto* memo = dynamic_cast<TfrMemoView*>(&view)) {
    EmitMemo(*memo, band, vertical);
    return;
  }
  SettleBandAlign(view, ScratchCanvas());
  view.OutputText = view.Memo;
  LoadBoundField(view);
  if (report_.OnBeforePrint) report_.OnBeforePrint(view.OutputText, &view);
  RunScript(view.ScriptCode);
  if (!view.Visible) return;
  const std::string tag = view.Tag;
  if (view.Tag.find('[') != std::string::npos) view.Tag = binding_->Resolver().ExpandBrackets(view.Tag);
  const int width = view.Width;
  if (view.BandAlign == baBottom) view.Top = band->Top + band->MaxHeight - view.Height;
  else if (view.BandAlign == baTop) view.Top = band->Top;
  else if (view.BandAlign == baWidth && vertical != nullptr) view.Width = vertical->Width;
  WritePreparedObject(output_.PageAt(EngineState().PageIndex).ObjectStream, view);
  view.Tag = tag;
  view.Width = width;
}

void TfrEngineRun::EmitMemo(TfrMemoView& memo, TfrBand* band, TfrBand* vertical) {
  SettleBandAlign(memo, ScratchCanvas());
  memo.FitOnly = true;
  const bool evaluated = memo.EvalState == 1 || memo.EvalState == 2;
  if (!evaluated) {
    RunScript(memo.ScriptCode);
    PrepareMemoText(memo, false);
  }
  if (memo.Visible) {
    const TfrFont font = memo.Font;
    const TColor fill = memo.FillColor;
    ApplyHighlight(memo);
    const bool continued = memo.EvalState == 2;
    if (continued) FitContinuedLines(memo);
    const std::string tag = memo.Tag;
    if (memo.Tag.find('[') != std::string::npos) {
      const std::int32_t format = memo.DisplayFormat;
      memo.DisplayFormat = 0;
      try {
        memo.Tag = binding_->Resolver().ExpandBrackets(memo.Tag);
      } catch (...) {
        memo.DisplayFormat = format;
        throw;
      }
      memo.DisplayFormat = format;
    }
    const std::uint8_t align = memo.BandAlign;
    const int width = memo.Width;
    if (align == baBottom) {
      memo.Top = band->Top + band->MaxHeight - memo.Height;
      memo.BandAlign = baNone;
    } else if (align == baTop) {
      memo.Top = band->Top;
    } else if (align == baWidth && vertical != nullptr) {
      memo.Width = vertical->Width;
      memo.BandAlign = baNone;
    }
    const bool suppress = (memo.Flags & flSuppress) != 0;
    std::string text;
    if (suppress)
      for (const std::string& line : memo.OutputText) text += line + "\r\n";
    if (!suppress || text != memo.LastPrintedText) {
      WritePreparedObject(output_.PageAt(EngineState().PageIndex).ObjectStream, memo);
      if (suppress) memo.LastPrintedText = text;
    }
    if (continued) DropPrintedLines(memo);
    memo.Font = font;
    memo.FillColor = fill;
    memo.Tag = tag;
    memo.BandAlign = align;
    memo.Width = width;
  }
  memo.EvalState = 0;
}

}  // namespace talven
