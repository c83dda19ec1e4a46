#include "sheets/memtable.h"

#include "base/convert.h"
#include "base/error.h"
#include "base/rounding.h"
#include "base/text.h"

namespace talven {

const std::array<TMemFieldDef, kCandidateFieldCount> kCandidateFields = {{
    {"dwmc", TMemFieldType::Text, 30},
    {"zkzh", TMemFieldType::Text, 20},
    {"xm", TMemFieldType::Text, 8},
    {"sfzh", TMemFieldType::Text, 20},
    {"jbyy", TMemFieldType::Text, 26},
    {"jbyydm", TMemFieldType::Text, 2},
    {"BMH", TMemFieldType::Text, 15},
    {"wzh", TMemFieldType::Integer, 0},
    {"kcwz", TMemFieldType::Text, 40},
    {"bssj", TMemFieldType::Float, 0},
    {"kch", TMemFieldType::Text, 40},
    {"rs", TMemFieldType::Integer, 0},
}};

namespace {

std::size_t FieldIndex(std::string_view name) {
  for (std::size_t i = 0; i < kCandidateFields.size(); ++i) {
    if (SameText(kCandidateFields[i].name, name)) return i;
  }
  throw Error("Field '" + std::string(name) + "' not found");
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

// ---- TMemField ----

const char* TMemField::FieldName() const { return kCandidateFields[index_].name; }

TMemFieldType TMemField::DataType() const { return kCandidateFields[index_].type; }

bool TMemField::IsNull() const {
  const TMemTable::Row* row = table_->CurrentRow();
  return row == nullptr || std::holds_alternative<std::monostate>((*row)[index_]);
}

std::string TMemField::AsString() const {
  const TMemTable::Row* row = table_->CurrentRow();
  if (row == nullptr) return {};
  return std::visit(Overloaded{
                        [](std::monostate) { return std::string(); },
                        [](const std::string& s) { return s; },
                        [](std::int32_t v) { return IntToStr(v); },
                        [](double v) { return FloatToStr(v); },
                    },
                    (*row)[index_]);
}

std::int32_t TMemField::AsInteger() const {
  const TMemTable::Row* row = table_->CurrentRow();
  if (row == nullptr) return 0;
  return std::visit(Overloaded{
                        [](std::monostate) { return std::int32_t{0}; },
                        [](const std::string& s) { return StrToInt(s); },
                        [](std::int32_t v) { return v; },
                        [](double v) { return RoundHalfEven(v); },
                    },
                    (*row)[index_]);
}

double TMemField::AsFloat() const {
  const TMemTable::Row* row = table_->CurrentRow();
  if (row == nullptr) return 0;
  return std::visit(Overloaded{
                        [](std::monostate) { return 0.0; },
                        [](const std::string& s) { return StrToFloat(s); },
                        [](std::int32_t v) { return static_cast<double>(v); },
                        [](double v) { return v; },
                    },
                    (*row)[index_]);
}

void TMemField::SetAsString(std::string_view value) const {
  const TMemFieldDef& def = kCandidateFields[index_];
  TMemTable::Cell& cell = table_->WritableRow()[index_];
  if (def.type == TMemFieldType::Text) {
    cell = CutToWidth(value, def.width);
  } else if (value.empty()) {
    cell = std::monostate{};
  } else if (def.type == TMemFieldType::Integer) {
    cell = StrToInt(value);
  } else {
    cell = StrToFloat(value);
  }
}

void TMemField::SetAsInteger(std::int32_t value) const {
  const TMemFieldType type = DataType();
  if (type == TMemFieldType::Text) {
    SetAsString(IntToStr(value));
    return;
  }
  TMemTable::Cell& cell = table_->WritableRow()[index_];
  if (type == TMemFieldType::Integer) {
    cell = value;
  } else {
    cell = static_cast<double>(value);
  }
}

void TMemField::SetAsFloat(double value) const {
  const TMemFieldType type = DataType();
  if (type == TMemFieldType::Text) {
    SetAsString(FloatToStr(value));
    return;
  }
  TMemTable::Cell& cell = table_->WritableRow()[index_];
  if (type == TMemFieldType::Integer) {
    cell = RoundHalfEven(value);
  } else {
    cell = value;
  }
}

void TMemField::Clear() const { table_->WritableRow()[index_] = std::monostate{}; }

// ---- TMemTable ----

void TMemTable::Open() {
  if (Active()) return;
  rows_.clear();
  current_ = 0;
  bof_ = eof_ = true;
  state_ = State::Browse;
}

void TMemTable::Close() {
  rows_.clear();
  rows_.shrink_to_fit();
  current_ = 0;
  bof_ = eof_ = true;
  state_ = State::Inactive;
}

void TMemTable::Empty() {
  Close();
  Open();
}

void TMemTable::RequireActive() const {
  if (!Active()) throw Error("Cannot perform this operation on a closed dataset");
}

void TMemTable::StorePending() {
  if (state_ == State::Insert) {
    rows_.push_back(std::move(pending_));
    pending_ = Row{};
    current_ = rows_.size() - 1;
  }
  if (state_ == State::Insert || state_ == State::Edit) state_ = State::Browse;
}

void TMemTable::Append() {
  RequireActive();
  StorePending();
  pending_ = Row{};
  state_ = State::Insert;
  bof_ = eof_ = false;
}

void TMemTable::Edit() {
  RequireActive();
  if (state_ != State::Browse) return;
  if (rows_.empty()) {
    Append();
    return;
  }
  state_ = State::Edit;
}

void TMemTable::Post() {
  RequireActive();
  StorePending();
}

void TMemTable::First() {
  if (!Active()) return;
  StorePending();
  current_ = 0;
  bof_ = true;
  eof_ = rows_.empty();
}

void TMemTable::Next() { Step(true); }

void TMemTable::Prior() { Step(false); }

void TMemTable::Step(bool forward) {
  if (!Active()) return;
  StorePending();
  if (rows_.empty()) {
    bof_ = eof_ = true;
    return;
  }
  // A move that starts at its own end does nothing; one that starts at the
  // other end leaves it.
  bool& atEnd = forward ? eof_ : bof_;
  bool& atOtherEnd = forward ? bof_ : eof_;
  if (atEnd) return;
  atOtherEnd = false;
  const bool canMove = forward ? current_ + 1 < rows_.size() : current_ > 0;
  if (!canMove) {
    atEnd = true;
  } else if (forward) {
    ++current_;
  } else {
    --current_;
  }
}

bool TMemTable::Bof() const { return !Active() || bof_; }

bool TMemTable::Eof() const { return !Active() || eof_; }

int TMemTable::RecordCount() const { return static_cast<int>(rows_.size()); }

TMemField TMemTable::FieldByName(std::string_view name) { return TMemField(this, FieldIndex(name)); }

const TMemTable::Row* TMemTable::CurrentRow() const {
  switch (state_) {
    case State::Inactive:
      return nullptr;
    case State::Insert:
      return &pending_;
    case State::Browse:
    case State::Edit:
      break;
  }
  return rows_.empty() ? nullptr : &rows_[current_];
}

TMemTable::Row& TMemTable::WritableRow() {
  if (state_ == State::Insert) return pending_;
  if (state_ == State::Edit) return rows_[current_];
  throw Error("Dataset not in edit or insert mode");
}

bool TMemTable::Locate(std::string_view keyFields, std::initializer_list<Variant> values) {
  std::vector<std::size_t> keys;
  std::size_t start = 0;
  while (start <= keyFields.size()) {
    std::size_t end = keyFields.find(';', start);
    if (end == std::string_view::npos) end = keyFields.size();
    keys.push_back(FieldIndex(keyFields.substr(start, end - start)));
    start = end + 1;
  }
  if (keys.size() != values.size()) {
    throw Error("Locate: " + std::to_string(keys.size()) + " key fields but " + std::to_string(values.size()) +
                " values");
  }
  if (!Active()) return false;
  StorePending();

  auto matches = [&](const Row& row) {
    const Variant* value = values.begin();
    for (std::size_t key : keys) {
      const Cell& cell = row[key];
      const Variant& v = *value++;
      if (kCandidateFields[key].type == TMemFieldType::Text) {
        const std::string* text = std::get_if<std::string>(&cell);
        if ((text != nullptr ? std::string_view(*text) : std::string_view()) != v.AsText()) return false;
        continue;
      }
      if (std::holds_alternative<std::monostate>(cell) || v.IsEmpty()) {
        if (std::holds_alternative<std::monostate>(cell) != v.IsEmpty()) return false;
        continue;
      }
      double number = std::holds_alternative<std::int32_t>(cell) ? std::get<std::int32_t>(cell) : std::get<double>(cell);
      if (number != v.AsFloat()) return false;
    }
    return true;
  };

  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (matches(rows_[i])) {
      current_ = i;
      bof_ = eof_ = false;
      return true;
    }
  }
  return false;
}

void TMemTable::Delete() {
  RequireActive();
  StorePending();
  if (rows_.empty()) throw Error("Cannot perform this operation on an empty dataset");
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(current_));
  if (rows_.empty()) {
    current_ = 0;
    bof_ = eof_ = true;
    return;
  }
  if (current_ >= rows_.size()) current_ = rows_.size() - 1;
  bof_ = eof_ = false;
}

}  // namespace talven
