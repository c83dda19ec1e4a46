// talven frp export, dispatched from talven frp.
#pragma once

#include "app/command.h"

namespace talven::app {

inline constexpr const char* kFrpExportUsage =
    "frp export FILE.frp --out OUT.xlsx [--pages LIST] [--no-merge] [--no-borders] [--scale X,Y] [--quiet]";

int RunFrpExport(const Args& args);

}  // namespace talven::app
