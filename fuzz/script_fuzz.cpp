// Object scripts on any text: the compiler, the code lines it writes and the
// run loop over a report of one page with two memos, bounded in steps so
// that loops without end are ended. It must end without a crash, a hang or
// a sanitizer report; compile errors and run errors are answers.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "base/error.h"
#include "base/ui.h"
#include "report/expr/interpreter.h"
#include "report/expr/report_scope.h"
#include "report/expr/script.h"
#include "report/expr/splitter.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/variables.h"

namespace {

using namespace talven;

// Enough for every construct; loops without end cost no more than this.
constexpr std::uint64_t kMaxSteps = 2000;

TfrMemoView& AddMemo(TfrReport& report, const char* name) {
  auto memo = std::make_unique<TfrMemoView>();
  memo->Name = name;
  return dynamic_cast<TfrMemoView&>(report.TemplatePages[0].Add(std::move(memo)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::StartEngineOnce();
  EngineInterpreter().MaxSteps = kMaxSteps;
  const std::vector<std::string> source =
      fuzz::SplitLines(std::string(reinterpret_cast<const char*>(data), size));

  TInterpretator& interpreter = EngineInterpreter();
  std::vector<std::string> code, errors;
  interpreter.CompileScript(source, code, errors);
  if (errors.size() > 1) std::abort();
  // Every line the compiler writes can be taken apart and listed.
  for (const std::string& line : code) CodeLineText(line);
  std::vector<std::string> aggregates;
  TfrVariables dictionary;
  TAggregateFunctionsSplitter(aggregates, dictionary).SplitScript(code);

  RecordingUi ui;
  UiScope uiScope(ui);
  EngineVariables().Clear();
  EngineVariables().Set("k", 0);
  TfrReport report;
  report.TemplatePages.Add();
  TfrMemoView& memo1 = AddMemo(report, "Memo1");
  AddMemo(report, "\xB1\xEA\xCC\xE2Memo");  // 标题Memo
  PrepareState& state = EngineState();
  state.CurrentReport = state.MasterReport = &report;
  state.CurrentPage = &report.TemplatePages[0];
  state.CurrentObject = &memo1;
  {
    TfrReportBinding binding(report);
    try {
      interpreter.RunScript(code);
    } catch (const Error&) {
      // a run error, or the step bound
    }
  }
  state.Reset();
  EngineVariables().Clear();
  return 0;
}
