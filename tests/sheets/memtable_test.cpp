#include "sheets/memtable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "support/error_of.h"

namespace talven {
namespace {

// A table holding one row per ticket number, zkzh set and wzh numbered 1, 2, 3 ...
void Fill(TMemTable& t, const std::vector<std::string>& tickets) {
  t.Empty();
  int seat = 1;
  for (const std::string& ticket : tickets) {
    t.Append();
    t.FieldByName("zkzh").SetAsString(ticket);
    t.FieldByName("wzh").SetAsInteger(seat++);
    t.Post();
  }
}

std::string Current(TMemTable& t) { return t.FieldByName("zkzh").AsString(); }

TEST(MemTable, LongTextIsCutToTheFieldWidthWithoutSplittingACharacter) {
  struct Case {
    const char* field;
    std::string written;
    std::string stored;
  };
  const Case cases[] = {
      {"xm", Utf8ToGbk("欧阳司马青"), Utf8ToGbk("欧阳司马")},    // five characters into eight bytes
      {"jbyydm", "14,15", "14"},                                 // a code list keeps its first code
      {"xm", Utf8ToGbk("a欧阳司马"), Utf8ToGbk("a欧阳司")},      // the fourth character would be split
      {"dwmc", std::string(30, 'x'), std::string(30, 'x')},      // exactly the width
      {"kch", "", ""},
  };
  TMemTable t;
  t.Empty();
  for (const Case& c : cases) {
    t.Append();
    t.FieldByName(c.field).SetAsString(c.written);
    EXPECT_EQ(t.FieldByName(c.field).AsString(), c.stored) << c.field << " " << GbkToUtf8(c.written);
  }
}

TEST(MemTable, NullFieldsAndConversions) {
  TMemTable t;
  t.Empty();
  t.Append();
  for (const TMemFieldDef& def : kCandidateFields) {
    TMemField f = t.FieldByName(def.name);
    EXPECT_TRUE(f.IsNull()) << def.name;
    EXPECT_EQ(f.AsString(), "") << def.name;
    EXPECT_EQ(f.AsFloat(), 0) << def.name;
  }
  EXPECT_EQ(t.FieldByName("rs").AsInteger(), 0);
  EXPECT_EQ(t.FieldByName("zkzh").AsInteger(), 0);

  t.FieldByName("rs").SetAsInteger(28);
  EXPECT_EQ(t.FieldByName("rs").AsString(), "28");
  t.FieldByName("wzh").SetAsString("17");
  EXPECT_EQ(t.FieldByName("wzh").AsInteger(), 17);
  t.FieldByName("bssj").SetAsFloat(120.5);
  EXPECT_EQ(t.FieldByName("bssj").AsString(), "120.5");
  t.FieldByName("zkzh").SetAsString("0123");
  EXPECT_EQ(t.FieldByName("zkzh").AsInteger(), 123);

  EXPECT_EQ(ErrorOf([&] { t.FieldByName("wzh").SetAsString("x"); }), "'x' is not a valid integer value");
  EXPECT_EQ(t.FieldByName("wzh").AsInteger(), 17);  // a failed write changes nothing
  t.FieldByName("rs").SetAsString("");
  EXPECT_TRUE(t.FieldByName("rs").IsNull());
  t.FieldByName("bssj").Clear();
  EXPECT_TRUE(t.FieldByName("bssj").IsNull());
}

TEST(MemTable, FieldNamesIgnoreLetterCase) {
  TMemTable t;
  t.Empty();
  t.Append();
  t.FieldByName("JBYY").SetAsString("a");
  EXPECT_EQ(t.FieldByName("jbyy").AsString(), "a");
  EXPECT_EQ(t.FieldByName("Jbyy").AsString(), "a");
  EXPECT_STREQ(t.FieldByName("bmh").FieldName(), "BMH");
  EXPECT_EQ(ErrorOf([&] { t.FieldByName("photo"); }), "Field 'photo' not found");
}

TEST(MemTable, CursorStopsAtBothEnds) {
  TMemTable t;
  Fill(t, {"1", "2", "3"});
  t.First();
  EXPECT_TRUE(t.Bof());
  EXPECT_FALSE(t.Eof());
  t.Next();
  t.Next();
  EXPECT_EQ(Current(t), "3");
  EXPECT_FALSE(t.Eof());
  t.Next();
  EXPECT_EQ(Current(t), "3");
  EXPECT_TRUE(t.Eof());
  t.Prior();
  EXPECT_EQ(Current(t), "2");
  EXPECT_FALSE(t.Eof());
  t.Prior();
  t.Prior();
  EXPECT_EQ(Current(t), "1");
  EXPECT_TRUE(t.Bof());
  t.Next();
  EXPECT_EQ(Current(t), "2");
  EXPECT_FALSE(t.Bof());

  Fill(t, {});
  t.First();
  EXPECT_TRUE(t.Bof());
  EXPECT_TRUE(t.Eof());
  t.Next();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(Current(t), "");
}

TEST(MemTable, PendingRowIsStoredByPostOrImplicitly) {
  TMemTable t;
  t.Empty();
  t.Append();
  t.Edit();  // right after Append: nothing
  t.FieldByName("zkzh").SetAsString("1");
  EXPECT_EQ(t.RecordCount(), 0);
  t.Append();  // stores the first
  EXPECT_EQ(t.RecordCount(), 1);
  t.FieldByName("zkzh").SetAsString("2");
  t.First();  // stores the second
  EXPECT_EQ(t.RecordCount(), 2);
  EXPECT_EQ(Current(t), "1");

  t.Append();
  t.FieldByName("zkzh").SetAsString("3");
  EXPECT_TRUE(t.Locate("zkzh", {"3"}));  // locate stores before searching
  EXPECT_EQ(t.RecordCount(), 3);

  t.Append();
  t.FieldByName("zkzh").SetAsString("4");
  t.Delete();  // stored, then deleted as the current row
  EXPECT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(Current(t), "3");

  // A stored row is written only through Edit.
  EXPECT_EQ(ErrorOf([&] { t.FieldByName("xm").SetAsString("a"); }), "Dataset not in edit or insert mode");
  t.Edit();
  t.FieldByName("xm").SetAsString("a");
  t.Post();
  EXPECT_EQ(t.FieldByName("xm").AsString(), "a");
  EXPECT_EQ(t.RecordCount(), 3);
}

TEST(MemTable, LocateMatchesWholeTextsExactlyAndNumbersByValue) {
  TMemTable t;
  t.Empty();
  const struct {
    const char* jbyydm;
    const char* kch;
    int wzh;
  } rows[] = {{"14", "0101", 1}, {"14", "0101", 2}, {"1A", "0102", 1}, {"1a", "0102", 1}};
  for (const auto& r : rows) {
    t.Append();
    t.FieldByName("jbyydm").SetAsString(r.jbyydm);
    t.FieldByName("kch").SetAsString(r.kch);
    t.FieldByName("wzh").SetAsInteger(r.wzh);
  }
  const char* key = "jbyydm;kch;wzh";
  EXPECT_TRUE(t.Locate(key, {"14", "0101", 2}));
  EXPECT_EQ(t.FieldByName("wzh").AsInteger(), 2);
  EXPECT_TRUE(t.Locate(key, {"1a", "0102", 1}));  // letter case matters: the fourth row
  t.Prior();
  EXPECT_EQ(t.FieldByName("jbyydm").AsString(), "1A");

  t.First();
  t.Next();
  const struct {
    const char* jbyydm;
    const char* kch;
    int wzh;
  } misses[] = {{"14", "0101", 3}, {"14", "010", 1}, {"1", "0101", 1}};
  for (const auto& miss : misses) {
    EXPECT_FALSE(t.Locate(key, {miss.jbyydm, miss.kch, miss.wzh}));
    EXPECT_EQ(t.FieldByName("wzh").AsInteger(), 2);  // the cursor stays on the second row
  }
  EXPECT_THROW(t.Locate(key, {"14", "0101"}), Error);
}

TEST(MemTable, DeleteClosesTheGap) {
  TMemTable t;
  Fill(t, {"1", "2", "3"});
  ASSERT_TRUE(t.Locate("zkzh", {"2"}));
  t.Delete();
  EXPECT_EQ(Current(t), "3");
  t.Delete();
  EXPECT_EQ(Current(t), "1");  // the last one went: the new last row
  EXPECT_EQ(t.RecordCount(), 1);
  t.Delete();
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(ErrorOf([&] { t.Delete(); }), "Cannot perform this operation on an empty dataset");
}

TEST(MemTable, EmptyingDiscardsTheRowsAndAClosedTableReadsAsEmpty) {
  TMemTable t;
  EXPECT_FALSE(t.Active());
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecordCount(), 0);
  t.First();
  EXPECT_EQ(t.FieldByName("xm").AsString(), "");
  EXPECT_FALSE(t.Locate("zkzh", {"1"}));
  EXPECT_EQ(ErrorOf([&] { t.Append(); }), "Cannot perform this operation on a closed dataset");

  Fill(t, {"1", "2"});
  EXPECT_EQ(t.RecordCount(), 2);
  t.Empty();
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_TRUE(t.Eof());
  EXPECT_TRUE(t.Active());
}

}  // namespace
}  // namespace talven
