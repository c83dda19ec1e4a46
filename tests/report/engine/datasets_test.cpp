// Report datasets: counted user datasets, database datasets over a data set,
// and the resolution of band data-source texts.
#include <gtest/gtest.h>

#include "base/error.h"
#include "report/engine/datasets.h"
#include "report/memory_data_set.h"
#include "report/model/band.h"
#include "report/model/band_view.h"
#include "report/model/report.h"

namespace talven {
namespace {

using testing::MemoryDataSet;

struct Calls {
  int first = 0, next = 0, prior = 0;
  void Hook(TfrDataset& d) {
    d.OnFirst = [this](TfrDataset&) { ++first; };
    d.OnNext = [this](TfrDataset&) { ++next; };
    d.OnPrior = [this](TfrDataset&) { ++prior; };
  }
};

// How the band engine walks a dataset: First, then Next until Eof.
int Walk(TfrDataset& d, int limit = 1000) {
  int records = 0;
  d.First();
  while (!d.Eof() && records < limit) {
    ++records;
    d.Next();
  }
  return records;
}

TEST(UserDataset, CountedRangesCallTheHooks) {
  struct Case {
    int count;
    int records, nexts;
  };
  for (Case c : {Case{0, 0, 0}, Case{1, 1, 0}, Case{3, 3, 2}}) {
    TfrUserDataset d;
    d.RangeEnd = reCount;
    d.RangeEndCount = c.count;
    Calls calls;
    calls.Hook(d);
    EXPECT_EQ(Walk(d), c.records) << c.count;
    EXPECT_EQ(calls.first, 1);
    EXPECT_EQ(calls.next, c.nexts) << c.count;
    EXPECT_TRUE(d.Eof());
  }
}

TEST(UserDataset, CheckEofMayKeepACountedDatasetGoing) {
  TfrUserDataset d;
  d.RangeEnd = reCount;
  d.RangeEndCount = 2;
  d.OnCheckEOF = [](TfrDataset& self, bool& eof) { eof = self.CursorNo >= 5; };
  EXPECT_EQ(Walk(d), 5);
  Calls calls;
  calls.Hook(d);
  d.Prior();
  EXPECT_EQ(d.CursorNo, 4);
  EXPECT_EQ(calls.prior, 1);
  // Without a count only the handler ends a user dataset.
  TfrUserDataset open;
  EXPECT_FALSE(open.Eof());
}

class DBDataSetTest : public ::testing::Test {
 protected:
  MemoryDataSet data{"List_Set", {{"kch", TfrFieldKind::Text}}, {{Variant("01")}, {Variant("02")}, {Variant("03")}}};
  TfrDBDataSet db{"frDBDataSet1"};
};

TEST_F(DBDataSetTest, WalksTheDataSetAndOpensIt) {
  db.SetDataSet(&data);
  int opened = 0, closed = 0;
  db.OnOpen = [&](TfrDataset&) { ++opened; };
  db.OnClose = [&](TfrDataset&) { ++closed; };
  db.Init();
  EXPECT_EQ(data.opens, 1);
  EXPECT_EQ(Walk(db), 3);
  db.Exit();
  EXPECT_EQ(data.closes, 0);  // CloseDataSource is off by default
  db.CloseDataSource = true;
  db.Exit();
  EXPECT_EQ(data.closes, 1);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(db.FieldData(), &data);
}

TEST_F(DBDataSetTest, CurrentRowRanges) {
  db.SetDataSet(&data);
  data.row_ = 1;  // the data set stands on the second row
  db.RangeBegin = rbCurrent;
  db.RangeEnd = reCurrent;
  db.Init();
  EXPECT_EQ(Walk(db), 1);
  db.Exit();
  EXPECT_EQ(data.RecNo(), 2);  // back on the bookmarked row

  // From the first row to the bookmarked one: the range still ends, where a
  // Next that never moves would repeat the first row for ever.
  db.RangeBegin = rbFirst;
  db.Init();
  EXPECT_EQ(Walk(db), 2);
  db.Exit();
}

TEST_F(DBDataSetTest, WithoutADataSetEveryOperationFails) {
  for (auto op : {&TfrDataset::Init, &TfrDataset::First, &TfrDataset::Next, &TfrDataset::Prior, &TfrDataset::Exit}) {
    try {
      (db.*op)();
      FAIL();
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), "Unable to open dataset frDBDataSet1");
    }
  }
  EXPECT_THROW(db.Eof(), Error);
}

TEST_F(DBDataSetTest, DataSetAndDataSourceReplaceEachOther) {
  ReportDataSource source("DataSource1");
  MemoryDataSet other{"Other", {{"x", TfrFieldKind::Text}}, {}};
  source.SetDataSet(&other);
  db.SetDataSet(&data);
  db.SetDataSource(&source);
  EXPECT_EQ(db.DataSet(), nullptr);
  EXPECT_EQ(db.GetDataSet(), &other);
  db.SetDataSet(&data);
  EXPECT_EQ(db.DataSource(), nullptr);
  db.SetDataSource(nullptr);
  EXPECT_EQ(db.DataSet(), &data);

  auto gone = std::make_unique<MemoryDataSet>("Gone", std::vector<std::pair<std::string, TfrFieldKind>>{},
                                              std::vector<std::vector<Variant>>{});
  db.SetDataSet(gone.get());
  gone.reset();
  EXPECT_EQ(db.DataSet(), nullptr);
}

TEST(ResolveDataSource, CountsNamesAndCrossTabLists) {
  TfrComponentOwner window("TALVEN_Form");
  TfrReport report;
  TfrUserDataset user("frUserDataset1");
  TfrUserDataset zero("0");
  TfrUserDataset a("A");
  MemoryDataSet table{"Temp_Set", {}, {}};
  for (TfrComponent* c : std::initializer_list<TfrComponent*>{&report, &user, &zero, &a, &table}) window.Insert(*c);

  TfrResolvedDataset counted = ResolveDataSource(report, "12");
  ASSERT_NE(counted.Owned, nullptr);
  EXPECT_EQ(counted.Dataset->RangeEnd, reCount);
  EXPECT_EQ(Walk(*counted.Dataset), 12);

  EXPECT_EQ(ResolveDataSource(report, "FRUSERDATASET1").Dataset, &user);
  EXPECT_EQ(ResolveDataSource(report, "0").Dataset, &zero);  // looked up as a name
  EXPECT_EQ(ResolveDataSource(report, "A").Dataset, &a);
  EXPECT_EQ(ResolveDataSource(report, "A").Owned, nullptr);
  EXPECT_EQ(ResolveDataSource(report, "Nobody").Dataset, nullptr);
  EXPECT_EQ(ResolveDataSource(report, "MasterData1=5;").Dataset, nullptr);
  EXPECT_EQ(ResolveDataSource(report, "").Dataset, nullptr);
  try {
    ResolveDataSource(report, "Temp_Set");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), "Invalid class typecast");
  }

  // A band owns a counted dataset and frees it; a new text replaces it.
  TfrBand band(btMasterData, nullptr);
  SetBandDataSource(band, report, "5");
  EXPECT_TRUE(band.OwnsDataset);
  EXPECT_EQ(Walk(*band.BandDataset), 5);
  SetBandDataSource(band, report, "frUserDataset1");
  EXPECT_EQ(band.BandDataset, &user);
  EXPECT_FALSE(band.OwnsDataset);
}

}  // namespace
}  // namespace talven
