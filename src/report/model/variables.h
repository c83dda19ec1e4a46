// TfrVariables: the engine's ordered list of (name, value) pairs. Each name
// occurs at most once; names are compared without regard to letter case. A
// list switched to sorted order stays ordered by name and is searched by
// bisection.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"

namespace talven {

class TfrVariables {
 public:
  // Replaces the value of the name, or appends (or, sorted, inserts) the pair.
  void Set(std::string_view name, Variant value);
  // The value, or null when the name is absent.
  Variant Get(std::string_view name) const;
  // Position from 0, or -1.
  int IndexOf(std::string_view name) const;
  bool Contains(std::string_view name) const { return IndexOf(name) >= 0; }
  int Count() const { return static_cast<int>(items_.size()); }

  // The name, or empty text; the value, or integer 0, when i is out of range.
  std::string NameAt(int i) const;
  Variant ValueAt(int i) const;
  // Ignored when i is out of range. Renaming a pair onto a name that another
  // pair holds drops that other pair, so that names stay unique.
  void SetValueAt(int i, Variant value);
  void SetNameAt(int i, std::string_view name);
  void DeleteAt(int i);
  void Clear() { items_.clear(); }

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

 private:
  struct Item {
    std::string name;
    Variant value;
  };
  // Sorted: the position where the name is or would go.
  std::size_t LowerBound(std::string_view name) const;
  bool InRange(int i) const { return i >= 0 && i < Count(); }

  std::vector<Item> items_;
  bool sorted_ = false;
};

// The engine-wide lists, created on first use and kept for the life of the
// process; both sorted. Variables are set by programs and scripts by name
// ("path"); constants are the fixed names (colours, message-box and
// modal-result constants).
TfrVariables& EngineVariables();
TfrVariables& EngineConstants();

}  // namespace talven
