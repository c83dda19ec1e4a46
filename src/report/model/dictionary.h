// TfrDataDictionary: the names a template's author gave to report variables
// and data fields.
#pragma once

#include <map>
#include <string>

#include "report/model/component.h"
#include "report/model/stream.h"
#include "report/model/variables.h"

namespace talven {

class TfrDataDictionary {
 public:
  // Report variables; a name beginning with a blank is a category heading
  // and has no value. Values are expressions kept as text.
  TfrVariables VariableList;
  // Alias -> "dataset.field".
  TfrVariables FieldAliasList;
  // Band -> data source.
  TfrVariables BandSourceList;
  // Datasets hidden from editing tools.
  TfrStrings DisabledSetList;
  // Resolved field references by upper-case name, kept during a preparation.
  std::map<std::string, TfrDataFieldRef> Cache;

  void Clear();
  bool Empty() const;
};

}  // namespace talven
