// The text form of templates: a JSON document (UTF-8) that holds everything
// a template file holds, for authoring and inspecting templates without a
// report designer.
//
//   {
//     "format": "talven-template",
//     "version": 25,                  stream version of the source (dump only)
//     "UseDefaultPrinter": false, "TwoPass": false, "PrinterName": "虚拟打印机",
//     "pages": [ { page fields…, "objects": [ { "class": "TfrMemoView", object fields… } ] } ],
//     "dictionary": { "VariableList": [["name", "value"], …], "FieldAliasList": […],
//                     "BandSourceList": […] },
//     "info": { "InfoComment": "", …, "InfoCreated": 45123.5, "InfoModified": … }
//   }
//
// Fields carry the names of the object model (Left, Flags, FrameWidth, Font
// {Name, Size, Style, Color, Charset}, HighlightCondition, …). A band
// object has "BandKind" in place of FrameTyp and "DataSource" in place of
// DisplayFormatText ("Condition" is accepted too). Colours and DisplayFormat
// are written as "0x…" hexadecimal texts; numbers are accepted as well.
// Dates are days since 30 December 1899 (a date that is no number keeps its
// exact bits as {"bits": "0x…"}). Text lists (Memo, scripts) are
// arrays of lines. A picture is {"kind": "bitmap"|"metafile"|"icon"|"jpeg"|"",
// "data": base64}; rich text is base64.
//
// Texts are GBK inside the program; a text that is valid GBK is written as a
// JSON string, any other as {"bytes": base64 of its bytes}, so that nothing
// is lost.
//
// Building writes a version-25 template. A field left out takes the
// default of its class, so a hand-written document may be short; a field
// that no object of the class has is an error. build(dump(file)) gives back
// every file this engine writes byte for byte (InfoModified comes from the
// document).
#pragma once

#include <string>

#include "report/model/report.h"
#include "report/template/template.h"

namespace talven {

// The JSON text of a report as the template stream would hold it.
// `sourceVersion` is recorded as "version".
std::string ReportToJson(const TfrReport& report, int sourceVersion = 25);
// Replaces the report's template by the document's. Fails with an Error
// naming the place of the first problem.
void ReportFromJson(const std::string& json, TfrReport& report);

// Reads template bytes (as a file: a password is asked for through the Ui
// seam) and gives their JSON text; `result` tells how the read ended.
std::string DumpTemplate(const std::string& templateBytes, TfrReadResult* result = nullptr);
// The version-25 template bytes of a document.
std::string BuildTemplate(const std::string& json);

// Base64 (standard alphabet, with padding); decoding fails with an Error on
// anything else.
std::string Base64Encode(std::string_view bytes);
std::string Base64Decode(std::string_view text);

}  // namespace talven
