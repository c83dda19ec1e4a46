#include "data/host_connection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/error.h"
#include "base/text.h"
#include "data/dataset.h"
#include "support/fixture.h"
#include "support/module_queries.h"

namespace talven {
namespace {

using test::TempDir;

TEST(HostConnection, UrlsThatCannotBeOpenedFailWithAClearMessage) {
  TempDir dir;
  const std::string missing = dir.File("none.db");
  EXPECT_EQ(ErrorOf([&] { HostConnection::Open("sqlite:" + missing); }), "Database file not found: " + missing);
  EXPECT_FALSE(std::filesystem::exists(missing));  // no empty database in its place
  EXPECT_EQ(ErrorOf([] { HostConnection::Open("mysql:x"); }),
            "Unknown connection URL 'mysql:x' (expected sqlite:PATH or odbc:CONNECTION-STRING)");
  EXPECT_EQ(ErrorOf([] { HostConnection::Open("odbc:DSN=x;?dialect=oracle"); }),
            "Unknown dialect 'oracle' in the connection URL (known: mssql, sqlite)");
  EXPECT_EQ(ErrorOf([] { HostConnection::Open("odbc:DSN=x;?mode=ro"); }),
            "Unknown option 'mode=ro' in the connection URL (known: dialect)");
  // The driver's own message for a data source that does not exist.
  std::string message = ErrorOf([] { HostConnection::Open("odbc:DRIVER={No Such Driver};Database=x;"); });
  EXPECT_NE(message.find("No Such Driver"), std::string::npos) << message;
}

TEST(HostConnection, TheDialectOptionDecidesWhetherTheTextIsAdapted) {
  TempDir dir;
  const std::string db = dir.File("x.db");
  test::MakeDatabase(db, "create table t (kddm varchar(6), bskch varchar(8)); insert into t values ('3201', '1401');");
  const std::string sql = "select left(kddm,2)+bskch from t";
  auto adapted = HostConnection::Open(test::OdbcUrl(db));
  EXPECT_EQ(adapted->Dialect(), SqlDialect::Sqlite);
  EXPECT_EQ(adapted->Route(), "odbc");
  EXPECT_EQ(adapted->DatabaseText(sql), "select substr(kddm, 1, 2)||bskch from t");
  EXPECT_EQ(adapted->Run(sql).At(0, 0), Variant("321401"));
  // Without the option the text goes to the data source as written (as a
  // SQL Server would take it): SQLite rejects it.
  auto plain = HostConnection::Open("odbc:DRIVER={SQLite3};Database=" + db + ";");
  EXPECT_EQ(plain->Dialect(), SqlDialect::SqlServer);
  EXPECT_EQ(plain->DatabaseText(sql), sql);
  EXPECT_THROW(plain->Run(sql), Error);
}

// Every value a data set hands out, for comparing the two routes.
struct Snapshot {
  std::vector<FieldDef> fields;
  std::vector<Variant> cells;
};

Snapshot Take(HostConnection& connection, const std::string& sql,
              const std::vector<std::pair<std::string, std::string>>& params) {
  DataSet ds(&connection);
  ds.SetCommandText(sql);
  for (const auto& [name, value] : params) ds.SetParam(name, Variant(value));
  ds.Open();
  Snapshot s{ds.FieldDefs(), {}};
  for (; !ds.Eof(); ds.Next())
    for (int c = 0; c < ds.FieldCount(); ++c) s.cells.push_back(ds.Fields(c).Value());
  return s;
}

TEST(HostConnection, BothRoutesAnswerEveryQueryOfTheModuleWithTheSameRows) {
  const demo::DemoSummary& demo = test::SmallDemo();
  auto sqlite = HostConnection::Open(test::SqliteUrl(demo.databasePath));
  auto odbc = HostConnection::Open(test::OdbcUrl(demo.databasePath));
  const std::string centre = demo.firstCentre;
  const std::string city = centre.substr(0, 4);
  struct Query {
    std::string sql;
    std::vector<std::pair<std::string, std::string>> params;
  };
  std::vector<Query> queries = {
      {test::kSettingsQuery, {}},
      {test::kPhotoRuleQuery, {}},
      {test::kVersionQuery, {}},
      {test::kTreeRootQuery, {}},
      {test::kProvincesQuery, {}},
      {test::kCitiesQuery, {{"dm", centre.substr(0, 2) + "%"}}},
      {test::kCentresQuery, {{"dsdm", city}}},
      {test::RoomListQuery(0), {}},
      {test::RoomListQuery(1), {{"DM", centre.substr(0, 2)}}},
      {test::RoomListQuery(2), {{"DM", city}}},
      {test::RoomListQuery(3), {{"DM", centre}}},
      {test::MergedRoomQuery("", centre), {}},
  };
  // The candidate and merged-room queries for every room of the first
  // centre: ordinary rooms, the host room, the empty room, the room of an
  // unlisted level-language.
  Snapshot rooms = Take(*sqlite, test::RoomListQuery(3), {{"DM", centre}});
  const std::size_t width = rooms.fields.size();
  ASSERT_GE(rooms.cells.size() / width, 4u);
  std::size_t withCandidates = 0;
  for (std::size_t r = 0; r < rooms.cells.size() / width; ++r) {
    const std::string room = rooms.cells[r * width + 2].AsText();
    std::vector<std::pair<std::string, std::string>> params;
    for (const char* name : {"DM", "DM1", "DM2", "DM3", "DM4"}) params.emplace_back(name, centre);
    for (const char* name : {"KCH", "KCH1", "KCH2"}) params.emplace_back(name, room);
    queries.push_back({test::kCandidateQuery, params});
    queries.push_back({test::MergedRoomQuery(room, centre), {}});
    withCandidates += Take(*sqlite, test::kCandidateQuery, params).cells.empty() ? 0 : 1;
  }
  EXPECT_EQ(withCandidates, rooms.cells.size() / width - 1);  // all but the empty room

  for (const Query& q : queries) {
    SCOPED_TRACE(GbkToUtf8(q.sql));
    Snapshot a = Take(*sqlite, q.sql, q.params);
    Snapshot b = Take(*odbc, q.sql, q.params);
    ASSERT_EQ(a.fields.size(), b.fields.size());
    for (std::size_t c = 0; c < a.fields.size(); ++c) {
      EXPECT_EQ(a.fields[c].name, b.fields[c].name);
      EXPECT_EQ(a.fields[c].kind, b.fields[c].kind) << GbkToUtf8(a.fields[c].name);
    }
    ASSERT_EQ(a.cells.size(), b.cells.size());
    for (std::size_t i = 0; i < a.cells.size(); ++i)
      EXPECT_EQ(a.cells[i], b.cells[i]) << GbkToUtf8(a.cells[i].AsText()) << " / " << GbkToUtf8(b.cells[i].AsText());
  }
}

// Texts compare as SQL Server compares them, ignoring trailing blanks, on
// both routes: in a where clause, an "in" and joins, also joins that SQLite
// would run through a Bloom filter (an automatic index; an index of a table
// with statistics), which would compare the padded bytes.
TEST(HostConnection, TextComparisonsIgnoreTrailingBlanksOnBothRoutes) {
  TempDir dir;
  const std::string db = dir.File("padded.db");
  test::MakeDatabase(db, R"sql(
create table rooms (code varchar(8) collate rtrim primary key, place text);
create table seats (code varchar(8), n int);
create table plain (code varchar(8), place text);
create table numbers (value int);
insert into numbers with recursive n(v) as (select 1 union all select v + 1 from n where v < 20000) select v from n;
insert into rooms select '14' || value || '   ', 'room ' || value from numbers where value <= 300;
insert into plain select '14' || value || '  ', 'room ' || value from numbers where value <= 300;
insert into seats select '14' || (value % 200 + 1), value from numbers;
analyze;
)sql");
  for (const std::string& url : {test::SqliteUrl(db), test::OdbcUrl(db)}) {
    SCOPED_TRACE(url);
    auto c = HostConnection::Open(url);
    EXPECT_EQ(c->Run("select count(*) from plain where code = ?", {Variant("141")}).At(0, 0), Variant(std::int64_t{1}));
    EXPECT_EQ(c->Run("select count(*) from plain where code in ('141', '142 ') and code <> '141'").At(0, 0),
              Variant(std::int64_t{1}));
    // An automatic index over a column without collation, and a Bloom filter
    // over the index of a table with statistics.
    EXPECT_EQ(c->Run("select count(*) from seats s join plain p on s.code = p.code").At(0, 0),
              Variant(std::int64_t{20000}));
    EXPECT_EQ(c->Run("select count(*) from seats s, rooms r where s.code = r.code and r.place like 'room%'").At(0, 0),
              Variant(std::int64_t{20000}));
  }
}

TEST(HostConnection, ColumnKindsFollowTheDeclaredTypes) {
  TempDir dir;
  const std::string db = dir.File("kinds.db");
  test::MakeDatabase(db,
                     "create table t (a varchar(6), b nvarchar(10), c int, d float, e text, f datetime, g "
                     "numeric(5,1), h char(2), i nchar(2), j bigint);"
                     "insert into t values ('x', 'y', 1, 1.5, 'z', '2025-03-29 09:00:00', 2.5, 'ab', 'cd', 7);");
  auto connection = HostConnection::Open(test::SqliteUrl(db));
  QueryResult r = connection->Run("select t.*, c+1 as cc, a||b as ab from t");
  const FieldKind expected[] = {FieldKind::String,  FieldKind::WideString, FieldKind::Integer, FieldKind::Float,
                                FieldKind::String,  FieldKind::DateTime,   FieldKind::Float,   FieldKind::String,
                                FieldKind::WideString, FieldKind::Integer, FieldKind::Integer, FieldKind::String};
  ASSERT_EQ(r.fields.size(), std::size(expected));
  for (std::size_t c = 0; c < r.fields.size(); ++c) EXPECT_EQ(r.fields[c].kind, expected[c]) << r.fields[c].name;
  const Variant when = Variant::FromDateTime(EncodeDate(2025, 3, 29) + EncodeTime(9, 0, 0, 0));
  EXPECT_EQ(r.At(0, 5), when);
  EXPECT_EQ(r.At(0, 6), Variant(2.5));
  // A date-time parameter goes in the form SQLite keeps date-times in.
  EXPECT_EQ(connection->Run("select count(*) from t where f = ?", {when}).At(0, 0), Variant(std::int64_t{1}));
}

TEST(HostConnection, TextsAndParametersCrossAsGbkOnBothRoutes) {
  TempDir dir;
  const std::string db = dir.File("text.db");
  test::MakeDatabase(db, "create table t (name varchar(20), code varchar(4));"
                         "insert into t values ('南京市', '3201'); insert into t values ('徐州市', '3203');");
  for (const std::string& url : {test::SqliteUrl(db), test::OdbcUrl(db)}) {
    SCOPED_TRACE(url);
    auto connection = HostConnection::Open(url);
    QueryResult r = connection->Run("select code, name 名称 from t where name=?"_gbk, {Variant("徐州市"_gbk)});
    ASSERT_EQ(r.RowCount(), 1u);
    EXPECT_EQ(r.fields[1].name, "名称"_gbk);
    EXPECT_EQ(r.At(0, 0), Variant("3203"));
    EXPECT_EQ(r.At(0, 1), Variant("徐州市"_gbk));
  }
}

TEST(HostConnection, AClosedOrBrokenConnectionFailsEveryQuery) {
  TempDir dir;
  const std::string db = dir.File("lost.db");
  test::MakeDatabase(db, "create table t (a int); insert into t values (1);");
  for (const std::string& url : {test::SqliteUrl(db), test::OdbcUrl(db)}) {
    SCOPED_TRACE(url);
    auto connection = HostConnection::Open(url);
    DataSet ds(connection.get());
    ds.SetCommandText("select a from t");
    ds.Open();
    connection->Close();
    EXPECT_FALSE(connection->Connected());
    // The fetched rows stay; a new query fails.
    EXPECT_EQ(ds.Fields(0).AsInteger(), 1);
    ds.Close();
    EXPECT_EQ(ErrorOf([&] { ds.Open(); }), "The host connection is closed");
    EXPECT_FALSE(ds.Active());
  }
  // A database file that is no longer a database (a lost volume, a file
  // overwritten behind the connection's back).
  auto connection = HostConnection::Open(test::SqliteUrl(db));
  std::ofstream(db, std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
  EXPECT_EQ(ErrorOf([&] { connection->Run("select a from t"); }), "file is not a database");
}

}  // namespace
}  // namespace talven
