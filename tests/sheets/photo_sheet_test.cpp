#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/format.h"
#include "base/text.h"
#include "sheets/sheet_data.h"

namespace talven {
namespace {

struct Room {
  std::string letter;  // prefix of the room's ticket numbers: A01, A02 ...
  std::string jbyydm;
  std::string kch;
  int candidates;
};

// MemTable1 as the print action leaves it: rooms in order, candidates in
// ascending ticket order, the stored seat numbers running backwards so that
// a layout by stored seat would show.
void Collect(TSheetData& d, const std::vector<Room>& rooms) {
  d.MemTable1.Empty();
  for (const Room& room : rooms) {
    for (int i = 1; i <= room.candidates; ++i) {
      d.MemTable1.Append();
      d.MemTable1.FieldByName("dwmc").SetAsString("Centre");
      d.MemTable1.FieldByName("zkzh").SetAsString(room.letter + Format("%.2d", {i}));
      d.MemTable1.FieldByName("xm").SetAsString(Utf8ToGbk("考生"));
      d.MemTable1.FieldByName("jbyy").SetAsString("Level " + room.jbyydm);
      d.MemTable1.FieldByName("jbyydm").SetAsString(room.jbyydm);
      d.MemTable1.FieldByName("BMH").SetAsString("B" + room.letter);
      d.MemTable1.FieldByName("wzh").SetAsInteger(room.candidates + 1 - i);
      d.MemTable1.FieldByName("kcwz").SetAsString("Hall");
      d.MemTable1.FieldByName("bssj").SetAsFloat(120);
      d.MemTable1.FieldByName("kch").SetAsString(room.kch);
      d.MemTable1.FieldByName("rs").SetAsInteger(room.candidates);
      d.MemTable1.Post();
    }
  }
}

// The slots of MemTable2 by ticket number, "-" for a blank slot; leaves the
// table where it found it only when that was its first row.
std::vector<std::string> Slots(TSheetData& d) {
  std::vector<std::string> slots;
  for (d.MemTable2.First(); !d.MemTable2.Eof(); d.MemTable2.Next()) {
    std::string ticket = d.MemTable2.FieldByName("zkzh").AsString();
    slots.push_back(ticket.empty() ? "-" : ticket);
  }
  d.MemTable2.First();
  return slots;
}

std::vector<std::string> Tickets(const std::string& letter, int from, int to) {
  std::vector<std::string> v;
  for (int i = from; i <= to; ++i) v.push_back(letter + Format("%.2d", {i}));
  return v;
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::string> Blanks(int n) { return std::vector<std::string>(static_cast<std::size_t>(n), "-"); }

TEST(SeatPlan, RunsDownAndUpTheColumns) {
  const int plan[6][5] = {{1, 12, 13, 24, 25}, {2, 11, 14, 23, 26}, {3, 10, 15, 22, 27},
                          {4, 9, 16, 21, 28},  {5, 8, 17, 20, 29},  {6, 7, 18, 19, 30}};
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 5; ++column) {
      EXPECT_EQ(SeatOfSlot(row * 5 + column + 1), plan[row][column]) << row << "," << column;
    }
  }
}

TEST(PlainPhotoSheet, EveryRoomStartsARowOfFive) {
  const struct {
    const char* what;
    std::vector<Room> rooms;
    std::vector<std::string> slots;
  } cases[] = {
      {"7 and 4", {{"A", "14", "1401", 7}, {"B", "15", "1501", 4}},
       Tickets("A", 1, 7) + Blanks(3) + Tickets("B", 1, 4)},
      {"10 and 3", {{"A", "14", "1401", 10}, {"B", "15", "1501", 3}}, Tickets("A", 1, 10) + Tickets("B", 1, 3)},
      {"same room number, other code", {{"A", "14", "0101", 3}, {"B", "15", "0101", 2}},
       Tickets("A", 1, 3) + Blanks(2) + Tickets("B", 1, 2)},
      {"three rooms", {{"A", "14", "1401", 1}, {"B", "14", "1402", 6}, {"C", "14", "1403", 2}},
       Tickets("A", 1, 1) + Blanks(4) + Tickets("B", 1, 6) + Blanks(4) + Tickets("C", 1, 2)},
      {"none", {}, {}},
  };
  for (const auto& c : cases) {
    TSheetData d;
    d.SeatOrder = false;
    Collect(d, c.rooms);
    d.ArrangePhotoSheet();
    EXPECT_EQ(Slots(d), c.slots) << c.what;
    EXPECT_EQ(d.PadCounter, static_cast<int>(c.slots.size())) << c.what;
  }
}

TEST(PlainPhotoSheet, SlotsCarryTheCandidateOrTheRoomOfABlank) {
  TSheetData d;
  d.SeatOrder = false;
  Collect(d, {{"A", "14", "1401", 7}, {"B", "15", "1501", 4}});
  d.ArrangePhotoSheet();
  TMemTable& t = d.MemTable2;
  ASSERT_EQ(t.RecordCount(), 14);
  EXPECT_TRUE(t.Bof());  // left on its first row
  EXPECT_EQ(t.FieldByName("zkzh").AsString(), "A01");
  EXPECT_EQ(t.FieldByName("xm").AsString(), Utf8ToGbk("考生"));
  EXPECT_EQ(t.FieldByName("BMH").AsString(), "BA");
  EXPECT_EQ(t.FieldByName("jbyy").AsString(), "Level 14");
  EXPECT_EQ(t.FieldByName("bssj").AsFloat(), 120);
  EXPECT_EQ(t.FieldByName("rs").AsInteger(), 7);
  EXPECT_TRUE(t.FieldByName("wzh").IsNull());  // the seat is not copied

  ASSERT_TRUE(t.Locate("zkzh;kch", {"", "1401"}));  // the first blank slot
  EXPECT_EQ(t.FieldByName("jbyydm").AsString(), "14");
  EXPECT_EQ(t.FieldByName("rs").AsString(), "7");
  EXPECT_EQ(t.FieldByName("dwmc").AsString(), "");
  EXPECT_FALSE(t.FieldByName("dwmc").IsNull());
  EXPECT_TRUE(t.FieldByName("wzh").IsNull());
  EXPECT_TRUE(t.FieldByName("bssj").IsNull());
  EXPECT_EQ(t.FieldByName("bssj").AsFloat(), 0);
}

// The block of 30 slots of a room of n candidates in seat order: slot i
// shows the candidate of rank SeatOfSlot(i).
std::vector<std::string> SeatBlock(const std::string& letter, int n, int firstRank = 1) {
  std::vector<std::string> block;
  for (int slot = 1; slot <= 30; ++slot) {
    int rank = firstRank - 1 + SeatOfSlot(slot);
    block.push_back(rank <= n ? letter + Format("%.2d", {rank}) : "-");
  }
  return block;
}

TEST(SeatOrderPhotoSheet, EachRoomFillsBlocksOfThirtyAlongTheSeatPlan) {
  const struct {
    const char* what;
    std::vector<Room> rooms;
    std::vector<std::string> slots;
  } cases[] = {
      {"28", {{"A", "14", "1401", 28}}, SeatBlock("A", 28)},
      {"two rooms", {{"A", "14", "1401", 28}, {"B", "15", "1501", 5}}, SeatBlock("A", 28) + SeatBlock("B", 5)},
      {"one candidate", {{"A", "14", "1401", 1}}, Tickets("A", 1, 1) + Blanks(29)},
      // More candidates than seats (a host room with merged rooms): the
      // group goes on in a second block instead of losing the last two.
      {"32", {{"A", "14", "1401", 32}}, SeatBlock("A", 32) + SeatBlock("A", 32, 31)},
      {"none", {}, {}},
  };
  for (const auto& c : cases) {
    TSheetData d;
    Collect(d, c.rooms);
    d.ArrangePhotoSheet();
    EXPECT_EQ(Slots(d), c.slots) << c.what;
    EXPECT_EQ(d.Temp_Mem.RecordCount(), 0) << c.what;
  }

  // The cases of the plan spelled out for 28 candidates.
  TSheetData d;
  Collect(d, {{"A", "14", "1401", 28}});
  d.ArrangeSeatOrder();
  std::vector<std::string> slots = Slots(d);
  ASSERT_EQ(slots.size(), 30u);
  EXPECT_EQ(slots[0], "A01");
  EXPECT_EQ(slots[1], "A12");
  EXPECT_EQ(slots[4], "A25");
  EXPECT_EQ(slots[5], "A02");
  EXPECT_EQ(slots[24], "-");
  EXPECT_EQ(slots[29], "-");
}

TEST(SeatOrderPhotoSheet, BlankSlotsCarryTheirRoom) {
  TSheetData d;
  Collect(d, {{"A", "14", "1401", 28}, {"B", "15", "1501", 5}});
  d.ArrangeSeatOrder();
  TMemTable& t = d.MemTable2;
  ASSERT_EQ(t.RecordCount(), 60);
  for (int slot = 1; slot <= 60; ++slot, t.Next()) {
    const bool second = slot > 30;
    EXPECT_EQ(t.FieldByName("kch").AsString(), second ? "1501" : "1401") << slot;
    EXPECT_EQ(t.FieldByName("jbyydm").AsString(), second ? "15" : "14") << slot;
    EXPECT_EQ(t.FieldByName("rs").AsInteger(), second ? 5 : 28) << slot;
    EXPECT_TRUE(t.FieldByName("wzh").IsNull()) << slot;
  }
}

}  // namespace
}  // namespace talven
