// TfrMemoView: a text box, with its font, alignment, highlight and spacing.
#pragma once

#include <cstdint>
#include <string>

#include "report/model/view.h"

namespace talven {

// Font style bits as templates store them and "Font.Style" shows them.
constexpr std::uint16_t fsItalicBit = 1, fsBoldBit = 2, fsUnderlineBit = 4, fsStrikeOutBit = 8;

struct TfrFont {
  std::string Name = "Arial";
  std::int32_t Size = 10;        // points
  std::uint16_t Style = 0;       // fs…Bit
  TColor Color = clBlack;
  std::uint8_t Charset = 1;      // the default character set

  bool operator==(const TfrFont&) const = default;
};

// Memo Flags bits (default Stretched + WordWrap).
constexpr std::uint16_t flWordWrap = 0x002, flWordBreak = 0x004, flAutoWidth = 0x008, flTextOnly = 0x010,
                        flSuppress = 0x020, flHideZeros = 0x040, flUnderlines = 0x080, flRTLReading = 0x100;

// Alignment bits: 0-1 horizontal (left, right, centre, justified), then
// vertical text, vertically centred, bottom.
constexpr std::int32_t frtaLeft = 0, frtaRight = 1, frtaCenter = 2, frtaVertical = 4, frtaMiddle = 8, frtaDown = 16;

class TfrMemoView : public TfrStretcheable {
 public:
  TfrMemoView();
  const char* ClassName() const override { return "TfrMemoView"; }

  TfrFont Font;
  std::int32_t Alignment = frtaLeft;
  std::uint16_t HighlightFontStyle = fsBoldBit;
  TColor HighlightFontColor = clBlack;
  TColor HighlightFillColor = clWhite;
  std::string HighlightCondition;
  std::int32_t LineSpacing = 2;
  std::int32_t CharSpacing = 0;

  // Run-time fields: the highlight condition in postfix form, measuring
  // only, and the text printed last (Suppress).
  std::string HighlightPostfix;
  bool FitOnly = false;
  std::string LastPrintedText;
  // Text layout: the text to draw carries layout marks already, the height
  // of the laid-out text (its width when turned), the distance between two
  // lines, the lines the last drawing handled, and whether lines go to the
  // export filter instead of the canvas.
  bool LaidOut = false;
  std::int32_t TextHeight = 0;
  std::int32_t LineStep = 0;
  std::int32_t LinesDrawn = 0;
  bool Exporting = false;

  // Beyond the common properties: "Font.Name", "Font.Size", "Font.Style"
  // (fs…Bit values), "Font.Color", "Font" (the FontToText form),
  // "Alignment", "DisplayFormat", "Highlight" (the highlight condition),
  // "LineSpacing", "CharSpacing", the flag properties and "Lines.Count".
  void SetPropertyValue(std::string_view name, const Variant& value) override;
  Variant GetPropertyValue(std::string_view name) override;
  // "LINES.ADD", "LINES.CLEAR", "LINES.DELETE", "LINES.INDEXOF",
  // "SETINDEXPROPERTY", "GETINDEXPROPERTY" on the memo's lines.
  Variant CallMethod(std::string_view name, const Variant& p1, const Variant& p2, const Variant& p3) override;

  void ReadFromStream(TfrStream& s) override;
  void WriteToStream(TfrStream& s) override;
  // The field's bytes become the output text.
  void LoadBlob(std::string_view data) override;

  std::int32_t ContentHeight() override { return HookedHeight(TfrHeightKind::Content); }
  std::int32_t MinimumHeight() override { return HookedHeight(TfrHeightKind::Minimum); }
  std::int32_t RemainingHeight() override { return HookedHeight(TfrHeightKind::Remaining); }

 protected:
  void RegisterProperties() override;
};

// The font as one text, "Name;Size;Style;Color;Charset", for the "Font"
// property (so that a script can copy one memo's font to another).
std::string FontToText(const TfrFont& font);
TfrFont FontFromText(std::string_view text, const TfrFont& fallback);

}  // namespace talven
