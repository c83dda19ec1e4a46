#include "report/expr/values.h"

#include <cmath>
#include <limits>

#include "base/convert.h"
#include "base/error.h"
#include "base/rounding.h"

namespace talven {
namespace {

[[noreturn]] void ThrowNotANumber() {
  throw ConvertError("Could not convert variant of type (String) into type (Double)");
}

double TextToNumber(const std::string& text) {
  if (auto v = TryStrToFloat(text)) return *v;
  ThrowNotANumber();
}

bool IsIntegral(const Variant& v) {
  return v.type() == VarType::Integer || v.type() == VarType::Boolean || v.IsUnassigned();
}

std::int64_t IntegralValue(const Variant& v) {
  switch (v.type()) {
    case VarType::Integer: return v.intValue();
    case VarType::Boolean: return v.boolValue() ? -1 : 0;
    default: return 0;
  }
}

std::int64_t ToInteger(const Variant& v) {
  if (IsIntegral(v)) return IntegralValue(v);
  return RoundHalfEven64(VarToNumber(v));
}

bool AnyNull(const Variant& a, const Variant& b) { return a.IsNull() || b.IsNull(); }

enum class Op { Add, Subtract, Multiply };

// +, - and * on two non-null operands that are not both texts.
Variant Arithmetic(const Variant& a, const Variant& b, Op op) {
  if (IsIntegral(a) && IsIntegral(b)) {
    std::int64_t x = IntegralValue(a), y = IntegralValue(b), r = 0;
    bool overflow = op == Op::Add        ? __builtin_add_overflow(x, y, &r)
                    : op == Op::Subtract ? __builtin_sub_overflow(x, y, &r)
                                         : __builtin_mul_overflow(x, y, &r);
    if (!overflow) return Variant(r);
  }
  double x = VarToNumber(a), y = VarToNumber(b);
  double r = op == Op::Add ? x + y : op == Op::Subtract ? x - y : x * y;
  const bool aDate = a.type() == VarType::DateTime, bDate = b.type() == VarType::DateTime;
  if (op == Op::Add && (aDate || bDate)) return Variant::FromDateTime(r);
  if (op == Op::Subtract && aDate && !bDate) return Variant::FromDateTime(r);
  return Variant(r);
}

}  // namespace

double VarToNumber(const Variant& a) {
  switch (a.type()) {
    case VarType::Text: return TextToNumber(a.textValue());
    default: return a.AsFloat();
  }
}

TDateTime VarToDateTime(const Variant& a) {
  if (a.IsText()) return StrToDateTime(a.textValue());
  return a.AsFloat();
}

Variant VarAdd(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  if (a.IsText() && (b.IsText() || b.IsUnassigned())) return Variant(a.textValue() + b.AsText());
  if (b.IsText() && a.IsUnassigned()) return b;
  return Arithmetic(a, b, Op::Add);
}

Variant VarSubtract(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  return Arithmetic(a, b, Op::Subtract);
}

Variant VarMultiply(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  return Arithmetic(a, b, Op::Multiply);
}

Variant VarDivide(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  double x = VarToNumber(a), y = VarToNumber(b);
  return Variant(y == 0 ? 0.0 : x / y);
}

Variant VarMod(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  std::int64_t x = ToInteger(a), y = ToInteger(b);
  if (y == 0 || y == -1) return Variant(std::int64_t{0});  // -1: INT64_MIN % -1 would trap
  return Variant(x % y);
}

Variant VarAnd(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  if (a.type() == VarType::Boolean && b.type() == VarType::Boolean) return Variant(a.boolValue() && b.boolValue());
  return Variant(ToInteger(a) & ToInteger(b));
}

Variant VarOr(const Variant& a, const Variant& b) {
  if (AnyNull(a, b)) return Variant::Null();
  if (a.type() == VarType::Boolean && b.type() == VarType::Boolean) return Variant(a.boolValue() || b.boolValue());
  return Variant(ToInteger(a) | ToInteger(b));
}

Variant VarNot(const Variant& a) { return Variant(std::int64_t{VarCompare(a, Variant(0)) == 0 ? 1 : 0}); }

Variant VarNegate(const Variant& a) {
  switch (a.type()) {
    case VarType::Null: return a;
    case VarType::Unassigned:
    case VarType::Boolean:
    case VarType::Integer: {
      std::int64_t v = IntegralValue(a);
      if (v == std::numeric_limits<std::int64_t>::min()) return Variant(-static_cast<double>(v));
      return Variant(-v);
    }
    default: return Variant(-VarToNumber(a));
  }
}

int VarCompare(const Variant& a, const Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : a.IsNull() ? -1 : 1;
  const bool aText = a.IsText() || (a.IsUnassigned() && b.IsText());
  const bool bText = b.IsText() || (b.IsUnassigned() && a.IsText());
  if (aText && bText) {
    int c = a.AsText().compare(b.AsText());  // std::string compares bytes as unsigned
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  if (IsIntegral(a) && IsIntegral(b)) {
    std::int64_t x = IntegralValue(a), y = IntegralValue(b);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  double x = VarToNumber(a), y = VarToNumber(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

Variant VarRelate(const Variant& a, const Variant& b, VarRelation relation) {
  int c = VarCompare(a, b);
  bool holds = false;
  switch (relation) {
    case VarRelation::Equal: holds = c == 0; break;
    case VarRelation::NotEqual: holds = c != 0; break;
    case VarRelation::Less: holds = c < 0; break;
    case VarRelation::Greater: holds = c > 0; break;
    case VarRelation::LessEqual: holds = c <= 0; break;
    case VarRelation::GreaterEqual: holds = c >= 0; break;
  }
  return Variant(std::int64_t{holds ? 1 : 0});
}

namespace {
constexpr double kNearInteger = 1e-10;
}

Variant VarInt(const Variant& a) {
  if (a.IsNull()) return a;
  double v = VarToNumber(a);
  double nearest = std::round(v);
  return Variant(std::fabs(v - nearest) < kNearInteger ? nearest : std::trunc(v));
}

Variant VarFrac(const Variant& a) {
  if (a.IsNull()) return a;
  double v = VarToNumber(a);
  if (std::fabs(v - std::round(v)) < kNearInteger) return Variant(0.0);
  return Variant(v - std::trunc(v));
}

Variant VarRound(const Variant& a) {
  if (a.IsNull()) return a;
  return Variant(std::nearbyint(VarToNumber(a)));  // the default rounding mode: ties to even
}

Variant VarStr(const Variant& a) { return Variant(a.AsText()); }

}  // namespace talven
