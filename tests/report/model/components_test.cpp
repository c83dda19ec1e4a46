// Components, owners and the data-field references that reach a data set's
// fields through them.
#include <gtest/gtest.h>

#include "base/text.h"
#include "report/memory_data_set.h"
#include "report/model/component.h"
#include "report/model/report.h"

namespace talven {
namespace {

using testing::MemoryDataSet;

MemoryDataSet Candidates(const std::string& name) {
  return MemoryDataSet(name,
                       {{"xm", TfrFieldKind::Text}, {"zkzh", TfrFieldKind::LargeInt}, {"photo", TfrFieldKind::Boolean},
                        {"rs", TfrFieldKind::Integer}, {"考场 位置"_gbk, TfrFieldKind::Text}},
                       {{Variant("张三"_gbk), Variant(std::int64_t{12345678901}), Variant::Null(), Variant::Null(),
                         Variant("A")}});
}

TEST(Components, PathsReachTheOwnerAndRegisteredOwners) {
  TfrComponentOwner window("TALVEN_Form");
  TfrComponentOwner module("DataModule1");
  TfrComponentOwner other("Form2");
  RegisterOwner(module);
  RegisterOwner(other);
  TfrReport report;
  MemoryDataSet local = Candidates("Temp_Set");
  MemoryDataSet remote = Candidates("List_Set");
  window.Insert(report);
  window.Insert(local);
  module.Insert(remote);

  EXPECT_EQ(FindComponentByPath(report, "temp_set"), &local);
  EXPECT_EQ(FindComponentByPath(report, "DataModule1.List_Set"), &remote);
  EXPECT_EQ(FindComponentByPath(report, "Form2.DataModule1.List_Set"), &remote);
  EXPECT_EQ(FindComponentByPath(report, "Nowhere.List_Set"), nullptr);
  EXPECT_EQ(FindComponentByPath(report, "List_Set"), nullptr);
  EXPECT_EQ(FindComponentByPath(report, ""), nullptr);
}

TEST(Components, DestroyedComponentsLeaveOwnersAndObservers) {
  TfrComponentOwner window("w");
  TfrReport report;
  {
    MemoryDataSet data = Candidates("Temp_Set");
    window.Insert(data);
    EXPECT_EQ(window.Components().size(), 1u);
  }
  EXPECT_TRUE(window.Components().empty());
  {
    auto owner = std::make_unique<TfrComponentOwner>("gone");
    owner->Insert(report);
    RegisterOwner(*owner);
  }
  EXPECT_EQ(report.Owner(), nullptr);
  EXPECT_TRUE(RegisteredOwners().empty());
}

TEST(Components, FieldReferencesSplitAtTheLastPointOutsideQuotes) {
  std::string dataset, field;
  SplitFieldReference("Form1.Temp_Set.\"a.b c\"", dataset, field);
  EXPECT_EQ(dataset, "Form1.Temp_Set");
  EXPECT_EQ(field, "a.b c");
  SplitFieldReference("xm", dataset, field);
  EXPECT_EQ(dataset, "");
  EXPECT_EQ(field, "xm");

  TfrComponentOwner window("w");
  TfrReport report;
  MemoryDataSet data = Candidates("Temp_Set");
  window.Insert(report);
  window.Insert(data);
  auto ref = FindDataField(report, "temp_set.\"考场 位置\""_gbk);
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->DataSet, &data);
  EXPECT_EQ(ref->Field, 4);
  EXPECT_FALSE(FindDataField(report, "Temp_Set.nosuch"));
  EXPECT_FALSE(FindDataField(report, "Other.xm"));
}

TEST(Components, FieldValuesAsReportsReadThem) {
  MemoryDataSet data = Candidates("Temp_Set");
  EXPECT_EQ(ReportFieldValue(data, 0), Variant("张三"_gbk));
  EXPECT_EQ(ReportFieldValue(data, 1), Variant("12345678901"));  // 64-bit integers as display text
  EXPECT_EQ(ReportFieldValue(data, 2), Variant(false));           // null boolean
  EXPECT_EQ(ReportFieldValue(data, 3), Variant(0));               // null number
  data.Next();
  EXPECT_EQ(ReportFieldValue(data, 0), Variant(""));  // null text (no current row)
}

}  // namespace
}  // namespace talven
