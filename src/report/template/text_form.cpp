// The JSON text form of templates. nlohmann::json does the JSON itself
// (parsing with positions in its messages, escaping, exact double output);
// this file maps the object model onto it and back.
#include "report/template/text_form.h"

#include "report/template/json_form.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <limits>

#include <nlohmann/json.hpp>

#include "base/error.h"
#include "base/text.h"
#include "report/model/band_view.h"
#include "report/model/factory.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/prepare_state.h"
#include "report/model/rich_view.h"
#include "report/model/subreport_view.h"

namespace talven {

namespace json_form {

TfrJson TextJson(const std::string& text) {
  if (IsValidGbk(text)) return GbkToUtf8(text);
  return TfrJson{{"bytes", Base64Encode(text)}};
}

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
  throw Error(Utf8ToGbk(path) + ": " + what);
}

std::string GbkOf(const TfrJson& j, const std::string& path) {
  if (j.is_string()) {
    const std::string& utf8 = j.get_ref<const std::string&>();
    std::string gbk = Utf8ToGbk(utf8);
    if (GbkToUtf8(gbk) != utf8) Fail(path, "text that GBK cannot hold (write it as {\"bytes\": base64})");
    return gbk;
  }
  if (j.is_object() && j.size() == 1 && j.contains("bytes") && j["bytes"].is_string())
    return Base64Decode(j["bytes"].get_ref<const std::string&>());
  Fail(path, "expected a text");
}

TfrJson ParseJson(const std::string& text) {
  try {
    return TfrJson::parse(text);
  } catch (const TfrJson::parse_error& e) {
    throw Error(e.what());
  }
}

void TakeFormat(Fields& document, const char* format) {
  if (const TfrJson* f = document.Take("format"); f != nullptr && *f != format)
    Fail(document.PathOf("format"), std::string("expected \"") + format + "\"");
}

}  // namespace json_form

namespace {

using Json = TfrJson;
using json_form::Fail;
using json_form::Fields;
using json_form::GbkOf;
using json_form::TextJson;
using json_form::ViewFromJson;
using json_form::ViewJson;

constexpr const char* kFormat = "talven-template";

// ---------------------------------------------------------------- writing

Json LinesJson(const TfrStrings& lines) {
  Json a = Json::array();
  for (const std::string& line : lines) a.push_back(TextJson(line));
  return a;
}

Json HexJson(std::int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08" PRIX32, static_cast<std::uint32_t>(v));
  return buf;
}

// Dates that are no number (a NaN or an infinity read from a file) keep
// their exact bits.
Json DateJson(double v) {
  if (std::isfinite(v)) return v;
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%016" PRIX64, bits);
  return Json{{"bits", buf}};
}

Json ListJson(const TfrVariables& list) {
  Json a = Json::array();
  for (int i = 0; i < list.Count(); ++i) a.push_back(Json::array({TextJson(list.NameAt(i)), TextJson(list.ValueAt(i).AsText())}));
  return a;
}

}  // namespace

Json json_form::ViewJson(TfrView& v) {
  Json o;
  o["class"] = v.ClassName();
  o["Name"] = TextJson(v.Name);
  o["ClassRevision"] = v.ClassRevision;
  o["Left"] = v.Left;
  o["Top"] = v.Top;
  o["Width"] = v.Width;
  o["Height"] = v.Height;
  o["Flags"] = v.Flags;
  auto* band = dynamic_cast<TfrBandView*>(&v);
  if (band != nullptr) o["BandKind"] = v.FrameTyp;
  else o["FrameTyp"] = v.FrameTyp;
  o["FrameWidth"] = static_cast<double>(v.FrameWidth);
  o["FrameColor"] = HexJson(v.FrameColor);
  o["FrameStyle"] = v.FrameStyle;
  o["FillColor"] = HexJson(v.FillColor);
  o["DisplayFormat"] = HexJson(v.DisplayFormat);
  o[band != nullptr ? (v.FrameTyp == btGroupHeader ? "Condition" : "DataSource") : "DisplayFormatText"] =
      TextJson(v.DisplayFormatText);
  o["Visible"] = v.Visible;
  o["GapX"] = v.GapX;
  o["GapY"] = v.GapY;
  o["Restrictions"] = v.Restrictions;
  o["Tag"] = TextJson(v.Tag);
  o["BandAlign"] = v.BandAlign;
  o["Memo"] = LinesJson(v.Memo);
  o["BeforePrintScript"] = LinesJson(v.BeforePrintScript);

  if (auto* m = dynamic_cast<TfrMemoView*>(&v)) {
    o["Font"] = Json{{"Name", TextJson(m->Font.Name)},
                     {"Size", m->Font.Size},
                     {"Style", m->Font.Style},
                     {"Color", HexJson(m->Font.Color)},
                     {"Charset", m->Font.Charset}};
    o["Alignment"] = m->Alignment;
    o["HighlightFontStyle"] = m->HighlightFontStyle;
    o["HighlightFontColor"] = HexJson(m->HighlightFontColor);
    o["HighlightFillColor"] = HexJson(m->HighlightFillColor);
    o["HighlightCondition"] = TextJson(m->HighlightCondition);
    o["LineSpacing"] = m->LineSpacing;
    o["CharSpacing"] = m->CharSpacing;
  } else if (band != nullptr) {
    o["ChildBand"] = TextJson(band->ChildBand);
    o["Master"] = TextJson(band->Master);
    o["Columns"] = band->Columns;
    o["ColumnWidth"] = band->ColumnWidth;
    o["ColumnGap"] = band->ColumnGap;
    o["NewColumnAfter"] = band->NewColumnAfter;
  } else if (auto* sub = dynamic_cast<TfrSubReportView*>(&v)) {
    o["ShownPage"] = sub->ShownPage;
  } else if (auto* pic = dynamic_cast<TfrPictureView*>(&v)) {
    o["BlobType"] = pic->BlobType;
    o["Picture"] = Json{{"kind", GraphicKindName(pic->Picture.Kind())}, {"data", Base64Encode(pic->Picture.Bytes())}};
  } else if (auto* rich = dynamic_cast<TfrRichView*>(&v)) {
    o["RichText"] = Base64Encode(rich->RichText);
  }
  return o;
}

namespace {

Json PageJson(const TfrPage& p) {
  Json o;
  o["Name"] = TextJson(p.Name);
  o["Size"] = p.Size;
  o["PaperWidth"] = p.PaperWidth;
  o["PaperHeight"] = p.PaperHeight;
  o["LeftMargin"] = p.LeftMargin;
  o["TopMargin"] = p.TopMargin;
  o["RightMargin"] = p.RightMargin;
  o["BottomMargin"] = p.BottomMargin;
  o["Orientation"] = p.Orientation;
  o["PaperSource"] = p.PaperSource;
  o["PrintToPrevPage"] = p.PrintToPrevPage;
  o["KeepMargins"] = p.KeepMargins;
  o["Columns"] = p.Columns;
  o["ColumnGap"] = p.ColumnGap;
  o["Type"] = p.Type;
  o["BorderStyle"] = p.BorderStyle;
  o["Caption"] = TextJson(p.Caption);
  o["Color"] = HexJson(p.Color);
  o["FormLeft"] = p.FormLeft;
  o["FormTop"] = p.FormTop;
  o["FormWidth"] = p.FormWidth;
  o["FormHeight"] = p.FormHeight;
  o["Position"] = p.Position;
  o["PageScript"] = LinesJson(p.PageScript);
  Json objects = Json::array();
  for (const auto& view : p.ObjectList) objects.push_back(ViewJson(*view));
  o["objects"] = std::move(objects);
  return o;
}

// ---------------------------------------------------------------- reading

void ListFromJson(const Json* j, const std::string& path, TfrVariables& list) {
  list.Clear();
  if (j == nullptr) return;
  if (!j->is_array()) Fail(path, "expected an array of [name, value] pairs");
  for (std::size_t i = 0; i < j->size(); ++i) {
    const Json& pair = (*j)[i];
    std::string at = path + "[" + std::to_string(i) + "]";
    if (!pair.is_array() || pair.size() != 2) Fail(at, "expected a [name, value] pair");
    list.Set(GbkOf(pair[0], at + "[0]"), GbkOf(pair[1], at + "[1]"));
  }
}

std::unique_ptr<TfrView> CreateView(const std::string& cls, const std::string& path) {
  int type = gtAddIn;
  if (cls == "TfrMemoView") type = gtMemo;
  else if (cls == "TfrPictureView") type = gtPicture;
  else if (cls == "TfrBandView") type = gtBand;
  else if (cls == "TfrSubReportView") type = gtSubReport;
  else if (cls == "TfrLineView") type = gtLine;
  try {
    return MakeObject(type, cls);
  } catch (const TfrClassNotFound&) {
    EngineState().ErrorFlag = false;
    EngineState().ErrorText.clear();
    Fail(path, "unknown object class " + cls);
  }
}

}  // namespace

void json_form::ViewFromJson(const Json& j, const std::string& path, TfrPage& page, TfrReport& report) {
  Fields f(j, path);
  const Json* cls = f.Take("class");
  if (cls == nullptr || !cls->is_string()) Fail(path + ".class", "expected the object's class name");
  std::unique_ptr<TfrView> created = CreateView(cls->get<std::string>(), f.PathOf("class"));
  TfrView& v = page.Add(std::move(created));
  auto* band = dynamic_cast<TfrBandView*>(&v);

  if (f.Take("Name") != nullptr) f.Text("Name", v.Name);
  else MakeUniqueName(v, &report);
  f.Int("ClassRevision", v.ClassRevision);
  f.Int("Left", v.Left);
  f.Int("Top", v.Top);
  f.Int("Width", v.Width);
  f.Int("Height", v.Height);
  f.Int("Flags", v.Flags);
  f.Int(band != nullptr ? "BandKind" : "FrameTyp", v.FrameTyp);
  f.Real("FrameWidth", v.FrameWidth);
  f.Int("FrameColor", v.FrameColor);
  f.Int("FrameStyle", v.FrameStyle);
  f.Int("FillColor", v.FillColor);
  f.Int("DisplayFormat", v.DisplayFormat);
  if (band != nullptr) {
    f.Text("DataSource", v.DisplayFormatText);
    f.Text("Condition", v.DisplayFormatText);
  } else {
    f.Text("DisplayFormatText", v.DisplayFormatText);
  }
  f.Bool("Visible", v.Visible);
  f.Int("GapX", v.GapX);
  f.Int("GapY", v.GapY);
  f.Int("Restrictions", v.Restrictions);
  f.Text("Tag", v.Tag);
  f.Int("BandAlign", v.BandAlign);
  f.Lines("Memo", v.Memo);
  f.Lines("BeforePrintScript", v.BeforePrintScript);

  if (auto* m = dynamic_cast<TfrMemoView*>(&v)) {
    if (const Json* font = f.Take("Font")) {
      Fields ff(*font, f.PathOf("Font"));
      ff.Text("Name", m->Font.Name);
      ff.Int("Size", m->Font.Size);
      ff.Int("Style", m->Font.Style);
      ff.Int("Color", m->Font.Color);
      ff.Int("Charset", m->Font.Charset);
      ff.Finish();
    }
    f.Int("Alignment", m->Alignment);
    f.Int("HighlightFontStyle", m->HighlightFontStyle);
    f.Int("HighlightFontColor", m->HighlightFontColor);
    f.Int("HighlightFillColor", m->HighlightFillColor);
    f.Text("HighlightCondition", m->HighlightCondition);
    f.Int("LineSpacing", m->LineSpacing);
    f.Int("CharSpacing", m->CharSpacing);
  } else if (band != nullptr) {
    f.Text("ChildBand", band->ChildBand);
    f.Text("Master", band->Master);
    f.Int("Columns", band->Columns);
    f.Int("ColumnWidth", band->ColumnWidth);
    f.Int("ColumnGap", band->ColumnGap);
    f.Int("NewColumnAfter", band->NewColumnAfter);
  } else if (auto* sub = dynamic_cast<TfrSubReportView*>(&v)) {
    f.Int("ShownPage", sub->ShownPage);
  } else if (auto* pic = dynamic_cast<TfrPictureView*>(&v)) {
    f.Int("BlobType", pic->BlobType);
    if (const Json* picture = f.Take("Picture")) {
      Fields pf(*picture, f.PathOf("Picture"));
      std::string kindName, data;
      if (const Json* k = pf.Take("kind")) {
        if (!k->is_string()) Fail(pf.PathOf("kind"), "expected a graphic kind");
        kindName = k->get<std::string>();
      }
      if (const Json* d = pf.Take("data")) {
        if (!d->is_string()) Fail(pf.PathOf("data"), "expected base64 data");
        data = Base64Decode(d->get<std::string>());
      }
      pf.Finish();
      std::optional<TfrGraphicKind> kind = GraphicKindFromName(kindName);
      if (!kind) Fail(pf.PathOf("kind"), "unknown graphic kind " + kindName);
      try {
        pic->Picture = TfrGraphic::FromBytes(*kind, std::move(data));
      } catch (const Error& e) {
        Fail(pf.PathOf("data"), e.message());
      }
    }
  } else if (auto* rich = dynamic_cast<TfrRichView*>(&v)) {
    if (const Json* r = f.Take("RichText")) {
      if (!r->is_string()) Fail(f.PathOf("RichText"), "expected base64 data");
      rich->RichText = Base64Decode(r->get<std::string>());
    }
  }
  f.Finish();
}

namespace {

void PageFromJson(const Json& j, const std::string& path, TfrReport& report) {
  Fields f(j, path);
  TfrPage& page = report.TemplatePages.Add();
  int size = EngineDefaultPaperCode(), width = 0, height = 0, orientation = poPortrait;
  std::int32_t bin = 65535;
  f.Text("Name", page.Name);
  f.Int("Size", size);
  f.Int("PaperWidth", width);
  f.Int("PaperHeight", height);
  f.Int("LeftMargin", page.LeftMargin);
  f.Int("TopMargin", page.TopMargin);
  f.Int("RightMargin", page.RightMargin);
  f.Int("BottomMargin", page.BottomMargin);
  f.Int("Orientation", orientation);
  f.Int("PaperSource", bin);
  f.Bool("PrintToPrevPage", page.PrintToPrevPage);
  f.Bool("KeepMargins", page.KeepMargins);
  f.Int("Columns", page.Columns);
  f.Int("ColumnGap", page.ColumnGap);
  f.Int("Type", page.Type);
  f.Int("BorderStyle", page.BorderStyle);
  f.Text("Caption", page.Caption);
  f.Int("Color", page.Color);
  f.Int("FormLeft", page.FormLeft);
  f.Int("FormTop", page.FormTop);
  f.Int("FormWidth", page.FormWidth);
  f.Int("FormHeight", page.FormHeight);
  f.Int("Position", page.Position);
  f.Lines("PageScript", page.PageScript);
  if (orientation < 0 || orientation > 255) Fail(f.PathOf("Orientation"), "out of range");
  page.SetPaper(size, width, height, bin, orientation);
  if (const Json* objects = f.Take("objects")) {
    if (!objects->is_array()) Fail(f.PathOf("objects"), "expected an array of objects");
    for (std::size_t i = 0; i < objects->size(); ++i)
      ViewFromJson((*objects)[i], f.PathOf("objects") + "[" + std::to_string(i) + "]", page, report);
  }
  f.Finish();
}

}  // namespace

std::string ReportToJson(const TfrReport& report, int sourceVersion) {
  Json o;
  o["format"] = kFormat;
  o["version"] = sourceVersion;
  o["UseDefaultPrinter"] = report.UseDefaultPrinter;
  o["TwoPass"] = report.TwoPass;
  o["PrinterName"] = TextJson(report.PrinterName);
  Json pages = Json::array();
  for (const auto& page : report.TemplatePages) pages.push_back(PageJson(*page));
  o["pages"] = std::move(pages);
  o["dictionary"] = Json{{"VariableList", ListJson(report.Dictionary.VariableList)},
                         {"FieldAliasList", ListJson(report.Dictionary.FieldAliasList)},
                         {"BandSourceList", ListJson(report.Dictionary.BandSourceList)}};
  const TfrReportInfo& info = report.Info;
  o["info"] = Json{{"InfoComment", TextJson(info.InfoComment)},
                   {"InfoName", TextJson(info.InfoName)},
                   {"InfoAuthor", TextJson(info.InfoAuthor)},
                   {"InfoVersionMajor", TextJson(info.InfoVersionMajor)},
                   {"InfoVersionMinor", TextJson(info.InfoVersionMinor)},
                   {"InfoVersionRelease", TextJson(info.InfoVersionRelease)},
                   {"InfoVersionBuild", TextJson(info.InfoVersionBuild)},
                   {"InfoPassword", TextJson(info.InfoPassword)},
                   {"InfoPasswordProtected", info.InfoPasswordProtected},
                   {"InfoGeneratorVersion", info.InfoGeneratorVersion},
                   {"InfoCreated", DateJson(info.InfoCreated)},
                   {"InfoModified", DateJson(info.InfoModified)}};
  return o.dump(2) + "\n";
}

void ReportFromJson(const std::string& json, TfrReport& report) {
  const Json doc = json_form::ParseJson(json);
  Fields f(doc, "document");
  json_form::TakeFormat(f, kFormat);
  f.Take("version");  // the source's stream version: what is built is 25

  PrepareState& state = EngineState();
  state.CurrentReport = &report;
  report.ClearPages();
  report.Dictionary.Clear();
  report.Info.Reset();
  f.Bool("UseDefaultPrinter", report.UseDefaultPrinter);
  f.Bool("TwoPass", report.TwoPass);
  std::string printer;
  f.Text("PrinterName", printer);
  report.SelectPrinterByName(printer);

  if (const Json* pages = f.Take("pages")) {
    if (!pages->is_array()) Fail("document.pages", "expected an array of pages");
    for (std::size_t i = 0; i < pages->size(); ++i)
      PageFromJson((*pages)[i], "document.pages[" + std::to_string(i) + "]", report);
  }
  if (const Json* d = f.Take("dictionary")) {
    Fields df(*d, "document.dictionary");
    ListFromJson(df.Take("VariableList"), df.PathOf("VariableList"), report.Dictionary.VariableList);
    ListFromJson(df.Take("FieldAliasList"), df.PathOf("FieldAliasList"), report.Dictionary.FieldAliasList);
    ListFromJson(df.Take("BandSourceList"), df.PathOf("BandSourceList"), report.Dictionary.BandSourceList);
    df.Finish();
  }
  if (const Json* i = f.Take("info")) {
    TfrReportInfo& info = report.Info;
    Fields inf(*i, "document.info");
    inf.Text("InfoComment", info.InfoComment);
    inf.Text("InfoName", info.InfoName);
    inf.Text("InfoAuthor", info.InfoAuthor);
    inf.Text("InfoVersionMajor", info.InfoVersionMajor);
    inf.Text("InfoVersionMinor", info.InfoVersionMinor);
    inf.Text("InfoVersionRelease", info.InfoVersionRelease);
    inf.Text("InfoVersionBuild", info.InfoVersionBuild);
    inf.Text("InfoPassword", info.InfoPassword);
    inf.Bool("InfoPasswordProtected", info.InfoPasswordProtected);
    inf.Int("InfoGeneratorVersion", info.InfoGeneratorVersion);
    inf.Real("InfoCreated", info.InfoCreated);
    inf.Real("InfoModified", info.InfoModified);
    inf.Finish();
  }
  f.Finish();
}

std::string DumpTemplate(const std::string& templateBytes, TfrReadResult* result) {
  TfrReport report;
  TfrStream s(templateBytes, TfrStream::Origin::File);
  TfrReadOptions options;
  options.KeepStoredDictionary = true;
  TfrReadResult r = ReadTemplate(report, s, options);
  if (result != nullptr) *result = r;
  int version = templateBytes.empty() ? 25 : static_cast<unsigned char>(templateBytes[0]);
  return ReportToJson(report, version < 21 ? 21 : version);
}

std::string BuildTemplate(const std::string& json) {
  TfrReport report;
  ReportFromJson(json, report);
  TfrWriteOptions options;
  options.Modified = report.Info.InfoModified;
  TfrStream s;
  WriteTemplate(report, s, options);
  return s.TakeBytes();
}

std::string Base64Encode(std::string_view bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out.push_back(kAlphabet[(n >> 18) & 63]);
    out.push_back(kAlphabet[(n >> 12) & 63]);
    out.push_back(i + 1 < bytes.size() ? kAlphabet[(n >> 6) & 63] : '=');
    out.push_back(i + 2 < bytes.size() ? kAlphabet[n & 63] : '=');
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  if (text.size() % 4 != 0) throw Error("Invalid base64 data");
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool last = i + 4 == text.size();
    int pad = 0;
    std::uint32_t n = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      char c = text[i + k];
      int v = value(c);
      if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
        ++pad;
        v = 0;
      } else if (v < 0 || pad > 0) {
        throw Error("Invalid base64 data");
      }
      n = (n << 6) | static_cast<std::uint32_t>(v);
    }
    out.push_back(static_cast<char>((n >> 16) & 0xFF));
    if (pad < 2) out.push_back(static_cast<char>((n >> 8) & 0xFF));
    if (pad < 1) out.push_back(static_cast<char>(n & 0xFF));
  }
  return out;
}

}  // namespace talven
