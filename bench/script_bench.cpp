// Object scripts. Running: a counting loop of 1000 passes against the same
// expressions evaluated and stored directly, the work the run loop cannot
// avoid. Compiling: a typical object script against converting its
// expressions to postfix alone; and one unbroken line of 8000 and of 32000
// bytes, whose times should grow with the length, not its square.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "report/expr/interpreter.h"
#include "report/expr/parser.h"
#include "report/expr/resolver.h"
#include "report/model/variables.h"

namespace talven {
namespace {

const std::vector<std::string> kObjectScript = {
    "begin",
    "  if [Total] > 100 then",
    "  begin",
    "    Memo1.Visible := False;",
    "    Font.Style := fsBold",
    "  end else Memo1.Visible := True;",
    "  for n := 1 to 3 do Count := Count + n;  { running count }",
    "  if (FREESPACE < 200) and (Count > 5) then NewPage",
    "end",
};
const std::vector<std::string> kExpressions = {
    "[Total] > 100", "False", "fsBold", "True", "1", "n <= 3", "Count + n", "n + 1", "(FREESPACE < 200) and (Count > 5)",
    "NewPage(0)",
};

struct Engine {
  Engine() { EngineVariables().Clear(); }
  ~Engine() { EngineVariables().Clear(); }
  TfrPlainScope scope;
  TfrResolver resolver{scope};
  TfrResolverBinding binding{resolver};
};

void BM_LoopBaseline(benchmark::State& state) {
  Engine e;
  TfrParser& parser = EngineParser();
  const std::string test = parser.ToPostfix("i < 1000"), step = parser.ToPostfix("i + 1");
  for (auto _ : state) {
    EngineVariables().Set("i", 0);
    while (parser.EvaluatePostfix(test).AsInteger() != 0) EngineVariables().Set("i", parser.EvaluatePostfix(step));
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_LoopBaseline)->Unit(benchmark::kMicrosecond);

void BM_RunLoop(benchmark::State& state) {
  Engine e;
  std::vector<std::string> code, errors;
  EngineInterpreter().CompileScript({"begin i := 0; while i < 1000 do i := i + 1 end"}, code, errors);
  for (auto _ : state) EngineInterpreter().RunScript(code);
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_RunLoop)->Unit(benchmark::kMicrosecond);

void BM_CompileBaseline(benchmark::State& state) {
  TfrParser parser;
  for (auto _ : state)
    for (const std::string& e : kExpressions) benchmark::DoNotOptimize(parser.ToPostfix(e));
}
BENCHMARK(BM_CompileBaseline)->Unit(benchmark::kMicrosecond);

void BM_CompileObjectScript(benchmark::State& state) {
  std::vector<std::string> code, errors;
  for (auto _ : state) EngineInterpreter().CompileScript(kObjectScript, code, errors);
}
BENCHMARK(BM_CompileObjectScript)->Unit(benchmark::kMicrosecond);

void BM_CompileLongLine(benchmark::State& state) {
  std::string line = "x:=a";
  while (line.size() + 3 < static_cast<std::size_t>(state.range(0))) line += "+a";
  const std::vector<std::string> source = {line};
  std::vector<std::string> code, errors;
  for (auto _ : state) EngineInterpreter().CompileScript(source, code, errors);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK(BM_CompileLongLine)->Arg(8000)->Arg(32000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
