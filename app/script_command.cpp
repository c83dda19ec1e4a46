// talven script: compiles an object script and lists its errors or its code
// lines, or runs it and prints the engine variables it leaves.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/command.h"
#include "app/command_values.h"
#include "base/convert.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/text.h"
#include "report/expr/displayformat.h"
#include "report/expr/interpreter.h"
#include "report/expr/report_scope.h"
#include "report/model/prepare_state.h"
#include "report/model/report.h"
#include "report/model/variables.h"
#include "report/print/printer.h"

namespace talven::app {
namespace {

void PrintLine(std::FILE* out, const std::string& gbk) { std::fprintf(out, "%s\n", GbkToUtf8(gbk).c_str()); }

// The lines of a UTF-8 text file, as GBK; a byte-order mark is dropped and
// CR LF line ends are taken like LF ones.
std::vector<std::string> ReadScriptFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw Error("Cannot open the script file '" + Utf8ToGbk(fileName) + "'");
  std::ostringstream content;
  content << in.rdbuf();
  std::string text = content.str();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(Utf8ToGbk(line));
  }
  return lines;
}

int Check(const std::string& fileName, bool listCode) {
  std::vector<std::string> code, errors;
  EngineInterpreter().CompileScript(ReadScriptFile(fileName), code, errors);
  if (listCode) {
    for (std::size_t i = 0; i < code.size(); ++i) PrintLine(stdout, std::to_string(i) + ": " + CodeLineText(code[i]));
  }
  for (const std::string& e : errors) PrintLine(stdout, e);
  return errors.empty() ? 0 : 1;
}

// A run that never ends is stopped after this many steps (code lines run);
// about a second of work.
constexpr std::uint64_t kDefaultMaxSteps = 1'000'000;

int Run(const std::string& fileName, const std::vector<std::pair<std::string, Variant>>& variables,
        std::uint64_t maxSteps) {
  std::vector<std::string> code, errors;
  TInterpretator& interpreter = EngineInterpreter();
  interpreter.CompileScript(ReadScriptFile(fileName), code, errors);
  if (!errors.empty()) {
    for (const std::string& e : errors) PrintLine(stderr, "talven script: " + e);
    return 1;
  }
  StartReportEngine();
  for (const auto& [name, value] : variables) EngineVariables().Set(name, value);
  // An empty report of one A4 page: names resolve as in a report being
  // prepared, and PROGRESS goes to the terminal's error stream.
  TfrReport report;
  report.TemplatePages.Add();
  PrepareState& state = EngineState();
  state.CurrentReport = state.MasterReport = &report;
  state.CurrentPage = &report.TemplatePages[0];
  state.RunDate = Date();
  state.RunTime = Time();
  TfrReportBinding binding(report);
  interpreter.MaxSteps = maxSteps;
  try {
    interpreter.RunScript(code);
  } catch (const ScriptStepLimit& e) {
    PrintLine(stderr, "talven script: " + e.message() + " (--max-steps N allows more, 0 any number)");
    return 1;
  }
  const TfrVariables& result = EngineVariables();
  for (int i = 0; i < result.Count(); ++i)
    PrintLine(stdout, result.NameAt(i) + "=" + ApplyDisplayFormat(result.ValueAt(i), MemoDisplayFormat(), ""));
  return 0;
}

int RunScriptCommand(const Args& args) {
  if (args.empty() || (args[0] != "check" && args[0] != "run")) return UsageError("script needs 'check' or 'run'");
  const bool check = args[0] == "check";
  bool listCode = false;
  std::uint64_t maxSteps = kDefaultMaxSteps;
  std::vector<std::pair<std::string, Variant>> variables;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (check && a == "--code") {
      listCode = true;
    } else if (!check && a == "--var") {
      if (i + 1 >= args.size()) return UsageError("--var needs a value");
      auto variable = VariableArgument(args[++i]);
      if (!variable) return UsageError("--var needs NAME=VALUE, not '" + args[i] + "'");
      variables.push_back(std::move(*variable));
    } else if (!check && a == "--max-steps") {
      if (i + 1 >= args.size()) return UsageError("--max-steps needs a value");
      const auto n = TryStrToInt64(args[++i]);
      if (!n || *n < 0 || args[i].find_first_not_of("0123456789") != std::string::npos)
        return UsageError("--max-steps needs a number of steps, not '" + args[i] + "'");
      maxSteps = static_cast<std::uint64_t>(*n);
    } else if (a.rfind("--", 0) == 0) {
      return UsageError("unknown option '" + a + "' for script " + args[0]);
    } else {
      files.push_back(a);
    }
  }
  if (files.size() != 1) return UsageError("script " + args[0] + " needs exactly one script file");
  return check ? Check(files[0], listCode) : Run(files[0], variables, maxSteps);
}

const char kHelp[] =
    "Script files are UTF-8 text. check prints the compile error, if any (exit code 1), and with\n"
    "--code the code lines first. run compiles the script, runs it over a report of one empty\n"
    "A4 page and prints the engine variables it leaves, NAME=VALUE in name order.\n"
    "\n"
    "  --code            (check) list the code lines\n"
    "  --var NAME=VALUE  (run) set an engine variable first; a decimal number becomes a number,\n"
    "                    anything else (0123, abc) stays a text\n"
    "  --max-steps N     (run) stop a script that has run N code lines and fail (default\n"
    "                    1000000; 0: no bound)\n";

}  // namespace

TALVEN_COMMAND(script, "script",
               "script check FILE [--code] | script run FILE [--var NAME=VALUE]... [--max-steps N]",
               "compile an object script and list its errors (or code lines), or run it and print the engine variables",
               RunScriptCommand, kHelp);

}  // namespace talven::app
