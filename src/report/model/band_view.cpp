#include "report/model/band_view.h"

#include <array>

#include "base/text.h"
#include "report/model/property_names.h"
#include "report/model/band.h"
#include "report/model/dataset.h"

namespace talven {

namespace {

using props::Is;

using props::FlagProperty;
constexpr FlagProperty kBandFlags[] = {
    {"PrintChildIfInvisible", flBandPrintChildIfInvisible},
    {"Stretched", flStretched},
    {"FormNewPage", flBandFormNewPage},
    {"PrintIfSubsetEmpty", flBandPrintIfSubsetEmpty},
    {"Breaked", flBandBreaked},
    {"OnFirstPage", flBandOnFirstPage},
    {"OnLastPage", flBandOnLastPage},
    {"RepeatHeader", flBandRepeatHeader},
};

}  // namespace

const std::string& BandKindName(int kind) {
  static const std::array<std::string, kBandKindCount> names = {
      "报表标题"_gbk, "报表合计"_gbk, "页头"_gbk,     "页脚"_gbk,       "主项头"_gbk,     "主项数据"_gbk,
      "主项脚"_gbk,   "细项头"_gbk,   "细项数据"_gbk, "细项脚"_gbk,     "子细项头"_gbk,   "子细项数据"_gbk,
      "子细项脚"_gbk, "覆盖"_gbk,     "栏目头"_gbk,   "栏目脚"_gbk,     "分组头"_gbk,     "分组脚"_gbk,
      "交叉表头"_gbk, "交叉表数据"_gbk, "交叉表脚"_gbk, "子"_gbk,         "无"_gbk,
  };
  static const std::string none;
  return kind >= 0 && kind < kBandKindCount ? names[static_cast<std::size_t>(kind)] : none;
}

TfrBandView::TfrBandView() {
  NameStem = "Band";
  TypeCode = gtBand;
  Flags = flBandOnFirstPage | flBandOnLastPage;
  DisplayFormat = 0;
}

void TfrBandView::SetPropertyValue(std::string_view name, const Variant& value) {
  SetOwnProperty(name, value);
  TfrBand* band = RuntimeBand;
  if (band == nullptr) return;
  if (Is(name, "Left")) band->Left = Left;
  else if (Is(name, "Top")) band->Top = Top;
  else if (Is(name, "Width")) band->Width = Width;
  else if (Is(name, "Height")) band->Height = Height;
  else if (Is(name, "Visible")) band->Visible = Visible;
  else if (Is(name, "Breaked")) band->Breaked = (Flags & flBandBreaked) != 0;
  else if (Is(name, "Condition"))
    band->GroupExpr = Hooks().ToPostfix ? Hooks().ToPostfix(DisplayFormatText) : DisplayFormatText;
  else if (Is(name, "DataSource") && Hooks().BandDataSourceChanged)
    Hooks().BandDataSourceChanged(*band, DisplayFormatText);
}

void TfrBandView::SetOwnProperty(std::string_view name, const Variant& value) {
  for (const FlagProperty& f : kBandFlags)
    if (Is(name, f.name)) return SetFlag(f.bit, value.AsBoolean());
  if (Is(name, "ChildBand")) ChildBand = value.AsText();
  else if (Is(name, "DataSource") || Is(name, "Condition")) DisplayFormatText = value.AsText();
  else if (Is(name, "Columns")) Columns = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "ColumnWidth")) ColumnWidth = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "ColumnGap")) ColumnGap = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "NewColumnAfter")) NewColumnAfter = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "Master")) Master = value.AsText();
  else TfrView::SetPropertyValue(name, value);
}

Variant TfrBandView::GetPropertyValue(std::string_view name) {
  for (const FlagProperty& f : kBandFlags)
    if (Is(name, f.name)) return (Flags & f.bit) != 0;
  if (Is(name, "ChildBand")) return ChildBand;
  if (Is(name, "DataSource") || Is(name, "Condition")) return DisplayFormatText;
  if (Is(name, "Columns")) return Columns;
  if (Is(name, "ColumnWidth")) return ColumnWidth;
  if (Is(name, "ColumnGap")) return ColumnGap;
  if (Is(name, "NewColumnAfter")) return NewColumnAfter;
  if (Is(name, "Master")) return Master;
  if (Is(name, "EOF")) {
    // A band without a dataset has nothing more to walk.
    TfrDataset* data = RuntimeBand != nullptr ? RuntimeBand->BandDataset : nullptr;
    return data == nullptr || data->Eof();
  }
  return TfrView::GetPropertyValue(name);
}

Variant TfrBandView::CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) {
  TfrDataset* data = RuntimeBand != nullptr ? RuntimeBand->BandDataset : nullptr;
  if (Is(name, "FIRST")) {
    if (data != nullptr) data->First();
  } else if (Is(name, "NEXT")) {
    if (data != nullptr) data->Next();
  } else if (Is(name, "PRIOR")) {
    if (data != nullptr) data->Prior();
  } else {
    return TfrView::CallMethod(name, p1, p2, p3);
  }
  return {};
}

void TfrBandView::RegisterProperties() {
  RegisterShortList();
  AddProperty("ChildBand", TfrPropKind::Text);
  for (const FlagProperty& f : kBandFlags) AddProperty(f.name, TfrPropKind::Boolean);
  AddProperty("DataSource", TfrPropKind::Text);
  AddProperty("Columns", TfrPropKind::Integer);
  AddProperty("ColumnWidth", TfrPropKind::Integer);
  AddProperty("ColumnGap", TfrPropKind::Integer);
  AddProperty("NewColumnAfter", TfrPropKind::Integer);
  AddProperty("Condition", TfrPropKind::Text);
  AddProperty("Master", TfrPropKind::Text);
  AddProperty("EOF", TfrPropKind::Boolean);
}

void TfrBandView::ReadFromStream(TfrStream& s) {
  TfrView::ReadFromStream(s);
  if (EngineState().StreamVersion <= 23) return;
  ChildBand = ReadNewStreamString(s);
  Columns = s.ReadI32();
  ColumnWidth = s.ReadI32();
  ColumnGap = s.ReadI32();
  NewColumnAfter = s.ReadI32();
  if (BaseRevision * 10 + ClassRevision > 20) Master = ReadNewStreamString(s);
}

void TfrBandView::WriteToStream(TfrStream& s) {
  ClassRevision = 1;
  TfrView::WriteToStream(s);
  WriteStreamString(s, ChildBand);
  s.WriteI32(Columns);
  s.WriteI32(ColumnWidth);
  s.WriteI32(ColumnGap);
  s.WriteI32(NewColumnAfter);
  WriteStreamString(s, Master);
}

}  // namespace talven
