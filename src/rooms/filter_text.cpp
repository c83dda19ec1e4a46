#include "rooms/filter_text.h"

#include "base/text.h"

namespace talven {
namespace {

std::string Quoted(const std::string& value) { return "'" + ReplaceAll(value, "'", "''") + "'"; }

}  // namespace

const std::array<FilterOperator, 9>& FilterOperators() {
  static const std::array<FilterOperator, 9> table = {{
      {"", "", false},
      {"等于"_gbk, "=", false},
      {"不等于"_gbk, "<>", false},
      {"小于"_gbk, "<", false},
      {"小于等于"_gbk, "<=", false},
      {"大于"_gbk, ">", false},
      {"大于等于"_gbk, ">=", false},
      {"非空"_gbk, "<>", true},
      {"是空"_gbk, "=", true},
  }};
  return table;
}

std::optional<std::string> BuildFilterText(const FilterCondition& first, const FilterCondition& second,
                                           bool joinWithAnd,
                                           const std::function<bool(const std::string& field)>& isPlainString) {
  const auto& ops = FilterOperators();
  auto valueText = [&](const FilterCondition& c) {
    return isPlainString(c.field) ? Quoted(c.value) : c.value;
  };
  auto used = [](const FilterCondition& c) { return c.operatorPos > 0 && c.operatorPos < 9; };
  std::string text;
  if (used(first)) {
    if (first.field.empty()) return std::nullopt;
    const FilterOperator& o = ops[static_cast<std::size_t>(first.operatorPos)];
    text = first.field + " " + o.op + (o.testsNull ? " null" : " " + valueText(first));
  }
  if (used(second)) {
    if (second.field.empty()) return std::nullopt;
    const FilterOperator& o = ops[static_cast<std::size_t>(second.operatorPos)];
    text += " " + std::string(joinWithAnd ? " and " : " or ") + second.field + " " + o.op;
    text += o.testsNull ? " null" : " " + valueText(second);
  }
  return text;
}

std::string FinishFilterText(const std::string& raw, bool firstUsed) {
  std::string t = Trim(raw);
  // Only a text that starts with the join word of the second condition is
  // cut; a field of the first condition whose name begins with "or" or "and"
  // stays whole.
  if (!firstUsed && (t.rfind("or", 0) == 0 || t.rfind("and", 0) == 0)) t.erase(0, std::min<std::size_t>(3, t.size()));
  return t;
}

int& SavedFieldIndex1() {
  static int index = -1;
  return index;
}

int& SavedFieldIndex2() {
  static int index = -1;
  return index;
}

}  // namespace talven
