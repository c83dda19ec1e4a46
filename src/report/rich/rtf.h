// Rich Text Format in and out, for the subset that report texts use: the
// font table (each font's character set decides how its bytes are read;
// charset 134 and the default set are GBK), the colour table, paragraphs
// with alignment, indents and spacing, character formatting (bold, italic,
// underline, strike-out, font, size, colour, highlight), tabs, line breaks,
// "\'hh" bytes (double-byte pairs joined) and "\uN" with its fallback.
// Pictures, style sheets, document information and every "\*" group are
// skipped; control words the reader does not know are ignored.
//
// The text lives in a QTextDocument, which only holds it: the rich-text
// layout (rich_layout.h) lays it out. Lengths in the document are twips
// (1/1440 inch):
// - character format: the font's family (one name), its point size, bold,
//   italic, underline, strike-out, a foreground only for a colour other than
//   the automatic one, a background for a highlight, and the font's
//   character set (kCharsetProperty);
// - block format: alignment, left and right margins and the first-line
//   indent, space before and after, line spacing (at least, exactly, or a
//   proportion in per cent) and tab stops, all in twips;
// - the default tab distance in the document's default text option.
// The block's own character format is that of its paragraph mark, so an
// empty paragraph is as high as its font.
#pragma once

#include <QTextDocument>
#include <QTextFormat>

#include <string>
#include <string_view>

namespace talven {

// The character set a run's font was declared with (an int).
constexpr int kCharsetProperty = QTextFormat::UserProperty + 1;

// The font of text without one, and the size of text without "\fs".
inline constexpr const char* kRtfDefaultFamily = "宋体";
constexpr double kRtfDefaultPointSize = 12;
// The tab distance of a document without "\deftab".
constexpr int kRtfDefaultTab = 720;

// Reads Rich Text Format into the document (emptied first). Bytes that do
// not begin with "{\rtf" are plain GBK text, one paragraph a line. Never
// fails: damaged input gives what could be read of it.
void ReadRtf(std::string_view rtf, QTextDocument& doc);

// The document as Rich Text Format: characters that code page 936 holds are
// written as GBK bytes in fonts of a GBK character set, every other one as
// "\uN" with "?" for readers without Unicode. ReadRtf gives the same text
// and formatting back.
std::string WriteRtf(const QTextDocument& doc);

// The number of character positions of the text: every character and every
// paragraph end but the last counts one.
int RichTextLength(const QTextDocument& doc);

}  // namespace talven
