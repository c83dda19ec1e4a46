// A report-less engine for tests: the engine parser bound to a resolver over
// a plain scope, with the engine variables emptied before and after.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "base/error.h"
#include "report/expr/parser.h"
#include "report/expr/resolver.h"
#include "report/model/variables.h"

namespace talven {

// Readable values in failure messages: kind and text.
inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << Variant::KindName(v.type()) << " " << v.AsText();
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override { EngineVariables().Clear(); }
  void TearDown() override { EngineVariables().Clear(); }

  Variant Eval(std::string_view expression) { return EngineParser().Evaluate(expression); }
  std::string Print(std::string_view bracket) { return resolver.BracketValue(bracket); }
  // The message of the error the expression raises, or "(no error)".
  std::string ErrorOf(std::string_view expression) {
    try {
      Eval(expression);
    } catch (const Error& e) {
      return e.message();
    }
    return "(no error)";
  }

  TfrPlainScope scope;
  TfrResolver resolver{scope};
  TfrResolverBinding binding{resolver};
};

}  // namespace talven
