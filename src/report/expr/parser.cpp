#include "report/expr/parser.h"

#include <array>
#include <cmath>

#include "base/convert.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/formatsettings.h"
#include "base/text.h"
#include "report/expr/tokens.h"
#include "report/expr/values.h"

namespace talven {
namespace {

Variant ApplyUnary(char op, const Variant& a) {
  switch (op) {
    case postfix::kNegate: return VarNegate(a);
    case postfix::kPlus: return a;
    case postfix::kInt: return VarInt(a);
    case postfix::kFrac: return VarFrac(a);
    case postfix::kRound: return VarRound(a);
    case postfix::kStr: return VarStr(a);
    default: return VarNot(a);
  }
}

Variant ApplyBinary(char op, const Variant& a, const Variant& b) {
  switch (op) {
    case '+': return VarAdd(a, b);
    case '-': return VarSubtract(a, b);
    case '*': return VarMultiply(a, b);
    case '/': return VarDivide(a, b);
    case postfix::kMod: return VarMod(a, b);
    case postfix::kAnd: return VarAnd(a, b);
    case postfix::kOr: return VarOr(a, b);
    case '=': return VarRelate(a, b, VarRelation::Equal);
    case '<': return VarRelate(a, b, VarRelation::Less);
    case '>': return VarRelate(a, b, VarRelation::Greater);
    case postfix::kNotEqual: return VarRelate(a, b, VarRelation::NotEqual);
    case postfix::kLessEqual: return VarRelate(a, b, VarRelation::LessEqual);
    default: return VarRelate(a, b, VarRelation::GreaterEqual);
  }
}

// Every "," and "." of a number is its decimal point: 1,5 is 1.5.
double NumberValue(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == ',' || c == '.') c = Settings().decimalSeparator;
  return StrToFloat(s);
}

// The part of s from the 1-based character start, count characters long,
// clipped to the text; a start before the first character counts from it.
std::string CopyText(const std::string& s, std::int64_t start, std::int64_t count) {
  if (start < 1) start = 1;
  if (count <= 0 || start > static_cast<std::int64_t>(s.size())) return {};
  return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count));
}

class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) {
    if (++depth_ > TfrParser::kMaxDepth) {
      --depth_;
      throw Error("Expression nested too deeply");
    }
  }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace

std::string TfrParser::ToPostfix(std::string_view s) const {
  std::string out;
  std::string stack;  // operators and "(", top at the back
  bool expectOperand = true;
  std::size_t pos = 0;
  for (;;) {
    const ExprToken t = ReadToken(s, pos);
    if (t.kind == TokenKind::End) break;
    pos = t.end;
    switch (t.kind) {
      case TokenKind::Open:
        stack.push_back('(');
        expectOperand = true;
        break;
      case TokenKind::Close:
        while (!stack.empty() && stack.back() != '(') {
          out += stack.back();
          stack.pop_back();
        }
        if (stack.empty()) throw Error("Unbalanced parentheses in expression");
        stack.pop_back();
        expectOperand = false;
        break;
      case TokenKind::Operator: {
        char op = t.op;
        if (expectOperand && op == '-') op = postfix::kNegate;
        if (expectOperand && op == '+') op = postfix::kPlus;
        // A prefix operator has no left operand, so nothing on the stack can
        // be waiting for it: it is pushed at once. (Popping here would move a
        // binary operator ahead of its right operand: 2 * -3.)
        if (!postfix::IsUnary(op)) {
          while (!stack.empty() && postfix::Priority(op) >= postfix::Priority(stack.back())) {
            out += stack.back();
            stack.pop_back();
          }
        }
        stack.push_back(op);
        expectOperand = true;
        break;
      }
      case TokenKind::Call:
        out.append(s.substr(t.begin, t.end - t.begin));
        expectOperand = false;
        break;
      default:
        out.append(s.substr(t.begin, t.end - t.begin));
        out += ' ';
        expectOperand = false;
        break;
    }
  }
  while (!stack.empty()) {
    if (stack.back() == '(') throw Error("Unbalanced parentheses in expression");
    out += stack.back();
    stack.pop_back();
  }
  return out;
}

Variant TfrParser::EvaluatePostfix(std::string_view s) {
  DepthGuard guard(depth_);
  std::array<Variant, kStackSize> stack;
  int n = 0;
  auto room = [&] {
    if (n == kStackSize) throw Error("Expression too complex: more than 32 values pending");
  };
  auto push = [&](Variant v) {
    room();
    stack[static_cast<std::size_t>(n++)] = std::move(v);
  };
  auto at = [&](int i) -> Variant& { return stack[static_cast<std::size_t>(i)]; };

  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (postfix::IsOperator(c)) {
      ++i;
      if (postfix::IsUnary(c)) {
        if (n < 1) throw Error("Missing operand in expression");
        at(n - 1) = ApplyUnary(c, at(n - 1));
      } else {
        if (n < 2) throw Error("Missing operand in expression");
        at(n - 2) = ApplyBinary(c, at(n - 2), at(n - 1));
        at(--n) = Variant();
      }
      continue;
    }
    if (static_cast<unsigned char>(c) <= ' ') {
      ++i;
      continue;
    }
    const ExprToken t = ReadOperand(s, i);
    i = t.end;
    const std::string_view text = s.substr(t.begin, t.end - t.begin);
    switch (t.kind) {
      case TokenKind::Text: push(UnquoteText(text)); break;
      case TokenKind::Number: push(NumberValue(text)); break;
      case TokenKind::Boolean: push(UpperCase(text) == "TRUE"); break;
      case TokenKind::Bracket:
      case TokenKind::Identifier: {
        room();
        Variant v = Variant::Null();
        const std::string name =
            t.kind == TokenKind::Bracket ? std::string(text.substr(1, text.size() - 2)) : UpperCase(text);
        if (OnGetValue) OnGetValue(name, v);
        push(std::move(v));
        break;
      }
      case TokenKind::ArrayElement: {
        room();
        const std::size_t open = t.split - t.begin;
        std::string call = "GETARRAY(";
        call.append(text.substr(0, open)).append(", ").append(text.substr(open + 1, text.size() - open - 2)).append(")");
        push(Evaluate(call));
        break;
      }
      case TokenKind::Call:
        room();
        push(CallFunction(text, t.split - t.begin));
        break;
      default:
        // A keyword operator written out: postfix texts come from ToPostfix,
        // which never leaves one.
        throw Error("Invalid postfix expression");
    }
  }
  return n > 0 ? at(0) : Variant();
}

Variant TfrParser::CallFunction(std::string_view call, std::size_t open) {
  const std::string name = UpperCase(call.substr(0, open));
  const std::array<std::string, 3> p = SplitArguments(call, open, call.size() - 1);
  if (name == "COPY") {
    const std::string text = Evaluate(p[0]).AsText();
    const std::int64_t start = StrToInt64(Evaluate(p[1]).AsText());
    const std::int64_t count = StrToInt64(Evaluate(p[2]).AsText());
    return Variant(CopyText(text, start, count));
  }
  if (name == "IF") {
    const Variant condition = Evaluate(p[0]);
    // A boolean condition (FIELDISNULL, TRUE) decides by itself; any other
    // value is read as a number through its text.
    const bool holds = condition.type() == VarType::Boolean ? condition.boolValue()
                                                             : std::trunc(StrToFloat(condition.AsText())) != 0;
    return Evaluate(holds ? p[1] : p[2]);
  }
  if (name == "STRTODATE") return Variant::FromDateTime(StrToDate(Evaluate(p[0]).AsText()));
  if (name == "STRTOTIME") return Variant::FromDateTime(StrToTime(Evaluate(p[0]).AsText()));
  Variant result = Variant::Null();
  if (OnFunction) OnFunction(name, p[0], p[1], p[2], result);
  return result;
}

TfrParser& EngineParser() {
  static TfrParser parser;
  return parser;
}

}  // namespace talven
