#include "report/model/variables.h"

#include <algorithm>

#include "base/text.h"

namespace talven {

std::size_t TfrVariables::LowerBound(std::string_view name) const {
  auto it = std::lower_bound(items_.begin(), items_.end(), name,
                             [](const Item& item, std::string_view n) { return CompareText(item.name, n) < 0; });
  return static_cast<std::size_t>(it - items_.begin());
}

int TfrVariables::IndexOf(std::string_view name) const {
  if (sorted_) {
    std::size_t at = LowerBound(name);
    return at < items_.size() && SameText(items_[at].name, name) ? static_cast<int>(at) : -1;
  }
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (SameText(items_[i].name, name)) return static_cast<int>(i);
  return -1;
}

void TfrVariables::Set(std::string_view name, Variant value) {
  int i = IndexOf(name);
  if (i >= 0) {
    items_[static_cast<std::size_t>(i)].value = std::move(value);
    return;
  }
  std::size_t at = sorted_ ? LowerBound(name) : items_.size();
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), Item{std::string(name), std::move(value)});
}

Variant TfrVariables::Get(std::string_view name) const {
  int i = IndexOf(name);
  return i >= 0 ? items_[static_cast<std::size_t>(i)].value : Variant::Null();
}

std::string TfrVariables::NameAt(int i) const { return InRange(i) ? items_[static_cast<std::size_t>(i)].name : ""; }

Variant TfrVariables::ValueAt(int i) const {
  return InRange(i) ? items_[static_cast<std::size_t>(i)].value : Variant(0);
}

void TfrVariables::SetValueAt(int i, Variant value) {
  if (InRange(i)) items_[static_cast<std::size_t>(i)].value = std::move(value);
}

void TfrVariables::SetNameAt(int i, std::string_view name) {
  if (!InRange(i)) return;
  int other = IndexOf(name);
  Item item{std::string(name), std::move(items_[static_cast<std::size_t>(i)].value)};
  if (other >= 0 && other != i) {
    // Keep the renamed pair; drop the one that held the name.
    if (other < i) --i;
    items_.erase(items_.begin() + other);
  }
  if (!sorted_) {
    items_[static_cast<std::size_t>(i)] = std::move(item);
    return;
  }
  items_.erase(items_.begin() + i);
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(LowerBound(item.name)), std::move(item));
}

void TfrVariables::DeleteAt(int i) {
  if (InRange(i)) items_.erase(items_.begin() + i);
}

void TfrVariables::SetSorted(bool sorted) {
  if (sorted && !sorted_)
    std::stable_sort(items_.begin(), items_.end(),
                     [](const Item& a, const Item& b) { return CompareText(a.name, b.name) < 0; });
  sorted_ = sorted;
}

TfrVariables& EngineVariables() {
  static TfrVariables list = [] {
    TfrVariables l;
    l.SetSorted(true);
    return l;
  }();
  return list;
}

}  // namespace talven
