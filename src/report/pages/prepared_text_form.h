// The text form of prepared-report files: a JSON document (UTF-8) that holds
// everything a ".frp" file holds.
//
//   {
//     "format": "talven-prepared",
//     "version": 25,            the file's version byte, 0 for a versionless
//                               file, "legacy" for the legacy form (dump only)
//     "compression": 0,         the compression byte as read (dump only)
//     "PrinterName": "虚拟打印机",
//     "pages": [ { "SheetCode": 9, "SheetWidth": 2100, "SheetHeight": 2970,
//                  "SheetOrientation": 0, "SheetBin": -1, "KeepMargins": true,
//                  "Margins": [left, top, right, bottom],
//                  "StreamVersion": 25,      the page stream's version (dump only)
//                  "objects": [ { "class": "TfrMemoView", object fields… } ] } ],
//     "InfoGeneratorVersion": 88
//   }
//
// Objects carry the fields of their printing form, as the template text form
// writes them (its conventions for texts, colours and pictures hold): "Memo"
// is the text the page prints. The fields that only templates store
// (display formats, scripts, Visible, the highlight) are not part of it. A
// page stream that is empty (a compressed file) or cannot be read is kept as
// it stands: "ObjectStream" with its bytes in base64 in place of "objects",
// and for a damaged one "damage" with the reader's message.
//
// Building writes a version-25 file with the document's printer name; a
// field left out takes its default. build(dump(file)) gives back every file
// this engine writes byte for byte.
#pragma once

#include <string>

namespace talven {

// The JSON text of a prepared-report file's bytes. Fails with an Error when
// the file cannot be read (its pages are not dumped then).
std::string DumpPrepared(const std::string& fileBytes);
// The version-25 file bytes of a document. Fails with an Error naming the
// place of the first problem.
std::string BuildPrepared(const std::string& json);

}  // namespace talven
