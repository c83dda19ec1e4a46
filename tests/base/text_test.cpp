#include "base/text.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

TEST(Text, ConvertsBetweenUtf8AndGbk) {
  const std::string gbk = Utf8ToGbk("打印 A1");
  EXPECT_EQ(gbk, "\xB4\xF2\xD3\xA1 A1");
  EXPECT_EQ(GbkToUtf8(gbk), "打印 A1");
  EXPECT_EQ(Utf8ToGbk("€"), "\x80");  // code page 936 keeps the euro at 0x80
  EXPECT_EQ(GbkToUtf8("\x80"), "€");
  EXPECT_EQ(Utf8ToGbk(""), "");
}

TEST(Text, BadInputFollowsTheStatedPolicy) {
  // Characters outside code page 936 and malformed UTF-8 become "?".
  EXPECT_EQ(Utf8ToGbk("a😀b"), "a?b");
  EXPECT_EQ(Utf8ToGbk("a\xE6\x89" "b"), "a??b");  // truncated three-byte sequence
  EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), "??");           // overlong form
  EXPECT_EQ(Utf8ToGbk("\xED\xA0\x80"), "???");      // surrogate
  // Bytes that start no GBK character become U+FFFD, one each.
  EXPECT_EQ(GbkToUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(GbkToUtf8("\xB4"), "\xEF\xBF\xBD");            // lead byte at the end
  EXPECT_EQ(GbkToUtf8("\xB4 x"), "\xEF\xBF\xBD x");        // lead byte before a blank
  EXPECT_FALSE(IsValidGbk("\xB4 x"));
  EXPECT_TRUE(IsValidGbk(Utf8ToGbk("考场")));
}

TEST(Text, LeadBytesOfCodePage936) {
  EXPECT_FALSE(IsLeadByte('\x80'));
  EXPECT_TRUE(IsLeadByte('\x81'));
  EXPECT_TRUE(IsLeadByte('\xFE'));
  EXPECT_FALSE(IsLeadByte('\xFF'));
  EXPECT_FALSE(IsLeadByte('a'));
}

TEST(Text, CaseChangesOnlyAsciiLetters) {
  // 诶 is 0xDA 0x61: its trail byte is the letter "a" and must stay.
  const std::string mixed = Utf8ToGbk("abc考场诶xyZ");
  EXPECT_EQ(GbkToUtf8(UpperCase(mixed)), "ABC考场诶XYZ");
  EXPECT_EQ(GbkToUtf8(LowerCase(mixed)), "abc考场诶xyz");
  EXPECT_TRUE(SameText("Memo1", "MEMO1"));
  EXPECT_FALSE(SameText(Utf8ToGbk("诶"), "\xDA" "A"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_EQ(CompareText("PageHeader1", "pageheader1"), 0);
  EXPECT_GT(CompareText("ab", "A"), 0);
}

TEST(Text, TrimRemovesBlanksAndControlCharacters) {
  EXPECT_EQ(Trim(" \t\r\n 101 \x01"), "101");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \n"), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(Utf8ToGbk(" 考场 ")), Utf8ToGbk("考场"));
}

TEST(Text, CutToWidthNeverSplitsACharacter) {
  const std::string s = Utf8ToGbk("ab考场");  // 6 bytes
  EXPECT_EQ(CutToWidth(s, 10), s);
  EXPECT_EQ(CutToWidth(s, 4), Utf8ToGbk("ab考"));
  EXPECT_EQ(CutToWidth(s, 3), "ab");
  EXPECT_EQ(CutToWidth(s, 0), "");
}

TEST(Text, LiteralsConvertOnce) {
  const std::string& a = "信息"_gbk;
  const std::string& b = "信息"_gbk;
  EXPECT_EQ(&a, &b);
  EXPECT_EQ(a, Utf8ToGbk("信息"));
}

TEST(Text, PosAndReplace) {
  EXPECT_EQ(Pos("b", "abc"), 2u);
  EXPECT_EQ(Pos("x", "abc"), 0u);
  EXPECT_EQ(Pos("", "abc"), 0u);
  EXPECT_EQ(ReplaceAll("9:00:1", ":", "."), "9.00.1");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

}  // namespace
}  // namespace talven
