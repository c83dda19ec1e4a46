#include "data/dataset.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
#include "support/fixture.h"

namespace talven {
namespace {

using test::TempDir;

// Five rooms of three centres, with a wide-character column and nulls.
class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDatabase(dir_.File("r.db"),
                       "create table r (kddm varchar(6), dwmc nvarchar(20), bskch varchar(8), ksrs int, bssj float,"
                       " jbyy varchar(20));"
                       "insert into r values ('320101', '某考点', '1401', 30, 120.0, '二级C');"
                       "insert into r values ('320101', '某考点', '1402', 25, 120.0, '二级C');"
                       "insert into r values ('320102', null, '1501', 28, 90.5, null);"
                       "insert into r values ('110101', '北京考点', '1101', 25, null, '一级');"
                       "insert into r values ('110101', '北京考点', '9901', 0, null, null);");
    connection_ = HostConnection::Open(test::SqliteUrl(dir_.File("r.db")));
    ds_.SetConnection(connection_.get());
  }

  void OpenRooms() {
    ds_.SetCommandText(
        "select kddm 考点代码, dwmc 考点名称, bskch 笔试考场号, ksrs 考生人数, bssj, jbyy 级别语言 from r order by kddm, bskch"_gbk);
    ds_.Open();
  }

  // The rooms in the data set's current order under its filter.
  std::vector<std::string> Rooms() {
    std::vector<std::string> rooms;
    for (ds_.First(); !ds_.Eof(); ds_.Next()) rooms.push_back(ds_.FieldByName("笔试考场号"_gbk).AsString());
    return rooms;
  }

  TempDir dir_;
  std::unique_ptr<HostConnection> connection_;
  DataSet ds_;
};

using Rows = std::vector<std::string>;

TEST_F(DataSetTest, ParametersAreSetByNameOrTheFirstByPosition) {
  ds_.SetCommandText("select bskch from r where kddm=:DM and ksrs>=:min order by bskch");
  ASSERT_EQ(ds_.ParamCount(), 2);
  EXPECT_EQ(ds_.ParamName(0), "DM");
  ds_.SetParam(0, Variant("320101"));
  ds_.SetParam("MIN", Variant("26"));
  ds_.Open();
  EXPECT_EQ(ds_.RecordCount(), 1);
  EXPECT_EQ(ds_.Fields(0).AsString(), "1401");
  EXPECT_EQ(ErrorOf([&] { ds_.SetParam("kch", Variant("1")); }), "Parameter 'kch' not found");
  EXPECT_EQ(ErrorOf([&] { ds_.SetParam(2, Variant("1")); }), "Parameter index 2 out of range");

  // A new command keeps the values of the names it shares with the old one;
  // a name used twice is bound at both places.
  ds_.SetCommandText("select count(*) from r where kddm=:DM or bskch=:dm");
  EXPECT_FALSE(ds_.Active());
  EXPECT_EQ(ds_.ParamCount(), 1);
  EXPECT_EQ(ds_.Param("dm"), Variant("320101"));
  ds_.Open();
  EXPECT_EQ(ds_.Fields(0).AsInteger(), 2);
  ds_.Close();
  ds_.SetParam("DM", Variant("1501"));
  ds_.Open();
  EXPECT_EQ(ds_.Fields(0).AsInteger(), 1);

  // A parameter never set is null.
  ds_.SetCommandText("select count(*) from r where :never is null");
  ds_.Open();
  EXPECT_EQ(ds_.Fields(0).AsInteger(), 5);
}

TEST_F(DataSetTest, ReopeningRunsTheCommandAgainAndAFailingOpenLeavesItClosed) {
  OpenRooms();
  connection_->Run("insert into r values ('110101', '北京考点', '1102', 20, 90, '一级')"_gbk);
  ds_.Open();  // already open: nothing happens
  EXPECT_EQ(ds_.RecordCount(), 5);
  ds_.Requery();
  EXPECT_EQ(ds_.RecordCount(), 6);

  ds_.SetCommandText("select * from nowhere");
  EXPECT_EQ(ErrorOf([&] { ds_.Open(); }), "no such table: nowhere");
  EXPECT_FALSE(ds_.Active());
  EXPECT_EQ(ds_.RecordCount(), 0);
  EXPECT_EQ(ds_.RecNo(), -1);
  EXPECT_EQ(ErrorOf([&] { ds_.Fields(0); }), "Cannot perform this operation on a closed dataset");
  EXPECT_EQ(ErrorOf([&] { ds_.Next(); }), "Cannot perform this operation on a closed dataset");
  ds_.SetCommandText("select kddm from");
  EXPECT_EQ(ErrorOf([&] { ds_.Open(); }), "incomplete input");
  DataSet unbound;
  unbound.SetCommandText("select 1");
  EXPECT_EQ(ErrorOf([&] { unbound.Open(); }), "The data set has no connection");
}

TEST_F(DataSetTest, TheCursorWalksForwardAndBackAndSitsOnARecordNumber) {
  OpenRooms();
  EXPECT_EQ(ds_.RecNo(), 1);
  EXPECT_TRUE(ds_.Bof());
  EXPECT_FALSE(ds_.Eof());
  EXPECT_EQ(Rooms(), (Rows{"1101", "9901", "1401", "1402", "1501"}));
  // Next on the last row sets Eof and stays on it.
  EXPECT_TRUE(ds_.Eof());
  EXPECT_EQ(ds_.RecNo(), 5);
  EXPECT_EQ(ds_.FieldByName("笔试考场号"_gbk).AsString(), "1501");
  ds_.Prior();
  EXPECT_FALSE(ds_.Eof());
  EXPECT_EQ(ds_.RecNo(), 4);
  ds_.SetRecNo(2);
  EXPECT_EQ(ds_.Fields(2).AsString(), "9901");
  ds_.Prior();
  ds_.Prior();  // on the first row: Bof, and the cursor stays
  EXPECT_TRUE(ds_.Bof());
  EXPECT_EQ(ds_.RecNo(), 1);
  EXPECT_EQ(ErrorOf([&] { ds_.SetRecNo(6); }), "Record number 6 is out of range (1 to 5)");
  EXPECT_EQ(ErrorOf([&] { ds_.SetRecNo(0); }), "Record number 0 is out of range (1 to 5)");
  EXPECT_EQ(ds_.RecNo(), 1);
  ds_.Last();
  EXPECT_TRUE(ds_.Eof());
  EXPECT_EQ(ds_.RecNo(), 5);
}

TEST_F(DataSetTest, AResultWithoutRowsIsEmptyAndItsFieldsAreNull) {
  ds_.SetCommandText("select bskch, ksrs, bssj from r where 1=0");
  ds_.Open();
  EXPECT_TRUE(ds_.IsEmpty());
  EXPECT_TRUE(ds_.Eof());
  EXPECT_TRUE(ds_.Bof());
  EXPECT_EQ(ds_.RecNo(), -1);
  EXPECT_EQ(ds_.RecordCount(), 0);
  EXPECT_EQ(ds_.FieldNames(), (Rows{"bskch", "ksrs", "bssj"}));
  EXPECT_EQ(ds_.Fields(0).AsString(), "");
  EXPECT_EQ(ds_.Fields(1).AsInteger(), 0);
  EXPECT_EQ(ds_.Fields(2).AsFloat(), 0.0);
  EXPECT_EQ(ErrorOf([&] { ds_.SetRecNo(1); }), "Record number 1 is out of range (1 to 0)");
}

TEST_F(DataSetTest, FieldsReadAsTextIntegerOrFloatByNameOrPosition) {
  OpenRooms();
  EXPECT_EQ(ds_.FieldNames(),
            (Rows{"考点代码"_gbk, "考点名称"_gbk, "笔试考场号"_gbk, "考生人数"_gbk, "bssj", "级别语言"_gbk}));
  ds_.SetRecNo(3);  // 320101 1401
  EXPECT_EQ(ds_.FieldByName("考点名称"_gbk).AsString(), "某考点"_gbk);
  EXPECT_EQ(ds_.Fields(3).AsInteger(), 30);
  EXPECT_EQ(ds_.FieldByName("考生人数"_gbk).AsString(), "30");
  EXPECT_EQ(ds_.FieldByName("BSSJ").AsFloat(), 120.0);
  EXPECT_EQ(ds_.FieldByName("考点代码"_gbk).AsInteger(), 320101);
  ds_.SetRecNo(5);  // the null name and level-language
  EXPECT_TRUE(ds_.FieldByName("考点名称"_gbk).IsNull());
  EXPECT_EQ(ds_.FieldByName("级别语言"_gbk).AsString(), "");
  EXPECT_EQ(ds_.Fields(4).AsString(), "90.5");
  EXPECT_EQ(ds_.Fields(4).AsInteger(), 90);  // half to even
  ds_.SetRecNo(3);
  EXPECT_EQ(ErrorOf([&] { ds_.FieldByName("考点名称"_gbk).AsInteger(); }), "'" + "某考点"_gbk + "' is not a valid integer value");
  EXPECT_EQ(ErrorOf([&] { ds_.FieldByName("kch"); }), "Field 'kch' not found");
  EXPECT_EQ(ErrorOf([&] { ds_.Fields(6); }), "Field index 6 out of range");
  EXPECT_FALSE(ds_.FindField("kch").has_value());

  // Plain character strings: CHAR, VARCHAR, TEXT; not wide strings or numbers.
  const bool plain[] = {true, false, true, false, false, true};
  for (int c = 0; c < ds_.FieldCount(); ++c) EXPECT_EQ(ds_.Fields(c).IsPlainString(), plain[c]) << c;
}

TEST_F(DataSetTest, LookupFindsTheFirstMatchingRowWithoutMovingTheCursor) {
  OpenRooms();
  ds_.SetRecNo(4);
  EXPECT_EQ(ds_.Lookup("笔试考场号"_gbk, Variant("1501"), "考生人数"_gbk), Variant(std::int64_t{28}));
  EXPECT_EQ(ds_.Lookup("考点代码"_gbk, Variant("320101"), "笔试考场号"_gbk), Variant("1401"));
  EXPECT_TRUE(ds_.Lookup("笔试考场号"_gbk, Variant("7777"), "考生人数"_gbk).IsNull());
  EXPECT_EQ(ds_.RecNo(), 4);
  // Among the rows that pass the filter only.
  ds_.SetFilter("笔试考场号 <> '1401'"_gbk);
  ds_.SetFiltered(true);
  EXPECT_EQ(ds_.Lookup("考点代码"_gbk, Variant("320101"), "笔试考场号"_gbk), Variant("1402"));
}

TEST_F(DataSetTest, ASortTextOrdersTheOpenResultUntilItIsOpenedAgain) {
  OpenRooms();
  ds_.SetRecNo(3);  // 1401
  ds_.SetSort("考生人数 DESC, 考点代码 ASC"_gbk);
  EXPECT_EQ(ds_.Sort(), "考生人数 DESC, 考点代码 ASC"_gbk);
  EXPECT_EQ(ds_.RecNo(), 1);  // the cursor stays on its row, now the first
  EXPECT_EQ(Rooms(), (Rows{"1401", "1501", "1101", "1402", "9901"}));
  // ASC when left out; nulls first; ties keep the query's order.
  ds_.SetSort("bssj");
  EXPECT_EQ(Rooms(), (Rows{"1101", "9901", "1501", "1401", "1402"}));
  EXPECT_NE(ErrorOf([&] { ds_.SetSort("考生人数 DESC, kch"_gbk); }).find("there is no field kch"), std::string::npos);
  EXPECT_EQ(ds_.Sort(), "bssj");
  EXPECT_EQ(Rooms(), (Rows{"1101", "9901", "1501", "1401", "1402"}));
  ds_.SetSort("");
  EXPECT_EQ(Rooms(), (Rows{"1101", "9901", "1401", "1402", "1501"}));
  ds_.SetSort("[考生人数] desc"_gbk);
  ds_.Requery();
  EXPECT_EQ(ds_.Sort(), "");
  EXPECT_EQ(Rooms(), (Rows{"1101", "9901", "1401", "1402", "1501"}));
}

TEST_F(DataSetTest, AFilterStaysInForceAcrossReopenAndABadOneChangesNothing) {
  OpenRooms();
  ds_.SetRecNo(4);
  ds_.SetFilter("考生人数 > 25"_gbk);
  EXPECT_EQ(ds_.RecordCount(), 5);  // not switched on yet
  ds_.SetFiltered(true);
  EXPECT_EQ(ds_.RecordCount(), 2);
  EXPECT_EQ(ds_.RecNo(), 1);
  EXPECT_EQ(Rooms(), (Rows{"1401", "1501"}));

  // Rejected texts: the rows, the text and the switch stay.
  for (const std::string& bad : {"考生人数 > abc"_gbk, "考生人数 > 'abc'"_gbk, "kch = '1'"_gbk, "考生人数 >"_gbk}) {
    EXPECT_THROW(ds_.SetFilter(bad), Error) << GbkToUtf8(bad);
    EXPECT_EQ(ds_.Filter(), "考生人数 > 25"_gbk);
    EXPECT_TRUE(ds_.Filtered());
    EXPECT_EQ(Rooms(), (Rows{"1401", "1501"}));
  }

  ds_.Requery();
  EXPECT_EQ(Rooms(), (Rows{"1401", "1501"}));
  ds_.SetFiltered(false);
  EXPECT_EQ(ds_.RecordCount(), 5);
  // Switching on a text that no longer fits the fields fails and stays off.
  ds_.Close();
  ds_.SetFilter("kch = '1'");
  ds_.Open();
  EXPECT_THROW(ds_.SetFiltered(true), Error);
  EXPECT_FALSE(ds_.Filtered());
  EXPECT_EQ(ds_.RecordCount(), 5);
  // A filter in force that the new result cannot take makes Open fail.
  ds_.Close();
  ds_.SetFilter("考生人数 = 0"_gbk);
  ds_.SetFiltered(true);
  ds_.SetCommandText("select bskch from r");
  EXPECT_NE(ErrorOf([&] { ds_.Open(); }).find("there is no field"), std::string::npos);
  EXPECT_FALSE(ds_.Active());
}

TEST_F(DataSetTest, ChangeNoticesFollowEveryChangeUnlessControlsAreDisabled) {
  std::vector<DataSet::Change> seen;
  const int id = ds_.AddObserver([&](DataSet::Change c) { seen.push_back(c); });
  using C = DataSet::Change;
  OpenRooms();
  ds_.Next();
  ds_.SetSort("bssj");
  ds_.SetFilter("bssj = null");
  ds_.SetFiltered(true);
  ds_.Close();
  EXPECT_EQ(seen, (std::vector<C>{C::Opened, C::Moved, C::Sorted, C::Filtered, C::Closed}));

  seen.clear();
  ds_.Open();
  ds_.DisableControls();
  ds_.DisableControls();
  ds_.Next();
  ds_.SetRecNo(1);
  ds_.EnableControls();
  EXPECT_TRUE(seen.size() == 1 && ds_.ControlsDisabled());
  ds_.EnableControls();
  EXPECT_EQ(seen, (std::vector<C>{C::Opened, C::ControlsEnabled}));
  ds_.RemoveObserver(id);
  ds_.Close();
  EXPECT_EQ(seen.size(), 2u);
}

}  // namespace
}  // namespace talven
