// Display formats: how a memo bracket prints its value.
//
// A format code (an object's DisplayFormat) holds in bits 24-27 the category
// (0 text, 1 number, 2 date, 3 time, 4 boolean), in bits 16-23 the index
// within the category, in bits 8-15 the number of decimal places and in bits
// 0-7 the decimal separator character. Index 4 of every category but text is
// the custom format text (DisplayFormatText):
//
//   number  0 "##0." + d x "#"   1 fixed, d decimals   2 "#,##0." + d x "#"
//           3 fixed with thousands separators, d decimals
//   date    0 "yy.mm.dd"  1 "yyyy.mm.dd"  2 "yyyy''年''mm''月''dd''日''"
//           3 the long date format of the format settings
//   time    0 "hh:nn:ss"  1 "h:nn:ss"  2 "hh:nn"  3 "h:nn"
//   boolean 0 "0;1"  1 "否;是"  2 "_;x"  3 "假;真"  (false;true)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/variant.h"

namespace talven {

enum TfrFormatCategory : int {
  fmtText = 0,
  fmtNumber = 1,
  fmtDate = 2,
  fmtTime = 3,
  fmtBoolean = 4,
};

constexpr std::int32_t MakeDisplayFormat(int category, int index, int decimals, char separator) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(category & 0xFF) << 24) |
                                   (static_cast<std::uint32_t>(index & 0xFF) << 16) |
                                   (static_cast<std::uint32_t>(decimals & 0xFF) << 8) |
                                   static_cast<unsigned char>(separator));
}
constexpr int FormatCategory(std::int32_t code) { return (code >> 24) & 0x0F; }
constexpr int FormatIndex(std::int32_t code) { return (code >> 16) & 0xFF; }
constexpr int FormatDecimals(std::int32_t code) { return (code >> 8) & 0xFF; }
constexpr char FormatSeparator(std::int32_t code) { return static_cast<char>(code & 0xFF); }

// The value printed by the format. Unassigned, null and a text of blanks
// give the empty text; a category above 4 gives the empty text; a value the
// format cannot take (a text that is no number under a number format) gives
// its plain text. Never fails. Numbers are formatted with the code's decimal
// separator (the module's own when the code holds none), which is restored
// afterwards.
std::string ApplyDisplayFormat(const Variant& value, std::int32_t code, std::string_view customText);

// Applies the format part of a bracket (the part after " #":
// "N##0.00", "1,2", "Ddd.mm.yyyy", "B否;是" ...) to the object's format code
// and custom text.
void ApplyBracketFormat(std::string_view format, std::int32_t& code, std::string& customText);

// The runtime's edit-mask formatting: the mask's data positions (L l A a C c
// 0 9 #) take the value's characters in turn, its literals (anything else,
// "\x" for a mask letter, ":" and "/" as the time and date separators, "_"
// as a blank) are inserted; ">" and "<" switch to upper and lower case, "<>"
// back; "!" puts missing characters in front instead of at the end. The mask
// may end in ";save-literals;blank", whose blank fills missing positions.
std::string FormatMaskText(std::string_view mask, std::string_view value);

}  // namespace talven
