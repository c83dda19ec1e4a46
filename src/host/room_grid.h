// DBGrid1: the room list in a table view with a row indicator, column titles
// as buttons with sort markers, and a current row that follows List_Set.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "data/dataset.h"
#include "rooms/sort_marking.h"

namespace talven {

// The rows of List_Set (in its current order, under its filter) and the
// grid's columns. While the data set's controls are disabled the model does
// not follow it; enabling them shows the rows as they stand.
class RoomGridModel : public QAbstractTableModel {
 public:
  RoomGridModel(DataSet& list, SortMarking& sorting, QObject* parent = nullptr);
  ~RoomGridModel() override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Called when the data set reports a change; the view follows the cursor.
  std::function<void()> onCursorMoved;
  void Refresh();

 private:
  DataSet& list_;
  SortMarking& sorting_;
  std::vector<int> fieldIndex_;  // data set field of each grid column, -1 if absent
  int observer_ = -1;
};

class RoomGrid : public QTableView {
 public:
  RoomGrid(DataSet& list, SortMarking& sorting, QWidget* parent);
  RoomGridModel* Model() { return model_; }

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void FollowCursor();

  DataSet& list_;
  SortMarking& sorting_;
  RoomGridModel* model_;
  bool following_ = false;
};

}  // namespace talven
