// 打印's first half on a whole test centre of the demo: 100 rooms of 30
// candidates, every room's candidate and merged-room queries and the copy
// into MemTable1. Target on this machine: well under a second. The baseline
// is the two queries of every room alone, through the same data sets; the
// collection is reported against it. The demo's codes are padded in some
// tables as real exam databases pad them, and its text columns compare
// ignoring trailing blanks (RTRIM), so that the queries' comparisons keep
// their indexes; the last figure is the same centre in a database that
// declares no collation, where they cannot.
#include <benchmark/benchmark.h>

#include <memory>

#include "base/convert.h"
#include "data/dataset.h"
#include "data/host_connection.h"
#include "rooms/room_list.h"
#include "sheets/collection.h"
#include "sheets/memtable.h"
#include "support/fixture.h"

namespace talven {
namespace {

struct Centre {
  explicit Centre(demo::TextCollation collation = demo::TextCollation::Rtrim) {
    demo::DemoOptions options = test::DemoSize(dir.path(), 1, 1, 100, 30);
    options.collation = collation;
    summary = demo::WriteDemoInstallation(options);
    connection = HostConnection::Open("sqlite:" + summary.databasePath);
    for (DataSet* d : {&list, &report, &temp}) d->SetConnection(connection.get());
    LoadRoomList(list, 3, summary.firstCentre);
  }
  test::TempDir dir;
  demo::DemoSummary summary;
  std::unique_ptr<HostConnection> connection;
  DataSet list, report, temp;
};

Centre& TheCentre() {
  static Centre centre;
  return centre;
}

void BM_RoomQueriesAlone(benchmark::State& state) {
  Centre& c = TheCentre();
  for (auto _ : state) {
    for (int r = 1; r <= c.list.RecordCount(); ++r) {
      c.list.SetRecNo(r);
      const std::string centre = c.list.Fields(0).AsString(), room = c.list.Fields(2).AsString();
      c.report.Close();
      c.report.SetCommandText(CandidateQuery());
      for (const char* p : {"DM", "DM1", "DM2", "DM3", "DM4"}) c.report.SetParam(p, centre);
      for (const char* p : {"KCH", "KCH1", "KCH2"}) c.report.SetParam(p, room);
      c.report.Open();
      c.temp.Close();
      c.temp.SetCommandText(
          MergedRoomQuery(c.report.IsEmpty() ? "" : c.report.FieldByName("kch").AsString(), centre));
      c.temp.Open();
    }
  }
  state.counters["rooms"] = c.list.RecordCount();
}
BENCHMARK(BM_RoomQueriesAlone)->Unit(benchmark::kMillisecond);

void CollectCentre(benchmark::State& state, Centre& c) {
  TMemTable table;
  const std::string last = IntToStr(c.list.RecordCount());
  for (auto _ : state) CollectCandidates(c.list, c.report, c.temp, [] { return std::string("1"); }, [&] { return last; }, table);
  state.counters["rooms"] = c.list.RecordCount();
  state.counters["candidates"] = table.RecordCount();
}

void BM_CollectCentre(benchmark::State& state) { CollectCentre(state, TheCentre()); }
BENCHMARK(BM_CollectCentre)->Unit(benchmark::kMillisecond);

void BM_CollectCentreWithoutCollation(benchmark::State& state) {
  static Centre centre(demo::TextCollation::Binary);
  CollectCentre(state, centre);
}
BENCHMARK(BM_CollectCentreWithoutCollation)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
