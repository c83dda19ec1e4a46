// Preparing a list: a page header, a master data band of 8 memos (about 30
// rows to an A4 page), a page footer with "PAGE#", over a user dataset of
// 1,000, 10,000 and 100,000 rows whose values the program answers through
// OnGetValue, as the sign-in sheets do. The stretched variant measures a
// band of wrapped Chinese text before every row. The baseline does the work
// no engine can avoid: the same memos expanded and written into page
// streams, without bands, fit tests or events. Counters: prepared pages per
// second, bytes held per prepared page, and rows per second (which must stay
// about the same from 1,000 to 100,000 rows).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/text.h"
#include "report/engine/band_engine.h"
#include "report/engine/datasets.h"
#include "report/engine/progress.h"
#include "report/expr/report_scope.h"
#include "report/model/band_view.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/variables.h"
#include "report/pages/prepared_pages.h"

namespace talven {
namespace {

const char* const kFields[] = {"zkzh", "xm", "sfzh", "jbyy", "kch", "bmh", "kcwz"};

struct ListReport {
  explicit ListReport(int rows, bool stretched) {
    EngineState().Reset();
    EngineVariables().Clear();
    form.Insert(report);
    form.Insert(data);
    data.RangeEnd = reCount;
    data.RangeEndCount = rows;
    report.ShowProgress = false;
    TfrPage& page = report.TemplatePages.Add(9, 2100, 2970, 65535, 0);
    page.TopMargin = page.BottomMargin = page.LeftMargin = page.RightMargin = 36;
    AddBand(page, btPageHeader, "PageHeader1", 36, 60, "");
    AddMemo(page, "Title", 36, 40, 600, 40, "[dwmc]");
    AddBand(page, btMasterData, "MasterData1", 110, 31, "frUserDataset1").SetFlag(flStretched, stretched);
    for (int i = 0; i < 8; ++i) {
      const std::string text = i == 0 ? "[LINE#]" : "[" + std::string(kFields[i - 1]) + "]";
      AddMemo(page, "Cell" + std::to_string(i), 36 + i * 80, 110, 80, 31,
              stretched && i == 7 ? "考场位置：" + text + "，请考生提前三十分钟到达考场，携带准考证和身份证。"_gbk
                                  : text);
    }
    AddBand(page, btPageFooter, "PageFooter1", 1000, 30, "");
    AddMemo(page, "PageNo", 36, 1000, 200, 30, "第[PAGE#]页"_gbk);
    data.OnFirst = [this](TfrDataset&) { row = 1; };
    data.OnNext = [this](TfrDataset&) { ++row; };
    data.OnPrior = [this](TfrDataset&) { --row; };
    report.OnGetValue = [this](const std::string& name, Variant& value) {
      if (name == "dwmc") value = Variant("某某考点笔试考场签到表"_gbk);
      else if (name.size() <= 4) value = Variant(name + std::to_string(row));
    };
  }
  ~ListReport() {
    EngineState().Reset();
    EngineVariables().Clear();
  }
  TfrBandView& AddBand(TfrPage& page, int kind, const std::string& name, int top, int height,
                       const std::string& source) {
    auto band = std::make_unique<TfrBandView>();
    band->SetBandType(static_cast<std::uint16_t>(kind));
    band->Name = name;
    band->Top = top;
    band->Width = 720;
    band->Height = height;
    band->DisplayFormatText = source;
    return dynamic_cast<TfrBandView&>(page.Add(std::move(band)));
  }
  TfrMemoView& AddMemo(TfrPage& page, const std::string& name, int left, int top, int width, int height,
                       const std::string& text) {
    auto memo = std::make_unique<TfrMemoView>();
    memo->Name = name;
    memo->Left = left;
    memo->Top = top;
    memo->Width = width;
    memo->Height = height;
    memo->Memo = {text};
    return dynamic_cast<TfrMemoView&>(page.Add(std::move(memo)));
  }

  TfrComponentOwner form{"Form1"};
  TfrReport report;
  TfrUserDataset data{"frUserDataset1"};
  int row = 0;
};

void Report(benchmark::State& state, const TfrEMFPages& pages, double rows) {
  const double n = static_cast<double>(state.iterations());
  state.counters["pages_per_s"] =
      benchmark::Counter(pages.PageCount() * n, benchmark::Counter::kIsRate);
  state.counters["rows_per_s"] = benchmark::Counter(rows * n, benchmark::Counter::kIsRate);
  std::size_t bytes = 0;
  for (int i = 0; i < pages.PageCount(); ++i) bytes += sizeof(TfrPreparedPage) + pages.PageAt(i).ObjectStream.Size();
  state.counters["bytes_per_page"] = static_cast<double>(bytes) / pages.PageCount();
  state.counters["pages"] = pages.PageCount();
}

void BM_Prepare(benchmark::State& state, bool stretched) {
  const int rows = static_cast<int>(state.range(0));
  ListReport list(rows, stretched);
  HeadlessProgress quiet(true);
  ProgressWindowScope scope(quiet);
  for (auto _ : state) {
    if (!PrepareReport(list.report)) state.SkipWithError("preparation failed");
  }
  const TfrEMFPages& pages = PreparedPagesOf(list.report);
  Report(state, pages, rows);
}
void BM_PrepareList(benchmark::State& state) { BM_Prepare(state, false); }
void BM_PrepareStretched(benchmark::State& state) { BM_Prepare(state, true); }
BENCHMARK(BM_PrepareList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareStretched)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The baseline: every row's memos expanded and written, 30 rows to a page.
void BM_EmitBaseline(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  ListReport list(rows, false);
  TfrPage& page = list.report.TemplatePages[0];
  std::vector<TfrMemoView*> memos;
  for (const auto& view : page.ObjectList)
    if (auto* memo = dynamic_cast<TfrMemoView*>(view.get()); memo != nullptr && memo->Name.rfind("Cell", 0) == 0)
      memos.push_back(memo);
  TfrEMFPages pages(&list.report);
  for (auto _ : state) {
    TfrReportBinding binding(list.report);
    EngineState().CurrentReport = &list.report;
    pages.Clear();
    for (list.row = 1; list.row <= rows; ++list.row) {
      if ((list.row - 1) % 30 == 0) pages.AppendPage(page);
      for (TfrMemoView* memo : memos) {
        binding.Scope().ExpandMemo(*memo);
        WritePreparedObject(pages.PageAt(pages.PageCount() - 1).ObjectStream, *memo);
      }
    }
  }
  Report(state, pages, rows);
}
BENCHMARK(BM_EmitBaseline)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
