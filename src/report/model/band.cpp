#include "report/model/band.h"

#include <memory>

#include "report/model/dataset.h"
#include "report/model/prepare_state.h"

namespace talven {

TfrBand::~TfrBand() {
  PrepareState& state = EngineState();
  if (state.CurrentBand == this) state.CurrentBand = nullptr;
  if (state.AggregateTarget == this) state.AggregateTarget = nullptr;
  try {
    ReleaseDatasets();
  } catch (...) {
    // A dataset that fails to close must not take the engine down with it;
    // the band engine calls ReleaseDatasets itself to see such errors.
  }
}

void TfrBand::ReleaseDatasets() {
  TfrDataset* data = BandDataset;
  TfrDataset* cross = CrossDataset;
  bool ownsData = OwnsDataset, ownsCross = OwnsCrossDataset;
  BandDataset = CrossDataset = nullptr;
  OwnsDataset = OwnsCrossDataset = false;
  // Owned datasets are freed even when Exit fails.
  std::unique_ptr<TfrDataset> ownedData(ownsData ? data : nullptr);
  std::unique_ptr<TfrDataset> ownedCross(ownsCross && cross != data ? cross : nullptr);
  if (data != nullptr) data->Exit();
  if (cross != nullptr && cross != data) cross->Exit();
}

}  // namespace talven
