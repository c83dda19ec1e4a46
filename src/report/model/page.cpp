#include "report/model/page.h"

#include <exception>

#include "base/rounding.h"
#include "base/text.h"
#include "report/model/property_names.h"
#include "report/model/band.h"
#include "report/model/report.h"

namespace talven {

namespace {

using props::Is;
std::int32_t AsInt32(const Variant& v) { return static_cast<std::int32_t>(v.AsInteger()); }

}  // namespace

std::int32_t TenthsToUnits(std::int32_t tenths) { return RoundHalfEven(tenths / 10.0 * 18.0 / 5.0); }
std::int32_t UnitsToTenths(std::int32_t units) { return RoundHalfEven(units * 10.0 * 5.0 / 18.0); }

TfrPage::TfrPage(int size, int width, int height, int bin, int orientation) {
  SetPaper(size, width, height, bin, orientation);
}

TfrPage::~TfrPage() {
  if (EngineState().CurrentPage == this) EngineState().CurrentPage = nullptr;
}

void TfrPage::SetPaper(int size, int width, int height, int bin, int orientation) {
  const bool defaultBin = (bin & 0xFFFF) == 0xFFFF;
  TfrPrinterAdapter* printer = EnginePrinter();
  if (printer == nullptr) {
    Size = size;
    PaperWidth = width;
    PaperHeight = height;
    Orientation = static_cast<std::uint8_t>(orientation);
    PaperSource = defaultBin ? 65535 : bin;
    return;
  }
  try {
    printer->SetPaper(size, width, height, bin, orientation, false);
  } catch (const std::exception&) {
    printer->SetPaper(kCustomPaper, width, height, -1, orientation, false);
  }
  Size = printer->CurPaperCode();
  PaperWidth = printer->CurPaperWidth();
  PaperHeight = printer->CurPaperHeight();
  Orientation = static_cast<std::uint8_t>(printer->CurOrientation());
  PaperSource = defaultBin ? 65535 : printer->CurBin();
  printer->FillMetrics(PrinterMetrics);
}

std::int32_t TfrPage::RightLimit() const {
  // Without a printer the metrics are empty: the sheet is the paper and all
  // of it is printable.
  const TfrPrinterMetrics& m = PrinterMetrics;
  const std::int32_t sheet = m.PaperWidthUnits != 0 ? m.PaperWidthUnits : TenthsToUnits(PaperWidth);
  if (!KeepMargins) return sheet;
  if (RightMargin != 0) return sheet - RightMargin;
  return m.PrintWidthUnits != 0 ? m.OffsetXUnits + m.PrintWidthUnits : sheet;
}

TfrView& TfrPage::Add(std::unique_ptr<TfrView> view) {
  ObjectList.push_back(std::move(view));
  return *ObjectList.back();
}

void TfrPage::Delete(std::size_t i) {
  if (i < ObjectList.size()) ObjectList.erase(ObjectList.begin() + static_cast<std::ptrdiff_t>(i));
}

int TfrPage::IndexOf(const TfrView* view) const {
  for (std::size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i].get() == view) return static_cast<int>(i);
  return -1;
}

void TfrPage::SetPropertyValue(std::string_view name, const Variant& value) {
  if (Is(name, "Name")) Name = value.AsText();
  else if (Is(name, "Type")) Type = static_cast<std::uint8_t>(value.AsInteger());
  else if (Is(name, "Visible")) Visible = value.AsBoolean();
  else if (Is(name, "BorderStyle")) BorderStyle = static_cast<std::uint8_t>(value.AsInteger());
  else if (Is(name, "Caption")) Caption = value.AsText();
  else if (Is(name, "Color")) Color = AsInt32(value);
  else if (Is(name, "Left")) FormLeft = AsInt32(value);
  else if (Is(name, "Top")) FormTop = AsInt32(value);
  else if (Is(name, "Width") || Is(name, "Height")) {
    if (Type == ptDialog) {
      (Is(name, "Width") ? FormWidth : FormHeight) = AsInt32(value);
    } else {
      // A paper size of its own is a custom paper.
      int w = PaperWidth, h = PaperHeight;
      (Is(name, "Width") ? w : h) = UnitsToTenths(AsInt32(value));
      SetPaper(kCustomPaper, w, h, PaperSource, Orientation);
    }
  } else if (Is(name, "Position")) Position = static_cast<std::uint8_t>(value.AsInteger());
  else if (Is(name, "OnActivate") || Is(name, "OnBeforePrint")) PageScript = SplitLines(value.AsText());
  else if (Is(name, "Size")) SetPaper(AsInt32(value), PaperWidth, PaperHeight, PaperSource, Orientation);
  else if (Is(name, "Orientation")) {
    int o = AsInt32(value) != 0 ? poLandscape : poPortrait;
    // Turning the sheet swaps its sides.
    if (o != Orientation) SetPaper(Size, PaperHeight, PaperWidth, PaperSource, o);
  } else if (Is(name, "LeftMargin")) LeftMargin = AsInt32(value);
  else if (Is(name, "TopMargin")) TopMargin = AsInt32(value);
  else if (Is(name, "RightMargin")) RightMargin = AsInt32(value);
  else if (Is(name, "BottomMargin")) BottomMargin = AsInt32(value);
  else if (Is(name, "PrintToPrevPage")) PrintToPrevPage = value.AsBoolean();
  else if (Is(name, "StretchToPrintable")) KeepMargins = !value.AsBoolean();
  else if (Is(name, "Columns")) Columns = AsInt32(value);
  else if (Is(name, "ColumnWidth")) ColumnWidth = AsInt32(value);
  else if (Is(name, "ColumnGap")) ColumnGap = AsInt32(value);
}

Variant TfrPage::GetPropertyValue(std::string_view name) {
  if (Is(name, "Name")) return Name;
  if (Is(name, "Type")) return static_cast<int>(Type);
  if (Is(name, "Visible")) return Visible;
  if (Is(name, "BorderStyle")) return static_cast<int>(BorderStyle);
  if (Is(name, "Caption")) return Caption;
  if (Is(name, "Color")) return Color;
  if (Is(name, "Left")) return FormLeft;
  if (Is(name, "Top")) return FormTop;
  if (Is(name, "Width")) return Type == ptDialog ? FormWidth : TenthsToUnits(PaperWidth);
  if (Is(name, "Height")) return Type == ptDialog ? FormHeight : TenthsToUnits(PaperHeight);
  if (Is(name, "Position")) return static_cast<int>(Position);
  if (Is(name, "OnActivate") || Is(name, "OnBeforePrint")) return JoinLines(PageScript);
  if (Is(name, "Size")) return Size;
  if (Is(name, "LeftMargin")) return LeftMargin;
  if (Is(name, "TopMargin")) return TopMargin;
  if (Is(name, "RightMargin")) return RightMargin;
  if (Is(name, "BottomMargin")) return BottomMargin;
  if (Is(name, "Orientation")) return static_cast<int>(Orientation);
  if (Is(name, "PrintToPrevPage")) return PrintToPrevPage;
  if (Is(name, "StretchToPrintable")) return !KeepMargins;
  if (Is(name, "Columns")) return Columns;
  if (Is(name, "ColumnWidth")) return ColumnWidth;
  if (Is(name, "ColumnGap")) return ColumnGap;
  return {};
}

void TfrPage::RegisterProperties() {
  AddProperty("Type", TfrPropKind::Enumeration);
  AddProperty("Visible", TfrPropKind::Boolean);
  AddProperty("BorderStyle", TfrPropKind::Integer);
  AddProperty("Caption", TfrPropKind::Text);
  AddProperty("Color", TfrPropKind::Colour);
  AddProperty("Left", TfrPropKind::Integer);
  AddProperty("Top", TfrPropKind::Integer);
  AddProperty("Width", TfrPropKind::Integer);
  AddProperty("Height", TfrPropKind::Integer);
  AddProperty("Position", TfrPropKind::Integer);
  AddProperty("OnActivate", TfrPropKind::Event);
  AddProperty("Size", TfrPropKind::Integer);
  AddProperty("LeftMargin", TfrPropKind::Integer);
  AddProperty("TopMargin", TfrPropKind::Integer);
  AddProperty("RightMargin", TfrPropKind::Integer);
  AddProperty("BottomMargin", TfrPropKind::Integer);
  AddEnumProperty("Orientation", {"poPortrait", "poLandscape"}, {0, 1});
  AddProperty("PrintToPrevPage", TfrPropKind::Boolean);
  AddProperty("StretchToPrintable", TfrPropKind::Boolean);
  AddProperty("Columns", TfrPropKind::Integer);
  AddProperty("ColumnWidth", TfrPropKind::Integer);
  AddProperty("ColumnGap", TfrPropKind::Integer);
  AddProperty("OnBeforePrint", TfrPropKind::Event);
  AddProperty("Name", TfrPropKind::Text);
}

TfrPage& TfrPages::Add() { return Add(EngineDefaultPaperCode(), 0, 0, -1, poPortrait); }

TfrPage& TfrPages::Add(int size, int width, int height, int bin, int orientation) {
  pages_.push_back(std::make_unique<TfrPage>(size, width, height, bin, orientation));
  TfrPage& page = *pages_.back();
  MakeUniquePageName(page, owner_);
  return page;
}

void TfrPages::Delete(int i) {
  if (i >= 0 && i < Count()) pages_.erase(pages_.begin() + i);
}

int TfrPages::IndexOf(const TfrPage* page) const {
  for (std::size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i].get() == page) return static_cast<int>(i);
  return -1;
}

}  // namespace talven
