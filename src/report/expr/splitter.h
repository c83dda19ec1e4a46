// Finding function calls, such as aggregates, inside expressions and memo
// texts, through brackets and dictionary variables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/model/variables.h"

namespace talven {

// Walks expression texts and adds to the result list the whole text of
// every call of one of the match names (any letter case). A bracketed part
// is replaced by the value of the dictionary variable it names, if any, and
// walked in turn; a call's argument texts are walked; an identifier that is
// a dictionary variable has the variable's value walked. A text that starts
// with a single quote is skipped. A dictionary variable whose value leads
// back to itself is walked once.
class TfrFunctionSplitter {
 public:
  TfrFunctionSplitter(std::vector<std::string> matchFuncs, std::vector<std::string>& splitTo,
                      const TfrVariables& variables);
  void Split(std::string_view text);

 private:
  void SplitVariable(const std::string& name);
  bool Matches(std::string_view name) const;

  std::vector<std::string> match_;
  std::vector<std::string>& result_;
  const TfrVariables& variables_;
  std::vector<std::string> walking_;  // dictionary variables being walked
};

// Finds AVG, COUNT, MAX, MIN and SUM calls; the variables are the report's
// dictionary variables.
class TAggregateFunctionsSplitter : public TfrFunctionSplitter {
 public:
  TAggregateFunctionsSplitter(std::vector<std::string>& splitTo, const TfrVariables& dictionaryVariables);
  // Walks every bracketed part, with its brackets, of every line.
  void SplitMemo(const std::vector<std::string>& lines);
  // Walks the expressions of a compiled script (SplitScriptExpressions,
  // interpreter.h).
  void SplitScript(const std::vector<std::string>& code);
};

}  // namespace talven
