#include "base/variant.h"

#include <cmath>

#include "base/convert.h"
#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"

namespace talven {

std::string Variant::AsText() const {
  switch (type_) {
    case VarType::Unassigned:
    case VarType::Null: return {};
    case VarType::Boolean: return boolValue() ? "True" : "False";
    case VarType::Integer: return IntToStr(intValue());
    case VarType::Float: return FloatToStr(floatValue());
    case VarType::DateTime:
      // A time of day alone (day 0) prints as the time, as [TIME] should.
      return std::trunc(floatValue()) == 0 && floatValue() != 0 ? TimeToStr(floatValue())
                                                                 : DateTimeToStr(floatValue());
    case VarType::Text: return textValue();
  }
  return {};
}

double Variant::AsFloat() const {
  switch (type_) {
    case VarType::Unassigned:
    case VarType::Null: return 0;
    case VarType::Boolean: return boolValue() ? -1 : 0;
    case VarType::Integer: return static_cast<double>(intValue());
    case VarType::Float:
    case VarType::DateTime: return floatValue();
    case VarType::Text: return StrToFloat(textValue());
  }
  return 0;
}

std::int64_t Variant::AsInteger() const {
  switch (type_) {
    case VarType::Unassigned:
    case VarType::Null: return 0;
    case VarType::Boolean: return boolValue() ? -1 : 0;
    case VarType::Integer: return intValue();
    case VarType::Float:
    case VarType::DateTime: return RoundHalfEven64(floatValue());
    case VarType::Text: {
      if (auto i = TryStrToInt64(textValue())) return *i;
      if (auto f = TryStrToFloat(textValue())) return RoundHalfEven64(*f);
      return StrToInt64(textValue());  // fails with the runtime's message
    }
  }
  return 0;
}

bool Variant::AsBoolean() const {
  switch (type_) {
    case VarType::Unassigned:
    case VarType::Null: return false;
    case VarType::Boolean: return boolValue();
    case VarType::Integer: return intValue() != 0;
    case VarType::Float:
    case VarType::DateTime: return floatValue() != 0;
    case VarType::Text: {
      const std::string t = Trim(textValue());
      if (SameText(t, "True")) return true;
      if (SameText(t, "False")) return false;
      if (auto f = TryStrToFloat(t)) return *f != 0;
      throw ConvertError("Could not convert variant of type (String) into type (Boolean)");
    }
  }
  return false;
}

const char* Variant::KindName(VarType t) {
  switch (t) {
    case VarType::Unassigned: return "unassigned";
    case VarType::Null: return "null";
    case VarType::Boolean: return "boolean";
    case VarType::Integer: return "integer";
    case VarType::Float: return "float";
    case VarType::DateTime: return "datetime";
    case VarType::Text: return "text";
  }
  return "";
}

}  // namespace talven
