// TfrObject: the base of report objects and pages. It owns the list of the
// properties the object has registered, through which expressions and
// scripts reach it by name (names compared without regard to letter case).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"

namespace talven {

// What kind of value a property holds; for editing tools only.
enum class TfrPropKind { Integer, Float, Boolean, Text, Colour, Enumeration, Lines, Font, Picture, Event };

struct TfrProperty {
  std::string Name;
  TfrPropKind Kind = TfrPropKind::Integer;
  // Enumerated properties: the value names and their values.
  std::vector<std::string> EnumNames;
  std::vector<int> EnumValues;
};

class TfrObject {
 public:
  virtual ~TfrObject() = default;

  // Unknown names are ignored.
  virtual void SetPropertyValue(std::string_view name, const Variant& value);
  // Unknown names leave the result unassigned.
  virtual Variant GetPropertyValue(std::string_view name);
  // A method called from an expression or a script; the arguments are the
  // call's argument texts (or values, for the indexed property access).
  // Unknown methods leave the result unassigned.
  virtual Variant CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3);

  // The registered properties, filled on first need.
  const std::vector<TfrProperty>& PropertyList();
  // The property of that name (any letter case), or none.
  const TfrProperty* FindProperty(std::string_view name);
  bool HasProperty(std::string_view name) { return FindProperty(name) != nullptr; }

 protected:
  virtual void RegisterProperties() {}
  void AddProperty(std::string name, TfrPropKind kind);
  void AddEnumProperty(std::string name, std::vector<std::string> names, std::vector<int> values);

 private:
  std::vector<TfrProperty> properties_;
  bool registered_ = false;
};

}  // namespace talven
