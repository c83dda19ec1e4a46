// The two routes of the host connection over Qt SQL: SQLite through the
// QSQLITE driver and ODBC through QODBC. Only the data layer sees this.
#pragma once

#include <memory>
#include <string_view>

#include "data/host_connection.h"

namespace talven {

enum class QtSqlRoute { Sqlite, Odbc };

// target: the database file (Sqlite) or the ODBC connection string, UTF-8.
std::unique_ptr<HostConnection> OpenQtSqlConnection(QtSqlRoute route, std::string_view target, SqlDialect dialect);

}  // namespace talven
