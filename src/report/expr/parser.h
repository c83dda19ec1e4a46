// TfrParser: the expression language of reports. An expression is turned
// into a postfix text (operands followed by a blank, function calls copied
// whole, one character per operator, see tokens.h) and the postfix text is
// evaluated on a stack of at most 32 values.
//
// Names reach the value callback: a bracketed part with its inner text
// exactly as written, a bare identifier in upper case. Function calls other
// than COPY, IF, STRTODATE and STRTOTIME reach the function callback with
// the upper-cased name and their (at most three) argument texts, unevaluated.
// Without a callback a name or a call gives null.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/variant.h"

namespace talven {

class TfrParser {
 public:
  // (name, in/out value): the value starts as null.
  using ValueCallback = std::function<void(const std::string& name, Variant& value)>;
  // (name, p1, p2, p3, in/out result): the result starts as null.
  using FunctionCallback = std::function<void(const std::string& name, const std::string& p1, const std::string& p2,
                                              const std::string& p3, Variant& result)>;

  // The most values an evaluation keeps pending; one more fails with
  // "Expression too complex".
  static constexpr int kStackSize = 32;
  // How deeply evaluations may nest (function arguments, names that are
  // expressions, dictionary variables) before failing with "Expression
  // nested too deeply" rather than exhausting the machine's stack.
  static constexpr int kMaxDepth = 200;

  ValueCallback OnGetValue;
  FunctionCallback OnFunction;

  // Fails on unbalanced parentheses (an empty message inside a function
  // call, "Unbalanced parentheses in expression" elsewhere), an unterminated
  // literal or bracket.
  std::string ToPostfix(std::string_view expression) const;
  // Fails on a missing operand, more than 32 pending values, conversion
  // errors, and whatever the callbacks raise.
  Variant EvaluatePostfix(std::string_view postfix);
  Variant Evaluate(std::string_view expression) { return EvaluatePostfix(ToPostfix(expression)); }

 private:
  Variant CallFunction(std::string_view call, std::size_t open);
  int depth_ = 0;
};

// The engine's one parser: a report being prepared points its callbacks at
// its name resolution and function dispatch (see resolver.h).
TfrParser& EngineParser();

}  // namespace talven
