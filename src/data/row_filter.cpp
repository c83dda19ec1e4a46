#include "data/row_filter.h"

#include "base/convert.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/format.h"
#include "base/text.h"

namespace talven {

enum class CompareOp { Eq, Ne, Lt, Le, Gt, Ge };

struct RowFilter::Node {
  enum Kind { And, Or, Not, Compare } kind = Compare;
  int left = -1, right = -1;
  // A comparison:
  std::string field;
  CompareOp op = CompareOp::Eq;
  enum Literal { Null, Text, Number, Date } literal = Null;
  std::string value;  // the literal as written (texts without their quotes)
  // After Bind:
  int column = -1;
  bool numeric = false;  // compare numbers (else texts)
  double number = 0;
};

namespace {

bool IsDelimiter(unsigned char c) {
  return c <= ' ' || c == '(' || c == ')' || c == '=' || c == '<' || c == '>' || c == '!' || c == '\'' ||
         c == '#' || c == '[';
}

class Parser {
 public:
  Parser(std::string_view text, std::vector<RowFilter::Node>& nodes) : s_(text), nodes_(nodes) {}

  int ParseAll() {
    SkipBlanks();
    if (i_ >= s_.size()) return -1;
    int root = OrTerm();
    SkipBlanks();
    if (i_ < s_.size()) Fail(Format("'and' or 'or' is expected at position %d", {Position()}));
    return root;
  }

 private:
  using Node = RowFilter::Node;

  [[noreturn]] void Fail(const std::string& detail) const {
    throw Error(Format("Bad filter \"%s\": %s", {std::string(s_), detail}));
  }
  int Position() const { return static_cast<int>(i_ + 1); }

  void SkipBlanks() {
    while (i_ < s_.size() && static_cast<unsigned char>(s_[i_]) <= ' ') ++i_;
  }

  // A bare word at the cursor (without moving past it).
  std::string_view PeekWord() {
    SkipBlanks();
    std::size_t j = i_;
    while (j < s_.size() && !IsDelimiter(static_cast<unsigned char>(s_[j])))
      j += IsLeadByte(s_[j]) && j + 1 < s_.size() ? 2 : 1;
    return s_.substr(i_, j - i_);
  }

  bool TakeKeyword(std::string_view keyword) {
    std::string_view w = PeekWord();
    if (!SameText(w, keyword)) return false;
    i_ += w.size();
    return true;
  }

  int Add(Node node) {
    nodes_.push_back(std::move(node));
    return static_cast<int>(nodes_.size() - 1);
  }

  int OrTerm() { return Chain("or", Node::Or, &Parser::AndTerm); }
  int AndTerm() { return Chain("and", Node::And, &Parser::Factor); }

  // operand { keyword operand }, joined to the left.
  int Chain(std::string_view keyword, Node::Kind kind, int (Parser::*operand)()) {
    int left = (this->*operand)();
    while (TakeKeyword(keyword)) {
      Node n;
      n.kind = kind;
      n.left = left;
      n.right = (this->*operand)();
      left = Add(std::move(n));
    }
    return left;
  }

  int Factor() {
    SkipBlanks();
    if (i_ < s_.size() && s_[i_] == '(') {
      ++i_;
      Nest();
      int inner = OrTerm();
      --depth_;
      SkipBlanks();
      if (i_ >= s_.size() || s_[i_] != ')') Fail(Format("')' is expected at position %d", {Position()}));
      ++i_;
      return inner;
    }
    if (TakeKeyword("not")) {
      Node n;
      n.kind = Node::Not;
      Nest();
      n.left = Factor();
      --depth_;
      return Add(std::move(n));
    }
    return Comparison();
  }

  // Brackets and "not" nest by recursion; a value typed for a numeric field
  // reaches the filter as it stands, so the depth is bounded rather than the
  // stack.
  void Nest() {
    if (++depth_ > kMaxNesting)
      Fail(Format("brackets and \"not\" nest deeper than %d levels at position %d", {kMaxNesting, Position()}));
  }

  std::string FieldName() {
    SkipBlanks();
    if (i_ < s_.size() && s_[i_] == '[') {
      std::size_t close = i_ + 1;
      while (close < s_.size() && s_[close] != ']') close += IsLeadByte(s_[close]) && close + 1 < s_.size() ? 2 : 1;
      if (close >= s_.size()) Fail(Format("the name that begins at position %d has no closing bracket", {Position()}));
      std::string name(s_.substr(i_ + 1, close - i_ - 1));
      i_ = close + 1;
      return name;
    }
    std::string_view w = PeekWord();
    if (w.empty() || SameText(w, "and") || SameText(w, "or") || SameText(w, "null"))
      Fail(Format("a field name is expected at position %d", {Position()}));
    i_ += w.size();
    return std::string(w);
  }

  CompareOp Operator(const std::string& field) {
    SkipBlanks();
    static const std::pair<std::string_view, CompareOp> kOps[] = {
        {"<>", CompareOp::Ne}, {"!=", CompareOp::Ne}, {"<=", CompareOp::Le}, {">=", CompareOp::Ge},
        {"=", CompareOp::Eq},  {"<", CompareOp::Lt},  {">", CompareOp::Gt}};
    for (const auto& [text, op] : kOps)
      if (s_.substr(i_, text.size()) == text) {
        i_ += text.size();
        return op;
      }
    Fail(Format("an operator is expected after %s", {field}));
  }

  int Comparison() {
    Node n;
    n.field = FieldName();
    n.op = Operator(n.field);
    SkipBlanks();
    const std::size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '\'') {
      std::string value;
      ++i_;
      for (;;) {
        if (i_ >= s_.size())
          Fail(Format("the quoted text that begins at position %d has no closing quote", {static_cast<int>(start + 1)}));
        if (s_[i_] == '\'') {
          if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
            value += '\'';
            i_ += 2;
            continue;
          }
          ++i_;
          break;
        }
        std::size_t len = IsLeadByte(s_[i_]) && i_ + 1 < s_.size() ? 2 : 1;
        value.append(s_.substr(i_, len));
        i_ += len;
      }
      n.literal = Node::Text;
      n.value = std::move(value);
    } else if (i_ < s_.size() && s_[i_] == '#') {
      std::size_t close = s_.find('#', i_ + 1);
      if (close == std::string_view::npos)
        Fail(Format("the date that begins at position %d has no closing #", {Position()}));
      n.literal = Node::Date;
      n.value = std::string(s_.substr(i_ + 1, close - i_ - 1));
      i_ = close + 1;
    } else {
      std::string_view w = PeekWord();
      if (w.empty()) Fail(Format("a value is expected after %s %s", {n.field, OperatorText(n.op)}));
      i_ += w.size();
      if (SameText(w, "null")) {
        if (n.op != CompareOp::Eq && n.op != CompareOp::Ne)
          Fail(Format("null can only be compared with = or <>, not with %s", {OperatorText(n.op)}));
        n.literal = Node::Null;
      } else if (TryStrToFloat(w) && (w[0] == '-' || w[0] == '+' || w[0] == '.' || (w[0] >= '0' && w[0] <= '9'))) {
        n.literal = Node::Number;
        n.value = std::string(w);
        n.number = *TryStrToFloat(w);
      } else {
        Fail(Format("%s is neither a number nor a quoted text", {std::string(w)}));
      }
    }
    return Add(std::move(n));
  }

  static std::string OperatorText(CompareOp op) {
    switch (op) {
      case CompareOp::Eq: return "=";
      case CompareOp::Ne: return "<>";
      case CompareOp::Lt: return "<";
      case CompareOp::Le: return "<=";
      case CompareOp::Gt: return ">";
      case CompareOp::Ge: return ">=";
    }
    return "=";
  }

  static constexpr int kMaxNesting = 100;

  std::string_view s_;
  std::size_t i_ = 0;
  int depth_ = 0;
  std::vector<RowFilter::Node>& nodes_;
};

bool Holds(int order, CompareOp op) {
  switch (op) {
    case CompareOp::Eq: return order == 0;
    case CompareOp::Ne: return order != 0;
    case CompareOp::Lt: return order < 0;
    case CompareOp::Le: return order <= 0;
    case CompareOp::Gt: return order > 0;
    case CompareOp::Ge: return order >= 0;
  }
  return false;
}

int Order(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

std::optional<double> NumberOf(const Variant& v) {
  if (v.IsNumeric() || v.type() == VarType::Boolean) return v.AsFloat();
  if (v.IsText()) return TryStrToFloat(v.textValue());
  return std::nullopt;
}

}  // namespace

RowFilter::RowFilter() = default;
RowFilter::~RowFilter() = default;
RowFilter::RowFilter(RowFilter&&) noexcept = default;
RowFilter& RowFilter::operator=(RowFilter&&) noexcept = default;

RowFilter RowFilter::Parse(std::string_view text) {
  RowFilter f;
  f.text_ = std::string(text);
  f.root_ = Parser(text, f.nodes_).ParseAll();
  return f;
}

void RowFilter::Bind(const std::vector<FieldDef>& fields) {
  std::vector<Node> bound = nodes_;
  auto fail = [this](const std::string& detail) {
    throw Error(Format("Bad filter \"%s\": %s", {text_, detail}));
  };
  for (Node& n : bound) {
    if (n.kind != Node::Compare) continue;
    n.column = -1;
    for (std::size_t c = 0; c < fields.size() && n.column < 0; ++c)
      if (SameText(fields[c].name, n.field)) n.column = static_cast<int>(c);
    if (n.column < 0) fail(Format("there is no field %s", {n.field}));
    if (n.literal == Node::Null) continue;
    const FieldKind kind = fields[static_cast<std::size_t>(n.column)].kind;
    switch (kind) {
      case FieldKind::Integer:
      case FieldKind::Float:
      case FieldKind::Boolean: {
        n.numeric = true;
        std::optional<double> v;
        if (n.literal == Node::Number) v = n.number;
        if (n.literal == Node::Text) v = TryStrToFloat(n.value);
        if (kind == FieldKind::Boolean && n.literal == Node::Text && !v) {
          if (SameText(n.value, "true")) v = 1;
          if (SameText(n.value, "false")) v = 0;
        }
        if (!v) fail(Format("the value %s does not fit the numeric field %s", {n.value, n.field}));
        n.number = *v;
        break;
      }
      case FieldKind::DateTime: {
        n.numeric = true;
        std::optional<double> v;
        if (n.literal == Node::Number) v = n.number;
        if (n.literal == Node::Text || n.literal == Node::Date) v = TryStrToDateTime(n.value);
        if (!v) fail(Format("the value %s does not fit the date field %s", {n.value, n.field}));
        n.number = *v;
        break;
      }
      case FieldKind::String:
      case FieldKind::WideString:
      case FieldKind::Other:
        n.numeric = false;
        break;
    }
  }
  nodes_ = std::move(bound);
}

bool RowFilter::KeepsAll() const { return root_ < 0; }

bool RowFilter::Matches(const Variant* row) const {
  if (root_ < 0) return true;
  // Evaluates node i; the tree is small, so plain recursion serves.
  auto eval = [this, row](auto& self, int i) -> bool {
    const Node& n = nodes_[static_cast<std::size_t>(i)];
    switch (n.kind) {
      case Node::And: return self(self, n.left) && self(self, n.right);
      case Node::Or: return self(self, n.left) || self(self, n.right);
      case Node::Not: return !self(self, n.left);
      case Node::Compare: break;
    }
    if (n.column < 0) return false;
    const Variant& cell = row[n.column];
    if (n.literal == Node::Null) return (n.op == CompareOp::Eq) == cell.IsEmpty();
    if (cell.IsEmpty()) return false;
    if (n.numeric) {
      std::optional<double> v = NumberOf(cell);
      return v && Holds(Order(*v, n.number), n.op);
    }
    return Holds(CompareText(cell.AsText(), n.value), n.op);
  };
  return eval(eval, root_);
}

}  // namespace talven
