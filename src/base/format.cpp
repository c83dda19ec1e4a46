#include "base/format.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "base/convert.h"
#include "base/error.h"
#include "base/formatsettings.h"
#include "base/text.h"

namespace talven {
namespace {

// ---- Format -------------------------------------------------------------

[[noreturn]] void FormatMismatch(std::string_view pattern) {
  throw ConvertError("Format '" + std::string(pattern) + "' invalid or incompatible with argument");
}

std::string GeneralFloat(double v, int precision) {
  if (precision <= 0 || precision > 15) precision = 15;
  DecimalDigits d = FloatToDecimal(v, precision, 9999);
  if (d.nan) return "NAN";
  if (d.infinite) return d.negative ? "-INF" : "INF";
  if (d.digits.empty()) return "0";
  const char sep = Settings().decimalSeparator;
  std::string out = d.negative ? "-" : "";
  if (d.exponent > precision || d.exponent < -3) {
    out += d.digits[0];
    if (d.digits.size() > 1) out.append(1, sep).append(d.digits, 1);
    out += 'E' + std::to_string(d.exponent - 1);
  } else if (d.exponent <= 0) {
    out.append("0").append(1, sep).append(static_cast<std::size_t>(-d.exponent), '0').append(d.digits);
  } else {
    std::size_t intLen = static_cast<std::size_t>(d.exponent);
    if (d.digits.size() <= intLen) {
      out.append(d.digits).append(intLen - d.digits.size(), '0');
    } else {
      out.append(d.digits, 0, intLen).append(1, sep).append(d.digits, intLen);
    }
  }
  return out;
}

std::string ExponentFloat(double v, int precision) {
  if (precision <= 0 || precision > 18) precision = 15;
  DecimalDigits d = FloatToDecimal(v, precision, 9999);
  if (d.nan) return "NAN";
  if (d.infinite) return d.negative ? "-INF" : "INF";
  std::string digits = d.digits.empty() ? "0" : d.digits;
  digits.resize(static_cast<std::size_t>(precision), '0');
  int exp = d.digits.empty() ? 0 : d.exponent - 1;
  std::string out = d.negative ? "-" : "";
  out += digits[0];
  if (digits.size() > 1) out.append(1, Settings().decimalSeparator).append(digits, 1);
  out += exp < 0 ? "E-" : "E+";
  std::string e = std::to_string(std::abs(exp));
  if (e.size() < 3) e.insert(0, 3 - e.size(), '0');
  return out + e;
}

}  // namespace

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
  std::vector<const FormatArg*> list;
  for (const FormatArg& a : args) list.push_back(&a);
  std::size_t next = 0;
  std::string out;
  std::size_t i = 0;
  auto readNumber = [&](int& n) -> bool {
    if (i < pattern.size() && pattern[i] == '*') {
      ++i;
      if (next >= list.size() || !list[next]->integer()) FormatMismatch(pattern);
      n = static_cast<int>(*list[next++]->integer());
      return true;
    }
    bool any = false;
    n = 0;
    while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
      n = n * 10 + (pattern[i++] - '0');
      if (n > 100000) FormatMismatch(pattern);
      any = true;
    }
    return any;
  };
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    if (i < pattern.size() && pattern[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index ":"] ["-"] [width] ["." precision] type
    std::size_t save = i;
    int n;
    if (readNumber(n) && i < pattern.size() && pattern[i] == ':') {
      next = static_cast<std::size_t>(n);
      ++i;
    } else {
      i = save;
    }
    bool left = false;
    if (i < pattern.size() && pattern[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0, precision = -1;
    readNumber(width);
    if (i < pattern.size() && pattern[i] == '.') {
      ++i;
      if (!readNumber(precision)) precision = 0;
    }
    if (i >= pattern.size()) FormatMismatch(pattern);
    char type = static_cast<char>(pattern[i++] | 0x20);
    if (next >= list.size()) FormatMismatch(pattern);
    const FormatArg& arg = *list[next++];
    auto number = [&]() -> double {
      if (const double* d = arg.floating()) return *d;
      if (const std::int64_t* v = arg.integer()) return static_cast<double>(*v);
      FormatMismatch(pattern);
    };
    std::string piece;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        const std::int64_t* v = arg.integer();
        if (!v) FormatMismatch(pattern);
        std::uint64_t mag;
        bool negative = false;
        if (type == 'd') {
          negative = *v < 0;
          mag = negative ? 0 - static_cast<std::uint64_t>(*v) : static_cast<std::uint64_t>(*v);
        } else {
          // Negative values show the bit pattern of a 32-bit integer, as the
          // runtime's integers are 32 bits wide.
          mag = (*v < 0 && *v >= INT32_MIN) ? static_cast<std::uint32_t>(*v) : static_cast<std::uint64_t>(*v);
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, type == 'x' ? "%llX" : "%llu", static_cast<unsigned long long>(mag));
        piece = buf;
        if (precision > 0 && piece.size() < static_cast<std::size_t>(precision))
          piece.insert(0, static_cast<std::size_t>(precision) - piece.size(), '0');
        if (negative) piece.insert(0, 1, '-');
        break;
      }
      case 'f':
        piece = FormatFixed(number(), precision < 0 ? 2 : std::min(precision, 18), false);
        break;
      case 'n':
        piece = FormatFixed(number(), precision < 0 ? 2 : std::min(precision, 18), true);
        break;
      case 'e':
        piece = ExponentFloat(number(), precision < 0 ? 15 : precision);
        break;
      case 'g':
        piece = GeneralFloat(number(), precision < 0 ? 15 : precision);
        break;
      case 's': {
        const std::string* s = arg.text();
        if (!s) FormatMismatch(pattern);
        piece = precision >= 0 ? s->substr(0, static_cast<std::size_t>(precision)) : *s;
        break;
      }
      default:
        FormatMismatch(pattern);
    }
    if (piece.size() < static_cast<std::size_t>(width)) {
      std::string pad(static_cast<std::size_t>(width) - piece.size(), ' ');
      piece = left ? piece + pad : pad + piece;
    }
    out += piece;
  }
  return out;
}

// ---- FormatFloat --------------------------------------------------------

namespace {

// The digit layout of one section of a number pattern.
struct NumberSection {
  std::string_view text;
  int digitCount = 0;     // "0" and "#" letters before any exponent
  int decimalIndex = -1;  // letters before the first "."
  int firstZero = -1;     // index of the first "0" letter
  int lastZero = 0;       // letters up to and including the last "0"
  bool thousands = false;
  bool scientific = false;
};

// Calls f(i, length) for each character of s, skipping quoted literals and
// keeping double-byte characters whole; f returns the length it consumed.
template <typename F>
void WalkPattern(std::string_view s, F f) {
  for (std::size_t i = 0; i < s.size();) {
    char c = s[i];
    if (IsLeadByte(c) && i + 1 < s.size()) {
      i += 2;
    } else if (c == '\'' || c == '"') {
      std::size_t close = s.find(c, i + 1);
      i = close == std::string_view::npos ? s.size() : close + 1;
    } else {
      i += f(i);
    }
  }
}

std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  WalkPattern(pattern, [&](std::size_t i) -> std::size_t {
    if (pattern[i] == ';' && sections.size() < 2) {
      sections.push_back(pattern.substr(start, i - start));
      start = i + 1;
    }
    return 1;
  });
  sections.push_back(pattern.substr(start));
  return sections;
}

bool IsExponentAt(std::string_view s, std::size_t i) {
  return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

NumberSection ScanSection(std::string_view text) {
  NumberSection n;
  n.text = text;
  WalkPattern(text, [&](std::size_t i) -> std::size_t {
    if (n.scientific) return 1;
    char c = text[i];
    if (c == '0' || c == '#') {
      if (c == '0') {
        if (n.firstZero < 0) n.firstZero = n.digitCount;
        n.lastZero = n.digitCount + 1;
      }
      ++n.digitCount;
    } else if (c == '.') {
      if (n.decimalIndex < 0) n.decimalIndex = n.digitCount;
    } else if (c == ',') {
      n.thousands = true;
    } else if (IsExponentAt(text, i)) {
      n.scientific = true;
    }
    return 1;
  });
  if (n.decimalIndex < 0) n.decimalIndex = n.digitCount;
  if (n.firstZero < 0) n.firstZero = n.digitCount;
  return n;
}

std::string Render(const NumberSection& sec, const DecimalDigits& d, bool minus) {
  const FormatSettings& fs = Settings();
  const std::string_view f = sec.text;
  std::string intDigits, fracDigits;
  int shownExponent = 0;
  if (sec.scientific) {
    if (!d.digits.empty()) {
      shownExponent = d.exponent - sec.decimalIndex;
      intDigits = d.digits.substr(0, static_cast<std::size_t>(sec.decimalIndex));
      intDigits.resize(static_cast<std::size_t>(sec.decimalIndex), '0');
      if (d.digits.size() > static_cast<std::size_t>(sec.decimalIndex))
        fracDigits = d.digits.substr(static_cast<std::size_t>(sec.decimalIndex));
    }
    // Leading zeros of the mantissa count as insignificant.
    std::size_t z = intDigits.find_first_not_of('0');
    intDigits = z == std::string::npos ? "" : intDigits.substr(z);
  } else if (!d.digits.empty()) {
    if (d.exponent > 0) {
      std::size_t intLen = static_cast<std::size_t>(d.exponent);
      intDigits = d.digits.substr(0, std::min(intLen, d.digits.size()));
      intDigits.resize(intLen, '0');
      if (d.digits.size() > intLen) fracDigits = d.digits.substr(intLen);
    } else {
      fracDigits = std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
    }
  }
  const int fracPlaces = sec.digitCount - sec.decimalIndex;
  const int fracShown =
      std::min(fracPlaces, std::max(static_cast<int>(fracDigits.size()), sec.lastZero - sec.decimalIndex));

  std::string out = minus ? "-" : "";
  const int intCount = static_cast<int>(intDigits.size());
  bool leadingDone = false;
  // The integer digit at `place` counted from the decimal point (1 = units),
  // and the thousands separator that follows it.
  auto putIntDigit = [&](int place, bool forced) {
    if (place <= intCount) out += intDigits[static_cast<std::size_t>(intCount - place)];
    else if (forced) out += '0';
    else return;
    if (sec.thousands && place > 1 && (place - 1) % 3 == 0) out += fs.thousandSeparator;
  };
  auto putLeading = [&]() {
    if (leadingDone) return;
    leadingDone = true;
    for (int place = intCount; place > sec.decimalIndex; --place) putIntDigit(place, false);
  };
  int letter = 0;
  bool pointDone = false;
  for (std::size_t i = 0; i < f.size();) {
    char c = f[i];
    if (IsLeadByte(c) && i + 1 < f.size()) {
      out.append(f.substr(i, 2));
      i += 2;
      continue;
    }
    if (c == '\'' || c == '"') {
      std::size_t close = f.find(c, i + 1);
      if (close == std::string_view::npos) close = f.size();
      out.append(f.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    if (sec.scientific && IsExponentAt(f, i)) {
      bool plus = f[i + 1] == '+';
      std::size_t j = i + 2, zeros = 0;
      while (j < f.size() && f[j] == '0' && zeros < 4) ++j, ++zeros;
      out += c;
      if (shownExponent < 0) out += '-';
      else if (plus) out += '+';
      std::string e = std::to_string(std::abs(shownExponent));
      if (e.size() < zeros) e.insert(0, zeros - e.size(), '0');
      out += e;
      // Whatever follows the exponent is copied as literal text.
      for (i = j; i < f.size(); ++i) {
        if (f[i] == '\'' || f[i] == '"') continue;
        out += f[i];
      }
      break;
    }
    if ((c == '0' || c == '#') && letter < sec.digitCount) {
      if (letter < sec.decimalIndex) {
        putLeading();
        putIntDigit(sec.decimalIndex - letter, letter >= sec.firstZero);
      } else {
        putLeading();
        int j = letter - sec.decimalIndex;
        if (j < fracShown) out += j < static_cast<int>(fracDigits.size()) ? fracDigits[static_cast<std::size_t>(j)] : '0';
      }
      ++letter;
    } else if (c == '.' && !pointDone) {
      pointDone = true;
      putLeading();
      if (fracShown > 0) out += fs.decimalSeparator;
    } else if (c == ',' ) {
      // Only asks for separators; the separators themselves come with digits.
    } else {
      out += c;
    }
    ++i;
  }
  return out;
}

// The value's digits as the section shows them, or nullopt when the value is
// too large for a fixed layout.
std::optional<DecimalDigits> DigitsFor(const NumberSection& sec, double value) {
  if (sec.scientific) return FloatToDecimal(value, std::max(sec.digitCount, 1), 9999);
  DecimalDigits d = FloatToDecimal(value, 18, sec.digitCount - sec.decimalIndex);
  if (d.exponent > 18) return std::nullopt;
  return d;
}

}  // namespace

std::string FormatFloat(std::string_view pattern, double value) {
  if (pattern.empty() || std::isnan(value) || std::isinf(value)) return FloatToStr(value);
  std::vector<std::string_view> texts = SplitSections(pattern);
  auto section = [&](std::size_t k) -> std::string_view {
    return k < texts.size() && !texts[k].empty() ? texts[k] : texts[0];
  };
  const bool hasNegative = texts.size() > 1 && !texts[1].empty();
  const bool hasZero = texts.size() > 2 && !texts[2].empty();
  const NumberSection zero = ScanSection(section(2));
  if (value == 0) return Render(zero, DecimalDigits{}, false);
  const NumberSection sec = ScanSection(value < 0 ? section(1) : section(0));
  const double magnitude = value < 0 && hasNegative ? -value : value;
  std::optional<DecimalDigits> d = DigitsFor(sec, magnitude);
  if (!d) return FloatToStr(value);
  // A value that rounds to zero in its own section prints as zero.
  if (d->digits.empty() && hasZero) return Render(zero, DecimalDigits{}, false);
  const bool minus = value < 0 && !hasNegative && !d->digits.empty();
  return Render(sec, *d, minus);
}

}  // namespace talven
