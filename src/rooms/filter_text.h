// The filter text that the filter dialog puts on the room list: one or two
// conditions of field, operator and value, joined by " and " or " or ".
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace talven {

// The nine items of both operator lists (positions 0 to 8) and the operator
// each stands for; position 0 is the empty item (condition not used), 7 and
// 8 test for null. Texts are GBK.
struct FilterOperator {
  std::string item;  // 等于, 不等于 …
  std::string op;    // "=", "<>" …
  bool testsNull = false;
};
const std::array<FilterOperator, 9>& FilterOperators();

struct FilterCondition {
  std::string field;     // empty when no field is chosen
  int operatorPos = 0;   // position in the operator list
  std::string value;     // as typed
};

// Builds the raw filter text (as the dialog builds it, before trimming).
// A value is quoted (single quotes doubled) when isPlainString says its field
// is a plain character field, else put in as typed. Returns nullopt when a
// condition has an operator but no field: the caller then tells the user
// "请选择过滤字段！" and changes nothing.
std::optional<std::string> BuildFilterText(const FilterCondition& first, const FilterCondition& second,
                                           bool joinWithAnd,
                                           const std::function<bool(const std::string& field)>& isPlainString);

// The text that goes onto the data set: blanks trimmed, and when the first
// condition was not used the leading "or"/"and" of the second cut off with
// the three characters the dialog removes.
std::string FinishFilterText(const std::string& raw, bool firstUsed);

// The last field positions chosen in the two field lists; they outlive the
// dialog and the main window (-1: nothing chosen).
int& SavedFieldIndex1();
int& SavedFieldIndex2();

}  // namespace talven
