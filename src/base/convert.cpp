#include "base/convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "base/error.h"
#include "base/formatsettings.h"

namespace talven {
namespace {

[[noreturn]] void ThrowInvalidInteger(std::string_view s) {
  throw ConvertError("'" + std::string(s) + "' is not a valid integer value");
}

[[noreturn]] void ThrowInvalidFloat(std::string_view s) {
  throw ConvertError("'" + std::string(s) + "' is not a valid floating point value");
}

template <typename Int>
std::optional<Int> ParseInteger(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  using UInt = std::make_unsigned_t<Int>;
  using U64 = unsigned long long;
  const U64 maxPositive = static_cast<U64>(std::numeric_limits<Int>::max());
  // A hexadecimal text may spell the bit pattern of a negative number ($FFFFFFFF).
  const U64 maxMagnitude = negative ? maxPositive + 1 : (base == 16 ? static_cast<U64>(static_cast<UInt>(-1)) : maxPositive);
  U64 acc = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned d;
    if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
    else return std::nullopt;
    if (acc > (maxMagnitude - d) / static_cast<unsigned>(base)) return std::nullopt;
    acc = acc * static_cast<unsigned>(base) + d;
  }
  if (negative) return static_cast<Int>(static_cast<UInt>(0) - static_cast<UInt>(acc));
  return static_cast<Int>(static_cast<UInt>(acc));
}

}  // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view s) { return ParseInteger<std::int32_t>(s); }
std::optional<std::int64_t> TryStrToInt64(std::string_view s) { return ParseInteger<std::int64_t>(s); }

std::int32_t StrToInt(std::string_view s) {
  if (auto v = TryStrToInt(s)) return *v;
  ThrowInvalidInteger(s);
}

std::int64_t StrToInt64(std::string_view s) {
  if (auto v = TryStrToInt64(s)) return *v;
  ThrowInvalidInteger(s);
}

std::int32_t StrToIntDef(std::string_view s, std::int32_t fallback) { return TryStrToInt(s).value_or(fallback); }

std::optional<double> TryStrToFloat(std::string_view s) {
  const char sep = Settings().decimalSeparator;
  std::size_t i = 0, n = s.size();
  while (i < n && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  while (n > i && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  std::string c;  // the number in the C library's notation
  if (i < n && (s[i] == '+' || s[i] == '-')) c += s[i++];
  std::size_t digits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') c += s[i++], ++digits;
  if (i < n && s[i] == sep) {
    c += '.';
    ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') c += s[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) c += s[i++];
    std::size_t expDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') c += s[i++], ++expDigits;
    if (expDigits == 0) return std::nullopt;
  }
  if (i != n) return std::nullopt;
  double v = std::strtod(c.c_str(), nullptr);
  if (std::isinf(v)) return std::nullopt;
  return v;
}

double StrToFloat(std::string_view s) {
  if (auto v = TryStrToFloat(s)) return *v;
  ThrowInvalidFloat(s);
}

std::string IntToStr(std::int64_t v) { return std::to_string(v); }

DecimalDigits FloatToDecimal(double v, int precision, int decimals) {
  DecimalDigits d;
  if (std::isnan(v)) {
    d.nan = true;
    return d;
  }
  if (std::isinf(v)) {
    d.infinite = true;
    d.negative = v < 0;
    return d;
  }
  if (v == 0) return d;
  if (precision > 18) precision = 18;
  if (precision < 1) precision = 1;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
  // buf is "d.ddddddddddddddddde[+-]xx"
  std::string all;
  all += buf[0];
  all.append(buf + 2, 17);
  int exp10 = std::atoi(buf + 20);
  int exponent = exp10 + 1;
  long keepLong = std::min<long>(precision, static_cast<long>(exponent) + decimals);
  if (keepLong < 0) return d;
  std::size_t keep = static_cast<std::size_t>(keepLong);
  std::string kept = all.substr(0, keep);
  if (all[keep] >= '5') {
    // Round half away from zero on the decimal digits.
    std::size_t k = kept.size();
    while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
    if (k == 0) {
      kept.insert(kept.begin(), '1');
      ++exponent;
      // The carry made one digit more; drop it (it is a zero), unless it is
      // the only one, as when 0.009 rounds up to 0.01.
      if (kept.size() > keep && kept.size() > 1) kept.pop_back();
    } else {
      ++kept[k - 1];
    }
  }
  while (!kept.empty() && kept.back() == '0') kept.pop_back();
  if (kept.empty()) return d;
  d.negative = v < 0;
  d.exponent = exponent;
  d.digits = std::move(kept);
  return d;
}

std::string FloatToStr(double v) {
  DecimalDigits d = FloatToDecimal(v, 15, 9999);
  if (d.nan) return "NAN";
  if (d.infinite) return d.negative ? "-INF" : "INF";
  if (d.digits.empty()) return "0";
  const char sep = Settings().decimalSeparator;
  std::string out = d.negative ? "-" : "";
  if (d.exponent > 15 || d.exponent < -3) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out += sep;
      out.append(d.digits, 1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
    return out;
  }
  if (d.exponent <= 0) {
    out += '0';
    out += sep;
    out.append(static_cast<std::size_t>(-d.exponent), '0');
    out += d.digits;
    return out;
  }
  std::size_t intLen = static_cast<std::size_t>(d.exponent);
  if (d.digits.size() <= intLen) {
    out += d.digits;
    out.append(intLen - d.digits.size(), '0');
  } else {
    out.append(d.digits, 0, intLen);
    out += sep;
    out.append(d.digits, intLen);
  }
  return out;
}

std::string FormatFixed(double v, int decimals, bool thousands, int precision) {
  DecimalDigits d = FloatToDecimal(v, precision, decimals);
  if (d.nan) return "NAN";
  if (d.infinite) return d.negative ? "-INF" : "INF";
  const FormatSettings& fs = Settings();
  std::string intPart, fracPart;
  if (d.digits.empty() || d.exponent <= 0) {
    intPart = "0";
    if (!d.digits.empty()) fracPart.assign(static_cast<std::size_t>(-d.exponent), '0').append(d.digits);
  } else {
    std::size_t intLen = static_cast<std::size_t>(d.exponent);
    if (d.digits.size() <= intLen) {
      intPart = d.digits + std::string(intLen - d.digits.size(), '0');
    } else {
      intPart = d.digits.substr(0, intLen);
      fracPart = d.digits.substr(intLen);
    }
  }
  if (fracPart.size() < static_cast<std::size_t>(decimals)) fracPart.append(decimals - fracPart.size(), '0');
  if (thousands && fs.thousandSeparator != 0) {
    std::string grouped;
    for (std::size_t i = 0; i < intPart.size(); ++i) {
      if (i > 0 && (intPart.size() - i) % 3 == 0) grouped += fs.thousandSeparator;
      grouped += intPart[i];
    }
    intPart = std::move(grouped);
  }
  std::string out = d.negative ? "-" : "";
  out += intPart;
  if (decimals > 0) {
    out += fs.decimalSeparator;
    out += fracPart;
  }
  return out;
}

}  // namespace talven
