#include "data/sql_text.h"

#include <array>
#include <cstddef>

#include "base/text.h"

namespace talven {
namespace {

enum class Tok {
  Space,
  Comment,
  Text,        // '…'
  NationalText,  // N'…'
  QuotedName,  // "…" or […]
  Word,
  Number,
  Mark,   // ?
  Param,  // :name
  LParen,
  RParen,
  Comma,
  Dot,
  Punct,
};

struct Token {
  Tok kind;
  std::size_t begin, end;
};

bool IsWordStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '#' || c == '@' || c >= 0x80;
}
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsWordChar(unsigned char c) { return IsWordStart(c) || IsDigit(c) || c == '$'; }
bool IsParamChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || IsDigit(c) || c >= 0x80;
}

// Index just past a run of characters accepted by pred, a double-byte
// character counting as one accepted character.
template <typename Pred>
std::size_t SkipRun(std::string_view s, std::size_t i, Pred pred) {
  while (i < s.size() && pred(static_cast<unsigned char>(s[i]))) {
    if (IsLeadByte(s[i]) && i + 1 < s.size())
      i += 2;
    else
      ++i;
  }
  return i;
}

// Index just past a quoted run that starts at i (the opening quote) and ends
// with `close`, a doubled close standing for itself.
std::size_t SkipQuoted(std::string_view s, std::size_t i, char close) {
  ++i;
  while (i < s.size()) {
    if (IsLeadByte(s[i]) && i + 1 < s.size()) {
      i += 2;
      continue;
    }
    if (s[i] == close) {
      if (i + 1 < s.size() && s[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return i;
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t start = i;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const unsigned char next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    Tok kind = Tok::Punct;
    if (c <= ' ') {
      while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
      kind = Tok::Space;
    } else if (c == '-' && next == '-') {
      while (i < s.size() && s[i] != '\n') ++i;
      kind = Tok::Comment;
    } else if (c == '/' && next == '*') {
      std::size_t close = s.find("*/", i + 2);
      i = close == std::string_view::npos ? s.size() : close + 2;
      kind = Tok::Comment;
    } else if (c == '\'') {
      i = SkipQuoted(s, i, '\'');
      kind = Tok::Text;
    } else if ((c == 'N' || c == 'n') && next == '\'') {
      i = SkipQuoted(s, i + 1, '\'');
      kind = Tok::NationalText;
    } else if (c == '"') {
      i = SkipQuoted(s, i, '"');
      kind = Tok::QuotedName;
    } else if (c == '[') {
      i = SkipQuoted(s, i, ']');
      kind = Tok::QuotedName;
    } else if (IsDigit(c) || (c == '.' && IsDigit(next))) {
      i = SkipRun(s, i, [](unsigned char b) { return IsDigit(b); });
      if (i < s.size() && s[i] == '.') i = SkipRun(s, i + 1, [](unsigned char b) { return IsDigit(b); });
      if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(static_cast<unsigned char>(s[j])))
          i = SkipRun(s, j, [](unsigned char b) { return IsDigit(b); });
      }
      kind = Tok::Number;
    } else if (IsWordStart(c)) {
      i = SkipRun(s, i, IsWordChar);
      kind = Tok::Word;
    } else if (c == ':' && next != 0 && IsParamChar(next)) {
      i = SkipRun(s, i + 1, IsParamChar);
      kind = Tok::Param;
    } else if (c == ':' && next == ':') {
      i += 2;
    } else if (c == '?') {
      ++i;
      kind = Tok::Mark;
    } else if (c == '(') {
      ++i;
      kind = Tok::LParen;
    } else if (c == ')') {
      ++i;
      kind = Tok::RParen;
    } else if (c == ',') {
      ++i;
      kind = Tok::Comma;
    } else if (c == '.') {
      ++i;
      kind = Tok::Dot;
    } else {
      static constexpr std::array<std::string_view, 7> kTwo = {"<>", "<=", ">=", "!=", "||", "!<", "!>"};
      i += 1;
      for (std::string_view op : kTwo)
        if (s.substr(start, 2) == op) i = start + 2;
    }
    out.push_back({kind, start, i});
  }
  return out;
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> list) {
  for (std::string_view w : list)
    if (SameText(word, w)) return true;
  return false;
}

// Words after which a "+" is a sign, not an operator.
bool IsKeyword(std::string_view word) {
  return IsOneOf(word, {"select", "where", "and", "or", "not", "on", "when", "then", "else", "case", "like", "in",
                        "is", "between", "by", "having", "distinct", "all", "any", "some", "exists", "return",
                        "as", "from", "join", "union", "set", "values", "top"});
}

bool IsTextFunction(std::string_view name) {
  return IsOneOf(name, {"left", "right", "substring", "substr", "upper", "lower", "ltrim", "rtrim", "trim",
                        "replace", "replicate", "reverse", "space", "str", "char", "nchar", "stuff", "concat",
                        "quotename"});
}

// Functions whose value is a number, so that a comparison with them is no
// text comparison.
bool IsNumberFunction(std::string_view name) {
  return IsOneOf(name, {"count", "sum", "avg", "len", "length", "datalength", "abs", "round", "floor", "ceiling",
                        "charindex", "instr", "datediff", "year", "month", "day", "sign", "power", "sqrt"});
}

bool IsComparison(std::string_view op) {
  return op == "=" || op == "<>" || op == "!=" || op == "<" || op == "<=" || op == ">" || op == ">=" || op == "!<" ||
         op == "!>";
}

bool IsCharacterType(std::string_view type) {
  std::string upper = UpperCase(type);
  return upper.find("CHAR") != std::string::npos || upper.find("TEXT") != std::string::npos;
}

class Adapter {
 public:
  Adapter(std::string_view sql, const std::function<ColumnKind(std::string_view)>& columnKind)
      : s_(sql), columnKind_(columnKind), tokens_(Tokenize(sql)), match_(tokens_.size(), kNone),
        concat_(tokens_.size(), false), collateAfter_(tokens_.size(), false) {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].kind == Tok::LParen) {
        open.push_back(i);
      } else if (tokens_[i].kind == Tok::RParen && !open.empty()) {
        match_[i] = open.back();
        match_[open.back()] = i;
        open.pop_back();
      }
    }
    for (std::size_t i = 0; i < tokens_.size(); ++i)
      if (IsPunct(i, "+") && IsBinary(i) && LeftIsText(i) && RightIsText(NextSig(i, tokens_.size())))
        concat_[i] = true;
    MarkTextComparisons();
  }

  std::string Emit() { return Emit(0, tokens_.size()); }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::string_view TextOf(std::size_t i) const {
    return s_.substr(tokens_[i].begin, tokens_[i].end - tokens_[i].begin);
  }
  bool IsSig(std::size_t i) const { return tokens_[i].kind != Tok::Space && tokens_[i].kind != Tok::Comment; }
  bool IsPunct(std::size_t i, std::string_view op) const {
    return i < tokens_.size() && tokens_[i].kind == Tok::Punct && TextOf(i) == op;
  }
  bool IsWord(std::size_t i) const { return i < tokens_.size() && tokens_[i].kind == Tok::Word; }
  bool Is(std::size_t i, Tok kind) const { return i < tokens_.size() && tokens_[i].kind == kind; }

  // The next significant token after i, before `limit`; kNone when none.
  std::size_t NextSig(std::size_t i, std::size_t limit) const {
    for (std::size_t j = i + 1; j < limit; ++j)
      if (IsSig(j)) return j;
    return kNone;
  }
  std::size_t PrevSig(std::size_t i) const {
    for (std::size_t j = i; j-- > 0;)
      if (IsSig(j)) return j;
    return kNone;
  }

  std::string NameOf(std::size_t i) const {
    std::string_view t = TextOf(i);
    if (tokens_[i].kind == Tok::QuotedName && t.size() >= 2) return std::string(t.substr(1, t.size() - 2));
    return std::string(t);
  }

  bool IsBinary(std::size_t plus) const {
    std::size_t p = PrevSig(plus);
    if (p == kNone) return false;
    switch (tokens_[p].kind) {
      case Tok::Word: return !IsKeyword(TextOf(p));
      case Tok::Number:
      case Tok::Text:
      case Tok::NationalText:
      case Tok::QuotedName:
      case Tok::Mark:
      case Tok::Param:
      case Tok::RParen: return true;
      default: return false;
    }
  }

  bool IsTextColumn(std::size_t name) const { return columnKind_(NameOf(name)) == ColumnKind::Text; }
  bool IsNumberColumn(std::size_t name) const { return columnKind_(NameOf(name)) == ColumnKind::Number; }

  // Every comparison gets "collate rtrim" after its left operand unless it
  // is no text comparison (see AdaptToSqlite). A "=" after an update's
  // "set" (at the same depth, before its "where") is an assignment.
  void MarkTextComparisons() {
    std::vector<bool> inSet(1, false);
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      const Tok kind = tokens_[i].kind;
      if (kind == Tok::LParen) inSet.push_back(false);
      if (kind == Tok::RParen && inSet.size() > 1) inSet.pop_back();
      if (kind == Tok::Word) {
        const std::string_view w = TextOf(i);
        if (SameText(w, "set")) inSet.back() = true;
        else if (SameText(w, "where") || SameText(w, "from") || SameText(w, "select")) inSet.back() = false;
      }
      const bool in = IsWord(i) && SameText(TextOf(i), "in");
      if (!(in || (kind == Tok::Punct && IsComparison(TextOf(i))))) continue;
      if (!in && inSet.back()) continue;
      std::size_t left = PrevSig(i);
      if (in && left != kNone && IsWord(left) && SameText(TextOf(left), "not")) left = PrevSig(left);
      if (left == kNone || !LeftMayBeText(left)) continue;
      if (!RightMayBeText(NextSig(i, tokens_.size()), in)) continue;
      collateAfter_[left] = true;
    }
  }

  // Whether the operand that ends at token i may be a text.
  bool LeftMayBeText(std::size_t i) const {
    switch (tokens_[i].kind) {
      case Tok::Number: return false;
      case Tok::Text:
      case Tok::NationalText:
      case Tok::Mark:
      case Tok::Param: return true;
      case Tok::QuotedName: return !IsNumberColumn(i);
      case Tok::Word: {
        if (IsKeyword(TextOf(i))) return false;
        // "x collate nocase = …" has its collation already.
        const std::size_t before = PrevSig(i);
        if (before != kNone && IsWord(before) && SameText(TextOf(before), "collate")) return false;
        return !IsNumberColumn(i);
      }
      case Tok::RParen: {
        const std::size_t open = match_[i];
        if (open == kNone) return false;
        const std::size_t before = PrevSig(open);
        if (before != kNone && IsWord(before) && !IsKeyword(TextOf(before))) return !IsNumberFunction(TextOf(before));
        const std::size_t first = NextSig(open, i);
        return first == kNone || !Is(first, Tok::Number);
      }
      default: return false;
    }
  }

  // Whether the operand that starts at token i may be a text; for "in", i is
  // the "(" of its list or subquery.
  bool RightMayBeText(std::size_t i, bool in) const {
    if (i == kNone) return false;
    if (in) {
      if (!Is(i, Tok::LParen) || match_[i] == kNone) return false;
      std::size_t first = NextSig(i, match_[i]);
      if (first == kNone) return false;
      if (IsWord(first) && SameText(TextOf(first), "select")) {
        first = NextSig(first, match_[i]);
        if (first != kNone && IsWord(first) && (SameText(TextOf(first), "distinct") || SameText(TextOf(first), "all")))
          first = NextSig(first, match_[i]);
        if (first == kNone) return false;
      }
      return RightMayBeText(first, false);
    }
    switch (tokens_[i].kind) {
      case Tok::Number: return false;
      case Tok::Punct: {
        // A sign: a number follows.
        const std::size_t next = NextSig(i, tokens_.size());
        return !((TextOf(i) == "-" || TextOf(i) == "+") && Is(next, Tok::Number));
      }
      case Tok::LParen: {
        const std::size_t first = match_[i] == kNone ? kNone : NextSig(i, match_[i]);
        return first == kNone || !Is(first, Tok::Number);
      }
      case Tok::Word:
      case Tok::QuotedName: {
        std::size_t last = i;
        for (;;) {
          const std::size_t dot = NextSig(last, tokens_.size());
          if (!Is(dot, Tok::Dot)) break;
          const std::size_t name = NextSig(dot, tokens_.size());
          if (!IsWord(name) && !Is(name, Tok::QuotedName)) break;
          last = name;
        }
        const std::size_t after = NextSig(last, tokens_.size());
        if (IsWord(last) && Is(after, Tok::LParen)) return !IsNumberFunction(TextOf(last));
        return !IsNumberColumn(last);
      }
      default: return true;
    }
  }

  bool LeftIsText(std::size_t plus) const {
    std::size_t p = PrevSig(plus);
    switch (tokens_[p].kind) {
      case Tok::Text:
      case Tok::NationalText:
      case Tok::Mark:
      case Tok::Param: return true;
      case Tok::Word:
      case Tok::QuotedName: return IsTextColumn(p);
      case Tok::RParen: {
        std::size_t open = match_[p];
        if (open == kNone) return false;
        std::size_t before = PrevSig(open);
        if (before != kNone && IsWord(before) && !IsKeyword(TextOf(before))) return CallIsText(before, open);
        return GroupIsText(open);
      }
      default: return false;
    }
  }

  // Whether the operand that starts at token i is a text.
  bool RightIsText(std::size_t i) const {
    if (i == kNone) return false;
    switch (tokens_[i].kind) {
      case Tok::Text:
      case Tok::NationalText:
      case Tok::Mark:
      case Tok::Param: return true;
      case Tok::LParen: return GroupIsText(i);
      case Tok::Word:
      case Tok::QuotedName: {
        std::size_t last = i;
        for (;;) {
          std::size_t dot = NextSig(last, tokens_.size());
          if (!Is(dot, Tok::Dot)) break;
          std::size_t name = NextSig(dot, tokens_.size());
          if (!IsWord(name) && !Is(name, Tok::QuotedName)) break;
          last = name;
        }
        std::size_t after = NextSig(last, tokens_.size());
        if (IsWord(last) && Is(after, Tok::LParen)) return CallIsText(last, after);
        return IsTextColumn(last);
      }
      default: return false;
    }
  }

  bool CallIsText(std::size_t name, std::size_t open) const {
    std::string_view fn = TextOf(name);
    std::size_t close = match_[open];
    if (close == kNone) return false;
    if (IsTextFunction(fn)) return true;
    if (SameText(fn, "cast")) {
      for (std::size_t j = open + 1; j < close; ++j)
        if (IsWord(j) && SameText(TextOf(j), "as")) {
          std::size_t type = NextSig(j, close);
          return type != kNone && IsCharacterType(TextOf(type));
        }
      return false;
    }
    if (SameText(fn, "convert")) {
      std::size_t type = NextSig(open, close);
      return type != kNone && IsWord(type) && IsCharacterType(TextOf(type));
    }
    if (SameText(fn, "isnull") || SameText(fn, "coalesce")) return RightIsText(NextSig(open, close));
    return false;
  }

  bool GroupIsText(std::size_t open) const {
    std::size_t close = match_[open];
    std::size_t first = NextSig(open, close == kNone ? tokens_.size() : close);
    if (first == kNone || (IsWord(first) && SameText(TextOf(first), "select"))) return false;
    return RightIsText(first);
  }

  // Emits the tokens in [from, to) without the blanks at either end.
  std::string EmitTrimmed(std::size_t from, std::size_t to) {
    while (from < to && !IsSig(from)) ++from;
    while (to > from && !IsSig(to - 1)) --to;
    return Emit(from, to);
  }

  std::string Emit(std::size_t from, std::size_t to) {
    std::string out;
    out.reserve(s_.size());
    for (std::size_t i = from; i < to; ++i) {
      const Token& t = tokens_[i];
      if (t.kind == Tok::Word && SameText(TextOf(i), "left")) {
        std::size_t before = PrevSig(i);
        std::size_t open = NextSig(i, to);
        if ((before == kNone || !Is(before, Tok::Dot)) && Is(open, Tok::LParen) && match_[open] != kNone &&
            match_[open] < to) {
          std::size_t close = match_[open];
          std::vector<std::size_t> commas;
          int depth = 0;
          for (std::size_t j = open + 1; j < close; ++j) {
            if (tokens_[j].kind == Tok::LParen) ++depth;
            if (tokens_[j].kind == Tok::RParen) --depth;
            if (tokens_[j].kind == Tok::Comma && depth == 0) commas.push_back(j);
          }
          if (commas.size() == 1) {
            out += "substr(" + EmitTrimmed(open + 1, commas[0]) + ", 1, " + EmitTrimmed(commas[0] + 1, close) + ")";
            i = close;
            if (collateAfter_[i]) out += " collate rtrim";
            continue;
          }
        }
      }
      if (t.kind == Tok::NationalText) {
        out.append(s_.substr(t.begin + 1, t.end - t.begin - 1));
      } else if (concat_[i]) {
        out += "||";
      } else {
        out.append(TextOf(i));
      }
      if (collateAfter_[i]) out += " collate rtrim";
    }
    return out;
  }

  std::string_view s_;
  const std::function<ColumnKind(std::string_view)>& columnKind_;
  std::vector<Token> tokens_;
  std::vector<std::size_t> match_;
  std::vector<bool> concat_;
  std::vector<bool> collateAfter_;
};

}  // namespace

PositionalCommand ToPositional(std::string_view command) {
  PositionalCommand out;
  out.text.reserve(command.size());
  for (const Token& t : Tokenize(command)) {
    std::string_view text = command.substr(t.begin, t.end - t.begin);
    if (t.kind == Tok::Param) {
      out.text += '?';
      out.marks.emplace_back(text.substr(1));
    } else if (t.kind == Tok::Punct && text == "::") {
      out.text += ':';
    } else {
      out.text.append(text);
    }
  }
  return out;
}

std::vector<std::string> ParameterNames(std::string_view command) {
  std::vector<std::string> names;
  for (std::string& mark : ToPositional(command).marks) {
    bool seen = false;
    for (const std::string& n : names) seen = seen || SameText(n, mark);
    if (!seen) names.push_back(std::move(mark));
  }
  return names;
}

std::string AdaptToSqlite(std::string_view sql, const std::function<ColumnKind(std::string_view column)>& columnKind) {
  return Adapter(sql, columnKind).Emit();
}

}  // namespace talven
