#include "report/expr/database_functions.h"

#include "base/error.h"
#include "report/expr/parser.h"
#include "report/expr/report_scope.h"
#include "report/model/report_data_set.h"

namespace talven {

TDatabaseFunctionLibrary::TDatabaseFunctionLibrary() { AddFunction("FIELDISNULL"); }

void TDatabaseFunctionLibrary::DoFunction(int, const std::string& p1, const std::string&, const std::string&,
                                          Variant& result) {
  const std::string reference = EngineParser().Evaluate(p1).AsText();
  // Field references belong to a report; without one no dataset is found.
  TfrResolver* resolver = ActiveResolver();
  auto* scope = resolver != nullptr ? dynamic_cast<TfrReportScope*>(&resolver->Scope()) : nullptr;
  const TfrFieldTarget target = scope != nullptr ? scope->FindField(reference) : TfrFieldTarget{};
  if (target.DataSet == nullptr) {
    result = Variant(true);
    return;
  }
  if (target.Field < 0) throw Error(target.DataSet->Name + ": Field '" + target.FieldName + "' not found");
  result = Variant(target.DataSet->FieldValue(target.Field).IsEmpty());
}

}  // namespace talven
