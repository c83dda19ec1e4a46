// TfrSubReportView: a placeholder that prints another template page inside a
// band.
#pragma once

#include <cstdint>

#include "report/model/view.h"

namespace talven {

class TfrSubReportView : public TfrView {
 public:
  TfrSubReportView();
  const char* ClassName() const override { return "TfrSubReportView"; }

  // Zero-based index of the shown page in the report's page list.
  std::int32_t ShownPage = 0;

  void ReadFromStream(TfrStream& s) override;
  void WriteToStream(TfrStream& s) override;

 protected:
  void RegisterProperties() override;
};

}  // namespace talven
