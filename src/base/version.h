#pragma once

namespace talven {

// The module's version text, as GetVersion reports it to the host.
inline constexpr const char kModuleVersion[] = "3.00";

}  // namespace talven
