// State of the module that outlives its windows: what ShowForm was given and
// what the start-up sequence and the tree selection establish. One instance
// per loaded module.
#pragma once

#include <string>

class QWidget;

namespace talven {

class HostConnection;

struct ModuleState {
  // The host's connection (argument 8 of ShowForm); never owned, replaced by
  // every call.
  HostConnection* Connection = nullptr;
  // The host's window, owner of the module's windows and boxes.
  QWidget* HostWindow = nullptr;
  // The level (0 authority … 3 test centre) and code of the selected tree
  // node; the jb and dm settings until a node is selected.
  int SelectedLevel = 0;
  std::string SelectedCode = "00";
  int SchemaVersion = 0;  // 1 or 2 once probed
  int CodeLength = 0;     // 4 or 6 once probed
};

ModuleState& Module();

}  // namespace talven
