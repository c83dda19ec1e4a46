// The photo sheet prints one card per slot, five slots to a row. Every room
// group (consecutive candidates of one level-language code and one room)
// starts a fresh row; in seat order a group fills blocks of 30 slots laid
// out along the S-shaped seat plan of a room of six rows and five columns.
#include <string_view>

#include "sheets/sheet_data.h"

namespace talven {

namespace {

constexpr int kSlotsPerRow = 5;
constexpr int kSlotsPerBlock = 30;

// The fields a card slot copies as text; bssj and rs follow as numbers, wzh
// is left out.
constexpr std::string_view kSlotTextFields[] = {"dwmc", "zkzh", "xm", "sfzh", "jbyy", "jbyydm", "kch", "BMH", "kcwz"};

void CopyCandidate(TMemTable& from, TMemTable& to) {
  for (std::string_view name : kSlotTextFields) {
    to.FieldByName(name).SetAsString(from.FieldByName(name).AsString());
  }
  to.FieldByName("bssj").SetAsFloat(from.FieldByName("bssj").AsFloat());
  to.FieldByName("rs").SetAsInteger(from.FieldByName("rs").AsInteger());
}

bool InGroup(TMemTable& table, const std::string& jbyydm, const std::string& kch) {
  return table.FieldByName("jbyydm").AsString() == jbyydm && table.FieldByName("kch").AsString() == kch;
}

}  // namespace

int SeatOfSlot(int slot) {
  int column = (slot - 1) % kSlotsPerRow;
  int row = (slot - 1) / kSlotsPerRow;
  return column % 2 == 0 ? 6 * column + row + 1 : 6 * column + 6 - row;
}

TSheetData::GroupKeys TSheetData::KeysOf(TMemTable& table) {
  return {table.FieldByName("jbyydm").AsString(), table.FieldByName("kch").AsString(),
          table.FieldByName("rs").AsString()};
}

void TSheetData::AppendCandidateSlot(TMemTable& source) {
  MemTable2.Append();
  CopyCandidate(source, MemTable2);
  MemTable2.Post();
}

void TSheetData::AppendBlankSlot(const GroupKeys& keys) {
  MemTable2.Append();
  for (std::string_view name : {"dwmc", "zkzh", "xm", "sfzh", "jbyy", "BMH", "kcwz"}) {
    MemTable2.FieldByName(name).SetAsString("");
  }
  MemTable2.FieldByName("jbyydm").SetAsString(keys.jbyydm);
  MemTable2.FieldByName("kch").SetAsString(keys.kch);
  MemTable2.FieldByName("rs").SetAsString(keys.rs);
  MemTable2.Post();
}

void TSheetData::ArrangePhotoSheet() {
  if (SeatOrder) {
    ArrangeSeatOrder();
  } else {
    ArrangePlain();
  }
}

void TSheetData::ArrangePlain() {
  PadCounter = 0;
  MemTable2.Empty();
  MemTable1.First();
  GroupKeys keys = KeysOf(MemTable1);
  while (!MemTable1.Eof()) {
    if (!InGroup(MemTable1, keys.jbyydm, keys.kch)) {
      while (PadCounter % kSlotsPerRow != 0) {
        AppendBlankSlot(keys);
        ++PadCounter;
      }
    }
    AppendCandidateSlot(MemTable1);
    keys = KeysOf(MemTable1);
    MemTable1.Next();
    ++PadCounter;
  }
  MemTable2.First();
}

void TSheetData::ArrangeSeatOrder() {
  // A candidate's seat on the sheet is its rank within the group in
  // collection order (ascending admission-ticket number), not the stored wzh.
  int rank = 1;
  MemTable2.Empty();
  Temp_Mem.Empty();
  MemTable1.First();
  GroupKeys keys = KeysOf(MemTable1);
  while (!MemTable1.Eof()) {
    if (InGroup(MemTable1, keys.jbyydm, keys.kch)) {
      Temp_Mem.Append();
      CopyCandidate(MemTable1, Temp_Mem);
      Temp_Mem.FieldByName("wzh").SetAsInteger(rank);
      Temp_Mem.Post();
      ++rank;
      MemTable1.Next();
      if (MemTable1.Eof()) LayOutGroup(keys);
    } else {
      // The same row is examined again and then belongs to the new group.
      rank = 1;
      LayOutGroup(keys);
      keys = KeysOf(MemTable1);
      Temp_Mem.Empty();
    }
  }
  MemTable2.First();
}

void TSheetData::LayOutGroup(const GroupKeys& keys) {
  // A group of more than 30 (a host room with merged rooms can have them)
  // goes on in further blocks with the same plan, seats 31-60 and so on, so
  // that no candidate is left off the sheet.
  int blocks = (Temp_Mem.RecordCount() + kSlotsPerBlock - 1) / kSlotsPerBlock;
  if (blocks == 0) blocks = 1;
  Temp_Mem.First();
  for (int block = 0; block < blocks; ++block) {
    for (int slot = 1; slot <= kSlotsPerBlock; ++slot) {
      int seat = block * kSlotsPerBlock + SeatOfSlot(slot);
      if (Temp_Mem.Locate("jbyydm;kch;wzh", {keys.jbyydm, keys.kch, seat})) {
        AppendCandidateSlot(Temp_Mem);
        Temp_Mem.Delete();
      } else {
        AppendBlankSlot(keys);
      }
    }
  }
}

}  // namespace talven
