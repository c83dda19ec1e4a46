#include "report/model/prepare_state.h"

namespace talven {

PrepareState& EngineState() {
  static PrepareState state;
  return state;
}

EngineHooks& Hooks() {
  static EngineHooks hooks;
  return hooks;
}

Variant EvaluateArgument(const Variant& argument) {
  if (argument.IsText() && Hooks().Evaluate) return Hooks().Evaluate(argument.textValue());
  return argument;
}

}  // namespace talven
