// talven frp print, dispatched from talven frp.
#pragma once

#include "app/command.h"

namespace talven::app {

inline constexpr const char* kFrpPrintUsage =
    "frp print FILE.frp [--printer NAME | --out X.pdf] [--pages LIST] [--copies N] [--collate] [--odd|--even]";

int RunFrpPrint(const Args& args);

}  // namespace talven::app
