// TInterpretator: the engine's script interpreter, one for all scripts.
//
// It connects the scripts to the report being prepared through the engine
// parser and the bound resolver (resolver.h): a name in a script is resolved
// by the engine parser's value callback (ResolveVariable), a function call
// goes to its function callback (DispatchFunction: the libraries, INC, DEC,
// NEWPAGE, SHOWBAND, SETARRAY, STOPREPORT ...), and an assignment goes to
// the SetScriptValue of the bound resolver's scope, whose steps and hooks
// (engine variables, dictionary, MODALRESULT, CURY, PROGRESS, object
// properties) resolver.h lists. The engine binds a resolver over the report
// being prepared (TfrResolverBinding) before it runs scripts. With none
// bound, names give null, calls do nothing and assignments take the steps
// without a report: engine variables only (MODALRESULT, CURY and PROGRESS
// are ignored).
#pragma once

#include <string>
#include <vector>

#include "report/expr/script.h"
#include "report/model/variables.h"

namespace talven {

class TfrFunctionSplitter;

class TInterpretator : public TfrInterpretator {
 public:
  void GetScriptValue(const std::string& name, Variant& value) override;
  void SetScriptValue(const std::string& name, const Variant& value) override;
  void CallScriptFunction(const std::string& name, const std::string& p1, const std::string& p2,
                          const std::string& p3, Variant& result) override;
  // The bound scope's ScriptCancelled (over a report: pending window events
  // run, then the report's Cancelled flag); never without one.
  bool ScriptCancelled() override;
};

// The engine's interpreter, created on first use.
TInterpretator& EngineInterpreter();

// Walks the expression of every code line with the splitter: the condition
// of a conditional jump, the expression of a call, the value of an
// assignment; used to find the aggregate calls of scripts.
void SplitScriptExpressions(const std::vector<std::string>& code, TfrFunctionSplitter& splitter);
// The same with a splitter for the match names over the variables, adding
// the calls found to the result list.
void SplitScriptExpressions(const std::vector<std::string>& code, const std::vector<std::string>& matchFuncs,
                            const TfrVariables& variables, std::vector<std::string>& splitTo);

}  // namespace talven
