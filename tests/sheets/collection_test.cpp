#include "sheets/collection.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/text.h"
#include "data/dataset.h"
#include "data/host_connection.h"
#include "sheets/memtable.h"
#include "support/exam_fixture.h"
#include "support/fixture.h"
#include "support/module_queries.h"

namespace talven {
namespace {

// The room list of centre 110101 as the window lists it, and the two
// queries of the collection.
struct Collection {
  explicit Collection(std::string_view extraSql = {}, demo::TextCollation collation = demo::TextCollation::Rtrim,
                      std::string (*url)(const std::string&) = test::SqliteUrl, const std::string& centre = "110101") {
    test::MakeExamFixture(dir.File("exam.db"), extraSql, collation);
    connection = HostConnection::Open(url(dir.File("exam.db")));
    for (DataSet* d : {&list, &report, &temp}) d->SetConnection(connection.get());
    list.SetCommandText("select kddm 考点代码, bskch 笔试考场号 from v_bskc where kddm='"_gbk + centre +
                        "' order by bskch"_gbk);
    list.Open();
  }
  // Collects with the range texts; the last one may change during the walk.
  void Run(std::string first, std::function<std::string()> last) {
    CollectCandidates(list, report, temp, [first] { return first; }, std::move(last), table);
  }
  void Run(std::string first, std::string last) {
    Run(std::move(first), [last] { return last; });
  }
  std::vector<std::string> Column(const char* field) {
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next()) values.push_back(GbkToUtf8(table.FieldByName(field).AsString()));
    return values;
  }

  test::TempDir dir;
  std::unique_ptr<HostConnection> connection;
  DataSet list, report, temp;
  TMemTable table;
};

TEST(Collection, AnOrdinaryRoomGivesItsCandidatesInTicketOrder) {
  Collection c;
  c.Run("1", "1");
  ASSERT_EQ(c.table.RecordCount(), 28);  // the candidate with blcjzl '1' is left out
  const std::vector<std::string> tickets = c.Column("zkzh");
  EXPECT_TRUE(std::is_sorted(tickets.begin(), tickets.end()));
  c.table.First();
  EXPECT_EQ(c.table.FieldByName("rs").AsInteger(), 28);
  EXPECT_EQ(GbkToUtf8(c.table.FieldByName("dwmc").AsString()), "一中");
  EXPECT_EQ(GbkToUtf8(c.table.FieldByName("jbyy").AsString()), "二级C语言");
  EXPECT_EQ(c.table.FieldByName("jbyydm").AsString(), "14");
  EXPECT_EQ(c.table.FieldByName("kch").AsString(), "14001");
  EXPECT_EQ(c.table.FieldByName("BMH").AsString(), "B110101140100");
  EXPECT_EQ(c.table.FieldByName("wzh").AsInteger(), 1);
  EXPECT_EQ(GbkToUtf8(c.table.FieldByName("kcwz").AsString()), "一号楼101");
  EXPECT_DOUBLE_EQ(c.table.FieldByName("bssj").AsFloat(), 120);
  EXPECT_EQ(c.list.RecNo(), 2);
}

TEST(Collection, AHostRoomCarriesTheCodesOfTheRoomsMergedIntoIt) {
  Collection c;
  c.Run("2", "2");
  ASSERT_EQ(c.table.RecordCount(), 5);
  for (c.table.First(); !c.table.Eof(); c.table.Next()) {
    EXPECT_EQ(c.table.FieldByName("jbyy").AsString(), "14,15");
    EXPECT_EQ(c.table.FieldByName("jbyydm").AsString(), "14");
    EXPECT_EQ(c.table.FieldByName("kch").AsString(), "14002");
    EXPECT_DOUBLE_EQ(c.table.FieldByName("bssj").AsFloat(), 150);  // the larger duration
    EXPECT_EQ(GbkToUtf8(c.table.FieldByName("kcwz").AsString()), "一号楼102");
    EXPECT_EQ(c.table.FieldByName("rs").AsInteger(), 5);
  }
}

TEST(Collection, RangesAndSpecialRooms) {
  struct Case {
    const char* first;
    const char* last;
    int rows;
    int stopsAt;
  } cases[] = {
      {"3", "3", 3, 4},      // only the third room ("14005  ")
      {"5", "2", 0, 5},      // nothing, but no error either
      {"1", "99", 38, 5},    // to the end of the list, the last room once
      {"4", "4", 0, 5},      // a room without candidates
      {"5", "5", 2, 5},      // a code Tc_jbyy does not know
  };
  for (const Case& k : cases) {
    Collection c;
    c.Run(k.first, k.last);
    EXPECT_EQ(c.table.RecordCount(), k.rows) << k.first << "-" << k.last;
    EXPECT_EQ(c.list.RecNo(), k.stopsAt) << k.first << "-" << k.last;
  }
  Collection c;
  c.Run("3", "3");
  EXPECT_EQ(c.Column("kch"), std::vector<std::string>(3, "14005"));  // stored without its blanks
  c.Run("5", "5");
  EXPECT_EQ(c.Column("jbyy"), std::vector<std::string>(2, ""));
  c.table.First();
  EXPECT_DOUBLE_EQ(c.table.FieldByName("bssj").AsFloat(), 0);
}

TEST(Collection, FailuresKeepWhatWasCollected) {
  Collection c;
  c.table.Open();
  c.table.Append();
  c.table.FieldByName("zkzh").SetAsString("old");
  c.table.Post();
  EXPECT_EQ(ErrorOf([&] { c.Run("x", "1"); }), "'x' is not a valid integer value");
  EXPECT_EQ(c.table.RecordCount(), 1);  // not emptied before the start was read
  // The last record is read again before every room.
  int reads = 0;
  EXPECT_EQ(ErrorOf([&] { c.Run("1", [&] { return ++reads < 3 ? std::string("9") : std::string("x"); }); }),
            "'x' is not a valid integer value");
  EXPECT_EQ(c.table.RecordCount(), 28 + 5);
  EXPECT_NE(ErrorOf([&] { c.Run("0", "1"); }), "(no error)");
  c.connection->Run("drop table t_bshhkc");
  EXPECT_NE(ErrorOf([&] { c.Run("1", "1"); }), "(no error)");
}

// Room numbers repeat across test centres: 320101 has a room 14002 of its
// own, with a location of its own, while 14002 is a host room in 110101.
constexpr std::string_view kSharedHostNumber =
    "insert into t_bskc values ('320101','14002',2,'B3',30);"
    "insert into t_bskcsy values ('320101','14002','南楼3');"
    "insert into t_ksxx values ('320101140201','B1','甲','1','1990-01-01','1','320101','14','14002',1,'0'),"
    "('320101140202','B2','乙','1','1990-01-01','2','320101','14','14002',2,'0');";

TEST(Collection, AHostRoomKeepsToItsOwnCentre) {
  Collection host(kSharedHostNumber);
  host.Run("2", "2");
  EXPECT_EQ(host.Column("zkzh"), (std::vector<std::string>{"110101140300", "110101140301", "110101150100",
                                                           "110101150101", "110101150102"}));
  EXPECT_EQ(host.Column("kcwz"), std::vector<std::string>(5, "一号楼102"));
  EXPECT_EQ(host.Column("rs"), std::vector<std::string>(5, "5"));

  // The other centre's 14002 is an ordinary room: its own level-language,
  // not the host's merged codes.
  Collection other(kSharedHostNumber, demo::TextCollation::Rtrim, test::SqliteUrl, "320101");
  other.Run("2", "2");
  EXPECT_EQ(other.Column("kch"), std::vector<std::string>(2, "14002"));
  EXPECT_EQ(other.Column("jbyy"), std::vector<std::string>(2, "二级C语言"));
  EXPECT_EQ(other.Column("kcwz"), std::vector<std::string>(2, "南楼3"));
}

TEST(Collection, ARoomWithoutALocationRowPrintsItsCandidates) {
  Collection c("delete from t_bskcsy where kddm='110101' and bskch in ('14001','14002');");
  c.Run("1", "2");
  ASSERT_EQ(c.table.RecordCount(), 28 + 5);
  EXPECT_EQ(c.Column("kcwz"), std::vector<std::string>(28 + 5, ""));
}

// Exam databases pad codes with blanks in some tables and not in others
// (SQL Server's char columns), and SQL Server compares them ignoring the
// blanks. On a database that declares no collation, through either route,
// the window lists the same rooms and the collection collects the same
// candidates as when nothing is padded.
TEST(Collection, CodesPaddedInSomeTablesCollectAsIfNoneWere) {
  const char* padding = R"sql(
update t_ksxx set kd = kd || '  ', kch = kch || '   ';
update t_bshhkc set kddm = kddm || ' ', bskch = bskch || '  ', hhkch = hhkch || '   ';
update t_bskcsy set kddm = kddm || ' ';
update Tc_jbyy set jbyydm = jbyydm || ' ';
update t_scbjg set dm2 = dm2 || '  ' where jb = 3;
)sql";
  const auto rows = [](Collection& c) {
    std::vector<std::string> out;
    for (c.table.First(); !c.table.Eof(); c.table.Next()) {
      std::string row;
      for (const char* f : {"dwmc", "zkzh", "xm", "sfzh", "jbyy", "jbyydm", "BMH", "wzh", "kcwz", "bssj", "kch", "rs"})
        row += GbkToUtf8(c.table.FieldByName(f).AsString()) + "|";
      out.push_back(row);
    }
    return out;
  };
  const auto roomList = [](Collection& c) {
    DataSet rooms(c.connection.get());
    rooms.SetCommandText(test::RoomListQuery(3));
    rooms.SetParam("DM", Variant("110101"));
    rooms.Open();
    std::vector<std::string> out;
    for (; !rooms.Eof(); rooms.Next())
      out.push_back(GbkToUtf8(rooms.Fields(1).AsString() + "|" + Trim(rooms.Fields(2).AsString()) + "|" +
                              rooms.Fields(5).AsString()));
    return out;
  };
  for (auto url : {test::SqliteUrl, test::OdbcUrl}) {
    SCOPED_TRACE(url("exam.db"));
    Collection plain({}, demo::TextCollation::Binary, url), padded(padding, demo::TextCollation::Binary, url);
    EXPECT_EQ(roomList(padded), roomList(plain));
    EXPECT_EQ(roomList(padded).front(), "一中|14001|二级C语言");
    plain.Run("1", "99");
    padded.Run("1", "99");
    EXPECT_EQ(padded.table.RecordCount(), 38);
    EXPECT_EQ(rows(padded), rows(plain));
    EXPECT_EQ(padded.Column("kcwz")[28], "一号楼102");  // the host room: 14003 and 15001 merged into 14002
    EXPECT_EQ(padded.Column("jbyy")[28], "14,15");
  }
}

TEST(Collection, QueryTexts) {
  EXPECT_EQ(CandidateQuery(), test::kCandidateQuery);
  EXPECT_EQ(MergedRoomQuery("", "110101"), "select * from t_bshhkc where hhkch ='' and kddm='110101'");
  EXPECT_EQ(MergedRoomQuery("14'2", "11'01"), "select * from t_bshhkc where hhkch ='14''2' and kddm='11''01'");
}

}  // namespace
}  // namespace talven
