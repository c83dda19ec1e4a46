// Reading expression texts: the token rules that the parser, bracket
// expansion and the aggregate finder share. Positions are byte offsets; a
// double-byte character is always stepped over whole, so that its trail byte
// (which may look like "[" or "]") never counts as a delimiter.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace talven {

// The one-character operator codes of postfix texts. The binary operators
// "+", "-", "*", "/", "=", "<" and ">" stand for themselves; the others get
// control characters, which can never start an operand.
namespace postfix {
constexpr char kNotEqual = '\x01';
constexpr char kGreaterEqual = '\x02';
constexpr char kLessEqual = '\x03';
constexpr char kNegate = '\x04';  // unary "-"
constexpr char kPlus = '\x05';    // unary "+"
constexpr char kInt = '\x06';
constexpr char kFrac = '\x07';
constexpr char kRound = '\x08';
constexpr char kStr = '\x0B';
constexpr char kNot = '\x0C';
constexpr char kMod = '\x0E';
constexpr char kAnd = '\x0F';
constexpr char kOr = '\x10';

// True for every character that is an operator in a postfix text.
bool IsOperator(char c);
// True for the prefix operators (INT, FRAC, ROUND, STR, NOT, unary - and +).
bool IsUnary(char c);
// Binding strength: 0 binds tightest; "(" is 5.
int Priority(char c);
}  // namespace postfix

enum class TokenKind {
  End,           // end of the text, or ";"
  Operator,      // op holds its postfix code ("+" and "-" as binary)
  Open,          // "("
  Close,         // ")"
  Text,          // 'literal' with its quotes
  Bracket,       // [inner] with its brackets
  Number,        // an identifier starting with a digit, "." or ","
  Boolean,       // TRUE or FALSE
  Identifier,
  Call,          // name(arguments); split is the "("
  ArrayElement,  // name[index]; split is the "["
};

struct ExprToken {
  TokenKind kind = TokenKind::End;
  std::size_t begin = 0, end = 0;  // the token is text[begin, end)
  std::size_t split = 0;
  char op = 0;
};

// The token that starts at pos after the blanks and control characters in
// front of it. Fails with the parser's messages on an unterminated literal
// or bracket, and with an empty message when a call's parentheses do not
// balance.
ExprToken ReadToken(std::string_view s, std::size_t pos);

// The token of an operand that starts exactly at pos (pos holds no blank,
// operator, parenthesis or ";").
ExprToken ReadOperand(std::string_view s, std::size_t pos);

// With s[open] == "[": the position after the matching "]" (brackets nest;
// brackets inside single- or double-quoted text do not count), or npos.
std::size_t BracketEnd(std::string_view s, std::size_t open);

// The position of the next "[" at or after from, or npos.
std::size_t FindBracket(std::string_view s, std::size_t from);

// With s[open] == "(": the position after the matching ")" (single-quoted
// text skipped), or npos.
std::size_t ParenthesisEnd(std::string_view s, std::size_t open);

// The at most three argument texts of a call whose "(" is at open and whose
// ")" is at close: split at commas of depth 1 outside single quotes, each
// text as written. With more than three arguments the first is passed
// first, the second-to-last second, and the third is empty.
std::array<std::string, 3> SplitArguments(std::string_view s, std::size_t open, std::size_t close);

// The text of a literal without its quotes, doubled quotes made single.
std::string UnquoteText(std::string_view literal);

}  // namespace talven
