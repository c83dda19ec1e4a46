#include "data/host_connection.h"

#include "base/error.h"
#include "base/text.h"
#include "data/qt_sql_connection.h"
#include "data/sql_text.h"

namespace talven {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Splits "CONNECTION-STRING?options" at the last "?" outside braces.
void SplitOdbcUrl(std::string_view rest, std::string& connection, std::string& options) {
  std::size_t at = std::string_view::npos;
  int depth = 0;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '{') ++depth;
    if (rest[i] == '}' && depth > 0) --depth;
    if (rest[i] == '?' && depth == 0) at = i;
  }
  connection = std::string(rest.substr(0, at));
  options = at == std::string_view::npos ? std::string() : std::string(rest.substr(at + 1));
}

SqlDialect ParseOdbcOptions(std::string_view options) {
  SqlDialect dialect = SqlDialect::SqlServer;
  while (!options.empty()) {
    std::size_t amp = options.find('&');
    std::string_view item = options.substr(0, amp);
    options = amp == std::string_view::npos ? std::string_view() : options.substr(amp + 1);
    if (item.empty()) continue;
    std::size_t eq = item.find('=');
    std::string key = LowerCase(item.substr(0, eq));
    std::string value = eq == std::string_view::npos ? std::string() : LowerCase(item.substr(eq + 1));
    if (key != "dialect")
      throw Error("Unknown option '" + std::string(item) + "' in the connection URL (known: dialect)");
    if (value == "sqlite")
      dialect = SqlDialect::Sqlite;
    else if (value == "mssql")
      dialect = SqlDialect::SqlServer;
    else
      throw Error("Unknown dialect '" + value + "' in the connection URL (known: mssql, sqlite)");
  }
  return dialect;
}

bool DeclaresText(std::string_view type) {
  std::string upper = UpperCase(type);
  for (std::string_view part : {"CHAR", "CLOB", "TEXT"})
    if (upper.find(part) != std::string::npos) return true;
  return false;
}

bool DeclaresNumber(std::string_view type) {
  std::string upper = UpperCase(type);
  for (std::string_view part : {"INT", "REAL", "FLOA", "DOUB", "NUMERIC", "DECIMAL", "MONEY", "BIT"})
    if (upper.find(part) != std::string::npos) return true;
  return false;
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += ReplaceAll(text, "'", "''");
  quoted += '\'';
  return quoted;
}

}  // namespace

std::unique_ptr<HostConnection> HostConnection::Open(std::string_view url) {
  if (StartsWith(url, "sqlite:")) return OpenQtSqlConnection(QtSqlRoute::Sqlite, url.substr(7), SqlDialect::Sqlite);
  if (StartsWith(url, "odbc:")) {
    std::string connection, options;
    SplitOdbcUrl(url.substr(5), connection, options);
    if (connection.empty()) throw Error("The connection URL 'odbc:' names no data source");
    return OpenQtSqlConnection(QtSqlRoute::Odbc, connection, ParseOdbcOptions(options));
  }
  throw Error(Utf8ToGbk("Unknown connection URL '" + std::string(url) +
                        "' (expected sqlite:PATH or odbc:CONNECTION-STRING)"));
}

QueryResult HostConnection::Run(std::string_view sql, const std::vector<Variant>& params) {
  if (!Connected()) throw Error("The host connection is closed");
  return Execute(DatabaseText(sql), params);
}

std::string HostConnection::DatabaseText(std::string_view sql) {
  if (dialect_ != SqlDialect::Sqlite) return std::string(sql);
  return AdaptToSqlite(sql, [this](std::string_view column) { return KindOfColumn(column); });
}

ColumnKind HostConnection::KindOfColumn(std::string_view column) {
  if (!columnKinds_) {
    struct Seen {
      bool text = false, number = false;
    };
    std::unordered_map<std::string, Seen> seen;
    QueryResult objects = Execute("select name from sqlite_master where type in ('table','view')", {});
    for (std::size_t r = 0; r < objects.RowCount(); ++r) {
      QueryResult columns;
      try {
        columns = Execute("select name, type from pragma_table_info(" + Quoted(objects.At(r, 0).AsText()) + ")", {});
      } catch (const Error&) {
        continue;  // a view that no longer compiles declares nothing
      }
      for (std::size_t c = 0; c < columns.RowCount(); ++c) {
        Seen& s = seen[LowerCase(columns.At(c, 0).AsText())];
        std::string type = columns.At(c, 1).AsText();
        s.text = s.text || DeclaresText(type);
        s.number = s.number || DeclaresNumber(type);
      }
    }
    columnKinds_.emplace();
    for (const auto& [name, s] : seen)
      (*columnKinds_)[name] = s.text == s.number ? ColumnKind::Unknown : s.text ? ColumnKind::Text : ColumnKind::Number;
  }
  auto it = columnKinds_->find(LowerCase(column));
  return it == columnKinds_->end() ? ColumnKind::Unknown : it->second;
}

}  // namespace talven
