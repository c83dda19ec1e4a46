// The report template format: reading and writing a whole template stream
// (every stream version from 0-20, read as 21, to 25; writing always 25),
// template files, and the "ReportForm" component property through which a
// window stores a report.
//
// Reading is safe on any bytes: every read is bounds-checked by TfrStream,
// end positions that point backwards are damaged data, counts never allocate
// ahead of the data, and every record consumes bytes, so a damaged stream
// ends in the failure handling below — never in a crash or a loop without
// end. A stream cut off inside an object (its end position lies beyond the
// stream, or the stream ends before it) is read up to the cut: the pages and
// objects read so far stay, without a message.
#pragma once

#include <optional>
#include <string>

#include "base/datetime.h"
#include "report/model/report.h"
#include "report/model/stream.h"

namespace talven {

// How a read ended.
enum class TfrReadResult {
  Loaded,              // the template stands
  EmptyStream,         // nothing to read; nothing changed
  UnsupportedVersion,  // version above 25: "不支持的FRF格式", template unchanged (dictionary emptied)
  Damaged,             // "不支持的FRF格式": all pages deleted, one empty page
  MissingClasses,      // the non-plugged components message; what could be read stays
  PasswordRefused,     // wrong or cancelled password: one empty page, "Untitled"
};

struct TfrReadOptions {
  // Keep the dictionary exactly as stored: its variable names are not
  // flipped to the in-memory form and no alias is dropped (the text form
  // shows what the file holds).
  bool KeepStoredDictionary = false;
};

// Replaces the report's template by the stream's, from the stream's
// position. Messages go through the Ui seam (caption "错误"); a
// password-protected template read from a file stream is asked for there.
TfrReadResult ReadTemplate(TfrReport& report, TfrStream& stream, const TfrReadOptions& options = {});

struct TfrWriteOptions {
  // The InfoModified to write; none: the current date and time.
  std::optional<TDateTime> Modified;
};
// Writes the template in version 25 from the stream's position; the
// report's InfoModified and InfoGeneratorVersion take the written values.
// Fails for a report whose objects stand on a page beyond the 256th (the
// page index of an object record is one byte).
void WriteTemplate(TfrReport& report, TfrStream& stream, const TfrWriteOptions& options = {});

// False, with nothing changed, when the file does not exist; otherwise
// reads it and sets TemplateFileName (kept "Untitled" when the password was
// refused). Fails when the file cannot be read.
bool LoadTemplateFile(TfrReport& report, const std::string& fileName);
// Writes the template to a file (GBK name); fails when it cannot be written.
void SaveTemplateFile(TfrReport& report, const std::string& fileName, const TfrWriteOptions& options = {});

// The "ReportForm" property: int32 25, then, with StoreInDFM, an int32 byte
// count and a complete template stream.
void WriteReportForm(TfrReport& report, TfrStream& stream);
// Keeps the stored template (with StoreInDFM) until ReportFormLoaded; a
// value cut short stores nothing.
void ReadReportForm(TfrReport& report, TfrStream& stream);
// The window has finished loading: reads the kept template (as a memory
// stream, never asked for a password) and frees it.
void ReportFormLoaded(TfrReport& report);

// The records of the format, for the prepared-page store and tests.
void ReadPageRecord(TfrPage& page, TfrStream& stream);
void WritePageRecord(const TfrPage& page, TfrStream& stream);
void ReadDictionary(TfrReport& report, TfrStream& stream, const TfrReadOptions& options = {});
void WriteDictionary(const TfrDataDictionary& dictionary, TfrStream& stream);
void ReadReportInfo(TfrReportInfo& info, TfrStream& stream);
void WriteReportInfo(const TfrReportInfo& info, TfrStream& stream);

}  // namespace talven
