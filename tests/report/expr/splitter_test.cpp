#include "report/expr/splitter.h"

#include <gtest/gtest.h>

namespace talven {
namespace {

using Calls = std::vector<std::string>;

TEST(Splitter, FindsAggregatesInNestedCalls) {
  TfrVariables none;
  Calls found;
  TAggregateFunctionsSplitter splitter(found, none);
  splitter.Split("SUM(IF([a] > 0, MAX([b]), 0)) + avg([c], Band1) + COPY(Count(D1), 1, 2)");
  EXPECT_EQ(found, (Calls{"MAX([b])", "SUM(IF([a] > 0, MAX([b]), 0))", "avg([c], Band1)", "Count(D1)"}));
  found.clear();
  splitter.Split("'SUM(x)'");  // a text is skipped
  splitter.Split("[x] + 'SUM(y)'");
  splitter.Split("f(");  // unreadable: nothing found, no failure
  EXPECT_TRUE(found.empty());
}

TEST(Splitter, FollowsDictionaryVariables) {
  TfrVariables dictionary;
  dictionary.Set("Total", "SUM([x])");
  dictionary.Set("A", "[B] + COUNT(MasterData1)");
  dictionary.Set("B", "[A] * 2");  // leads back to A
  Calls found;
  TAggregateFunctionsSplitter splitter(found, dictionary);
  splitter.Split("[Total]");
  splitter.Split("total * 2");
  splitter.Split("[A]");
  EXPECT_EQ(found, (Calls{"SUM([x])", "SUM([x])", "COUNT(MasterData1)"}));
}

TEST(Splitter, WalksTheBracketsOfMemoLines) {
  TfrVariables none;
  Calls found;
  TAggregateFunctionsSplitter splitter(found, none);
  splitter.SplitMemo({"Total: [SUM([x])] of [COUNT(MasterData1)] [y]", "no brackets", "[MIN([z]) #N0.00"});
  EXPECT_EQ(found, (Calls{"SUM([x])", "COUNT(MasterData1)"}));
}

TEST(Splitter, MatchesOwnNames) {
  TfrVariables none;
  Calls found;
  TfrFunctionSplitter splitter({"Foo"}, found, none);
  splitter.Split("foo(1) + bar(FOO(2))");
  EXPECT_EQ(found, (Calls{"foo(1)", "FOO(2)"}));
}

}  // namespace
}  // namespace talven
