// Bands split across pages, sub-reports (recorded band actions replayed
// inside the parent band), cross-tab rows and the aggregate accumulators.
#include <algorithm>
#include <memory>
#include <string_view>

#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "report/engine/datasets.h"
#include "report/engine/engine_run.h"
#include "report/expr/parser.h"
#include "report/expr/resolver.h"
#include "report/expr/values.h"
#include "report/model/memo_view.h"
#include "report/model/rich_view.h"
#include "report/model/subreport_view.h"

namespace talven {

namespace {

// The fields of an accumulator key, each ended by the character 1: four,
// or five with the column in front.
std::vector<std::string_view> KeyFields(std::string_view key) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < key.size(); ++i)
    if (key[i] == '\x01') {
      fields.push_back(key.substr(start, i - start));
      start = i + 1;
    }
  return fields;
}

Variant StartValue(char function) {
  return function == static_cast<char>(TfrAggregateKind::Min) ? Variant(1e300) : Variant(0);
}

std::string NoFitMessage(const TfrBand* band) {
  return "带区\""_gbk + (band != nullptr ? band->Name : std::string()) + "\"在空白页上也放不下"_gbk;
}

// Memos and rich texts continue their text across the pieces of a split
// band; other stretching objects (lines) print once, at the band's final
// height.
bool HasText(const TfrView& view) {
  return dynamic_cast<const TfrMemoView*>(&view) != nullptr || dynamic_cast<const TfrRichView*>(&view) != nullptr;
}

}  // namespace

void RestartAccumulators(TfrBand& band) {
  for (int i = 0; i < band.Aggregates.Count(); ++i) {
    const std::string key = band.Aggregates.NameAt(i);
    const std::vector<std::string_view> fields = KeyFields(key);
    const std::size_t at = fields.size() == 5 ? 1 : 0;
    if (fields.size() >= 4 && fields[at + 1].size() == 1) band.Aggregates.SetValueAt(i, StartValue(fields[at + 1][0]));
  }
  band.AggregateCount = 0;
}

// ---- a band split across pages ------------------------------------------

void TfrEngineRun::EvaluateForSplit(TfrView& view) {
  auto* memo = dynamic_cast<TfrMemoView*>(&view);
  if (memo == nullptr || memo->EvalState != 0) return;
  EngineState().CurrentObject = memo;
  memo->ContentHeight();
  memo->EvalState = 1;
}

void TfrEngineRun::PrintSplit(TfrBand* b) {
  TfrPage& page = Page();
  struct Piece {
    TfrView* view;
    int left, top, width, height;
    bool pending = true;
    bool deferred = false;
    bool started = false;  // a first part printed: the text left is the rest
  };
  std::vector<Piece> pieces;
  for (TfrView* view : b->Objects)
    if (view->ParentBand == b && dynamic_cast<TfrSubReportView*>(view) == nullptr)
      pieces.push_back({view, view->Left, view->Top, view->Width, view->Height});
  // A rich text's parts count from its first character.
  for (Piece& p : pieces)
    if (auto* rich = dynamic_cast<TfrRichView*>(p.view)) rich->PartStart = rich->PartEnd = 0;
  for (Piece& p : pieces)
    if (p.view->BandAlign == baBottom) p.view->Top = b->PrintedHeight - p.view->Height;
  const int columnFooter = page.KindBands[btColumnFooter]->Height;
  const int shift = page.ColumnX - LeftMargin(page);

  auto restore = [&pieces] {
    for (Piece& p : pieces) {
      p.view->Left = p.left;
      p.view->Top = p.top;
      p.view->Width = p.width;
      p.view->Height = p.height;
    }
  };
  try {
    if (page.BottomY >= b->Top + b->PrintedHeight + columnFooter) {
      PrintObjects(b);
    } else {
      int reached = 0;
      int idle = 0;
      bool anyPending = true;
      while (!report_.Cancelled && anyPending) {
        const int room = page.BottomY - columnFooter - b->Top - 2;
        reached = 0;
        bool progress = false;
        // Moves down the objects below a grown object that stand within its
        // width.
        auto moveBelow = [&](Piece& grown, int by) {
          if (by == 0) return;
          const int bottom = grown.view->Top + grown.view->Height;
          for (Piece& other : pieces)
            if (&other != &grown && other.pending && other.view->Top >= bottom &&
                other.view->Left >= grown.view->Left && other.view->Left <= grown.view->Left + grown.view->Width)
              other.view->Top += by;
        };
        auto printContinued = [&](Piece& p, int height) {
          const int savedHeight = p.view->Height;
          auto* stretching = dynamic_cast<TfrStretcheable*>(p.view);
          p.view->Height = height;
          const int r = stretching->RemainingHeight();
          if (stretching->MinimumHeight() < p.view->Height) {
            if (!p.started) EvaluateForSplit(*p.view);
            p.started = true;
            stretching->EvalState = 2;
            if (!PrintOne(b, *p.view, shift, nullptr)) return;
            progress = true;
          }
          p.view->Height = savedHeight;
          moveBelow(p, r);
          p.view->Height += r;
        };
        for (Piece& p : pieces) {
          if (!p.pending || report_.Cancelled) continue;
          TfrView& v = *p.view;
          const bool stretching = dynamic_cast<TfrStretcheable*>(&v) != nullptr;
          if (v.Top >= 0 && v.Top < room) {
            if (v.Top + v.Height < room) {
              if (!PrintOne(b, v, shift, nullptr)) break;
              p.pending = false;
              progress = true;
              reached = std::max(reached, v.Top + v.Height);
            } else if (stretching) {
              printContinued(p, room - v.Top + 1);
            } else {
              v.Top = room;
            }
          } else if (v.Top < 0 && v.Top + v.Height >= 0) {
            const int bottom = v.Top + v.Height;
            if (bottom < room) {
              v.Top = 0;
              v.Height = bottom;
              if (v.Stretched() && stretching && !HasText(v)) {
                p.deferred = true;
              } else {
                if (!p.started) EvaluateForSplit(v);
                if (auto* st = dynamic_cast<TfrStretcheable*>(&v)) st->EvalState = 2;
                if (!PrintOne(b, v, shift, nullptr)) break;
              }
              p.pending = false;
              progress = true;
              reached = std::max(reached, bottom);
            } else {
              const int top = v.Top;
              v.Top = 0;
              printContinued(p, room);
              v.Top = top;
            }
          }
        }
        anyPending = false;
        for (Piece& p : pieces)
          if (p.pending) {
            p.view->Top -= room;
            anyPending = true;
          }
        if (anyPending && !report_.Cancelled) {
          // A piece that places nothing on a fresh page never will.
          idle = progress ? 0 : idle + 1;
          if (idle >= 2) throw Error(NoFitMessage(b));
          NewColumn(b);
          b->Top = page.PrintY;
        }
      }
      b->PrintedHeight = reached;
    }
    for (Piece& p : pieces)
      if (p.deferred && !report_.Cancelled) {
        p.view->Height = b->PrintedHeight;
        if (!PrintOne(b, *p.view, shift, nullptr)) break;
      }
  } catch (...) {
    restore();
    throw;
  }
  restore();
  page.PrintY += b->PrintedHeight;
}

// ---- sub-reports --------------------------------------------------------

void TfrEngineRun::PrintSubreports(TfrBand* b, std::size_t first) {
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  TfrSubreportRun& run = subreportRuns_[b];
  run = TfrSubreportRun{};
  run.a = page.PrintY + b->Height;
  if (run.a < 1) run.a = 0;
  run.pageIndex = state.PageIndex;
  for (std::size_t i = first; i < b->Objects.size(); ++i) {
    auto* sub = dynamic_cast<TfrSubReportView*>(b->Objects[i]);
    if (sub == nullptr || sub->ShownPage < 0 || sub->ShownPage >= report_.TemplatePages.Count()) continue;
    TfrPage& shown = report_.TemplatePages[sub->ShownPage];
    if (&shown == &page) continue;
    TfrPageRun& shownRun = RunOf(shown);
    shownRun = TfrPageRun{};
    state.CurrentPage = &shown;
    shown.RecordMode = 1;
    try {
      FormPage(shown);
    } catch (...) {
      shown.RecordMode = 0;
      state.CurrentPage = &page;
      throw;
    }
    shown.RecordMode = 0;
    state.CurrentPage = &page;
    shown.PrintY = sub->Top + b->Top;
    shown.BottomY = page.BottomY;
    shown.ColumnX = page.ColumnX + sub->Left;
    shown.KeepMargins = page.KeepMargins;
    shown.LeftMargin = page.LeftMargin;
    shown.TopMargin = page.TopMargin;
    shown.RightMargin = page.RightMargin;
    shown.BottomMargin = page.BottomMargin;
    shown.Columns = 1;
    shown.PendingBand = nullptr;
    shownRun.unfinished = true;
    run.pages.push_back(&shown);
  }
  ContinueSubreports(b);
}

void TfrEngineRun::ContinueSubreports(TfrBand* b) {
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  TfrSubreportRun& run = subreportRuns_[b];
  int y = page.PrintY;
  for (;;) {
    if (run.interrupted)
      for (TfrPage* shown : run.pages) {
        shown->PrintY = page.PrintY;
        shown->BottomY = page.BottomY;
      }
    b->SubreportsDone = true;
    y = page.PrintY;
    bool progress = false, allDone = true;
    for (TfrPage* shown : run.pages) {
      TfrPageRun& shownRun = RunOf(*shown);
      if (!shownRun.unfinished) continue;
      const std::size_t before = shownRun.replayIndex;
      state.CurrentPage = shown;
      bool done = false;
      try {
        done = Replay(*shown);
      } catch (...) {
        state.CurrentPage = &page;
        throw;
      }
      state.CurrentPage = &page;
      if (shownRun.replayIndex != before) progress = true;
      if (done) {
        shownRun.unfinished = false;
        progress = true;
        y = std::max(y, shown->PrintY);
      } else {
        b->SubreportsDone = false;
        allDone = false;
      }
    }
    if (allDone || report_.Cancelled) break;
    if (page.SubreportOnly) {
      page.PendingBand = b;
      return;
    }
    // Rows that do not fit on a fresh page never will: without this the
    // preparation would start pages until someone cancels it.
    if (run.interrupted && !progress) throw Error(NoFitMessage(b));
    b->ScriptDone = true;
    NewPage();
    run.interrupted = true;
  }
  for (TfrPage* shown : run.pages) RunOf(*shown).actions.clear();
  page.PrintY += std::max(b->MaxHeight, y - page.PrintY);
  if (state.PageIndex == run.pageIndex) page.PrintY = std::max(page.PrintY, run.a);
  subreportRuns_.erase(b);
}

bool TfrEngineRun::Replay(TfrPage& shown) {
  TfrPageRun& run = RunOf(shown);
  while (run.replayIndex < run.actions.size() && !report_.Cancelled) {
    const TfrBandAction action = run.actions[run.replayIndex];
    switch (action.kind) {
      case TfrBandAction::Print:
        if (TfrBand* pending = shown.PendingBand) {
          shown.PendingBand = nullptr;
          ContinueSubreports(pending);
        } else {
          subreportBreak_ = false;
          PrintBand(action.band);
          if (subreportBreak_) {
            subreportBreak_ = false;
            return false;
          }
        }
        if (shown.PendingBand != nullptr) return false;
        break;
      case TfrBandAction::First:
        if (action.band->BandDataset != nullptr) action.band->BandDataset->First();
        action.band->LineNo = 1;
        break;
      case TfrBandAction::Next:
        if (action.band->BandDataset != nullptr) action.band->BandDataset->Next();
        ++shown.PagePosition;
        ++action.band->LineThroughNo;
        ++action.band->LineNo;
        break;
    }
    ++run.replayIndex;
  }
  return run.replayIndex >= run.actions.size();
}

// ---- cross-tab rows -----------------------------------------------------

bool TfrEngineRun::PrintCells(TfrBand* v, TfrBand* row, int x) {
  PrepareState& state = EngineState();
  v->LineNo = row->LineNo;
  v->LineThroughNo = row->LineThroughNo;
  if (v->Kind == btCrossData) v->AggregateSource = row;
  state.CurrentBand = v;
  for (TfrView* view : v->Objects) {
    if (std::find(row->Objects.begin(), row->Objects.end(), view) == row->Objects.end()) continue;
    if (report_.Cancelled) return false;
    if (!PrintOne(row, *view, x, v)) return false;
  }
  return true;
}

void TfrEngineRun::ContinueRight(TfrBand* row, int startPage) {
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  (void)startPage;
  state.PageIndex += 1;
  if (state.PageIndex >= output_.PageCount()) {
    const int y = page.PrintY;
    TfrBand* current = state.CurrentBand;
    output_.AppendPage(page);
    PrintBand(page.KindBands[btOverlay]);
    TfrBand* header = page.KindBands[btPageHeader];
    if (!rightPagesMade_ || (header->Flags & flBandOnFirstPage) != 0) {
      page.PrintY = TopMargin(page);
      PrintBand(header);
    }
    rightPagesMade_ = true;
    page.PrintY = y;
    state.CurrentBand = current;
  }
  (void)row;
}

void TfrEngineRun::PrintCrossRow(TfrBand* b) {
  PrepareState& state = EngineState();
  TfrPage& page = Page();
  page.CrossColumn = 1;
  if (report_.OnBeginColumn) report_.OnBeginColumn(b);
  const int startPage = state.PageIndex;
  TfrBand* header = page.KindBands[btCrossHeader];
  TfrBand* data = page.KindBands[btCrossData];
  TfrBand* footer = page.KindBands[btCrossFooter];
  const int left = LeftMargin(page);
  const int right = page.RightLimit();
  int x = 0;
  bool ok = true;
  auto fit = [&](int width) {
    if (x + width <= right) return;
    ContinueRight(b, startPage);
    x = left;
    if (Printable(header) && (header->Flags & flBandRepeatHeader) != 0) {
      ok = ok && PrintCells(header, b, x);
      x += header->Width;
    }
  };

  if (Printable(header)) {
    state.CurrentBand = header;
    RunScript(header->BandScript);
    ok = PrintCells(header, b, x);
    x = header->Left + header->Width;
  }
  if (ok && Printable(data)) {
    if (x == 0) x = data->Left;
    TfrDataset* columns = data->BandDataset != nullptr ? data->BandDataset : b->CrossDataset;
    std::unique_ptr<TfrUserDataset> virtualColumns;
    if (b->Kind == btMasterFooter) {
      bool empty = columns == nullptr;
      if (!empty) {
        columns->First();
        empty = columns->Eof();
      }
      if (empty) {
        virtualColumns = std::make_unique<TfrUserDataset>();
        virtualColumns->RangeEnd = reCount;
        virtualColumns->RangeEndCount = maxCrossColumns_;
        columns = virtualColumns.get();
      }
    }
    if (columns != nullptr) {
      columns->First();
      int count = 0;
      while (ok && !columns->Eof() && !report_.Cancelled) {
        int width = data->Width;
        if (report_.OnPrintColumn) report_.OnPrintColumn(page.CrossColumn, width);
        state.CurrentBand = data;
        RunScript(data->BandScript);
        fit(width);
        ok = ok && PrintCells(data, b, x);
        if (!ok) break;
        Accumulate(data, 0);
        if (IsDataBand(b)) Accumulate(b, page.CrossColumn);
        x += width;
        ++page.CrossColumn;
        ++count;
        columns->Next();
      }
      maxCrossColumns_ = std::max(maxCrossColumns_, count);
    }
  }
  if (ok && Printable(footer) && !report_.Cancelled) {
    state.CurrentBand = footer;
    RunScript(footer->BandScript);
    fit(footer->Width);
    if (PrintCells(footer, b, x)) ResetAggregates(footer);
  }
  state.PageIndex = startPage;
  state.CurrentBand = b;
}

// ---- aggregates ---------------------------------------------------------

void TfrEngineRun::Accumulate(TfrBand* b, int column) {
  PrepareState& state = EngineState();
  const int n = b->Aggregates.Count();
  if (n > 0) {
    TfrBand* current = state.CurrentBand;
    state.CurrentBand = b;
    try {
      const std::string columnText = IntToStr(column);
      std::string lastArgument;
      Variant lastValue;
      bool haveLast = false;
      for (int i = 0; i < n; ++i) {
        const std::string key = b->Aggregates.NameAt(i);
        const std::vector<std::string_view> fields = KeyFields(key);
        const bool perColumn = fields.size() == 5;
        if (fields.size() != 4 && !perColumn) continue;
        if (column == 0 ? perColumn : (!perColumn || fields[0] != "0")) continue;
        const std::size_t at = perColumn ? 1 : 0;
        if (fields[at + 1].size() != 1) continue;
        const char function = fields[at + 1][0];
        const std::string argument(fields[at + 2]);
        const bool counted = b->Visible || Trim(fields[at + 3]) == "1";

        Variant value;
        if (function != static_cast<char>(TfrAggregateKind::Count)) {
          if (!haveLast || argument != lastArgument) {
            lastValue = EngineParser().Evaluate(argument);
            lastArgument = argument;
            haveLast = true;
          }
          value = lastValue.IsEmpty() ? Variant(0) : lastValue;
        }
        if (!counted) continue;
        int target = i;
        if (perColumn) {
          const std::string columnKey = columnText + key.substr(1);
          target = b->Aggregates.IndexOf(columnKey);
          if (target < 0) {
            b->Aggregates.Set(columnKey, StartValue(function));
            target = b->Aggregates.IndexOf(columnKey);
          }
        }
        Variant stored = b->Aggregates.ValueAt(target);
        if (stored.IsEmpty()) stored = Variant(0);
        switch (static_cast<TfrAggregateKind>(function)) {
          case TfrAggregateKind::Min:
            if (VarCompare(value, stored) < 0) stored = value;
            break;
          case TfrAggregateKind::Max:
            if (VarCompare(value, stored) > 0) stored = value;
            break;
          case TfrAggregateKind::Count: stored = VarAdd(stored, Variant(1)); break;
          case TfrAggregateKind::Sum:
          case TfrAggregateKind::Avg: stored = VarAdd(stored, value); break;
        }
        b->Aggregates.SetValueAt(target, stored);
      }
    } catch (const std::exception& e) {
      state.CurrentBand = current;
      ReportError(e);
      return;
    }
    state.CurrentBand = current;
  }
  if (column == 0) b->AggregateCount += 1;
}

void TfrEngineRun::ResetAggregates(TfrBand* b) {
  if (b->Kind == btGroupHeader) {
    for (TfrBand* group = b; group != nullptr; group = group->NextBand)
      group->GroupValue = group->GroupExpr.empty() ? Variant() : EngineParser().EvaluatePostfix(group->GroupExpr);
    return;
  }
  TfrBand* source = b->AggregateSource;
  if (source == nullptr) return;
  for (int i = 0; i < source->Aggregates.Count(); ++i) {
    const std::string key = source->Aggregates.NameAt(i);
    const std::vector<std::string_view> fields = KeyFields(key);
    const std::size_t at = fields.size() == 5 ? 1 : 0;
    if (fields.size() < 4 || fields[at + 1].size() != 1 || !SameText(fields[at], b->Name)) continue;
    source->Aggregates.SetValueAt(i, StartValue(fields[at + 1][0]));
  }
  source->AggregateCount = 0;
}

}  // namespace talven
