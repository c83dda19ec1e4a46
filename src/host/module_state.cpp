#include "host/module_state.h"

namespace talven {

ModuleState& Module() {
  static ModuleState state;
  return state;
}

}  // namespace talven
