#include "data/ini_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "base/text.h"
#include "support/fixture.h"

namespace talven {
namespace {

using test::ReadFile;

TEST(IniFile, ReadsKeysOfSectionsWithoutRegardToCase) {
  test::TempDir dir;
  const std::string path = dir.File("a.ini");
  std::ofstream(path, std::ios::binary) << "; comment\n[One]\n a = 1 \nQuoted=\" two \"\n;b=no\n[two]\na=2\n"
                                           "[ONE]\na=again\nlast=相片\n";
  IniFile ini(Utf8ToGbk(path));
  EXPECT_EQ(ini.ReadString("one", "A", "-"), "1");
  EXPECT_EQ(ini.ReadString("one", "quoted", "-"), " two ");
  EXPECT_EQ(ini.ReadString("one", "b", "-"), "-");
  EXPECT_EQ(ini.ReadString("Two", "a", "-"), "2");
  EXPECT_EQ(ini.ReadString("one", "last", "-"), "相片"_gbk);  // UTF-8 file
  EXPECT_EQ(ini.ReadString("three", "a", "-"), "-");
  EXPECT_EQ(IniFile(Utf8ToGbk(dir.File("none.ini"))).ReadString("one", "a", "fallback"), "fallback");
}

TEST(IniFile, WritesKeepTheOtherLinesTheLineEndsAndTheEncoding) {
  test::TempDir dir;
  const std::string path = dir.File("b.ini");
  // A GBK file with CRLF line ends.
  std::ofstream(path, std::ios::binary) << "[setting]\r\nPhotoPath=" + "旧相片"_gbk + "\r\nx=1\r\n\r\n[host]\r\ny=2\r\n";
  IniFile ini(Utf8ToGbk(path));
  EXPECT_EQ(ini.ReadString("setting", "PhotoPath", ""), "旧相片"_gbk);
  ini.WriteString("setting", "PhotoPath", "新相片"_gbk);
  ini.WriteString("setting", "added", "3");
  ini.WriteString("new", "k", "v");
  EXPECT_EQ(ReadFile(path), "[setting]\r\nPhotoPath=" + "新相片"_gbk +
                                "\r\nx=1\r\nadded=3\r\n\r\n[host]\r\ny=2\r\n\r\n[new]\r\nk=v\r\n");
}

}  // namespace
}  // namespace talven
