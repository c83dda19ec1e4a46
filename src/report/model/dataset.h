// TfrDataset: the record cursor that data bands walk. The base counts
// records and calls the program's hooks; TfrUserDataset and TfrDBDataSet
// (report/engine) build on it. It stands in the model because the report's
// Dataset property and the band objects' "FIRST", "NEXT", "PRIOR" and "EOF"
// reach it.
#pragma once

#include <functional>

#include "report/model/component.h"

namespace talven {

enum TfrRangeBegin { rbFirst = 0, rbCurrent = 1 };
enum TfrRangeEnd { reLast = 0, reCurrent = 1, reCount = 2 };

class TfrDataset : public TfrComponent {
 public:
  using TfrComponent::TfrComponent;

  TfrRangeBegin RangeBegin = rbFirst;
  TfrRangeEnd RangeEnd = reLast;
  int RangeEndCount = 0;
  std::function<void(TfrDataset& sender)> OnFirst;
  std::function<void(TfrDataset& sender)> OnNext;
  std::function<void(TfrDataset& sender)> OnPrior;
  std::function<void(TfrDataset& sender, bool& eof)> OnCheckEOF;
  // Zero-based number of the current record.
  int CursorNo = 0;

  virtual void Init() {}
  virtual void Exit() {}
  // CursorNo := 0, then OnFirst.
  virtual void First();
  // CursorNo += 1, then OnNext, except when a counted range has just been
  // left (stepping past the last counted record calls no hook).
  virtual void Next();
  // CursorNo -= 1, then OnPrior.
  virtual void Prior();
  // A counted range ends when CursorNo reaches RangeEndCount; OnCheckEOF
  // may change the answer.
  virtual bool Eof();
};

}  // namespace talven
