#include "report/expr/interpreter.h"

#include "report/expr/parser.h"
#include "report/expr/resolver.h"
#include "report/expr/splitter.h"

namespace talven {

void TInterpretator::GetScriptValue(const std::string& name, Variant& value) {
  if (const auto& callback = EngineParser().OnGetValue) callback(name, value);
}

void TInterpretator::SetScriptValue(const std::string& name, const Variant& value) {
  if (TfrResolver* resolver = ActiveResolver()) {
    resolver->Scope().SetScriptValue(name, value);
  } else {
    TfrResolveScope neutral;
    neutral.SetScriptValue(name, value);
  }
}

void TInterpretator::CallScriptFunction(const std::string& name, const std::string& p1, const std::string& p2,
                                        const std::string& p3, Variant& result) {
  if (const auto& callback = EngineParser().OnFunction) callback(name, p1, p2, p3, result);
}

bool TInterpretator::ScriptCancelled() {
  TfrResolver* resolver = ActiveResolver();
  return resolver != nullptr && resolver->Scope().ScriptCancelled();
}

TInterpretator& EngineInterpreter() {
  static TInterpretator interpreter;
  return interpreter;
}

void SplitScriptExpressions(const std::vector<std::string>& code, TfrFunctionSplitter& splitter) {
  for (const std::string& line : code) {
    const TfrCodeLine l = ReadCodeLine(line);
    if (l.kind != TfrCodeKind::Jump) splitter.Split(l.expression);
  }
}

void SplitScriptExpressions(const std::vector<std::string>& code, const std::vector<std::string>& matchFuncs,
                            const TfrVariables& variables, std::vector<std::string>& splitTo) {
  TfrFunctionSplitter splitter(matchFuncs, splitTo, variables);
  SplitScriptExpressions(code, splitter);
}

}  // namespace talven
