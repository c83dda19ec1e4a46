// What several subcommands read from their command line and print: engine
// variables given as NAME=VALUE, and values printed as a memo prints them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "base/variant.h"

namespace talven::app {

// A value from the command line: a number when it reads as a decimal one
// (an integer when it has no fraction or exponent) not written with a
// leading zero, else text ("0123" stays a text; "0" and "0.5" are numbers).
Variant CommandLineValue(const std::string& text);

// NAME=VALUE (UTF-8) as a GBK name and its value; nullopt without a name.
std::optional<std::pair<std::string, Variant>> VariableArgument(const std::string& utf8);

// A memo's own display format: text, with the module's decimal separator.
std::int32_t MemoDisplayFormat();

}  // namespace talven::app
