// A small table in memory behind the ReportDataSet interface, for tests of
// report datasets and data-field references.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "report/model/report_data_set.h"

namespace talven::testing {

class MemoryDataSet : public ReportDataSet {
 public:
  MemoryDataSet(std::string name, std::vector<std::pair<std::string, TfrFieldKind>> fields,
                std::vector<std::vector<Variant>> rows)
      : ReportDataSet(std::move(name)), fields_(std::move(fields)), rows_(std::move(rows)) {}

  void Open() override {
    ++opens;
    active_ = true;
  }
  void Close() override {
    ++closes;
    active_ = false;
  }
  bool Active() const override { return active_; }
  void First() override { row_ = 0; }
  void Next() override {
    if (row_ < static_cast<int>(rows_.size())) ++row_;
  }
  void Prior() override {
    if (row_ > 0) --row_;
  }
  bool Eof() const override { return row_ >= static_cast<int>(rows_.size()); }
  int RecordCount() const override { return static_cast<int>(rows_.size()); }
  int RecNo() const override { return Eof() ? 0 : row_ + 1; }
  std::vector<std::string> FieldNames() const override {
    std::vector<std::string> names;
    for (const auto& f : fields_) names.push_back(f.first);
    return names;
  }
  Variant FieldValue(int field) const override {
    return Eof() ? Variant::Null() : rows_[static_cast<std::size_t>(row_)][static_cast<std::size_t>(field)];
  }
  TfrFieldKind FieldKind(int field) const override { return fields_[static_cast<std::size_t>(field)].second; }

  // The row number of the cursor from 0, for tests that place it.
  int row_ = 0;
  int opens = 0, closes = 0;

 private:
  std::vector<std::pair<std::string, TfrFieldKind>> fields_;
  std::vector<std::vector<Variant>> rows_;
  bool active_ = false;
};

}  // namespace talven::testing
