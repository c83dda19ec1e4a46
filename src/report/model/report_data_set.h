// ReportDataSet: a database data set as the report engine reaches it — the
// cursor that a TfrDBDataSet walks and the fields that data-field references
// in memos and the dictionary read. The module's own data sets are adapted
// to it; tests use a small table of their own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "report/model/component.h"

namespace talven {

enum class TfrFieldKind { Text, Boolean, Integer, LargeInt, Float, DateTime, Blob, Other };

class ReportDataSet : public TfrComponent {
 public:
  using TfrComponent::TfrComponent;

  virtual void Open() = 0;
  virtual void Close() = 0;
  virtual bool Active() const = 0;

  virtual void First() = 0;
  virtual void Next() = 0;
  virtual void Prior() = 0;
  // After the last row (or no rows).
  virtual bool Eof() const = 0;
  virtual int RecordCount() const = 0;
  // The current row from 1; 0 when there is none.
  virtual int RecNo() const = 0;

  virtual std::vector<std::string> FieldNames() const = 0;
  // By name without regard to letter case; -1 when absent.
  virtual int FieldIndex(std::string_view name) const;
  // The field's value in the current row; null when the field is null.
  virtual Variant FieldValue(int field) const = 0;
  virtual TfrFieldKind FieldKind(int field) const = 0;
  bool FieldIsText(int field) const { return FieldKind(field) == TfrFieldKind::Text; }
  // Whether the field has a handler of its own that gives its display text,
  // and that text (by default the value as text).
  virtual bool HasTextHandler(int /*field*/) const { return false; }
  virtual std::string FieldDisplayText(int field) const { return FieldValue(field).AsText(); }
  // A blob field's bytes (by default the value as text).
  virtual std::string FieldBytes(int field) const { return FieldValue(field).AsText(); }

  // A mark of the current row to come back to; by default the row number.
  virtual int Bookmark() const { return RecNo(); }
  virtual void GotoBookmark(int bookmark);

  ReportDataSet* FieldData() override { return this; }
};

// The value a report reads from a field: the display text when the field has
// a text handler or holds 64-bit integers, else the value; a null value
// becomes "" for text fields, false for boolean fields and 0 for all others.
Variant ReportFieldValue(const ReportDataSet& data, int field);

}  // namespace talven
