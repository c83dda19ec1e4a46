// Object scripts: the small structured language that report objects, bands
// and pages carry (BEGIN ... END, IF ... THEN ... ELSE, WHILE, REPEAT, FOR,
// GOTO and labels, assignments, calls), its compiler and its run loop.
//
// A script is compiled into a list of code lines whose expressions are
// postfix texts of the expression language (parser.h); running the code
// evaluates them with the interpreter's own parser. Names met while running
// go to GetScriptValue, function calls to CallScriptFunction and assignments
// to SetScriptValue: TfrInterpretator leaves all three empty, the engine's
// TInterpretator (interpreter.h) connects them to the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.h"
#include "base/variant.h"
#include "report/expr/parser.h"

namespace talven {

// The code line layout. The first byte says what a line is:
//   kConditionalJump, target, postfix condition: continue at the target
//       when the condition equals 0, else at the next line;
//   kJump, target;
//   kCall, postfix expression whose value is discarded; EXIT(0) stops the
//       script;
//   anything else: an assignment: the variable name, a blank, the postfix
//       expression.
// A target is a line number in two bytes, low byte first; a target at or
// past the end of the list ends the script.
namespace code {
constexpr char kConditionalJump = '\x01';
constexpr char kJump = '\x02';
constexpr char kCall = '\x03';
// The most code lines a script compiles into: every line number, and the
// end of the list, fits the two bytes of a target.
constexpr std::size_t kMaxLines = 65535;
}  // namespace code

enum class TfrCodeKind { ConditionalJump, Jump, Call, Assignment };

// A run stopped at its MaxSteps: "Script stopped after N steps".
class ScriptStepLimit : public Error {
 public:
  using Error::Error;
};

// One code line taken apart; the views point into the line.
struct TfrCodeLine {
  TfrCodeKind kind = TfrCodeKind::Call;
  std::size_t target = 0;       // jumps
  std::string_view name;        // assignments: the first blank-delimited word
  std::string_view expression;  // postfix; empty for a jump
};

// Fails on a line that no compilation writes: a jump too short for its
// target, an assignment without a name.
TfrCodeLine ReadCodeLine(std::string_view line);

// A code line for people: "i := i 1 +", "unless i 3 < goto 4", "goto 1",
// "call NEWPAGE(0)", with the postfix operators written out ("<>", "neg",
// "not", "and" ...).
std::string CodeLineText(std::string_view line);

class TfrInterpretator {
 public:
  // Bounds of one compilation; beyond them compilation ends with an error.
  static constexpr std::size_t kMaxScriptBytes = 32000;  // the lines, plus one per line
  static constexpr std::size_t kMaxLabels = 101;
  static constexpr std::size_t kMaxLabelLength = 15;  // the digits and ":"
  // How deeply statements and expressions may nest.
  static constexpr int kMaxNesting = 200;
  // A run looks every this many steps (code lines run) whether it is to
  // stop: cheap enough for tight loops, often enough for a cancel button.
  static constexpr std::uint64_t kCheckInterval = 4096;

  TfrInterpretator();
  virtual ~TfrInterpretator() = default;
  TfrInterpretator(const TfrInterpretator&) = delete;
  TfrInterpretator& operator=(const TfrInterpretator&) = delete;

  // The value of a name in an expression (identifiers in upper case,
  // bracket texts as written); the value starts as null. Does nothing here.
  virtual void GetScriptValue(const std::string& name, Variant& value);
  // An assignment (the name as written). Does nothing here.
  virtual void SetScriptValue(const std::string& name, const Variant& value);
  // A function call other than the parser's own (the name in upper case,
  // the argument texts unevaluated); the result starts as null. Does
  // nothing here.
  virtual void CallScriptFunction(const std::string& name, const std::string& p1, const std::string& p2,
                                  const std::string& p3, Variant& result);

  // Compiles the source lines into code lines; code may be the source list
  // itself. The error list is cleared, and on a syntax error gets one entry
  // "Line L/C: message" (line and column from 1, each line break counting as
  // one character, comments counted as written); compilation stops there and
  // the code built so far stays, every jump of it pointing inside the list
  // or at its end.
  virtual void CompileScript(const std::vector<std::string>& source, std::vector<std::string>& code,
                             std::vector<std::string>& errors);

  // Runs compiled code from line 0 until the line number reaches the end of
  // the list or EXIT(0) is called. Errors of evaluation (an undefined name, a
  // conversion, a function) leave it as they are. Every kCheckInterval steps
  // it asks ScriptCancelled, and stops as EXIT(0) does when told to; a run
  // that reaches MaxSteps steps fails with "Script stopped after N steps".
  virtual void RunScript(const std::vector<std::string>& code);

  // Whether the script being run is to stop (a cancelled preparation). Here:
  // never.
  virtual bool ScriptCancelled();

  // The most steps one run may take; 0: no bound. A preparation leaves it
  // at 0 and relies on the cancel check; tools and fuzzing set one.
  std::uint64_t MaxSteps = 0;

 private:
  TfrParser parser_;
};

}  // namespace talven
