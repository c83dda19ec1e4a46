// TfrBand: the run-time band that the band engine builds from a band object
// (or, empty, for a kind without one) for one preparation. This holds its
// state; building, linking and printing bands is the band engine's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/variant.h"
#include "report/model/stream.h"
#include "report/model/variables.h"

namespace talven {

class TfrBandView;
class TfrDataset;
class TfrPage;
class TfrView;

class TfrBand {
 public:
  TfrBand(int kind, TfrPage* ownerPage) : Kind(kind), OwnerPage(ownerPage) {}
  // Releases the datasets (see ReleaseDatasets); never fails.
  ~TfrBand();
  TfrBand(const TfrBand&) = delete;
  TfrBand& operator=(const TfrBand&) = delete;

  int Kind;
  TfrPage* OwnerPage;
  TfrBandView* BandView = nullptr;  // none for the empty band of a kind
  std::string Name;
  // The design area: Top and Height (Left and Width for vertical bands);
  // Top is overwritten while the band prints.
  std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  std::uint16_t Flags = 0;
  bool Visible = true;
  bool Stretched = false, FormNewPage = false, PrintIfSubsetEmpty = false, Breaked = false,
       PrintChildIfInvisible = false;
  std::vector<TfrView*> Objects;
  TfrStrings BandScript;

  TfrBand* NextBand = nullptr;
  TfrBand* PrevBand = nullptr;
  TfrBand* HeaderLink = nullptr;
  TfrBand* FooterLink = nullptr;
  TfrBand* DataLink = nullptr;
  TfrBand* ChildLink = nullptr;
  TfrBand* GroupHead = nullptr;
  TfrBand* GroupTail = nullptr;
  TfrBand* NextGroup = nullptr;
  TfrBand* PrevGroup = nullptr;

  TfrDataset* BandDataset = nullptr;
  bool OwnsDataset = false;
  TfrDataset* CrossDataset = nullptr;
  bool OwnsCrossDataset = false;

  std::string GroupExpr;  // postfix form of a group header's condition
  Variant GroupValue;
  int LineNo = 0;
  int LineThroughNo = 0;
  TfrVariables Aggregates;
  int AggregateCount = 0;
  // The data band whose Aggregates hold the accumulators of the aggregate
  // calls this band prints (set when the calls are registered).
  TfrBand* AggregateSource = nullptr;
  int MaxHeight = 0;
  int PrintedHeight = 0;
  int ColumnNo = 1;
  int ColumnOriginX = 0;
  int NewPageRequests = 0;
  int NewColumnRequests = 0;
  bool ScriptDone = false, RestoreY = false, RepeatMode = false, SubreportsDone = false;

  // Calls Exit on the band's datasets and frees the ones it owns; errors
  // raised by Exit propagate (the destructor swallows them).
  void ReleaseDatasets();
};

}  // namespace talven
