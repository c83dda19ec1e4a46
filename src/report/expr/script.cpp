#include "report/expr/script.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "base/convert.h"
#include "base/error.h"
#include "base/text.h"
#include "report/expr/tokens.h"
#include "report/expr/values.h"

namespace talven {

namespace {

constexpr std::size_t npos = std::string::npos;

// Where a jump goes until its target is known: past the end of every list,
// so that code left unfinished by an error ends there instead of jumping to
// line 0.
constexpr std::size_t kOpenTarget = code::kMaxLines;

// How much of a run of characters GetToken reads (see there).
constexpr std::size_t kTokenScan = 64;

// Letters of names: the ASCII letters and both bytes of a double-byte
// character, so that 标题Memo and 考场名称 are names (their trail bytes are
// stepped over with their lead bytes, see SkipName).
bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_' || c == '.'; }
bool AboveBlank(char c) { return static_cast<unsigned char>(c) > ' '; }
bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string TargetBytes(std::size_t line) {
  return {static_cast<char>(line & 0xFF), static_cast<char>((line >> 8) & 0xFF)};
}

struct CompileFailure {
  std::string message;
  std::size_t position;  // in the text as written
};

// One compilation: the script's text with its comments cut out as they are
// met, the reading position, the labels and the code being built.
class Compiler {
 public:
  Compiler(std::string text, std::vector<std::string>& code) : written_(text), buf_(std::move(text)), code_(code) {}

  void Compile(std::vector<std::string>& errors);

 private:
  struct Cut {
    std::size_t start, length;
  };
  struct Label {
    std::string text;  // digits and ":"
    std::size_t line;
  };
  struct Goto {
    std::size_t line;
    std::string label;  // digits
    std::size_t position;
  };

  // Statements and expressions nest by recursion: bounded, so that no text
  // can exhaust the machine's stack.
  class Nesting {
   public:
    explicit Nesting(Compiler& c) : c_(c) {
      if (c_.depth_ == TfrInterpretator::kMaxNesting) c_.Fail("Script nested too deeply");
      ++c_.depth_;
    }
    ~Nesting() { --c_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Compiler& c_;
  };

  char At(std::size_t i) const { return i < buf_.size() ? buf_[i] : '\0'; }
  // 2 for a double-byte character, whose trail byte may look like "{" or "}".
  std::size_t Width(std::size_t i) const {
    return IsLeadByte(buf_[i]) && static_cast<unsigned char>(At(i + 1)) >= 0x40 ? 2 : 1;
  }

  // The position in the text as written of a position in the buffer.
  std::size_t Written(std::size_t p) const {
    for (auto c = cuts_.rbegin(); c != cuts_.rend(); ++c)
      if (p >= c->start) p += c->length;
    return p;
  }
  [[noreturn]] void Fail(std::string message) const { throw CompileFailure{std::move(message), Written(last_)}; }

  // ---- tokens
  std::string GetToken();
  void CutComment(std::size_t at);
  void GiveBack() { cur_ = last_; }
  void ConsumePart(std::size_t n) { cur_ = last_ + n; }
  // A double-byte character is one letter whatever its trail byte, which may
  // look like "[", "(" or "'".
  void SkipName() {
    while (cur_ < buf_.size() && IsNameChar(buf_[cur_])) cur_ += Width(cur_);
  }

  // ---- statements
  void Statement();
  // Statements separated by ";" up to one of the closing words; the closing
  // token, consumed.
  std::string Statements(std::initializer_list<std::string_view> closers, const char* message);
  // A condition, its conditional jump with the target open, and the keyword
  // that must follow.
  std::size_t Test(const char* keyword, const char* message, std::size_t& at);
  void Block();
  void If();
  void Repeat();
  void While();
  void For();
  void GotoStatement();
  void VariableStatement();
  void ExpressionStatement();
  struct Variable {
    std::string name, index;
    bool indexed = false;
    std::size_t position = 0;
  };
  // A name with its optional [index]; false, with the position unchanged,
  // when the name is directly followed by "(".
  bool ReadVariable(Variable& v);
  // ":=" and an expression: an assignment line, or SETARRAY for an element.
  void Assignment(const Variable& v);
  void Trailing();

  // ---- expressions, delimited here and stored as they are written
  std::string ReadExpression(std::size_t& position);
  void Expression();
  void Simple();
  void Term();
  void Factor();
  void Arguments();

  // ---- code
  std::size_t Emit(std::string line, std::size_t position);
  void Patch(std::size_t line, std::size_t target) {
    const std::string bytes = TargetBytes(target);
    code_[line][1] = bytes[0];
    code_[line][2] = bytes[1];
  }
  std::size_t Size() const { return code_.size(); }
  std::string ErrorEntry(const CompileFailure& f) const;
  void ResolveLabels(const std::function<void(const CompileFailure&)>& report);
  void ToPostfix(const std::function<void(const CompileFailure&)>& report);

  const std::string written_;
  std::string buf_;
  std::size_t cur_ = 0;
  std::size_t last_ = 0;  // where the last token read starts
  int depth_ = 0;
  std::vector<Cut> cuts_;
  std::vector<Label> labels_;
  std::vector<Goto> gotos_;
  std::vector<std::string>& code_;
  std::vector<std::size_t> origins_;  // per code line, where its source starts (as written)
};

// ---- tokens -------------------------------------------------------------

// The run of characters above the blank from the current position, in
// upper case; an empty run is a single blank. Comments met on the way are
// cut out and the token is read afresh. Quoted text inside the run is not
// searched for comments, so that 'http://host' stays as it is.
//
// Only the first kTokenScan characters of a run are read: every construct
// takes a whole token only when it is a keyword, and uses no more than a
// label's length of any other; what lies further is read as the tokens
// after it. (Reading every run to its end would make one long unbroken
// line cost the square of its length.)
std::string Compiler::GetToken() {
  for (;;) {
    while (cur_ < buf_.size() && !AboveBlank(buf_[cur_])) ++cur_;
    last_ = cur_;
    bool quoted = false;
    bool cut = false;
    std::size_t j = cur_;
    while (j < buf_.size() && AboveBlank(buf_[j]) && j - last_ < kTokenScan) {
      const char c = buf_[j];
      if (c == '\'') {
        quoted = !quoted;
      } else if (!quoted && (c == '{' || (c == '/' && At(j + 1) == '/'))) {
        CutComment(j);
        cut = true;
        break;
      }
      j += Width(j);
    }
    if (cut) {
      cur_ = last_;
      continue;
    }
    cur_ = j;
    return j == last_ ? std::string(" ") : UpperCase(std::string_view(buf_).substr(last_, j - last_));
  }
}

// From "{" to the next "}", or from "//" to the next line break, both
// included (so the next line joins this one); an unclosed comment runs to
// the end of the text.
void Compiler::CutComment(std::size_t at) {
  const char close = buf_[at] == '{' ? '}' : '\r';
  std::size_t end = at + (close == '}' ? 1 : 2);
  while (end < buf_.size() && buf_[end] != close) end += Width(end);
  end = std::min(end + 1, buf_.size());
  cuts_.push_back({at, end - at});
  buf_.erase(at, end - at);
}

// ---- statements -----------------------------------------------------------

void Compiler::Statement() {
  const Nesting nesting(*this);
  std::string t = GetToken();
  // Labels: digits and ":", each for the next code line.
  for (;;) {
    std::size_t digits = 0;
    while (digits < t.size() && IsDigit(t[digits])) ++digits;
    if (digits == 0 || digits == t.size() || t[digits] != ':') break;
    const std::string text = t.substr(0, digits + 1);
    if (text.size() > TfrInterpretator::kMaxLabelLength)
      Fail("Label longer than " + IntToStr(TfrInterpretator::kMaxLabelLength) + " characters");
    const bool known = std::any_of(labels_.begin(), labels_.end(), [&](const Label& l) { return l.text == text; });
    if (!known) {
      if (labels_.size() == TfrInterpretator::kMaxLabels)
        Fail("More than " + IntToStr(TfrInterpretator::kMaxLabels) + " labels");
      labels_.push_back({text, Size()});
    }
    ConsumePart(digits + 1);
    t = GetToken();
  }
  if (t == "BEGIN") return Block();
  if (t == "IF") return If();
  if (t == "REPEAT") return Repeat();
  if (t == "WHILE") return While();
  if (t == "FOR") return For();
  if (t == "GOTO") return GotoStatement();
  // The empty statement: the token belongs to the enclosing construct.
  if (t == "END" || t == "END;" || t == "UNTIL" || t == " " || t[0] == ';') return GiveBack();

  GiveBack();
  if (IsLetter(At(cur_))) VariableStatement();
  else ExpressionStatement();
}

std::string Compiler::Statements(std::initializer_list<std::string_view> closers, const char* message) {
  for (;;) {
    Statement();
    const std::string t = GetToken();
    if (t[0] == ';') {
      ConsumePart(1);
    } else if (std::find(closers.begin(), closers.end(), t) != closers.end()) {
      return t;
    } else {
      Fail(message);
    }
  }
}

void Compiler::Block() {
  Statements({"END", "END;"}, "Need \";\" or \"end\" here");
  ConsumePart(3);  // the ";" of "END;" is the enclosing construct's
}

std::size_t Compiler::Test(const char* keyword, const char* message, std::size_t& at) {
  const std::string condition = ReadExpression(at);
  const std::size_t jump = Emit(code::kConditionalJump + TargetBytes(kOpenTarget) + condition, at);
  if (GetToken() != keyword) Fail(message);
  return jump;
}

void Compiler::If() {
  std::size_t at = 0;
  const std::size_t jump = Test("THEN", "Need \"then\" here", at);
  Statement();
  if (GetToken() == "ELSE") {
    const std::size_t skip = Emit(code::kJump + TargetBytes(kOpenTarget), last_);
    Patch(jump, Size());
    Statement();
    Patch(skip, Size());
  } else {
    GiveBack();
    Patch(jump, Size());
  }
}

void Compiler::Repeat() {
  const std::size_t first = Size();
  Statements({"UNTIL"}, "Need \";\" or \"until\" here");
  std::size_t at = 0;
  const std::string condition = ReadExpression(at);
  Emit(code::kConditionalJump + TargetBytes(first) + condition, at);
}

void Compiler::While() {
  std::size_t at = 0;
  const std::size_t test = Test("DO", "Need \"do\" here", at);
  Statement();
  Emit(code::kJump + TargetBytes(test), at);
  Patch(test, Size());
}

// FOR v := a TO b DO s: the assignment; a test "v <= b" (b evaluated on
// every pass); s; v := v + 1; back to the test.
void Compiler::For() {
  const std::size_t start = cur_;
  Variable v;
  GetToken();
  GiveBack();
  if (!IsLetter(At(cur_)) || !ReadVariable(v)) Fail("Need \":=\" here");
  Assignment(v);
  // The variable as written before ":=", a blank in front of ":=" included.
  const std::string source = Trim(std::string_view(buf_).substr(start, cur_ - start));
  const std::string variable = source.substr(0, source.find(":="));

  if (GetToken() != "TO") Fail("Need \"to\" here");
  std::size_t at = 0;
  const std::string limit = ReadExpression(at);
  const std::size_t test = Emit(code::kConditionalJump + TargetBytes(kOpenTarget) + variable + "<=" + limit, at);
  if (GetToken() != "DO") Fail("Need \"do\" here");
  Statement();
  if (v.indexed) {
    // An element counts through SETARRAY, as its assignment does: stored
    // as a variable named "a[1]" the loop would never end.
    Emit(code::kCall + ("SETARRAY(" + v.name + ", " + v.index + ", " + variable + "+1)"), v.position);
  } else {
    Emit(variable + " " + variable + "+1", v.position);
  }
  Emit(code::kJump + TargetBytes(test), v.position);
  Patch(test, Size());
}

void Compiler::GotoStatement() {
  const std::string t = GetToken();
  std::size_t digits = 0;
  while (digits < t.size() && IsDigit(t[digits])) ++digits;
  if (digits == 0) Fail("\"goto\" label must be a number");
  ConsumePart(digits);
  const std::size_t line = Emit(code::kJump + TargetBytes(kOpenTarget), last_);
  gotos_.push_back({line, t.substr(0, digits), Written(last_)});
}

bool Compiler::ReadVariable(Variable& v) {
  const std::size_t start = cur_;
  v.position = start;
  SkipName();
  v.name = buf_.substr(start, cur_ - start);
  if (At(cur_) == '[') {
    ++cur_;
    v.indexed = true;
    std::size_t at = 0;
    v.index = ReadExpression(at);
    const std::string t = GetToken();
    if (t[0] != ']') Fail("Need \"]\" here");
    ConsumePart(1);
  }
  if (At(cur_) == '(') {
    cur_ = start;
    return false;
  }
  return true;
}

void Compiler::Assignment(const Variable& v) {
  if (!StartsWith(GetToken(), ":=")) Fail("Need \":=\" here");
  ConsumePart(2);
  std::size_t at = 0;
  const std::string value = ReadExpression(at);
  if (v.indexed) Emit(code::kCall + ("SETARRAY(" + v.name + ", " + v.index + ", " + value + ")"), v.position);
  else Emit(v.name + " " + value, v.position);
}

void Compiler::VariableStatement() {
  Variable v;
  if (!ReadVariable(v)) return ExpressionStatement();
  const std::string t = GetToken();
  if (!v.indexed && (t[0] == ';' || t == "END" || t == "ELSE")) {
    // A bare name is a call with the argument 0: NEWPAGE, EXIT.
    GiveBack();
    Emit(code::kCall + v.name + "(0)", v.position);
    return;
  }
  GiveBack();
  Assignment(v);
}

void Compiler::ExpressionStatement() {
  std::size_t at = 0;
  const std::string e = ReadExpression(at);
  Emit(code::kCall + e, at);
}

// After the script's one statement only ";" may follow: anything else would
// never run.
void Compiler::Trailing() {
  for (std::string t = GetToken(); t != " "; t = GetToken()) {
    if (t[0] != ';') Fail("Need the end of the script here");
    ConsumePart(1);
  }
}

// ---- expressions --------------------------------------------------------

std::string Compiler::ReadExpression(std::size_t& position) {
  const std::size_t start = cur_;
  Expression();
  std::size_t first = start;
  while (first < cur_ && !AboveBlank(buf_[first])) ++first;
  position = first;
  return Trim(std::string_view(buf_).substr(start, cur_ - start));
}

void Compiler::Expression() {
  const Nesting nesting(*this);
  Simple();
  const std::string t = GetToken();
  if (StartsWith(t, ">=") || StartsWith(t, "<=") || StartsWith(t, "<>")) {
    ConsumePart(2);
  } else if (t[0] == '<' || t[0] == '=' || t[0] == '>') {
    ConsumePart(1);
  } else {
    return GiveBack();
  }
  Simple();
}

void Compiler::Simple() {
  for (;;) {
    Term();
    const std::string t = GetToken();
    if (t[0] == '+' || t[0] == '-') ConsumePart(1);
    else if (StartsWith(t, "OR")) ConsumePart(2);
    else return GiveBack();
  }
}

void Compiler::Term() {
  for (;;) {
    Factor();
    const std::string t = GetToken();
    if (t[0] == '*' || t[0] == '/') ConsumePart(1);
    else if (StartsWith(t, "AND") || StartsWith(t, "MOD")) ConsumePart(3);
    else return GiveBack();
  }
}

void Compiler::Factor() {
  const std::string t = GetToken();
  const std::size_t p = last_;
  cur_ = p;
  const char c = At(p);
  if (c == '(') {
    ++cur_;
    Expression();
    if (GetToken()[0] != ')') Fail("Need \")\" here");
    ConsumePart(1);
  } else if (c == '[') {
    const std::size_t end = BracketEnd(buf_, p);
    if (end == npos) Fail("Need \"]\" here");
    cur_ = end;
  } else if (c == '+' || c == '-') {
    ++cur_;
    Expression();
  } else if (t == "NOT") {
    cur_ = p + 3;
    Expression();
  } else if (IsLetter(c)) {
    SkipName();
    if (At(cur_) == '(') {
      Arguments();
    } else if (At(cur_) == '[') {
      ++cur_;
      Expression();
      if (GetToken()[0] != ']') Fail("Need \"]\" here");
      ConsumePart(1);
    }
  } else if (IsDigit(c)) {
    while (IsDigit(At(cur_))) ++cur_;
    if (At(cur_) == '.') {
      ++cur_;
      while (IsDigit(At(cur_))) ++cur_;
    }
  } else if (c == '\'') {
    std::size_t j = p + 1;
    for (;;) {
      if (j >= buf_.size()) Fail("Need \"'\" here");
      if (buf_[j] == '\'') {
        if (At(j + 1) != '\'') break;
        ++j;
      }
      j += Width(j);
    }
    cur_ = j + 1;
  } else {
    Fail("Need an expression here");
  }
}

// "(" expressions separated by "," ")"; "()" holds none.
void Compiler::Arguments() {
  ++cur_;
  if (GetToken()[0] == ')') return ConsumePart(1);
  GiveBack();
  for (;;) {
    Expression();
    const std::string t = GetToken();
    if (t[0] == ')') return ConsumePart(1);
    if (t[0] != ',') Fail("Need \",\" or \")\" here");
    ConsumePart(1);
  }
}

// ---- code -------------------------------------------------------------------

std::size_t Compiler::Emit(std::string line, std::size_t position) {
  if (code_.size() == code::kMaxLines) Fail("More than " + IntToStr(code::kMaxLines) + " code lines");
  code_.push_back(std::move(line));
  origins_.push_back(Written(position));
  return code_.size() - 1;
}

std::string Compiler::ErrorEntry(const CompileFailure& f) const {
  // A position at the end of the text is shown at the end of the last line.
  std::size_t p = written_.empty() ? 0 : std::min(f.position, written_.size() - 1);
  std::size_t line = 1, lineStart = 0;
  for (std::size_t i = 0; i < p; ++i) {
    if (written_[i] == '\r') {
      ++line;
      lineStart = i + 1;
    }
  }
  return "Line " + IntToStr(static_cast<std::int64_t>(line)) + "/" +
         IntToStr(static_cast<std::int64_t>(p - lineStart + 1)) + ": " + f.message;
}

void Compiler::ResolveLabels(const std::function<void(const CompileFailure&)>& report) {
  for (const Goto& g : gotos_) {
    const std::string text = g.label + ":";
    auto label = std::find_if(labels_.begin(), labels_.end(), [&](const Label& l) { return l.text == text; });
    if (label != labels_.end()) {
      Patch(g.line, label->line);
    } else {
      // The jump stays one to the end.
      report({"Undefined label \"" + g.label + "\"", g.position});
    }
  }
}

// Every expression becomes its postfix form; a line that cannot be
// converted ends the code there.
void Compiler::ToPostfix(const std::function<void(const CompileFailure&)>& report) {
  TfrParser parser;
  for (std::size_t i = 0; i < code_.size(); ++i) {
    std::string& line = code_[i];
    std::size_t from;
    switch (line[0]) {
      case code::kConditionalJump: from = 3; break;
      case code::kJump: continue;
      case code::kCall: from = 1; break;
      default: from = std::min(line.find(' '), line.size() - 1) + 1; break;
    }
    try {
      line = line.substr(0, from) + parser.ToPostfix(std::string_view(line).substr(from));
    } catch (const Error& e) {
      report({e.message().empty() ? std::string("Invalid expression") : e.message(), origins_[i]});
      code_.resize(i);
      return;
    }
  }
}

void Compiler::Compile(std::vector<std::string>& errors) {
  bool failed = false;
  const auto report = [&](const CompileFailure& f) {
    if (!failed) errors.push_back(ErrorEntry(f));
    failed = true;
  };
  if (buf_.size() > TfrInterpretator::kMaxScriptBytes) {
    report({"Script longer than " + IntToStr(TfrInterpretator::kMaxScriptBytes) + " bytes",
            TfrInterpretator::kMaxScriptBytes});
    return;
  }
  try {
    Statement();
    Trailing();
  } catch (const CompileFailure& f) {
    report(f);
  }
  ResolveLabels(report);
  ToPostfix(report);
}

bool EqualsZero(const Variant& v) { return VarCompare(v, Variant(0)) == 0; }

struct OperatorName {
  char code;
  const char* name;
};
constexpr OperatorName kOperatorNames[] = {
    {postfix::kNotEqual, "<>"}, {postfix::kGreaterEqual, ">="}, {postfix::kLessEqual, "<="},
    {postfix::kNegate, "neg"},  {postfix::kPlus, "pos"},         {postfix::kInt, "int"},
    {postfix::kFrac, "frac"},   {postfix::kRound, "round"},      {postfix::kStr, "str"},
    {postfix::kNot, "not"},     {postfix::kMod, "mod"},          {postfix::kAnd, "and"},
    {postfix::kOr, "or"},
};

// The postfix text with its operator codes written out, one blank between
// items.
std::string PostfixText(std::string_view s) {
  std::string out;
  auto add = [&](std::string_view item) {
    if (!out.empty()) out += ' ';
    out.append(item);
  };
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (postfix::IsOperator(c)) {
      ++i;
      const auto named = std::find_if(std::begin(kOperatorNames), std::end(kOperatorNames),
                                      [c](const OperatorName& o) { return o.code == c; });
      add(named != std::end(kOperatorNames) ? std::string_view(named->name) : std::string_view(&s[i - 1], 1));
    } else if (!AboveBlank(c)) {
      ++i;
    } else {
      ExprToken t;
      try {
        t = ReadOperand(s, i);
      } catch (const Error&) {
        add(s.substr(i));
        break;
      }
      add(s.substr(t.begin, t.end - t.begin));
      i = t.end;
    }
  }
  return out;
}

}  // namespace

// ---- code lines ---------------------------------------------------------

TfrCodeLine ReadCodeLine(std::string_view line) {
  TfrCodeLine l;
  const char first = line.empty() ? '\0' : line[0];
  if (first == code::kConditionalJump || first == code::kJump) {
    if (line.size() < 3) throw Error("Invalid script code line: a jump without its target");
    l.kind = first == code::kJump ? TfrCodeKind::Jump : TfrCodeKind::ConditionalJump;
    l.target = static_cast<unsigned char>(line[1]) | static_cast<std::size_t>(static_cast<unsigned char>(line[2])) << 8;
    if (l.kind == TfrCodeKind::ConditionalJump) l.expression = line.substr(3);
    return l;
  }
  if (first == code::kCall) {
    l.kind = TfrCodeKind::Call;
    l.expression = line.substr(1);
    return l;
  }
  l.kind = TfrCodeKind::Assignment;
  std::size_t start = 0;
  while (start < line.size() && line[start] == ' ') ++start;
  const std::size_t end = std::min(line.find(' ', start), line.size());
  if (end == start) throw Error("Invalid script code line: an assignment without a name");
  l.name = line.substr(start, end - start);
  l.expression = line.substr(end);
  return l;
}

std::string CodeLineText(std::string_view text) {
  const TfrCodeLine l = ReadCodeLine(text);
  const std::string target = IntToStr(static_cast<std::int64_t>(l.target));
  switch (l.kind) {
    case TfrCodeKind::ConditionalJump: return "unless " + PostfixText(l.expression) + " goto " + target;
    case TfrCodeKind::Jump: return "goto " + target;
    case TfrCodeKind::Call: return "call " + PostfixText(l.expression);
    default: return std::string(l.name) + " := " + PostfixText(l.expression);
  }
}

// ---- TfrInterpretator -----------------------------------------------------

TfrInterpretator::TfrInterpretator() {
  parser_.OnGetValue = [this](const std::string& name, Variant& value) { GetScriptValue(name, value); };
  parser_.OnFunction = [this](const std::string& name, const std::string& p1, const std::string& p2,
                              const std::string& p3, Variant& result) { CallScriptFunction(name, p1, p2, p3, result); };
}

void TfrInterpretator::GetScriptValue(const std::string&, Variant&) {}
void TfrInterpretator::SetScriptValue(const std::string&, const Variant&) {}
void TfrInterpretator::CallScriptFunction(const std::string&, const std::string&, const std::string&,
                                          const std::string&, Variant&) {}

void TfrInterpretator::CompileScript(const std::vector<std::string>& source, std::vector<std::string>& code,
                                     std::vector<std::string>& errors) {
  std::string text;
  for (const std::string& line : source) {
    text += line;
    text += '\r';
  }
  std::replace(text.begin(), text.end(), '\t', ' ');
  code.clear();
  errors.clear();
  Compiler(std::move(text), code).Compile(errors);
}

bool TfrInterpretator::ScriptCancelled() { return false; }

void TfrInterpretator::RunScript(const std::vector<std::string>& code) {
  // A copy: what the script calls may compile into the same list.
  const std::vector<std::string> lines = code;
  const std::uint64_t maxSteps = MaxSteps;
  std::size_t i = 0;
  for (std::uint64_t steps = 0; i < lines.size(); ++steps) {
    if (steps != 0 && steps % kCheckInterval == 0 && ScriptCancelled()) return;
    if (maxSteps != 0 && steps == maxSteps)
      throw ScriptStepLimit("Script stopped after " + IntToStr(static_cast<std::int64_t>(maxSteps)) + " steps");
    const TfrCodeLine l = ReadCodeLine(lines[i]);
    switch (l.kind) {
      case TfrCodeKind::ConditionalJump: i = EqualsZero(parser_.EvaluatePostfix(l.expression)) ? l.target : i + 1; break;
      case TfrCodeKind::Jump: i = l.target; break;
      case TfrCodeKind::Call:
        if (UpperCase(l.expression) == "EXIT(0)") return;
        parser_.EvaluatePostfix(l.expression);
        ++i;
        break;
      case TfrCodeKind::Assignment: {
        const Variant value = parser_.EvaluatePostfix(l.expression);
        SetScriptValue(std::string(l.name), value);
        ++i;
        break;
      }
    }
  }
}

}  // namespace talven
