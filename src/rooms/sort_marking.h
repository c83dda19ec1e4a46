// The sort markers of the room grid's column titles and the sort text they
// make. A plain title click marks only that column (none -> down -> up ->
// down ...) and reports the change at once; a Ctrl-click keeps the other
// markers (none -> down -> up -> none) and holds the report back until Ctrl
// is released or the grid loses the focus, so several Ctrl-clicks report
// once.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace talven {

enum class SortMarker { None, Down, Up };

class SortMarking {
 public:
  explicit SortMarking(std::vector<std::string> fieldNames);

  void Click(int column, bool ctrl);
  void CtrlReleased();
  void FocusLost();

  SortMarker MarkerOf(int column) const { return markers_.at(static_cast<std::size_t>(column)); }
  // The marked columns in the order they received their marker.
  const std::vector<int>& MarkedColumns() const { return order_; }
  const std::string& FieldName(int column) const { return fields_.at(static_cast<std::size_t>(column)); }
  int ColumnCount() const { return static_cast<int>(fields_.size()); }
  bool NoticePending() const { return pending_; }

  // "考生人数 DESC, 考点代码 ASC": each marked column's field, " ASC" for up,
  // " DESC" for down, joined by ", ".
  std::string SortText() const;

  // The sort-marking-changed notice.
  std::function<void()> onChanged;

 private:
  void Notify();

  std::vector<std::string> fields_;
  std::vector<SortMarker> markers_;
  std::vector<int> order_;
  bool pending_ = false;
};

}  // namespace talven
