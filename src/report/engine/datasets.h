// The report datasets built on TfrDataset: the user dataset, which only
// counts records and calls the program's hooks, and the database dataset,
// which walks a database data set; and the resolution of a band's data
// source text into a dataset.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "report/model/dataset.h"
#include "report/model/report_data_set.h"

namespace talven {

class TfrBand;
class TfrReport;

class TfrUserDataset : public TfrDataset {
 public:
  using TfrDataset::TfrDataset;
};

// A data-source component: the link between a data set and the components
// that use it.
class ReportDataSource : public TfrComponent {
 public:
  using TfrComponent::TfrComponent;
  ReportDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(ReportDataSet* dataSet);

 protected:
  void Notification(TfrComponent& destroyed) override;

 private:
  ReportDataSet* dataSet_ = nullptr;
};

class TfrDBDataSet : public TfrDataset {
 public:
  using TfrDataset::TfrDataset;

  ReportDataSet* DataSet() const { return dataSet_; }
  // Setting a data set clears DataSource.
  void SetDataSet(ReportDataSet* dataSet);
  ReportDataSource* DataSource() const { return dataSource_; }
  // Setting a data source clears DataSet.
  void SetDataSource(ReportDataSource* dataSource);
  bool OpenDataSource = true;
  bool CloseDataSource = false;
  std::function<void(TfrDataset& sender)> OnOpen;
  std::function<void(TfrDataset& sender)> OnClose;

  // The data set walked: the data source's when it has one, else DataSet.
  ReportDataSet* GetDataSet() const;
  ReportDataSet* FieldData() override { return GetDataSet(); }

  // Every operation fails with "Unable to open dataset <Name>" when there is
  // no data set to walk.
  void Init() override;
  void Exit() override;
  void First() override;
  // With reCurrent the range ends with the bookmarked row: Next moves on
  // until it has been reached, so a First that does not land on it still
  // comes to an end.
  void Next() override;
  void Prior() override;
  bool Eof() override;

 protected:
  void Notification(TfrComponent& destroyed) override;

 private:
  ReportDataSet& Data() const;
  void Watch(TfrComponent* oldOne, TfrComponent* newOne);

  ReportDataSet* dataSet_ = nullptr;
  ReportDataSource* dataSource_ = nullptr;
  std::optional<int> bookmark_;
  bool eof_ = false;
};

// The dataset a band's data source text stands for, with Init already
// called. A text beginning with a digit 1 to 9 is a record count and gives a
// user dataset (reCount) that the caller owns; a text containing ";" (the
// cross-tab list) and a name that finds nothing give none; any other text
// names a component seen from the report (FindComponentByPath), which must
// be a dataset ("Invalid class typecast" otherwise).
struct TfrResolvedDataset {
  TfrDataset* Dataset = nullptr;
  std::unique_ptr<TfrDataset> Owned;  // set when the dataset belongs to the caller
};
TfrResolvedDataset ResolveDataSource(const TfrReport& report, std::string_view text);

// Gives a run-time band the dataset of a data source text, after releasing
// the one it had.
void SetBandDataSource(TfrBand& band, const TfrReport& report, std::string_view text);

}  // namespace talven
