#include "report/model/view.h"

#include <cmath>
#include <vector>

#include "base/formatsettings.h"
#include "base/rounding.h"
#include "base/text.h"
#include "report/model/property_names.h"
#include "report/model/report.h"

namespace talven {

namespace {

using props::Is;

std::int32_t AsInt32(const Variant& v) { return static_cast<std::int32_t>(v.AsInteger()); }

const std::vector<std::string> kFrameStyleNames = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                                   "psDouble"};
const std::vector<std::string> kBandAlignNames = {"baNone",  "baLeft", "baRight", "baCenter",
                                                  "baWidth", "baBottom", "baTop", "baRest"};
const std::vector<int> kZeroToSeven = {0, 1, 2, 3, 4, 5, 6, 7};

}  // namespace

std::int32_t FrameWidthCode(float width) {
  double w = width;
  if (w == std::trunc(w)) return RoundHalfEven(w);
  return RoundHalfEven(w * 1000.0);
}

float FrameWidthFromCode(std::int32_t code) {
  double c = code;
  if (code <= 10) c *= 1000.0;
  return static_cast<float>(c / 1000.0);
}

TfrView::TfrView() : DisplayFormat(0x200 + static_cast<unsigned char>(Settings().decimalSeparator)) {}

TfrView::~TfrView() {
  PrepareState& state = EngineState();
  if (state.CurrentObject == this) state.CurrentObject = nullptr;
  std::erase(state.HookObjects, this);
}

void TfrView::SetPropertyValue(std::string_view name, const Variant& value) {
  if (Is(name, "Name")) Name = value.AsText();
  else if (Is(name, "Left")) Left = AsInt32(value);
  else if (Is(name, "Top")) Top = AsInt32(value);
  else if (Is(name, "Width")) Width = AsInt32(value);
  else if (Is(name, "Height")) Height = AsInt32(value);
  else if (Is(name, "Flags")) Flags = static_cast<std::uint16_t>(value.AsInteger());
  else if (Is(name, "FrameTyp")) FrameTyp = static_cast<std::uint16_t>(value.AsInteger());
  else if (Is(name, "FrameWidth")) FrameWidth = static_cast<float>(value.AsFloat());
  else if (Is(name, "FrameColor")) FrameColor = AsInt32(value);
  else if (Is(name, "FrameStyle")) FrameStyle = static_cast<std::uint16_t>(value.AsInteger());
  else if (Is(name, "FillColor")) FillColor = AsInt32(value);
  else if (Is(name, "Tag")) Tag = value.AsText();
  else if (Is(name, "BandAlign")) BandAlign = static_cast<std::uint8_t>(value.AsInteger());
  else if (Is(name, "Visible")) Visible = value.AsBoolean();
  else if (Is(name, "Memo") || Is(name, "DataField")) Memo = SplitLines(value.AsText());
  else if (Is(name, "Restrictions")) Restrictions = static_cast<std::uint16_t>(value.AsInteger());
  else if (Is(name, "GapX")) GapX = AsInt32(value);
  else if (Is(name, "GapY")) GapY = AsInt32(value);
  else if (Is(name, "Stretched")) SetFlag(flStretched, value.AsBoolean());
}

Variant TfrView::GetPropertyValue(std::string_view name) {
  if (Is(name, "Name")) return Name;
  if (Is(name, "Left")) return Left;
  if (Is(name, "Top")) return Top;
  if (Is(name, "Width")) return Width;
  if (Is(name, "Height")) return Height;
  if (Is(name, "Flags")) return static_cast<int>(Flags);
  if (Is(name, "FrameTyp")) return static_cast<int>(FrameTyp);
  if (Is(name, "FrameWidth")) return static_cast<double>(FrameWidth);
  if (Is(name, "FrameColor")) return FrameColor;
  if (Is(name, "FrameStyle")) return static_cast<int>(FrameStyle);
  if (Is(name, "FillColor")) return FillColor;
  if (Is(name, "Tag")) return Tag;
  if (Is(name, "BandAlign")) return static_cast<int>(BandAlign);
  if (Is(name, "Visible")) return Visible;
  if (Is(name, "Memo")) return JoinLines(Memo);
  if (Is(name, "Memo.Count")) return static_cast<int>(Memo.size());
  if (Is(name, "Restrictions")) return static_cast<int>(Restrictions);
  if (Is(name, "GapX")) return GapX;
  if (Is(name, "GapY")) return GapY;
  if (Is(name, "Stretched")) return Stretched();
  if (Is(name, "DataField")) return Memo.empty() ? std::string() : Memo.front();
  return {};
}

Variant TfrView::CallMethod(std::string_view name, const Variant&, const Variant&, const Variant&) {
  if (Is(name, "HIDE")) Visible = false;
  else if (Is(name, "SHOW")) Visible = true;
  return {};
}

void TfrView::RegisterGeometry() {
  AddProperty("Name", TfrPropKind::Text);
  AddProperty("Left", TfrPropKind::Integer);
  AddProperty("Top", TfrPropKind::Integer);
  AddProperty("Width", TfrPropKind::Integer);
  AddProperty("Height", TfrPropKind::Integer);
}

void TfrView::RegisterShortList() {
  RegisterGeometry();
  AddProperty("Flags", TfrPropKind::Integer);
  AddProperty("Visible", TfrPropKind::Boolean);
  AddProperty("Memo", TfrPropKind::Lines);
  AddProperty("Memo.Count", TfrPropKind::Integer);
  AddProperty("Restrictions", TfrPropKind::Integer);
}

void TfrView::RegisterProperties() {
  RegisterGeometry();
  AddProperty("Flags", TfrPropKind::Integer);
  AddProperty("FrameTyp", TfrPropKind::Integer);
  AddProperty("FrameWidth", TfrPropKind::Float);
  AddProperty("FrameColor", TfrPropKind::Colour);
  AddEnumProperty("FrameStyle", kFrameStyleNames, {0, 1, 2, 3, 4, 5});
  AddProperty("FillColor", TfrPropKind::Colour);
  AddProperty("Tag", TfrPropKind::Text);
  AddEnumProperty("BandAlign", kBandAlignNames, kZeroToSeven);
  AddProperty("Visible", TfrPropKind::Boolean);
  AddProperty("Memo", TfrPropKind::Lines);
  AddProperty("Memo.Count", TfrPropKind::Integer);
  AddProperty("Restrictions", TfrPropKind::Integer);
  AddProperty("GapX", TfrPropKind::Integer);
  AddProperty("GapY", TfrPropKind::Integer);
  AddProperty("Stretched", TfrPropKind::Boolean);
  AddProperty("DataField", TfrPropKind::Text);
}

void TfrView::ReadFromStream(TfrStream& s) {
  const int v = EngineState().StreamVersion;
  const bool design = StorageMode == smDesign;
  if (v > 23 || (v == 23 && design)) Name = ReadStreamString(s);
  else MakeUniqueName(*this);
  if (v > 23) {
    BaseRevision = s.ReadU8();
    ClassRevision = s.ReadU8();
  }
  Left = s.ReadI32();
  Top = s.ReadI32();
  Width = s.ReadI32();
  Height = s.ReadI32();
  Flags = s.ReadU16();
  FrameTyp = s.ReadU16();
  FrameWidth = FrameWidthFromCode(s.ReadI32());
  FrameColor = s.ReadI32();
  FrameStyle = s.ReadU16();
  FillColor = s.ReadI32();
  if (design) {
    DisplayFormat = s.ReadI32();
    DisplayFormatText = ReadStreamString(s);
  }
  Memo = ReadStreamTextList(s);
  if (design && v >= 23) {
    BeforePrintScript = ReadStreamTextList(s);
    Visible = ReadBoolean16(s);
  }
  if (v >= 24) {
    Restrictions = s.ReadU16();
    Tag = ReadStreamString(s);
    GapX = s.ReadI32();
    GapY = s.ReadI32();
  }
  if (BaseRevision > 1) BandAlign = s.ReadU8();
}

void TfrView::WriteToStream(TfrStream& s) {
  const bool design = StorageMode == smDesign;
  BaseRevision = 2;
  WriteStreamString(s, Name);
  s.WriteU8(BaseRevision);
  s.WriteU8(ClassRevision);
  s.WriteI32(Left);
  s.WriteI32(Top);
  s.WriteI32(Width);
  s.WriteI32(Height);
  s.WriteU16(Flags);
  s.WriteU16(FrameTyp);
  s.WriteI32(FrameWidthCode(FrameWidth));
  s.WriteI32(FrameColor);
  s.WriteU16(FrameStyle);
  s.WriteI32(FillColor);
  if (design) {
    s.WriteI32(DisplayFormat);
    WriteStreamString(s, DisplayFormatText);
  }
  WriteStreamTextList(s, design ? Memo : OutputText);
  if (design) {
    WriteStreamTextList(s, BeforePrintScript);
    WriteBoolean16(s, Visible);
  }
  s.WriteU16(Restrictions);
  WriteStreamString(s, Tag);
  s.WriteI32(GapX);
  s.WriteI32(GapY);
  s.WriteU8(BandAlign);
}

TfrRect TfrView::GetClipRegion(bool widened) const {
  const double w = FrameWidth;
  std::int32_t outer, inner;
  if (FrameStyle == psDouble) {
    outer = RoundHalfEven(1.5 * w);
    inner = RoundHalfEven(w + (w - 1) / 2);
  } else {
    outer = RoundHalfEven(w / 2);
    inner = RoundHalfEven((w - 1) / 2);
  }
  TfrRect r;
  r.Left = Left - ((FrameTyp & frbLeft) ? outer : 0);
  r.Top = Top - ((FrameTyp & frbTop) ? outer : 0);
  r.Right = Left + Width + 1 + ((FrameTyp & frbRight) ? inner : 0);
  r.Bottom = Top + Height + 1 + ((FrameTyp & frbBottom) ? inner : 0);
  if (widened) {
    r.Left -= 10;
    r.Top -= 10;
    r.Right += 10;
    r.Bottom += 10;
  }
  return r;
}

void TfrControl::RegisterProperties() {
  RegisterGeometry();
  AddProperty("Visible", TfrPropKind::Boolean);
  AddProperty("Restrictions", TfrPropKind::Integer);
}

Variant TfrStretcheable::CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) {
  if (Is(name, "CALCHEIGHT")) return ContentHeight();
  return TfrView::CallMethod(name, p1, p2, p3);
}

std::int32_t TfrStretcheable::HookedHeight(TfrHeightKind kind) {
  if (Hooks().Height) return Hooks().Height(*this, kind);
  return kind == TfrHeightKind::Remaining ? 0 : Height;
}

}  // namespace talven
