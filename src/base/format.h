// The runtime's formatting routines as the program uses them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace talven {

// One argument of Format.
class FormatArg {
 public:
  FormatArg(int v) : value_(static_cast<std::int64_t>(v)) {}
  FormatArg(long v) : value_(static_cast<std::int64_t>(v)) {}
  FormatArg(long long v) : value_(static_cast<std::int64_t>(v)) {}
  FormatArg(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
  FormatArg(double v) : value_(v) {}
  FormatArg(const char* v) : value_(std::string(v)) {}
  FormatArg(std::string v) : value_(std::move(v)) {}
  FormatArg(std::string_view v) : value_(std::string(v)) {}

  const std::int64_t* integer() const { return std::get_if<std::int64_t>(&value_); }
  const double* floating() const { return std::get_if<double>(&value_); }
  const std::string* text() const { return std::get_if<std::string>(&value_); }

 private:
  std::variant<std::int64_t, double, std::string> value_;
};

// Format(pattern, args): "%" ["-"] [width] ["." precision] type, with the
// types d (integer; the precision is the least number of digits), u, x
// (hexadecimal), f (fixed; precision = decimals, default 2), n (as f with
// thousands separators), e (scientific, precision = significant digits,
// default 15), g (general, precision default 15), s (text; precision = most
// bytes) and "%%". A width pads with blanks on the left, or on the right with
// "-". A type that does not fit its argument, or a missing argument, fails
// with "Format '%s' invalid or incompatible with argument".
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);

// FormatFloat(pattern, value) with the runtime's number pattern letters:
//   0   a digit, always shown        #   a digit, shown when significant
//   .   the decimal point (the first one counts)
//   ,   thousands separators wanted (anywhere in the section)
//   E+ E- e+ e-  scientific notation; the zeros that follow give the least
//       number of exponent digits ("+" always shows the sign)
//   '...' "..."  literal text        ;   separates the sections for
//       positive; negative; zero values (an empty section means the first)
// Other characters are copied. An empty pattern gives FloatToStr's form.
// Digits before the first digit letter go all to it: FormatFloat("0", 1234)
// is 1234. Rounding is half away from zero on the value's decimal digits.
std::string FormatFloat(std::string_view pattern, double value);

}  // namespace talven
