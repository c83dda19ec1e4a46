#include "data/settings.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "support/fixture.h"

namespace talven {
namespace {

using test::TempDir;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDatabase(dir_.File("s.db"),
                       "create table t_setting (ParamName varchar(20), ParamValue varchar(200));"
                       "create table t_version (dbversion varchar(10));");
    connection_ = HostConnection::Open(test::SqliteUrl(dir_.File("s.db")));
  }
  void Settings(const std::string& rows) {
    connection_->Run("delete from t_setting");
    if (!rows.empty()) connection_->Run("insert into t_setting values " + rows);
  }

  TempDir dir_;
  std::unique_ptr<HostConnection> connection_;
};

TEST_F(SettingsTest, TheFiveSettingsAreReadByName) {
  Settings(Utf8ToGbk("('jb', '3'), ('date', '2025-03-29'), ('dm', '110101'), ('BSKCQD', '1'), ('kc', '相片一'),"
                     "('time', '9:00')"));
  TSysSetting s(connection_.get());
  EXPECT_EQ(s.jb, 3);
  EXPECT_EQ(s.dm, "110101");
  EXPECT_EQ(s.kc, "相片一"_gbk);
  EXPECT_EQ(s.date, "2025-03-29");
  EXPECT_EQ(s.time, "9:00");
}

TEST_F(SettingsTest, ReadingStopsSilentlyAtTheFirstFailure) {
  RecordingUi ui;
  UiScope scope(ui);
  struct Case {
    std::string rows;
    int jb;
    std::string dm, kc;
  } cases[] = {
      {"('dm', '110101'), ('kc', 'a')", 0, "", ""},          // no jb: nothing filled
      {"('jb', 'x'), ('dm', '110101')", 0, "", ""},          // jb no number
      {"('jb', null), ('dm', '110101')", 0, "", ""},         // null jb reads as empty text
      {"('jb', '2'), ('dm', null), ('kc', 'k')", 2, "", "k"},  // a null value is an empty text
      {"('JB', '1'), ('DM', '32')", 1, "32", ""},            // keys without regard to case
  };
  for (const Case& c : cases) {
    Settings(c.rows);
    TSysSetting s(connection_.get());
    EXPECT_EQ(s.jb, c.jb) << c.rows;
    EXPECT_EQ(s.dm, c.dm) << c.rows;
    EXPECT_EQ(s.kc, c.kc) << c.rows;
  }
  connection_->Run("drop table t_setting");
  TSysSetting missing(connection_.get());
  EXPECT_EQ(missing.jb, 0);
  EXPECT_TRUE(missing.dm.empty() && missing.date.empty());
  TSysSetting unbound(nullptr);
  EXPECT_EQ(unbound.jb, 0);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(SettingsTest, TheSchemaVersionComparesTheFirstVersionWithThree) {
  struct Case {
    const char* rows;
    int version;
  } cases[] = {{"('3.00')", 2}, {"('3.10')", 2}, {"('4')", 2},    {"('2.00')", 1}, {"('2.50')", 1},
               {"('10.0')", 1}, {"('')", 1},     {nullptr, 1},    {"('3.00'), ('2.00')", 2}, {"(null)", 1}};
  for (const Case& c : cases) {
    connection_->Run("delete from t_version");
    if (c.rows) connection_->Run(std::string("insert into t_version values ") + c.rows);
    EXPECT_EQ(ProbeSchemaVersion(connection_.get()), c.version) << (c.rows ? c.rows : "no row");
  }
  EXPECT_EQ(CodeLengthFor(1), 4);
  EXPECT_EQ(CodeLengthFor(2), 6);
  connection_->Run("drop table t_version");
  try {
    ProbeSchemaVersion(connection_.get());
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "no such table: t_version");
  }
}

TEST(ShowInfo, ShowsAnInformationBoxThroughTheUiSeam) {
  RecordingUi ui;
  UiScope scope(ui);
  ShowInfo("请选择一个考点！"_gbk);
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "请选择一个考点！"_gbk);
  EXPECT_EQ(ui.boxes[0].caption, "信息"_gbk);
  EXPECT_EQ(ui.boxes[0].flags, 0x1040);
}

}  // namespace
}  // namespace talven
