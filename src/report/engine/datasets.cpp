#include "report/engine/datasets.h"

#include "base/convert.h"
#include "base/error.h"
#include "report/model/band.h"
#include "report/model/report.h"

namespace talven {

void ReportDataSource::SetDataSet(ReportDataSet* dataSet) {
  if (dataSet_ != nullptr) dataSet_->RemoveFreeNotification(*this);
  dataSet_ = dataSet;
  if (dataSet_ != nullptr) dataSet_->FreeNotification(*this);
}

void ReportDataSource::Notification(TfrComponent& destroyed) {
  if (&destroyed == dataSet_) dataSet_ = nullptr;
}

void TfrDBDataSet::Watch(TfrComponent* oldOne, TfrComponent* newOne) {
  if (oldOne != nullptr) oldOne->RemoveFreeNotification(*this);
  if (newOne != nullptr) newOne->FreeNotification(*this);
}

void TfrDBDataSet::SetDataSet(ReportDataSet* dataSet) {
  Watch(dataSource_, nullptr);
  dataSource_ = nullptr;
  Watch(dataSet_, dataSet);
  dataSet_ = dataSet;
}

void TfrDBDataSet::SetDataSource(ReportDataSource* dataSource) {
  if (dataSource != nullptr) {
    Watch(dataSet_, nullptr);
    dataSet_ = nullptr;
  }
  Watch(dataSource_, dataSource);
  dataSource_ = dataSource;
}

void TfrDBDataSet::Notification(TfrComponent& destroyed) {
  if (&destroyed == dataSet_) dataSet_ = nullptr;
  if (&destroyed == dataSource_) dataSource_ = nullptr;
}

ReportDataSet* TfrDBDataSet::GetDataSet() const {
  if (dataSource_ != nullptr && dataSource_->DataSet() != nullptr) return dataSource_->DataSet();
  return dataSet_;
}

ReportDataSet& TfrDBDataSet::Data() const {
  ReportDataSet* data = GetDataSet();
  if (data == nullptr) throw Error("Unable to open dataset " + Name);
  return *data;
}

void TfrDBDataSet::Init() {
  ReportDataSet& data = Data();
  if (OpenDataSource) data.Open();
  if (OnOpen) OnOpen(*this);
  bookmark_.reset();
  if (RangeBegin == rbCurrent || RangeEnd == reCurrent) bookmark_ = data.Bookmark();
  eof_ = false;
}

void TfrDBDataSet::Exit() {
  ReportDataSet& data = Data();
  if (bookmark_) {
    data.GotoBookmark(*bookmark_);
    bookmark_.reset();
  }
  if (OnClose) OnClose(*this);
  if (CloseDataSource) data.Close();
}

void TfrDBDataSet::First() {
  ReportDataSet& data = Data();
  if (RangeBegin == rbCurrent && bookmark_) data.GotoBookmark(*bookmark_);
  else data.First();
  eof_ = false;
  TfrDataset::First();
}

void TfrDBDataSet::Next() {
  ReportDataSet& data = Data();
  eof_ = false;
  if (RangeEnd == reCurrent && bookmark_ && data.Bookmark() == *bookmark_) {
    eof_ = true;
    return;
  }
  data.Next();
  TfrDataset::Next();
}

void TfrDBDataSet::Prior() {
  Data().Prior();
  TfrDataset::Prior();
}

bool TfrDBDataSet::Eof() {
  ReportDataSet& data = Data();
  return TfrDataset::Eof() || data.Eof() || eof_;
}

TfrResolvedDataset ResolveDataSource(const TfrReport& report, std::string_view text) {
  TfrResolvedDataset result;
  if (text.empty() || text.find(';') != std::string_view::npos) return result;
  if (text.front() >= '1' && text.front() <= '9') {
    auto counted = std::make_unique<TfrUserDataset>();
    counted->RangeEnd = reCount;
    counted->RangeEndCount = StrToInt(text);
    result.Dataset = counted.get();
    result.Owned = std::move(counted);
  } else {
    TfrComponent* component = FindComponentByPath(report, text);
    if (component == nullptr) return result;
    result.Dataset = dynamic_cast<TfrDataset*>(component);
    if (result.Dataset == nullptr) throw Error("Invalid class typecast");
  }
  result.Dataset->Init();
  return result;
}

void SetBandDataSource(TfrBand& band, const TfrReport& report, std::string_view text) {
  band.ReleaseDatasets();
  TfrResolvedDataset resolved = ResolveDataSource(report, text);
  band.BandDataset = resolved.Dataset;
  band.OwnsDataset = resolved.Owned != nullptr;
  resolved.Owned.release();
}

}  // namespace talven
