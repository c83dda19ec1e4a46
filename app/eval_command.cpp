// talven eval: evaluates one expression, or expands one memo text, the way a
// memo bracket of a report does, for template authors and checks.
#include <cstdio>
#include <string>
#include <memory>
#include <vector>

#include "app/command.h"
#include "app/command_values.h"
#include "base/convert.h"
#include "base/datetime.h"
#include "base/text.h"
#include "report/expr/report_scope.h"
#include "report/model/memo_view.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/variables.h"
#include "report/print/printer.h"

namespace talven::app {
namespace {

std::vector<std::string> MemoLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    if (nl == std::string::npos) return lines;
    start = nl + 1;
  }
}

void PrintLine(const std::string& gbk) { std::printf("%s\n", GbkToUtf8(gbk).c_str()); }

int RunEval(const Args& args) {
  std::int32_t format = MemoDisplayFormat();
  bool memo = false;
  std::vector<std::pair<std::string, Variant>> variables;
  std::vector<std::string> rest;
  bool optionsDone = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // Only "--" starts an option, so that "-1 + 2" is an expression.
    if (optionsDone || a.rfind("--", 0) != 0) {
      rest.push_back(a);
    } else if (a == "--") {
      optionsDone = true;
    } else if (a == "--memo") {
      memo = true;
    } else if (a == "--var" || a == "--format") {
      if (i + 1 >= args.size()) return UsageError(a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--format") {
        auto code = TryStrToInt(value);
        if (!code) return UsageError("--format needs an integer format code, not '" + value + "'");
        format = *code;
        continue;
      }
      auto variable = VariableArgument(value);
      if (!variable) return UsageError("--var needs NAME=VALUE, not '" + value + "'");
      variables.push_back(std::move(*variable));
    } else {
      return UsageError("unknown option '" + a + "'");
    }
  }
  if (rest.size() != 1) return UsageError("eval needs exactly one expression");
  const std::string text = Utf8ToGbk(rest[0]);

  // The engine as a preparation finds it: the printer adapter gives pages
  // their paper (A4 on the virtual printer).
  StartReportEngine();
  for (const auto& [name, value] : variables) EngineVariables().Set(name, value);
  // A report of one page holding one memo, "Memo1", which is the object being
  // printed: its display format applies and its properties can be named.
  TfrReport report;
  auto owned = std::make_unique<TfrMemoView>();
  TfrMemoView& memo1 = *owned;
  memo1.Name = "Memo1";
  memo1.DisplayFormat = format;
  report.TemplatePages.Add().Add(std::move(owned));
  PrepareState& state = EngineState();
  state.CurrentReport = state.MasterReport = &report;
  state.CurrentObject = &memo1;
  state.RunDate = Date();
  state.RunTime = Time();
  report.InFinalPass = true;
  TfrReportBinding binding(report);
  if (memo) {
    memo1.Memo = MemoLines(text);
    binding.Scope().ExpandMemo(memo1);
    for (const std::string& line : memo1.OutputText) PrintLine(line);
  } else {
    const std::string printed = binding.Resolver().BracketValue(text);
    PrintLine(std::string(Variant::KindName(binding.Resolver().Value().type())) + "\t" + printed);
  }
  return 0;
}

const char kHelp[] =
    "Prints the kind of the value and its text as a memo bracket prints it. The expression is\n"
    "evaluated over a report of one A4 page holding the memo Memo1, the object being printed.\n"
    "Options start with \"--\" (so -1 + 2 is an expression); \"--\" ends them.\n"
    "\n"
    "  --var NAME=VALUE  set an engine variable first; a decimal number becomes a number,\n"
    "                    anything else (0123, $12, 0x10, abc) stays a text\n"
    "  --format CODE     the display format code of Memo1 (an integer; default: text)\n"
    "  --memo            take EXPRESSION as memo text: every bracket is replaced and each\n"
    "                    line of the expansion printed on a line of its own\n";

}  // namespace

TALVEN_COMMAND(eval, "eval", "eval [--var NAME=VALUE]... [--format CODE] [--memo] EXPRESSION",
               "evaluate an expression (or, with --memo, expand a memo text) as a report would print it", RunEval,
               kHelp);

}  // namespace talven::app
