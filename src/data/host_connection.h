// The host's connection to its exam database. The host program opens it and
// owns it; the module binds its data sets to it and never opens, closes or
// frees it. Two routes stand behind the one interface:
//
//   sqlite:PATH
//       an SQLite database file (it must exist). The module's SQL, written in
//       SQL Server's dialect, is adapted on the way (AdaptToSqlite).
//   odbc:CONNECTION-STRING[?dialect=mssql|sqlite]
//       any ODBC data source through unixODBC, for example
//       odbc:DSN=exam;UID=sa;PWD={secret}  (SQL Server through FreeTDS) or
//       odbc:DRIVER={SQLite3};Database=/srv/exam.db;?dialect=sqlite
//       The connection string goes to the driver as written. With the dialect
//       mssql (the default) the SQL text goes unchanged; with sqlite it is
//       adapted as on the sqlite route. The options begin at the last "?"
//       outside braces, so a "?" inside a value must be braced.
//
// URLs and paths are UTF-8 (they come from the command line and the file
// system); every other text crossing this interface is GBK. Database text
// arrives as UTF-8 (SQLite) or in the driver's wide characters (ODBC) and
// becomes GBK here. Opening an ODBC connection makes sure the C library's
// character-type locale is a UTF-8 one (unixODBC converts the wide texts for
// drivers with 8-bit entry points by it; under "C" non-ASCII text is lost).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/variant.h"
#include "data/sql_text.h"

namespace talven {

enum class SqlDialect { SqlServer, Sqlite };

// What a result column holds, from the type the database declares for it:
// CHAR, VARCHAR, TEXT are plain character strings; NCHAR, NVARCHAR, NTEXT
// wide ones; the rest by their kind. A column without a declared type (an
// expression) takes the kind of its values.
enum class FieldKind { String, WideString, Integer, Float, Boolean, DateTime, Other };

struct FieldDef {
  std::string name;  // as the result names it
  FieldKind kind = FieldKind::String;
};

// A fetched result: its columns in select order and its rows, stored row
// after row (cell (r, c) is cells[r * fields.size() + c]). Values are null,
// texts for character columns, integers, floats, booleans or date-times.
struct QueryResult {
  std::vector<FieldDef> fields;
  std::vector<Variant> cells;

  std::size_t RowCount() const { return fields.empty() ? 0 : cells.size() / fields.size(); }
  const Variant& At(std::size_t row, std::size_t column) const { return cells[row * fields.size() + column]; }
};

class HostConnection {
 public:
  // Opens a connection named by a URL (above). Fails with the driver's
  // message, or with "Database file not found: PATH" for a missing SQLite
  // file (an empty database is never created in its place).
  static std::unique_ptr<HostConnection> Open(std::string_view url);

  virtual ~HostConnection() = default;
  HostConnection(const HostConnection&) = delete;
  HostConnection& operator=(const HostConnection&) = delete;

  // "sqlite" or "odbc".
  virtual std::string Route() const = 0;
  SqlDialect Dialect() const { return dialect_; }
  virtual bool Connected() const = 0;
  // For the host: ends the connection. Every later Run fails with
  // "The host connection is closed".
  virtual void Close() = 0;

  // Runs one statement (GBK, SQL Server's dialect, with "?" marks bound in
  // order to params) and fetches every row. Failures raise Error with the
  // database's message.
  QueryResult Run(std::string_view sql, const std::vector<Variant>& params = {});

  // The text Run sends to the database for sql.
  std::string DatabaseText(std::string_view sql);

 protected:
  explicit HostConnection(SqlDialect dialect) : dialect_(dialect) {}
  // Runs the text as the database receives it.
  virtual QueryResult Execute(std::string_view sql, const std::vector<Variant>& params) = 0;

 private:
  ColumnKind KindOfColumn(std::string_view column);

  SqlDialect dialect_;
  // Column name (lower case) -> what the database's tables and views declare
  // it as, learnt the first time an adaptation needs it.
  std::optional<std::unordered_map<std::string, ColumnKind>> columnKinds_;
};

}  // namespace talven
