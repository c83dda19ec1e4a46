#include "report/expr/values.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/error.h"
#include "engine_fixture.h"

namespace talven {
namespace {

const Variant kNull = Variant::Null();
const Variant kNone;  // unassigned

TEST(Values, MixedKindsFollowTheVariantRules) {
  struct Case {
    const char* what;
    Variant result, expected;
  };
  const TDateTime day = EncodeDate(2024, 3, 15);
  const Case cases[] = {
      {"null propagates", VarAdd(kNull, Variant(1)), kNull},
      {"null propagates through AND", VarAnd(Variant(1), kNull), kNull},
      {"unassigned is 0 next to a number", VarAdd(kNone, Variant(2)), Variant(2)},
      {"unassigned is empty next to a text", VarAdd(kNone, Variant("a")), Variant("a")},
      {"texts join", VarAdd(Variant("a"), Variant("b")), Variant("ab")},
      {"a text next to a number is read as one", VarAdd(Variant("5"), Variant(1.0)), Variant(6.0)},
      {"texts subtract as numbers", VarSubtract(Variant("5"), Variant("2")), Variant(3.0)},
      {"integers stay integers", VarMultiply(Variant(6), Variant(7)), Variant(42)},
      {"integer overflow becomes a float",
       VarAdd(Variant(std::numeric_limits<std::int64_t>::max()), Variant(1)), Variant(9223372036854775808.0)},
      {"booleans count as -1", VarAdd(Variant(true), Variant(1)), Variant(0)},
      {"division gives a float", VarDivide(Variant(7), Variant(2)), Variant(3.5)},
      {"division by zero gives 0", VarDivide(Variant(7), Variant(0)), Variant(0.0)},
      {"mod by zero gives 0", VarMod(Variant(7), Variant(0)), Variant(0)},
      {"mod keeps the dividend's sign", VarMod(Variant(-7.0), Variant(3.0)), Variant(-1)},
      {"mod of the smallest integer by -1",
       VarMod(Variant(std::numeric_limits<std::int64_t>::min()), Variant(-1)), Variant(0)},
      {"date plus days stays a date", VarAdd(Variant::FromDateTime(day), Variant(1.0)),
       Variant::FromDateTime(day + 1)},
      {"date minus date is a float", VarSubtract(Variant::FromDateTime(day + 2), Variant::FromDateTime(day)),
       Variant(2.0)},
      {"booleans combine logically", VarAnd(Variant(true), Variant(false)), Variant(false)},
      {"numbers combine bitwise", VarOr(Variant(6.0), Variant(3.0)), Variant(7)},
      {"negating the smallest integer", VarNegate(Variant(std::numeric_limits<std::int64_t>::min())),
       Variant(9223372036854775808.0)},
      {"negating null", VarNegate(kNull), kNull},
      {"STR of null", VarStr(kNull), Variant("")},
      {"NOT of null", VarNot(kNull), Variant(0)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.what;
}

TEST(Values, ComparisonsGiveIntegers) {
  struct Case {
    Variant a, b;
    VarRelation relation;
    int expected;
  };
  const Case cases[] = {
      {kNull, kNull, VarRelation::Equal, 1},
      {kNull, Variant(0), VarRelation::Equal, 0},
      {kNull, Variant(""), VarRelation::NotEqual, 1},
      {kNull, Variant(-5), VarRelation::Less, 1},
      {kNone, Variant(""), VarRelation::Equal, 1},
      {kNone, Variant(0), VarRelation::Equal, 1},
      {Variant("10"), Variant(9.0), VarRelation::Greater, 1},
      {Variant("10"), Variant("9"), VarRelation::Less, 1},  // texts by their bytes
      {Variant("a"), Variant("A"), VarRelation::Equal, 0},
      {Variant(true), Variant(-1), VarRelation::Equal, 1},
      {Variant(2), Variant(2.0), VarRelation::GreaterEqual, 1},
      {Variant(2), Variant(2.5), VarRelation::LessEqual, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VarRelate(c.a, c.b, c.relation), Variant(c.expected)) << c.a.AsText() << " / " << c.b.AsText();
  }
  try {
    VarRelate(Variant("abc"), Variant(1.0), VarRelation::Equal);
    ADD_FAILURE();
  } catch (const ConvertError& e) {
    EXPECT_EQ(e.message(), "Could not convert variant of type (String) into type (Double)");
  }
}

TEST(Values, IntFracRoundNearIntegersAndTies) {
  EXPECT_EQ(VarInt(Variant(2.9999999999999)), Variant(3.0));
  EXPECT_EQ(VarInt(Variant(2.99)), Variant(2.0));
  EXPECT_EQ(VarInt(Variant(-2.5)), Variant(-2.0));
  EXPECT_EQ(VarInt(Variant(-2.9999999999999)), Variant(-3.0));
  EXPECT_EQ(VarFrac(Variant(-2.5)), Variant(-0.5));
  EXPECT_EQ(VarFrac(Variant(4.00000000000001)), Variant(0.0));
  EXPECT_EQ(VarRound(Variant(2.5)), Variant(2.0));
  EXPECT_EQ(VarRound(Variant(3.5)), Variant(4.0));
  EXPECT_EQ(VarRound(Variant(-2.5)), Variant(-2.0));
  EXPECT_EQ(VarInt(Variant("7.5")), Variant(7.0));
  EXPECT_EQ(VarRound(kNull), kNull);
}

}  // namespace
}  // namespace talven
