// The runtime's variant: the value kind that report expressions, report
// variables, object properties and the host's events pass around.
//
// Conversion rules (the platform's variant rules where a template could
// notice them, sound choices elsewhere):
// - to text: unassigned and null give ""; booleans "True"/"False"; integers
//   in decimal; floats by FloatToStr; date-times by DateTimeToStr, a time of
//   day alone (day 0, not midnight) by TimeToStr.
// - to a number: unassigned and null give 0; true gives -1 and false 0;
//   a text is read by StrToFloat (or StrToInt, then StrToFloat rounded, for
//   an integer) and fails with that routine's message.
// - float to integer rounds half to even.
// - to a boolean: numbers are true when not 0; texts "True"/"False" (any
//   case) or a number; unassigned and null are false.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "base/datetime.h"

namespace talven {

enum class VarType { Unassigned, Null, Boolean, Integer, Float, DateTime, Text };

class Variant {
 public:
  Variant() = default;  // unassigned
  Variant(bool v) : type_(VarType::Boolean), value_(v) {}
  Variant(int v) : type_(VarType::Integer), value_(static_cast<std::int64_t>(v)) {}
  Variant(std::int64_t v) : type_(VarType::Integer), value_(v) {}
  Variant(double v) : type_(VarType::Float), value_(v) {}
  Variant(std::string v) : type_(VarType::Text), value_(std::move(v)) {}
  Variant(std::string_view v) : type_(VarType::Text), value_(std::string(v)) {}
  Variant(const char* v) : type_(VarType::Text), value_(std::string(v)) {}

  static Variant Null() {
    Variant v;
    v.type_ = VarType::Null;
    return v;
  }
  static Variant FromDateTime(TDateTime dt) {
    Variant v(dt);
    v.type_ = VarType::DateTime;
    return v;
  }

  VarType type() const { return type_; }
  bool IsUnassigned() const { return type_ == VarType::Unassigned; }
  bool IsNull() const { return type_ == VarType::Null; }
  // Unassigned or null.
  bool IsEmpty() const { return type_ == VarType::Unassigned || type_ == VarType::Null; }
  bool IsText() const { return type_ == VarType::Text; }
  // Integer, float or date-time.
  bool IsNumeric() const {
    return type_ == VarType::Integer || type_ == VarType::Float || type_ == VarType::DateTime;
  }

  // The stored value of the kind; undefined for other kinds.
  bool boolValue() const { return std::get<bool>(value_); }
  std::int64_t intValue() const { return std::get<std::int64_t>(value_); }
  double floatValue() const { return std::get<double>(value_); }  // float and date-time
  const std::string& textValue() const { return std::get<std::string>(value_); }

  std::string AsText() const;
  double AsFloat() const;
  std::int64_t AsInteger() const;
  bool AsBoolean() const;

  // Same kind and same value (for tests and change checks, not expressions).
  bool operator==(const Variant& other) const { return type_ == other.type_ && value_ == other.value_; }

  // The kind's name: unassigned, null, boolean, integer, float, datetime, text.
  static const char* KindName(VarType t);

 private:
  VarType type_ = VarType::Unassigned;
  std::variant<std::monostate, bool, std::int64_t, double, std::string> value_;
};

}  // namespace talven
