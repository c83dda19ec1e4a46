// DataSet: the module's data set (List_Set, Report_Set, Temp_Set and the
// private queries). It is bound to the host connection, never owns it, and
// works client-side: Open runs the command and fetches every row; sorting
// and filtering then happen in memory, so no sort or filter text is ever
// pasted into SQL.
//
// The cursor walks the rows in their current order (the query's, or the sort
// text's) among those that pass the filter. As with the runtime's data sets,
// Next on the last row sets Eof and stays on that row, Prior on the first
// sets Bof; the values of the current row stay readable.
//
// All texts are GBK. Failures raise Error with the data layer's message and
// leave the data set as it was (a failing Open leaves it closed).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "data/host_connection.h"
#include "data/row_filter.h"

namespace talven {

class DataSet;

// A field of the current row, by position in the data set's field list. It
// reads the row that is current when it is asked, so it may be kept across
// cursor moves while the data set stays open.
class Field {
 public:
  const std::string& Name() const;
  FieldKind Kind() const;
  // Declared CHAR, VARCHAR or TEXT (not a wide string, a number or a date).
  bool IsPlainString() const { return Kind() == FieldKind::String; }
  int Index() const { return index_; }

  // The value of the current row; null when the data set has no row.
  const Variant& Value() const;
  bool IsNull() const { return Value().IsEmpty(); }
  // Null gives the empty text, 0 and 0.0. A text that is no number fails with
  // the runtime's conversion message.
  std::string AsString() const { return Value().AsText(); }
  std::int32_t AsInteger() const;
  double AsFloat() const { return Value().AsFloat(); }

 private:
  friend class DataSet;
  Field(const DataSet* owner, int index) : owner_(owner), index_(index) {}
  const DataSet* owner_;
  int index_;
};

class DataSet {
 public:
  // What a change notice reports.
  enum class Change { Opened, Closed, Moved, Filtered, Sorted, ControlsEnabled };
  using Observer = std::function<void(Change)>;

  explicit DataSet(HostConnection* connection = nullptr);
  ~DataSet();
  DataSet(const DataSet&) = delete;
  DataSet& operator=(const DataSet&) = delete;

  // -- connection and command
  void SetConnection(HostConnection* connection);
  HostConnection* Connection() const { return connection_; }
  // Setting the command closes an open data set. Each colon-prefixed name
  // in it becomes a parameter; parameters keep the values of the same names
  // from the previous command.
  void SetCommandText(std::string_view sql);
  const std::string& CommandText() const { return command_; }

  // Parameters: distinct names in order of first appearance, compared
  // without regard to letter case. A parameter never set is null.
  int ParamCount() const { return static_cast<int>(params_.size()); }
  const std::string& ParamName(int index) const;
  // Fails with "Parameter 'X' not found" / "Parameter index N out of range".
  void SetParam(std::string_view name, const Variant& value);
  void SetParam(int index, const Variant& value);
  const Variant& Param(std::string_view name) const;

  // -- open and close
  // Runs the command and fetches its rows; the cursor goes to the first row
  // and a filter in force is applied again. Does nothing when already open.
  void Open();
  // Drops the rows and the sort; keeps the command, parameters and filter.
  void Close();
  // Close and Open: runs the command again.
  void Requery();
  bool Active() const { return active_; }

  // -- rows and cursor
  // Rows that pass the filter; 0 when closed.
  int RecordCount() const;
  // 1-based position of the current row in the current order; -1 without
  // rows or when closed. Setting it moves there (fails outside 1..count).
  int RecNo() const;
  void SetRecNo(int recNo);
  void First();
  void Last();
  void Next();
  void Prior();
  bool Eof() const;
  bool Bof() const;
  bool IsEmpty() const;

  // -- fields: the result's fields in select order (none while closed)
  int FieldCount() const { return static_cast<int>(result_.fields.size()); }
  const std::vector<FieldDef>& FieldDefs() const { return result_.fields; }
  std::vector<std::string> FieldNames() const;
  // By position from 0, or by name without regard to letter case; fail with
  // "Field index N out of range" / "Field 'X' not found", and on a closed
  // data set (as does reading a Field's value once it is closed).
  Field Fields(int index) const;
  Field FieldByName(std::string_view name) const;
  std::optional<Field> FindField(std::string_view name) const;

  // The value of a field in the row at 1-based position recNo of the current
  // order (under the filter), without moving the cursor: what a grid shows
  // for its rows. Null outside 1..RecordCount or on a closed data set; a bad
  // field index fails with "Field index N out of range".
  const Variant& ValueAt(int recNo, int fieldIndex) const;

  // The value of resultField in the first row (in the current order, among
  // the rows that pass the filter) whose keyField equals key; texts compare
  // without regard to ASCII letter case. Null when no row matches. The
  // cursor does not move.
  Variant Lookup(std::string_view keyField, const Variant& key, std::string_view resultField) const;

  // -- sort: "name [ASC|DESC], name [ASC|DESC] …" (ASC when left out). Applies
  // to the open result only; the cursor stays on its row; an empty text
  // gives back the query's order. A bad text raises and changes nothing.
  void SetSort(std::string_view sortText);
  const std::string& Sort() const { return sort_; }

  // -- filter (grammar in row_filter.h). The text and the on/off switch
  // stay in force across Close and Open. A change that applies moves the
  // cursor to the first passing row. A text the grammar or the field kinds
  // reject raises and leaves the rows, the text and the switch as they were.
  void SetFilter(std::string_view filterText);
  const std::string& Filter() const { return filterText_; }
  void SetFiltered(bool on);
  bool Filtered() const { return filtered_; }

  // -- attached controls and change notices. While controls are disabled
  // (calls nest) no notice goes out; enabling them again sends one
  // ControlsEnabled notice.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disabled_ > 0; }
  // Notices go out after open, close, cursor moves, filter and sort changes.
  int AddObserver(Observer observer);
  void RemoveObserver(int id);

 private:
  friend class Field;
  struct SortKey {
    int column;
    bool descending;
  };

  void RequireActive() const;
  int ColumnOf(std::string_view name) const;  // -1 when absent
  const Variant& Cell(int column) const;
  void Rebuild(const std::vector<int>& order, const RowFilter* filter);
  void Notify(Change change);

  HostConnection* connection_;
  std::string command_;
  struct ParamValue {
    std::string name;
    Variant value;
  };
  std::vector<ParamValue> params_;
  std::string positionalText_;
  std::vector<int> marks_;  // parameter index of each "?" mark

  bool active_ = false;
  QueryResult result_;
  std::vector<int> order_;  // every row, in sort order
  std::vector<int> view_;   // the rows of order_ that pass the filter
  int cursor_ = 0;          // index into view_
  bool bof_ = true, eof_ = true;

  std::string sort_;
  std::string filterText_;
  RowFilter filter_;  // bound to result_'s fields while active and filtered
  bool filtered_ = false;

  int disabled_ = 0;
  int nextObserver_ = 1;
  std::vector<std::pair<int, Observer>> observers_;
};

}  // namespace talven
