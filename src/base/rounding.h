// The one rounding rule of the engine: to the nearest integer, ties to even.
#pragma once

#include <cstdint>

namespace talven {

// Values outside the target range saturate at its ends; NaN gives 0.
std::int32_t RoundHalfEven(double v);
std::int64_t RoundHalfEven64(double v);

}  // namespace talven
