// Photo-sheet arrangement of a whole test centre: 100 rooms of 30
// candidates. The baseline is filling MemTable1 with the same rows, the table
// work of the collection itself; the arrangements are reported against it.
#include <benchmark/benchmark.h>

#include <string>

#include "base/format.h"
#include "sheets/sheet_data.h"

namespace talven {
namespace {

constexpr int kRooms = 100;
constexpr int kPerRoom = 30;

void FillCentre(TSheetData& d) {
  d.MemTable1.Empty();
  for (int room = 1; room <= kRooms; ++room) {
    const std::string kch = Format("14%.2d", {room});
    for (int i = 1; i <= kPerRoom; ++i) {
      TMemTable& t = d.MemTable1;
      t.Append();
      t.FieldByName("dwmc").SetAsString("Centre");
      t.FieldByName("zkzh").SetAsString(Format("1100%s%.2d", {kch, i}));
      t.FieldByName("xm").SetAsString("name");
      t.FieldByName("sfzh").SetAsString("110101199001011234");
      t.FieldByName("jbyy").SetAsString("level");
      t.FieldByName("jbyydm").SetAsString("14");
      t.FieldByName("BMH").SetAsString("B123456");
      t.FieldByName("wzh").SetAsInteger(i);
      t.FieldByName("kcwz").SetAsString("Hall");
      t.FieldByName("bssj").SetAsFloat(120);
      t.FieldByName("kch").SetAsString(kch);
      t.FieldByName("rs").SetAsInteger(kPerRoom);
      t.Post();
    }
  }
}

void BM_FillMemTable1(benchmark::State& state) {
  TSheetData d;
  for (auto _ : state) FillCentre(d);
  state.SetItemsProcessed(state.iterations() * kRooms * kPerRoom);
}
BENCHMARK(BM_FillMemTable1)->Unit(benchmark::kMillisecond);

void BM_ArrangeSeatOrder(benchmark::State& state) {
  TSheetData d;
  FillCentre(d);
  for (auto _ : state) d.ArrangeSeatOrder();
  state.SetItemsProcessed(state.iterations() * kRooms * kPerRoom);
}
BENCHMARK(BM_ArrangeSeatOrder)->Unit(benchmark::kMillisecond);

void BM_ArrangePlain(benchmark::State& state) {
  TSheetData d;
  FillCentre(d);
  for (auto _ : state) d.ArrangePlain();
  state.SetItemsProcessed(state.iterations() * kRooms * kPerRoom);
}
BENCHMARK(BM_ArrangePlain)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talven

BENCHMARK_MAIN();
