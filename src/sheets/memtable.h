// The in-memory candidate tables of the sign-in sheets. The print action
// copies every candidate of the chosen rooms into one of them, the photo
// arrangement rebuilds those rows into card slots in another, and the report
// binding walks one of them row by row while the report engine asks for
// values. The report engine never reads the database itself.
//
// Every table holds the same twelve-field candidate row. There is no index,
// sort order or filter: rows stay in the order they were appended.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/variant.h"

namespace talven {

enum class TMemFieldType { Text, Integer, Float };

struct TMemFieldDef {
  const char* name;
  TMemFieldType type;
  std::size_t width;  // bytes of GBK text; 0 for numbers
};

// The candidate row, in field order.
constexpr std::size_t kCandidateFieldCount = 12;
extern const std::array<TMemFieldDef, kCandidateFieldCount> kCandidateFields;

class TMemTable;

// A field of the current row, as FieldByName hands it out: a light handle
// that reads and writes through its table.
//
// Reading: a null field reads as "" as text and as 0 as a number; an integer
// field reads as its decimal text, a floating field as FloatToStr's text; a
// text field read as a number is converted with the runtime's rules (and
// fails with their message).
// Writing (only while the row is being appended or edited): a text longer
// than a text field's width is cut to the width, one byte earlier when the
// cut would split a double-byte character; a text written into a number
// field is converted (the empty text makes the field null); a floating value
// written into an integer field is rounded half to even.
class TMemField {
 public:
  const char* FieldName() const;
  TMemFieldType DataType() const;

  bool IsNull() const;
  std::string AsString() const;
  std::int32_t AsInteger() const;
  double AsFloat() const;

  void SetAsString(std::string_view value) const;
  void SetAsInteger(std::int32_t value) const;
  void SetAsFloat(double value) const;
  void Clear() const;  // makes the field null

 private:
  friend class TMemTable;
  TMemField(TMemTable* table, std::size_t index) : table_(table), index_(index) {}

  TMemTable* table_;
  std::size_t index_;
};

class TMemTable {
 public:
  enum class State { Inactive, Browse, Insert, Edit };

  TMemTable() = default;  // created closed
  TMemTable(const TMemTable&) = delete;
  TMemTable& operator=(const TMemTable&) = delete;

  // Closing discards every row; opening gives an empty table with the twelve
  // fields. Empty does both, and is the way the program clears a table.
  void Open();
  void Close();
  void Empty();
  bool Active() const { return state_ != State::Inactive; }
  State state() const { return state_; }

  // Adds a row after the last one and makes it current, every field null, in
  // insert state. The row is stored by Post, or without one when another row
  // is appended and before every move or delete.
  void Append();
  // Puts the current stored row into edit state; right after Append it does
  // nothing.
  void Edit();
  // Stores the row being appended or edited; in browse state nothing.
  void Post();

  void First();
  void Next();
  void Prior();
  // Begin and end flags. A closed table reads as an empty one: no row, both
  // flags set, record count 0.
  bool Bof() const;
  bool Eof() const;
  // Stored rows (a row still being appended is not counted).
  int RecordCount() const;

  // The field of the current row with that name, letter case not significant
  // ("bmh" names BMH). An unknown name fails with "Field '%s' not found".
  TMemField FieldByName(std::string_view name);

  // Stores a pending row, then makes current the first row, in table order,
  // whose key fields (names separated by ";") equal the values: texts
  // exactly (letter case matters, whole value; a null text field equals ""),
  // numbers by value (a null number field equals only a null value).
  // Answers false and leaves the cursor where it was when no row matches.
  bool Locate(std::string_view keyFields, std::initializer_list<Variant> values);

  // Removes the current row (storing a pending one first); the following row
  // becomes current, or the new last row when the last one went. Fails on an
  // empty or closed table.
  void Delete();

 private:
  friend class TMemField;
  using Cell = std::variant<std::monostate, std::string, std::int32_t, double>;
  using Row = std::array<Cell, kCandidateFieldCount>;

  void RequireActive() const;
  void StorePending();
  void Step(bool forward);
  // The row that field reads see, or none on an empty table.
  const Row* CurrentRow() const;
  // The row that field writes go to; fails unless appending or editing.
  Row& WritableRow();

  State state_ = State::Inactive;
  std::vector<Row> rows_;
  Row pending_{};            // the row being appended
  std::size_t current_ = 0;  // index in rows_ while browsing or editing
  bool bof_ = true;
  bool eof_ = true;
};

}  // namespace talven
