#include "report/model/object.h"

#include "base/text.h"

namespace talven {

void TfrObject::SetPropertyValue(std::string_view, const Variant&) {}

Variant TfrObject::GetPropertyValue(std::string_view) { return {}; }

Variant TfrObject::CallMethod(std::string_view, const Variant&, const Variant&, const Variant&) { return {}; }

const std::vector<TfrProperty>& TfrObject::PropertyList() {
  if (!registered_) {
    registered_ = true;
    RegisterProperties();
  }
  return properties_;
}

const TfrProperty* TfrObject::FindProperty(std::string_view name) {
  for (const TfrProperty& p : PropertyList())
    if (SameText(p.Name, name)) return &p;
  return nullptr;
}

void TfrObject::AddProperty(std::string name, TfrPropKind kind) {
  properties_.push_back(TfrProperty{std::move(name), kind, {}, {}});
}

void TfrObject::AddEnumProperty(std::string name, std::vector<std::string> names, std::vector<int> values) {
  properties_.push_back(TfrProperty{std::move(name), TfrPropKind::Enumeration, std::move(names), std::move(values)});
}

}  // namespace talven
