#include "report/model/variables.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

TEST(Variables, NamesAreUniqueAndCaseInsensitive) {
  TfrVariables v;
  v.Set("path", "/p/");
  v.Set("Zeta", 1);
  v.Set("PATH", "/q/");
  EXPECT_EQ(v.Count(), 2);
  EXPECT_EQ(v.NameAt(0), "path");  // the first spelling stays
  EXPECT_EQ(v.Get("Path"), Variant("/q/"));
  EXPECT_TRUE(v.Get("missing").IsNull());
  EXPECT_EQ(v.IndexOf("zeta"), 1);
  EXPECT_EQ(v.IndexOf("x"), -1);
  // Out of range: empty name, integer 0, and writes are ignored.
  EXPECT_EQ(v.NameAt(5), "");
  EXPECT_EQ(v.ValueAt(-1), Variant(0));
  v.SetValueAt(7, "x");
  v.DeleteAt(7);
  EXPECT_EQ(v.Count(), 2);
  v.DeleteAt(0);
  EXPECT_EQ(v.NameAt(0), "Zeta");
  v.Clear();
  EXPECT_EQ(v.Count(), 0);
}

TEST(Variables, SortedListsStayInNameOrder) {
  TfrVariables v;
  v.Set("b", 2);
  v.Set("C", 3);
  v.Set("a", 1);
  v.SetSorted(true);
  EXPECT_EQ(v.NameAt(0), "a");
  EXPECT_EQ(v.NameAt(2), "C");
  v.Set("B2", 4);
  EXPECT_EQ(v.NameAt(2), "B2");
  EXPECT_EQ(v.IndexOf("c"), 3);
  v.SetNameAt(0, "z");  // renaming moves the pair to its place
  EXPECT_EQ(v.NameAt(3), "z");
  EXPECT_EQ(v.Get("Z"), Variant(1));
  v.SetNameAt(3, "b");  // onto an existing name: the other pair goes
  EXPECT_EQ(v.Count(), 3);
  EXPECT_EQ(v.Get("b"), Variant(1));
}

}  // namespace
}  // namespace talven

namespace talven {
namespace {

TEST(Variables, EngineConstantsHoldColoursAndCodes) {
  const TfrVariables& c = EngineConstants();
  EXPECT_TRUE(c.Sorted());
  EXPECT_EQ(c.Get("clRed"), Variant(std::int64_t{0x0000FF}));
  EXPECT_EQ(c.Get("CLBTNFACE"), Variant(std::int64_t{static_cast<std::int32_t>(0xFF00000Fu)}));
  EXPECT_LT(c.Get("clInfoBk").AsInteger(), 0);
  EXPECT_EQ(c.Get("clTransparent"), Variant(std::int64_t{0x1FFFFFFF}));
  EXPECT_EQ(c.Get("mrYes"), Variant(std::int64_t{6}));
  EXPECT_EQ(c.Get("mb_IconWarning"), Variant(std::int64_t{0x30}));
  EXPECT_EQ(c.Get("CRLF"), Variant("\r\n"));
  EXPECT_EQ(c.Get("frtaDown"), Variant(std::int64_t{16}));
  EXPECT_EQ(c.Get("baRest"), Variant(std::int64_t{7}));
  EXPECT_EQ(c.Get("psDouble"), Variant(std::int64_t{5}));
  // The first picture object adds btBMP … btWMF.
  EXPECT_EQ(c.Count(), 42 + 42 + 2 + (c.Contains("btBMP") ? 4 : 0));
}

}  // namespace
}  // namespace talven
