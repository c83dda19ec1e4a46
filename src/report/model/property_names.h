// Helpers of the classes' property tables: property names compare without
// regard to letter case, and flag properties stand for one bit of Flags.
#pragma once

#include <cstdint>
#include <string_view>

#include "base/text.h"

namespace talven::props {

inline bool Is(std::string_view name, std::string_view property) { return SameText(name, property); }

struct FlagProperty {
  const char* name;
  std::uint16_t bit;
};

}  // namespace talven::props
