// The one rounding rule of the engine: to the nearest integer, ties to even.
#pragma once

#include <cstdint>

namespace talven {

// Values outside the target range saturate at its ends; NaN gives 0.
std::int32_t RoundHalfEven(double v);
std::int64_t RoundHalfEven64(double v);

// A sum worked out in 64 bits, narrowed with saturation: geometry read from
// a damaged file may hold any values, and its sums must not wrap.
constexpr std::int32_t Saturated32(std::int64_t v) {
  return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
}

}  // namespace talven
