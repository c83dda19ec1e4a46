#include "report/model/dataset.h"

namespace talven {

void TfrDataset::First() {
  CursorNo = 0;
  if (OnFirst) OnFirst(*this);
}

void TfrDataset::Next() {
  ++CursorNo;
  if (RangeEnd == reCount && CursorNo >= RangeEndCount) return;
  if (OnNext) OnNext(*this);
}

void TfrDataset::Prior() {
  --CursorNo;
  if (OnPrior) OnPrior(*this);
}

bool TfrDataset::Eof() {
  bool eof = RangeEnd == reCount && CursorNo >= RangeEndCount;
  if (OnCheckEOF) OnCheckEOF(*this, eof);
  return eof;
}

}  // namespace talven
