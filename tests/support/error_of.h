// The message of the program's error that a call raises, or "(no error)".
#pragma once

#include <string>

#include "base/error.h"

namespace talven {

template <class F>
std::string ErrorOf(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.message();
  }
  return "(no error)";
}

}  // namespace talven
