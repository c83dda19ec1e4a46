// Text inside the program: 8-bit GBK (code page 936) bytes in std::string,
// exactly as the exam database, the template files and the prepared pages
// hold it. Lengths and positions are byte counts. Conversion to UTF-8 happens
// only at the edges (database drivers, Qt, file names, the command line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talven {

// A lead byte of a double-byte character of code page 936.
constexpr bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// Conversion policy (never throws, never reads past the input):
// - UTF-8 -> GBK: a character that code page 936 cannot hold becomes "?";
//   a malformed UTF-8 sequence becomes one "?" per byte that starts no valid
//   sequence.
// - GBK -> UTF-8: a byte that starts no valid character (0xFF, a lead byte
//   followed by a byte that is no trail byte, a lead byte at the very end)
//   becomes U+FFFD and conversion resumes with the next byte.
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

// The Unicode character of one GBK code (a single byte b as b, a double-byte
// character as lead << 8 | trail); 0 when code page 936 has none.
char32_t GbkCharToUnicode(std::uint16_t code);
// The GBK code of a Unicode character (as above), 0 when code page 936 has
// none.
std::uint16_t UnicodeToGbkChar(char32_t cp);

// True when every byte of the text is part of a valid code page 936
// character; such a text survives GbkToUtf8 followed by Utf8ToGbk unchanged.
bool IsValidGbk(std::string_view gbk);

// Letter case of ASCII letters only; double-byte characters, whose trail byte
// may look like an ASCII letter, stay intact.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

// Comparisons without regard to ASCII letter case (double-byte aware).
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);

// Removes leading and/or trailing bytes up to the blank (control characters
// included).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Position (1-based) of the first occurrence of part in s, 0 when absent or
// when part is empty.
std::size_t Pos(std::string_view part, std::string_view s);

// Replaces every occurrence of from by to.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// Cuts s to at most width bytes without splitting a double-byte character:
// when the cut would fall inside one, the text ends a byte earlier.
std::string CutToWidth(std::string_view s, std::size_t width);

namespace detail {
template <std::size_t N>
struct Utf8Literal {
  char chars[N]{};
  constexpr Utf8Literal(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = s[i];
  }
  constexpr std::string_view view() const { return {chars, N - 1}; }
};
}  // namespace detail

// The GBK form of a UTF-8 source literal, converted once per literal:
//   const std::string& caption = "打印"_gbk;
template <detail::Utf8Literal L>
const std::string& operator""_gbk() {
  static const std::string converted = Utf8ToGbk(L.view());
  return converted;
}

}  // namespace talven
