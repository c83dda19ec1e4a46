#include "report/model/export_filter.h"

namespace talven {

namespace {
TfrExportFilter* currentFilter = nullptr;
}

TfrExportFilter* CurrentExportFilter() { return currentFilter; }
void SetCurrentExportFilter(TfrExportFilter* filter) { currentFilter = filter; }

}  // namespace talven
