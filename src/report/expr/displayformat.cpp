#include "report/expr/displayformat.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/convert.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/format.h"
#include "base/formatsettings.h"
#include "base/text.h"
#include "report/expr/values.h"

namespace talven {
namespace {

const char* const kDateFormats[4] = {"yy.mm.dd", "yyyy.mm.dd", nullptr, nullptr};
const char* const kTimeFormats[4] = {"hh:nn:ss", "h:nn:ss", "hh:nn", "h:nn"};

std::string DatePattern(int index) {
  if (index == 2) return "yyyy''年''mm''月''dd''日''"_gbk;
  if (index == 3) return Settings().longDateFormat;
  return kDateFormats[index];
}

std::string BooleanPattern(int index) {
  switch (index) {
    case 0: return "0;1";
    case 1: return "否;是"_gbk;
    case 2: return "_;x";
    default: return "假;真"_gbk;
  }
}

// Fixed notation with up to 15 significant digits; larger numbers than
// that take the general form.
std::string Fixed(double v, int decimals, bool thousands) {
  if (std::fabs(v) >= 1e15) return FloatToStr(v);
  return FormatFixed(v, decimals, thousands, 15);
}

std::string FormatNumber(double v, int index, int decimals, std::string_view custom) {
  switch (index) {
    case 0: return FormatFloat("##0." + std::string(static_cast<std::size_t>(decimals), '#'), v);
    case 1: return Fixed(v, decimals, false);
    case 2: return FormatFloat("#,##0." + std::string(static_cast<std::size_t>(decimals), '#'), v);
    case 3: return Fixed(v, decimals, true);
    default: return FormatFloat(custom, v);
  }
}

std::string Formatted(const Variant& value, int category, int index, int decimals, char separator,
                      std::string_view custom) {
  if (category != fmtText && index > 4) return value.AsText();
  switch (category) {
    case fmtText: return value.AsText();
    case fmtNumber: {
      const double v = VarToNumber(value);
      DecimalSeparatorScope scope(separator != 0 ? separator : Settings().decimalSeparator);
      return FormatNumber(v, index, decimals, custom);
    }
    case fmtDate: return FormatDateTime(index == 4 ? std::string(custom) : DatePattern(index), VarToDateTime(value));
    case fmtTime: return FormatDateTime(index == 4 ? std::string(custom) : kTimeFormats[index], VarToDateTime(value));
    case fmtBoolean: {
      const std::string pattern = index == 4 ? std::string(custom) : BooleanPattern(index);
      const std::size_t semicolon = pattern.find(';');
      if (value.AsBoolean()) return semicolon == std::string::npos ? pattern : pattern.substr(semicolon + 1);
      return semicolon == std::string::npos ? std::string() : pattern.substr(0, semicolon);
    }
    default: return {};
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string ApplyDisplayFormat(const Variant& value, std::int32_t code, std::string_view customText) {
  // A text of blanks prints as nothing; line breaks are printed (a memo
  // value "[CRLF]" starts a new line).
  if (value.IsEmpty() || (value.IsText() && value.textValue().find_first_not_of(' ') == std::string::npos)) return {};
  const int category = FormatCategory(code);
  if (category > fmtBoolean) return {};
  try {
    return Formatted(value, category, FormatIndex(code), FormatDecimals(code), FormatSeparator(code), customText);
  } catch (const Error&) {
    return value.AsText();
  }
}

void ApplyBracketFormat(std::string_view format, std::int32_t& code, std::string& customText) {
  if (format.empty()) return;
  std::string s(format);
  if (IsDigit(s[0])) s.insert(0, "N");
  const char kind = s[0];
  if (kind == 'N' || kind == 'n') {
    const bool fixed = s.size() > 1 && IsDigit(s[1]);
    char separator = FormatSeparator(code);
    int decimals = FormatDecimals(code);
    for (std::size_t i = s.size() - 1; i >= 1; --i) {
      if (s[i] != ',' && s[i] != '-' && s[i] != '.') continue;
      separator = s[i];
      s[i] = '.';
      if (fixed) {
        decimals = 0;
        for (std::size_t j = i + 1; j < s.size() && IsDigit(s[j]); ++j) decimals = std::min(decimals * 10 + (s[j] - '0'), 255);
      }
      break;
    }
    if (!fixed) customText = s.substr(1);
    code = MakeDisplayFormat(fmtNumber, fixed ? 1 : 4, decimals, separator);
  } else if (kind == 'B' || kind == 'b') {
    customText = s.substr(1);
    code = MakeDisplayFormat(fmtBoolean, 4, FormatDecimals(code), FormatSeparator(code));
  } else if (kind == 'D' || kind == 'd' || kind == 'T' || kind == 't') {
    customText = s.substr(1);
    code = MakeDisplayFormat(fmtDate, 4, FormatDecimals(code), FormatSeparator(code));
  }
}

std::string FormatMaskText(std::string_view mask, std::string_view value) {
  // The last two ";" fields: whether literals are part of the value, and
  // the character that fills missing positions.
  char blank = ' ';
  bool saveLiterals = true;
  std::size_t last = mask.rfind(';');
  if (last != std::string_view::npos) {
    if (last + 1 < mask.size()) blank = mask[last + 1];
    std::string_view rest = mask.substr(0, last);
    std::size_t before = rest.rfind(';');
    if (before != std::string_view::npos) {
      saveLiterals = before + 1 < rest.size() && rest[before + 1] != '0';
      mask = rest.substr(0, before);
    } else {
      saveLiterals = last + 1 < mask.size() && mask[last + 1] != '0';
      blank = ' ';
      mask = rest;
    }
  }

  // The mask as a sequence of positions: a literal text, or a data slot.
  struct Position {
    bool data;
    std::string literal;
    int letterCase;  // -1 lower, 0 as is, 1 upper
  };
  std::vector<Position> positions;
  bool leadingBlanks = false;
  int letterCase = 0;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    if (IsLeadByte(c) && i + 1 < mask.size()) {
      positions.push_back({false, std::string(mask.substr(i, 2)), 0});
      ++i;
      continue;
    }
    switch (c) {
      case '!': leadingBlanks = true; break;
      case '>': letterCase = 1; break;
      case '<':
        if (i + 1 < mask.size() && mask[i + 1] == '>') {
          letterCase = 0;
          ++i;
        } else {
          letterCase = -1;
        }
        break;
      case '\\':
        if (i + 1 < mask.size()) {
          std::size_t width = IsLeadByte(mask[i + 1]) && i + 2 < mask.size() ? 2 : 1;
          positions.push_back({false, std::string(mask.substr(i + 1, width)), 0});
          i += width;
        }
        break;
      case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#':
        positions.push_back({true, {}, letterCase});
        break;
      case ':': positions.push_back({false, std::string(1, Settings().timeSeparator), 0}); break;
      case '/': positions.push_back({false, std::string(1, Settings().dateSeparator), 0}); break;
      case '_': positions.push_back({false, " ", 0}); break;
      default: positions.push_back({false, std::string(1, c), 0}); break;
    }
  }

  // The value's characters, whole double-byte characters counting as one.
  std::vector<std::string_view> chars;
  for (std::size_t i = 0; i < value.size();) {
    std::size_t width = IsLeadByte(value[i]) && i + 1 < value.size() ? 2 : 1;
    chars.push_back(value.substr(i, width));
    i += width;
  }
  std::size_t slots = 0;
  for (const Position& p : positions) slots += p.data ? 1 : 0;

  std::string out;
  std::size_t next = 0;
  std::size_t missing = 0;
  if (!saveLiterals && leadingBlanks && chars.size() < slots) missing = slots - chars.size();
  for (const Position& p : positions) {
    if (!p.data) {
      out += p.literal;
      if (saveLiterals && next < chars.size() && chars[next] == p.literal) ++next;
      continue;
    }
    if (missing > 0) {
      --missing;
      out += blank;
    } else if (next < chars.size()) {
      std::string ch(chars[next++]);
      out += p.letterCase > 0 ? UpperCase(ch) : p.letterCase < 0 ? LowerCase(ch) : ch;
    } else {
      out += blank;
    }
  }
  return out;
}

}  // namespace talven
