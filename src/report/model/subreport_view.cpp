#include "report/model/subreport_view.h"

namespace talven {

TfrSubReportView::TfrSubReportView() {
  NameStem = "SubReport";
  TypeCode = gtSubReport;
}

void TfrSubReportView::RegisterProperties() { RegisterShortList(); }

void TfrSubReportView::ReadFromStream(TfrStream& s) {
  TfrView::ReadFromStream(s);
  ShownPage = s.ReadI32();
}

void TfrSubReportView::WriteToStream(TfrStream& s) {
  TfrView::WriteToStream(s);
  s.WriteI32(ShownPage);
}

}  // namespace talven
