#include "tree/org_tree.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace talven {
namespace {

// 00-考试院 / 11-北京 / 01-市辖区 / 110101-一中, 110102-二中 ; 32-江苏省 / 01-南京市 / 320101-考点 ; 02-无锡市
OrgTree Sample() {
  OrgTree t;
  OrgNode* root = t.Add(nullptr, "00-考试院"_gbk);
  OrgNode* bj = t.Add(root, "11-北京"_gbk);
  OrgNode* bjCity = t.Add(bj, "01-市辖区"_gbk);
  t.Add(bjCity, "110101-一中"_gbk);
  t.Add(bjCity, "110102-二中"_gbk);
  OrgNode* js = t.Add(root, "32-江苏省"_gbk);
  OrgNode* nj = t.Add(js, "01-南京市"_gbk);
  t.Add(nj, "320101-考点"_gbk);
  t.Add(js, "02-无锡市"_gbk);
  return t;
}

TEST(OrgTree, SelectsTheInstallationsOwnUnit) {
  const OrgTree t = Sample();
  struct Case {
    int level;
    const char* code;
    const char* selected;  // UTF-8 text, or nullptr
  } cases[] = {
      {0, "", "00-考试院"},       {0, "whatever", "00-考试院"}, {1, "32", "32-江苏省"},
      {1, "", "11-北京"},         {3, "320101", "320101-考点"}, {3, "1101", "110101-一中"},
      {2, "3201", "01-南京市"},   {2, "3202", "02-无锡市"},     {2, "1101", "01-市辖区"},
      {2, "3301", nullptr},       {3, "999999", nullptr},       {5, "32", nullptr},
      {-1, "", nullptr},
  };
  for (const Case& c : cases) {
    const OrgNode* n = SelectOrgNode(t, c.level, c.code);
    if (!c.selected) {
      EXPECT_EQ(n, nullptr) << c.level << " " << c.code;
    } else {
      ASSERT_NE(n, nullptr) << c.level << " " << c.code;
      EXPECT_EQ(GbkToUtf8(n->text), c.selected);
      EXPECT_EQ(n->level, c.level);
    }
  }
  EXPECT_EQ(SelectOrgNode(OrgTree(), 0, ""), nullptr);
}

TEST(OrgTree, KeepsTreeOrderAndPictures) {
  const OrgTree t = Sample();
  std::vector<std::string> texts;
  for (const OrgNode* n : t.InTreeOrder()) texts.push_back(n->text.substr(0, n->text.find('-')));
  EXPECT_EQ(texts, (std::vector<std::string>{"00", "11", "01", "110101", "110102", "32", "01", "320101", "02"}));
  const OrgNode* centre = SelectOrgNode(t, 3, "320101");
  EXPECT_EQ(centre->ImageIndex(), 7);
  EXPECT_EQ(centre->SelectedIndex(), 6);
  EXPECT_EQ(t.Roots()[0]->ImageIndex(), 1);
  EXPECT_EQ(t.Roots()[0]->SelectedIndex(), 0);
}

}  // namespace
}  // namespace talven
