#include "host/room_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include "base/error.h"
#include "base/ui.h"
#include "qtui/qt_ui.h"
#include "rooms/room_list.h"

namespace talven {

RoomGridModel::RoomGridModel(DataSet& list, SortMarking& sorting, QObject* parent)
    : QAbstractTableModel(parent), list_(list), sorting_(sorting) {
  observer_ = list_.AddObserver([this](DataSet::Change change) {
    if (change == DataSet::Change::Moved) {
      emit headerDataChanged(Qt::Vertical, 0, std::max(0, rowCount() - 1));
      if (onCursorMoved) onCursorMoved();
    } else {
      Refresh();
    }
  });
  Refresh();
}

RoomGridModel::~RoomGridModel() { list_.RemoveObserver(observer_); }

void RoomGridModel::Refresh() {
  beginResetModel();
  fieldIndex_.clear();
  for (const RoomColumn& c : RoomColumns()) {
    std::optional<Field> f = list_.Active() ? list_.FindField(c.field) : std::nullopt;
    fieldIndex_.push_back(f ? f->Index() : -1);
  }
  endResetModel();
  if (onCursorMoved) onCursorMoved();
}

int RoomGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !list_.Active() ? 0 : list_.RecordCount();
}

int RoomGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(RoomColumns().size());
}

QVariant RoomGridModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || !list_.Active()) return {};
  int field = fieldIndex_.at(static_cast<std::size_t>(index.column()));
  if (field < 0) return {};
  return ToQt(list_.ValueAt(index.row() + 1, field).AsText());
}

QVariant RoomGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Vertical)  // the row indicator
    return list_.Active() && section == list_.RecNo() - 1 ? QString::fromUtf8("▶") : QString();
  const RoomColumn& column = RoomColumns().at(static_cast<std::size_t>(section));
  QString title = ToQt(column.title);
  switch (sorting_.MarkerOf(section)) {
    case SortMarker::Down: return title + QString::fromUtf8(" ▼");
    case SortMarker::Up: return title + QString::fromUtf8(" ▲");
    default: return title;
  }
}

RoomGrid::RoomGrid(DataSet& list, SortMarking& sorting, QWidget* parent)
    : QTableView(parent), list_(list), sorting_(sorting), model_(new RoomGridModel(list, sorting, this)) {
  setModel(model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setShowGrid(true);
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setDefaultSectionSize(18);
  verticalHeader()->setFixedWidth(14);
  const auto& columns = RoomColumns();
  for (std::size_t i = 0; i < columns.size(); ++i)
    setColumnWidth(static_cast<int>(i), columns[i].width > 0 ? columns[i].width : 64);

  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    setFocus();
    const bool ctrl = QApplication::keyboardModifiers() & Qt::ControlModifier;
    RunShowingErrors([&] { sorting_.Click(section, ctrl); });
    model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
  });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (following_ || !current.isValid() || !list_.Active()) return;
    if (current.row() + 1 != list_.RecNo()) RunShowingErrors([&] { list_.SetRecNo(current.row() + 1); });
  });
  model_->onCursorMoved = [this] { FollowCursor(); };
  FollowCursor();
}

void RoomGrid::FollowCursor() {
  if (!list_.Active() || list_.RecNo() < 1) return;
  following_ = true;
  QModelIndex at = model_->index(list_.RecNo() - 1, std::max(0, currentIndex().column()));
  selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(at);
  following_ = false;
}

void RoomGrid::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Control) RunShowingErrors([&] { sorting_.CtrlReleased(); });
  QTableView::keyReleaseEvent(event);
}

void RoomGrid::focusOutEvent(QFocusEvent* event) {
  RunShowingErrors([&] { sorting_.FocusLost(); });
  QTableView::focusOutEvent(event);
}

}  // namespace talven
