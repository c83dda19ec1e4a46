#include "report/model/rich_view.h"

#include "base/text.h"
#include "report/model/property_names.h"

namespace talven {

namespace {

using props::Is;

}  // namespace

TfrRichView::TfrRichView() {
  NameStem = "Rich";
  TypeCode = gtAddIn;
}

void TfrRichView::SetPropertyValue(std::string_view name, const Variant& value) {
  if (Is(name, "Lines")) RichText = value.AsText();
  else if (Is(name, "TextOnly")) SetFlag(flRichTextOnly, value.AsBoolean());
  else TfrStretcheable::SetPropertyValue(name, value);
}

Variant TfrRichView::GetPropertyValue(std::string_view name) {
  if (Is(name, "Lines")) return RichText;
  if (Is(name, "TextOnly")) return (Flags & flRichTextOnly) != 0;
  return TfrStretcheable::GetPropertyValue(name);
}

void TfrRichView::RegisterProperties() {
  TfrStretcheable::RegisterProperties();
  AddProperty("Lines", TfrPropKind::Lines);
  AddProperty("TextOnly", TfrPropKind::Boolean);
}

void TfrRichView::ReadFromStream(TfrStream& s) {
  TfrStretcheable::ReadFromStream(s);
  std::uint8_t hasText = s.ReadU8();
  std::size_t end = ReadEndPosition(s);
  RichText = hasText == 1 ? s.ReadBytes(end - s.Position()) : std::string();
  s.Seek(end);
}

void TfrRichView::WriteToStream(TfrStream& s) {
  TfrStretcheable::WriteToStream(s);
  s.WriteU8(RichText.empty() ? 0 : 1);
  std::size_t placeholder = s.Position();
  s.WriteI32(0);
  s.WriteBytes(RichText);
  s.PatchI32(placeholder, static_cast<std::int32_t>(s.Position()));
}

}  // namespace talven
