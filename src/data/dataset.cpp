#include "data/dataset.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "base/convert.h"
#include "base/error.h"
#include "base/format.h"
#include "base/text.h"
#include "data/sql_text.h"

namespace talven {
namespace {

const Variant& NullValue() {
  static const Variant null = Variant::Null();
  return null;
}

// Order of two cells for sorting: null first, then numbers, then texts.
int CompareCells(const Variant& a, const Variant& b) {
  const bool an = a.IsEmpty(), bn = b.IsEmpty();
  if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
  const bool at = a.IsText(), bt = b.IsText();
  if (!at && !bt) {
    double x = a.AsFloat(), y = b.AsFloat();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (at != bt) return at ? 1 : -1;
  int c = CompareText(a.textValue(), b.textValue());
  return c != 0 ? c : a.textValue().compare(b.textValue());
}

bool SameValue(const Variant& cell, const Variant& key) {
  if (key.IsEmpty() || cell.IsEmpty()) return key.IsEmpty() && cell.IsEmpty();
  if (key.IsText() || cell.IsText()) return SameText(cell.AsText(), key.AsText());
  return cell.AsFloat() == key.AsFloat();
}

const char kClosedMessage[] = "Cannot perform this operation on a closed dataset";

}  // namespace

// -- Field

const std::string& Field::Name() const { return owner_->result_.fields[static_cast<std::size_t>(index_)].name; }

FieldKind Field::Kind() const { return owner_->result_.fields[static_cast<std::size_t>(index_)].kind; }

const Variant& Field::Value() const {
  owner_->RequireActive();
  return owner_->Cell(index_);
}

std::int32_t Field::AsInteger() const {
  const Variant& v = Value();
  std::int64_t i = v.AsInteger();
  if (i < std::numeric_limits<std::int32_t>::min() || i > std::numeric_limits<std::int32_t>::max())
    throw ConvertError(Format("'%s' is not a valid integer value", {v.AsText()}));
  return static_cast<std::int32_t>(i);
}

// -- DataSet

DataSet::DataSet(HostConnection* connection) : connection_(connection) {}
DataSet::~DataSet() = default;

void DataSet::SetConnection(HostConnection* connection) {
  Close();
  connection_ = connection;
}

void DataSet::SetCommandText(std::string_view sql) {
  Close();
  PositionalCommand positional = ToPositional(sql);
  std::vector<ParamValue> params;
  marks_.clear();
  for (const std::string& mark : positional.marks) {
    auto same = [&mark](const ParamValue& p) { return SameText(p.name, mark); };
    auto at = std::find_if(params.begin(), params.end(), same);
    if (at == params.end()) {
      auto old = std::find_if(params_.begin(), params_.end(), same);
      params.push_back({mark, old == params_.end() ? Variant::Null() : old->value});
      at = params.end() - 1;
    }
    marks_.push_back(static_cast<int>(at - params.begin()));
  }
  command_ = std::string(sql);
  positionalText_ = std::move(positional.text);
  params_ = std::move(params);
}

const std::string& DataSet::ParamName(int index) const {
  if (index < 0 || index >= ParamCount()) throw Error(Format("Parameter index %d out of range", {index}));
  return params_[static_cast<std::size_t>(index)].name;
}

void DataSet::SetParam(std::string_view name, const Variant& value) {
  for (ParamValue& p : params_)
    if (SameText(p.name, name)) {
      p.value = value;
      return;
    }
  throw Error(Format("Parameter '%s' not found", {name}));
}

void DataSet::SetParam(int index, const Variant& value) {
  ParamName(index);
  params_[static_cast<std::size_t>(index)].value = value;
}

const Variant& DataSet::Param(std::string_view name) const {
  for (const ParamValue& p : params_)
    if (SameText(p.name, name)) return p.value;
  throw Error(Format("Parameter '%s' not found", {name}));
}

void DataSet::Open() {
  if (active_) return;
  if (connection_ == nullptr) throw Error("The data set has no connection");
  if (Trim(command_).empty()) throw Error("The data set has no command text");
  std::vector<Variant> values;
  values.reserve(marks_.size());
  for (int m : marks_) {
    const Variant& v = params_[static_cast<std::size_t>(m)].value;
    values.push_back(v.IsUnassigned() ? Variant::Null() : v);
  }
  QueryResult result = connection_->Run(positionalText_, values);
  RowFilter filter;
  if (filtered_) {
    filter = RowFilter::Parse(filterText_);
    filter.Bind(result.fields);
  }
  result_ = std::move(result);
  filter_ = std::move(filter);
  active_ = true;
  sort_.clear();
  order_.resize(result_.RowCount());
  std::iota(order_.begin(), order_.end(), 0);
  Rebuild(order_, filtered_ ? &filter_ : nullptr);
  cursor_ = 0;
  bof_ = true;
  eof_ = view_.empty();
  Notify(Change::Opened);
}

void DataSet::Close() {
  if (!active_) return;
  active_ = false;
  result_ = QueryResult();
  order_.clear();
  view_.clear();
  sort_.clear();
  filter_ = RowFilter();
  cursor_ = 0;
  bof_ = eof_ = true;
  Notify(Change::Closed);
}

void DataSet::Requery() {
  Close();
  Open();
}

int DataSet::RecordCount() const { return active_ ? static_cast<int>(view_.size()) : 0; }

int DataSet::RecNo() const { return active_ && !view_.empty() ? cursor_ + 1 : -1; }

void DataSet::SetRecNo(int recNo) {
  RequireActive();
  if (recNo < 1 || recNo > RecordCount())
    throw Error(Format("Record number %d is out of range (1 to %d)", {recNo, RecordCount()}));
  cursor_ = recNo - 1;
  bof_ = eof_ = false;
  Notify(Change::Moved);
}

void DataSet::First() {
  RequireActive();
  cursor_ = 0;
  bof_ = true;
  eof_ = view_.empty();
  Notify(Change::Moved);
}

void DataSet::Last() {
  RequireActive();
  cursor_ = view_.empty() ? 0 : static_cast<int>(view_.size()) - 1;
  eof_ = true;
  bof_ = view_.empty();
  Notify(Change::Moved);
}

void DataSet::Next() {
  RequireActive();
  if (eof_) return;
  if (cursor_ + 1 < static_cast<int>(view_.size())) {
    ++cursor_;
    bof_ = false;
  } else {
    eof_ = true;
  }
  Notify(Change::Moved);
}

void DataSet::Prior() {
  RequireActive();
  if (bof_) return;
  if (cursor_ > 0) {
    --cursor_;
    eof_ = false;
  } else {
    bof_ = true;
  }
  Notify(Change::Moved);
}

bool DataSet::Eof() const { return !active_ || eof_; }
bool DataSet::Bof() const { return !active_ || bof_; }
bool DataSet::IsEmpty() const { return !active_ || view_.empty(); }

std::vector<std::string> DataSet::FieldNames() const {
  std::vector<std::string> names;
  for (const FieldDef& f : result_.fields) names.push_back(f.name);
  return names;
}

Field DataSet::Fields(int index) const {
  RequireActive();
  if (index < 0 || index >= FieldCount()) throw Error(Format("Field index %d out of range", {index}));
  return Field(this, index);
}

Field DataSet::FieldByName(std::string_view name) const {
  RequireActive();
  int c = ColumnOf(name);
  if (c < 0) throw Error(Format("Field '%s' not found", {name}));
  return Field(this, c);
}

std::optional<Field> DataSet::FindField(std::string_view name) const {
  int c = ColumnOf(name);
  if (!active_ || c < 0) return std::nullopt;
  return Field(this, c);
}

Variant DataSet::Lookup(std::string_view keyField, const Variant& key, std::string_view resultField) const {
  const int k = FieldByName(keyField).Index();
  const int r = FieldByName(resultField).Index();
  for (int row : view_)
    if (SameValue(result_.At(static_cast<std::size_t>(row), static_cast<std::size_t>(k)), key))
      return result_.At(static_cast<std::size_t>(row), static_cast<std::size_t>(r));
  return Variant::Null();
}

void DataSet::SetSort(std::string_view sortText) {
  RequireActive();
  std::vector<SortKey> keys;
  auto fail = [&sortText](const std::string& detail) {
    throw Error(Format("Bad sort \"%s\": %s", {sortText, detail}));
  };
  if (!Trim(sortText).empty()) {
    std::size_t start = 0;
    for (;;) {
      // Items end at a comma outside brackets; double-byte characters are
      // stepped over whole.
      std::size_t i = start;
      bool bracket = false;
      while (i < sortText.size() && (bracket || sortText[i] != ',')) {
        if (sortText[i] == '[') bracket = true;
        if (sortText[i] == ']') bracket = false;
        i += IsLeadByte(sortText[i]) && i + 1 < sortText.size() ? 2 : 1;
      }
      std::string item = Trim(sortText.substr(start, i - start));
      bool descending = false;
      std::size_t blank = item.find_last_of(" \t");
      if (blank != std::string::npos) {
        std::string word = item.substr(blank + 1);
        if (SameText(word, "DESC") || SameText(word, "ASC")) {
          descending = SameText(word, "DESC");
          item = Trim(item.substr(0, blank));
        }
      }
      if (item.size() >= 2 && item.front() == '[' && item.back() == ']') item = item.substr(1, item.size() - 2);
      if (item.empty()) fail("a field name is missing");
      int column = ColumnOf(item);
      if (column < 0) fail(Format("there is no field %s", {item}));
      keys.push_back({column, descending});
      if (i >= sortText.size()) break;
      start = i + 1;
    }
  }
  std::vector<int> order(result_.RowCount());
  std::iota(order.begin(), order.end(), 0);
  if (!keys.empty()) {
    std::stable_sort(order.begin(), order.end(), [this, &keys](int a, int b) {
      for (const SortKey& k : keys) {
        int c = CompareCells(result_.At(static_cast<std::size_t>(a), static_cast<std::size_t>(k.column)),
                             result_.At(static_cast<std::size_t>(b), static_cast<std::size_t>(k.column)));
        if (c != 0) return k.descending ? c > 0 : c < 0;
      }
      return false;
    });
  }
  const int current = view_.empty() ? -1 : view_[static_cast<std::size_t>(cursor_)];
  order_ = std::move(order);
  Rebuild(order_, filtered_ ? &filter_ : nullptr);
  auto at = std::find(view_.begin(), view_.end(), current);
  cursor_ = at == view_.end() ? 0 : static_cast<int>(at - view_.begin());
  bof_ = eof_ = view_.empty();
  sort_ = std::string(sortText);
  Notify(Change::Sorted);
}

void DataSet::SetFilter(std::string_view filterText) {
  RowFilter parsed = RowFilter::Parse(filterText);
  if (active_ && filtered_) {
    parsed.Bind(result_.fields);
    filter_ = std::move(parsed);
  }
  filterText_ = std::string(filterText);
  if (active_ && filtered_) {
    Rebuild(order_, &filter_);
    cursor_ = 0;
    bof_ = true;
    eof_ = view_.empty();
    Notify(Change::Filtered);
  }
}

void DataSet::SetFiltered(bool on) {
  if (on == filtered_) return;
  if (active_) {
    RowFilter filter;
    if (on) {
      filter = RowFilter::Parse(filterText_);
      filter.Bind(result_.fields);
    }
    filter_ = std::move(filter);
  }
  filtered_ = on;
  if (active_) {
    Rebuild(order_, on ? &filter_ : nullptr);
    cursor_ = 0;
    bof_ = true;
    eof_ = view_.empty();
    Notify(Change::Filtered);
  }
}

void DataSet::DisableControls() { ++disabled_; }

void DataSet::EnableControls() {
  if (disabled_ == 0) return;
  if (--disabled_ == 0) Notify(Change::ControlsEnabled);
}

int DataSet::AddObserver(Observer observer) {
  observers_.emplace_back(nextObserver_, std::move(observer));
  return nextObserver_++;
}

void DataSet::RemoveObserver(int id) {
  observers_.erase(std::remove_if(observers_.begin(), observers_.end(), [id](const auto& o) { return o.first == id; }),
                   observers_.end());
}

void DataSet::RequireActive() const {
  if (!active_) throw Error(kClosedMessage);
}

int DataSet::ColumnOf(std::string_view name) const {
  for (std::size_t c = 0; c < result_.fields.size(); ++c)
    if (SameText(result_.fields[c].name, name)) return static_cast<int>(c);
  return -1;
}

const Variant& DataSet::ValueAt(int recNo, int fieldIndex) const {
  if (!active_ || recNo < 1 || recNo > static_cast<int>(view_.size())) return NullValue();
  if (fieldIndex < 0 || fieldIndex >= FieldCount()) throw Error(Format("Field index %d out of range", {fieldIndex}));
  return result_.At(static_cast<std::size_t>(view_[static_cast<std::size_t>(recNo - 1)]),
                    static_cast<std::size_t>(fieldIndex));
}

const Variant& DataSet::Cell(int column) const {
  if (view_.empty()) return NullValue();
  return result_.At(static_cast<std::size_t>(view_[static_cast<std::size_t>(cursor_)]), static_cast<std::size_t>(column));
}

void DataSet::Rebuild(const std::vector<int>& order, const RowFilter* filter) {
  if (filter == nullptr || filter->KeepsAll()) {
    view_ = order;
    return;
  }
  view_.clear();
  const std::size_t width = result_.fields.size();
  for (int row : order)
    if (filter->Matches(result_.cells.data() + static_cast<std::size_t>(row) * width)) view_.push_back(row);
}

void DataSet::Notify(Change change) {
  if (disabled_ > 0 || observers_.empty()) return;
  // A copy, so that an observer may add or remove observers.
  auto observers = observers_;
  for (auto& [id, observer] : observers) observer(change);
}

}  // namespace talven
