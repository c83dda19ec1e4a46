// Components and their owners: the named parts that a window (or a data
// module) holds and that a report reaches by name — its datasets, the
// database data sets behind data-field references, the report itself.
//
// An owner lists components without owning their memory; a component that
// is destroyed leaves its owner and tells the components that asked to be
// told (FreeNotification), so that references to it are cleared.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talven {

class ReportDataSet;
class TfrComponentOwner;

class TfrComponent {
 public:
  explicit TfrComponent(std::string name = {}) : Name(std::move(name)) {}
  virtual ~TfrComponent();
  TfrComponent(const TfrComponent&) = delete;
  TfrComponent& operator=(const TfrComponent&) = delete;

  std::string Name;
  TfrComponentOwner* Owner() const { return owner_; }

  // The database data set whose fields a data-field reference naming this
  // component reaches: a data set itself, or the one a report dataset walks.
  virtual ReportDataSet* FieldData() { return nullptr; }

  // Notification(*this) reaches `observer` when this component is destroyed.
  void FreeNotification(TfrComponent& observer);
  void RemoveFreeNotification(TfrComponent& observer);

 protected:
  virtual void Notification(TfrComponent& /*destroyed*/) {}

 private:
  friend class TfrComponentOwner;
  TfrComponentOwner* owner_ = nullptr;
  std::vector<TfrComponent*> observers_;
  std::vector<TfrComponent*> observed_;
};

// A window, form or data module: a named list of components.
class TfrComponentOwner {
 public:
  explicit TfrComponentOwner(std::string name = {}) : Name(std::move(name)) {}
  ~TfrComponentOwner();
  TfrComponentOwner(const TfrComponentOwner&) = delete;
  TfrComponentOwner& operator=(const TfrComponentOwner&) = delete;

  std::string Name;

  // A component belongs to one owner at a time.
  void Insert(TfrComponent& component);
  void Remove(TfrComponent& component);
  // By name, without regard to letter case.
  TfrComponent* FindComponent(std::string_view name) const;
  const std::vector<TfrComponent*>& Components() const { return components_; }

 private:
  std::vector<TfrComponent*> components_;
};

// The globally registered forms and data modules, which references of the
// form "Form.Component" reach. An owner leaves the list when destroyed.
void RegisterOwner(TfrComponentOwner& owner);
void UnregisterOwner(TfrComponentOwner& owner);
const std::vector<TfrComponentOwner*>& RegisteredOwners();

// A component named by a path, seen from `from` (usually a report):
// "Name" is a component of from's owner; "Form.Name" a component of the
// registered owner Form; "Form.Module.Name" a component of the registered
// owner Module when Form is registered too. Names without regard to case.
TfrComponent* FindComponentByPath(const TfrComponent& from, std::string_view path);

// Splits "dataset.field" at its last point outside double quotes and removes
// double quotes around the field part. Without a point the whole text is the
// field and the dataset part is empty.
void SplitFieldReference(std::string_view reference, std::string& dataset, std::string& field);

struct TfrDataFieldRef {
  TfrComponent* Component = nullptr;  // what the dataset part names
  ReportDataSet* DataSet = nullptr;   // whose field it is
  int Field = -1;
  std::string FieldName;
};

// The field a "dataset.field" reference names, seen from `from`, when the
// dataset part names a component with a data set that has that field.
std::optional<TfrDataFieldRef> FindDataField(const TfrComponent& from, std::string_view reference);

}  // namespace talven
