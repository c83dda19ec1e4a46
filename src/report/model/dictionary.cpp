#include "report/model/dictionary.h"

namespace talven {

void TfrDataDictionary::Clear() {
  VariableList.Clear();
  FieldAliasList.Clear();
  BandSourceList.Clear();
  DisabledSetList.clear();
  Cache.clear();
}

bool TfrDataDictionary::Empty() const {
  return VariableList.Count() == 0 && FieldAliasList.Count() == 0 && BandSourceList.Count() == 0 &&
         DisabledSetList.empty();
}

}  // namespace talven
