// The row filter of the data sets on any text: parsing, binding to the
// fields of a result (values converted to the fields' kinds) and matching
// rows with nulls among them. It must end without a crash, a hang or a
// sanitizer report; a text the grammar or the fields refuse is an answer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "data/row_filter.h"

namespace {

using namespace talven;

const std::vector<FieldDef>& Fields() {
  static const std::vector<FieldDef> fields = {
      {"kddm", FieldKind::String},          {"\xBF\xBC\xB5\xE3\xB4\xFA\xC2\xEB", FieldKind::String},  // 考点代码
      {"ksrs", FieldKind::Integer},         {"bssj", FieldKind::Float},
      {"rq", FieldKind::DateTime},          {"ok", FieldKind::Boolean},
      {"xm", FieldKind::WideString},
  };
  return fields;
}

const std::vector<std::vector<Variant>>& Rows() {
  static const std::vector<std::vector<Variant>> rows = {
      {Variant("320101"), Variant("3201"), Variant(std::int64_t{30}), Variant(120.0),
       Variant::FromDateTime(45000), Variant(true), Variant("\xD5\xC5\xC8\xFD")},
      {Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(), Variant::Null(),
       Variant::Null()},
      {Variant("14005  "), Variant(""), Variant(std::int64_t{-1}), Variant(0.5), Variant::FromDateTime(-1.5),
       Variant(false), Variant("'")},
  };
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    RowFilter filter = RowFilter::Parse(text);
    filter.Bind(Fields());
    for (const auto& row : Rows()) filter.Matches(row.data());
  } catch (const Error&) {
    // refused by the grammar or by the fields
  }
  return 0;
}
