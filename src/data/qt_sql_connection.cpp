#include "data/qt_sql_connection.h"

#include <langinfo.h>
#include <sqlite3.h>
#include <strings.h>

#include <clocale>

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QTime>
#include <atomic>
#include <filesystem>

#include "base/convert.h"
#include "base/datetime.h"
#include "base/error.h"
#include "base/text.h"

namespace talven {
namespace {

std::string ToGbk(const QString& s) {
  QByteArray utf8 = s.toUtf8();
  return Utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString FromGbk(std::string_view s) { return QString::fromStdString(GbkToUtf8(s)); }

std::string MessageOf(const QSqlError& error) {
  QString text = error.databaseText().trimmed();
  if (text.isEmpty()) text = error.driverText().trimmed();
  if (text.isEmpty()) text = QStringLiteral("Database error");
  return ToGbk(text);
}

// The kind of a column from the type SQLite declares for it, by SQLite's own
// affinity rules; nullopt when the column has no declared type.
std::optional<FieldKind> KindOfDeclared(const char* declared) {
  if (declared == nullptr || *declared == 0) return std::nullopt;
  std::string t = UpperCase(declared);
  auto has = [&t](std::string_view part) { return t.find(part) != std::string::npos; };
  if (has("INT")) return FieldKind::Integer;
  if (has("CHAR") || has("CLOB") || has("TEXT"))
    return t[0] == 'N' ? FieldKind::WideString : FieldKind::String;
  if (has("BLOB") || has("BINARY") || has("IMAGE")) return FieldKind::Other;
  if (has("REAL") || has("FLOA") || has("DOUB") || has("NUMERIC") || has("DECIMAL") || has("MONEY"))
    return FieldKind::Float;
  if (has("BIT") || has("BOOL")) return FieldKind::Boolean;
  if (has("DATE") || has("TIME")) return FieldKind::DateTime;
  return FieldKind::String;
}

// The kind of a column from the ODBC SQL type the driver reports.
std::optional<FieldKind> KindOfOdbcType(int sqlType) {
  switch (sqlType) {
    case 1: case 12: case -1: return FieldKind::String;             // CHAR, VARCHAR, LONGVARCHAR
    case -8: case -9: case -10: return FieldKind::WideString;       // WCHAR, WVARCHAR, WLONGVARCHAR
    case 4: case 5: case -6: case -5: return FieldKind::Integer;    // INTEGER, SMALLINT, TINYINT, BIGINT
    case 2: case 3: case 6: case 7: case 8: return FieldKind::Float;  // NUMERIC, DECIMAL, FLOAT, REAL, DOUBLE
    case -7: return FieldKind::Boolean;                             // BIT
    case 9: case 10: case 11: case 91: case 92: case 93: return FieldKind::DateTime;
    case -2: case -3: case -4: return FieldKind::Other;             // binary
    default: return std::nullopt;
  }
}

// The kind of the values Qt reports for a column (for SQLite without a
// declared type: the storage class of the first row).
FieldKind KindOfQtType(QMetaType type) {
  switch (type.id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: return FieldKind::Integer;
    case QMetaType::Double: case QMetaType::Float: return FieldKind::Float;
    case QMetaType::Bool: return FieldKind::Boolean;
    case QMetaType::QDate: case QMetaType::QTime: case QMetaType::QDateTime: return FieldKind::DateTime;
    case QMetaType::QByteArray: return FieldKind::Other;
    default: return FieldKind::String;
  }
}

TDateTime Compose(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (or with "T"), as SQLite keeps
// dates in text.
std::optional<TDateTime> ParseIsoDateTime(std::string_view s) {
  auto num = [&s](std::size_t at, std::size_t len) -> std::optional<int> {
    if (at + len > s.size()) return std::nullopt;
    int v = 0;
    for (std::size_t i = at; i < at + len; ++i) {
      if (s[i] < '0' || s[i] > '9') return std::nullopt;
      v = v * 10 + (s[i] - '0');
    }
    return v;
  };
  auto y = num(0, 4), mo = num(5, 2), d = num(8, 2);
  if (!y || !mo || !d || s[4] != '-' || s[7] != '-') return std::nullopt;
  auto date = TryEncodeDate(*y, *mo, *d);
  if (!date) return std::nullopt;
  if (s.size() == 10) return date;
  if (s[10] != ' ' && s[10] != 'T') return std::nullopt;
  auto h = num(11, 2), mi = num(14, 2);
  if (!h || !mi || s[13] != ':') return std::nullopt;
  int sec = 0, ms = 0;
  std::size_t end = 16;
  if (s.size() > 16) {
    auto ss = num(17, 2);
    if (s[16] != ':' || !ss) return std::nullopt;
    sec = *ss;
    end = 19;
    if (s.size() > 19 && s[19] == '.') {
      std::size_t i = 20;
      int scale = 100;
      while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        ms += (s[i] - '0') * scale;
        scale /= 10;
        ++i;
      }
      end = i;
    }
  }
  if (end != s.size()) return std::nullopt;
  auto time = TryEncodeTime(*h, *mi, sec, ms);
  if (!time) return std::nullopt;
  return Compose(*date, *time);
}

TDateTime FromQt(const QDate& date, const QTime& time) {
  TDateTime d = date.isValid() ? static_cast<double>(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay()) : 0;
  TDateTime t = time.isValid() ? time.msecsSinceStartOfDay() / kMSecsPerDay : 0;
  return Compose(d, t);
}

Variant FromQt(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::QString: return Variant(ToGbk(v.toString()));
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Char: case QMetaType::UChar:
      return Variant(static_cast<std::int64_t>(v.toLongLong()));
    case QMetaType::Double: case QMetaType::Float: return Variant(v.toDouble());
    case QMetaType::Bool: return Variant(v.toBool());
    case QMetaType::QDate: return Variant::FromDateTime(FromQt(v.toDate(), QTime()));
    case QMetaType::QTime: return Variant::FromDateTime(FromQt(QDate(), v.toTime()));
    case QMetaType::QDateTime: {
      QDateTime dt = v.toDateTime();
      return Variant::FromDateTime(FromQt(dt.date(), dt.time()));
    }
    case QMetaType::QByteArray: {
      QByteArray b = v.toByteArray();
      return Variant(std::string(b.constData(), static_cast<std::size_t>(b.size())));
    }
    default: return Variant(ToGbk(v.toString()));
  }
}

// Gives every value of a column the form of its kind, so that both routes
// hand out the same values whatever storage class a driver reports.
Variant Coerce(Variant v, FieldKind kind) {
  switch (kind) {
    case FieldKind::String:
    case FieldKind::WideString:
      return v.IsText() ? v : Variant(v.AsText());
    case FieldKind::Integer:
      if (v.IsText())
        if (auto i = TryStrToInt64(v.textValue())) return Variant(*i);
      if (v.type() == VarType::Boolean) return Variant(static_cast<std::int64_t>(v.boolValue() ? 1 : 0));
      return v;
    case FieldKind::Float:
      if (v.type() == VarType::Integer) return Variant(static_cast<double>(v.intValue()));
      if (v.IsText())
        if (auto f = TryStrToFloat(v.textValue())) return Variant(*f);
      return v;
    case FieldKind::Boolean:
      if (v.type() == VarType::Integer) return Variant(v.intValue() != 0);
      return v;
    case FieldKind::DateTime:
      if (v.IsText())
        if (auto dt = ParseIsoDateTime(v.textValue())) return Variant::FromDateTime(*dt);
      return v;
    case FieldKind::Other: return v;
  }
  return v;
}

QVariant ToQt(const Variant& v) {
  switch (v.type()) {
    case VarType::Unassigned:
    case VarType::Null: return QVariant();
    case VarType::Boolean: return QVariant(v.boolValue());
    case VarType::Integer: return QVariant(static_cast<qlonglong>(v.intValue()));
    case VarType::Float: return QVariant(v.floatValue());
    // As SQLite keeps date-times in text, and SQL Server reads them.
    case VarType::DateTime: return QVariant(QString::fromStdString(FormatDateTime("yyyy-mm-dd hh:nn:ss", v.floatValue())));
    case VarType::Text: return QVariant(FromGbk(v.textValue()));
  }
  return QVariant();
}

// unixODBC hands the wide texts that Qt passes to a driver with only 8-bit
// entry points (Debian's SQLite driver is one) in the encoding of the C
// library's character-type locale. Under the "C" locale every non-ASCII
// character, a Chinese column name among them, would arrive as "?"; so the
// ODBC route makes sure that locale is a UTF-8 one.
void EnsureUtf8CharacterLocale() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset != nullptr && (strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0)) return;
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
    if (std::setlocale(LC_CTYPE, name) != nullptr) return;
}

// Text comparisons on SQLite ignore trailing blanks through the RTRIM
// collation (AdaptToSqlite). From version 3.38 SQLite may probe a join
// through a Bloom filter, and up to at least 3.40 (Debian 12's) the filter
// hashes the key's bytes whatever the collation: "1502  " then misses
// "1502" although the comparison says equal, and rows are lost. Such joins
// come with every automatic index and, in databases with statistics, with
// ordinary ones. So every SQLite connection of the process starts with the
// filter switched off: ours, and those the ODBC driver opens with the same
// library. (An optimisation only: results stay, the plans lose the filter.)
int WithoutBloomFilters(sqlite3* db, char**, const sqlite3_api_routines*) {
  constexpr int kBloomFilter = 0x00080000, kBloomPulldown = 0x00100000;  // SQLite's optimisation bits
  sqlite3_test_control(SQLITE_TESTCTRL_OPTIMIZATIONS, db, kBloomFilter | kBloomPulldown);
  return SQLITE_OK;
}

void SetUpSqliteConnections() {
  static const bool done = [] {
    if (sqlite3_libversion_number() >= 3038000)
      sqlite3_auto_extension(reinterpret_cast<void (*)()>(WithoutBloomFilters));
    return true;
  }();
  (void)done;
}

class QtSqlConnection final : public HostConnection {
 public:
  QtSqlConnection(QtSqlRoute route, SqlDialect dialect) : HostConnection(dialect), route_(route) {}
  ~QtSqlConnection() override { CloseDatabase(); }

  void OpenDatabase(std::string_view target) {
    static std::atomic<int> serial{0};
    const QString driver = route_ == QtSqlRoute::Sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QODBC");
    if (!QSqlDatabase::isDriverAvailable(driver))
      throw Error("The Qt SQL driver " + driver.toStdString() + " is not installed");
    if (route_ == QtSqlRoute::Odbc) EnsureUtf8CharacterLocale();
    SetUpSqliteConnections();
    if (route_ == QtSqlRoute::Sqlite) {
      std::error_code ec;
      if (!std::filesystem::is_regular_file(std::filesystem::path(std::string(target)), ec))
        throw Error(Utf8ToGbk("Database file not found: " + std::string(target)));
    }
    name_ = QStringLiteral("talven-host-%1").arg(++serial);
    db_ = QSqlDatabase::addDatabase(driver, name_);
    db_.setDatabaseName(QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size())));
    if (!db_.open()) {
      std::string message = MessageOf(db_.lastError());
      CloseDatabase();
      throw Error(message);
    }
  }

  std::string Route() const override { return route_ == QtSqlRoute::Sqlite ? "sqlite" : "odbc"; }
  bool Connected() const override { return db_.isValid() && db_.isOpen(); }
  void Close() override { CloseDatabase(); }

 protected:
  QueryResult Execute(std::string_view sql, const std::vector<Variant>& params) override {
    if (!Connected()) throw Error("The host connection is closed");
    QueryResult result;
    {
      QSqlQuery q(db_);
      q.setForwardOnly(true);
      q.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
      if (!q.prepare(FromGbk(sql))) throw Error(MessageOf(q.lastError()));
      for (const Variant& p : params) q.addBindValue(ToQt(p));
      if (!q.exec()) throw Error(MessageOf(q.lastError()));
      if (q.isSelect()) {
        Fetch(q, result);
        if (q.lastError().isValid()) throw Error(MessageOf(q.lastError()));
      }
      // Every statement is finished before the query goes, as some ODBC
      // drivers complain at disconnecting otherwise.
      q.finish();
    }
    return result;
  }

 private:
  void Fetch(QSqlQuery& q, QueryResult& result) {
    const QSqlRecord record = q.record();
    const int columns = record.count();
    sqlite3_stmt* statement = nullptr;
    if (route_ == QtSqlRoute::Sqlite) {
      QVariant handle = q.result()->handle();
      if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3_stmt*") == 0)
        statement = *static_cast<sqlite3_stmt* const*>(handle.constData());
    }
    for (int c = 0; c < columns; ++c) {
      const QSqlField field = record.field(c);
      std::optional<FieldKind> kind;
      if (route_ == QtSqlRoute::Sqlite)
        kind = statement ? KindOfDeclared(sqlite3_column_decltype(statement, c)) : std::nullopt;
      else
        kind = KindOfOdbcType(field.typeID());
      // Some ODBC drivers give the length of a name in bytes, and Qt takes
      // that many wide characters: the name ends at the first NUL.
      QString name = field.name();
      const qsizetype nul = name.indexOf(QChar(u'\0'));
      if (nul >= 0) name.truncate(nul);
      result.fields.push_back({ToGbk(name), kind.value_or(KindOfQtType(field.metaType()))});
    }
    while (q.next())
      for (int c = 0; c < columns; ++c)
        result.cells.push_back(q.isNull(c) ? Variant::Null() : Coerce(FromQt(q.value(c)), result.fields[c].kind));
  }

  void CloseDatabase() {
    if (name_.isEmpty()) return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
    name_.clear();
  }

  QtSqlRoute route_;
  QString name_;
  QSqlDatabase db_;
};

}  // namespace

std::unique_ptr<HostConnection> OpenQtSqlConnection(QtSqlRoute route, std::string_view target, SqlDialect dialect) {
  auto connection = std::make_unique<QtSqlConnection>(route, dialect);
  connection->OpenDatabase(target);
  return connection;
}

}  // namespace talven
