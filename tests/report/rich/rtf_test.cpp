// The Rich Text Format reader and writer: what snippets give, round trips,
// and damaged input.
#include "report/rich/rtf.h"

#include <gtest/gtest.h>

#include <string>

#include "rich_fixture.h"

namespace talven {
namespace {

// A font table with the Song face in GBK (宋体 = cb ce cc e5), Arial in the
// Western set and a Cyrillic face.
const std::string kFonts =
    "{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fswiss\\fcharset0 Arial;}"
    "{\\f2\\fcharset204{\\*\\panose 020b0604020202020204}Times New Roman Cyr;}}";
const std::string kColors = "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";

std::string Doc(const std::string& body) { return "{\\rtf1\\ansi\\ansicpg936\\deff0" + kFonts + kColors + body + "}"; }

struct Snippet {
  const char* name;
  std::string rtf;
  std::string document;
};

TEST(Rtf, SnippetsGiveTheirTextAndFormatting) {
  const Snippet cases[] = {
      {"no font table", "{\\rtf1 Hello}", "\"Hello\"{宋体 12}"},
      {"GBK pairs in a charset 134 face", Doc("\\f0\\fs21 \\'d6\\'d0\\'ce\\'c4"), "\"中文\"{宋体 10.5 cs134}"},
      {"raw GBK bytes, a trail byte that looks like a backslash", Doc("\\f0 \xd6\xd0\x95\x5c"),
       "\"中昞\"{宋体 12 cs134}"},
      {"Western and Cyrillic bytes", Doc("\\f1 caf\\'e9 \\f2\\'c0\\'e1"),
       "\"café \"{Arial 12 cs0} \"Аб\"{Times New Roman Cyr 12 cs204}"},
      {"\\u with its fallback skipped", Doc("\\f1 a\\u20013?b\\uc2\\u25991\\'ce\\'c4c\\uc0\\u-3913 d"),
       "\"a中b文c\xef\x82\xb7" "d\"{Arial 12 cs0}"},
      {"character formatting and \\plain",
       Doc("\\f1\\fs20 n\\b b\\i bi\\b0\\ul u\\ulnone\\strike s\\strike0\\i0\\cf1 red\\highlight2 hl\\plain p"),
       "\"n\"{Arial 10 cs0} \"b\"{Arial 10 b cs0} \"bi\"{Arial 10 b i cs0} \"u\"{Arial 10 i u cs0} "
       "\"s\"{Arial 10 i s cs0} \"red\"{Arial 10 fg#ff0000 cs0} \"hl\"{Arial 10 fg#ff0000 bg#0000ff cs0} "
       "\"p\"{宋体 12 cs134}"},
      {"groups keep formatting to themselves", Doc("\\f1 a{\\b b}c"),
       "\"a\"{Arial 12 cs0} \"b\"{Arial 12 b cs0} \"c\"{Arial 12 cs0}"},
      {"paragraphs, alignment, indents and spacing",
       Doc("\\pard\\qc\\f1 one\\par\\pard\\qr\\li720\\ri360\\fi-180\\sb120\\sa60 two\\par\\qj\\sl-300\\slmult0 "
           "three\\par\\pard\\sl360\\slmult1\\tx1440\\tx720 four"),
       "[c] \"one\"{Arial 12 cs0}\n[r li720 ri360 fi-180 sb120 sa60] \"two\"{Arial 12 cs0}\n"
       "[j li720 ri360 fi-180 sb120 sa60 sl2:300] \"three\"{Arial 12 cs0}\n[sl1:150 tx720 tx1440] "
       "\"four\"{Arial 12 cs0}"},
      {"tabs, line breaks and special characters", Doc("\\f1 a\\tab b\\line c\\~d\\emdash\\bullet\\-e"),
       "\"a→b⏎c\xc2\xa0" "d—•e\"{Arial 12 cs0}"},
      {"skipped destinations and unknown words",
       Doc("{\\*\\generator Writer 1.0;}{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}}"
           "\\f1 a{\\pict\\wmetafile8 0123abcd}{\\*\\unknown x}\\foo42 b{\\field{\\*\\fldinst HYPERLINK x}"
           "{\\fldrslt link}}{\\pict\\bin4 }}}}}c"),
       "\"ablinkc\"{Arial 12 cs0}"},
      {"a final paragraph mark adds no paragraph", Doc("\\f1 a\\par "), "\"a\"{Arial 12 cs0}"},
      {"an empty paragraph keeps its font", Doc("\\f1 a\\par\\fs40\\par b"),
       "\"a\"{Arial 12 cs0}\n¶{Arial 20 cs0}\n\"b\"{Arial 20 cs0}"},
      {"unbalanced braces: the document ends with its group", "{\\rtf1 a}}}b", "\"a\"{宋体 12}"},
      {"unclosed groups", "{\\rtf1{\\b a{\\i b", "\"a\"{宋体 12 b} \"b\"{宋体 12 b i}"},
      {"plain text, one paragraph a line", "\xb5\xda\xd2\xbb\r\nsecond\nthird\r",
       "\"第一\"{宋体 12}\n\"second\"{宋体 12}\n\"third\"{宋体 12}"},
  };
  EnsureGuiApplication();
  for (const Snippet& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DescribeRtf(c.rtf), c.document);
  }
}

TEST(Rtf, WhatTheWriterWritesReadsBackUnchanged) {
  const std::string samples[] = {
      Doc("\\pard\\qc\\f0\\fs28\\b \\'bf\\'bc\\'b3\\'a1\\b0  [kch]\\par\\pard\\qj\\li100\\fi200\\sb40\\sa80"
          "\\sl-260\\slmult0\\f1\\i caf\\'e9 \\cf1 red\\highlight2 \\{x\\}\\\\\\tab y\\line z\\par\\par"
          "\\pard\\sl480\\slmult1\\tx500\\f2\\'c0 \\u8364?\\u-10179?\\u-8704?\\par"),
      "{\\rtf1 plain}",
      "\xd6\xd0\r\n",
      "{\\rtf1\\deftab360 a\\par\\par}",
      // In the Johab face the byte 5c reads as the won sign: a backslash
      // there is written as Unicode.
      "{\\rtf1{\\fonttbl{\\f0\\fcharset130 Gulim;}}\\f0 a\\u92?\\u8361?b}",
  };
  EnsureGuiApplication();
  for (const std::string& rtf : samples) {
    SCOPED_TRACE(rtf);
    QTextDocument first;
    ReadRtf(rtf, first);
    const std::string written = WriteRtf(first);
    QTextDocument second;
    ReadRtf(written, second);
    EXPECT_EQ(Describe(second), Describe(first)) << written;
    EXPECT_EQ(second.defaultTextOption().tabStopDistance(), first.defaultTextOption().tabStopDistance());
    EXPECT_EQ(WriteRtf(second), written);
  }
}

TEST(Rtf, TheWriterKeepsGbkAsBytesAndTheRestAsUnicode) {
  QTextDocument doc;
  ReadRtf(Doc("\\f0 \\'d6\\'d0\\u8364?\\u-10179?\\u-8704?\\f1 \\'e9"), doc);
  const std::string written = WriteRtf(doc);
  EXPECT_NE(written.find("\\'d6\\'d0"), std::string::npos) << written;  // 中 in the GBK face
  EXPECT_NE(written.find("\\u-10179?\\u-8704?"), std::string::npos) << written;  // outside code page 936
  EXPECT_NE(written.find("\\u233?"), std::string::npos) << written;  // é in the Western face
  EXPECT_NE(written.find("\\fcharset134 \\'cb\\'ce\\'cc\\'e5;"), std::string::npos) << written;
}

TEST(Rtf, DamagedInputGivesWhatCouldBeRead) {
  const std::string cases[] = {
      "{\\rtf1" + std::string(200000, '{') + "deep" + std::string(100, '}'),
      "{\\rtf1\\fs99999999999999999999999 a\\li-99999999999999 b\\sl-2147483648 c}",
      "{\\rtf1 a\\'",
      "{\\rtf1 a\\'d",
      "{\\rtf1 a\\'zz b\\u",
      "{\\rtf1 a\\u-",
      "{\\rtf1 a\\u99999999999 b\\uc99999 c}",
      "{\\rtf1 a\\bin999999999999",
      "{\\rtf1{\\fonttbl{\\f99999999999\\fcharset134 x",
      "{\\rtf1{\\colortbl;\\red999\\green-5;}\\cf99999999 a\\highlight-1 b}",
      "{\\rtf1\\f0\\'d6}",
      "{\\rtf1{\\fonttbl{\\f0 A\\'\tB\\u59?C;}}\\f0 x}",  // a tab and a ";" in a family name
      std::string("{\\rtf1 a") + '\0' + "b\x01\x7f\\u0 \\u-1 \\u55296?x\\u65532?}",
  };
  EnsureGuiApplication();
  for (const std::string& rtf : cases) {
    SCOPED_TRACE(rtf.substr(0, 60));
    QTextDocument doc;
    ReadRtf(rtf, doc);
    QTextDocument back;
    ReadRtf(WriteRtf(doc), back);
    EXPECT_EQ(Describe(back), Describe(doc));
  }
  QTextDocument deep;
  ReadRtf(cases[0], deep);
  EXPECT_EQ(PlainText(deep), "deep");
  QTextDocument surrogate;
  ReadRtf(cases[12], surrogate);
  EXPECT_EQ(PlainText(surrogate), "ab\xef\xbf\xbdx\xef\xbf\xbd");
}

}  // namespace
}  // namespace talven
