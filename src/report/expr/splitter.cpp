#include "report/expr/splitter.h"

#include <algorithm>

#include "base/error.h"
#include "base/text.h"
#include "report/expr/interpreter.h"
#include "report/expr/tokens.h"

namespace talven {

TfrFunctionSplitter::TfrFunctionSplitter(std::vector<std::string> matchFuncs, std::vector<std::string>& splitTo,
                                         const TfrVariables& variables)
    : match_(std::move(matchFuncs)), result_(splitTo), variables_(variables) {}

bool TfrFunctionSplitter::Matches(std::string_view name) const {
  return std::any_of(match_.begin(), match_.end(), [&](const std::string& m) { return SameText(m, name); });
}

void TfrFunctionSplitter::SplitVariable(const std::string& name) {
  if (std::any_of(walking_.begin(), walking_.end(), [&](const std::string& w) { return SameText(w, name); })) return;
  walking_.push_back(name);
  Split(variables_.Get(name).AsText());
  walking_.pop_back();
}

void TfrFunctionSplitter::Split(std::string_view text) {
  const std::string s = Trim(text);
  if (s.empty() || s[0] == '\'') return;
  std::size_t pos = 0;
  for (;;) {
    ExprToken t;
    try {
      t = ReadToken(s, pos);
    } catch (const Error&) {
      return;  // the rest cannot be read as an expression: nothing more to find
    }
    if (t.kind == TokenKind::End) return;
    pos = t.end;
    const std::string_view token = std::string_view(s).substr(t.begin, t.end - t.begin);
    switch (t.kind) {
      case TokenKind::Bracket: {
        const std::string inner(token.substr(1, token.size() - 2));
        if (variables_.Contains(inner)) SplitVariable(inner);
        else Split(inner);
        break;
      }
      case TokenKind::Call: {
        for (const std::string& argument : SplitArguments(s, t.split, t.end - 1)) Split(argument);
        if (Matches(std::string_view(s).substr(t.begin, t.split - t.begin))) result_.emplace_back(token);
        break;
      }
      case TokenKind::ArrayElement: Split(std::string_view(s).substr(t.split + 1, t.end - t.split - 2)); break;
      case TokenKind::Identifier:
        if (variables_.Contains(token)) SplitVariable(std::string(token));
        break;
      default: break;
    }
  }
}

TAggregateFunctionsSplitter::TAggregateFunctionsSplitter(std::vector<std::string>& splitTo,
                                                         const TfrVariables& dictionaryVariables)
    : TfrFunctionSplitter({"AVG", "COUNT", "MAX", "MIN", "SUM"}, splitTo, dictionaryVariables) {}

void TAggregateFunctionsSplitter::SplitMemo(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    for (std::size_t open = FindBracket(line, 0); open != std::string::npos;) {
      const std::size_t end = BracketEnd(line, open);
      if (end == std::string::npos) break;
      Split(std::string_view(line).substr(open, end - open));
      open = FindBracket(line, end);
    }
  }
}

void TAggregateFunctionsSplitter::SplitScript(const std::vector<std::string>& code) {
  SplitScriptExpressions(code, *this);
}

}  // namespace talven
