// Conversions between text and numbers with the runtime's rules and messages.
// Numbers are read and written with the module-wide decimal separator
// (Settings().decimalSeparator).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talven {

// Decimal text -> integer. Leading blanks, a sign, and hexadecimal written as
// $1F or 0x1F are accepted; anything else, an empty text or a value out of
// range fails with "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view s);
std::int64_t StrToInt64(std::string_view s);
std::optional<std::int32_t> TryStrToInt(std::string_view s);
std::optional<std::int64_t> TryStrToInt64(std::string_view s);
std::int32_t StrToIntDef(std::string_view s, std::int32_t fallback);

// Text -> floating number: blanks around, a sign, digits with the decimal
// separator, an exponent (1.5E3). Fails with
// "'%s' is not a valid floating point value".
double StrToFloat(std::string_view s);
std::optional<double> TryStrToFloat(std::string_view s);

std::string IntToStr(std::int64_t v);

// Floating number -> text with up to 15 significant digits in the shortest
// form: 7, 2.5, 0.1, 0.0001, 1E-5, 1E20, 1.5E20, -3.25.
std::string FloatToStr(double v);

// A floating number as decimal digits, rounded the way the runtime's
// formatting rounds: the value's first 18 significant digits, then half away
// from zero to at most `precision` significant digits and at most `decimals`
// digits after the decimal point. The value is 0.<digits> x 10^exponent;
// trailing zeros are dropped and a zero result has no digits (and no sign).
struct DecimalDigits {
  bool negative = false;
  bool nan = false;
  bool infinite = false;
  int exponent = 0;
  std::string digits;
};
DecimalDigits FloatToDecimal(double v, int precision, int decimals);

// Fixed notation of v with exactly `decimals` digits after the separator
// (rounded as FloatToDecimal does with `precision` significant digits),
// optionally with thousands separators. Used by Format's %f and %n (18
// digits) and by the report's fixed display formats (15).
std::string FormatFixed(double v, int decimals, bool thousands, int precision = 18);

}  // namespace talven
