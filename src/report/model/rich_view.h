// TfrRichView: the rich-text add-in object. Its text is Rich Text Format,
// kept as the bytes it was read from; laying it out and drawing it belong to
// the drawing of report objects.
#pragma once

#include <string>

#include "report/model/view.h"

namespace talven {

class TfrRichView : public TfrStretcheable {
 public:
  TfrRichView();
  const char* ClassName() const override { return "TfrRichView"; }

  // The rich text in Rich Text Format.
  std::string RichText;

  // Run-time fields of printing: the character positions of the part the
  // current continued part prints ([PartStart, PartEnd)), and where
  // formatting starts.
  int PartStart = 0, PartEnd = 0;
  int FormatFrom = 0;

  // Brackets in the text are printed as they stand.
  bool TextOnly() const { return (Flags & flRichTextOnly) != 0; }
  static constexpr std::uint16_t flRichTextOnly = 0x010;

  // "Lines" reads and writes the rich text itself.
  void SetPropertyValue(std::string_view name, const Variant& value) override;
  Variant GetPropertyValue(std::string_view name) override;

  void ReadFromStream(TfrStream& s) override;
  void WriteToStream(TfrStream& s) override;
  void LoadBlob(std::string_view data) override { RichText = std::string(data); }

  std::int32_t ContentHeight() override { return HookedHeight(TfrHeightKind::Content); }
  std::int32_t MinimumHeight() override { return HookedHeight(TfrHeightKind::Minimum); }
  std::int32_t RemainingHeight() override { return HookedHeight(TfrHeightKind::Remaining); }

 protected:
  void RegisterProperties() override;
};

}  // namespace talven
