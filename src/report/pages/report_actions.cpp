#include "report/pages/report_actions.h"

namespace talven {

TfrReportActions& ReportActions() {
  static TfrReportActions actions;
  return actions;
}

}  // namespace talven
