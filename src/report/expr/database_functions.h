// The database function library: FIELDISNULL.
#pragma once

#include <string>

#include "report/expr/functions.h"

namespace talven {

// FIELDISNULL(field): the evaluated argument, as text, is a data-field
// reference ("Data1.xm", an alias, or a plain field of the current band's
// database dataset). The result is true when no dataset is found for it,
// otherwise whether the field's value is null. A dataset without that field
// fails with "<dataset>: Field '<field>' not found".
class TDatabaseFunctionLibrary : public TfrFunctionLibrary {
 public:
  static constexpr const char* kClassName = "TDatabaseFunctionLibrary";
  TDatabaseFunctionLibrary();
  void DoFunction(int index, const std::string& p1, const std::string& p2, const std::string& p3,
                  Variant& result) override;
};

}  // namespace talven
