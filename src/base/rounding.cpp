#include "base/rounding.h"

#include <cmath>
#include <limits>

namespace talven {
namespace {

template <typename Int>
Int RoundTo(double v) {
  if (std::isnan(v)) return 0;
  // nearbyint honours the current rounding mode, which is round-to-nearest-even
  // unless someone changed it; roundeven-by-hand keeps us independent of that.
  double fl = std::floor(v);
  double diff = v - fl;
  double r;
  if (diff > 0.5) r = fl + 1;
  else if (diff < 0.5) r = fl;
  else r = std::fmod(fl, 2.0) == 0 ? fl : fl + 1;
  if (r >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  if (r <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  return static_cast<Int>(r);
}

}  // namespace

std::int32_t RoundHalfEven(double v) { return RoundTo<std::int32_t>(v); }
std::int64_t RoundHalfEven64(double v) { return RoundTo<std::int64_t>(v); }

}  // namespace talven
