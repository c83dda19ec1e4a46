#include "data/demo/demo_db.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "base/error.h"
#include "base/jpeg.h"
#include "base/text.h"
#include "data/dataset.h"
#include "data/settings.h"
#include "support/fixture.h"
#include "support/module_queries.h"

namespace talven {
namespace {

using test::ReadFile;

namespace fs = std::filesystem;

// Rows of a query as texts joined by "|".
std::vector<std::string> Rows(HostConnection& c, const std::string& sql, const std::vector<Variant>& params = {}) {
  QueryResult r = c.Run(sql, params);
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < r.RowCount(); ++i) {
    std::string row;
    for (std::size_t k = 0; k < r.fields.size(); ++k) {
      if (k) row += '|';
      row += GbkToUtf8(r.At(i, k).AsText());
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(DemoDb, HasEveryTableAndViewTheModuleReads) {
  auto c = HostConnection::Open(test::SqliteUrl(test::SmallDemo().databasePath));
  const std::map<std::string, std::pair<std::string, std::vector<std::string>>> objects = {
      {"t_setting", {"table", {"ParamName", "ParamValue"}}},
      {"t_version", {"table", {"dbversion"}}},
      {"t_scbjg", {"table", {"jb", "dwmc", "dm2"}}},
      {"v_ssjg", {"view", {"dm", "dwmc"}}},
      {"v_dsjg", {"view", {"dm", "dwmc"}}},
      {"v_kdjg", {"view", {"dm", "dwmc", "szds"}}},
      {"v_bskc", {"view", {"kddm", "bskch", "ksrs", "mbh"}}},
      {"Tc_jbyy", {"table", {"jbyydm", "jbyy", "bssj"}}},
      {"v_ksxx", {"view", {"kd", "jb", "zkzh", "bmh", "xm", "sfzh", "kch", "wzh", "blcjzl"}}},
      {"t_bskcsy", {"table", {"kddm", "bskch", "kcwz"}}},
      {"t_bshhkc", {"table", {"kddm", "bskch", "hhkch"}}},
  };
  for (const auto& [name, expected] : objects) {
    EXPECT_EQ(Rows(*c, "select type from sqlite_master where name='" + name + "'"),
              std::vector<std::string>{expected.first})
        << name;
    std::set<std::string> columns;
    for (const std::string& row : Rows(*c, "select name from pragma_table_info('" + name + "')")) columns.insert(row);
    for (const std::string& column : expected.second) EXPECT_TRUE(columns.count(column)) << name << "." << column;
  }
}

TEST(DemoDb, ItsDataHoldsTheCasesTheSheetsMeet) {
  const demo::DemoSummary& demo = test::SmallDemo();
  auto c = HostConnection::Open(test::SqliteUrl(demo.databasePath));
  TSysSetting s(c.get());
  EXPECT_EQ(s.jb, 3);
  EXPECT_EQ(s.dm, demo.firstCentre);
  EXPECT_EQ(s.kc, demo::kDemoPhotoSubfolder);
  EXPECT_EQ(s.date, "2025-03-29");
  EXPECT_EQ(s.time, "9:00");
  EXPECT_EQ(Rows(*c, test::kPhotoRuleQuery), std::vector<std::string>{"0"});
  EXPECT_EQ(ProbeSchemaVersion(c.get()), 2);
  EXPECT_EQ(Rows(*c, "select distinct length(dm) from v_kdjg"), std::vector<std::string>{"6"});
  EXPECT_EQ(Rows(*c, "select count(*) from v_ksxx"), std::vector<std::string>{std::to_string(demo.candidates)});

  // Identity numbers: 18 characters with a valid check character.
  for (const std::string& id : Rows(*c, "select sfzh from v_ksxx")) {
    ASSERT_EQ(id.size(), 18u) << id;
    static const int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i) sum += (id[static_cast<std::size_t>(i)] - '0') * weights[i];
    EXPECT_EQ(id[17], "10X98765432"[sum % 11]) << id;
  }
  // Every listed room counts its candidates (a host room those merged into
  // it) and has its details; rooms merged away are not listed.
  EXPECT_EQ(Rows(*c, "select count(*) from v_bskc r where ksrs <> (select count(*) from v_ksxx k where k.kd=r.kddm and "
                     "(k.kch=r.bskch or k.kch in (select bskch from t_bshhkc h where h.kddm=r.kddm and "
                     "h.hhkch=r.bskch)))"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(Rows(*c, "select count(*) from v_bskc r where not exists (select 1 from t_bskcsy d where d.kddm=r.kddm "
                     "and d.bskch=r.bskch)"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(Rows(*c, "select count(*) from t_bshhkc h join v_bskc r on r.kddm=h.kddm and r.bskch=h.bskch"),
            std::vector<std::string>{"0"});
  EXPECT_GE(demo.mergedRooms, 2);
  EXPECT_NE(Rows(*c, "select count(*) from v_ksxx where blcjzl='1'")[0], "0");
  EXPECT_EQ(Rows(*c, "select count(*) from v_ksxx where blcjzl is null")[0], "0");

  // The first centre's room list: an empty room and a room whose
  // level-language Tc_jbyy does not know (listed with an empty name).
  DataSet rooms(c.get());
  rooms.SetCommandText(test::RoomListQuery(3));
  rooms.SetParam("DM", Variant(demo.firstCentre));
  rooms.Open();
  EXPECT_EQ(rooms.RecordCount(), 5);
  EXPECT_EQ(rooms.Lookup("考生人数"_gbk, Variant(0), "考生人数"_gbk), Variant(std::int64_t{0}));
  rooms.SetFilter("级别语言 = null"_gbk);
  rooms.SetFiltered(true);
  ASSERT_EQ(rooms.RecordCount(), 1);
  EXPECT_EQ(rooms.FieldByName("笔试考场号"_gbk).AsString().substr(0, 2), "98");
  EXPECT_EQ(rooms.FieldByName("考点名称"_gbk).AsString().empty(), false);

  // The host room's candidates come under its number with the longest
  // duration of the rooms merged into it; those left off the sheets are not
  // among them.
  const std::vector<std::string> host =
      Rows(*c, "select hhkch, group_concat(substr(bskch,1,2)), count(*) from t_bshhkc where kddm=? group by hhkch",
           {Variant(demo.firstCentre)});
  ASSERT_EQ(host.size(), 1u);
  const std::string hostRoom = host[0].substr(0, host[0].find('|'));
  DataSet candidates(c.get());
  candidates.SetCommandText(test::kCandidateQuery);
  for (const char* name : {"DM", "DM1", "DM2", "DM3", "DM4"}) candidates.SetParam(name, Variant(demo.firstCentre));
  for (const char* name : {"KCH", "KCH1", "KCH2"}) candidates.SetParam(name, Variant(hostRoom));
  candidates.Open();
  const std::string merged = "select count(*) from v_ksxx where kd=? and blcjzl<>'1' and kch in (select bskch from "
                             "t_bshhkc where hhkch=?)";
  EXPECT_EQ(std::to_string(candidates.RecordCount()), Rows(*c, merged, {Variant(demo.firstCentre), Variant(hostRoom)})[0]);
  EXPECT_GT(candidates.RecordCount(), 0);
  std::string last;
  for (; !candidates.Eof(); candidates.Next()) {
    EXPECT_EQ(candidates.FieldByName("kch").AsString(), hostRoom);
    EXPECT_GT(candidates.FieldByName("zkzh").AsString(), last);
    last = candidates.FieldByName("zkzh").AsString();
    EXPECT_GE(candidates.FieldByName("bssj").AsFloat(), 90.0);
    EXPECT_FALSE(candidates.FieldByName("kcwz").AsString().empty());
  }
}

TEST(DemoDb, TheSameSeedGivesTheSameInstallation) {
  test::TempDir dir;
  demo::DemoOptions options;
  options.provinces = 1;
  options.centresPerCity = 1;
  options.roomsPerCentre = 4;
  options.candidatesPerRoom = 3;
  options.seed = 7;
  auto write = [&](const std::string& name, std::uint64_t seed) {
    options.outDir = dir.File(name);
    options.seed = seed;
    return demo::WriteDemoInstallation(options);
  };
  demo::DemoSummary a = write("a", 7), b = write("b", 7), other = write("c", 8);
  EXPECT_EQ(ReadFile(a.databasePath), ReadFile(b.databasePath));
  EXPECT_NE(ReadFile(a.databasePath), ReadFile(other.databasePath));
  EXPECT_EQ(ReadFile(dir.File("a/qelvane.ini")), "[setting]\nPhotoPath=相片\n");

  // One photograph per candidate, named by the ticket number.
  auto c = HostConnection::Open(test::SqliteUrl(a.databasePath));
  const std::vector<std::string> tickets = Rows(*c, "select zkzh from v_ksxx");
  ASSERT_EQ(static_cast<int>(tickets.size()), a.candidates);
  EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(a.photoDir), fs::directory_iterator())),
            tickets.size());
  for (const std::string& ticket : tickets) {
    const std::string photo = ReadFile(a.photoDir + ticket + ".jpg");
    EXPECT_EQ(photo, ReadFile(b.photoDir + ticket + ".jpg")) << ticket;
    int width = 0, height = 0;
    JpegSize(photo, width, height);
    EXPECT_EQ(width, 120);
    EXPECT_EQ(height, 160);
  }
  EXPECT_EQ(a.photoDir, dir.File("a/相片/202503/"));
}

TEST(DemoDb, TheOlderSchemaHasFourCharacterCentreCodes) {
  test::TempDir dir;
  demo::DemoOptions options = test::DemoSize(dir.path(), 1, 3, 2, 2);
  options.schema = 1;
  demo::DemoSummary s = demo::WriteDemoInstallation(options);
  auto c = HostConnection::Open(test::SqliteUrl(s.databasePath));
  EXPECT_EQ(ProbeSchemaVersion(c.get()), 1);
  EXPECT_EQ(Rows(*c, "select dbversion from t_version"), std::vector<std::string>{"2.00"});
  EXPECT_EQ(Rows(*c, "select count(distinct dm), min(length(dm)), max(length(dm)) from v_kdjg"),
            std::vector<std::string>{"12|4|4"});
  EXPECT_EQ(Rows(*c, "select count(*) from v_kdjg where substr(dm,1,2) <> substr(szds,1,2)")[0], "0");
}

TEST(DemoDb, BadOptionsAreRefused) {
  test::TempDir dir;
  std::ofstream(dir.File("file")) << "x";
  struct Case {
    demo::DemoOptions options;
    const char* message;
  } cases[] = {
      {{dir.path(), 1, 0}, "demo-db: --provinces must be from 1 to 31, not 0"},
      {{dir.path(), 1, 32}, "demo-db: --provinces must be from 1 to 31, not 32"},
      {{dir.path(), 1, 1, 2, 6, 30, 3}, "demo-db: --schema must be from 1 to 2, not 3"},
      {{dir.path(), 1, 1, 25, 6, 30, 1}, "demo-db: --centres-per-city must be from 1 to 24, not 25"},
      {{dir.File("file") + "/sub"}, nullptr},
  };
  for (const Case& c : cases) {
    try {
      demo::WriteDemoInstallation(c.options);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      if (c.message) {
        EXPECT_EQ(e.message(), c.message);
      }
    }
  }
}

}  // namespace
}  // namespace talven
