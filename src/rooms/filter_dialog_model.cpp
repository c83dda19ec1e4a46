#include "rooms/filter_dialog_model.h"

#include <algorithm>

#include "base/text.h"
#include "data/dataset.h"
#include "data/settings.h"

namespace talven {

void FilterDialogModel::SetExcludedFields(std::string_view names) {
  ExcludedFields.clear();
  std::size_t start = 0;
  for (;;) {
    std::size_t semicolon = names.find(';', start);
    ExcludedFields.emplace_back(names.substr(start, semicolon - start));
    if (semicolon == std::string_view::npos) break;
    start = semicolon + 1;
  }
}

std::vector<std::string> FilterDialogModel::FieldList() const {
  std::vector<std::string> fields;
  if (!TargetDataSet || !TargetDataSet->Active()) return fields;
  for (const std::string& name : TargetDataSet->FieldNames())
    if (std::find(ExcludedFields.begin(), ExcludedFields.end(), name) == ExcludedFields.end()) fields.push_back(name);
  return fields;
}

bool FilterDialogModel::Apply(const FilterCondition& first, const FilterCondition& second, bool joinWithAnd) {
  auto isPlainString = [&](const std::string& field) {
    return TargetDataSet && TargetDataSet->FieldByName(field).IsPlainString();
  };
  std::optional<std::string> raw = BuildFilterText(first, second, joinWithAnd, isPlainString);
  if (!raw) {
    ShowInfo("请选择过滤字段！"_gbk);
    return false;
  }
  if (TargetDataSet) {
    // The field kinds are checked when the filter is switched on; a text
    // refused then must not stay behind as the data set's filter text.
    const std::string previous = TargetDataSet->Filter();
    TargetDataSet->SetFilter(FinishFilterText(*raw, first.operatorPos > 0));
    try {
      TargetDataSet->SetFiltered(true);
    } catch (...) {
      TargetDataSet->SetFilter(previous);
      throw;
    }
  }
  if (OnFilterApplied) OnFilterApplied();
  return true;
}

void FilterDialogModel::Remove() {
  if (TargetDataSet) {
    TargetDataSet->SetFiltered(false);
    TargetDataSet->SetFilter("");
    TargetDataSet->SetFiltered(true);
  }
  if (OnFilterApplied) OnFilterApplied();
}

}  // namespace talven
