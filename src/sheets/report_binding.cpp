// The report engine knows nothing of candidates: it walks the user dataset,
// whose row steps land on the active in-memory table, and asks for the value
// of every variable its memos name.
#include <cmath>
#include <string>
#include <string_view>

#include "base/convert.h"
#include "base/format.h"
#include "base/formatsettings.h"
#include "base/text.h"
#include "sheets/sheet_data.h"

namespace talven {

namespace {

constexpr std::string_view kPageHeader = "PageHeader1";

// Variables answered with a field of the current row as it stands.
struct PlainVariable {
  std::string_view variable;
  std::string_view field;
};
constexpr PlainVariable kPlainVariables[] = {
    {"rs", "rs"},     {"zkzh", "zkzh"}, {"xm", "xm"},     {"sfzh", "sfzh"},
    {"jbyy", "jbyy"}, {"kch", "kch"},   {"bmh", "BMH"},   {"kcwz", "kcwz"},
};

}  // namespace

std::string ExamTimeText(std::string_view startTimeText, std::string_view examDateText, double durationMinutes) {
  DecimalSeparatorScope dot('.');
  const double start = StrToFloat(startTimeText);
  // The end time is worked out on 32-bit floats, the intermediate steps in
  // extended precision, and the result stored to 32 bits again; the minutes
  // are the two digits after the point of the narrowed start.
  const float start32 = static_cast<float>(start);
  const float duration32 = static_cast<float>(durationMinutes);
  const std::string startDigits = Format("%0.2f", {static_cast<double>(start32)});
  const int minutes = StrToInt(startDigits.substr(startDigits.size() - 2));
  const long double startHour = std::trunc(static_cast<long double>(start32));
  const float hours = static_cast<float>(startHour + minutes / 60.0L + duration32 / 60.0L);
  const long double endHour = std::trunc(static_cast<long double>(hours));
  const float end = static_cast<float>(endHour + (static_cast<long double>(hours) - endHour) * 60 / 100);

  std::string text(examDateText);
  text += ' ';
  text += ReplaceAll(Format("%2.2f", {start}), ".", ":");
  text += "--";
  text += ReplaceAll(Format("%2.2f", {static_cast<double>(end)}), ".", ":");
  return text;
}

void TSheetData::frUserDataset1First() { ActiveTable().First(); }

void TSheetData::frUserDataset1Next() { ActiveTable().Next(); }

void TSheetData::frUserDataset1Prior() { ActiveTable().Prior(); }

void TSheetData::frReport1GetValue(const std::string& ParName, Variant& ParValue) {
  TMemTable& table = ActiveTable();
  for (const PlainVariable& v : kPlainVariables) {
    if (ParName == v.variable) {
      ParValue = table.FieldByName(v.field).AsString();
      return;
    }
  }
  if (ParName == "dwmc") {
    ParValue = table.FieldByName("dwmc").AsString() + "笔试考场签到表"_gbk;
  } else if (ParName == "kstime") {
    ParValue = ExamTimeText(StartTimeText, ExamDateText, table.FieldByName("bssj").AsFloat());
  }
}

void TSheetData::frReport1BeginBand(std::string_view bandName) {
  if (bandName != kPageHeader) return;
  headerStepped_ = false;
  if (!FirstHeaderPending) {
    TMemTable& table = ActiveTable();
    // On the last row Next only raises the end flag; the end event must then
    // not step back, or the last record would print the row before it.
    const bool atEnd = table.Eof();
    table.Next();
    headerStepped_ = !atEnd && !table.Eof();
  }
  FirstHeaderPending = false;
}

void TSheetData::frReport1EndBand(std::string_view bandName) {
  if (bandName != kPageHeader) return;
  if (!FirstHeaderPending && headerStepped_) ActiveTable().Prior();
  headerStepped_ = false;
  FirstHeaderPending = false;
}

}  // namespace talven
