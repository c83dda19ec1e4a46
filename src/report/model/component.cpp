#include "report/model/component.h"

#include <algorithm>

#include "base/text.h"
#include "report/model/report_data_set.h"

namespace talven {

namespace {

void Erase(std::vector<TfrComponent*>& list, TfrComponent* c) { std::erase(list, c); }

std::vector<TfrComponentOwner*>& Owners() {
  static std::vector<TfrComponentOwner*> owners;
  return owners;
}

TfrComponentOwner* RegisteredOwner(std::string_view name) {
  for (TfrComponentOwner* o : Owners())
    if (SameText(o->Name, name)) return o;
  return nullptr;
}

}  // namespace

TfrComponent::~TfrComponent() {
  if (owner_ != nullptr) owner_->Remove(*this);
  // Observers may stop observing while they are told.
  std::vector<TfrComponent*> observers = std::move(observers_);
  observers_.clear();
  for (TfrComponent* o : observers) {
    Erase(o->observed_, this);
    o->Notification(*this);
  }
  for (TfrComponent* c : observed_) Erase(c->observers_, this);
}

void TfrComponent::FreeNotification(TfrComponent& observer) {
  if (&observer == this || std::find(observers_.begin(), observers_.end(), &observer) != observers_.end()) return;
  observers_.push_back(&observer);
  observer.observed_.push_back(this);
}

void TfrComponent::RemoveFreeNotification(TfrComponent& observer) {
  Erase(observers_, &observer);
  Erase(observer.observed_, this);
}

TfrComponentOwner::~TfrComponentOwner() {
  for (TfrComponent* c : components_) c->owner_ = nullptr;
  UnregisterOwner(*this);
}

void TfrComponentOwner::Insert(TfrComponent& component) {
  if (component.owner_ == this) return;
  if (component.owner_ != nullptr) component.owner_->Remove(component);
  components_.push_back(&component);
  component.owner_ = this;
}

void TfrComponentOwner::Remove(TfrComponent& component) {
  if (component.owner_ != this) return;
  Erase(components_, &component);
  component.owner_ = nullptr;
}

TfrComponent* TfrComponentOwner::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TfrComponent* c : components_)
    if (SameText(c->Name, name)) return c;
  return nullptr;
}

void RegisterOwner(TfrComponentOwner& owner) {
  if (std::find(Owners().begin(), Owners().end(), &owner) == Owners().end()) Owners().push_back(&owner);
}

void UnregisterOwner(TfrComponentOwner& owner) { std::erase(Owners(), &owner); }

const std::vector<TfrComponentOwner*>& RegisteredOwners() { return Owners(); }

TfrComponent* FindComponentByPath(const TfrComponent& from, std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    std::size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (parts.size() == 1) return from.Owner() != nullptr ? from.Owner()->FindComponent(parts[0]) : nullptr;
  if (parts.size() == 2) {
    TfrComponentOwner* owner = RegisteredOwner(parts[0]);
    return owner != nullptr ? owner->FindComponent(parts[1]) : nullptr;
  }
  if (parts.size() == 3 && RegisteredOwner(parts[0]) != nullptr) {
    TfrComponentOwner* module = RegisteredOwner(parts[1]);
    return module != nullptr ? module->FindComponent(parts[2]) : nullptr;
  }
  return nullptr;
}

void SplitFieldReference(std::string_view reference, std::string& dataset, std::string& field) {
  std::size_t split = std::string_view::npos;
  bool quoted = false;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    if (reference[i] == '"') quoted = !quoted;
    else if (reference[i] == '.' && !quoted) split = i;
  }
  std::string_view f = split == std::string_view::npos ? reference : reference.substr(split + 1);
  dataset = split == std::string_view::npos ? std::string() : std::string(reference.substr(0, split));
  if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
  field = std::string(f);
}

std::optional<TfrDataFieldRef> FindDataField(const TfrComponent& from, std::string_view reference) {
  std::string dataset, field;
  SplitFieldReference(reference, dataset, field);
  if (dataset.empty() || field.empty()) return std::nullopt;
  TfrComponent* component = FindComponentByPath(from, dataset);
  ReportDataSet* data = component != nullptr ? component->FieldData() : nullptr;
  if (data == nullptr) return std::nullopt;
  int index = data->FieldIndex(field);
  if (index < 0) return std::nullopt;
  return TfrDataFieldRef{component, data, index, data->FieldNames()[static_cast<std::size_t>(index)]};
}

}  // namespace talven
