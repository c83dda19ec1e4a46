// The data side of the sign-in sheets: the three in-memory candidate tables,
// the photo-sheet arrangement and the handlers through which the report
// engine walks the rows and asks for the values of its variables.
//
// The main window owns one TSheetData and keeps its state in step with the
// window: WithPhotos follows 含相片 (set it in CheckBox1Click, which runs on
// every change), SeatOrder follows 按座位顺序的S型打印, StartTimeText and
// ExamDateText come from the settings at start-up. The print action empties
// MemTable1, sets FirstHeaderPending and appends one row per candidate to
// MemTable1 before it calls ArrangePhotoSheet (with photos) and launches the
// report.
#pragma once

#include <string>
#include <string_view>

#include "base/variant.h"
#include "sheets/memtable.h"

namespace talven {

// The seat shown by slot i (1 to 30) of a block of the S-shaped seat plan of
// six rows and five columns: seats 1-6 run down the first column, 7-12 up
// the second, and so on.
int SeatOfSlot(int slot);

// The exam time text: ExamDateText, a blank, the start and the end time as
// hours:minutes ("2008-04-19 9:00--11:00"). The start time is a decimal
// number whose two fraction digits are minutes (9.30 is half past nine); the
// duration is in minutes. The end is worked out in 32-bit floating point and
// is neither padded nor wrapped at 24 hours. A start time that is not a
// number fails with "'%s' is not a valid floating point value".
std::string ExamTimeText(std::string_view startTimeText, std::string_view examDateText, double durationMinutes);

class TSheetData {
 public:
  // All candidates of a print run, in collection order.
  TMemTable MemTable1;
  // The card slots of the photo sheet, candidate and blank slots in order.
  TMemTable MemTable2;
  // Scratch of the seat-order arrangement: the rows of one room group.
  TMemTable Temp_Mem;

  // Slots written by the plain arrangement.
  int PadCounter = 0;
  // Set at the start of every print run; cleared by the page header's band
  // events.
  bool FirstHeaderPending = false;
  std::string StartTimeText;
  std::string ExamDateText;
  // 含相片: photo sheets; chooses the active table of the report handlers.
  bool WithPhotos = false;
  // 按座位顺序的S型打印: photo slots in seat order (checked when the window
  // opens).
  bool SeatOrder = true;

  // The table the report walks: MemTable2 for photo sheets, else MemTable1,
  // decided afresh at every call.
  TMemTable& ActiveTable() { return WithPhotos ? MemTable2 : MemTable1; }
  // The number of rows the report's user dataset is to walk.
  int ReportRowCount() const { return (WithPhotos ? MemTable2 : MemTable1).RecordCount(); }

  // Rebuilds MemTable1 into the card slots of MemTable2, five slots to a
  // row, each room group starting a new row: in seat order (one block of 30
  // slots per started 30 candidates of a group) when SeatOrder is set, else
  // room after room. Leaves MemTable2 on its first row.
  void ArrangePhotoSheet();
  void ArrangePlain();
  void ArrangeSeatOrder();

  // The user dataset's row steps, on the active table.
  void frUserDataset1First();
  void frUserDataset1Next();
  void frUserDataset1Prior();

  // Answers the sheet's variables ("rs", "dwmc", "zkzh", "xm", "sfzh",
  // "jbyy", "kch", "bmh", "kcwz", "kstime"; exact case) from the current row
  // of the active table; leaves ParValue untouched for any other name, which
  // the engine then resolves itself.
  void frReport1GetValue(const std::string& ParName, Variant& ParValue);

  // Band events, told apart by the band's name. Only the page header
  // "PageHeader1" matters: from the second page header of a run on, the
  // active table is one row ahead while the header prints, so that the
  // header shows the row after the current one.
  void frReport1BeginBand(std::string_view bandName);
  void frReport1EndBand(std::string_view bandName);

 private:
  struct GroupKeys {
    std::string jbyydm;
    std::string kch;
    std::string rs;
  };
  static GroupKeys KeysOf(TMemTable& table);
  void AppendCandidateSlot(TMemTable& source);
  void AppendBlankSlot(const GroupKeys& keys);
  void LayOutGroup(const GroupKeys& keys);

  // Whether the begin event of the page header moved the active table, so
  // that its end event steps back exactly as far.
  bool headerStepped_ = false;
};

}  // namespace talven
