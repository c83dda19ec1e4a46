#include "report/model/report_data_set.h"

#include "base/text.h"

namespace talven {

int ReportDataSet::FieldIndex(std::string_view name) const {
  std::vector<std::string> names = FieldNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (SameText(names[i], name)) return static_cast<int>(i);
  return -1;
}

void ReportDataSet::GotoBookmark(int bookmark) {
  First();
  while (!Eof() && RecNo() < bookmark) Next();
}

Variant ReportFieldValue(const ReportDataSet& data, int field) {
  const TfrFieldKind kind = data.FieldKind(field);
  Variant value = data.FieldValue(field);
  if (value.IsEmpty()) {
    if (kind == TfrFieldKind::Text) return std::string();
    if (kind == TfrFieldKind::Boolean) return false;
    return 0;
  }
  if (data.HasTextHandler(field) || kind == TfrFieldKind::LargeInt) return data.FieldDisplayText(field);
  return value;
}

}  // namespace talven
