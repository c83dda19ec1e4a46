#include "rooms/sort_marking.h"

#include <algorithm>

namespace talven {

SortMarking::SortMarking(std::vector<std::string> fieldNames)
    : fields_(std::move(fieldNames)), markers_(fields_.size(), SortMarker::None) {}

void SortMarking::Click(int column, bool ctrl) {
  if (column < 0 || column >= ColumnCount()) return;
  SortMarker& m = markers_[static_cast<std::size_t>(column)];
  if (!ctrl) {
    for (std::size_t i = 0; i < markers_.size(); ++i)
      if (static_cast<int>(i) != column) markers_[i] = SortMarker::None;
    m = m == SortMarker::Down ? SortMarker::Up : SortMarker::Down;
    order_.assign(1, column);
    pending_ = false;
    Notify();
    return;
  }
  switch (m) {
    case SortMarker::None:
      m = SortMarker::Down;
      order_.push_back(column);
      break;
    case SortMarker::Down: m = SortMarker::Up; break;
    case SortMarker::Up:
      m = SortMarker::None;
      order_.erase(std::remove(order_.begin(), order_.end(), column), order_.end());
      break;
  }
  pending_ = true;
}

void SortMarking::CtrlReleased() {
  if (pending_) {
    pending_ = false;
    Notify();
  }
}

void SortMarking::FocusLost() { CtrlReleased(); }

void SortMarking::Notify() {
  if (onChanged) onChanged();
}

std::string SortMarking::SortText() const {
  std::string text;
  for (int column : order_) {
    SortMarker m = markers_[static_cast<std::size_t>(column)];
    if (m == SortMarker::Up) text += fields_[static_cast<std::size_t>(column)] + " ASC, ";
    else if (m == SortMarker::Down) text += fields_[static_cast<std::size_t>(column)] + " DESC, ";
  }
  if (text.size() >= 2) text.erase(text.size() - 2);
  return text;
}

}  // namespace talven
