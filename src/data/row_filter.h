// The filter of a data set, evaluated in memory on fetched rows; no filter
// text ever reaches the database. The grammar:
//
//   filter     := [ or-term ]
//   or-term    := and-term { "or" and-term }
//   and-term   := factor { "and" factor }
//   factor     := "(" or-term ")" | "not" factor | comparison
//   comparison := field operator value
//   field      := a name (letters, digits, "_", double-byte characters) or a
//                 name in brackets [like this]
//   operator   := "=" | "<>" | "!=" | "<" | "<=" | ">" | ">="
//   value      := 'quoted text' (a doubled quote stands for one) | number |
//                 "null" (only with = and <>: tests for null) | #date#
//
// Keywords are read without regard to letter case; "and" binds closer than
// "or"; brackets and "not" nest at most 100 deep. Values must fit their field: a number or a quoted text holding one
// for numeric fields, a quoted text or #date# holding a date for date fields;
// a text field takes a quoted text, or a number compared as written. Texts
// compare without regard to ASCII letter case. A comparison with a null
// field value is false (only "= null" matches it).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "data/host_connection.h"

namespace talven {

class RowFilter {
 public:
  // Parses the text; a text the grammar rejects raises Error. An empty (or
  // blank) text keeps every row.
  static RowFilter Parse(std::string_view text);

  RowFilter();
  ~RowFilter();
  RowFilter(RowFilter&&) noexcept;
  RowFilter& operator=(RowFilter&&) noexcept;

  // Ties the field names to the columns of a result and converts the values
  // to the fields' kinds; an unknown field or a value that does not fit its
  // field raises Error and leaves the filter unbound.
  void Bind(const std::vector<FieldDef>& fields);

  bool KeepsAll() const;
  // The row's cells, in the order of the fields it was bound to.
  bool Matches(const Variant* row) const;

  struct Node;  // of the parsed tree, defined where it is parsed

 private:
  std::string text_;
  std::vector<Node> nodes_;
  int root_ = -1;
};

}  // namespace talven
