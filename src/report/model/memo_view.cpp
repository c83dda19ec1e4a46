#include "report/model/memo_view.h"

#include "base/convert.h"
#include "base/text.h"
#include "report/model/property_names.h"

namespace talven {

namespace {

using props::Is;

using props::FlagProperty;
constexpr FlagProperty kMemoFlags[] = {
    {"WordWrap", flWordWrap},   {"WordBreak", flWordBreak},   {"AutoWidth", flAutoWidth},
    {"TextOnly", flTextOnly},   {"Suppress", flSuppress},     {"HideZeros", flHideZeros},
    {"Underlines", flUnderlines}, {"RTLReading", flRTLReading},
};

std::size_t LineIndex(const Variant& index, std::size_t count) {
  std::int64_t i = index.AsInteger();
  if (i < 0 || static_cast<std::size_t>(i) >= count) throw Error("List index out of bounds (" + IntToStr(i) + ")");
  return static_cast<std::size_t>(i);
}

}  // namespace

std::string FontToText(const TfrFont& font) {
  return font.Name + ";" + IntToStr(font.Size) + ";" + IntToStr(font.Style) + ";" + IntToStr(font.Color) + ";" +
         IntToStr(font.Charset);
}

TfrFont FontFromText(std::string_view text, const TfrFont& fallback) {
  TfrFont font = fallback;
  std::size_t start = 0;
  for (int part = 0; part < 5 && start <= text.size(); ++part) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(start, end - start);
    if (part == 0) {
      font.Name = std::string(piece);
    } else if (auto n = TryStrToInt(piece)) {
      if (part == 1) font.Size = *n;
      if (part == 2) font.Style = static_cast<std::uint16_t>(*n);
      if (part == 3) font.Color = *n;
      if (part == 4) font.Charset = static_cast<std::uint8_t>(*n);
    }
    start = end + 1;
  }
  return font;
}

TfrMemoView::TfrMemoView() {
  NameStem = "Memo";
  TypeCode = gtMemo;
  Flags = flStretched | flWordWrap;
}

void TfrMemoView::SetPropertyValue(std::string_view name, const Variant& value) {
  for (const FlagProperty& f : kMemoFlags)
    if (Is(name, f.name)) return SetFlag(f.bit, value.AsBoolean());
  if (Is(name, "Font.Name")) Font.Name = value.AsText();
  else if (Is(name, "Font.Size")) Font.Size = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "Font.Style")) Font.Style = static_cast<std::uint16_t>(value.AsInteger());
  else if (Is(name, "Font.Color")) Font.Color = static_cast<TColor>(value.AsInteger());
  else if (Is(name, "Font")) Font = FontFromText(value.AsText(), Font);
  else if (Is(name, "Alignment")) Alignment = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "DisplayFormat")) DisplayFormat = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "Highlight")) HighlightCondition = value.AsText();
  else if (Is(name, "LineSpacing")) LineSpacing = static_cast<std::int32_t>(value.AsInteger());
  else if (Is(name, "CharSpacing")) CharSpacing = static_cast<std::int32_t>(value.AsInteger());
  else TfrStretcheable::SetPropertyValue(name, value);
}

Variant TfrMemoView::GetPropertyValue(std::string_view name) {
  for (const FlagProperty& f : kMemoFlags)
    if (Is(name, f.name)) return (Flags & f.bit) != 0;
  if (Is(name, "Font.Name")) return Font.Name;
  if (Is(name, "Font.Size")) return Font.Size;
  if (Is(name, "Font.Style")) return static_cast<int>(Font.Style);
  if (Is(name, "Font.Color")) return Font.Color;
  if (Is(name, "Font")) return FontToText(Font);
  if (Is(name, "Alignment")) return Alignment;
  if (Is(name, "DisplayFormat")) return DisplayFormat;
  if (Is(name, "Highlight")) return HighlightCondition;
  if (Is(name, "LineSpacing")) return LineSpacing;
  if (Is(name, "CharSpacing")) return CharSpacing;
  if (Is(name, "Lines.Count")) return static_cast<int>(Memo.size());
  return TfrStretcheable::GetPropertyValue(name);
}

Variant TfrMemoView::CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) {
  const std::string method = UpperCase(name);
  if (method.starts_with("LINES")) {
    std::string_view op = std::string_view(method).substr(5);
    if (op == ".ADD") {
      Memo.push_back(EvaluateArgument(p1).AsText());
    } else if (op == ".CLEAR") {
      Memo.clear();
    } else if (op == ".DELETE") {
      Memo.erase(Memo.begin() + static_cast<std::ptrdiff_t>(LineIndex(EvaluateArgument(p1), Memo.size())));
    } else if (op == ".INDEXOF") {
      std::string text = EvaluateArgument(p1).AsText();
      for (std::size_t i = 0; i < Memo.size(); ++i)
        if (SameText(Memo[i], text)) return static_cast<int>(i);
      return -1;
    }
    return {};
  }
  // The indexed access of SETARRAY and GETARRAY: p1 the property name in
  // upper case, p2 the index, p3 the value, all evaluated already.
  if (method == "SETINDEXPROPERTY" && SameText(p1.AsText(), "LINES")) {
    Memo[LineIndex(p2, Memo.size())] = p3.AsText();
    return {};
  }
  if (method == "GETINDEXPROPERTY" && SameText(p1.AsText(), "LINES")) return Memo[LineIndex(p2, Memo.size())];
  return TfrStretcheable::CallMethod(name, p1, p2, p3);
}

void TfrMemoView::RegisterProperties() {
  TfrStretcheable::RegisterProperties();
  AddProperty("Font.Name", TfrPropKind::Text);
  AddProperty("Font.Size", TfrPropKind::Integer);
  AddProperty("Font.Style", TfrPropKind::Integer);
  AddProperty("Font.Color", TfrPropKind::Colour);
  AddProperty("Font", TfrPropKind::Font);
  AddProperty("Alignment", TfrPropKind::Integer);
  AddProperty("DisplayFormat", TfrPropKind::Integer);
  AddProperty("Highlight", TfrPropKind::Text);
  AddProperty("LineSpacing", TfrPropKind::Integer);
  AddProperty("CharSpacing", TfrPropKind::Integer);
  for (const FlagProperty& f : kMemoFlags) {
    if (f.bit == flUnderlines) AddProperty("Lines.Count", TfrPropKind::Integer);
    AddProperty(f.name, TfrPropKind::Boolean);
  }
}

void TfrMemoView::ReadFromStream(TfrStream& s) {
  TfrStretcheable::ReadFromStream(s);
  const int v = EngineState().StreamVersion;
  Font.Name = ReadStreamString(s);
  Font.Size = s.ReadI32();
  Font.Style = s.ReadU16();
  Font.Color = s.ReadI32();
  Alignment = s.ReadI32();
  std::uint16_t charset = s.ReadU16();
  Font.Charset = v < 23 ? 1 : static_cast<std::uint8_t>(charset & 0xFF);
  if (StorageMode == smDesign) {
    HighlightFontStyle = s.ReadU16();
    HighlightFontColor = s.ReadI32();
    HighlightFillColor = s.ReadI32();
    HighlightCondition = ReadStreamString(s);
  }
  if (v >= 24) {
    LineSpacing = s.ReadI32();
    CharSpacing = s.ReadI32();
  }
  if (v == 21) SetFlag(flWordWrap, true);
}

void TfrMemoView::WriteToStream(TfrStream& s) {
  TfrStretcheable::WriteToStream(s);
  WriteStreamString(s, Font.Name);
  s.WriteI32(Font.Size);
  s.WriteU16(Font.Style);
  s.WriteI32(Font.Color);
  s.WriteI32(Alignment);
  s.WriteU16(Font.Charset);
  if (StorageMode == smDesign) {
    s.WriteU16(HighlightFontStyle);
    s.WriteI32(HighlightFontColor);
    s.WriteI32(HighlightFillColor);
    WriteStreamString(s, HighlightCondition);
  }
  s.WriteI32(LineSpacing);
  s.WriteI32(CharSpacing);
}

void TfrMemoView::LoadBlob(std::string_view data) { OutputText = SplitLines(data); }

}  // namespace talven
