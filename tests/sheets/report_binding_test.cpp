#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "base/format.h"
#include "base/text.h"
#include "sheets/sheet_data.h"
#include "support/error_of.h"

namespace talven {
namespace {

TEST(ExamTime, EndIsStartPlusDuration) {
  const struct {
    const char* start;
    double minutes;
    const char* text;
  } cases[] = {
      {"9.00", 120, "2008-04-19 9:00--11:00"},  {"14.30", 100, "2008-04-19 14:30--16:10"},
      {"8.05", 95, "2008-04-19 8:05--9:40"},    {"23.30", 60, "2008-04-19 23:30--24:30"},
      {"9.30", 0, "2008-04-19 9:30--9:30"},     {"9", 45, "2008-04-19 9:00--9:45"},
      {" 0.01 ", 0, "2008-04-19 0:01--0:01"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExamTimeText(c.start, "2008-04-19", c.minutes), c.text) << c.start << " + " << c.minutes;
  }
}

TEST(ExamTime, EveryMinuteOfTheDayAndDurationComesOutExact) {
  // The 32-bit steps must not lose a minute anywhere in the range in use.
  for (int hour = 0; hour < 24; ++hour) {
    for (int minute = 0; minute < 60; ++minute) {
      const std::string start = Format("%d.%.2d", {hour, minute});
      for (int duration = 0; duration <= 300; duration += 13) {
        const int end = hour * 60 + minute + duration;
        const std::string want = " " + Format("%d:%.2d--%d:%.2d", {hour, minute, end / 60, end % 60});
        ASSERT_EQ(ExamTimeText(start, "", duration), want) << start << " + " << duration;
      }
    }
  }
}

TEST(ExamTime, StartThatIsNoNumberFails) {
  for (const char* start : {"9:00", "", "abc"}) {
    EXPECT_EQ(ErrorOf([&] { ExamTimeText(start, "2008-04-19", 120); }),
              "'" + std::string(start) + "' is not a valid floating point value");
  }
}

void AddCandidate(TMemTable& t, const std::string& xm, int rs, double bssj) {
  t.Append();
  t.FieldByName("dwmc").SetAsString(Utf8ToGbk("第一中学"));
  t.FieldByName("zkzh").SetAsString("Z" + xm);
  t.FieldByName("xm").SetAsString(xm);
  t.FieldByName("sfzh").SetAsString("S" + xm);
  t.FieldByName("jbyy").SetAsString("J" + xm);
  t.FieldByName("jbyydm").SetAsString("14");
  t.FieldByName("BMH").SetAsString("B" + xm);
  t.FieldByName("wzh").SetAsInteger(3);
  t.FieldByName("kcwz").SetAsString("W" + xm);
  t.FieldByName("bssj").SetAsFloat(bssj);
  t.FieldByName("kch").SetAsString("K" + xm);
  t.FieldByName("rs").SetAsInteger(rs);
  t.Post();
}

class Binding : public ::testing::Test {
 protected:
  void SetUp() override {
    d.StartTimeText = "9.00";
    d.ExamDateText = "2008-04-19";
    d.MemTable1.Empty();
    for (const char* xm : {"a", "b", "c"}) AddCandidate(d.MemTable1, xm, 28, 120);
    d.MemTable1.First();
    d.MemTable2.Empty();
    AddCandidate(d.MemTable2, "p", 5, 90);
    d.MemTable2.Append();  // a blank slot
    d.MemTable2.FieldByName("dwmc").SetAsString("");
    d.MemTable2.FieldByName("rs").SetAsString("5");
    d.MemTable2.First();
  }

  Variant Value(const std::string& name) {
    Variant v;
    d.frReport1GetValue(name, v);
    return v;
  }
  std::string Text(const std::string& name) { return Value(name).AsText(); }

  TSheetData d;
};

TEST_F(Binding, AnswersTheSheetVariablesFromTheCurrentRow) {
  const struct {
    const char* name;
    std::string value;
  } cases[] = {
      {"rs", "28"},     {"dwmc", Utf8ToGbk("第一中学笔试考场签到表")},
      {"zkzh", "Za"},   {"xm", "a"},
      {"sfzh", "Sa"},   {"jbyy", "Ja"},
      {"kch", "Ka"},    {"bmh", "Ba"},
      {"kcwz", "Wa"},   {"kstime", "2008-04-19 9:00--11:00"},
  };
  for (const auto& c : cases) {
    Variant v = Value(c.name);
    EXPECT_TRUE(v.IsText()) << c.name;
    EXPECT_EQ(v.AsText(), c.value) << c.name;
  }
  d.frUserDataset1Next();
  EXPECT_EQ(Text("xm"), "b");
}

TEST_F(Binding, OtherNamesAreLeftToTheEngine) {
  for (const char* name : {"DWMC", "Xm", "BMH", "wzh", "bssj", "path", ""}) {
    Variant v;
    d.frReport1GetValue(name, v);
    EXPECT_TRUE(v.IsUnassigned()) << name;
  }
  Variant kept("old");
  d.frReport1GetValue("path", kept);
  EXPECT_EQ(kept.AsText(), "old");
}

TEST_F(Binding, ABlankSlotGivesTheTitleTheCountAndAnEmptyTimeSpan) {
  d.WithPhotos = true;
  d.frUserDataset1Next();
  EXPECT_EQ(Text("dwmc"), Utf8ToGbk("笔试考场签到表"));
  EXPECT_EQ(Text("rs"), "5");
  EXPECT_EQ(Text("xm"), "");
  EXPECT_EQ(Text("kstime"), "2008-04-19 9:00--9:00");
}

TEST_F(Binding, PhotoFlagChoosesTheTableAtEveryCall) {
  d.WithPhotos = true;
  EXPECT_EQ(d.ReportRowCount(), 2);
  EXPECT_EQ(Text("xm"), "p");
  EXPECT_EQ(Text("kstime"), "2008-04-19 9:00--10:30");
  d.frUserDataset1Next();  // moves MemTable2 only
  d.WithPhotos = false;
  EXPECT_EQ(d.ReportRowCount(), 3);
  EXPECT_EQ(Text("xm"), "a");
  d.frUserDataset1Next();
  d.frUserDataset1Next();
  EXPECT_EQ(Text("xm"), "c");
  d.frUserDataset1Prior();
  EXPECT_EQ(Text("xm"), "b");
  d.WithPhotos = true;
  EXPECT_EQ(Text("rs"), "5");  // still on the blank slot
  d.frUserDataset1First();
  EXPECT_EQ(Text("xm"), "p");
}

TEST_F(Binding, BadStartTimeFailsOnlyTheTimeText) {
  d.StartTimeText = "9:00";
  Variant v;
  EXPECT_THROW(d.frReport1GetValue("kstime", v), ConvertError);
  EXPECT_TRUE(v.IsUnassigned());
  EXPECT_EQ(Text("xm"), "a");
}

TEST_F(Binding, PageHeaderShowsTheNextRowFromTheSecondHeaderOn) {
  d.FirstHeaderPending = true;
  // The first header of a run: the table stays on its first row.
  d.frReport1BeginBand("PageHeader1");
  EXPECT_FALSE(d.FirstHeaderPending);
  EXPECT_EQ(Text("xm"), "a");
  d.frReport1EndBand("PageHeader1");
  EXPECT_EQ(Text("xm"), "a");

  // A later header: one row ahead while it prints, then back.
  d.frReport1BeginBand("PageHeader1");
  EXPECT_EQ(Text("xm"), "b");
  d.frReport1EndBand("PageHeader1");
  EXPECT_EQ(Text("xm"), "a");

  // Other bands, and the name in another letter case, move nothing.
  for (const char* band : {"MasterData1", "", "pageheader1", "PageHeader2"}) {
    d.frReport1BeginBand(band);
    EXPECT_EQ(Text("xm"), "a") << band;
    d.frReport1EndBand(band);
    EXPECT_EQ(Text("xm"), "a") << band;
  }

  // An end event with the flag still set (no begin since the run started)
  // only clears it.
  d.FirstHeaderPending = true;
  d.frUserDataset1Next();
  d.frReport1EndBand("PageHeader1");
  EXPECT_FALSE(d.FirstHeaderPending);
  EXPECT_EQ(Text("xm"), "b");
}

TEST_F(Binding, PageHeaderBeforeTheLastRecordLeavesItInPlace) {
  // A page break right before the last record: the header cannot step
  // ahead, so its end must not step back either, or the last record would
  // print the row before it.
  d.frUserDataset1Next();
  d.frUserDataset1Next();
  d.frReport1BeginBand("PageHeader1");
  EXPECT_EQ(Text("xm"), "c");
  d.frReport1EndBand("PageHeader1");
  EXPECT_EQ(Text("xm"), "c");

  d.MemTable1.Empty();
  d.frReport1BeginBand("PageHeader1");
  d.frReport1EndBand("PageHeader1");
  EXPECT_EQ(Text("xm"), "");
}

}  // namespace
}  // namespace talven
