#include "base/variant.h"

#include <gtest/gtest.h>

#include "base/error.h"

namespace talven {
namespace {

TEST(Variant, ConvertsByThePlatformRules) {
  EXPECT_EQ(Variant().AsText(), "");
  EXPECT_EQ(Variant::Null().AsText(), "");
  EXPECT_EQ(Variant(true).AsText(), "True");
  EXPECT_EQ(Variant(42).AsText(), "42");
  EXPECT_EQ(Variant(2.5).AsText(), "2.5");
  EXPECT_EQ(Variant::FromDateTime(EncodeDate(2008, 4, 19)).AsText(), "2008-4-19");
  EXPECT_EQ(Variant::FromDateTime(EncodeDate(2008, 4, 19) + EncodeTime(9, 5, 0, 0)).AsText(), "2008-4-19 9:05:00");
  EXPECT_EQ(Variant::FromDateTime(EncodeTime(14, 1, 54, 0)).AsText(), "14:01:54");
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);
  EXPECT_EQ(Variant("3.5").AsInteger(), 4);
  EXPECT_EQ(Variant(" 7").AsInteger(), 7);
  EXPECT_DOUBLE_EQ(Variant("9.30").AsFloat(), 9.3);
  EXPECT_DOUBLE_EQ(Variant::Null().AsFloat(), 0);
  EXPECT_TRUE(Variant("true").AsBoolean());
  EXPECT_TRUE(Variant(0.5).AsBoolean());
  EXPECT_FALSE(Variant("0").AsBoolean());
  try {
    Variant("abc").AsFloat();
    ADD_FAILURE();
  } catch (const ConvertError& e) {
    EXPECT_EQ(e.message(), "'abc' is not a valid floating point value");
  }
  EXPECT_THROW(Variant("abc").AsInteger(), ConvertError);
  EXPECT_THROW(Variant("maybe").AsBoolean(), ConvertError);
}

TEST(Variant, KindsStayApart) {
  EXPECT_EQ(Variant(1).type(), VarType::Integer);
  EXPECT_EQ(Variant(1.0).type(), VarType::Float);
  EXPECT_NE(Variant(1), Variant(1.0));
  EXPECT_TRUE(Variant().IsUnassigned());
  EXPECT_TRUE(Variant::Null().IsEmpty());
  EXPECT_TRUE(Variant::FromDateTime(1).IsNumeric());
  EXPECT_STREQ(Variant::KindName(VarType::DateTime), "datetime");
}

}  // namespace
}  // namespace talven
