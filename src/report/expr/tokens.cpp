#include "report/expr/tokens.h"

#include <vector>

#include "base/error.h"
#include "base/text.h"

namespace talven {

namespace postfix {

bool IsOperator(char c) {
  switch (c) {
    case '+': case '-': case '*': case '/': case '=': case '<': case '>':
    case kNotEqual: case kGreaterEqual: case kLessEqual: case kNegate: case kPlus:
    case kInt: case kFrac: case kRound: case kStr: case kNot: case kMod: case kAnd: case kOr:
      return true;
    default: return false;
  }
}

bool IsUnary(char c) {
  return c == kNegate || c == kPlus || c == kInt || c == kFrac || c == kRound || c == kStr || c == kNot;
}

int Priority(char c) {
  switch (c) {
    case kInt: case kFrac: case kRound: case kStr: return 0;
    case '*': case '/': case kMod: case kAnd: case kOr: case kNot: return 1;
    case '+': case '-': case kNegate: case kPlus: return 2;
    case '=': case '<': case '>': case kNotEqual: case kGreaterEqual: case kLessEqual: return 3;
    default: return 5;  // "("
  }
}

}  // namespace postfix

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsDelimiter(char c) {
  switch (c) {
    case '\r': case ' ': case '(': case ')': case '*': case '+': case '-': case '/': case '<': case '=': case '>':
    case '[':
      return true;
    default: return false;
  }
}

// The width of the character at i: 2 for a double-byte character.
std::size_t CharWidth(std::string_view s, std::size_t i) { return IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1; }

// With s[i] a quote: the position after its closing quote, or npos when the
// quote is never closed (the caller then takes it as an ordinary character).
std::size_t QuoteEnd(std::string_view s, std::size_t i) {
  const char q = s[i];
  for (std::size_t j = i + 1; j < s.size(); j += CharWidth(s, j))
    if (s[j] == q) return j + 1;
  return npos;
}

std::size_t IdentifierEnd(std::string_view s, std::size_t j) {
  while (j < s.size()) {
    char c = s[j];
    if (c == '"') {
      std::size_t close = QuoteEnd(s, j);
      j = close == npos ? j + 1 : close;
      continue;
    }
    if (IsDelimiter(c)) break;
    j += CharWidth(s, j);
  }
  return j;
}

struct Keyword {
  const char* word;
  char code;
};
constexpr Keyword kKeywords[] = {
    {"INT", postfix::kInt}, {"FRAC", postfix::kFrac}, {"ROUND", postfix::kRound}, {"STR", postfix::kStr},
    {"NOT", postfix::kNot}, {"MOD", postfix::kMod},   {"AND", postfix::kAnd},     {"OR", postfix::kOr},
};

}  // namespace

namespace {

// The position after the closer that matches s[open], nesting counted;
// quoted text (single quotes, and double quotes when asked) skipped.
std::size_t MatchingEnd(std::string_view s, std::size_t open, char opener, char closer, bool doubleQuotes) {
  int depth = 0;
  for (std::size_t j = open; j < s.size();) {
    const char c = s[j];
    if (c == '\'' || (doubleQuotes && c == '"')) {
      std::size_t close = QuoteEnd(s, j);
      j = close == npos ? j + 1 : close;
      continue;
    }
    if (c == opener) ++depth;
    else if (c == closer && --depth == 0) return j + 1;
    j += CharWidth(s, j);
  }
  return npos;
}

}  // namespace

std::size_t BracketEnd(std::string_view s, std::size_t open) { return MatchingEnd(s, open, '[', ']', true); }

std::size_t FindBracket(std::string_view s, std::size_t from) {
  for (std::size_t i = from; i < s.size(); i += CharWidth(s, i))
    if (s[i] == '[') return i;
  return npos;
}

std::size_t ParenthesisEnd(std::string_view s, std::size_t open) { return MatchingEnd(s, open, '(', ')', false); }

std::array<std::string, 3> SplitArguments(std::string_view s, std::size_t open, std::size_t close) {
  std::vector<std::string_view> args;
  std::size_t start = open + 1;
  int depth = 0;
  for (std::size_t j = open + 1; j < close;) {
    char c = s[j];
    if (c == '\'') {
      std::size_t end = QuoteEnd(s, j);
      if (end != npos && end <= close) {
        j = end;
        continue;
      }
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == ',' && depth == 0) {
      args.push_back(s.substr(start, j - start));
      start = j + 1;
    }
    j += CharWidth(s, j);
  }
  args.push_back(s.substr(start, close - start));
  std::array<std::string, 3> p;
  if (args.size() <= 3) {
    for (std::size_t i = 0; i < args.size(); ++i) p[i] = std::string(args[i]);
  } else {
    p[0] = std::string(args.front());
    p[1] = std::string(args[args.size() - 2]);
  }
  return p;
}

std::string UnquoteText(std::string_view literal) {
  std::string out;
  if (literal.size() < 2) return out;
  std::string_view inner = literal.substr(1, literal.size() - 2);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    out += inner[i];
    if (inner[i] == '\'' && i + 1 < inner.size() && inner[i + 1] == '\'') ++i;
  }
  return out;
}

ExprToken ReadOperand(std::string_view s, std::size_t pos) {
  ExprToken t;
  t.begin = pos;
  const char c = s[pos];
  if (c == '\'') {
    // A literal ends at a quote that is not doubled.
    std::size_t j = pos + 1;
    for (;;) {
      if (j >= s.size()) throw Error("Unterminated text in expression");
      if (s[j] == '\'') {
        if (j + 1 < s.size() && s[j + 1] == '\'') {
          j += 2;
          continue;
        }
        break;
      }
      j += CharWidth(s, j);
    }
    t.kind = TokenKind::Text;
    t.end = j + 1;
    return t;
  }
  if (c == '[') {
    t.end = BracketEnd(s, pos);
    if (t.end == npos) throw Error("Missing \"]\" in expression");
    t.kind = TokenKind::Bracket;
    return t;
  }
  // An operand starting with "%" takes the next character unexamined.
  std::size_t j = c == '%' ? std::min(pos + 2, s.size()) : pos;
  j = IdentifierEnd(s, j);
  t.end = j;
  const std::string word = UpperCase(s.substr(pos, j - pos));
  for (const Keyword& k : kKeywords) {
    if (word == k.word) {
      t.kind = TokenKind::Operator;
      t.op = k.code;
      return t;
    }
  }
  if (c == '.' || c == ',' || (c >= '0' && c <= '9')) {
    t.kind = TokenKind::Number;
    return t;
  }
  if (j < s.size() && s[j] == '(') {
    std::size_t end = ParenthesisEnd(s, j);
    if (end == npos) throw Error("");
    t.kind = TokenKind::Call;
    t.split = j;
    t.end = end;
    return t;
  }
  if (j < s.size() && s[j] == '[') {
    std::size_t end = BracketEnd(s, j);
    if (end == npos) throw Error("Missing \"]\" in expression");
    t.kind = TokenKind::ArrayElement;
    t.split = j;
    t.end = end;
    return t;
  }
  t.kind = word == "TRUE" || word == "FALSE" ? TokenKind::Boolean : TokenKind::Identifier;
  return t;
}

ExprToken ReadToken(std::string_view s, std::size_t pos) {
  while (pos < s.size() && IsBlank(s[pos])) ++pos;
  ExprToken t;
  t.begin = t.end = pos;
  if (pos >= s.size() || s[pos] == ';') return t;
  const char c = s[pos];
  const char next = pos + 1 < s.size() ? s[pos + 1] : '\0';
  t.end = pos + 1;
  switch (c) {
    case '(': t.kind = TokenKind::Open; return t;
    case ')': t.kind = TokenKind::Close; return t;
    case '+': case '-': case '*': case '/': case '=':
      t.kind = TokenKind::Operator;
      t.op = c;
      return t;
    case '<':
    case '>':
      t.kind = TokenKind::Operator;
      t.op = c;
      if (c == '<' && next == '>') t.op = postfix::kNotEqual;
      else if (c == '<' && next == '=') t.op = postfix::kLessEqual;
      else if (c == '>' && next == '=') t.op = postfix::kGreaterEqual;
      if (t.op != c) t.end = pos + 2;
      return t;
    default: return ReadOperand(s, pos);
  }
}

}  // namespace talven
