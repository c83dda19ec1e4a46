// What the filter dialog does, without its widgets: the fields it offers,
// applying the filter built from its two conditions, and removing it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rooms/filter_text.h"

namespace talven {

class DataSet;

class FilterDialogModel {
 public:
  // The data set that receives the filter (the room list).
  DataSet* TargetDataSet = nullptr;
  // Called after a filter is applied or removed (the main window's
  // ResetRecordRange).
  std::function<void()> OnFilterApplied;
  // Names of fields not to offer; present only while the dialog is being
  // shown.
  std::vector<std::string> ExcludedFields;

  // Each ";" in the text starts a new name.
  void SetExcludedFields(std::string_view names);

  // The fields of the target in field order, without the excluded ones
  // (exact comparison); none while the target is closed.
  std::vector<std::string> FieldList() const;

  // Applies the filter of the two conditions. Returns false when a condition
  // has an operator but no field: the user is told "请选择过滤字段！" and
  // nothing changes. A text the data layer rejects raises its error, and the
  // list keeps its rows and filter; the callback is not called then.
  bool Apply(const FilterCondition& first, const FilterCondition& second, bool joinWithAnd);

  // Switches the filter off, empties its text, switches it on again, and
  // calls back.
  void Remove();
};

}  // namespace talven
