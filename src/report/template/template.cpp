#include "report/template/template.h"

#include <array>
#include <filesystem>
#include <fstream>

#include "base/error.h"
#include "base/text.h"
#include "base/ui.h"
#include "report/model/factory.h"
#include "report/model/graphic.h"
#include "report/model/prepare_state.h"
#include "report/model/printer_adapter.h"

namespace talven {

namespace {

constexpr std::uint8_t kPageRecord = 255, kDictionaryRecord = 254, kExtensionRecord = 253, kEndOfPages = 252;
constexpr int kCurrentVersion = 25;

// The single byte that stands for the virtual printer's name in the file.
const std::string kVirtualPrinterMark = "\x01";

void ShowError(const std::string& text) { CurrentUi().MessageBox(text, "错误"_gbk, MB_OK | MB_ICONERROR); }

void EmptyToOnePage(TfrReport& report) {
  report.ClearPages();
  report.TemplatePages.Add();
}

// The special values of the old dictionary form, by index (1 has no name).
const std::array<const char*, 18> kOldSpecialNames = {
    "PAGE#",    "",           "DATE",          "TIME",        "LINE#",       "LINETHROUGH#",
    "COLUMN#",  "CURRENT#",   "TOTALPAGES",    "REPORTCOMMENT", "REPORTNAME", "REPORTAUTOR",
    "VMAJOR",   "VMINOR",     "VRELEASE",      "VBUILD",      "REPORTDATE",  "REPORTLASTCHANGE",
};

void ReadNameValueList(TfrVariables& list, TfrStream& s) {
  // Every entry takes bytes, so a count larger than the data ends with the
  // stream rather than with an allocation.
  const std::int32_t count = s.ReadI32();
  for (std::int32_t i = 0; i < count; ++i) {
    std::string name = ReadStreamString(s);
    std::string value = ReadStreamString(s);
    list.Set(name, value);
  }
}

void WriteNameValueList(const TfrVariables& list, TfrStream& s) {
  s.WriteI32(list.Count());
  for (int i = 0; i < list.Count(); ++i) {
    WriteStreamString(s, list.NameAt(i));
    WriteStreamString(s, list.ValueAt(i).AsText());
  }
}

void ReadOldDictionary(TfrDataDictionary& d, TfrStream& s) {
  const std::int32_t count = s.ReadI32();
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint8_t kind = s.ReadU8();
    std::int32_t index = s.ReadI32();
    std::string s1 = ReadShortString(s), s2 = ReadShortString(s), s3 = ReadShortString(s);
    std::string value;
    if (kind == 1) {
      value = s1 + ".\"" + s2 + "\"";
    } else if (kind == 2) {
      if (index == 1) value = s2;
      else if (index >= 0 && index < static_cast<std::int32_t>(kOldSpecialNames.size()))
        value = kOldSpecialNames[static_cast<std::size_t>(index)];
    }
    d.FieldAliasList.Set(" " + s3, value);
  }
  for (const std::string& line : ReadStreamTextList(s)) {
    if (line.empty() || line[0] == ' ') d.VariableList.Set(line, d.FieldAliasList.Get(line).AsText());
    else d.VariableList.Set(line, std::string());
  }
  d.FieldAliasList.Clear();
}

// Category headings begin with a blank in memory; a list whose first name
// does not was stored the other way round.
void FlipVariableNames(TfrVariables& list) {
  if (list.Count() == 0) return;
  const std::string first = list.NameAt(0);
  if (first.empty() || first[0] == ' ') return;
  TfrVariables flipped;
  for (int i = 0; i < list.Count(); ++i) {
    std::string name = list.NameAt(i);
    flipped.Set(!name.empty() && name[0] == ' ' ? name.substr(1) : " " + name, list.ValueAt(i));
  }
  list = std::move(flipped);
}

char HexDigit(int v) { return static_cast<char>(v < 10 ? '0' + v : 'A' + v - 10); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  throw TfrStreamError("Invalid password data");
}

// The end position of an object record. A template cut off inside the
// object (the position lies past the end of the stream, or the stream ends
// before the position) ends there: reading goes to the end of the stream and
// keeps what it has read. A position that points back into the record would
// make reading loop: that is damage.
std::size_t ReadObjectEnd(TfrStream& s) {
  if (s.Remaining() < 4) return s.Size();
  const std::int32_t end = s.ReadI32();
  if (end < 0 || static_cast<std::size_t>(end) < s.Position()) throw TfrStreamError("Invalid end position");
  return std::min(static_cast<std::size_t>(end), s.Size());
}

// One object record; failures inside it are the object's own and skip it.
void ReadObjectRecord(TfrReport& report, TfrStream& s, std::uint8_t typeCode) {
  const int v = EngineState().StreamVersion;
  std::optional<std::size_t> end;
  bool endTried = false;
  try {
    int type = typeCode;
    bool framedMemo = false;
    std::string className;
    if (typeCode == gtAddIn) {
      className = ReadStreamString(s);
      const std::string upper = UpperCase(className);
      if (upper == "TFRBDELOOKUPCONTROL" || upper == "TFRIBXLOOKUPCONTROL") className = "TfrDBLookupControl";
      if (upper == "TFRFRAMEDMEMOVIEW") {
        type = gtMemo;
        framedMemo = true;
      }
    }
    const int pageIndex = s.ReadU8();
    if (pageIndex >= report.TemplatePages.Count()) throw TfrStreamError("Invalid page index");
    TfrPage& page = report.TemplatePages[pageIndex];
    EngineState().CurrentPage = &page;
    TfrView* view = nullptr;
    if (auto created = MakeObject(type, className)) view = &page.Add(std::move(created));
    if (v > 23) {
      endTried = true;
      end = ReadObjectEnd(s);
    }
    if (view != nullptr) {
      try {
        view->ReadFromStream(s);
      } catch (...) {
        view->SetPropertyValue("Name", view->Name);
        throw;
      }
      view->SetPropertyValue("Name", view->Name);
      if (framedMemo) s.ReadBytes(8);
    }
    if (end) s.Seek(*end);
  } catch (const std::exception&) {
    if (v >= 24) {
      // An end position that points back leaves no way to step over the
      // object: that is damage to the whole template. One that was refused
      // is not read again from the object's data.
      if (!end) {
        if (endTried) throw TfrStreamError("Invalid end position");
        end = ReadObjectEnd(s);
      }
      s.Seek(*end);
    }
  }
}

}  // namespace

void ReadPageRecord(TfrPage& page, TfrStream& s) {
  const int v = EngineState().StreamVersion;
  const std::int32_t first = s.ReadI32();
  const bool marker = first == -1;
  const std::int32_t size = marker ? s.ReadI32() : first;
  const std::int32_t width = s.ReadI32();
  const std::int32_t height = s.ReadI32();
  page.LeftMargin = s.ReadI32();
  page.TopMargin = s.ReadI32();
  page.RightMargin = s.ReadI32();
  page.BottomMargin = s.ReadI32();
  const std::uint8_t orientation = s.ReadU8();
  if (v < 23) s.ReadBytes(6);
  const std::int32_t bin = v > 23 ? s.ReadI32() : -1;
  page.PrintToPrevPage = ReadBoolean16(s);
  page.KeepMargins = ReadBoolean16(s);
  page.Columns = s.ReadI32();
  page.ColumnGap = s.ReadI32();
  if (v > 23) {
    page.Type = s.ReadU8();
    page.Name = ReadNewStreamString(s);
    std::uint8_t border = s.ReadU8();
    page.BorderStyle = border == 0 ? 3 : border == 1 ? 2 : border;
    page.Caption = ReadNewStreamString(s);
    page.Color = s.ReadI32();
    page.FormLeft = s.ReadI32();
    page.FormTop = s.ReadI32();
    page.FormWidth = s.ReadI32();
    page.FormHeight = s.ReadI32();
    page.Position = s.ReadU8() != 0 ? 4 : 0;
    if (marker) page.PageScript = ReadNewStreamTextList(s);
  } else {
    MakeUniquePageName(page);
  }
  page.SetPaper(size, width, height, bin, orientation);
}

void WritePageRecord(const TfrPage& page, TfrStream& s) {
  s.WriteI32(-1);
  s.WriteI32(page.Size);
  s.WriteI32(page.PaperWidth);
  s.WriteI32(page.PaperHeight);
  s.WriteI32(page.LeftMargin);
  s.WriteI32(page.TopMargin);
  s.WriteI32(page.RightMargin);
  s.WriteI32(page.BottomMargin);
  s.WriteU8(page.Orientation);
  s.WriteI32(page.PaperSource);
  WriteBoolean16(s, page.PrintToPrevPage);
  WriteBoolean16(s, page.KeepMargins);
  s.WriteI32(page.Columns);
  s.WriteI32(page.ColumnGap);
  s.WriteU8(page.Type);
  WriteStreamString(s, page.Name);
  s.WriteU8(page.BorderStyle);
  WriteStreamString(s, page.Caption);
  s.WriteI32(page.Color);
  s.WriteI32(page.FormLeft);
  s.WriteI32(page.FormTop);
  s.WriteI32(page.FormWidth);
  s.WriteI32(page.FormHeight);
  s.WriteU8(page.Position);
  WriteStreamTextList(s, page.PageScript);
}

void ReadDictionary(TfrReport& report, TfrStream& s, const TfrReadOptions& options) {
  TfrDataDictionary& d = report.Dictionary;
  const std::int16_t marker = s.ReadI16();
  if (marker == -1 || marker == -2) {
    ReadNameValueList(d.VariableList, s);
    ReadNameValueList(d.FieldAliasList, s);
    ReadNameValueList(d.BandSourceList, s);
  } else {
    s.Seek(s.Position() - 2);
    ReadOldDictionary(d, s);
  }
  if (options.KeepStoredDictionary) return;
  FlipVariableNames(d.VariableList);
  if (marker == -1) {
    for (int i = d.FieldAliasList.Count() - 1; i >= 0; --i) {
      std::string value = d.FieldAliasList.ValueAt(i).AsText();
      if (!value.empty() && !FindDataField(report, value)) d.FieldAliasList.DeleteAt(i);
    }
    for (int i = d.BandSourceList.Count() - 1; i >= 0; --i)
      if (d.BandSourceList.ValueAt(i).AsText().empty()) d.BandSourceList.DeleteAt(i);
  }
}

void WriteDictionary(const TfrDataDictionary& d, TfrStream& s) {
  s.WriteI16(-2);
  WriteNameValueList(d.VariableList, s);
  WriteNameValueList(d.FieldAliasList, s);
  WriteNameValueList(d.BandSourceList, s);
}

void ReadReportInfo(TfrReportInfo& info, TfrStream& s) {
  info.InfoComment = ReadLengthText(s);
  info.InfoName = ReadLengthText(s);
  info.InfoAuthor = ReadLengthText(s);
  info.InfoVersionMajor = ReadLengthText(s);
  info.InfoVersionMinor = ReadLengthText(s);
  info.InfoVersionRelease = ReadLengthText(s);
  info.InfoVersionBuild = ReadLengthText(s);
  std::string hex = ReadLengthText(s);
  std::string password;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    password.push_back(static_cast<char>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1])));
  info.InfoPassword = std::move(password);
  info.InfoGeneratorVersion = s.ReadU8();
  info.InfoPasswordProtected = s.ReadU8() != 0;
  info.InfoCreated = s.ReadF64();
  info.InfoModified = s.ReadF64();
}

void WriteReportInfo(const TfrReportInfo& info, TfrStream& s) {
  WriteLengthText(s, info.InfoComment);
  WriteLengthText(s, info.InfoName);
  WriteLengthText(s, info.InfoAuthor);
  WriteLengthText(s, info.InfoVersionMajor);
  WriteLengthText(s, info.InfoVersionMinor);
  WriteLengthText(s, info.InfoVersionRelease);
  WriteLengthText(s, info.InfoVersionBuild);
  std::string hex;
  for (char c : CutToWidth(info.InfoPassword, 0x7FFF)) {
    unsigned char b = static_cast<unsigned char>(c);
    hex.push_back(HexDigit(b >> 4));
    hex.push_back(HexDigit(b & 15));
  }
  WriteLengthText(s, hex);
  s.WriteU8(static_cast<std::uint8_t>(info.InfoGeneratorVersion));
  s.WriteU8(info.InfoPasswordProtected ? 1 : 0);
  s.WriteF64(info.InfoCreated);
  s.WriteF64(info.InfoModified);
}

TfrReadResult ReadTemplate(TfrReport& report, TfrStream& s, const TfrReadOptions& options) {
  PrepareState& state = EngineState();
  state.DocMode = TfrDocMode::Designing;
  state.CurrentReport = &report;
  report.Dictionary.Clear();
  if (s.AtEnd()) return TfrReadResult::EmptyStream;

  const std::size_t start = s.Position();
  int version = s.ReadU8();
  if (version < 21) {
    version = 21;
    s.Seek(start);
  }
  state.ErrorFlag = false;
  state.ErrorText.clear();
  if (version > kCurrentVersion) {
    ShowError("不支持的FRF格式"_gbk);
    return TfrReadResult::UnsupportedVersion;
  }
  state.StreamVersion = version;
  // The version holds while this stream is read.
  struct VersionScope {
    ~VersionScope() { EngineState().StreamVersion = kCurrentVersion; }
  } versionScope;

  bool missingClasses = false;
  try {
    report.ClearPages();
    report.Dictionary.Clear();
    report.TwoPass = false;
    report.Info.Reset();

    report.UseDefaultPrinter = ReadBoolean16(s);
    report.TwoPass = ReadBoolean16(s);
    std::string printer = ReadStreamString(s);
    report.SelectPrinterByName(printer == kVirtualPrinterMark ? VirtualPrinterName() : printer);

    while (!s.AtEnd()) {
      const std::uint8_t b = s.ReadU8();
      if (b == kPageRecord) {
        ReadPageRecord(report.TemplatePages.Add(), s);
      } else if (b == kDictionaryRecord) {
        ReadDictionary(report, s, options);
      } else if (b == kExtensionRecord) {
        // No extension component here: its record is not read.
        if (!s.AtEnd()) s.ReadU8();
        break;
      } else if (b == kEndOfPages) {
        break;
      } else if (b > gtAddIn) {
        throw TfrStreamError("");
      } else {
        ReadObjectRecord(report, s, b);
      }
    }
    if (state.ErrorFlag) {
      missingClasses = true;
    } else {
      for (const auto& page : report.TemplatePages)
        for (const auto& view : page->ObjectList) view->AfterTemplateLoad();
    }

    // The report information and the password are read and checked even
    // when classes were missing, so that a protected template never opens
    // unasked.
    if (!s.AtEnd()) ReadReportInfo(report.Info, s);
    else report.Info.Reset();

    if (report.Info.InfoPasswordProtected && !s.IsMemory()) {
      std::optional<std::string> entry =
          CurrentUi().InputBox("Password", "Enter password for opening report", "", true);
      if (!entry || *entry != report.Info.InfoPassword) {
        report.Info.Reset();
        report.TemplateFileName = kUntitled;
        EmptyToOnePage(report);
        return TfrReadResult::PasswordRefused;
      }
    }
  } catch (const std::exception&) {
    ShowError("不支持的FRF格式"_gbk);
    EmptyToOnePage(report);
    return TfrReadResult::Damaged;
  }
  if (missingClasses) {
    ShowError("Report contains the following non-plugged components:\r" + state.ErrorText +
              "You must include these components into your project.");
    return TfrReadResult::MissingClasses;
  }
  return TfrReadResult::Loaded;
}

void WriteTemplate(TfrReport& report, TfrStream& s, const TfrWriteOptions& options) {
  PrepareState& state = EngineState();
  state.CurrentReport = &report;
  state.StreamVersion = kCurrentVersion;
  if (report.TemplatePages.Count() > 256) {
    for (int i = 256; i < report.TemplatePages.Count(); ++i)
      if (!report.TemplatePages[i].ObjectList.empty())
        throw Error("A template holds objects on at most 256 pages");
  }
  s.WriteU8(kCurrentVersion);
  WriteBoolean16(s, report.UseDefaultPrinter);
  WriteBoolean16(s, report.TwoPass);
  WriteStreamString(s, report.PrinterName == VirtualPrinterName() ? kVirtualPrinterMark : report.PrinterName);
  for (const auto& page : report.TemplatePages) {
    s.WriteU8(kPageRecord);
    WritePageRecord(*page, s);
  }
  for (int i = 0; i < report.TemplatePages.Count(); ++i) {
    for (const auto& view : report.TemplatePages[i].ObjectList) {
      s.WriteU8(view->TypeCode);
      if (view->TypeCode == gtAddIn) WriteStreamString(s, view->ClassName());
      s.WriteU8(static_cast<std::uint8_t>(i));
      const std::size_t placeholder = s.Position();
      s.WriteI32(0);
      const std::uint8_t mode = view->StorageMode;
      view->StorageMode = smDesign;
      view->WriteToStream(s);
      view->StorageMode = mode;
      s.PatchI32(placeholder, static_cast<std::int32_t>(s.Position()));
    }
  }
  s.WriteU8(kDictionaryRecord);
  WriteDictionary(report.Dictionary, s);
  s.WriteU8(kEndOfPages);
  report.Info.InfoGeneratorVersion = 88;
  report.Info.InfoModified = options.Modified ? *options.Modified : Now();
  WriteReportInfo(report.Info, s);
}

bool LoadTemplateFile(TfrReport& report, const std::string& fileName) {
  if (!FileExists(fileName)) return false;
  TfrStream s(ReadWholeFile(fileName), TfrStream::Origin::File);
  if (ReadTemplate(report, s) != TfrReadResult::PasswordRefused) report.TemplateFileName = fileName;
  return true;
}

void SaveTemplateFile(TfrReport& report, const std::string& fileName, const TfrWriteOptions& options) {
  TfrStream s;
  WriteTemplate(report, s, options);
  std::ofstream out(std::filesystem::path(GbkToUtf8(fileName)), std::ios::binary | std::ios::trunc);
  if (!out) throw Error("Cannot create file \"" + fileName + "\"");
  out.write(s.Bytes().data(), static_cast<std::streamsize>(s.Size()));
  out.close();
  if (!out) throw Error("Cannot write file \"" + fileName + "\"");
}

void WriteReportForm(TfrReport& report, TfrStream& s) {
  s.WriteI32(kCurrentVersion);
  if (!report.StoreInDFM) return;
  TfrStream t;
  WriteTemplate(report, t);
  s.WriteI32(static_cast<std::int32_t>(t.Size()));
  s.WriteBytes(t.Bytes());
}

void ReadReportForm(TfrReport& report, TfrStream& s) {
  report.StoredTemplate.reset();
  try {
    s.ReadI32();
    if (!report.StoreInDFM) return;
    const std::int32_t n = s.ReadI32();
    if (n < 0) return;
    report.StoredTemplate = s.ReadBytes(static_cast<std::size_t>(n));
  } catch (const TfrStreamError&) {
    // A value cut short holds no template.
  }
}

void ReportFormLoaded(TfrReport& report) {
  if (!report.StoredTemplate) return;
  TfrStream s(std::move(*report.StoredTemplate), TfrStream::Origin::Memory);
  report.StoredTemplate.reset();
  ReadTemplate(report, s);
}

}  // namespace talven
